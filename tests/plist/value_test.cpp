// Equality and lookup of values.
#include <gtest/gtest.h>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

TEST(PlistValue, EqualityFollowsTypeAndContent) {
  EXPECT_EQ(Value::dictionary({{"a", Value::integer(1)}, {"b", Value::string("x")}}),
            Value::dictionary({{"b", Value::string("x")}, {"a", Value::integer(1)}}));
  EXPECT_NE(Value::dictionary({{"a", Value::integer(1)}}), Value::dictionary({{"a", Value::integer(2)}}));
  EXPECT_NE(Value::dictionary({{"a", Value::integer(1)}}), Value::dictionary({}));
  EXPECT_NE(Value::array({Value::integer(1), Value::integer(2)}),
            Value::array({Value::integer(2), Value::integer(1)}));
  EXPECT_NE(Value::string("1"), Value::data("1"));
  EXPECT_NE(Value::integer(1), Value::boolean(true));
  EXPECT_NE(Value::real(0), Value::date(0));
  // The same 64 bits, one read as unsigned above INT64_MAX.
  EXPECT_NE(Value::integer(-1), Value::unsignedInteger(UINT64_MAX));
  EXPECT_EQ(Value::unsignedInteger(5), Value::integer(5));
}

TEST(PlistValue, LookupIsByKeyInDictionariesOnly) {
  Value dict = Value::dictionary({{"", Value::integer(0)}, {"k", Value::integer(1)}});
  ASSERT_NE(dict.get("k"), nullptr);
  EXPECT_EQ(*dict.get("k"), Value::integer(1));
  EXPECT_NE(dict.get(""), nullptr);
  EXPECT_EQ(dict.get("K"), nullptr);
  EXPECT_EQ(Value::array({Value::string("k")}).get("k"), nullptr);
  EXPECT_EQ(Value::string("k").get("k"), nullptr);
}

}  // namespace
}  // namespace kvx::plist
