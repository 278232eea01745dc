#include "shown_bytes.h"

#include "base/utf.h"

namespace kvx::bundle {

std::string shownBytes(std::string_view text) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  while (!text.empty()) {
    DecodedCharacter character = decodeUtf8(text);
    if (character.valid) {
      shown.append(text.substr(0, character.length));
    } else {
      auto byte = static_cast<unsigned char>(text[0]);
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
    }
    text.remove_prefix(character.length);
  }
  return shown;
}

}  // namespace kvx::bundle
