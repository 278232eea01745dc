// Construction, lookup and comparison of property-list values.
#include <cstdint>

#include "plist/plist.h"

namespace kvx::plist {

const char* typeName(Type type) {
  switch (type) {
    case Type::String: return "string";
    case Type::Integer: return "integer";
    case Type::Real: return "real";
    case Type::Boolean: return "boolean";
    case Type::Date: return "date";
    case Type::Data: return "data";
    case Type::Array: return "array";
    case Type::Dictionary: return "dictionary";
  }
  return "unknown";
}

Value Value::string(std::string s) {
  Value v;
  v.type_ = Type::String;
  v.text_ = std::move(s);
  return v;
}

Value Value::integer(int64_t i) {
  Value v;
  v.type_ = Type::Integer;
  v.int_ = i;
  return v;
}

Value Value::unsignedInteger(uint64_t u) {
  Value v;
  v.type_ = Type::Integer;
  v.int_ = static_cast<int64_t>(u);
  v.unsignedBig_ = u > static_cast<uint64_t>(INT64_MAX);
  return v;
}

Value Value::real(double d) {
  Value v;
  v.type_ = Type::Real;
  v.real_ = d;
  return v;
}

Value Value::boolean(bool b) {
  Value v;
  v.type_ = Type::Boolean;
  v.int_ = b ? 1 : 0;
  return v;
}

Value Value::date(double secondsSince2001) {
  Value v;
  v.type_ = Type::Date;
  v.real_ = secondsSince2001;
  return v;
}

Value Value::data(std::string bytes) {
  Value v;
  v.type_ = Type::Data;
  v.text_ = std::move(bytes);
  return v;
}

Value Value::array(Array items) {
  Value v;
  v.type_ = Type::Array;
  v.array_ = std::move(items);
  return v;
}

Value Value::dictionary(Dictionary entries) {
  Value v;
  v.type_ = Type::Dictionary;
  v.dict_ = std::move(entries);
  return v;
}

const Value* Value::get(std::string_view key) const {
  if (type_ != Type::Dictionary) return nullptr;
  for (const auto& [k, v] : dict_) {
    if (k == key) return &v;
  }
  return nullptr;
}

namespace {

bool sameEntries(const Value& a, const Value& b) {
  if (a.entries().size() != b.entries().size()) return false;
  for (const auto& [key, value] : a.entries()) {
    const Value* other = b.get(key);
    if (other == nullptr || !(value == *other)) return false;
  }
  return true;
}

}  // namespace

bool Value::operator==(const Value& other) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case Type::String:
    case Type::Data: return text_ == other.text_;
    case Type::Integer: return int_ == other.int_ && unsignedBig_ == other.unsignedBig_;
    case Type::Boolean: return boolRaw() == other.boolRaw();
    case Type::Real:
    case Type::Date: return real_ == other.real_;
    case Type::Array: return array_ == other.array_;
    case Type::Dictionary: return sameEntries(*this, other);
  }
  return false;
}

}  // namespace kvx::plist
