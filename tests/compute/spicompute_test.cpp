#include "compute/spicompute.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "compute/spipe3.h"
#include "records/files.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/text.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_file;
using testing_support::read_records;
using testing_support::write_file;

constexpr float kFill = -99.0f;

// A monthly table in the layout of the prepared tables: station, year and 12
// hundredths, each followed by a comma.
std::string table(int station, int y0, int y1, const std::function<int(int, int)>& value) {
  std::string text;
  char buf[32];
  for (int y = y0; y <= y1; ++y) {
    std::snprintf(buf, sizeof buf, "%6d,%4d,", station, y);
    text += buf;
    for (int m = 1; m <= 12; ++m) {
      std::snprintf(buf, sizeof buf, "%7d,", value(y, m));
      text += buf;
    }
    text += "\r\n";
  }
  return text;
}

int wet(int y, int m) { return 40 + (37 * y + 53 * m) % 300; }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Month m (1-12) of an SPI value record.
std::string spi_field(const std::string& rec, int m) { return rec.substr(11 + 7 * (m - 1), 7); }

void run_spi(const std::string& name, int first_year) {
  compute::spicompute(records::file_arg(name.substr(0, 6), name.substr(6)), first_year);
}

// What the driver and the results reader do to the file numbers after an SPI
// run: close the value files, then open fort.12 ... fort.72 on numbers 10 to 16
// and close them again.
void after_spi_run() {
  for (int k = 1; k <= 7; ++k) records::close(10 * k + 2);
  for (int k = 1; k <= 7; ++k) {
    records::open(k + 9, "fort." + std::to_string(10 * k + 2));
    records::close(k + 9);
  }
}

struct SpiRun : testing_support::TempDir {
  std::string console;
  SpiRun() { records::set_console_sink(&console); }
};

TEST(TableReader, ReadsOneStationBlockIntoSlots) {
  SpiRun t;
  write_file("t.csv",
             "7,1950,1234,-9999,-9900,0,5,6,7,8,9,10,11,12\r\n"
             "7,1950,-9999,100,-9999,-9999,-9999,-9999,-9999,-9999,-9999,-9999,-9999,-9999\r\n"
             "7,1949,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "7,2070,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "7,2069,1677721701,1677721699,-1,-9998,1,1,1,1,1,1,1,1\r\n"
             "8,1950,1,1,1,1,1,1,1,1,1,1,1,1\r\n");
  records::open(10, "t.csv", records::Presence::MustExist);
  std::array<float, compute::kSpiSlots> series;
  series.fill(1.0f);
  int station = -1, end = -1;
  compute::read(compute::kListHundredths, series, 10, kFill, compute::kTableMissing, 1950,
                compute::kSpiYears, station, end);
  EXPECT_EQ(station, 7);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(series[0], 12.34f);  // the later record's missing January leaves it
  EXPECT_EQ(series[1], 1.0f);    // overwritten by the later record
  EXPECT_EQ(series[2], kFill);   // -9900 is the fill value: missing as well
  EXPECT_EQ(series[3], 0.0f);
  EXPECT_EQ(series[4], 0.05f);
  EXPECT_EQ(series[12], kFill);  // no record for 1951
  // 1949 and 2070 have no slot; 2069 is the last year held. Large integers
  // are rounded once: 16777217.01 -> 16777218, 16777216.99 -> 16777216.
  const std::size_t last = 12 * 119;
  EXPECT_EQ(series[last], 16777218.0f);
  EXPECT_EQ(series[last + 1], 16777216.0f);
  EXPECT_EQ(series[last + 2], -0.01f);
  EXPECT_EQ(series[last + 3], -99.98f);
  for (std::size_t i = 13; i < last; ++i) ASSERT_EQ(series[i], kFill) << i;

  // The next block starts with the record that ended this one.
  compute::read(compute::kListHundredths, series, 10, kFill, compute::kTableMissing, 1950,
                compute::kSpiYears, station, end);
  EXPECT_EQ(station, 8);
  EXPECT_EQ(end, 1);
  EXPECT_EQ(series[0], 0.01f);
  EXPECT_EQ(series[last], kFill);
}

TEST(TableReader, RefusesUnknownInputCodesAndUnreadableRecords) {
  SpiRun t;
  write_file("t.csv", "7,1950,1,2,x,4,5,6,7,8,9,10,11,12\r\n");
  records::open(10, "t.csv", records::Presence::MustExist);
  std::array<float, compute::kSpiSlots> series;
  int station = 0, end = 0;
  try {
    compute::read(3, series, 10, kFill, compute::kTableMissing, 1950, 120, station, end);
    ADD_FAILURE() << "input code 3 accepted";
  } catch (const records::FatalError& e) {
    EXPECT_STREQ(e.what(), "INCODE ERROR");
  }
  EXPECT_THROW(compute::read(1, series, 10, kFill, compute::kTableMissing, 1950, 120, station, end),
               records::FatalError);
  EXPECT_THROW(run_spi("absent.csv", 1950), records::FatalError);
}

TEST(SpiFiles, RecordLengthsAndRowRanges) {
  SpiRun t;
  // Data from May 1950 to October 1957; July is dry in 1951 and 1953.
  write_file("250123-spiformat.csv", table(250123, 1950, 1957, [](int y, int m) {
               if ((y == 1950 && m < 5) || (y == 1957 && m > 10)) return -9999;
               if (m == 7 && (y == 1951 || y == 1953)) return 0;
               return wet(y, m);
             }));
  run_spi("250123-spiformat.csv", 1950);
  records::close_all();
  const std::size_t lengths[] = {105, 95, 107, 119};
  for (int k = 1; k <= 7; ++k)
    for (int f = 1; f <= 4; ++f)
      for (const std::string& rec : read_records("fort." + std::to_string(10 * k + f)))
        ASSERT_EQ(rec.size(), lengths[f - 1]) << "fort." << 10 * k + f << ": " << rec;

  // 1 month: rows 1950 to 1957, -99.00 before May 1950 and after October 1957.
  const auto spi = read_records("fort.12");
  ASSERT_EQ(spi.size(), 8u);
  EXPECT_EQ(spi.front().substr(0, 11), "250123 1950");
  EXPECT_EQ(spi.back().substr(0, 11), "250123 1957");
  for (int m = 1; m <= 12; ++m) {
    EXPECT_EQ(spi_field(spi.front(), m) == " -99.00", m < 5) << m;
    EXPECT_EQ(spi_field(spi.back(), m) == " -99.00", m > 10) << m;
  }
  EXPECT_EQ(read_records("fort.14").front().substr(11, 36), "   -99.00   -99.00   -99.00   -99.00");
  EXPECT_EQ(read_records("fort.13").front().substr(11, 8), " -99.000");

  // July: 8 sums, 6 positive, probability of zero 2/8.
  const auto par = read_records("fort.11");
  ASSERT_EQ(par.size(), 12u);
  EXPECT_EQ(par[6].substr(0, 12), "250123  1  7");
  EXPECT_EQ(par[6].substr(90), "    8    60.250");
  EXPECT_EQ(par[0].substr(90), "    7    70.000");
  EXPECT_EQ(par[11].substr(90), "    7    70.000");
}

TEST(SpiFiles, TwentyFourMonthRowsStartInTheSecondYear) {
  SpiRun t;
  write_file("250123-spiformat.csv", table(250123, 1950, 1959, wet));
  run_spi("250123-spiformat.csv", 1950);
  records::close_all();
  const auto spi = read_records("fort.72");
  ASSERT_EQ(spi.size(), 9u);
  EXPECT_EQ(spi.front().substr(0, 11), "250123 1951");
  for (int m = 1; m <= 11; ++m) EXPECT_EQ(spi_field(spi.front(), m), " -99.00") << m;
  EXPECT_NE(spi_field(spi.front(), 12), " -99.00");
  EXPECT_EQ(spi.back().substr(0, 11), "250123 1959");
  // 2 months: the first value is February of the first year.
  const auto two = read_records("fort.22");
  EXPECT_EQ(spi_field(two.front(), 1), " -99.00");
  EXPECT_NE(spi_field(two.front(), 2), " -99.00");
}

TEST(SpiFiles, StationBlocksFollowEachOther) {
  SpiRun t;
  write_file("two.csv",
             table(111111, 1950, 1955, wet) + table(222222, 1950, 1954, [](int y, int m) {
               return y == 1952 && m == 3 ? -9999 : wet(y, m) + 7;
             }));
  run_spi("two.csv", 1950);
  records::close_all();
  const auto spi = read_records("fort.12");
  ASSERT_EQ(spi.size(), 11u);  // 1950-1955 of the first, 1950-1954 of the second
  EXPECT_EQ(spi[5].substr(0, 11), "111111 1955");
  EXPECT_EQ(spi[6].substr(0, 11), "222222 1950");
  EXPECT_EQ(spi[10].substr(0, 11), "222222 1954");
  EXPECT_NE(spi_field(spi[2], 3), " -99.00");
  EXPECT_EQ(spi_field(spi[8], 3), " -99.00");
  const auto par = read_records("fort.11");
  ASSERT_EQ(par.size(), 24u);
  EXPECT_EQ(par[12].substr(0, 12), "222222  1  1");
  EXPECT_EQ(par[12].substr(90, 10), "    5    5");
}

TEST(SpiFiles, PeriodWithoutValuesWritesParametersOnly) {
  SpiRun t;
  write_file("short.csv", table(4, 1990, 1991, wet));
  run_spi("short.csv", 1990);
  records::close_all();
  EXPECT_EQ(read_records("fort.11").size(), 12u);
  EXPECT_EQ(read_records("fort.71")[0],
            "000004 24  1   0.00000000   0.00000000   0.00000000   0.00000000   0.00000000"
            "   0.00000000    0    0  NaN");
  for (const char* name : {"fort.12", "fort.13", "fort.14", "fort.72"}) {
    EXPECT_TRUE(std::filesystem::exists(name)) << name;
    EXPECT_EQ(read_file(name), "") << name;
  }
  EXPECT_NE(t.console.find(" *** ERROR *** ROUTINE SAMLMR : PARAMETER NMOM INVALID\r\n"),
            std::string::npos);
}

TEST(SpiFiles, FilesAcrossStationRunsOfOneProgramRun) {
  SpiRun t;
  write_file("A-spiformat.csv", table(1, 1950, 1957, wet));
  write_file("B-spiformat.csv", table(2, 1950, 1956, wet));
  write_file("C-spiformat.csv", table(3, 1950, 1951, wet));
  write_file("fort.23", "left from another program run\r\n");
  run_spi("A-spiformat.csv", 1950);
  after_spi_run();
  run_spi("B-spiformat.csv", 1950);
  after_spi_run();
  run_spi("C-spiformat.csv", 1950);  // no SPI value in any period
  after_spi_run();
  records::close_all();

  // Numbers the results reader reuses (11, 13, 14) and the closed value
  // files hold the last run only; the others every run of the program.
  const auto p11 = read_records("fort.11");
  ASSERT_EQ(p11.size(), 12u);
  EXPECT_EQ(p11[0].substr(0, 6), "000003");
  const auto p21 = read_records("fort.21");
  ASSERT_EQ(p21.size(), 36u);
  EXPECT_EQ(p21[0].substr(0, 6), "000001");
  EXPECT_EQ(p21[12].substr(0, 6), "000002");
  EXPECT_EQ(p21[24].substr(0, 6), "000003");
  const auto r23 = read_records("fort.23");
  ASSERT_EQ(r23.size(), 15u);  // 8 + 7 years of 2-month rows
  EXPECT_EQ(r23[8].substr(0, 11), "000002 1950");
  // The last run had no SPI value: its fresh files are empty rather than
  // holding an earlier station's rows.
  for (const char* name : {"fort.12", "fort.13", "fort.14", "fort.22", "fort.42"}) {
    EXPECT_TRUE(std::filesystem::exists(name)) << name;
    EXPECT_EQ(read_file(name), "") << name;
  }
}

// Output of tests/compute/spi_reference.py.
const char* const kReferenceTable =
    R"(250123,1961,     34,     63,     22,    317,    203,    238,    266,     42,     97,    414,     80,     93,
250123,1962,    206,     26,     26,    444,    207,    142,    367,      0,    164,     75,    182,    102,
250123,1963,     47,    172,     24,    207,    538,    548,     35,     84,      0,    119,     27,     51,
250123,1964,    186,    159,      6,    291,    621,    322,    517,     76,      0,     22,    313,     64,
250123,1965,    157,    219,     38,    238,    233,    366,     33,      0,    157,     82,    124,     81,
250123,1966,    165,      2,    183,    134,    658,    390,    105,    216,     51,     27,    128,    149,
250123,1967,    209,     65,     51,    278,    284,    167,     61,    238,     71,     11,      5,     68,
250123,1968,     94,     26,    203,     39,    197,    433,    164,    190,     50,     56,     35,    216,
250123,1969,     18,     74,    277,    345,    262,     23,    289,      0,      0,     77,     79,     46,
250123,1970,     87,     56,    262,     58,    772,     97,    148,      0,     58,    345,    123,     68,
250123,1971,     73,     47,    174,    333,    191,    137,    614,     24,      0,    135,    227,    255,
250123,1972,    147,    110,     41,     94,    183,    713,     51,      0,      0,     88,    363,    184,
250123,1973,    159,     33,    130,    119,    819,    376,     53,     28,     91,    185,     30,     29,
250123,1974,    244,     99,    220,    214,    692,    345,  -9999,    105,    155,    300,    150,      6,
250123,1975,    133,     61,    296,    188,    684,    206,     31,      0,    159,     50,    384,     56,
250123,1976,    137,     65,    170,    570,    231,     28,    131,     11,    123,    101,    121,    203,
250123,1977,    206,    122,    154,    330,    745,    590,    136,    113,      0,     91,    185,    135,
250123,1978,    294,     53,    107,    161,    240,    526,    196,      0,    112,     85,     48,     68,
250123,1979,    225,     18,     39,    202,    945,    322,    175,     98,    116,    302,     73,    129,
250123,1980,    129,     96,    312,    203,     15,     77,      0,      0,      0,    310,     77,     50,
250123,1981,    190,    114,    106,    180,    241,    499,    215,      0,     22,     85,    110,    100,
250123,1982,    254,     74,    124,     29,    599,     91,    196,      3,    148,     60,     28,     59,
250123,1983,    191,    167,     69,    383,    115,    177,     64,     49,    109,     60,     48,     19,
250123,1984,     21,     94,    369,    406,    631,    198,     40,      0,      0,    165,    144,    101,
250123,1985,     54,    134,     56,     89,    190,    234,     98,    158,    146,     88,     20,     40,
250123,1986,    107,     82,    355,    160,    186,    191,     85,      0,    255,    125,     73,    117,
250123,1987,     91,     56,     44,     66,    124,    168,    312,    166,     12,      7,    173,     72,
250123,1988,    287,     82,     79,     52,    370,    298,    242,     14,     90,    331,     90,    327,
250123,1989,     45,     63,    230,    268,    282,     58,    242,     38,     17,      0,     75,     80,
250123,1990,    347,  -9999,    267,    158,    285,    402,     32,     38,      0,    334,    166,     81,
250123,1991,     77,     27,    146,    180,    117,    969,     73,    145,      0,     38,     37,    329,
250123,1992,     22,    300,    218,     83,    563,    252,     24,     66,     69,     73,    131,     69,
250123,1993,     11,    118,     62,    488,    288,     87,    159,      0,    131,     43,    123,      9,
250123,1994,    311,    118,     45,    108,    242,     95,    288,      0,      0,     95,    311,    110,
250123,1995,     60,     21,    273,    142,    125,    212,    111,     36,     45,    189,     24,    179,
250123,1996,     55,    135,    418,    144,    195,     76,     83,      0,     24,    638,    203,     65,
250123,1997,    149,     36,    124,    451,    305,    226,     72,      0,    120,    163,    187,    100,
250123,1998,     45,     47,    213,    243,    228,     54,    379,      0,     20,    178,    371,     99,
250123,1999,     33,     17,    214,    409,    183,    211,    123,    187,      0,    104,     27,     45,
250123,2000,    145,     41,    138,     36,   1135,    463,    116,     82,      0,    105,     18,     59,
)";
const char* const kParameters1 =
    R"(250123  1  1   1.36125000   0.53809999   0.18502601   1.36125000   0.99181368   1.12118617   40   400.000
250123  1  2   0.84410256   0.33637081   0.29259698   0.84410256   0.65521215   1.75691458   39   390.000
250123  1  3   1.57125000   0.64875000   0.19416184   1.57125000   1.20036114   1.17538556   40   400.000
250123  1  4   2.21000002   0.82330001   0.21109331   2.21000002   1.53486818   1.27560685   40   400.000
250123  1  5   3.78099998   1.48173749   0.34168480   3.78099998   2.98064392   2.05036860   40   400.000
250123  1  6   2.75174999   1.14050000   0.28612286   2.75174999   2.21286024   1.71855736   40   400.000
250123  1  7   1.66473685   0.74580333   0.35277780   1.66473685   1.51208594   2.11758959   39   380.026
250123  1  8   0.91958334   0.42163195   0.27803056   0.91958334   0.81415444   1.67068270   40   240.400
250123  1  9   0.96740741   0.35635117   0.15098245   0.96740741   0.64844974   0.91827696   40   270.325
250123  1 10   1.47589743   0.69091387   0.40204254   1.47589743   1.45442489   2.42250753   40   390.025
250123  1 11   1.27825001   0.57762500   0.30665549   1.27825001   1.13507145   1.84042467   40   400.000
250123  1 12   1.02825000   0.40958750   0.35781502   1.02825000   0.83345107   2.14826202   40   400.000
)";
const char* const kSpi1 =
    R"(250123 1961  -1.15  -0.06  -1.35   0.77  -0.42   0.12   0.91   0.23   0.54   1.58  -0.17   0.24
250123 1962   0.81  -1.07  -1.28   1.36  -0.39  -0.45   1.32  -0.22   1.29  -0.20   0.72   0.35
250123 1963  -0.92   1.29  -1.32   0.12   0.80   1.23  -1.18   0.65  -0.41   0.23  -1.11  -0.49
250123 1964   0.65   1.17  -1.66   0.63   0.99   0.49   1.80   0.58  -0.41  -1.96   1.46  -0.20
250123 1965   0.39   1.68  -1.09   0.32  -0.24   0.65  -1.26  -0.22   1.22  -0.12   0.28   0.08
250123 1966   0.46  -3.09   0.40  -0.43   1.07   0.74  -0.08   1.66   0.00  -1.96   0.31   0.82
250123 1967   0.84  -0.02  -0.90   0.56  -0.00  -0.28  -0.60   1.80   0.23  -1.96  -2.92  -0.13
250123 1968  -0.27  -1.07   0.55  -1.56  -0.45   0.88   0.37   1.49  -0.01  -0.48  -0.90   1.32
250123 1969  -1.46   0.13   1.04   0.91  -0.10  -2.49   1.01  -0.22  -0.41  -0.17  -0.18  -0.62
250123 1970  -0.36  -0.20   0.95  -1.26   1.29  -0.84   0.26  -0.22   0.08   1.35   0.27  -0.13
250123 1971  -0.54  -0.40   0.33   0.85  -0.49  -0.49   2.07   0.03  -0.41   0.35   1.01   1.56
250123 1972   0.29   0.64  -1.05  -0.82  -0.55   1.65  -0.77  -0.22  -0.41  -0.05   1.69   1.10
250123 1973   0.41  -0.80  -0.04  -0.57   1.38   0.69  -0.74   0.07   0.47   0.66  -1.03  -1.50
250123 1974   1.10   0.50   0.67   0.17   1.14   0.58 -99.00   0.84   1.20   1.18   0.49  -3.09
250123 1975   0.16  -0.10   1.15  -0.01   1.12  -0.05  -1.35  -0.22   1.24  -0.59   1.78  -0.37
250123 1976   0.20  -0.02   0.30   1.85  -0.26  -2.15   0.14  -0.12   0.84   0.08   0.25   1.23
250123 1977   0.81   0.78   0.17   0.83   1.24   1.34   0.17   0.91  -0.41  -0.02   0.74   0.70
250123 1978   1.45  -0.26  -0.26  -0.21  -0.21   1.17   0.56  -0.22   0.71  -0.08  -0.64  -0.13
250123 1979   0.96  -1.53  -1.08   0.09   1.60   0.49   0.44   0.78   0.76   1.19  -0.26   0.64
250123 1980   0.12   0.46   1.25   0.10  -3.09  -1.06  -1.95  -0.22  -0.41   1.22  -0.21  -0.51
250123 1981   0.68   0.69  -0.27  -0.07  -0.20   1.09   0.66  -0.22  -0.28  -0.08   0.15   0.33
250123 1982   1.17   0.13  -0.09  -1.75   0.94  -0.90   0.56  -0.20   1.12  -0.41  -1.08  -0.30
250123 1983   0.69   1.25  -0.67   1.09  -1.29  -0.22  -0.55   0.30   0.68  -0.41  -0.64  -3.09
250123 1984  -1.40   0.43   1.56   1.19   1.01  -0.09  -1.03  -0.22  -0.41   0.54   0.44   0.34
250123 1985  -0.81   0.92  -0.84  -0.88  -0.50   0.10  -0.15   1.26   1.10  -0.05  -1.35  -0.83
250123 1986  -0.12   0.26   1.48  -0.22  -0.53  -0.13  -0.28  -0.22   2.17   0.27  -0.26   0.52
250123 1987  -0.31  -0.20  -1.00  -1.16  -1.14  -0.28   1.10   1.32  -0.35  -1.96   0.66  -0.06
250123 1988   1.40   0.26  -0.56  -1.35   0.32   0.39   0.80  -0.08   0.46   1.30  -0.06   1.95
250123 1989  -0.96  -0.06   0.74   0.50  -0.01  -1.34   0.80   0.19  -0.31  -1.96  -0.23   0.06
250123 1990   1.78 -99.00   0.98  -0.23   0.00   0.78  -1.30   0.19  -0.41   1.31   0.61   0.08
250123 1991  -0.49  -1.03   0.10  -0.07  -1.25   2.19  -0.43   1.17  -0.41  -0.92  -0.86   1.96
250123 1992  -1.38   2.25   0.66  -0.94   0.86   0.18  -1.88   0.48   0.21  -0.22   0.34  -0.11
250123 1993  -1.62   0.74  -0.76   1.54   0.01  -0.95   0.33  -0.22   0.93  -0.76   0.27  -3.09
250123 1994   1.56   0.74  -0.99  -0.68  -0.20  -0.86   1.00  -0.22  -0.41   0.02   1.45   0.44
250123 1995  -0.72  -1.33   1.02  -0.36  -1.12  -0.02  -0.03   0.16  -0.06   0.68  -1.20   1.06
250123 1996  -0.80   0.93   1.80  -0.35  -0.47  -1.08  -0.31  -0.22  -0.26   2.19   0.86  -0.18
250123 1997   0.31  -0.70  -0.09   1.39   0.08   0.06  -0.44  -0.22   0.81   0.53   0.76   0.33
250123 1998  -0.96  -0.40   0.62   0.35  -0.27  -1.41   1.36  -0.22  -0.29   0.62   1.72   0.32
250123 1999  -1.16  -1.61   0.63   1.20  -0.55  -0.02   0.07   1.47  -0.41   0.10  -1.11  -0.65
250123 2000   0.28  -0.56   0.03  -1.62   1.89   0.98   0.02   0.64  -0.41   0.11  -1.43  -0.30
)";
const char* const kParameters3 =
    R"(250123  3  1   3.73333333   0.89017751   0.14631271   3.73333333   1.61730503   0.89031553   39   390.000
250123  3  2   3.22815789   0.76390581   0.15733506   3.22815789   1.39315244   0.95626317   38   380.000
250123  3  3   3.69435897   0.73424062   0.10578215   3.69435897   1.31849573   0.64624214   39   390.000
250123  3  4   4.61333335   1.11802762   0.10947601   4.61333335   2.00951396   0.66858839   39   390.000
250123  3  5   7.56225000   1.80903749   0.14844790   7.56225000   3.28906629   0.90310464   40   400.000
250123  3  6   8.74274999   2.10901251   0.16950068   8.74274999   3.86348318   1.02884705   40   400.000
250123  3  7   8.05641024   2.14765286   0.18786997   8.05641024   3.96316869   1.13806855   39   390.000
250123  3  8   4.89487180   1.45349112   0.18068342   4.89487180   2.67431276   1.09538888   39   390.000
250123  3  9   2.86447370   0.84598338   0.14691559   2.86447370   1.53731967   0.89392733   39   380.026
250123  3 10   2.64375000   0.81172500   0.25105331   2.64375000   1.54383241   1.51143579   40   400.000
250123  3 11   3.37025000   1.05548749   0.17403717   3.37025000   1.93691451   1.05586077   40   400.000
250123  3 12   3.74550000   1.13518749   0.18434152   3.74550000   2.09176396   1.11712145   40   400.000
)";
const char* const kSpi3 =
    R"(250123 1961 -99.00 -99.00  -2.43  -0.19  -0.57  -0.14  -0.07   0.39   0.86   1.60   1.26   1.05
250123 1962   0.18   0.18  -0.83   0.28  -0.10  -0.04  -0.04   0.26   1.48   0.09   0.58   0.11
250123 1963  -0.12   0.15  -0.97  -0.19   0.19   1.10   0.88   0.78  -1.08  -0.19  -1.06  -0.84
250123 1964  -0.61   0.64  -0.03   0.09   0.61   0.98   1.49   1.45   1.75  -1.47   0.17   0.30
250123 1965   1.02   0.90   0.43   0.28  -0.70   0.07  -0.29  -0.18  -0.49   0.09   0.31  -0.27
250123 1966   0.13  -0.43  -0.04  -0.66   0.76   0.88   0.95   0.91   0.68   0.44  -0.60  -0.17
250123 1967   0.78   0.81  -0.24  -0.24  -0.31  -0.23  -0.68   0.10   0.67   0.58  -1.63  -1.94
250123 1968  -1.50  -1.01  -0.26  -0.98  -1.00  -0.41   0.16   1.12   0.86   0.45  -1.10  -0.15
250123 1969  -0.57   0.05   0.10   1.15   0.52  -0.54  -0.47  -0.58   0.19  -2.07  -0.97  -0.81
250123 1970  -1.05  -1.00   0.37  -0.33   1.04   0.30   0.67  -0.94  -0.37   0.99   1.02   0.86
250123 1971  -0.61  -1.01  -0.50   0.55  -0.03  -0.44   0.51   1.09   1.94  -0.59   0.30   1.15
250123 1972   1.46   1.29  -0.47  -1.13  -1.61   0.46   0.52   1.06  -1.67  -1.71   0.71   1.21
250123 1973   1.78   0.52  -0.27  -0.89   0.99   1.14   1.12   0.06  -0.63   0.49   0.01  -0.52
250123 1974  -0.32   0.49   1.39   0.45   1.12   1.01 -99.00 -99.00 -99.00   1.62   1.31   0.55
250123 1975  -0.42  -0.88   0.94   0.51   1.22   0.65   0.46  -0.99  -0.49  -0.14   1.27   0.69
250123 1976   1.22  -0.34   0.13   1.57   0.75   0.05  -1.18  -1.45   0.04   0.06   0.22   0.42
250123 1977   1.00   1.39   0.89   0.78   1.35   1.75   1.51   1.26  -0.07  -0.18  -0.15   0.35
250123 1978   1.39   1.14   0.71  -0.65  -0.71   0.30   0.56   0.94   0.31  -0.24  -0.34  -0.81
250123 1979  -0.06   0.07  -0.61  -1.03   1.26   1.42   1.46   0.55   0.78   1.46   0.88   0.74
250123 1980  -0.12   0.38   1.23   0.80  -0.62  -2.12  -3.09  -2.40  -1.92   0.53   0.42   0.47
250123 1981  -0.22   0.38   0.41  -0.20  -0.63   0.29   0.54   0.91  -0.15  -1.29  -0.52  -0.22
250123 1982   0.67   0.84   0.69  -1.25   0.14  -0.26   0.38  -0.69   0.54  -0.12  -0.40  -1.25
250123 1983  -0.50   0.77   0.52   0.83  -0.48  -0.39  -1.35  -0.69  -0.26  -0.07  -0.52  -1.44
250123 1984  -2.60  -1.69   0.90   1.80   1.72   0.98   0.34  -0.99  -1.75  -0.53   0.03   0.35
250123 1985  -0.34  -0.09  -0.96  -0.90  -1.51  -0.97  -0.65   0.19   0.85   0.94  -0.29  -1.24
250123 1986  -1.50  -0.60   1.28   0.74  -0.02  -0.87  -0.87  -0.77   0.50   0.89   0.72  -0.11
250123 1987  -0.48  -0.29  -1.51  -1.70  -2.15  -1.71  -0.37   0.71   1.29  -0.34  -0.70  -0.47
250123 1988   1.01   0.91   0.67  -1.35  -0.74  -0.26   0.44   0.41   0.54   1.13   0.96   1.57
250123 1989   0.66   0.88  -0.14   0.58   0.22  -0.62  -0.44  -0.45   0.24  -3.09  -1.58  -1.18
250123 1990   0.86 -99.00 -99.00 -99.00   0.01   0.10  -0.04   0.12  -1.51   0.85   0.91   1.03
250123 1991  -0.17  -1.04  -0.90  -0.46  -0.98   1.04   0.96   2.07  -0.28  -0.36  -1.77   0.32
250123 1992   0.24   1.95   1.25   0.76   0.46   0.23   0.27  -0.43  -0.74  -0.15  -0.17  -0.35
250123 1993  -1.06  -0.90  -1.51   1.04   0.39   0.14  -0.61  -0.94   0.20  -0.44  -0.04  -1.01
250123 1994   0.55   0.89   0.84  -0.96  -1.20  -1.26  -0.31  -0.24   0.19  -1.54   0.51   0.79
250123 1995   0.76  -0.98  -0.01  -0.02  -0.58  -1.11  -0.93  -0.35  -0.48   0.29  -0.26   0.27
250123 1996  -0.65   0.47   1.65   1.16   0.15  -1.41  -1.36  -1.54  -1.19   1.97   2.14   2.03
250123 1997   0.41  -0.41  -0.37   0.80   0.51   0.44  -0.38  -0.65  -0.48   0.37   0.79   0.52
250123 1998  -0.12  -0.97  -0.41   0.31  -0.07  -0.92  -0.20  -0.03   0.83  -0.23   1.18   1.26
250123 1999   0.87  -1.48  -0.77   0.92   0.30  -0.02  -0.67   0.30   0.32   0.42  -1.19  -1.00
250123 2000  -1.00  -0.58  -0.25  -1.33   1.52   1.70   1.88   0.76  -0.43  -0.32  -1.26  -0.96
)";

// The 1- and 3-month periods of a 40-year synthetic table against the
// independent high-precision computation in tests/compute/spi_reference.py
// (python3 tests/compute/spi_reference.py prints the table and these records).
TEST(SpiReference, AgreesToTheLastWrittenDigit) {
  SpiRun t;
  write_file("250123-spiformat.csv", kReferenceTable);
  run_spi("250123-spiformat.csv", 1961);
  records::close_all();
  EXPECT_EQ(read_records("fort.11"), lines(kParameters1));
  EXPECT_EQ(read_records("fort.12"), lines(kSpi1));
  EXPECT_EQ(read_records("fort.31"), lines(kParameters3));
  EXPECT_EQ(read_records("fort.32"), lines(kSpi3));
}

}  // namespace
