#include "indices/edi.h"

#include <gtest/gtest.h>

#include "table_files.h"
#include "records/fatal.h"

namespace {

using namespace indices_testing;
using testing_support::read_records;
using testing_support::write_file;

const std::string kPrnHeader = " YEAR,MO,EP,DEP,SEP,PRN\r\n";
const std::string kEdiHeader = " YEAR,MO,EP,DEP,SEP,PRN,EDI";
const std::string kRecord = "1999,12,  100.00,    3.10,    0.50,    1.00,";

// PRN 1, -1, -0, 2: mean 0.5, squares 5, SD sqrt(5 / 3) = 1.2909944; EDI is
// PRN / SD, the mean not subtracted. Values are written back as read, NaN and
// infinities included; the record with asterisks ends the reading. One record
// gives SD 0 / 0 and a NaN EDI; a missing PRN file is fatal.
TEST(DroughtIndex, StandardizesPrnOverTheFile) {
  testing_support::TempDir dir;
  write_file("ST0001-PRN.csv", kPrnHeader + kRecord +
                                   "\r\n2000, 1,   90.00,   -3.10,    +Inf,   -1.00,\r\n"
                                   "2000, 2,    0.00,   -0.00,     NaN,   -0.00,\r\n"
                                   "2000, 3,12345.67,    6.21,   -1.00,    2.00,\r\n"
                                   "2000, 4,********,    1.00,    1.00,    1.00,\r\n"
                                   "2000, 5,  100.00,    1.00,    1.00,    1.00,\r\n");
  indices::edi(kObserved);
  EXPECT_EQ(read_records("ST0001-EDI.csv"),
            (Lines{kEdiHeader, kRecord + "    0.77,",
                   "2000, 1,   90.00,   -3.10,    +Inf,   -1.00,   -0.77,",
                   "2000, 2,    0.00,   -0.00,     NaN,   -0.00,   -0.00,",
                   "2000, 3,12345.67,    6.21,   -1.00,    2.00,    1.55,", ""}));

  const std::vector<std::pair<std::string, Lines>> small{
      {"", {kEdiHeader, ""}}, {kRecord + "\r\n", {kEdiHeader, kRecord + "     NaN,", ""}}};
  for (const auto& [records, edi] : small) {
    write_file("ST0001-PRN.csv", kPrnHeader + records);
    indices::edi(kInterpolated);
    EXPECT_EQ(read_records("ST0001-EDIint.csv"), edi);
  }
  std::filesystem::remove("ST0001-PRN.csv");
  EXPECT_THROW(indices::edi(kObserved), records::FatalError);
}

}  // namespace
