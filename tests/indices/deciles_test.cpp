#include "indices/deciles.h"

#include <gtest/gtest.h>

#include <functional>

#include "table_files.h"

namespace {

using namespace indices_testing;

// from..to, then a number of zeros
std::vector<int> range(int from, int to, std::size_t zeros = 0) {
  std::vector<int> v;
  for (int x = from; x <= to; ++x) v.push_back(x);
  v.insert(v.end(), zeros, 0);
  return v;
}

TEST(Deciles, ClassesOfThePool) {
  struct Case {
    const char* what;
    std::vector<int> values;  // twelve to a year from 1901, later months missing
    std::string tail;         // text after the table
    std::size_t records;
    std::function<int(int)> code;  // the expected code of a total
  };
  // 35 zeros among 65..1: class 1 is 0..0, classes 2 and 3 get the bounds 1..0
  // and stay empty, class 4 is 1..5 (sorted positions 31 to 40), class k >= 4
  // ends at k*10-35.
  std::vector<int> ties;
  for (int v = 65; v >= 1; --v) {
    ties.push_back(v);
    if (v % 2 == 0 || v > 60) ties.push_back(0);
  }
  const std::vector<Case> cases{
      {"1..100", range(1, 100), "", 9, [](int v) { return (v - 1) / 10 + 1; }},
      {"1..105: class 10 runs on", range(1, 105), "", 9,
       [](int v) { return std::min((v - 1) / 10 + 1, 10); }},
      {"ties", ties, "", 9, [](int v) { return v == 0 ? 1 : (v + 34) / 10 + 1; }},
      // Years 151..200 (zeros) are not read.
      {"200 years", range(1, 1800, 600), "", 150, [](int v) { return (v - 1) / 180 + 1; }},
      {"fewer than ten totals", {5, 1, 9, 3, 7}, "", 1, [](int) { return -99; }},
      // The bad record and those after it pool nothing (a pooled 0 would
      // shift every class): 24 totals, class k is 2k-1..2k, class 10 19..24.
      {"bad record", range(1, 24), "42,1903,0,x\r\n" + table_text({flat(1904, 500)}, 42), 2,
       [](int v) { return std::min((v + 1) / 2, 10); }},
  };
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    std::vector<Year> years;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      if (i % 12 == 0) years.push_back(flat(static_cast<int>(1901 + i / 12), M));
      years.back().t[i % 12] = c.values[i];
    }
    testing_support::write_file("ST0001-spiformat.csv", table_text(years, 42) + c.tail);
    indices::deciles(kObserved);
    const Lines lines = testing_support::read_records("ST0001-deciles.csv");
    ASSERT_EQ(lines.size(), c.records) << c.what;
    for (std::size_t i = 0; i < c.records; ++i) {
      char buf[16];
      std::string expected = (std::snprintf(buf, sizeof buf, "%6d,%4zu,", 42, 1901 + i), buf);
      for (std::size_t k = 12 * i; k < 12 * i + 12; ++k) {
        const int code = k < c.values.size() ? c.code(c.values[k]) : -99;
        expected += (std::snprintf(buf, sizeof buf, "%3d,", code), buf);
      }
      EXPECT_EQ(lines[i], expected) << c.what;
    }
  }
}

TEST(Deciles, EmptyTableEmptiesTheOutput) {
  testing_support::TempDir dir;
  testing_support::write_file("ST0001-decilesint.csv", "old\r\n");
  testing_support::write_file("ST0001-spi-interpolated.csv", "");
  indices::deciles(kInterpolated);
  EXPECT_EQ(testing_support::read_file("ST0001-decilesint.csv"), "");
}

}  // namespace
