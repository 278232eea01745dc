// Directories opened once, and places for new entries inside them. Work done
// through a handle reaches the directory that was opened, even when the name
// it was opened by is made to lead elsewhere meanwhile (a link swapped).
#pragma once

#include <optional>
#include <string>

namespace kvx::platform {

class DirectoryHandle {
 public:
  // Opens the directory path names, links followed. nullopt with one line in
  // *error naming path when it is no directory or cannot be opened.
  static std::optional<DirectoryHandle> open(const std::string& path, std::string* error);
  // Opens the directory name inside parent; a link there is not followed.
  static std::optional<DirectoryHandle> openInside(const DirectoryHandle& parent, const std::string& name,
                                                   std::string* error);

  ~DirectoryHandle();
  DirectoryHandle(DirectoryHandle&& other) noexcept;
  DirectoryHandle(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(DirectoryHandle&&) = delete;

  // The path it was opened by, for messages.
  const std::string& path() const { return path_; }
  int descriptor() const { return descriptor_; }

 private:
  DirectoryHandle(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}

  int descriptor_;
  std::string path_;
};

// Where an entry is or will be: a path as it is (relative ones from the
// working directory), or a path inside an opened directory. Messages name it
// by shown(): the directory's own path joined with the relative one.
class FilePlace {
 public:
  // NOLINTNEXTLINE(google-explicit-constructor): every plain path is a place.
  FilePlace(const std::string& path);
  // NOLINTNEXTLINE(google-explicit-constructor)
  FilePlace(const char* path) : FilePlace(std::string(path)) {}
  FilePlace(const DirectoryHandle& directory, const std::string& relative);

  FilePlace child(const std::string& name) const;
  // Another place in the same directory, or from the same working directory.
  FilePlace withPath(const std::string& path) const { return FilePlace(directory_, path, shownDirectory_); }
  // The place of the directory that holds this one.
  FilePlace parent() const;
  std::string shown() const;
  int directory() const { return directory_; }
  // The path the system is handed, relative to directory() unless absolute.
  std::string path() const { return path_.empty() ? "." : path_; }

 private:
  FilePlace(int directory, std::string path, std::string shownDirectory)
      : directory_(directory), path_(std::move(path)), shownDirectory_(std::move(shownDirectory)) {}

  int directory_;
  std::string path_;
  std::string shownDirectory_;
};

}  // namespace kvx::platform
