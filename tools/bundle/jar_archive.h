// Reading a jar (a zip archive) through libzip: whether it has an entry,
// and an entry's bytes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace kvx::bundle {

class JarArchive {
 public:
  // Opens path, checking that it is a zip archive. nullopt with one line in
  // *error, naming the file and libzip's reason, when it is not.
  static std::optional<JarArchive> open(const std::string& path, std::string* error);

  const std::string& path() const { return path_; }
  bool hasEntry(std::string_view name) const;
  // The names of all its entries, in the archive's order.
  std::vector<std::string> entryNames() const;
  // The entry's bytes, at most limit of them; nullopt with *error when the
  // entry is missing or cannot be read.
  std::optional<std::string> readEntry(std::string_view name, size_t limit, std::string* error) const;

 private:
  struct Closer {
    void operator()(zip* archive) const;
  };
  JarArchive(std::string path, zip* archive) : path_(std::move(path)), archive_(archive) {}

  std::string path_;
  std::unique_ptr<zip, Closer> archive_;
};

}  // namespace kvx::bundle
