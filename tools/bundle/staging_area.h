// The directory an application is built in: hidden, beside its final place
// in DEST, and renamed into that place only once it is complete, so that the
// application appears whole or not at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::bundle {

class StagingArea {
 public:
  // Makes DEST (and any directories above it) when missing, and a new hidden
  // directory in it for top. nullopt with one line in *error.
  static std::optional<StagingArea> create(const std::string& dest, const std::string& top, std::string* error);

  // Unless committed, takes away what was made, as discard() does.
  ~StagingArea();
  StagingArea(StagingArea&& other) noexcept;
  StagingArea(const StagingArea&) = delete;
  StagingArea& operator=(const StagingArea&) = delete;
  StagingArea& operator=(StagingArea&&) = delete;

  // A path inside the staging directory.
  std::string path(const std::string& relative = "") const;
  // Renames the staging directory to DEST/top; fails, and keeps it, when
  // anything is there by now.
  bool commit(std::string* error);
  // Removes the staging directory and the DEST directories that create()
  // made. False with the reason when something could not be removed.
  bool discard(std::string* error);

 private:
  StagingArea(std::string directory, std::string target, std::vector<std::string> madeAbove)
      : directory_(std::move(directory)), target_(std::move(target)), madeAbove_(std::move(madeAbove)) {}

  std::string directory_;
  std::string target_;
  std::vector<std::string> madeAbove_;
  bool finished_ = false;
};

}  // namespace kvx::bundle
