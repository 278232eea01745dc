// Property-list values: the configuration dictionary, Info.plist files, user defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvx::plist {

class Value;
using Array = std::vector<Value>;
// Keys keep the order in which the document gave them; lookups are linear,
// which is cheaper than a map for the few dozen keys a configuration holds.
using Dictionary = std::vector<std::pair<std::string, Value>>;

enum class Type { String, Integer, Real, Boolean, Date, Data, Array, Dictionary };

// "string", "integer", ... for messages about a value of the wrong type.
const char* typeName(Type type);

class Value {
 public:
  Value() : type_(Type::String) {}
  static Value string(std::string s);
  static Value integer(int64_t i);
  // Binary lists can hold unsigned 64-bit integers above INT64_MAX.
  static Value unsignedInteger(uint64_t u);
  static Value real(double d);
  static Value boolean(bool b);
  // Seconds since 2001-01-01T00:00:00Z, as both formats store dates.
  static Value date(double secondsSince2001);
  static Value data(std::string bytes);
  static Value array(Array items);
  static Value dictionary(Dictionary entries);

  Type type() const { return type_; }
  bool isString() const { return type_ == Type::String; }
  bool isDictionary() const { return type_ == Type::Dictionary; }
  bool isArray() const { return type_ == Type::Array; }

  // Raw access; each is only meaningful for the matching type.
  const std::string& str() const { return text_; }        // String, Data
  int64_t integerRaw() const { return int_; }              // Integer
  bool isUnsignedBig() const { return unsignedBig_; }      // Integer above INT64_MAX
  uint64_t unsignedRaw() const { return static_cast<uint64_t>(int_); }
  double realRaw() const { return real_; }                 // Real, Date
  bool boolRaw() const { return int_ != 0; }               // Boolean
  const Array& items() const { return array_; }            // Array
  const Dictionary& entries() const { return dict_; }      // Dictionary

  // Dictionary lookup; null when this is not a dictionary or the key is absent.
  const Value* get(std::string_view key) const;

  // Same type and content; dictionaries compare as sets of entries, as the
  // order of their keys carries no meaning.
  bool operator==(const Value& other) const;

 private:
  Type type_;
  std::string text_;
  int64_t int_ = 0;
  bool unsignedBig_ = false;
  double real_ = 0;
  Array array_;
  Dictionary dict_;
};

// The platform's readings of a value. A type that has no such reading
// (an array asked for its boolean value) raises PlatformException.
bool boolValue(const Value& v);
int32_t intValue(const Value& v);
int64_t integerValue(const Value& v);

// The same readings of a string.
bool boolValue(std::string_view s);
int32_t intValue(std::string_view s);
int64_t integerValue(std::string_view s);

// A configuration value that must be a string: absent stays absent, a string
// gives its text, anything else raises PlatformException naming the key.
std::optional<std::string> stringValue(const Value* v, std::string_view key);
// A configuration value that must be an array of strings.
std::optional<std::vector<std::string>> stringArrayValue(const Value* v, std::string_view key);

// "%@" description in the platform's style: strings as they stand at the top
// level, arrays as ( ... ), dictionaries as { ... }.
std::string describe(const Value* v);
std::string describe(const Value& v);
std::string describe(const std::optional<std::string>& s);
std::string describe(const std::vector<std::string>& list);

enum class Format { Binary, Xml, Unknown };
Format detectFormat(std::string_view bytes);

// Parse a whole document, binary or XML by its first bytes. On failure
// returns nullopt and puts a one-line reason into *error.
std::optional<Value> parse(std::string_view bytes, std::string* error);
std::optional<Value> parseBinary(std::string_view bytes, std::string* error);
std::optional<Value> parseXml(std::string_view bytes, std::string* error);

// The binary form ("bplist00") of a value, as configurations are stored.
std::string writeBinary(const Value& v);
// The XML form, indented with tabs, for files that people read and edit.
// Text is escaped as XML needs; control characters other than tab, line
// feed and carriage return have no XML form and must not be handed in.
std::string writeXml(const Value& v);

}  // namespace kvx::plist
