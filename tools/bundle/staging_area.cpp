#include "staging_area.h"

#include "platform/file_creation.h"
#include "platform/file_tree.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::bundle {

std::optional<StagingArea> StagingArea::create(const std::string& dest, const std::string& top,
                                               std::string* error) {
  std::optional<std::vector<std::string>> made = platform::createDirectories(dest, error);
  if (!made) return std::nullopt;
  std::optional<std::string> directory = platform::createUniqueDirectory(dest, "." + top + ".partial-", error);
  if (!directory) {
    for (auto it = made->rbegin(); it != made->rend(); ++it) platform::removeDirectory(*it);
    return std::nullopt;
  }
  return StagingArea(*directory, platform::joinPath(dest, top), std::move(*made));
}

StagingArea::StagingArea(StagingArea&& other) noexcept
    : directory_(std::move(other.directory_)),
      target_(std::move(other.target_)),
      madeAbove_(std::move(other.madeAbove_)),
      finished_(other.finished_) {
  other.finished_ = true;
}

StagingArea::~StagingArea() {
  std::string ignored;
  if (!finished_) discard(&ignored);
}

std::string StagingArea::path(const std::string& relative) const {
  return platform::joinPath(directory_, relative);
}

bool StagingArea::commit(std::string* error) {
  if (!platform::renameWithoutReplacing(directory_, target_, error)) return false;
  finished_ = true;
  return true;
}

bool StagingArea::discard(std::string* error) {
  finished_ = true;
  bool removed = platform::removeTree(directory_, error);
  // Only directories this run made, and only while they are empty.
  for (auto it = madeAbove_.rbegin(); it != madeAbove_.rend(); ++it) platform::removeDirectory(*it);
  return removed;
}

}  // namespace kvx::bundle
