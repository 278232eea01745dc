// The directory an application is built in: hidden, beside its final place
// in DEST, and renamed into that place only once it is complete, so that the
// application appears whole or not at all.
//
// DEST is opened once and everything is made through that handle: a DEST
// that is made to lead elsewhere during the build (a link swapped) changes
// nothing, and the application appears whole in the directory first opened.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/directory_handle.h"

namespace kvx::bundle {

class StagingArea {
 public:
  // Makes DEST (and any directories above it) when missing, opens it, and
  // makes a new hidden directory in it for top. nullopt with one line in *error.
  static std::optional<StagingArea> create(const std::string& dest, const std::string& top, std::string* error);

  // Unless committed, takes away what was made, as discard() does.
  ~StagingArea();
  StagingArea(StagingArea&& other) noexcept;
  StagingArea(const StagingArea&) = delete;
  StagingArea& operator=(const StagingArea&) = delete;
  StagingArea& operator=(StagingArea&&) = delete;

  // A place inside the staging directory.
  platform::FilePlace place(const std::string& relative = "") const;
  // The staging directory itself, opened: the working directory of the
  // tools that write into it, which are then handed relative paths.
  const platform::DirectoryHandle& directory() const { return staging_; }
  // Renames the staging directory to DEST/top; fails, and keeps it, when
  // anything is there by now.
  bool commit(std::string* error);
  // Removes the staging directory and the DEST directories that create()
  // made. False with the reason when something could not be removed.
  bool discard(std::string* error);

 private:
  StagingArea(platform::DirectoryHandle dest, platform::DirectoryHandle staging, std::string name,
              std::string top, std::vector<std::string> madeAbove)
      : dest_(std::move(dest)),
        staging_(std::move(staging)),
        name_(std::move(name)),
        top_(std::move(top)),
        madeAbove_(std::move(madeAbove)) {}

  platform::DirectoryHandle dest_;
  platform::DirectoryHandle staging_;
  std::string name_;
  std::string top_;
  std::vector<std::string> madeAbove_;
  bool finished_ = false;
};

}  // namespace kvx::bundle
