#include "palmer/palmer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

constexpr double kMissing = -99.0;

// PDSI, PHDI, PMDI, X1, X2, X3 and Pe of one month; empty for a missing month.
using Row = std::vector<double>;

struct Case {
  const char* name;
  std::vector<double> z;
  std::vector<Row> want;
};

// Worked out by tests/palmer/palmer_reference.py, an independent computation
// of the procedure (the comments there say what each series exercises).
const std::vector<Case> kCases{
    {"failed attempt",
     {3.5, 1.0, 2.0, -2.0, -1.0, 3.0, 1.0, -0.5},
     {
         {1.166666667, 1.166666667, 1.166666667, 1.166666667, 0.000000000, 1.166666667,
          0.000000000},
         {1.379833333, 1.379833333, 1.379833333, 0.333333333, 0.000000000, 1.379833333,
          0.000000000},
         {1.904377167, 1.904377167, 1.904377167, 0.666666667, 0.000000000, 1.904377167,
          0.000000000},
         {1.041559652, 1.041559652, 0.028314995, 0.000000000, -0.666666667, 1.041559652,
          59.315598054},
         {0.600945674, 0.600945674, -0.863508249, 0.000000000, -0.931333333, 0.600945674,
          95.573581317},
         {1.539048270, 1.539048270, 1.336372715, 1.000000000, 0.000000000, 1.539048270,
          13.168888796},
         {1.713859631, 1.713859631, 1.713859631, 1.230333333, 0.000000000, 1.713859631,
          0.000000000},
         {-0.166666667, 1.370665423, 1.049564184, 0.000000000, -0.166666667, 1.370665423,
          20.886914507},
     }},
    {"successful attempt",
     {-3.0, -2.0, -1.0, 2.0, -1.9, 4.0, 1.0},
     {
         {-1.000000000, -1.000000000, -1.000000000, 0.000000000, -1.000000000, -1.000000000,
          0.000000000},
         {-1.563666667, -1.563666667, -1.563666667, 0.000000000, -0.666666667, -1.563666667,
          0.000000000},
         {-1.735942333, -1.735942333, -1.735942333, 0.000000000, -0.333333333, -1.735942333,
          0.000000000},
         {0.666666667, -0.890473606, 0.165157853, 0.666666667, 0.000000000, -0.890473606,
          67.792958510},
         {-0.633333333, -1.432088158, -1.244043007, 0.000000000, -0.633333333, -1.432088158,
          13.130836253},
         {1.333333333, 1.333333333, 1.333333333, 1.333333333, 0.000000000, 1.333333333,
          100.000000000},
         {1.529333333, 1.529333333, 1.529333333, 0.333333333, 0.000000000, 1.529333333,
          0.000000000},
     }},
    {"ending settled later",
     {3.0, 1.0, -2.5, 0.5, 0.5, -1.0, -2.0, -2.5},
     {
         {1.000000000, 1.000000000, 1.000000000, 1.000000000, 0.000000000, 1.000000000,
          0.000000000},
         {1.230333333, 1.230333333, 1.230333333, 0.333333333, 0.000000000, 1.230333333,
          0.000000000},
         {-0.833333333, -0.833333333, -0.833333333, 0.000000000, -0.833333333, 0.000000000,
          100.000000000},
         {-0.580833333, -0.580833333, -0.580833333, 0.166666667, -0.580833333, 0.000000000,
          0.000000000},
         {-0.354340833, -0.354340833, -0.354340833, 0.316166667, -0.354340833, 0.000000000,
          0.000000000},
         {-0.651177061, -0.651177061, -0.651177061, 0.000000000, -0.651177061, 0.000000000,
          0.000000000},
         {-1.250772490, -1.250772490, -1.250772490, 0.000000000, -1.250772490, -1.250772490,
          0.000000000},
         {-1.955276257, -1.955276257, -1.955276257, 0.000000000, -0.833333333, -1.955276257,
          0.000000000},
     }},
    {"drought asymmetry",
     {3.0, 3.0, 3.0, -2.5, -2.5, 1.0, -0.75, 0.5},
     {
         {1.000000000, 1.000000000, 1.000000000, 1.000000000, 0.000000000, 1.000000000,
          0.000000000},
         {1.897000000, 1.897000000, 1.897000000, 1.000000000, 0.000000000, 1.897000000,
          0.000000000},
         {2.701609000, 2.701609000, 2.701609000, 1.000000000, 0.000000000, 2.701609000,
          0.000000000},
         {-0.833333333, 1.590009940, 0.477041745, 0.000000000, -0.833333333, 1.590009940,
          45.926972358},
         {-1.580833333, 0.592905583, -1.529293233, 0.000000000, -1.580833333, 0.592905583,
          97.628965488},
         {-1.084674167, 0.865169641, -0.742983560, 0.333333333, -1.084674167, 0.865169641,
          82.476001130},
         {-1.222952728, -1.222952728, -1.222952728, 0.049000000, -1.222952728, -1.222952728,
          100.000000000},
         {0.210619667, -0.930321930, -0.516236947, 0.210619667, 0.000000000, -0.930321930,
          36.293267227},
     }},
    {"open attempt",
     {-3.2, -1.0, 1.0, kMissing, 0.3},
     {
         {-1.066666667, -1.066666667, -1.066666667, 0.000000000, -1.066666667, -1.066666667,
          0.000000000},
         {-1.290133333, -1.290133333, -1.290133333, 0.000000000, -0.333333333, -1.290133333,
          0.000000000},
         {0.333333333, -0.823916267, -0.148963636, 0.333333333, 0.000000000, -0.823916267,
          58.323859510},
         {},
         {0.399000000, -0.639052891, 0.250472273, 0.399000000, 0.000000000, -0.639052891,
          85.691699512},
     }},
    {"ends in the last month",
     {-3.2, -1.0, 1.0, kMissing, 0.8},
     {
         {-1.066666667, -1.066666667, -1.066666667, 0.000000000, -1.066666667, -1.066666667,
          0.000000000},
         {-1.290133333, -1.290133333, -1.290133333, 0.000000000, -0.333333333, -1.290133333,
          0.000000000},
         {0.333333333, -0.823916267, -0.148963636, 0.333333333, 0.000000000, -0.823916267,
          58.323859510},
         {},
         {0.565666667, 0.565666667, 0.565666667, 0.565666667, 0.000000000, 0.000000000,
          100.000000000},
     }},
    {"undecided at the end",
     {0.5, -0.3},
     {
         {0.166666667, 0.166666667, 0.166666667, 0.166666667, 0.000000000, 0.000000000,
          0.000000000},
         {0.049500000, 0.049500000, -0.100000000, 0.049500000, -0.100000000, 0.000000000,
          0.000000000},
     }},
    {"exact end",
     {3.0, -1.041},
     {
         {1.000000000, 1.000000000, 1.000000000, 1.000000000, 0.000000000, 1.000000000,
          0.000000000},
         {-0.347000000, -0.347000000, -0.347000000, 0.000000000, -0.347000000, 0.000000000,
          100.000000000},
     }},
};

void expect_months(const std::vector<palmer::Month>& got, const std::vector<Row>& want,
                   const std::string& name) {
  ASSERT_EQ(got.size(), want.size()) << name;
  for (std::size_t i = 0; i < got.size(); ++i) {
    const palmer::Month& m = got[i];
    SCOPED_TRACE(name + ", month " + std::to_string(i + 1));
    if (want[i].empty()) {
      EXPECT_TRUE(m.missing);
      for (double v : {m.z, m.pdsi, m.phdi, m.pmdi, m.x1, m.x2, m.x3, m.pe}) EXPECT_EQ(v, kMissing);
      continue;
    }
    const std::array<double, 7> values{m.pdsi, m.phdi, m.pmdi, m.x1, m.x2, m.x3, m.pe};
    for (std::size_t k = 0; k < values.size(); ++k) {
      EXPECT_NEAR(values[k], want[i][k], 5e-9) << "column " << k;
    }
  }
}

}  // namespace

TEST(PalmerIndices, FollowTheIndependentComputation) {
  for (const Case& c : kCases) expect_months(palmer::palmer_indices(c.z), c.want, c.name);
}

TEST(PalmerIndices, BoundariesOfEstablishingAndEnding) {
  // X1 exactly 1 establishes a wet spell; a Z that makes Pe exactly 100 ends
  // it ("exact end" above). One step less dry leaves Pe just below 100: the
  // attempt stays open to the end of the record, where it is resolved from X1,
  // which is exactly 0 and so switches to X2.
  const double z = std::nextafter(-1.041, 0.0);
  const std::vector<palmer::Month> m = palmer::palmer_indices(std::vector<double>{3.0, z});
  EXPECT_LT(m[1].pe, 100.0);
  EXPECT_GT(m[1].pe, 99.99);
  EXPECT_NEAR(m[1].x3, 0.55, 1e-12);
  EXPECT_EQ(m[1].pdsi, m[1].x2);
  EXPECT_NEAR(m[1].phdi, 0.55, 1e-12);
  // A Z of exactly -0.15 in a drought gathers no effective wetness: Pe 0, no
  // attempt, the drought goes on.
  const std::vector<palmer::Month> d = palmer::palmer_indices(std::vector<double>{-3.0, -0.15});
  EXPECT_EQ(d[1].pe, 0.0);
  EXPECT_EQ(d[1].pdsi, d[1].x3);
  EXPECT_LT(d[1].x3, -0.9);
  // So it stays, also once X3 has decayed above -0.557, where Ze is no longer
  // positive and any strictly favourable month would end the drought; the
  // same for a wet spell and Z = 0.15.
  for (const double sign : {1.0, -1.0}) {
    std::vector<double> weak(25, -0.15 * sign);
    weak[0] = -3.0 * sign;
    const std::vector<palmer::Month> w = palmer::palmer_indices(weak);
    EXPECT_LT(std::fabs(w.back().x3), 0.557);
    EXPECT_GT(-sign * w.back().x3, 0.0);
    for (const palmer::Month& month : w) EXPECT_EQ(month.pe, 0.0);
  }
  // Missing months: -99.0, not a number and infinities leave the state alone.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<palmer::Month> g =
      palmer::palmer_indices(std::vector<double>{-3.0, nan, -inf, inf, kMissing, -2.0});
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(g[i].missing) << i;
  EXPECT_NEAR(g[5].x3, 0.897 * -1.0 - 2.0 / 3.0, 1e-12);
}

TEST(PalmerStage, ReadsZAndWritesOneRecordPerMonth) {
  testing_support::TempDir dir;
  // The month whose Z cannot be read (a value too wide for its field) and the
  // one that is not a number count as missing, like -99.00.
  write_file("100111-pdsi.csv",
             " YEAR,MONTH,Z(ANOMALY),X(PDI) \r\n"
             "1951, 1,   -3.00,   -1.00,\r\n"
             "1951, 2,  -99.00,  -99.00,\r\n"
             "1951, 3,     NaN,     NaN,\r\n"
             "1951, 4,********,********,\r\n"
             "1951, 5,   -2.00,   -1.56,\r\n");
  palmer::palmer("100111");
  const std::string missing =
      ",  -99.00,  -99.00,  -99.00,  -99.00,  -99.00,  -99.00,  -99.00,  -99.00";
  EXPECT_EQ(
      read_records("100111-palmer.csv"),
      (std::vector<std::string>{
          "YEAR,MONTH,Z,PDSI,PHDI,PMDI,X1,X2,X3,PE",
          "1951, 1,   -3.00,   -1.00,   -1.00,   -1.00,    0.00,   -1.00,   -1.00,    0.00",
          "1951, 2" + missing, "1951, 3" + missing, "1951, 4" + missing,
          "1951, 5,   -2.00,   -1.56,   -1.56,   -1.56,    0.00,   -0.67,   -1.56,    0.00"}));
}
