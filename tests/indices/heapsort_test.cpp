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

TEST(HeapSort, OrderedInputs) {
  std::vector<float> up{1, 2, 3, 4, 5, 6, 7};
  std::vector<float> down{7, 6, 5, 4, 3, 2, 1};
  std::vector<float> same(9, 2.5f);
  indices::heapsort(up);
  indices::heapsort(down);
  indices::heapsort(same);
  EXPECT_EQ(up, (std::vector<float>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(down, up);
  EXPECT_EQ(same, std::vector<float>(9, 2.5f));
  // Only the given span is sorted.
  std::vector<float> part{3, 1, 2, 0};
  indices::heapsort(std::span<float>(part).first(3));
  EXPECT_EQ(part, (std::vector<float>{1, 2, 3, 0}));
}

}  // namespace
