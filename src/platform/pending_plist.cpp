// Temporary: the property-list readers are still being built.
#include "platform/plist.h"

namespace kvx::plist {
std::optional<Value> parse(std::string_view, std::string* error) { *error = "not built"; return std::nullopt; }
bool Value::operator==(const Value&) const { return false; }
const Value* Value::get(std::string_view key) const {
  if (type_ != Type::Dictionary) return nullptr;
  for (const auto& [k, v] : dict_) if (k == key) return &v;
  return nullptr;
}
}  // namespace kvx::plist
