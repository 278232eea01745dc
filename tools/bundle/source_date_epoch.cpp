#include "source_date_epoch.h"

#include "platform/process.h"

namespace kvx::bundle {

bool readSourceDateEpoch(std::optional<int64_t>& time, std::string* error) {
  std::optional<std::string> value = platform::getEnv("SOURCE_DATE_EPOCH");
  if (!value) return true;
  bool digits = !value->empty() && value->size() <= 12 &&
                value->find_first_not_of("0123456789") == std::string::npos;
  if (!digits) {
    *error = "SOURCE_DATE_EPOCH \"" + *value + "\" is no number of seconds since 1970";
    return false;
  }
  time = std::stoll(*value);
  return true;
}

}  // namespace kvx::bundle
