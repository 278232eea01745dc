#include "unpack/unpacker.h"

#include <utility>

#include "base/exception.h"
#include "run/diagnostic_log.h"
#include "platform/program.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "plist/plist.h"

namespace kvx {

namespace {

constexpr std::string_view kPackedSuffix = ".jar.pack";
constexpr std::string_view kPackSuffix = ".pack";

bool isPackedJarName(const std::string& name) { return name.ends_with(kPackedSuffix); }

}  // namespace

bool Unpacker::unpack(const std::string& runtimeDirectory, const Progress& progress) {
  const std::string tool = platform::joinPath(runtimeDirectory, "bin/unpack200");
  double percent = 0;

  std::vector<std::string> list;
  addPackedFiles(list, "lib", runtimeDirectory);
  addPackedFiles(list, "lib/ext", runtimeDirectory);
  KVX_TRACE("found %@", plist::describe(list).c_str());

  for (const std::string& relative : list) {
    const std::string packed = platform::joinPath(runtimeDirectory, relative);
    // A file gone since the directories were listed has nothing left to do,
    // but it still counts towards the progress.
    if (platform::fileExists(packed)) {
      KVX_TRACE("unpacking %@", relative.c_str());
      const std::string jar = packed.substr(0, packed.size() - kPackSuffix.size());
      std::string error;
      std::optional<platform::Termination> end = platform::runAndWait(tool, {"-r", packed, jar}, &error);
      // A tool that cannot be run at all is not the failed expansion the
      // caller reports: it ends the start as an internal error.
      if (!end) throw PlatformException("NSInvalidArgumentException", error);
      if (!end->succeeded()) {
        KVX_ALWAYS_LOG("Unpack task failed.");
        return false;
      }
    }
    if (progress) {
      percent += 100.0 / static_cast<double>(list.size());
      progress(percent, nullptr);
    }
  }
  return true;
}

void Unpacker::addPackedFiles(std::vector<std::string>& list, const std::string& subDir,
                              const std::string& jreDir) {
  std::optional<std::vector<std::string>> names =
      platform::listDirectory(platform::joinPath(jreDir, subDir));
  if (!names) return;
  for (const std::string& name : *names) {
    if (!isPackedJarName(name)) continue;
    std::string entry = subDir;
    entry += '/';
    entry += name;
    list.push_back(std::move(entry));
  }
}

}  // namespace kvx
