// Both readers against Python's plistlib: plistlib writes each document and
// dumps what it reads back; our reader must read the same values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "plist/plist.h"
#include "test_support/temp_dir.h"

namespace kvx::plist {
namespace {

std::string hex(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 0xF];
  }
  return out;
}

std::string bits(double d) {
  char raw[8];
  uint64_t u;
  std::memcpy(&u, &d, sizeof u);
  for (int i = 0; i < 8; ++i) raw[i] = static_cast<char>(u >> (56 - 8 * i));
  return hex(std::string_view(raw, 8));
}

// The same canonical form as the script's dump.
void dump(const Value& v, std::string& out) {
  switch (v.type()) {
    case Type::String: out += "string " + hex(v.str()) + "\n"; break;
    case Type::Integer:
      out += "integer " +
             (v.isUnsignedBig() ? std::to_string(v.unsignedRaw()) : std::to_string(v.integerRaw())) +
             "\n";
      break;
    case Type::Real: out += "real " + bits(v.realRaw()) + "\n"; break;
    case Type::Boolean: out += std::string("bool ") + (v.boolRaw() ? "1" : "0") + "\n"; break;
    case Type::Date: out += "date " + bits(v.realRaw()) + "\n"; break;
    case Type::Data: out += "data " + hex(v.str()) + "\n"; break;
    case Type::Array:
      out += "array " + std::to_string(v.items().size()) + "\n";
      for (const Value& item : v.items()) dump(item, out);
      break;
    case Type::Dictionary: {
      out += "dict " + std::to_string(v.entries().size()) + "\n";
      std::vector<const std::pair<std::string, Value>*> sorted;
      for (const auto& entry : v.entries()) sorted.push_back(&entry);
      std::sort(sorted.begin(), sorted.end(),
                [](const auto* a, const auto* b) { return a->first < b->first; });
      for (const auto* entry : sorted) {
        out += "key " + hex(entry->first) + "\n";
        dump(entry->second, out);
      }
      break;
    }
  }
}

class PlistReference : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    std::string command = "python3 '" KVX_SOURCE_DIR "/tests/plist/plist_reference.py' '" +
                          dir_->path() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  // Every document of one format the script wrote, with plistlib's dump.
  static std::vector<std::pair<std::string, std::string>> documents(const std::string& suffix) {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_->path())) {
      std::string name = entry.path().filename().string();
      if (entry.path().extension() == "." + suffix) found.emplace_back(name, entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  static void expectSameAsReference(const std::string& suffix, Format format) {
    auto found = documents(suffix);
    ASSERT_GE(found.size(), 12u);
    for (const auto& [name, path] : found) {
      SCOPED_TRACE(name);
      std::string bytes = test::readFileOrMissing(path);
      EXPECT_EQ(detectFormat(bytes), format);
      std::string error;
      std::optional<Value> value = parse(bytes, &error);
      ASSERT_TRUE(value) << error;
      std::string ours;
      dump(*value, ours);
      EXPECT_EQ(ours, test::readFileOrMissing(path + ".dump"));
    }
  }

  static test::TempDir* dir_;
};

test::TempDir* PlistReference::dir_ = nullptr;

TEST_F(PlistReference, BinaryReaderReadsWhatPlistlibReads) {
  expectSameAsReference("binary", Format::Binary);
}

TEST_F(PlistReference, XmlReaderReadsWhatPlistlibReads) {
  expectSameAsReference("xml", Format::Xml);
}

// Our own writer's output, read back by both our reader and plistlib.
TEST_F(PlistReference, WrittenBinaryReadsBackEverywhere) {
  std::string copies;
  for (const auto& [name, path] : documents("binary")) {
    SCOPED_TRACE(name);
    std::string error;
    std::optional<Value> original = parse(test::readFileOrMissing(path), &error);
    ASSERT_TRUE(original) << error;
    std::string written = writeBinary(*original);
    std::optional<Value> again = parseBinary(written, &error);
    ASSERT_TRUE(again) << error;
    std::string ours;
    std::string theirs;
    dump(*original, theirs);
    dump(*again, ours);
    EXPECT_EQ(ours, theirs);
    std::string copy = dir_->path() + "/rewritten-" + name;
    test::writeFile(copy, written);
    copies += " '" + copy + "'";
  }
  std::string command =
      "python3 -c 'import plistlib,sys\nfor p in sys.argv[1:]: plistlib.load(open(p, \"rb\"))'" +
      copies;
  EXPECT_EQ(std::system(command.c_str()), 0);
}

// Our XML writer's output, read back by our reader and by plistlib, each
// of which must find the values of the reference document.
TEST_F(PlistReference, WrittenXmlReadsBackEverywhere) {
  std::string copies;
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& [name, path] : documents("xml")) {
    SCOPED_TRACE(name);
    std::string error;
    std::optional<Value> original = parse(test::readFileOrMissing(path), &error);
    ASSERT_TRUE(original) << error;
    std::string written = writeXml(*original);
    std::optional<Value> again = parseXml(written, &error);
    ASSERT_TRUE(again) << error;
    std::string ours;
    dump(*again, ours);
    EXPECT_EQ(ours, test::readFileOrMissing(path + ".dump"));
    std::string copy = path + ".written";
    test::writeFile(copy, written);
    copies += " '" + copy + "'";
    expected.emplace_back(copy, path + ".dump");
  }
  std::string command = "python3 '" KVX_SOURCE_DIR "/tests/plist/plist_reference.py' --dump" + copies;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const auto& [copy, reference] : expected) {
    EXPECT_EQ(test::readFileOrMissing(copy + ".dump"), test::readFileOrMissing(reference)) << copy;
  }
}

}  // namespace
}  // namespace kvx::plist
