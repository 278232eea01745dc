// Reader of XML property lists: <plist> holding one value made of dict,
// array, key, string, integer, real, true, false, date and data elements.
// The XML itself is parsed by pugixml; this file checks the structure and
// converts the text of each element.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <pugixml.hpp>
#include <string>

#include "base/utf.h"
#include "plist/plist.h"
#include "plist/dictionary_builder.h"
#include "plist/xml_text.h"

namespace kvx::plist {
namespace {

constexpr int kMaxDepth = 512;

class XmlReader {
 public:
  std::optional<Value> read(std::string_view bytes, std::string* error) {
    std::optional<Value> value = readDocument(bytes);
    if (!value) *error = "XML property list: " + error_;
    return value;
  }

 private:
  bool fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
    return false;
  }

  // The line, from 1, that the byte at offset lies on.
  static size_t lineAt(std::string_view bytes, ptrdiff_t offset) {
    const size_t end = std::min(bytes.size(), static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)));
    return 1 + static_cast<size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(end), '\n'));
  }

  // Document text quoted in a one-line reason: line breaks flattened, long
  // text cut at a character boundary.
  static std::string quoted(std::string_view text) {
    constexpr size_t kLongest = 60;
    std::string out;
    for (char c : text.substr(0, kLongest)) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    if (text.size() > kLongest) {
      while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
      if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
      out += "...";
    }
    return "\"" + out + "\"";
  }

  // A character reference to NUL ("&#0;", "&#x00;") would cut the text
  // it stands in, silently: "Hel&#0;lo" would read as "Hel".
  static bool referencesNul(std::string_view bytes) {
    for (size_t at = bytes.find("&#"); at != std::string_view::npos; at = bytes.find("&#", at + 2)) {
      size_t i = at + 2;
      const bool hex = i < bytes.size() && (bytes[i] == 'x' || bytes[i] == 'X');
      if (hex) ++i;
      const size_t digits = i;
      while (i < bytes.size() && bytes[i] == '0') ++i;
      if (i > digits && i < bytes.size() && bytes[i] == ';') return true;
    }
    return false;
  }

  std::optional<Value> readDocument(std::string_view bytes) {
    if (referencesNul(bytes)) {
      fail("a character reference to NUL");
      return std::nullopt;
    }
    pugi::xml_document document;
    // Whitespace-only text is kept where it is an element's only content,
    // so that <string>  </string> keeps its spaces.
    unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
    pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_auto);
    if (!result) {
      fail(std::string(result.description()) + " at line " + std::to_string(lineAt(bytes, result.offset)) +
           " (at offset " + std::to_string(result.offset) + ")");
      return std::nullopt;
    }
    // Without a byte-order mark or a declared encoding the text must be
    // UTF-8; bytes that are not would reach the configuration garbled.
    if (result.encoding == pugi::encoding_utf8 && !isValidUtf8(bytes)) {
      fail("the document is not valid UTF-8 and declares no other encoding");
      return std::nullopt;
    }
    pugi::xml_node root;
    for (pugi::xml_node node : document.children()) {
      if (node.type() != pugi::node_element) continue;
      if (root) {
        fail("more than one top-level element");
        return std::nullopt;
      }
      root = node;
    }
    if (!root || std::string_view(root.name()) != "plist") {
      fail("the document is not a <plist>");
      return std::nullopt;
    }
    pugi::xml_node top;
    if (!onlyElement(root, &top)) return std::nullopt;
    if (!top) {
      fail("<plist> holds no value");
      return std::nullopt;
    }
    Value value;
    if (!readValue(top, 0, value)) return std::nullopt;
    return value;
  }

  // The single element child of a node, if any; text other than whitespace
  // and a second element are errors.
  bool onlyElement(pugi::xml_node parent, pugi::xml_node* only) {
    *only = pugi::xml_node();
    for (pugi::xml_node node : parent.children()) {
      if (!isBlankText(node) && node.type() != pugi::node_element) {
        return fail("unexpected text in <" + std::string(parent.name()) + ">");
      }
      if (node.type() != pugi::node_element) continue;
      if (*only) return fail("<" + std::string(parent.name()) + "> holds more than one value");
      *only = node;
    }
    return true;
  }

  static bool isBlankText(pugi::xml_node node) {
    if (node.type() != pugi::node_pcdata) return false;
    for (const char* c = node.value(); *c != '\0'; ++c) {
      if (!xml_text::isSpace(*c)) return false;
    }
    return true;
  }

  // The text of a leaf element: its text and CDATA sections joined.
  bool leafText(pugi::xml_node element, std::string* text) {
    text->clear();
    for (pugi::xml_node node : element.children()) {
      if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        *text += node.value();
      } else if (node.type() == pugi::node_element) {
        return fail("<" + std::string(element.name()) + "> may not hold elements");
      }
    }
    return true;
  }

  bool readValue(pugi::xml_node element, int depth, Value& out) {
    if (depth >= kMaxDepth) return fail("nesting deeper than " + std::to_string(kMaxDepth));
    std::string_view name = element.name();
    if (name == "dict") return readDictionary(element, depth, out);
    if (name == "array") return readArray(element, depth, out);
    if (name == "true" || name == "false") {
      pugi::xml_node child;
      if (!onlyElement(element, &child)) return false;
      if (child) return fail("<" + std::string(name) + "/> must be empty");
      out = Value::boolean(name == "true");
      return true;
    }
    std::string text;
    if (!leafText(element, &text)) return false;
    if (name == "string") {
      out = Value::string(std::move(text));
      return true;
    }
    return readScalar(name, text, out);
  }

  bool readScalar(std::string_view name, const std::string& text, Value& out) {
    std::optional<Value> value;
    if (name == "integer") {
      value = xml_text::integer(text);
    } else if (name == "real") {
      value = xml_text::real(text);
    } else if (name == "date") {
      value = xml_text::date(text);
    } else if (name == "data") {
      value = xml_text::base64(text);
    } else {
      return fail("unknown element <" + std::string(name) + ">");
    }
    if (!value) return fail("malformed <" + std::string(name) + ">: " + quoted(text));
    out = std::move(*value);
    return true;
  }

  bool readArray(pugi::xml_node element, int depth, Value& out) {
    Array items;
    for (pugi::xml_node node : element.children()) {
      if (isBlankText(node)) continue;
      if (node.type() != pugi::node_element) return fail("unexpected text in <array>");
      items.emplace_back();
      if (!readValue(node, depth + 1, items.back())) return false;
    }
    out = Value::array(std::move(items));
    return true;
  }

  bool readDictionary(pugi::xml_node element, int depth, Value& out) {
    Dictionary entries;
    std::optional<std::string> key;
    for (pugi::xml_node node : element.children()) {
      if (isBlankText(node)) continue;
      if (node.type() != pugi::node_element) return fail("unexpected text in <dict>");
      if (!key) {
        if (std::string_view(node.name()) != "key") {
          return fail("<" + std::string(node.name()) + "> in <dict> where a <key> belongs");
        }
        key.emplace();
        if (!leafText(node, &*key)) return false;
        continue;
      }
      if (std::string_view(node.name()) == "key") {
        return fail("<key> " + quoted(*key) + " has no value");
      }
      entries.emplace_back(std::move(*key), Value());
      key.reset();
      if (!readValue(node, depth + 1, entries.back().second)) return false;
    }
    if (key) return fail("<key> " + quoted(*key) + " has no value");
    out = Value::dictionary(detail::withoutRepeatedKeys(std::move(entries)));
    return true;
  }

  std::string error_;
};

}  // namespace

std::optional<Value> parseXml(std::string_view bytes, std::string* error) {
  return XmlReader().read(bytes, error);
}

}  // namespace kvx::plist
