#include "startup_cache/cache_key.h"

#include "base/text.h"
#include "platform/file_status.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx {
namespace {

using Lines = std::vector<std::string>;

std::string stamp(const platform::FileStatus& status) {
  return std::to_string(status.device) + " " + std::to_string(status.inode) + " " + std::to_string(status.size) +
         " " + std::to_string(status.modifiedNanoseconds) + " " + std::to_string(status.changedNanoseconds);
}

std::string stampOf(const std::string& path) {
  std::optional<platform::FileStatus> status = platform::fileStatus(path);
  return status ? stamp(*status) : std::string("missing");
}

// A class path or boot class path entry: an archive, or missing (the runtime
// skips it, and it is keyed so that its appearing makes a new cache).
bool addArchiveEntry(const std::string& label, std::string_view entry, Lines& lines, std::string* why) {
  std::string path = entry.empty() ? "." : std::string(entry);
  std::optional<platform::FileStatus> status = platform::fileStatus(path);
  if (status && status->isDirectory()) {
    *why = path + ": a directory on the " + label + "; the runtime archives classes from archives only";
    return false;
  }
  lines.push_back(label + " " + path + " " + (status ? stamp(*status) : "missing"));
  return true;
}

bool addArchivePath(const std::string& label, std::string_view path, Lines& lines, std::string* why) {
  for (std::string_view entry : splitAt(path, ':')) {
    if (!addArchiveEntry(label, entry, lines, why)) return false;
  }
  return true;
}

void addRuntime(const RuntimeIdentity& runtime, Lines& lines) {
  lines.push_back("runtime " + runtime.path);
  lines.push_back("version " + runtime.version);
  // A rebuilt or updated runtime may keep its version and path; its class
  // image and its virtual machine are new files.
  lines.push_back("image " + stampOf(platform::joinPath(runtime.home, "lib/modules")));
  lines.push_back("machine " + stampOf(platform::joinPath(runtime.home, "lib/server/libjvm.so")));
}

}  // namespace

std::optional<Lines> cacheKeyLines(const CacheKeyInputs& inputs, std::string* why) {
  // The scheme itself, so that a launcher that keys caches differently
  // never takes an older launcher's cache for its own.
  Lines lines{"kestrovel startup cache 2"};
  addRuntime(inputs.runtime, lines);
  if (!addArchivePath("class path", inputs.classPath, lines, why)) return std::nullopt;
  lines.push_back("main " + inputs.mainClass);
  for (const std::string& option : inputs.options) lines.push_back("option " + option);
  for (const std::string& option : inputs.variableOptions) lines.push_back("variable option " + option);
  return lines;
}

uint64_t fingerprint(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string hexName(uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) name[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return name;
}

std::string cacheKeyName(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return hexName(fingerprint(text));
}

}  // namespace kvx
