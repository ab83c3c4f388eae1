#include "indices/computeedi.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "records/fatal.h"
#include "table_files.h"

namespace {

using namespace indices_testing;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

// A March start ending in November, July 1972 filled with trunc(1784 / 3) =
// 594. Expected: edi(prn(rows)) of tests/review/review_indices.py; with
// every value in double instead, April 1972 would read 5661.91 and -93.74 and
// May 1973 a DEP of 402.32.
TEST(EffectivePrecipitation, MarchStartAgainstReference) {
  TempDir dir;
  write_file("ST0001-spi-interpolated.csv",
             table_text({{1971, {M, M, 867, 821, 782, 64, 261, 120, 507, 779, 460, 483}},
                         {1972, {667, 388, 807, 214, 96, 499, M, 855, 399, 443, 622, 780}},
                         {1973, {785, 2, 712, 456, 272, 738, 821, 234, 605, 104, 325, 31}},
                         {1974, {22, 26, 665, 554, 9, 390, 702, 221, 432, 743, 29, M}}}));
  indices::computeedi(kInterpolated);

  const Lines edi = read_records("ST0001-EDIint.csv");
  ASSERT_EQ(edi.size(), 36u);
  EXPECT_EQ(edi[0], " YEAR,MO,EP,DEP,SEP,PRN,EDI");
  EXPECT_EQ(edi[1], "1972, 2, 5841.55, 1372.65,    0.68,  442.33,    1.06,");
  EXPECT_EQ(edi[3], "1972, 4, 5661.92,  -93.75,   -0.09,  -30.21,   -0.07,");
  EXPECT_EQ(edi[6], "1972, 7, 5631.06,  -44.51,   -0.03,  -14.34,   -0.03,");
  EXPECT_EQ(edi[16], "1973, 5, 5552.97,  402.31,    0.26,  129.64,    0.31,");
  EXPECT_EQ(edi[24], "1974, 1, 2862.48,-2590.84,   -0.76, -834.89,   -1.99,");
  EXPECT_EQ(edi[34], "1974,11, 4220.04,-1071.43,   -0.96, -345.27,   -0.82,");
  EXPECT_EQ(edi[35], "");

  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), 35u);  // no empty record at the end
  EXPECT_EQ(prn[0], " YEAR,MO,EP,DEP,SEP,PRN");
  for (std::size_t i = 1; i < prn.size(); ++i) {
    EXPECT_EQ(prn[i], edi[i].substr(0, 44));
    const double dep = std::atof(prn[i].substr(17, 8).c_str());
    EXPECT_NEAR(std::atof(prn[i].substr(35, 8).c_str()), dep / 3.1032107, 0.0067) << prn[i];
  }
}

}  // namespace
