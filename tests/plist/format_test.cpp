// Which reader a document goes to.
#include <gtest/gtest.h>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

TEST(PlistFormat, DetectedFromTheFirstBytes) {
  using namespace std::string_literals;
  const std::vector<std::pair<std::string, Format>> cases = {
      {"bplist00\xA0", Format::Binary},
      {"bplist01", Format::Unknown},
      {"bplist", Format::Unknown},
      {"<?xml version=\"1.0\"?>", Format::Xml},
      {"<!DOCTYPE plist>", Format::Xml},
      {"<plist version=\"1.0\">", Format::Xml},
      {" \n\t<plist>", Format::Xml},
      {"\xEF\xBB\xBF<?xml", Format::Xml},
      {"\xFF\xFE<\0p\0l\0i\0s\0t\0"s, Format::Xml},
      {"\xFE\xFF\0 \0<\0?\0x\0m\0l"s, Format::Xml},
      {"<html>", Format::Unknown},
      {"{ key = value; }", Format::Unknown},
      {"", Format::Unknown},
  };
  for (const auto& [bytes, format] : cases) {
    EXPECT_EQ(detectFormat(bytes), format) << bytes;
  }
}

TEST(PlistFormat, UnknownDocumentsAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(parse("", &error));
  EXPECT_EQ(error, "empty document");
  EXPECT_FALSE(parse("{ key = value; }", &error));
  EXPECT_EQ(error, "not a property list in a known format");
  EXPECT_FALSE(parse("bplist00", &error));
  EXPECT_NE(error.find("binary property list"), std::string::npos);
}

}  // namespace
}  // namespace kvx::plist
