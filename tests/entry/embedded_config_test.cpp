#include <gtest/gtest.h>

#include "entry/entry_points.h"

namespace kvx {
namespace {

TEST(EmbeddedConfig, AProgramWithoutTheNoteHasNoConfiguration) {
  // This test program is linked without the reserved note.
  const void* data = reinterpret_cast<const void*>(1);
  EXPECT_EQ(findEmbeddedConfig(&data), 0);
  EXPECT_EQ(data, nullptr);
}

}  // namespace
}  // namespace kvx
