// Conversions of the text of XML property-list elements into values.
// Each returns nullopt when the text is not a valid form of its type.
#pragma once

#include <optional>
#include <string_view>

#include "plist/plist.h"

namespace kvx::plist::xml_text {

bool isSpace(char c);
// Decimal or "0x" hexadecimal, optionally signed, from -2^63 to 2^64 - 1.
std::optional<Value> integer(std::string_view text);
// Decimal with optional exponent, "inf", "nan".
std::optional<Value> real(std::string_view text);
// ISO 8601 in UTC: "2024-02-29T12:34:56Z"; trailing fields may be left out.
std::optional<Value> date(std::string_view text);
// Base64; whitespace anywhere is ignored.
std::optional<Value> base64(std::string_view text);

}  // namespace kvx::plist::xml_text
