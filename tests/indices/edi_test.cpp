#include "indices/edi.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"
#include "table_files.h"

namespace {

using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;
using Lines = std::vector<std::string>;

const char* const kPrnHeader = " YEAR,MO,EP,DEP,SEP,PRN\r\n";

// PRN 1, -1, -0, 2: mean 0.5, squares 0.25 + 2.25 + 0.25 + 2.25 = 5, SD =
// sqrt(5 / 3) = 1.2909944, so EDI = PRN / SD = 0.77, -0.77, -0.00, 1.55 (the
// mean is not subtracted, and the sign is that of PRN). The values read are
// written back as their text was, NaN and infinities included. The record
// with asterisks ends the reading: it and the record after it are absent.
TEST(DroughtIndex, StandardizesPrnOverTheFile) {
  TempDir dir;
  write_file("ST0001-PRN.csv", std::string(kPrnHeader) +
                                   "1999,12,  100.00,    3.10,    0.50,    1.00,\r\n"
                                   "2000, 1,   90.00,   -3.10,    +Inf,   -1.00,\r\n"
                                   "2000, 2,    0.00,   -0.00,     NaN,   -0.00,\r\n"
                                   "2000, 3,12345.67,    6.21,   -1.00,    2.00,\r\n"
                                   "2000, 4,********,    1.00,    1.00,    1.00,\r\n"
                                   "2000, 5,  100.00,    1.00,    1.00,    1.00,\r\n");
  indices::edi(indices_testing::kObserved);
  EXPECT_EQ(read_records("ST0001-EDI.csv"),
            (Lines{
                " YEAR,MO,EP,DEP,SEP,PRN,EDI",
                "1999,12,  100.00,    3.10,    0.50,    1.00,    0.77,",
                "2000, 1,   90.00,   -3.10,    +Inf,   -1.00,   -0.77,",
                "2000, 2,    0.00,   -0.00,     NaN,   -0.00,   -0.00,",
                "2000, 3,12345.67,    6.21,   -1.00,    2.00,    1.55,",
                "",
            }));
}

TEST(DroughtIndex, NoRecordOrOneRecord) {
  TempDir dir;
  write_file("ST0001-PRN.csv", kPrnHeader);
  indices::edi(indices_testing::kInterpolated);
  EXPECT_EQ(read_records("ST0001-EDIint.csv"), (Lines{" YEAR,MO,EP,DEP,SEP,PRN,EDI", ""}));

  // One record: SD is 0 / 0 and its EDI NaN.
  write_file("ST0001-PRN.csv",
             std::string(kPrnHeader) + "1999,12,  100.00,    3.10,    0.50,    1.00,\r\n");
  indices::edi(indices_testing::kInterpolated);
  EXPECT_EQ(read_records("ST0001-EDIint.csv"),
            (Lines{" YEAR,MO,EP,DEP,SEP,PRN,EDI",
                   "1999,12,  100.00,    3.10,    0.50,    1.00,     NaN,", ""}));
}

TEST(DroughtIndex, MissingPrnFileIsFatal) {
  TempDir dir;
  EXPECT_THROW(indices::edi(indices_testing::kObserved), records::FatalError);
}

}  // namespace
