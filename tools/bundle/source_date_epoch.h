// SOURCE_DATE_EPOCH, the reproducible-builds convention: when it is set, the
// same inputs must give the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvx::bundle {

// Whole seconds since 1970, or nullopt when it is not set. A value that is no
// such number is refused (false, one line in *error) rather than silently
// giving output that differs from run to run.
bool readSourceDateEpoch(std::optional<int64_t>& time, std::string* error);

}  // namespace kvx::bundle
