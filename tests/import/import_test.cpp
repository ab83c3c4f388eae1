// drought-import: archive lines of both formats read into station files; the
// bundled stations written as archives and imported back byte for byte.
#include "import/import.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using namespace importer;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const fs::path kExamples = fs::path(DROUGHT_SOURCE_DIR) / "examples";
const char* const kStations[] = {"100111", "100112", "725030", "727930"};
constexpr std::string_view kList =
    "100111 44.9000 -93.2000 120\n100112 52.3000 104.3000 350\n"
    "725030 40.78 -73.97 40\n727930   47.61  -122.33   56.4  SEATTLE\n"
    "XX000100111  44.9000  -93.2000  119.5 SYNTHETIC\n"
    "XX000100112  52.3000  104.3000  350.0\nXX000725030  40.78  -73.97  40\n"
    "XX000727930  47.61 -122.33 55.5\n";

std::array<int, kDays> days(int value) {
  std::array<int, kDays> a;
  a.fill(value);
  return a;
}

struct Import {
  Archive archive;
  std::string log;
  int failed = 0;
};

// Imports the archive text (one file named "in") into the current directory.
void import(Import& run, std::string_view text, Settings settings = {}) {
  FileState state = begin_file(run.archive, "in");
  add_lines(run.archive, state, text);
  settings.stations = parse_station_list(kList);
  run.failed = write_stations(run.archive, settings, run.log);
}

std::string examples_archive(Format format) {
  std::string text;
  for (const char* id : kStations)
    text += archive_from_daily(read_file(kExamples / (std::string(id) + ".csv")), format);
  return text;
}

TEST(ImportConversions, EveryValueOfTheDailyFileUnitsComesBack) {
  for (int v = -9998; v <= 99999; ++v) {
    ASSERT_EQ(hundredths_inch_from_tenths_mm(tenths_mm_from_hundredths_inch(v)), v);
    ASSERT_EQ(tenths_inch_from_mm(mm_from_tenths_inch(v)), v);
    ASSERT_EQ(inches_from_mm(mm_from_inches(v)), v);
    ASSERT_EQ(fahrenheit_from_tenths_celsius(tenths_celsius_from_fahrenheit(v)), v);
  }
  EXPECT_EQ(hundredths_inch_from_tenths_mm(1), 0);  // 0.39
  EXPECT_EQ(hundredths_inch_from_tenths_mm(2), 1);  // 0.79
  EXPECT_EQ(tenths_inch_from_mm(-127), -50);
  EXPECT_EQ(fahrenheit_from_tenths_celsius(-175), 1);   // 0.5 F: halves away from zero
  EXPECT_EQ(fahrenheit_from_tenths_celsius(-225), -9);  // -8.5 F
}

// The day values of a daily-file line: value for the first n days, -999 after.
std::string row(int value, int n) {
  std::string s;
  for (int d = 0; d < kDays; ++d) s += "," + std::to_string(d < n ? value : kMissing);
  return s + "\n";
}

TEST(ImportLines, ConvertsFlagsOrdersAndSkipsBadLines) {
  TempDir dir;
  std::string text;
  auto prcp = days(0);
  prcp[0] = 254;  // 1 inch
  prcp[1] = kArchiveMissing;
  prcp[2] = 13;                                                          // flagged: dropped
  append_archive_line(text, "XX000100111", 2001, 2, kTmax, days(-178));  // -0.04 F
  append_archive_line(text, "XX000100111", 2001, 2, kPrcp, prcp, "  X");
  append_archive_line(text, "XX000100111", 2001, 1, kTmin, days(100));  // before the first PRCP
  append_archive_line(text, "XX000100111", 2001, 2, kPrcp, days(5));    // a second PRCP line
  append_archive_line(text, "XX000100111", 2001, 2, kSnwd, days(1000));
  text += "XX000100111200102WT01" + std::string(248, ' ') + "\n";  // another element
  std::string bad;
  append_archive_line(bad, "XX000100111", 2001, 13, kSnow, days(0));
  bad += text.substr(0, 269).replace(30, 1, "x") + "\n";  // a non-numeric value
  bad += "short line\n";
  Import run;
  import(run, text + bad);
  EXPECT_EQ(run.failed, 0) << run.log;
  const std::string station = "100111,44.9000,-93.2000,120,";
  EXPECT_EQ(read_file("100111.csv"), std::string(kDailyHeader) + station +
                                         "PRCP,2,2001,100,-999,-999" + row(0, 28).substr(6) +
                                         station + "SNWD,2,2001" + row(39, 28) + station +
                                         "TMAX,2,2001" + row(0, 28));
  // 26 of 28 days present: 100 * 28 / 26 = 107.7 hundredths.
  EXPECT_EQ(read_file("100111_PRCP.csv"), station + "2,2001,1.08\n");
  EXPECT_NE(run.log.find("in:4: second PRCP line of station XX000100111 for 2001-02"),
            std::string::npos);
  EXPECT_NE(run.log.find("2001-02 to 2001-02, 0 months filled, 1 days dropped"), std::string::npos);
  EXPECT_NE(run.archive.messages.find("in:7: month outside 1-12"), std::string::npos);
  EXPECT_NE(run.archive.messages.find("in:8: value of day 2 is not a number"), std::string::npos);
  EXPECT_NE(run.archive.messages.find("in:9: line of 10 characters, expected 269"),
            std::string::npos);

  // --keep-flagged keeps the flagged day (5 hundredths): 105 * 28 / 27 = 108.9.
  Import keep;
  keep.archive.keep_flagged = true;
  import(keep, text);
  EXPECT_EQ(read_file("100111_PRCP.csv"), station + "2,2001,1.09\n");
}

TEST(ImportMonthly, ScalesOrFillsShortMonthsOrRefuses) {
  TempDir dir;
  std::string text;
  for (int month = 1; month <= 12; ++month)
    append_archive_line(text, "100112", 2000, month, kPrcp, days(10));
  auto part = days(10);
  std::fill(part.begin() + 25, part.end(), kArchiveMissing);
  append_archive_line(text, "100112", 2001, 1, kPrcp, part);  // 25 days: scaled
  std::fill(part.begin() + 5, part.end(), kArchiveMissing);
  append_archive_line(text, "100112", 2001, 2, kPrcp, part);  // 5 days: filled
  append_archive_line(text, "100112", 2001, 3, kTmax, days(0));
  append_archive_line(text, "100111", 2001, 4, kPrcp, part);  // nothing to fill from
  Import run;
  import(run, text);
  EXPECT_EQ(run.failed, 1);
  EXPECT_NE(run.log.find("station 100111: no complete month 4 to fill 2001-04 from"),
            std::string::npos);
  const std::string monthly = read_file("100112_PRCP.csv");
  EXPECT_NE(monthly.find(",2,2000,2.90\n"), std::string::npos) << monthly;
  EXPECT_NE(monthly.find(",12,2000,3.10\n100112,52.3000,104.3000,350,1,2001,3.10\n"
                         "100112,52.3000,104.3000,350,2,2001,2.90\n"
                         "100112,52.3000,104.3000,350,3,2001,3.10\n"),
            std::string::npos)
      << monthly;
  EXPECT_NE(run.log.find("2000-01 to 2001-03, 2 months filled"), std::string::npos);
}

TEST(ImportStations, RefusesConflictsAndUnknownStationsWithoutTouchingOldFiles) {
  TempDir dir;
  std::string text;
  append_archive_line(text, "100111", 2001, 1, kPrcp, days(0));
  append_archive_line(text, "725030", 2001, 1, kPrcp, days(0));
  append_archive_line(text, "999999", 2001, 1, kPrcp, days(0));  // not in the list
  write_file("100111.csv", "old");
  Import run;
  std::string other;
  append_archive_line(other, "XX000100111", 2001, 1, kPrcp, days(0));  // also 100111
  FileState state = begin_file(run.archive, "other");
  add_lines(run.archive, state, other);
  import(run, text);
  EXPECT_EQ(run.failed, 3) << run.log;
  EXPECT_NE(run.log.find("stations XX000100111 and 100111 both map to output ID 100111"),
            std::string::npos);
  EXPECT_NE(run.log.find("station 999999: not in the station list"), std::string::npos);
  EXPECT_EQ(read_file("100111.csv"), "old");
  EXPECT_TRUE(fs::exists("725030.csv"));

  Settings as;  // --as renames the one long-format station
  as.as_id = "123456";
  Import renamed;
  std::string one;
  append_archive_line(one, "XX000727930", 2001, 1, kPrcp, days(0));
  import(renamed, one, as);
  EXPECT_EQ(read_file("123456_PRCP.csv"), "123456,47.61,-122.33,56,1,2001,0.00\n");
}

TEST(ImportExamples, ArchivesOfBothFormatsGiveTheBundledStationFiles) {
  TempDir dir;
  for (Format format : {Format::kShort, Format::kLong}) {
    Import run;
    import(run, examples_archive(format));
    ASSERT_EQ(run.failed, 0) << run.log;
    for (const char* id : kStations)
      EXPECT_EQ(read_file(std::string(id) + ".csv"),
                read_file(kExamples / (std::string(id) + ".csv")))
          << id;
    // The complete station's monthly totals are the sums of its days.
    EXPECT_EQ(read_file("100111_PRCP.csv"), read_file(kExamples / "100111_PRCP.csv"));
    EXPECT_NE(run.log.find("XX000727930 -> 727930: 2012-01 to 2015-12, 2 months filled") ==
                  std::string::npos,
              format == Format::kLong);
  }
}

TEST(ImportFiles, ReadsGzipAndRefusesATruncatedOne) {
  TempDir dir;
  const std::string text = examples_archive(Format::kShort);
  gzFile out = gzopen("in.gz", "wb");
  gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
  gzclose(out);
  Archive archive;
  std::string error;
  ASSERT_TRUE(read_archive_file(archive, "in.gz", error)) << error;
  Archive plain;
  FileState state = begin_file(plain, "in");
  add_lines(plain, state, text);
  ASSERT_EQ(archive.stations.size(), 4u);
  for (std::size_t s = 0; s < 4; ++s)
    EXPECT_EQ(archive.stations[s].records.size(), plain.stations[s].records.size());

  const std::string gz = read_file("in.gz");
  write_file("cut.gz", gz.substr(0, gz.size() / 2));
  EXPECT_FALSE(read_archive_file(archive, "cut.gz", error));
  EXPECT_NE(error.find("cannot read cut.gz"), std::string::npos);
}

TEST(ImportProgram, OptionsAndStatus) {
  TempDir dir;
  const std::string exe = DROUGHT_IMPORT_EXE;
  const auto run = [&](const std::string& args) {
    const int raw = std::system(("'" + exe + "' " + args + " >out 2>err").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(run("--help"), 0);
  EXPECT_EQ(read_file("out").rfind("Usage: drought-import", 0), 0u);
  EXPECT_EQ(run("--version"), 0);
  EXPECT_EQ(read_file("out"), "drought-import 1.0.0\n");
  EXPECT_EQ(run("-x in"), 2);
  EXPECT_EQ(read_file("err"), "drought-import: unknown option -x (see drought-import --help)\n");
  EXPECT_EQ(run("--stations list --min-days 0 in"), 2);
  write_file("list", kList);
  std::string text = examples_archive(Format::kShort);
  append_archive_line(text, "100113", 2012, 1, kPrcp, days(0));
  write_file("in", text);
  EXPECT_EQ(run("--stations list -o sub in"), 1);  // 100113 is not in the list
  EXPECT_EQ(read_file("sub/727930.csv"), read_file(kExamples / "727930.csv"));
  // A flagged day (the third) after the examples' span: missing, or kept
  // with --keep-flagged.
  append_archive_line(text, "727930", 2016, 1, kPrcp, days(7), "  X");
  write_file("in", text);
  EXPECT_EQ(run("--stations list -o flagged in"), 1);
  EXPECT_NE(read_file("flagged/727930.csv").find("PRCP,1,2016,7,7,-999,7,"), std::string::npos);
  EXPECT_EQ(run("--keep-flagged --stations list -o kept in"), 1);
  EXPECT_NE(read_file("kept/727930.csv").find("PRCP,1,2016,7,7,7,7,"), std::string::npos);
  // A monthly file that cannot be put in place fails its station.
  fs::create_directories("blocked/727930_PRCP.csv");
  write_file("in", examples_archive(Format::kShort));
  EXPECT_EQ(run("--stations list -o blocked in"), 1);
  EXPECT_NE(read_file("err").find("cannot write blocked/727930_PRCP.csv"), std::string::npos);
}

}  // namespace
