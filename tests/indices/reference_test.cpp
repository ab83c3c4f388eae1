// Percent of normal and deciles with a reference period: the normals and the
// pool come from the reference years, and every year is written.
#include <gtest/gtest.h>

#include "indices/deciles.h"
#include "indices/percentnormal.h"
#include "table_files.h"

namespace {

using namespace indices_testing;

TEST(ReferencePeriod, NormalsAndPoolComeFromTheReferenceYears) {
  testing_support::TempDir dir;
  // January 100 in 1991 and 1992, 400 in 1993; February to December 11..21
  // in 1991, 21..31 in 1992 and 6..16 in 1993.
  std::vector<Year> years;
  for (int y = 1991; y <= 1993; ++y) {
    Year row{y, {}};
    for (int m = 1; m < 12; ++m)
      row.t[static_cast<std::size_t>(m)] = (y == 1993 ? 5 : 10 * (y - 1990)) + m;
    row.t[0] = y == 1993 ? 400 : 100;
    years.push_back(row);
  }
  testing_support::write_file("ST0001-spiformat.csv", table_text(years));
  indices::percentnormal(kObserved, {1991, 1992});
  const auto pct = testing_support::read_records("ST0001-pctnorm.csv");
  ASSERT_EQ(pct.size(), 4u);
  EXPECT_EQ(pct[0].substr(0, 12), "1991,100.00,");         // normal of 1991-1992: 100
  EXPECT_EQ(pct[1].substr(0, 19), "1992,100.00,131.25,");  // 21 against (11 + 21) / 2
  EXPECT_EQ(pct[2].substr(0, 12), "1993,400.00,");

  indices::deciles(kObserved, {1991, 1992});
  const auto codes = testing_support::read_records("ST0001-deciles.csv");
  ASSERT_EQ(codes.size(), 3u);
  // The pool holds the 24 totals of 1991-1992: 11..21, 21..31, 100 and 100;
  // two to a class: 11-12, 13-14, ..., 28-100. 1993's totals below the pool
  // are in the lowest class and 400, above it, in the highest.
  EXPECT_EQ(codes[2], "123456,1993, 10,  1,  1,  1,  1,  1,  1,  1,  2,  2,  3,  3,");
}

}  // namespace
