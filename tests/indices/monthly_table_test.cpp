#include "indices/monthly_table.h"

#include <gtest/gtest.h>

#include "table_files.h"
#include "records/files.h"

namespace {

// A record may continue on the next line; a null value leaves 0; the file may
// end inside a record; the station number is that of the last complete record.
TEST(MonthlyTableReading, FreeFormRecords) {
  testing_support::TempDir dir;
  testing_support::write_file("table.csv",
                              "11,1950,1,2,3,4,5,6\r\n7,8,9,10,11,12\r\n"
                              "22 1951 ,,2,3,4,5,6,7,8,9,10,11,12\n33,1952,1,2\r\n");
  records::open(99, "table.csv");
  const indices::MonthlyTable t = indices::read_monthly_table(99, 1000);
  ASSERT_EQ(t.n, 2);
  EXPECT_EQ(t.station, 22);
  EXPECT_EQ(t.year[0], 1950);
  EXPECT_EQ(t.total[0], (std::array<int, 12>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(t.year[1], 1951);
  EXPECT_EQ(t.total[1], (std::array<int, 12>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

}  // namespace
