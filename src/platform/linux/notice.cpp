#include "platform/notice.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "base/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/program.h"

namespace kvx::platform {
namespace {

bool isSet(const char* name) {
  std::optional<std::string> value = getEnv(name);
  return value && !value->empty();
}

std::optional<std::string> findProgramOnPath(const std::string& name) {
  std::optional<std::string> path = getEnv("PATH");
  if (!path) return std::nullopt;
  for (std::string_view dir : splitAt(*path, ':')) {
    // An empty or relative element names the current directory, which may
    // be anyone's: a dialog program is never taken from there.
    if (!dir.starts_with('/')) continue;
    std::string candidate = joinPath(dir, name);
    if (isExecutableFile(candidate)) return candidate;
  }
  return std::nullopt;
}

struct DialogProgram {
  const char* name;
  bool needsX11;
  std::vector<std::string> (*arguments)(const std::optional<std::string>& header,
                                        const std::string& text);
};

std::vector<std::string> zenityArguments(const std::optional<std::string>& header,
                                         const std::string& text) {
  // Without --no-markup a "<" or "&" in the text would be read as markup.
  std::vector<std::string> args{"--error", "--no-markup"};
  if (header) args.insert(args.end(), {"--title", *header});
  args.insert(args.end(), {"--text", text});
  return args;
}

std::vector<std::string> kdialogArguments(const std::optional<std::string>& header,
                                          const std::string& text) {
  std::vector<std::string> args;
  if (header) args.insert(args.end(), {"--title", *header});
  args.insert(args.end(), {"--error", text});
  return args;
}

std::vector<std::string> xmessageArguments(const std::optional<std::string>& header,
                                           const std::string& text) {
  std::vector<std::string> args{"-center"};
  if (header) args.insert(args.end(), {"-title", *header});
  args.push_back(text);
  return args;
}

// A dialog that cannot open its display (a stale DISPLAY from an ssh
// session, a container) fails within this time; one still running then has
// opened, and the user is not waited for.
constexpr int kDialogWatchMilliseconds = 1000;

const DialogProgram kDialogPrograms[] = {
    {"zenity", false, zenityArguments},
    {"kdialog", false, kdialogArguments},
    {"xmessage", true, xmessageArguments},
};

bool showDialog(const std::optional<std::string>& header, const std::string& text) {
  bool x11 = isSet("DISPLAY");
  if (!x11 && !isSet("WAYLAND_DISPLAY")) return false;
  for (const DialogProgram& dialog : kDialogPrograms) {
    if (dialog.needsX11 && !x11) continue;
    std::optional<std::string> program = findProgramOnPath(dialog.name);
    if (!program) continue;
    // When this one cannot be started, the next program may do.
    std::string error;
    if (startDetached(*program, dialog.arguments(header, text), &error,
                      {.discardOutput = true, .watchMilliseconds = kDialogWatchMilliseconds})) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool hasGraphicalSession() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void displayNotice(const std::optional<std::string>& header, const std::string& text) {
  if (showDialog(header, text)) return;
  // Standard error is the last place left to tell: a failed write there is not reported.
  if (header) {
    (void)fprintf(stderr, "%s: %s\n", header->c_str(), text.c_str());
  } else {
    (void)fprintf(stderr, "%s\n", text.c_str());
  }
  (void)fflush(stderr);
}

}  // namespace kvx::platform
