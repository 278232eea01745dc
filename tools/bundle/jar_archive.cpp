#include "jar_archive.h"

#include <zip.h>

namespace kvx::bundle {
namespace {

std::string libzipReason(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string reason = zip_error_strerror(&error);
  zip_error_fini(&error);
  return reason;
}

}  // namespace

void JarArchive::Closer::operator()(zip* archive) const { zip_discard(archive); }

std::optional<JarArchive> JarArchive::open(const std::string& path, std::string* error) {
  int code = 0;
  zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!archive) {
    *error = path + ": not a jar that can be read (" + libzipReason(code) + ")";
    return std::nullopt;
  }
  return JarArchive(path, archive);
}

bool JarArchive::hasEntry(std::string_view name) const {
  return zip_name_locate(archive_.get(), std::string(name).c_str(), 0) >= 0;
}

std::vector<std::string> JarArchive::entryNames() const {
  std::vector<std::string> names;
  zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    if (const char* name = zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), 0)) names.emplace_back(name);
  }
  return names;
}

std::optional<std::string> JarArchive::readEntry(std::string_view name, size_t limit,
                                                 std::string* error) const {
  std::string entry(name);
  zip_file_t* file = zip_fopen(archive_.get(), entry.c_str(), 0);
  if (!file) {
    *error = path_ + ": " + entry + " cannot be read (" + zip_strerror(archive_.get()) + ")";
    return std::nullopt;
  }
  std::string bytes;
  char buffer[8192];
  zip_int64_t n = 0;
  while (bytes.size() < limit && (n = zip_fread(file, buffer, sizeof buffer)) > 0) {
    bytes.append(buffer, static_cast<size_t>(n));
  }
  if (n < 0) *error = path_ + ": " + entry + " cannot be read (" + zip_file_strerror(file) + ")";
  zip_fclose(file);
  if (n < 0) return std::nullopt;
  if (bytes.size() > limit) bytes.resize(limit);
  return bytes;
}

}  // namespace kvx::bundle
