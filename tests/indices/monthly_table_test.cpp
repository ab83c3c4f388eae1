#include "indices/monthly_table.h"

#include <gtest/gtest.h>

#include "records/records.h"
#include "support/tempdir.h"
#include "table_files.h"

namespace {

using testing_support::TempDir;
using testing_support::write_file;

constexpr int kUnit = 99;

indices::MonthlyTable read(const std::string& text, int max_years) {
  write_file("table.csv", text);
  records::open(kUnit, "table.csv");
  indices::MonthlyTable t = indices::read_monthly_table(kUnit, max_years);
  records::close(kUnit);
  return t;
}

TEST(MonthlyTableReading, FreeFormRecords) {
  TempDir dir;
  // A record may continue on the next line; a null value leaves 0; the
  // station number is that of the last complete record.
  const indices::MonthlyTable t = read(
      "11,1950,1,2,3,4,5,6\r\n7,8,9,10,11,12\r\n"
      "22 1951 ,,2,3,4,5,6,7,8,9,10,11,12\n"
      "33,1952,1,2\r\n",  // the file ends inside the record
      200);
  ASSERT_EQ(t.n, 2);
  EXPECT_EQ(t.station, 22);
  EXPECT_EQ(t.year[0], 1950);
  EXPECT_EQ(t.total[0], (std::array<int, 12>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(t.year[1], 1951);
  EXPECT_EQ(t.total[1][0], 0);
  EXPECT_EQ(t.total[1][11], 12);
}

TEST(MonthlyTableReading, StopsAtBadValueAndCapacity) {
  TempDir dir;
  std::string text;
  for (int y = 0; y < 5; ++y)
    text += indices_testing::table_text({indices_testing::flat(1900 + y, y)});
  EXPECT_EQ(read(text, 3).n, 3);
  EXPECT_EQ(read(text, 1000).n, 5);  // never more than the capacity of 200
  EXPECT_EQ(read("1,1900,1,2,3,4,5,6,7,8,9,10,11,1.5\r\n" + text, 200).n, 0);
  EXPECT_EQ(read("", 200).n, 0);
}

}  // namespace
