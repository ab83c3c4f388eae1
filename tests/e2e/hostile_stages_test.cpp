// Hostile versions of the files a later stage reads back: the fill file, the
// monthly tables, the SPI value files, the two results files and the combined
// table, the PRN file and the Palmer daily series. Each stage is called in
// process on a damaged file; a fatal end is expected as records::FatalError
// with its diagnostic, a complete call by the files it writes. A watchdog
// ends the test program when a stage runs longer than it may.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/spicompute.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/edi.h"
#include "indices/percentnormal.h"
#include "pdsi/pdi_vers1.h"
#include "pdsi/pdsiform.h"
#include "prep/read_data.h"
#include "prep/spiformat.h"
#include "records/records.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

constexpr char kId[] = "123456";
constexpr unsigned kSecondsPerTest = 60;

// Every test runs in a fresh directory under a watchdog: a stage that hangs
// is ended by SIGALRM, which fails the test program.
class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    alarm(kSecondsPerTest);
    records::set_console_sink(&console_);  // the numerical routines' messages
  }
  void TearDown() override { alarm(0); }
  TempDir dir_;
  std::string console_;
};

std::string file(const std::string& suffix) { return std::string(kId) + suffix; }
std::string arg(const std::string& suffix) { return records::file_arg(kId, suffix); }

// The message of the FatalError the call raises, or "" when it returns.
std::string fatal_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const records::FatalError& e) {
    records::close_all();
    return e.what();
  }
  records::close_all();
  return "";
}

std::string lines(const std::vector<std::string>& records, const std::string& end = "\r\n") {
  std::string text;
  for (const std::string& r : records) text += r + end;
  return text;
}

// A monthly table record as the monthly tables are written: I6, I4, 12 x I7.
std::string table_record(int station, int year, const std::vector<int>& totals) {
  char text[256];
  int n = std::snprintf(text, sizeof text, "%6d,%4d,", station, year);
  for (int t : totals) n += std::snprintf(text + n, sizeof text - std::size_t(n), "%7d,", t);
  return text;
}
// Ten years of totals from 1950 with no month alike, every month positive.
std::vector<std::string> table_years(int first = 1950, int years = 10) {
  std::vector<std::string> t;
  for (int y = first; y < first + years; ++y) {
    std::vector<int> totals;
    for (int m = 1; m <= 12; ++m) totals.push_back(50 + (y * 37 + m * 101) % 400);
    t.push_back(table_record(123456, y, totals));
  }
  return t;
}

// ---------------------------------------------------------------------------
// The fill file, read by the monthly table stage.

std::string fill_record(int year, int month, const std::string& day) {
  char head[32];
  std::snprintf(head, sizeof head, "123456,PRCP,%4d,%2d,", year, month);
  std::string r = head;
  for (int d = 0; d < 31; ++d) r += day + ",";
  return r;
}

TEST_F(Hostile, FillFileFatal) {
  const std::string name = file("-fill-prcp.csv");
  auto run = [] { return fatal_of([] { prep::spiformat(kId); }); };
  EXPECT_EQ(run(), "read 123456-fill-prcp.csv: end of file");  // missing
  write_file(name, "\r\n  \r\n");
  EXPECT_EQ(run(), "read 123456-fill-prcp.csv: end of file");
  write_file(name, fill_record(1950, 1, "    1.00").substr(0, 30));
  EXPECT_EQ(run(), "read 123456-fill-prcp.csv: end of file");
  write_file(name, lines({fill_record(1950, 1, "     1.0x")}));
  EXPECT_EQ(run(), "read 123456-fill-prcp.csv: bad value '1.0x' in record 1");
  fs::remove(name);
  fs::create_directory(name);
  EXPECT_EQ(run(), "read 123456-fill-prcp.csv: Is a directory");
  EXPECT_FALSE(fs::exists(file("-spiformat.csv")));
}

TEST_F(Hostile, FillFileReadUntilTheFirstBadRecordOrCapacity) {
  const std::string name = file("-fill-prcp.csv");
  const std::vector<int> kFull(12, 31), kMissing(12, -9999);
  // A NUL byte ends the reading in March 1951: its year and month end the
  // table, and March has no row.
  std::vector<std::string> rows;
  for (int i = 0; i < 24; ++i) rows.push_back(fill_record(1950 + i / 12, i % 12 + 1, "1"));
  rows[14].replace(rows[14].size() - 3, 1, std::string("\0", 1));
  write_file(name, lines(rows));
  ASSERT_EQ(fatal_of([] { prep::spiformat(kId); }), "");
  EXPECT_EQ(read_records(file("-spiformat.csv")),
            (std::vector<std::string>{table_record(123456, 1950, kFull),
                                      table_record(123456, 1951,
                                                   {31, 31, -9999, -9999, -9999, -9999, -9999,
                                                    -9999, -9999, -9999, -9999, -9999})}));
  // 5010 records from May 1000: the 5000th (December 1416) is the last read,
  // and the walk of 5000 months is the longest there may be.
  rows.clear();
  for (int i = 4; i < 5014; ++i) rows.push_back(fill_record(1000 + i / 12, i % 12 + 1, "1"));
  write_file(name, lines(rows, "\n"));
  ASSERT_EQ(fatal_of([] { prep::spiformat(kId); }), "");
  const auto table = read_records(file("-spiformat.csv"));
  ASSERT_EQ(table.size(), 417u);
  EXPECT_EQ(
      table.front(),
      table_record(123456, 1000, {-9999, -9999, -9999, -9999, 31, 31, 31, 31, 31, 31, 31, 31}));
  EXPECT_EQ(table.back(), table_record(123456, 1416, kFull));
  // One month more is refused.
  rows.insert(rows.begin(), fill_record(1000, 4, "1"));
  write_file(name, lines(rows, "\n"));
  EXPECT_EQ(fatal_of([] { prep::spiformat(kId); }),
            "read 123456-fill-prcp.csv: data span from 4/1000 to December 1416 is longer than "
            "5000 months");
  // Gap values and -999 in a megabyte-long record; the values after the 31st
  // are skipped.
  std::string gaps = fill_record(1950, 1, "-99.9");
  gaps.replace(gaps.find("-99.9"), 5, "-999");
  write_file(name, lines({gaps + std::string(1 << 20, ' ') + "1,2,3"}));
  ASSERT_EQ(fatal_of([] { prep::spiformat(kId); }), "");
  EXPECT_EQ(read_records(file("-spiformat.csv")),
            (std::vector<std::string>{table_record(123456, 1950,
                                                   {0, -9999, -9999, -9999, -9999, -9999, -9999,
                                                    -9999, -9999, -9999, -9999, -9999})}));
  EXPECT_EQ(read_records(file("-msgdata.csv")).size(), 30u);
}

// ---------------------------------------------------------------------------
// The monthly tables, read by the SPI run and the monthly indices.

TEST_F(Hostile, MonthlyTableFatalForTheSpiRun) {
  const std::string name = file("-spiformat.csv");
  auto run = [] { return fatal_of([] { compute::spicompute(arg("-spiformat.csv"), 1950); }); };
  EXPECT_EQ(run(), "open 123456-spiformat.csv: no such file");
  fs::create_directory(name);
  EXPECT_EQ(run(), "open 123456-spiformat.csv: is a directory");
  fs::remove(name);
  const std::string kUnreadable =
      "read 123456-spiformat.csv: a table record that cannot be read as station number, year "
      "and 12 months";
  for (const std::string& bad :
       std::vector<std::string>{"2147483648", "-2147483649", "0.5", "1e39", "12x", "*******",
                                std::string("\0", 1), std::string("\xff", 1)}) {
    SCOPED_TRACE(bad);
    auto table = table_years();
    table[4].replace(table[4].find(",  ") + 1, 7, bad);
    write_file(name, lines(table));
    EXPECT_EQ(run(), kUnreadable);
  }
}

// The SPI value file of the 1-month period after an SPI run on the table.
std::string spi_run(const std::vector<std::string>& table, const std::string& end = "\r\n") {
  write_file(file("-spiformat.csv"), lines(table, end));
  EXPECT_EQ(fatal_of([] { compute::spicompute(arg("-spiformat.csv"), 1950); }), "");
  return read_file("fort.12");
}

TEST_F(Hostile, MonthlyTableRecordsWithoutASlot) {
  const std::string clean = spi_run(table_years());
  ASSERT_EQ(read_records("fort.12").size(), 10u);
  // Years before the first and 120 or more years after it have no slot.
  auto table = table_years();
  for (int year : {1949, 2070, 2147483647, -2147483647 - 1, 0}) {
    table.insert(table.begin() + 3, table_record(123456, year, std::vector<int>(12, 999)));
  }
  EXPECT_EQ(spi_run(table), clean);
  // Blank lines, bare LF ends and megabyte-long trailing blanks change nothing.
  table = table_years();
  table[2] += std::string(1 << 20, ' ');
  table.insert(table.begin() + 5, {"", "   ", "\t"});
  EXPECT_EQ(spi_run(table, "\n"), clean);
  // An empty table: twelve parameter records of station 0, no SPI row.
  EXPECT_EQ(spi_run({}), "");
  EXPECT_EQ(read_records("fort.11").size(), 12u);
  EXPECT_EQ(read_records("fort.11")[0].substr(0, 12), "000000  1  1");
}

TEST_F(Hostile, MonthlyTableExtremeTotals) {
  // Totals at both ends of the 4-byte range: every SPI value stays within the
  // clipping bounds or is missing, and the run ends.
  for (int extreme : {2147483647, -2147483647 - 1, -9900, 0}) {
    SCOPED_TRACE(extreme);
    auto table = table_years(1950, 30);
    table[7] = table_record(123456, 1957, std::vector<int>(12, extreme));
    table[20].replace(table[20].find(",  ") + 1, 7, std::to_string(extreme));
    spi_run(table);
    for (const std::string& row : read_records("fort.12")) {
      ASSERT_EQ(row.size(), 95u);
      for (int m = 0; m < 12; ++m) {
        const double v = std::atof(row.substr(11 + 7 * std::size_t(m), 7).c_str());
        EXPECT_TRUE(v == -99.0 || (v >= -3.09 && v <= 3.09)) << row;
      }
    }
  }
}

TEST_F(Hostile, MonthlyTableForTheIndices) {
  const std::string name = file("-spiformat.csv");
  // An empty table is fatal for the effective precipitation only.
  write_file(name, "");
  EXPECT_EQ(fatal_of([] { indices::percentnormal(arg("-spiformat.csv")); }), "");
  EXPECT_EQ(read_file(file("-pctnorm.csv")), "\r\n");
  EXPECT_EQ(fatal_of([] { indices::computeedi(arg("-spiformat.csv")); }),
            "read 123456-spiformat.csv: end of file");
  EXPECT_EQ(fatal_of([] { indices::deciles(arg("-spiformat.csv")); }), "");
  EXPECT_EQ(read_file(file("-deciles.csv")), "");

  auto all_three = [] {
    return fatal_of([] {
      indices::percentnormal(arg("-spiformat.csv"));
      indices::computeedi(arg("-spiformat.csv"));
      indices::deciles(arg("-spiformat.csv"));
    });
  };
  // Extreme totals: the percents that do not fit F6.2 are asterisks.
  auto table = table_years(1950, 5);
  table[1] = table_record(123456, 1951, std::vector<int>(12, 2147483647));
  table[2] = table_record(123456, 1952, std::vector<int>(12, -2147483647 - 1));
  write_file(name, lines(table));
  ASSERT_EQ(all_three(), "");
  EXPECT_EQ(read_records(file("-pctnorm.csv")).size(), 6u);
  EXPECT_EQ(read_records(file("-deciles.csv")).size(), 5u);
  // The effective precipitation of January 1951 does not fit F8.2: the EDI
  // reads December 1950 only.
  EXPECT_EQ(read_records(file("-PRN.csv")).size(), 1u + 49u);
  EXPECT_EQ(read_records(file("-PRN.csv"))[2].substr(8, 8), "********");
  EXPECT_EQ(read_records(file("-EDI.csv")).size(), 1u + 1u + 1u);

  // A last record dated before the first leaves no output month; a first
  // record without data has no first data month: headers only.
  for (const auto& first_or_last : {table_record(123456, 1949, std::vector<int>(12, 10)),
                                    table_record(123456, 1954, std::vector<int>(12, -9999))}) {
    table = table_years(1950, 4);
    if (first_or_last.find(",1949,") != std::string::npos)
      table.push_back(first_or_last);
    else
      table.insert(table.begin(), first_or_last);
    write_file(name, lines(table));
    ASSERT_EQ(all_three(), "");
    EXPECT_EQ(read_file(file("-PRN.csv")), " YEAR,MO,EP,DEP,SEP,PRN\r\n");
    EXPECT_EQ(read_file(file("-EDI.csv")), " YEAR,MO,EP,DEP,SEP,PRN,EDI\r\n\r\n");
  }
  // Fewer than ten totals: no class, every month -99.
  write_file(
      name,
      lines({table_record(123456, 1950,
                          {1, 2, 3, -9999, -9999, -9999, -9999, -9999, -9999, -9999, -9999, 4})}));
  ASSERT_EQ(fatal_of([] { indices::deciles(arg("-spiformat.csv")); }), "");
  EXPECT_EQ(
      read_records(file("-deciles.csv"))[0], "123456,1950," + [] {
        std::string s;
        for (int i = 0; i < 12; ++i) s += "-99,";
        return s;
      }());
}

// ---------------------------------------------------------------------------
// The SPI value files fort.12 ... fort.72, read by the results reader.

std::string value_record(int year, const std::string& value) {
  char head[16];
  std::snprintf(head, sizeof head, "123456%5d", year);
  std::string r = head;
  for (int m = 0; m < 12; ++m) r += value;
  return r;
}
const std::string kMissingRow = [] {
  std::string s;
  for (int i = 0; i < 7; ++i) s += " -99.00,";
  return s + " ";
}();

TEST_F(Hostile, ValueFiles) {
  auto results = [](int first, int last) {
    EXPECT_EQ(fatal_of([&] { prep::read_data(arg("-spi-results.csv"), first, last); }), "");
    return read_records(file("-spi-results.csv"));
  };
  // No value file: every value is missing.
  auto r = results(1950, 1952);
  ASSERT_EQ(r.size(), 36u);
  EXPECT_EQ(r[35], "1952,12," + kMissingRow);
  // fort.12: an unreadable first record stands for 1950, a NUL byte spoils
  // 1952 only. fort.22 starts before the span: read from 1950 on. fort.32
  // starts after the span. fort.42 is one bare-CR record. fort.52 begins with
  // a value too large for a 4-byte real (1e41 with two implied decimals).
  write_file("fort.12", lines({value_record(1950, "   1.x0"), value_record(1951, "   0.50"),
                               value_record(1952, std::string("  \0.50", 6) + " "),
                               value_record(1953, "   0.70")}));
  write_file("fort.22", lines({value_record(1940, "   0.25"), value_record(1941, "   0.35")}));
  write_file("fort.32", lines({value_record(9999, "   0.40")}));
  write_file("fort.42",
             lines({value_record(1950, "   0.60"), value_record(1951, "   0.60")}, "\r"));
  write_file("fort.52", lines({value_record(1950, "   1e41"), value_record(1951, "   -0.5")}));
  r = results(1950, 1952);
  ASSERT_EQ(r.size(), 36u);
  EXPECT_EQ(r[0], "1950, 1, -99.00,   0.25, -99.00,   0.60, -99.00, -99.00, -99.00, ");
  EXPECT_EQ(r[12], "1951, 1,   0.50,   0.35, -99.00, -99.00,  -0.50, -99.00, -99.00, ");
  EXPECT_EQ(r[24], "1952, 1, -99.00, -99.00, -99.00, -99.00, -99.00, -99.00, -99.00, ");
  // Spans at the ends of the year range hold 500 years; a backward span none.
  r = results(-2147483647 - 1, 2147483647);
  ASSERT_EQ(r.size(), 6000u);
  EXPECT_EQ(r.back().substr(0, 8), "****,12,");
  fs::remove(file("-spi-results.csv"));
  EXPECT_TRUE(results(1952, 1950).empty());
  EXPECT_FALSE(fs::exists(file("-spi-results.csv")));
  // A directory in place of a value file cannot be read.
  fs::remove("fort.12");
  fs::create_directory("fort.12");
  EXPECT_EQ(fatal_of([] { prep::read_data(arg("-spi-results.csv"), 1950, 1952); }),
            "read fort.12: Is a directory");
}

// ---------------------------------------------------------------------------
// The results files and the combined table.

std::string results_record(int year, int month, const std::string& value, int values = 7) {
  char head[16];
  std::snprintf(head, sizeof head, "%4d,%2d,", year, month);
  std::string r = head;
  for (int i = 0; i < values; ++i) r += value + ",";
  return r;
}

TEST_F(Hostile, ResultsFilesForTheCombinedTable) {
  // Nothing readable: the combined table is emptied.
  write_file(file("-spi-results.csv"), "old\r\n");
  ASSERT_EQ(fatal_of([] { compare::combine(kId); }), "");
  EXPECT_EQ(read_file(file("-spi-results.csv")), "");
  // 5002 interpolated records, 3 observed with a letter in the third: 5000
  // rows, the observed values from the third on missing.
  std::vector<std::string> interpolated;
  for (int i = 0; i < 5002; ++i)
    interpolated.push_back(results_record(1000 + i / 12, i % 12 + 1, "   0.10"));
  write_file(file("-spi-results-int.csv"), lines(interpolated, "\n"));
  write_file(file("-spi-results.csv"),
             lines({results_record(1000, 1, "   1.00"), results_record(1000, 2, "   2.00"),
                    results_record(1000, 3, "   3.0O")}));
  ASSERT_EQ(fatal_of([] { compare::combine(kId); }), "");
  const auto combined = read_records(file("-spi-results.csv"));
  ASSERT_EQ(combined.size(), 5000u);
  EXPECT_EQ(
      combined[1], results_record(1000, 2, "   2.00") + [] {
        std::string s;
        for (int i = 0; i < 7; ++i) s += "   0.10,";
        return s;
      }());
  EXPECT_EQ(combined[2].substr(8, 8), " -99.00,");
}

TEST_F(Hostile, CombinedTableForTheStatistics) {
  const std::string name = file("-spi-results.csv");
  auto stats = [] {
    EXPECT_EQ(fatal_of([] { compare::statistics(kId); }), "");
    return read_records(file("-spi-stats.csv"));
  };
  // Nothing to pair: the figures are what 0/0, 0/-2 and the start value of
  // the largest difference give.
  write_file(name, lines({results_record(1950, 1, " -99.00", 14), "1950, 2, 1.0x"}));
  auto s = stats();
  ASSERT_EQ(s.size(), 8u);
  EXPECT_EQ(s[1],
            "       NaN,       NaN,       NaN,     -0.00,     -0.00,       NaN,       NaN,       "
            "NaN,       NaN,       NaN,**********,   0");
  // 5001 records: the 5001st, with a difference of 2, is not read.
  std::vector<std::string> combined;
  for (int i = 0; i < 5000; ++i)
    combined.push_back(results_record(1000 + i / 12, i % 12 + 1, "   0.10", 14));
  combined.push_back(results_record(1500, 1, "   2.10", 7) +
                     "   0.10,   0.10,   0.10,   0.10,   0.10,   0.10,   0.10,");
  write_file(name, lines(combined));
  s = stats();
  EXPECT_EQ(s[1].substr(110), "      0.00,   0");
  // Infinite values are read as such and computed through.
  write_file(name, lines({results_record(1950, 1, "Inf", 14), results_record(1950, 2, "-Inf", 14),
                          results_record(1950, 3, "0.5", 14)}));
  EXPECT_EQ(stats().size(), 8u);
}

// ---------------------------------------------------------------------------
// The PRN file, read by the EDI.

std::string prn_record(int year, int month, const std::string& prn) {
  char head[16];
  std::snprintf(head, sizeof head, "%4d,%2d,", year, month);
  return std::string(head) + "   12.00,    1.00,    0.50," + prn + ",";
}

TEST_F(Hostile, PrnFileForTheEdi) {
  const std::string table = arg("-spiformat.csv");
  auto edi = [&] {
    EXPECT_EQ(fatal_of([&] { indices::edi(table); }), "");
    return read_records(file("-EDI.csv"));
  };
  EXPECT_EQ(fatal_of([&] { indices::edi(table); }), "open 123456-PRN.csv: no such file");
  write_file(file("-PRN.csv"), "");
  EXPECT_EQ(edi().size(), 2u);
  // Asterisks in the third record end the reading there; one record gives an
  // EDI of 0/0.
  write_file(file("-PRN.csv"),
             lines({std::string("\0\xff header", 9), prn_record(1950, 1, "    0.32"),
                    prn_record(1950, 2, "********"), prn_record(1950, 3, "    1.00")}));
  EXPECT_EQ(edi(), (std::vector<std::string>{
                       " YEAR,MO,EP,DEP,SEP,PRN,EDI",
                       "1950, 1,   12.00,    1.00,    0.50,    0.32,     NaN,", ""}));
  // 2005 records: 2000 are read and written.
  std::vector<std::string> prn{" YEAR,MO,EP,DEP,SEP,PRN"};
  for (int i = 0; i < 2005; ++i)
    prn.push_back(prn_record(1800 + i / 12, i % 12 + 1, i % 2 ? "    1.00" : "   -1.00"));
  write_file(file("-PRN.csv"), lines(prn, "\n"));
  const auto out = edi();
  ASSERT_EQ(out.size(), 2002u);
  EXPECT_EQ(out[2000].substr(0, 8), "1966, 8,");
}

// ---------------------------------------------------------------------------
// The daily observation file for the Palmer input, and the Palmer daily
// series.

std::string daily_record(const char* element, int year, int month, int value) {
  std::string r = std::string("123456,47.61,-122.33,56,") + element + "," + std::to_string(month) +
                  "," + std::to_string(year);
  for (int d = 0; d < 31; ++d) r += "," + std::to_string(value);
  return r;
}

TEST_F(Hostile, DailyFileForThePalmerInput) {
  // 140 years of the three elements, with a precipitation month 0 and one of
  // 13 among them: those two months have no days, and the series stops at
  // 50000 days.
  std::vector<std::string> daily{"header"};
  for (int y = 1801; y <= 1940; ++y) {
    for (int m = 1; m <= 12; ++m) {
      daily.push_back(daily_record("PRCP", y,
                                   y == 1802 && m == 5   ? 0
                                   : y == 1802 && m == 6 ? 13
                                                         : m,
                                   10));
      daily.push_back(daily_record("TMAX", y, m, 70));
      daily.push_back(daily_record("TMIN", y, m, 50));
    }
  }
  write_file(file(".csv"), lines(daily, "\n"));
  ASSERT_EQ(fatal_of([] { pdsi::pdsiform(kId); }), "");
  const auto series = read_records(file("-pdsiformat.csv"));
  ASSERT_EQ(series.size(), 50000u);
  EXPECT_EQ(series[365 + 119], "1802,120,   10.0,   21.1,    0.0,    2.5");  // 30 April
  EXPECT_EQ(series[365 + 120].substr(0, 9), "1802,182,");                    // then 1 July
  // The Palmer index reads the 50000 rows and writes a month for each month
  // they complete.
  ASSERT_EQ(fatal_of([] { pdsi::pdi_vers1(kId); }), "");
  const auto index = read_records(file("-pdsi.csv"));
  // 1642 months, counted by an independent walk of the same days (python3:
  // every day of 1801-1940 but May and June 1802, cut at 50000, months
  // completed by record count from each 1 January).
  EXPECT_EQ(index.size(), 1u + 1642u);
  EXPECT_EQ(index[0], " YEAR,MONTH,Z(ANOMALY),X(PDI) ");

  // A latitude that cannot be read is fatal for the Palmer index.
  daily[1] = daily_record("PRCP", 1801, 1, 10);
  daily[1].replace(7, 5, "47.6N");
  write_file(file(".csv"), lines(daily, "\n"));
  EXPECT_EQ(fatal_of([] { pdsi::pdi_vers1(kId); }),
            "read 123456.csv: bad value '47.6N' in record 2");
}

TEST_F(Hostile, DailySeriesForThePalmerIndex) {
  write_file(file(".csv"), "header\r\n" + daily_record("PRCP", 1950, 1, 0) + "\r\n");
  const std::string name = file("-pdsiformat.csv");
  auto run = [] { return fatal_of([] { pdsi::pdi_vers1(kId); }); };
  EXPECT_EQ(run(), "open 123456-pdsiformat.csv: no such file");
  std::vector<std::string> year;
  for (int d = 1; d <= 365; ++d)
    year.push_back("1950," + std::to_string(d) + ",   10.0,   20.0,    0.0,    1.0");
  const std::string kUnreadable =
      "read 123456-pdsiformat.csv: a value of the daily series cannot be read";
  for (const std::string& bad :
       std::vector<std::string>{"1e39", "-1e39", "x", "*******", std::string("\0", 1)}) {
    SCOPED_TRACE(bad);
    auto rows = year;
    rows[200].replace(rows[200].find("20.0"), 4, bad);
    write_file(name, lines(rows));
    EXPECT_EQ(run(), kUnreadable);
  }
  // No 1 January, or fewer than twelve months: the header only.
  auto rows = year;
  rows[0] = "1950,2,   10.0,   20.0,    0.0,    1.0";
  write_file(name, lines(rows));
  ASSERT_EQ(run(), "");
  EXPECT_EQ(read_records(file("-pdsi.csv")).size(), 1u);
  rows = year;
  rows.resize(300);
  write_file(name, lines(rows));
  ASSERT_EQ(run(), "");
  EXPECT_EQ(read_records(file("-pdsi.csv")).size(), 1u);
  // Not-a-number temperatures and a year at the end of the integer range are
  // computed through: twelve months.
  rows = year;
  for (auto& r : rows) {
    r.replace(0, 4, "2147483647");
    r.replace(r.find("10.0"), 4, "NaN");
  }
  write_file(name, lines(rows, "\n"));
  ASSERT_EQ(run(), "");
  EXPECT_EQ(read_records(file("-pdsi.csv")).size(), 13u);
}

}  // namespace
