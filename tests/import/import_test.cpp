// drought-import: archive lines of both formats read into station files; the
// bundled stations written as archives and imported back byte for byte; a
// station found again in a later file; the station list's checks; the
// program's limits, its out-of-memory end and its interruption.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "import/archive_lines.h"
#include "import/output.h"
#include "import/station_files.h"
#include "import/text_input.h"
#include "import/units.h"
#include "support/archive_writer.h"
#include "support/tempdir.h"
#include "version.h"

namespace {

namespace fs = std::filesystem;
using namespace importer;
using namespace testing_support;

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

// The station list of the text, read from a file named "list".
StationList list_of(std::string_view text, Log& log) {
  write_file("list", text);
  StationList list;
  std::string error;
  EXPECT_TRUE(read_station_list("list", list, log, error)) << error;
  fs::remove("list");
  return list;
}

// An import into the current directory with the stations of kList.
struct Import {
  Importer im;
  int failed = 0;
  explicit Import(Settings settings = {}) {
    im.settings = std::move(settings);
    im.settings.stations = list_of(kList, im.log);
  }
  // Reads archive text as one more input file.
  void read(std::string_view text, const std::string& name = "in") {
    write_file(name, text);
    std::string error;
    EXPECT_TRUE(read_archive_file(im, name, error)) << error;
    fs::remove(name);
  }
  // Puts every station read in place.
  void write() {
    std::string error;
    ASSERT_TRUE(end_reading(im, error)) << error;
    const WriteResult result = write_stations(im);
    EXPECT_EQ(result.fatal, "");
    failed = result.failed;
  }
  const std::string& log() const { return im.log.text; }
};

std::string examples_archive(Format format) {
  std::string text;
  for (const char* id : kStations)
    text += archive_from_daily(read_file(kExamples / (std::string(id) + ".csv")), format);
  return text;
}

bool contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// The names in dir, one per line, sorted.
std::string names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::string all;
  for (const std::string& n : names) all += n + "\n";
  return all;
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
  bad += "short line\r\n";
  Import run;
  run.read(text + bad);
  run.write();
  EXPECT_EQ(run.failed, 0) << run.log();
  const std::string station = "100111,44.9000,-93.2000,120,";
  EXPECT_EQ(read_file("100111.csv"), std::string(kDailyHeader) + station +
                                         "PRCP,2,2001,100,-999,-999" + row(0, 28).substr(6) +
                                         station + "SNWD,2,2001" + row(39, 28) + station +
                                         "TMAX,2,2001" + row(0, 28));
  // 26 of 28 days present: 100 * 28 / 26 = 107.7 hundredths.
  EXPECT_EQ(read_file("100111_PRCP.csv"), station + "2,2001,1.08\n");
  const std::string& log = run.log();
  EXPECT_TRUE(contains(log, "in:4: second PRCP line of station XX000100111 for 2001-02"));
  EXPECT_TRUE(contains(log, "2001-02 to 2001-02, 0 months filled, 1 days dropped"));
  EXPECT_TRUE(contains(log, "in:7: month outside 1-12"));
  EXPECT_TRUE(contains(log, "in:8: value of day 2 is not a number"));
  EXPECT_TRUE(contains(log, "in:9: line of 10 characters, expected 269"));

  // The same lines in two files, another station between: the station comes
  // back, the same files, the flagged day still counted.
  const std::string daily = read_file("100111.csv");
  Import split;
  std::string other;
  append_archive_line(other, "XX000100112", 2001, 1, kPrcp, days(0));
  split.read(text.substr(0, 2 * 270) + other, "a");
  split.read(text.substr(2 * 270), "b");
  split.write();
  EXPECT_EQ(read_file("100111.csv"), daily);
  EXPECT_TRUE(contains(split.log(), "b:2: second PRCP line of station XX000100111 for 2001-02"));
  EXPECT_TRUE(contains(split.log(), "2001-02 to 2001-02, 0 months filled, 1 days dropped"));

  // --keep-flagged keeps the flagged day (5 hundredths): 105 * 28 / 27 = 108.9.
  Settings flagged;
  flagged.keep_flagged = true;
  Import keep(flagged);
  keep.read(text);
  keep.write();
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
  run.read(text);
  run.write();
  EXPECT_EQ(run.failed, 1);
  EXPECT_TRUE(contains(run.log(), "station 100111: no complete month 4 to fill 2001-04 from"));
  const std::string monthly = read_file("100112_PRCP.csv");
  EXPECT_TRUE(contains(monthly, ",2,2000,2.90\n")) << monthly;
  EXPECT_TRUE(contains(monthly,
                       ",12,2000,3.10\n100112,52.3000,104.3000,350,1,2001,3.10\n"
                       "100112,52.3000,104.3000,350,2,2001,2.90\n"
                       "100112,52.3000,104.3000,350,3,2001,3.10\n"))
      << monthly;
  EXPECT_TRUE(contains(run.log(), "2000-01 to 2001-03, 2 months filled"));
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
  run.read(other, "other");
  run.read(text);
  run.write();
  EXPECT_EQ(run.failed, 3) << run.log();
  EXPECT_TRUE(contains(run.log(), "stations XX000100111 and 100111 both map to output ID 100111"));
  EXPECT_TRUE(contains(run.log(), "station 999999: not in the station list"));
  EXPECT_EQ(read_file("100111.csv"), "old");
  EXPECT_TRUE(fs::exists("725030.csv"));

  Settings as;  // --as renames the one long-format station
  as.ids.as_id = "123456";
  Import renamed(as);
  std::string one;
  append_archive_line(one, "XX000727930", 2001, 1, kPrcp, days(0));
  renamed.read(one);
  renamed.write();
  EXPECT_EQ(read_file("123456_PRCP.csv"), "123456,47.61,-122.33,56,1,2001,0.00\n");
}

TEST(ImportExamples, ArchivesOfBothFormatsGiveTheBundledStationFiles) {
  TempDir dir;
  for (Format format : {Format::kShort, Format::kLong}) {
    Import run;
    run.read(examples_archive(format));
    run.write();
    ASSERT_EQ(run.failed, 0) << run.log();
    for (const char* id : kStations)
      EXPECT_EQ(read_file(std::string(id) + ".csv"),
                read_file(kExamples / (std::string(id) + ".csv")))
          << id;
    // The complete station's monthly totals are the sums of its days.
    EXPECT_EQ(read_file("100111_PRCP.csv"), read_file(kExamples / "100111_PRCP.csv"));
    EXPECT_EQ(contains(run.log(), "XX000727930 -> 727930: 2012-01 to 2015-12, 2 months filled"),
              format == Format::kLong);
  }
  // The second import replaced the files of the first: nothing else is left.
  std::string names;
  for (const char* id : kStations) names += std::string(id) + ".csv\n" + id + "_PRCP.csv\n";
  EXPECT_EQ(names_in("."), names);
}

// Stations are put in place only when every input is read: a station found
// again in a later file is one station, its lines in the order read (the
// first of two lines for one month counts), also lines that came before its
// first PRCP line.
TEST(ImportExamples, AStationFoundAgainInALaterFileIsMerged) {
  TempDir dir;
  const std::string seattle =
      archive_from_daily(read_file(kExamples / "727930.csv"), Format::kLong);
  const std::size_t cut = 6 * 270;  // the first two months come again in the second file
  const std::size_t tmax = seattle.find("TMAX") / 270 * 270;
  ASSERT_LT(tmax, cut);
  // Its second run ends inside the second file.
  const std::string second = seattle.substr(0, cut) +
                             archive_from_daily(read_file(kExamples / "725030.csv"), Format::kLong);
  const std::size_t again = tmax / 270 + 1;
  Import run;
  run.read(seattle.substr(cut) + seattle.substr(tmax, 270) +
               archive_from_daily(read_file(kExamples / "100111.csv"), Format::kLong),
           "first");
  run.read(second, "second");
  run.write();
  ASSERT_EQ(run.failed, 0) << run.log();
  EXPECT_EQ(read_file("727930.csv"), read_file(kExamples / "727930.csv"));
  for (const char* id : {"100111", "725030"})
    EXPECT_EQ(read_file(std::string(id) + ".csv"),
              read_file(kExamples / (std::string(id) + ".csv")));
  EXPECT_TRUE(contains(run.log(), "second:" + std::to_string(again) + ": second TMAX line"))
      << run.log();
  EXPECT_TRUE(contains(run.log(), "XX000727930 -> 727930: 2012-01 to 2015-12, 2 months filled"));
  EXPECT_EQ(names_in("."),
            "100111.csv\n100111_PRCP.csv\n725030.csv\n725030_PRCP.csv\n727930.csv\n"
            "727930_PRCP.csv\n");
}

TEST(ImportStationList, MalformedLinesAndSecondEntriesAreWarnedAndSkipped) {
  TempDir dir;
  Log log;
  const StationList list = list_of(
      "A1 10 20 30\n\nA2 10 20\nA3 90.5 20 30\nA4 -90 -180.5 30\nA5 1e1 20 30\n"
      "A6 -90 360 -999.9\nA1 11 21 31\n" +
          std::string(65, 'x') + " 1 2 3\n",
      log);
  EXPECT_EQ(log.text,
            "drought-import: list:3: fewer than four fields (ID, latitude, longitude, elevation); "
            "line skipped\n"
            "drought-import: list:4: latitude is not a number from -90 to 90; line skipped\n"
            "drought-import: list:5: longitude is not a number from -180 to 360; line skipped\n"
            "drought-import: list:6: latitude is not a number from -90 to 90; line skipped\n"
            "drought-import: list:8: second entry for station A1; line skipped\n"
            "drought-import: list:9: a field longer than 64 characters; line skipped\n");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.at("A1").latitude, "10");
  EXPECT_EQ(list.at("A6").longitude, "360");
}

// drought-import run in the current directory with standard output and error
// in ".out" and ".err"; memory limits its address space (bytes, 0: none), and
// preload sends it SIGTERM after a rename onto a name ending in signal_target.
pid_t start(const std::vector<std::string>& args, rlim_t memory = 0,
            const char* signal_target = nullptr) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  dup2(open(".out", O_WRONLY | O_CREAT | O_TRUNC, 0666), 1);
  dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
  const rlimit limit{memory, memory};
  if (memory != 0) setrlimit(RLIMIT_AS, &limit);
  if (signal_target != nullptr) {
    setenv("LD_PRELOAD", RENAME_SIGNAL_LIB, 1);
    setenv("RENAME_SIGNAL_TARGET", signal_target, 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  }
  std::vector<char*> argv{const_cast<char*>(DROUGHT_IMPORT_EXE)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(DROUGHT_IMPORT_EXE, argv.data());
  _exit(127);
}
// The exit status, 128 + the signal when killed.
int finish(pid_t pid) {
  int raw = 0;
  waitpid(pid, &raw, 0);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}
// Runs it with blank-separated arguments.
int run_import(const std::string& args, rlim_t memory = 0) {
  std::vector<std::string> v;
  for (std::size_t at = 0; at < args.size();) {
    const std::size_t end = std::min(args.find(' ', at), args.size());
    if (end > at) v.push_back(args.substr(at, end - at));
    at = end + 1;
  }
  return finish(start(v, memory));
}
void write_gzip(const char* name, const std::string& text, const char* mode = "wb") {
  gzFile out = gzopen(name, mode);
  gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
  gzclose(out);
}

TEST(ImportFiles, ReadsGzipMembersAndRefusesDamagedOrOverlongInput) {
  TempDir dir;
  const std::string text = examples_archive(Format::kShort);
  const std::size_t half = text.size() / 2 / 265 * 265;
  write_gzip("in.gz", text.substr(0, half));
  write_gzip("in.gz", text.substr(half), "ab");  // a second member
  Import gz, plain;
  std::string error;
  ASSERT_TRUE(read_archive_file(gz.im, "in.gz", error)) << error;
  EXPECT_EQ(gz.log(), "");
  gz.write();
  plain.read(text);
  plain.write();
  EXPECT_EQ(gz.log(), plain.log());
  EXPECT_EQ(gz.failed + plain.failed, 0);

  Import more;
  const std::string bytes = read_file("in.gz");
  write_file("tail.gz", bytes + "trailing");
  EXPECT_TRUE(read_archive_file(more.im, "tail.gz", error)) << error;
  EXPECT_EQ(more.log(),
            "drought-import: tail.gz: data after the end of the compressed data ignored\n");
  write_file("cut.gz", bytes.substr(0, bytes.size() / 3));
  EXPECT_FALSE(read_archive_file(more.im, "cut.gz", error));
  EXPECT_EQ(error, "cannot read cut.gz: unexpected end of file");
  write_file("long", text.substr(0, 265 * 2) + std::string(kMaxLineBytes + 1, ' ') + "\n");
  EXPECT_FALSE(read_archive_file(more.im, "long", error));
  EXPECT_EQ(error, "cannot read long: line 3 is longer than the limit of 1 MiB");
}

TEST(ImportProgram, OptionsAndStatus) {
  TempDir dir;
  EXPECT_EQ(run_import("--help"), 0);
  EXPECT_EQ(read_file(".out").rfind("Usage: drought-import", 0), 0u);
  EXPECT_EQ(run_import("--version"), 0);
  EXPECT_EQ(read_file(".out"), "drought-import " DROUGHT_VERSION "\n");
  EXPECT_EQ(run_import("-x in"), 2);
  EXPECT_EQ(read_file(".err"), "drought-import: unknown option -x (see drought-import --help)\n");
  EXPECT_EQ(run_import("--stations list --min-days 0 in"), 2);
  write_file("list", kList);
  EXPECT_EQ(finish(start({"--stations", "list", "in\x01"})), 2);
  EXPECT_EQ(read_file(".err"),
            "drought-import: cannot open in\\x01: No such file or directory; nothing written\n");
  std::string text = examples_archive(Format::kShort);
  append_archive_line(text, "100113", 2012, 1, kPrcp, days(0));
  write_file("in", text);
  EXPECT_EQ(run_import("--stations list -o sub in"), 1);  // 100113 is not in the list
  EXPECT_EQ(read_file("sub/727930.csv"), read_file(kExamples / "727930.csv"));
  // A flagged day (the third) after the examples' span: missing, or kept
  // with --keep-flagged.
  append_archive_line(text, "727930", 2016, 1, kPrcp, days(7), "  X");
  write_file("in", text);
  EXPECT_EQ(run_import("--stations list -o flagged in"), 1);
  EXPECT_TRUE(contains(read_file("flagged/727930.csv"), "PRCP,1,2016,7,7,-999,7,"));
  EXPECT_EQ(run_import("--keep-flagged --stations list -o kept in"), 1);
  EXPECT_TRUE(contains(read_file("kept/727930.csv"), "PRCP,1,2016,7,7,7,7,"));
  // A monthly file that cannot be put in place fails its station, and its
  // daily file is not left alone.
  fs::create_directories("blocked/727930_PRCP.csv");
  write_file("in", examples_archive(Format::kShort));
  EXPECT_EQ(run_import("--stations list -o blocked in"), 1);
  EXPECT_TRUE(contains(read_file(".err"), "cannot write blocked/727930_PRCP.csv"));
  EXPECT_FALSE(fs::exists("blocked/727930.csv"));
  EXPECT_TRUE(fs::exists("blocked/725030_PRCP.csv"));
}

// A malformed ID map stops the run before anything is written; a good one
// names the output files.
TEST(ImportProgram, IdMapErrorsStopTheRun) {
  TempDir dir;
  write_file("list", kList);
  std::string text;
  append_archive_line(text, "XX000727930", 2001, 1, kPrcp, days(0));
  write_file("in", text);
  write_file("bad", "XX000727930 123456\n\nXX000100111 12345x\n");
  EXPECT_EQ(run_import("--stations list --ids bad -o out1 in"), 2);
  EXPECT_EQ(read_file(".err"), "drought-import: bad:3: expected a source ID and a 6-digit ID\n");
  write_file("twice", "XX000727930 123456\nXX000727930 654321\n");
  EXPECT_EQ(run_import("--stations list --ids twice -o out1 in"), 2);
  EXPECT_EQ(read_file(".err"), "drought-import: twice:2: second entry for XX000727930\n");
  EXPECT_FALSE(fs::exists("out1"));
  write_file("good", "XX000727930 123456\n");
  EXPECT_EQ(run_import("--stations list --ids good -o out2 in"), 0);
  EXPECT_EQ(names_in("out2"), "123456.csv\n123456_PRCP.csv\n");
}

TEST(ImportProgram, OverlongLinesAndEndlessInputEndTheRunWithNothingWritten) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer does not run under a memory limit";
#endif
  TempDir dir;
  write_file("list", kList);
  constexpr rlim_t kLimit = rlim_t{64} << 20;
  EXPECT_EQ(run_import("--stations list -o out /dev/zero", kLimit), 2);
  EXPECT_EQ(read_file(".err"),
            "drought-import: cannot read /dev/zero: line 1 is longer than the limit of 1 MiB; "
            "nothing written\n");
  EXPECT_EQ(names_in("out"), "");
  EXPECT_EQ(run_import("--stations /dev/zero -o out list", kLimit), 2);
  EXPECT_EQ(read_file(".err"),
            "drought-import: cannot read /dev/zero: line 1 is longer than the limit of 1 MiB\n");
  // One station larger than the memory.
  std::string line;
  append_archive_line(line, "XX000100111", 2001, 1, kPrcp, days(0));
  std::string block;
  for (int i = 0; i < 4096; ++i) block += line;
  gzFile out = gzopen("huge.gz", "wb1");
  for (int i = 0; i < 150; ++i) gzwrite(out, block.data(), static_cast<unsigned>(block.size()));
  gzclose(out);
  EXPECT_EQ(run_import("--stations list -o out huge.gz", kLimit), 2);
  EXPECT_EQ(read_file(".err"),
            "drought-import: cannot read huge.gz: out of memory; nothing written\n");
  EXPECT_EQ(names_in("out"), "");
}

struct ImportInterrupted : ::testing::Test {
  TempDir dir;
  void SetUp() override { alarm(60); }  // a hang ends the test program
  void TearDown() override { alarm(0); }
};

// A signal between the renames of a station: the station stays as it was, the
// stations before it are complete and reported, no temporary file is left.
TEST_F(ImportInterrupted, BetweenTheRenamesOfAStationKeepsItsOldPair) {
  write_file("list", kList);
  write_file("in", examples_archive(Format::kShort));
  fs::create_directories("out");
  write_file("out/727930.csv", "old daily");
  write_file("out/727930_PRCP.csv", "old monthly");
  EXPECT_EQ(finish(start({"--stations", "list", "-o", "out", "in"}, 0, "727930.csv")),
            128 + SIGTERM);
  EXPECT_EQ(read_file("out/727930.csv"), "old daily");
  EXPECT_EQ(read_file("out/727930_PRCP.csv"), "old monthly");
  EXPECT_EQ(names_in("out"),
            "100111.csv\n100111_PRCP.csv\n100112.csv\n100112_PRCP.csv\n725030.csv\n"
            "725030_PRCP.csv\n727930.csv\n727930_PRCP.csv\n");
  const std::string err = read_file(".err");
  EXPECT_TRUE(contains(err, "100111 -> 100111: ")) << err;
  EXPECT_TRUE(contains(err, "725030 -> 725030: ")) << err;
  EXPECT_FALSE(contains(err, "727930 -> ")) << err;
  EXPECT_EQ(err.substr(err.rfind("drought-import:")), "drought-import: interrupted by SIGTERM\n");
}

// A signal while reading from a pipe that has not ended: nothing written, no
// temporary file left.
TEST_F(ImportInterrupted, WhileWaitingForInputWritesNothing) {
  write_file("list", kList);
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  const pid_t pid = start({"--stations", "list", "-o", "out", "pipe"});
  const int fd = open("pipe", O_WRONLY);  // waits until the importer opens it
  std::string text;                       // 100111 is built under temporary names when 725030 comes
  append_archive_line(text, "100111", 2001, 1, kPrcp, days(0));
  append_archive_line(text, "725030", 2001, 1, kPrcp, days(0));
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  usleep(200'000);  // the importer waits for more
  kill(pid, SIGINT);
  EXPECT_EQ(finish(pid), 128 + SIGINT);
  close(fd);
  EXPECT_EQ(read_file(".err"), "drought-import: interrupted by SIGINT\n");
  EXPECT_EQ(names_in("out"), "");
}

}  // namespace
