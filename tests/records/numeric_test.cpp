#include "records/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using records::trunc_to_int;

TEST(TruncToInt, TruncatesTowardZero) {
  EXPECT_EQ(trunc_to_int(2.9), 2);
  EXPECT_EQ(trunc_to_int(-2.9), -2);
  EXPECT_EQ(trunc_to_int(-0.5), 0);
  EXPECT_EQ(trunc_to_int(2147483647.9), 2147483647);
  EXPECT_EQ(trunc_to_int(-2147483648.9), -2147483647 - 1);
}

TEST(TruncToInt, ValuesWithoutAnIntegerGiveTheSentinel) {
  const int sentinel = std::numeric_limits<int>::min();
  EXPECT_EQ(trunc_to_int(2147483648.0), sentinel);
  EXPECT_EQ(trunc_to_int(-2147483649.0), sentinel);
  EXPECT_EQ(trunc_to_int(1e300), sentinel);
  EXPECT_EQ(trunc_to_int(std::nan("")), sentinel);
  EXPECT_EQ(trunc_to_int(std::numeric_limits<double>::infinity()), sentinel);
  EXPECT_EQ(trunc_to_int(-std::numeric_limits<double>::infinity()), sentinel);
}
