// The binary property-list format: "bplist00", the objects, a table of their
// offsets and a 32-byte trailer. Objects are numbered breadth first so that a
// container knows its children's numbers when it is written.
#include <cstring>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plist/plist.h"

namespace kvx::plist {
namespace {

// An object to write: a value, or a dictionary key (a plain string).
struct Object {
  const Value* value = nullptr;
  const std::string* key = nullptr;
  std::vector<uint64_t> children;  // arrays: items; dictionaries: keys, then values
};

std::vector<Object> numberObjects(const Value& root) {
  std::vector<Object> objects;
  objects.push_back(Object{&root, nullptr, {}});
  for (size_t i = 0; i < objects.size(); ++i) {
    const Value* value = objects[i].value;
    if (value == nullptr) continue;
    std::vector<Object> added;
    if (value->type() == Type::Array) {
      for (const Value& item : value->items()) added.push_back(Object{&item, nullptr, {}});
    } else if (value->type() == Type::Dictionary) {
      for (const auto& entry : value->entries()) added.push_back(Object{nullptr, &entry.first, {}});
      for (const auto& entry : value->entries()) added.push_back(Object{&entry.second, nullptr, {}});
    }
    for (Object& object : added) {
      objects[i].children.push_back(objects.size());
      objects.push_back(std::move(object));
    }
  }
  return objects;
}

unsigned bytesFor(uint64_t largest) {
  if (largest <= 0xff) return 1;
  if (largest <= 0xffff) return 2;
  if (largest <= 0xffffffffu) return 4;
  return 8;
}

void putBigEndian(std::string& out, uint64_t value, unsigned width) {
  for (unsigned i = width; i-- > 0;) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

void putInteger(std::string& out, int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value);
  // Negative numbers are always 8 bytes: shorter forms read as unsigned.
  const unsigned width = value < 0 ? 8 : bytesFor(bits);
  const unsigned power = width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3;
  out += static_cast<char>(0x10 | power);
  putBigEndian(out, bits, width);
}

// A marker with its count: in the low nibble, or 0xf and an integer after it.
void putMarker(std::string& out, unsigned kind, uint64_t count) {
  if (count < 15) {
    out += static_cast<char>(kind << 4 | count);
  } else {
    out += static_cast<char>(kind << 4 | 0xf);
    putInteger(out, static_cast<int64_t>(count));
  }
}

void putDouble(std::string& out, unsigned marker, double value) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  out += static_cast<char>(marker);
  putBigEndian(out, bits, 8);
}

void putString(std::string& out, const std::string& text) {
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    putMarker(out, 0x5, text.size());
    out += text;
    return;
  }
  const std::u16string units = utf16Units(text);
  putMarker(out, 0x6, units.size());
  for (char16_t unit : units) putBigEndian(out, unit, 2);
}

void putValue(std::string& out, const Object& object, unsigned refSize) {
  if (object.key != nullptr) return putString(out, *object.key);
  const Value& value = *object.value;
  switch (value.type()) {
    case Type::String:
      return putString(out, value.str());
    case Type::Integer:
      if (value.isUnsignedBig()) {
        // Above the signed range: the 16-byte form, high half zero.
        out += static_cast<char>(0x14);
        putBigEndian(out, 0, 8);
        return putBigEndian(out, value.unsignedRaw(), 8);
      }
      return putInteger(out, value.integerRaw());
    case Type::Real:
      return putDouble(out, 0x23, value.realRaw());
    case Type::Date:
      return putDouble(out, 0x33, value.realRaw());
    case Type::Boolean:
      out += static_cast<char>(value.boolRaw() ? 0x09 : 0x08);
      return;
    case Type::Data:
      putMarker(out, 0x4, value.str().size());
      out += value.str();
      return;
    case Type::Array:
    case Type::Dictionary:
      putMarker(out, value.type() == Type::Array ? 0xa : 0xd,
                value.type() == Type::Array ? object.children.size() : object.children.size() / 2);
      for (uint64_t child : object.children) putBigEndian(out, child, refSize);
      return;
  }
}

}  // namespace

std::string writeBinary(const Value& root) {
  const std::vector<Object> objects = numberObjects(root);
  const unsigned refSize = bytesFor(objects.size() - 1);
  std::string out = "bplist00";
  std::vector<uint64_t> offsets;
  offsets.reserve(objects.size());
  for (const Object& object : objects) {
    offsets.push_back(out.size());
    putValue(out, object, refSize);
  }
  const uint64_t tableOffset = out.size();
  const unsigned offsetSize = bytesFor(tableOffset);
  for (uint64_t offset : offsets) putBigEndian(out, offset, offsetSize);
  out.append(6, '\0');
  out += static_cast<char>(offsetSize);
  out += static_cast<char>(refSize);
  putBigEndian(out, objects.size(), 8);
  putBigEndian(out, 0, 8);  // the root is object 0
  putBigEndian(out, tableOffset, 8);
  return out;
}

}  // namespace kvx::plist
