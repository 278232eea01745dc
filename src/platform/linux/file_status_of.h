// The one translation of the system's stat record into a FileStatus, for the
// services that examine files through descriptors of their own.
#pragma once

#include <sys/stat.h>

#include "platform/file_status.h"

namespace kvx::platform::detail {

FileStatus statusOf(const struct stat& st);

}  // namespace kvx::platform::detail
