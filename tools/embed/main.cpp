// kvx-embed: writes a configuration into a copy of the launcher stub, making
// a command-line launcher of it.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "shared/embed_command.h"
#include "shared/stub_location.h"

namespace {

const char kUsage[] =
    "usage: kvx-embed [--stub STUB] CONFIG OUTPUT\n"
    "       kvx-embed STUB CONFIG OUTPUT\n"
    "       kvx-embed --print LAUNCHER\n"
    "       kvx-embed --version\n";

const char kHelp[] =
    "\n"
    "Writes the property list CONFIG into a copy of the launcher stub and saves\n"
    "the copy as OUTPUT, a command-line launcher that reads its configuration\n"
    "from itself instead of from an application bundle.\n"
    "\n"
    "  STUB    the launcher executable (64-bit little-endian ELF) with its reserved\n"
    "          configuration note; one that already carries a configuration has it\n"
    "          replaced. STUB itself is never changed. Without it, the stub installed\n"
    "          beside kvx-embed (../libexec/kestrovel/kvx-launcher) is used, or in a\n"
    "          build tree the kvx-launcher beside it.\n"
    "  CONFIG  a property list, XML or binary, whose root is a dictionary. It is\n"
    "          stored in the binary format.\n"
    "  OUTPUT  the new launcher. It is written to a temporary file beside it and\n"
    "          renamed into place, with the permission bits (run bits included) of STUB.\n"
    "\n"
    "Exit status 0 on success. Status 2, with one line naming the file and the\n"
    "reason, when CONFIG does not parse or its root is not a dictionary, when STUB\n"
    "has no reserved note (or is not a 64-bit little-endian ELF file, is cut short,\n"
    "or its note is outside every loadable segment), when CONFIG is too large for\n"
    "the note, when no stub is named and none is found, or when OUTPUT cannot be\n"
    "written. CONFIG and STUB must be regular files.\n"
    "\n"
    "--print writes the configuration a command-line launcher carries to standard\n"
    "output, as an XML property list: what the launcher reads, without starting it.\n"
    "\n"
    "A temporary file left beside OUTPUT by a kvx-embed that was stopped before its\n"
    "rename (OUTPUT.kvx-partial-XXXXXX) is removed by the next one that writes\n"
    "OUTPUT; those that other kvx-embed runs are still writing are left alone.\n";

// The stub, configuration and output of a command line, or nullopt when it
// has none of the accepted forms.
std::optional<kvx::embed::EmbedRequest> requestOf(const std::vector<std::string>& args,
                                                  std::optional<std::string>* namedStub) {
  std::vector<std::string> rest = args;
  if (rest.size() == 4 && rest[0] == "--stub") {
    *namedStub = rest[1];
    rest.erase(rest.begin(), rest.begin() + 2);
  } else if (rest.size() == 3 && !rest[0].starts_with("-")) {
    *namedStub = rest[0];
    rest.erase(rest.begin());
  }
  if (rest.size() != 2 || rest[0].starts_with("-")) return std::nullopt;
  return kvx::embed::EmbedRequest{"", rest[0], rest[1]};
}

int refuse(const std::string& message) {
  (void)fprintf(stderr, "kvx-embed: %s\n", message.c_str());
  return 2;
}

int printCarried(const std::string& launcher) {
  std::string message;
  std::optional<kvx::plist::Value> configuration = kvx::embed::carriedConfiguration(launcher, &message);
  if (!configuration) return refuse(message);
  (void)fputs(kvx::plist::writeXml(*configuration).c_str(), stdout);
  return 0;
}

int embed(int argc, char** argv) {
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    (void)fputs(kUsage, stdout);
    (void)fputs(kHelp, stdout);
    return 0;
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    (void)printf("kvx-embed %s\n", KVX_VERSION);
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "--print") == 0) return printCarried(argv[2]);
  std::optional<std::string> namedStub;
  std::optional<kvx::embed::EmbedRequest> request =
      requestOf(std::vector<std::string>(argv + 1, argv + argc), &namedStub);
  if (!request) {
    (void)fputs(kUsage, stderr);
    return 2;
  }
  std::string message;
  std::optional<std::string> stub = kvx::tools::findStub(namedStub, &message);
  if (!stub) return refuse(message);
  request->stub = *stub;
  if (!kvx::embed::embedConfiguration(*request, &message)) return refuse(message);
  return 0;
}

// What an exception says, on one line.
std::string oneLine(const char* text) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

}  // namespace

// Every failure, an unforeseen one included, ends with status 2 and one line,
// never with an abort that a build script would take for a crash.
int main(int argc, char** argv) {
  try {
    return embed(argc, argv);
  } catch (const std::bad_alloc&) {
    return refuse("not enough memory to hold the stub and the configuration");
  } catch (const std::exception& e) {
    return refuse(oneLine(e.what()));
  } catch (...) {
    return refuse("stopped by an unknown failure");
  }
}
