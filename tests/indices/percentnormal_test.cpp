#include "indices/percentnormal.h"

#include <gtest/gtest.h>

#include "table_files.h"

namespace {

using namespace indices_testing;

struct Case {
  const char* what;
  std::string table;                                        // empty: no table at all
  std::vector<std::pair<std::size_t, std::string>> starts;  // record index, its beginning
  std::size_t records;
  bool interpolated = false;
};

TEST(PercentOfNormal, Tables) {
  // 250 years, January: 2^24, 755000, 1 (years 3..200), 10^8 (201..250, unread).
  // The single-precision sum keeps 2^24 + 755000 = 17532216 and loses every 1
  // (17532217 rounds to even), so the normal is 87661.08 and 755000 is 861.27
  // percent; a double sum (17532414) gives 87662.07 and 861.26. 2^24 is 191
  // times its normal.
  std::vector<Year> long_table{only(1801, 1, 16777216), only(1802, 1, 755000)};
  for (int y = 1803; y <= 2050; ++y) long_table.push_back(only(y, 1, y <= 2000 ? 1 : 100000000));
  std::vector<Year> tenfold;
  for (int y = 1901; y <= 1910; ++y) tenfold.push_back(only(y, 1, y == 1910 ? 100 : 0));

  // clang-format off
  const std::vector<Case> cases{
      // Jan normal 200; Feb all zero (0/0); Mar one total; Apr a zero total;
      // May at its normal; Jun never present; Jul..Dec normal 2.
      {"every kind of cell", table_text({{1960, {100, 0, 50, 0, 7, M, 1, 1, 1, 1, 1, 1}},
                                         {1961, {300, 0, M, 10, 7, M, 2, 2, 2, 2, 2, 2}},
                                         {1962, {200, 0, M, 20, 7, M, 3, 3, 3, 3, 3, 3}}}),
       {{0, "1960, 50.00,   NaN,100.00,  0.00,100.00,-99.00, 50.00, 50.00, 50.00, 50.00, 50.00, 50.00,"},
        {1, "1961,150.00,   NaN,-99.00,100.00,100.00,-99.00,100.00,100.00,100.00,100.00,100.00,100.00,"},
        {2, "1962,100.00,   NaN,-99.00,200.00,100.00,-99.00,150.00,150.00,150.00,150.00,150.00,150.00,"}},
       4},
      // Normal (42617 + 57383) / 2 = 50000.
      {"January alone", table_text({only(1950, 1, 42617), only(1951, 1, 57383)}),
       {{0, "1950, 85.23,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,"},
        {1, "1951,114.77,"}},
       3},
      // Normal 10: 1000.00 percent is too wide for six columns.
      {"ten times the normal", table_text(tenfold), {{0, "1901,  0.00,"}, {9, "1910,******,"}}, 11},
      {"250 years", table_text(long_table),
       {{0, "1801,******,"}, {1, "1802,861.27,"}, {2, "1803,  0.00,"}, {199, "2000,  0.00,"}}, 201, true},
      {"no table", "", {}, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    const char* table = c.interpolated ? "ST0001-spi-interpolated.csv" : "ST0001-spiformat.csv";
    if (!c.table.empty()) testing_support::write_file(table, c.table);
    indices::percentnormal(c.interpolated ? kInterpolated : kObserved);
    const Lines lines = testing_support::read_records(c.interpolated ? "ST0001-pctnormint.csv"
                                                                     : "ST0001-pctnorm.csv");
    ASSERT_EQ(lines.size(), c.records) << c.what;
    EXPECT_EQ(lines.back(), "") << c.what;
    for (const auto& [i, start] : c.starts)
      EXPECT_EQ(lines[i].substr(0, start.size()), start) << c.what;
  }
}

}  // namespace
