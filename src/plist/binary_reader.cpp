// Reader of binary property lists ("bplist00").
//
// Layout: the 8-byte header, the objects, a table with the offset of each
// object, and a 32-byte trailer giving the widths and places of the rest.
// Objects refer to each other by index into the offset table. Every number
// read from the document is checked against the buffer before it is used,
// so that a damaged or hostile list ends in an error, never in a read
// outside the buffer.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plist/plist.h"
#include "plist/dictionary_builder.h"

namespace kvx::plist {
namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kTrailerSize = 32;
constexpr int kMaxDepth = 512;

class BinaryReader {
 public:
  explicit BinaryReader(std::string_view bytes)
      : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {
    // Shared references let a small document name one large object many
    // times; what the expansion may cost is bounded by the document's size.
    budget_ = 64 * static_cast<uint64_t>(size_) + (16u << 20);
  }

  std::optional<Value> read(std::string* error) {
    Value top;
    if (!readTrailer() || !readObject(topObject_, 0, top)) {
      *error = "binary property list: " + error_;
      return std::nullopt;
    }
    return top;
  }

 private:
  bool fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
    return false;
  }

  uint64_t bigEndian(uint64_t pos, size_t width) const {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value = value << 8 | data_[pos + i];
    return value;
  }

  // True when [start, start + count * unit) lies inside the object area.
  bool fits(uint64_t start, uint64_t count, uint64_t unit) const {
    if (start > tableOffset_) return false;
    uint64_t room = tableOffset_ - start;
    return unit == 0 || count <= room / unit;
  }

  bool charge(uint64_t cost) {
    if (cost > budget_) return fail("the document expands beyond a sane size");
    budget_ -= cost;
    return true;
  }

  bool readTrailer() {
    if (size_ < kHeaderSize + kTrailerSize + 2) return fail("too short");
    if (std::memcmp(data_, "bplist00", kHeaderSize) != 0) return fail("not a bplist00 header");
    uint64_t trailer = size_ - kTrailerSize;
    offsetSize_ = data_[trailer + 6];
    refSize_ = data_[trailer + 7];
    numObjects_ = bigEndian(trailer + 8, 8);
    topObject_ = bigEndian(trailer + 16, 8);
    tableOffset_ = bigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8) return fail("offset width out of range");
    if (refSize_ < 1 || refSize_ > 8) return fail("reference width out of range");
    if (numObjects_ == 0) return fail("no objects");
    if (topObject_ >= numObjects_) return fail("top object out of range");
    if (tableOffset_ <= kHeaderSize || tableOffset_ > trailer) {
      return fail("offset table outside the document");
    }
    if (numObjects_ > (trailer - tableOffset_) / offsetSize_) {
      return fail("offset table runs into the trailer");
    }
    onPath_.assign(numObjects_, false);
    return true;
  }

  bool objectOffset(uint64_t ref, uint64_t* offset) {
    if (ref >= numObjects_) {
      return fail("reference " + std::to_string(ref) + " out of range");
    }
    *offset = bigEndian(tableOffset_ + ref * offsetSize_, offsetSize_);
    if (*offset < kHeaderSize || *offset >= tableOffset_) {
      return fail("object " + std::to_string(ref) + " lies outside the object area");
    }
    return true;
  }

  // The length of data, strings and containers: the low four bits of the
  // marker, or for 15 and more an integer object right after the marker.
  bool readCount(uint64_t offset, uint64_t* count, uint64_t* payload) {
    unsigned info = data_[offset] & 0xF;
    if (info != 0xF) {
      *count = info;
      *payload = offset + 1;
      return true;
    }
    if (!fits(offset + 1, 1, 1)) return fail("count runs past the objects");
    unsigned marker = data_[offset + 1];
    if ((marker & 0xF0) != 0x10 || (marker & 0xF) > 3) return fail("malformed count");
    size_t width = size_t{1} << (marker & 0xF);
    if (!fits(offset + 2, width, 1)) return fail("count runs past the objects");
    *count = bigEndian(offset + 2, width);
    if (width == 8 && *count > static_cast<uint64_t>(INT64_MAX)) return fail("negative count");
    *payload = offset + 2 + width;
    return true;
  }

  bool readObject(uint64_t ref, int depth, Value& out) {
    uint64_t offset = 0;
    if (!objectOffset(ref, &offset)) return false;
    if (!charge(sizeof(Value))) return false;
    unsigned marker = data_[offset];
    unsigned info = marker & 0xF;
    switch (marker >> 4) {
      case 0x0: return readSimple(info, out);
      case 0x1: return readInteger(offset, info, out);
      case 0x2: return readReal(offset, info, out);
      case 0x3:
        if (info != 3 || !fits(offset + 1, 8, 1)) return fail("malformed date");
        out = Value::date(doubleAt(offset + 1));
        return true;
      case 0x4: {
        std::string bytes;
        if (!readBytes(offset, &bytes)) return false;
        out = Value::data(std::move(bytes));
        return true;
      }
      case 0x5:
      case 0x6: {
        std::string text;
        if (!readString(offset, &text)) return false;
        out = Value::string(std::move(text));
        return true;
      }
      case 0xA:
      case 0xD: return readContainer(ref, offset, depth, out);
      case 0x8: return fail("UID objects are not property-list values");
      case 0xC: return fail("sets are not supported");
      default: return fail("unknown object marker " + std::to_string(marker));
    }
  }

  bool readSimple(unsigned info, Value& out) {
    if (info == 0x8 || info == 0x9) {
      out = Value::boolean(info == 0x9);
      return true;
    }
    // A null or fill byte has no value that a configuration could hold.
    return fail(info == 0 ? "null objects are not supported" : "unknown simple object");
  }

  bool readInteger(uint64_t offset, unsigned info, Value& out) {
    if (info > 4) return fail("integer of unsupported width");
    size_t width = size_t{1} << info;
    if (!fits(offset + 1, width, 1)) return fail("integer runs past the objects");
    if (width < 8) {
      out = Value::integer(static_cast<int64_t>(bigEndian(offset + 1, width)));
    } else if (width == 8) {
      out = Value::integer(static_cast<int64_t>(bigEndian(offset + 1, 8)));
    } else {
      // 128-bit: written for values from 2^63 up to 2^64 - 1, whose high half
      // is zero. A negative 64-bit value sign-extended is read as itself;
      // anything else does not fit in 64 bits.
      uint64_t high = bigEndian(offset + 1, 8);
      uint64_t low = bigEndian(offset + 9, 8);
      if (high == 0) {
        out = Value::unsignedInteger(low);
      } else if (high == UINT64_MAX && low > static_cast<uint64_t>(INT64_MAX)) {
        out = Value::integer(static_cast<int64_t>(low));
      } else {
        return fail("integer beyond 64 bits");
      }
    }
    return true;
  }

  double doubleAt(uint64_t pos) const {
    uint64_t bits = bigEndian(pos, 8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

  bool readReal(uint64_t offset, unsigned info, Value& out) {
    if (info == 2 && fits(offset + 1, 4, 1)) {
      auto bits = static_cast<uint32_t>(bigEndian(offset + 1, 4));
      float f;
      std::memcpy(&f, &bits, sizeof f);
      out = Value::real(f);
      return true;
    }
    if (info == 3 && fits(offset + 1, 8, 1)) {
      out = Value::real(doubleAt(offset + 1));
      return true;
    }
    return fail("malformed real");
  }

  bool readBytes(uint64_t offset, std::string* bytes) {
    uint64_t count = 0;
    uint64_t payload = 0;
    if (!readCount(offset, &count, &payload)) return false;
    if (!fits(payload, count, 1)) return fail("data or string runs past the objects");
    if (!charge(count)) return false;
    bytes->assign(reinterpret_cast<const char*>(data_ + payload), count);
    return true;
  }

  // An ASCII or UTF-16 string object, as UTF-8.
  bool readString(uint64_t offset, std::string* text) {
    if ((data_[offset] >> 4) == 0x6) return readUtf16(offset, text);
    if (!readBytes(offset, text)) return false;
    for (unsigned char c : *text) {
      if (c >= 0x80) return fail("non-ASCII byte in an ASCII string");
    }
    return true;
  }

  bool readUtf16(uint64_t offset, std::string* text) {
    uint64_t units = 0;
    uint64_t payload = 0;
    if (!readCount(offset, &units, &payload)) return false;
    if (!fits(payload, units, 2)) return fail("string runs past the objects");
    if (!charge(units * 3)) return false;
    text->clear();
    text->reserve(units * 3);
    Utf16Decoder decoder(*text);
    for (uint64_t i = 0; i < units; ++i) decoder.add(static_cast<char32_t>(bigEndian(payload + 2 * i, 2)));
    decoder.finish();
    return true;
  }

  bool readContainer(uint64_t ref, uint64_t offset, int depth, Value& out) {
    if (depth >= kMaxDepth) return fail("nesting deeper than " + std::to_string(kMaxDepth));
    if (onPath_[ref]) return fail("object " + std::to_string(ref) + " contains itself");
    bool isDictionary = (data_[offset] >> 4) == 0xD;
    uint64_t count = 0;
    uint64_t refs = 0;
    if (!readCount(offset, &count, &refs)) return false;
    uint64_t slots = isDictionary ? 2 : 1;
    if (count > UINT64_MAX / slots || !fits(refs, count * slots, refSize_)) {
      return fail("container runs past the objects");
    }
    if (!charge(count * sizeof(Value))) return false;
    onPath_[ref] = true;
    bool ok = isDictionary ? readDictionary(refs, count, depth, out) : readArray(refs, count, depth, out);
    onPath_[ref] = false;
    return ok;
  }

  bool readArray(uint64_t refs, uint64_t count, int depth, Value& out) {
    Array items(count);
    for (uint64_t i = 0; i < count; ++i) {
      if (!readObject(bigEndian(refs + i * refSize_, refSize_), depth + 1, items[i])) return false;
    }
    out = Value::array(std::move(items));
    return true;
  }

  bool readDictionary(uint64_t refs, uint64_t count, int depth, Value& out) {
    Dictionary entries(count);
    uint64_t values = refs + count * refSize_;
    for (uint64_t i = 0; i < count; ++i) {
      if (!readKey(bigEndian(refs + i * refSize_, refSize_), &entries[i].first)) return false;
      if (!readObject(bigEndian(values + i * refSize_, refSize_), depth + 1, entries[i].second)) {
        return false;
      }
    }
    out = Value::dictionary(detail::withoutRepeatedKeys(std::move(entries)));
    return true;
  }

  bool readKey(uint64_t ref, std::string* key) {
    uint64_t offset = 0;
    if (!objectOffset(ref, &offset)) return false;
    unsigned type = data_[offset] >> 4;
    if (type != 0x5 && type != 0x6) return fail("dictionary key is not a string");
    return readString(offset, key);
  }

  const unsigned char* data_;
  size_t size_;
  unsigned offsetSize_ = 0;
  unsigned refSize_ = 0;
  uint64_t numObjects_ = 0;
  uint64_t topObject_ = 0;
  uint64_t tableOffset_ = 0;
  std::vector<bool> onPath_;
  uint64_t budget_ = 0;
  std::string error_;
};

}  // namespace

std::optional<Value> parseBinary(std::string_view bytes, std::string* error) {
  return BinaryReader(bytes).read(error);
}

}  // namespace kvx::plist
