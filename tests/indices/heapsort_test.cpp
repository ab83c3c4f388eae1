#include "indices/heapsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

// Sizes 0 to 40 and 1800, with many ties and with few, against std::sort.
TEST(HeapSort, SortsAscendingLikeAReferenceSort) {
  std::mt19937 gen(12345);
  for (std::size_t n = 0; n <= 41; ++n) {
    for (int range : {3, 1000}) {
      std::uniform_int_distribution<int> dist(-range, range);
      std::vector<float> v(n == 41 ? 1800 : n);
      for (float& x : v) x = static_cast<float>(dist(gen));
      std::vector<float> expected = v;
      std::sort(expected.begin(), expected.end());
      indices::heapsort(v);
      EXPECT_EQ(v, expected) << "n=" << v.size() << " range=" << range;
    }
  }
}
