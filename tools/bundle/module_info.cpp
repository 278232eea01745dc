#include "module_info.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kvx::bundle {
namespace {

// Reads big-endian numbers and runs of bytes; a read past the end fails
// every read after it.
class ClassReader {
 public:
  explicit ClassReader(std::string_view bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  uint32_t number(size_t width) {
    if (!ok_ || bytes_.size() - at_ < width) {
      ok_ = false;
      return 0;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes_[at_ + i]);
    at_ += width;
    return value;
  }
  std::string_view take(size_t count) {
    if (!ok_ || bytes_.size() - at_ < count) {
      ok_ = false;
      return {};
    }
    std::string_view part = bytes_.substr(at_, count);
    at_ += count;
    return part;
  }
  void skip(size_t count) { take(count); }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

constexpr uint8_t kUtf8 = 1, kLong = 5, kDouble = 6, kClass = 7, kModule = 19;

struct Constant {
  uint8_t tag = 0;
  uint16_t index = 0;     // of a Class or Module: its name
  std::string_view text;  // of a Utf8
};

// The width of a constant's body after its tag; 0 for a tag not known.
size_t bodyWidth(uint8_t tag) {
  switch (tag) {
    case 3: case 4: case 9: case 10: case 11: case 12: case 17: case 18: return 4;
    case kLong: case kDouble: return 8;
    case 15: return 3;
    case kClass: case 8: case 16: case kModule: case 20: return 2;
    default: return 0;
  }
}

std::optional<std::vector<Constant>> readConstants(ClassReader& reader) {
  std::vector<Constant> pool(reader.number(2));
  for (size_t i = 1; i < pool.size() && reader.ok(); ++i) {
    Constant& constant = pool[i];
    constant.tag = static_cast<uint8_t>(reader.number(1));
    if (constant.tag == kUtf8) {
      constant.text = reader.take(reader.number(2));
    } else if (constant.tag == kClass || constant.tag == kModule) {
      constant.index = static_cast<uint16_t>(reader.number(2));
    } else if (size_t width = bodyWidth(constant.tag)) {
      reader.skip(width);
      if (constant.tag == kLong || constant.tag == kDouble) ++i;  // they take two slots
    } else {
      return std::nullopt;
    }
  }
  if (!reader.ok()) return std::nullopt;
  return pool;
}

// The text a Class or Module constant names.
std::optional<std::string> nameAt(const std::vector<Constant>& pool, uint32_t index, uint8_t tag) {
  if (index == 0 || index >= pool.size() || pool[index].tag != tag) return std::nullopt;
  uint16_t name = pool[index].index;
  if (name == 0 || name >= pool.size() || pool[name].tag != kUtf8) return std::nullopt;
  return std::string(pool[name].text);
}

void skipMembers(ClassReader& reader) {
  for (uint32_t members = reader.number(2); members > 0 && reader.ok(); --members) {
    reader.skip(6);
    for (uint32_t attributes = reader.number(2); attributes > 0 && reader.ok(); --attributes) {
      reader.skip(2);
      reader.skip(reader.number(4));
    }
  }
}

// After the Module attribute's name: its flags and version, then each
// required module with its flags and version.
bool readRequires(ClassReader& body, const std::vector<Constant>& pool, std::vector<std::string>& required) {
  body.skip(4);
  for (uint32_t count = body.number(2); count > 0 && body.ok(); --count) {
    std::optional<std::string> name = nameAt(pool, body.number(2), kModule);
    if (!name) return false;
    required.push_back(*name);
    body.skip(4);
  }
  return body.ok();
}

}  // namespace

std::optional<ModuleInfo> readModuleInfo(std::string_view bytes) {
  ClassReader reader(bytes);
  if (reader.number(4) != 0xCAFEBABE) return std::nullopt;
  reader.skip(2);
  ModuleInfo info;
  info.classFileMajor = static_cast<int>(reader.number(2));
  std::optional<std::vector<Constant>> pool = readConstants(reader);
  if (!pool) return std::nullopt;
  reader.skip(6);                        // access flags, this class, super class
  reader.skip(size_t{2} * reader.number(2));  // interfaces
  skipMembers(reader);                   // fields
  skipMembers(reader);                   // methods
  bool declaresModule = false;
  for (uint32_t attributes = reader.number(2); attributes > 0 && reader.ok(); --attributes) {
    uint32_t nameIndex = reader.number(2);
    ClassReader body(reader.take(reader.number(4)));
    if (nameIndex == 0 || nameIndex >= pool->size() || (*pool)[nameIndex].tag != kUtf8) return std::nullopt;
    std::string_view attribute = (*pool)[nameIndex].text;
    if (attribute == "Module") {
      std::optional<std::string> name = nameAt(*pool, body.number(2), kModule);
      if (!name || !readRequires(body, *pool, info.requiredModules)) return std::nullopt;
      info.name = *name;
      declaresModule = true;
    } else if (attribute == "ModuleMainClass") {
      info.mainClass = nameAt(*pool, body.number(2), kClass);
      if (info.mainClass) std::replace(info.mainClass->begin(), info.mainClass->end(), '/', '.');
    }
  }
  if (!reader.ok() || !declaresModule) return std::nullopt;
  return info;
}

}  // namespace kvx::bundle
