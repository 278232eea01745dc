#include "staging_area.h"

#include "platform/file_creation.h"
#include "platform/file_tree.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

void removeMade(const std::vector<std::string>& made) {
  // Only directories this run made, and only while they are empty.
  for (auto it = made.rbegin(); it != made.rend(); ++it) platform::removeDirectory(*it);
}

}  // namespace

std::optional<StagingArea> StagingArea::create(const std::string& dest, const std::string& top,
                                               std::string* error) {
  std::optional<std::vector<std::string>> made = platform::createDirectories(dest, error);
  if (!made) return std::nullopt;
  std::optional<platform::DirectoryHandle> destDirectory = platform::DirectoryHandle::open(dest, error);
  std::optional<platform::FilePlace> staging;
  if (destDirectory) staging = platform::createUniqueDirectory({*destDirectory, ""}, "." + top + ".partial-", error);
  if (!staging) {
    removeMade(*made);
    return std::nullopt;
  }
  std::string name = staging->path();
  std::optional<platform::DirectoryHandle> opened = platform::DirectoryHandle::openInside(*destDirectory, name, error);
  if (!opened) {
    std::string ignored;
    platform::removeTree(*staging, &ignored);
    removeMade(*made);
    return std::nullopt;
  }
  return StagingArea(std::move(*destDirectory), std::move(*opened), name, top, std::move(*made));
}

StagingArea::StagingArea(StagingArea&& other) noexcept
    : dest_(std::move(other.dest_)),
      staging_(std::move(other.staging_)),
      name_(std::move(other.name_)),
      top_(std::move(other.top_)),
      madeAbove_(std::move(other.madeAbove_)),
      finished_(other.finished_) {
  other.finished_ = true;
}

StagingArea::~StagingArea() {
  std::string ignored;
  if (!finished_) discard(&ignored);
}

platform::FilePlace StagingArea::place(const std::string& relative) const { return {staging_, relative}; }

bool StagingArea::commit(std::string* error) {
  if (!platform::renameWithoutReplacing({dest_, name_}, {dest_, top_}, error)) return false;
  finished_ = true;
  return true;
}

bool StagingArea::discard(std::string* error) {
  finished_ = true;
  bool removed = platform::removeTree({dest_, name_}, error);
  removeMade(madeAbove_);
  return removed;
}

}  // namespace kvx::bundle
