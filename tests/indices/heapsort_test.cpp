#include "indices/heapsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

TEST(HeapSort, SortsAscendingLikeAReferenceSort) {
  std::mt19937 gen(12345);
  std::vector<std::size_t> sizes;
  for (std::size_t n = 0; n <= 40; ++n) sizes.push_back(n);
  sizes.push_back(1800);
  for (std::size_t n : sizes) {
    for (int range : {3, 1000}) {  // many ties, few ties
      std::uniform_int_distribution<int> dist(-range, range);
      std::vector<float> v(n);
      for (float& x : v) x = static_cast<float>(dist(gen));
      std::vector<float> expected = v;
      std::sort(expected.begin(), expected.end());
      indices::heapsort(v);
      EXPECT_EQ(v, expected) << "n=" << n << " range=" << range;
    }
  }
}

TEST(HeapSort, OrderedInputsAndSubspans) {
  std::vector<float> down{7, 6, 5, 4, 3, 2, 1, 0};
  indices::heapsort(std::span<float>(down).first(7));  // only the given values
  EXPECT_EQ(down, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 0}));
}

}  // namespace
