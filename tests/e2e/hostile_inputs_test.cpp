// Whole-program runs on hostile station files: a small valid station is
// generated, one of its two input files is damaged, and the program is run as
// the operator runs it ("<id>", then "exit"). Each case names the outcome the
// reading rules give: a fatal end with status 2 and a one-line diagnostic, or
// a complete run whose results end at the bad record (the data span, the rows
// of the fill file, the months of the monthly tables, ...). Every run is
// bounded in time, so a hang fails the case instead of stalling the suite.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

constexpr char kId[] = "123456";
constexpr int kFirstYear = 1950;
constexpr int kYears = 3;  // 1950 to 1952
constexpr int kSecondsPerRun = 60;

// ---------------------------------------------------------------------------
// The valid station: a header, then PRCP, TMAX and TMIN of every month of
// 1950 to 1952; a monthly file of the same 36 months.

enum Element { kPrcp, kTmax, kTmin };

int prcp_value(int year, int month, int day) { return (day * 7 + month * 3 + year) % 50; }
int element_value(Element e, int year, int month, int day) {
  switch (e) {
    case kPrcp:
      return prcp_value(year, month, day);
    case kTmax:
      return 40 + month + day % 5;
    case kTmin:
      return 20 + month + day % 3;
  }
  return 0;
}

std::string daily_line(Element e, int year, int month) {
  static const char* kCodes[] = {"PRCP", "TMAX", "TMIN"};
  std::string s = std::string(kId) + ",47.61,-122.33,56," + kCodes[e] + "," +
                  std::to_string(month) + "," + std::to_string(year);
  for (int d = 1; d <= 31; ++d) s += "," + std::to_string(element_value(e, year, month, d));
  return s;
}

// Monthly precipitation in hundredths of an inch.
int monthly_value(int year, int month) { return (year * 13 + month * 29) % 700; }

std::string monthly_line(int year, int month) {
  const int v = monthly_value(year, month);
  char value[32];
  std::snprintf(value, sizeof value, "%d.%02d", v / 100, v % 100);
  return std::string(kId) + ",47.61,-122.33,56," + std::to_string(month) + "," +
         std::to_string(year) + "," + value;
}

enum class Place { File, Missing, Directory };

struct Station {
  std::vector<std::string> daily;    // records without their ends, header first
  std::vector<std::string> monthly;  // records without their ends
  std::string daily_end = "\n";      // line end of every daily record
  std::string monthly_end = "\n";
  Place daily_place = Place::File;
  Place monthly_place = Place::File;
  std::optional<std::string> daily_text;  // replaces the joined daily records
  std::optional<std::string> monthly_text;
};

Station valid_station(int first_year = kFirstYear, int years = kYears, bool temperatures = true) {
  Station s;
  s.daily.push_back("STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01,...,DAY31");
  for (int y = first_year; y < first_year + years; ++y) {
    for (int m = 1; m <= 12; ++m) {
      s.daily.push_back(daily_line(kPrcp, y, m));
      if (temperatures) {
        s.daily.push_back(daily_line(kTmax, y, m));
        s.daily.push_back(daily_line(kTmin, y, m));
      }
      s.monthly.push_back(monthly_line(y, m));
    }
  }
  return s;
}

// Index of a record of the generated daily file (0 is the header).
std::size_t daily_index(Element e, int year, int month) {
  return 1 + static_cast<std::size_t>(((year - kFirstYear) * 12 + month - 1) * 3 + e);
}
std::size_t monthly_index(int year, int month) {
  return static_cast<std::size_t>((year - kFirstYear) * 12 + month - 1);
}

// Field `field` (0-based) of a comma-separated record replaced by `value`.
void set_field(std::string& record, int field, const std::string& value) {
  std::vector<std::string> parts;
  std::stringstream in(record);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  parts.at(static_cast<std::size_t>(field)) = value;
  record.clear();
  for (std::size_t i = 0; i < parts.size(); ++i) record += (i ? "," : "") + parts[i];
}
// Daily record fields: 4 element, 5 month, 6 year, 6 + d day d.
constexpr int kElementField = 4, kMonthField = 5, kYearField = 6;
int day_field(int day) { return 6 + day; }
constexpr int kInchesField = 6;  // of a monthly record

std::string join(const std::vector<std::string>& records, const std::string& end) {
  std::string text;
  for (const std::string& r : records) text += r + end;
  return text;
}

void place(const fs::path& name, Place where, const std::string& text) {
  if (where == Place::File) write_file(name, text);
  if (where == Place::Directory) fs::create_directory(name);
}

void lay_out(const Station& s, const fs::path& dir) {
  place(dir / (std::string(kId) + ".csv"), s.daily_place,
        s.daily_text.value_or(join(s.daily, s.daily_end)));
  place(dir / (std::string(kId) + "_PRCP.csv"), s.monthly_place,
        s.monthly_text.value_or(join(s.monthly, s.monthly_end)));
}

// The program run as the operator runs it, killed when it outlives its time
// (status 124 or 137 then, which no case expects).
testing_support::ProgramResult run(const fs::path& dir, const std::string& replies) {
  write_file(dir / ".replies", replies);
  const std::string command = "cd '" + dir.string() + "' && timeout -k 5 " +
                              std::to_string(kSecondsPerRun) + " '" +
                              testing_support::drought_exe() + "' < .replies > .stdout 2> .stderr";
  const int raw = std::system(command.c_str());
  testing_support::ProgramResult r;
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  r.out = read_file(dir / ".stdout");
  r.err = read_file(dir / ".stderr");
  for (const char* f : {".replies", ".stdout", ".stderr"}) fs::remove(dir / f);
  return r;
}

// Every file a run leaves, by name, without the two inputs.
std::map<std::string, std::string> outputs(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name == std::string(kId) + ".csv" || name == std::string(kId) + "_PRCP.csv") continue;
    files[name] = entry.is_regular_file() ? read_file(entry.path()) : "<not a file>";
  }
  return files;
}

// The outputs of the undamaged station, for the cases that must not change them.
const std::map<std::string, std::string>& baseline() {
  static const std::map<std::string, std::string> files = [] {
    TempDir dir;
    lay_out(valid_station(), dir.path());
    const auto r = run(dir.path(), std::string(kId) + "\nexit\n");
    EXPECT_EQ(r.status, 0);
    return outputs(dir.path());
  }();
  return files;
}

// ---------------------------------------------------------------------------
// Expected texts.

std::string fill_row(int station, int year, int month, const std::vector<std::string>& days) {
  char head[64];
  std::snprintf(head, sizeof head, "%6d,PRCP,%4d,%2d,", station, year, month);
  std::string row = head;
  for (const std::string& d : days) row += d + ",";
  return row;
}
std::string gap_row(int year, int month) {
  return fill_row(123456, year, month, std::vector<std::string>(31, "  -99.90"));
}
int month_sum(int year, int month) {
  int t = 0;
  for (int d = 1; d <= 31; ++d) t += prcp_value(year, month, d);
  return t;
}
std::string copied_row(int year, int month) {
  std::vector<std::string> days;
  for (int d = 1; d <= 31; ++d) {
    char v[16];
    std::snprintf(v, sizeof v, "%8.2f", double(prcp_value(year, month, d)));
    days.push_back(v);
  }
  return fill_row(123456, year, month, days);
}
// A monthly table record: station I6, year I4, 12 x I7.
std::string table_row(int station, int year, const std::vector<int>& totals) {
  char text[256];
  int n = std::snprintf(text, sizeof text, "%6d,%4d,", station, year);
  for (int t : totals) n += std::snprintf(text + n, sizeof text - std::size_t(n), "%7d,", t);
  return text;
}
std::vector<int> interpolated_year(int year, int first_missing = 13) {
  std::vector<int> totals;
  for (int m = 1; m <= 12; ++m)
    totals.push_back(m < first_missing ? monthly_value(year, m) : -9999);
  return totals;
}
std::string span_lines(int m1, int y1, int m2, int y2) {
  return " Data begins in " + std::to_string(m1) + " / " + std::to_string(y1) +
         "\r\n Data ends in   " + std::to_string(m2) + " / " + std::to_string(y2) + "\r\n\r\n";
}
std::string fatal(const std::string& what) { return "drought: " + what + "\r\n"; }
std::string file(const std::string& suffix) { return std::string(kId) + suffix; }

// One checked property of a file after the run.
struct FileCheck {
  std::string name;
  enum Kind { Absent, Records, Record, SameAsBaseline, Empty } kind;
  long count = 0;      // Records: the number of records; Record: its index
  std::string text{};  // Record: its text
};
FileCheck absent(const std::string& name) { return {name, FileCheck::Absent}; }
FileCheck records(const std::string& name, long n) { return {name, FileCheck::Records, n}; }
FileCheck record(const std::string& name, long i, std::string t) {
  return {name, FileCheck::Record, i, std::move(t)};
}
FileCheck same(const std::string& name) { return {name, FileCheck::SameAsBaseline}; }
FileCheck empty(const std::string& name) { return {name, FileCheck::Empty}; }

struct Case {
  std::string name;
  std::function<void(Station&)> damage;
  int status;
  std::string out_or_err;  // status 0: the span lines on the console; 2: standard error
  std::vector<FileCheck> files;
};

void check(const Case& c, const fs::path& dir, const testing_support::ProgramResult& r) {
  SCOPED_TRACE(c.name);
  ASSERT_EQ(r.status, c.status) << "stderr: " << r.err;
  if (c.status == 0) {
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(c.out_or_err), std::string::npos) << r.out.substr(0, 2000);
  } else {
    EXPECT_EQ(r.err, c.out_or_err);
    EXPECT_EQ(r.out.find("Data begins"), std::string::npos);
  }
  for (const FileCheck& f : c.files) {
    SCOPED_TRACE(f.name);
    const fs::path path = dir / f.name;
    if (f.kind == FileCheck::Absent) {
      EXPECT_FALSE(fs::exists(path));
      continue;
    }
    ASSERT_TRUE(fs::is_regular_file(path));
    switch (f.kind) {
      case FileCheck::Records:
        EXPECT_EQ(static_cast<long>(read_records(path).size()), f.count);
        break;
      case FileCheck::Record: {
        const auto recs = read_records(path);
        const std::size_t i =
            f.count < 0 ? recs.size() - std::size_t(-f.count) : static_cast<std::size_t>(f.count);
        ASSERT_LT(i, recs.size());
        EXPECT_EQ(recs[i], f.text) << "record " << i;
        break;
      }
      case FileCheck::SameAsBaseline: {
        const auto& base = baseline();
        ASSERT_TRUE(base.count(f.name));
        EXPECT_TRUE(read_file(path) == base.at(f.name));
        break;
      }
      case FileCheck::Empty:
        EXPECT_EQ(fs::file_size(path), 0u);
        break;
      default:
        break;
    }
  }
}

void run_case(const Case& c) {
  TempDir dir;
  Station s = valid_station();
  c.damage(s);
  lay_out(s, dir.path());
  check(c, dir.path(), run(dir.path(), std::string(kId) + "\nexit\n"));
}

// Every output of the undamaged station.
std::vector<FileCheck> all_same() {
  std::vector<FileCheck> v;
  for (const auto& [name, text] : baseline()) v.push_back(same(name));
  return v;
}

const std::string kFullSpan = span_lines(1, 1950, 12, 1952);
const std::string kFill = file("-fill-prcp.csv");
const std::string kTable = file("-spiformat.csv");
const std::string kInterp = file("-spi-interpolated.csv");
const std::string kResults = file("-spi-results.csv");

// Fill file of a run whose precipitation rows are copied up to (but not
// including) month `stop` of year `stop_year`, and gaps from there to December
// of last_year.
std::vector<FileCheck> fill_until(int stop_year, int stop_month, int last_year) {
  const long rows = (last_year - kFirstYear + 1) * 12;
  const long copied = (stop_year - kFirstYear) * 12 + stop_month - 1;
  std::vector<FileCheck> v{records(kFill, rows)};
  if (copied > 0) {
    const int y = kFirstYear + int((copied - 1) / 12), m = int((copied - 1) % 12) + 1;
    v.push_back(record(kFill, copied - 1, copied_row(y, m)));
  }
  if (copied < rows) {
    v.push_back(record(kFill, copied, gap_row(stop_year, stop_month)));
    v.push_back(record(kFill, rows - 1, gap_row(last_year, 12)));
  }
  return v;
}
std::vector<FileCheck> operator+(std::vector<FileCheck> a, const std::vector<FileCheck>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void set_day(Station& s, Element e, int year, int month, int day, const std::string& v) {
  set_field(s.daily[daily_index(e, year, month)], day_field(day), v);
}

// ---------------------------------------------------------------------------
// The daily observation file.

TEST(HostileDailyFile, FatalWhenNothingCanBeRead) {
  const std::string kEnd = fatal("read 123456.csv: end of file");
  const std::vector<FileCheck> kNothing{absent(kFill), absent(kTable), absent(kResults)};
  const std::vector<Case> cases{
      {"missing", [](Station& s) { s.daily_place = Place::Missing; }, 2, kEnd, kNothing},
      {"a directory", [](Station& s) { s.daily_place = Place::Directory; }, 2,
       fatal("read 123456.csv: Is a directory"), kNothing},
      {"empty", [](Station& s) { s.daily_text = ""; }, 2, kEnd, kNothing},
      {"header only", [](Station& s) { s.daily.resize(1); }, 2, kEnd, kNothing},
      {"header and blank lines",
       [](Station& s) {
         s.daily = {s.daily[0], "", "   ", "\t"};
       },
       2, kEnd, kNothing},
      // Without a line feed the whole file is one record: the header.
      {"bare CR line ends", [](Station& s) { s.daily_end = "\r"; }, 2, kEnd, kNothing},
      {"first record cut in the middle",
       [](Station& s) { s.daily_text = s.daily[0] + "\n" + s.daily[1].substr(0, 60); }, 2, kEnd,
       kNothing},
      {"a letter in the first year", [](Station& s) { set_field(s.daily[1], kYearField, "19S0"); },
       2, fatal("read 123456.csv: bad value '19S0' in record 2"), kNothing},
      {"station number too large for 4 bytes",
       [](Station& s) { set_field(s.daily[1], 0, "2147483648"); }, 2,
       fatal("read 123456.csv: bad value '2147483648' in record 2"), kNothing},
      {"latitude too large for a 4-byte real", [](Station& s) { set_field(s.daily[1], 1, "1e39"); },
       2, fatal("read 123456.csv: bad value '1e39' in record 2"), kNothing},
      {"binary bytes in the first month",
       [](Station& s) { set_field(s.daily[1], kMonthField, std::string("\0\xff", 2)); }, 2,
       fatal("read 123456.csv: bad value '\\x00\\xFF' in record 2"), kNothing},
      // A long unreadable value is shown cut, in one printable line.
      {"a megabyte-long year",
       [](Station& s) { set_field(s.daily[1], kYearField, std::string(1 << 20, '9') + "x"); }, 2,
       fatal("read 123456.csv: bad value '" + std::string(40, '9') + "...' in record 2"), kNothing},
      // A first year before 1500 makes a walk of more than 5000 months.
      {"more than 5000 months", [](Station& s) { set_field(s.daily[1], kYearField, "1500"); }, 2,
       fatal("read 123456.csv: data span from 1/1500 to December 1952 is longer than 5000 "
             "months"),
       kNothing},
      // The last record read is a year before the first: no month to walk, no
      // fill record, and the monthly table has nothing to read.
      {"last record a year before the first",
       [](Station& s) { set_field(s.daily.back(), kYearField, "1949"); },
       2,
       fatal("read 123456-fill-prcp.csv: end of file"),
       {empty(kFill), absent(kTable)}},
      // A month past December in a one-year file leaves nothing to walk either.
      {"first month 13 in a one-year file",
       [](Station& s) {
         s.daily.resize(1 + 36);
         set_field(s.daily[1], kMonthField, "13");
       },
       2,
       fatal("read 123456-fill-prcp.csv: end of file"),
       {empty(kFill)}},
  };
  for (const Case& c : cases) run_case(c);
}

TEST(HostileDailyFile, HarmlessDamageChangesNothing) {
  const std::string kMegabyte(1 << 20, 'x');
  const std::vector<Case> cases{
      {"CR LF line ends", [](Station& s) { s.daily_end = "\r\n"; }, 0, kFullSpan, all_same()},
      {"binary header of a megabyte",
       [&](Station& s) { s.daily[0] = std::string("\0\xff\x01\r", 4) + kMegabyte; }, 0, kFullSpan,
       all_same()},
      // The values after the 38th are skipped with the rest of the record.
      {"a megabyte of extra values",
       [](Station& s) {
         std::string extra;
         while (extra.size() < (1u << 20)) extra += ",0";
         s.daily[daily_index(kPrcp, 1951, 6)] += extra;
       },
       0, kFullSpan, all_same()},
      // A day value of a megabyte of digits is still the same number.
      {"a megabyte-long day value",
       [](Station& s) {
         set_day(s, kPrcp, 1951, 6, 2,
                 std::string(1 << 20, '0') + std::to_string(prcp_value(1951, 6, 2)));
       },
       0, kFullSpan, all_same()},
      // Empty and blank records contribute no values to list-directed reads.
      {"blank lines between records",
       [](Station& s) {
         s.daily.insert(s.daily.begin() + 5, {"", "  ", "\t"});
         s.daily.push_back("");
       },
       0, kFullSpan, all_same()},
  };
  for (const Case& c : cases) run_case(c);
}

// Reading stops at the first record that cannot be read: the span ends with
// the year and month taken from the file last, and the fill file has gap rows
// from the first month whose precipitation record was not read.
TEST(HostileDailyFile, SpanEndsAtTheBadRecord) {
  const std::vector<Case> cases{
      {"a letter in a day value", [](Station& s) { set_day(s, kPrcp, 1951, 6, 5, "x5"); }, 0,
       span_lines(1, 1950, 6, 1951), fill_until(1951, 6, 1951)},
      {"a real too large for 4 bytes", [](Station& s) { set_day(s, kPrcp, 1951, 6, 5, "1e39"); }, 0,
       span_lines(1, 1950, 6, 1951), fill_until(1951, 6, 1951)},
      {"a NUL byte in a day value",
       [](Station& s) { set_day(s, kPrcp, 1951, 6, 5, std::string("1\0", 2)); }, 0,
       span_lines(1, 1950, 6, 1951), fill_until(1951, 6, 1951)},
      // A bare CR between two records joins them into one, with an unreadable
      // value where they meet.
      {"a bare CR between two records",
       [](Station& s) {
         const auto i = daily_index(kPrcp, 1951, 6);
         s.daily[i] += "\r" + s.daily[i + 1];
         s.daily.erase(s.daily.begin() + std::ptrdiff_t(i) + 1);
       },
       0, span_lines(1, 1950, 6, 1951), fill_until(1951, 6, 1951)},
      // The month is taken before the bad year: January with the year before.
      {"a letter in the year of January",
       [](Station& s) { set_field(s.daily[daily_index(kPrcp, 1951, 1)], kYearField, "19S1"); }, 0,
       span_lines(1, 1950, 1, 1950), fill_until(1951, 1, 1950)},
      // A month too large for 4 bytes is not taken: the span ends at the month
      // of the record before.
      {"a month of 2147483648",
       [](Station& s) {
         set_field(s.daily[daily_index(kPrcp, 1951, 6)], kMonthField, "2147483648");
       },
       0, span_lines(1, 1950, 5, 1951), fill_until(1951, 6, 1951)},
      {"file cut in the middle of a record",
       [](Station& s) {
         s.daily_text = join(std::vector<std::string>(
                                 s.daily.begin(),
                                 s.daily.begin() + std::ptrdiff_t(daily_index(kPrcp, 1951, 7))),
                             "\n") +
                        s.daily[daily_index(kPrcp, 1951, 7)].substr(0, 50);
       },
       0, span_lines(1, 1950, 7, 1951), fill_until(1951, 7, 1951)},
      // Records beyond the 10000th are not read: 108 records of the station,
      // SNOW records up to the 10000th (November 1952), then a record of 1953.
      {"more than 10000 records",
       [](Station& s) {
         std::string snow = daily_line(kPrcp, 1952, 12);
         set_field(snow, kElementField, "SNOW");
         while (s.daily.size() < 1 + 10000) s.daily.push_back(snow);
         set_field(s.daily.back(), kMonthField, "11");
         set_field(snow, kYearField, "1953");
         s.daily.push_back(snow);
       },
       0,
       span_lines(1, 1950, 11, 1952),
       {same(kFill), same(kTable),
        record(kInterp, 2, table_row(123456, 1952, interpolated_year(1952, 12)))}},
  };
  for (const Case& c : cases) run_case(c);
}

// Records that can be read but break the calendar order: the fill file follows
// the walk of the months, and the run completes.
TEST(HostileDailyFile, RecordsOutOfCalendarOrder) {
  std::vector<FileCheck> shifted_gap = {records(kFill, 36), record(kFill, 17, copied_row(1951, 6)),
                                        record(kFill, 18, gap_row(1951, 7)),
                                        record(kFill, 35, gap_row(1952, 12))};
  const std::vector<Case> cases{
      // The second record of June stops the pointer: July on are gaps.
      {"a duplicate precipitation record",
       [](Station& s) {
         const auto i = daily_index(kPrcp, 1951, 6);
         s.daily.insert(s.daily.begin() + std::ptrdiff_t(i) + 1, s.daily[i]);
       },
       0, kFullSpan, shifted_gap},
      // July before June: June is a gap, July is written, then the pointer
      // stands on June and every later month is a gap.
      {"two precipitation records swapped",
       [](Station& s) {
         std::swap(s.daily[daily_index(kPrcp, 1951, 6)], s.daily[daily_index(kPrcp, 1951, 7)]);
       },
       0, kFullSpan,
       {records(kFill, 36), record(kFill, 17, gap_row(1951, 6)),
        record(kFill, 18, copied_row(1951, 7)), record(kFill, 19, gap_row(1951, 8))}},
      {"a precipitation record of a year before the first",
       [](Station& s) { set_field(s.daily[daily_index(kPrcp, 1951, 6)], kYearField, "1949"); },
       0, kFullSpan, fill_until(1951, 6, 1952)},
      {"a precipitation month of 13",
       [](Station& s) { set_field(s.daily[daily_index(kPrcp, 1950, 3)], kMonthField, "13"); },
       0, kFullSpan,
       fill_until(1950, 3, 1952) +
           std::vector<FileCheck>{record(
               kTable, 0,
               table_row(123456, 1950,
                         {month_sum(1950, 1), month_sum(1950, 2), -9999, -9999, -9999, -9999,
                          -9999, -9999, -9999, -9999, -9999, -9999}))}},
      // An element code of binary bytes is no element: that month alone is a
      // gap, and the rows after it still meet their months.
      {"binary bytes in an element code",
       [](Station& s) {
         set_field(s.daily[daily_index(kPrcp, 1951, 4)], kElementField,
                   std::string("\xff\0CP", 4));
       },
       0, kFullSpan,
       {records(kFill, 36), record(kFill, 14, copied_row(1951, 3)),
        record(kFill, 15, gap_row(1951, 4)), record(kFill, 16, copied_row(1951, 5)),
        records(file("-msgdata.csv"), 31),
        record(file("-msgdata.csv"), 30, "1951, 4,31,")}},
      {"no precipitation record at all",
       [](Station& s) {
         for (std::string& r : s.daily)
           if (r.find(",PRCP,") != std::string::npos) set_field(r, kElementField, "PRCQ");
       },
       0, kFullSpan,
       {records(kFill, 36), record(kFill, 0, gap_row(1950, 1)),
        record(kTable, 1, table_row(123456, 1951, std::vector<int>(12, -9999))),
        empty(file("-pdsiformat.csv")), records(file("-pdsi.csv"), 1)}},
  };
  for (const Case& c : cases) run_case(c);
}

// Months outside 1 to 12 in the first or last record move the span with them.
TEST(HostileDailyFile, MonthsOutsideTheYear) {
  const std::vector<Case> cases{
      {"first month 0",
       [](Station& s) { set_field(s.daily[1], kMonthField, "0"); },
       0,
       span_lines(0, 1950, 12, 1952),
       {records(kFill, 36), record(kFill, 1, copied_row(1950, 2))}},
      {"first month -1",
       [](Station& s) { set_field(s.daily[1], kMonthField, "-1"); },
       0,
       span_lines(-1, 1950, 12, 1952),
       {records(kFill, 36)}},
      // The walk starts in the January after; the first row keeps its own
      // year and month.
      {"first month 13",
       [](Station& s) { set_field(s.daily[1], kMonthField, "13"); },
       0,
       span_lines(13, 1950, 12, 1952),
       {records(kFill, 24),
        record(kTable, 0, table_row(123456, 1950, std::vector<int>(12, -9999)))}},
      // I2 cannot hold the month: its asterisks end the monthly table stage.
      {"first month 2147483647",
       [](Station& s) { set_field(s.daily[1], kMonthField, "2147483647"); },
       2,
       fatal("read 123456-fill-prcp.csv: bad value '**' in record 1"),
       {records(kFill, 24)}},
      {"last month 2147483647",
       [](Station& s) { set_field(s.daily.back(), kMonthField, "2147483647"); },
       0,
       span_lines(1, 1950, 2147483647, 1952),
       {same(kFill), same(kTable), same(kInterp)}},
  };
  for (const Case& c : cases) run_case(c);
}

// Day values of every sign and size: the daily reader takes them as reals, the
// Palmer input as integers.
TEST(HostileDailyFile, DayValuesOfEverySignAndSize) {
  // The 1951 totals with June's first days replaced by a total of june_first_days.
  auto year_1951 = [](int june_first_days, int days_replaced, int june_from = 13) {
    std::vector<int> t;
    for (int m = 1; m <= 12; ++m) t.push_back(m < june_from ? month_sum(1951, m) : -9999);
    int replaced = 0;
    for (int d = 1; d <= days_replaced; ++d) replaced += prcp_value(1951, 6, d);
    if (june_from > 6) t[5] += june_first_days - replaced;
    return table_row(123456, 1951, t);
  };
  const std::string kSeries = file("-pdsiformat.csv");
  const std::string kUnreadableSeries =
      fatal("read 123456-pdsiformat.csv: a value of the daily series cannot be read");
  // A day value too large for F8.2 is written to the fill file as asterisks;
  // the monthly table stops reading there and ends with June 1951, which has
  // no row and is missing like the months after it.
  const std::vector<FileCheck> kTableEndsInJune{records(kTable, 2),
                                                record(kTable, 1, year_1951(0, 0, 6))};
  const std::vector<Case> cases{
      // Negative values other than the gap value are passed over in the totals;
      // -1 hundredth is -0.254 mm in the Palmer input.
      {"negative values",
       [](Station& s) {
         set_day(s, kPrcp, 1951, 6, 1, "-1");
         set_day(s, kPrcp, 1951, 6, 2, "-999");
         set_day(s, kPrcp, 1951, 6, 3, "-5000");
       },
       0,
       kFullSpan,
       {record(kTable, 1, year_1951(0, 3)), records(kSeries, 1096),
        record(kSeries, 365 + 151, "1951,152,   -2.8,    8.3,    0.0,   -0.3"),
        record(kSeries, 365 + 153, "1951,154,   -3.3,    9.4,    0.0,-1270.0")}},
      // 99999 hundredths still fit F8.2 and F7.1 (25399.7 mm).
      {"the largest day value the fill file holds",
       [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "99999"); },
       0,
       kFullSpan,
       {record(kTable, 1, year_1951(99999, 1)), records(kSeries, 1096)}},
      {"a day value 100000", [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "100000"); }, 0,
       kFullSpan, kTableEndsInJune},
      {"a day value 2e9", [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "2e9"); }, 0, kFullSpan,
       kTableEndsInJune},
      {"a day value 2147483648", [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "2147483648"); }, 0,
       kFullSpan, kTableEndsInJune},
      {"a day value 99999999999", [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "99999999999"); },
       0, kFullSpan, kTableEndsInJune},
      {"a day value -1e9", [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "-1e9"); }, 0, kFullSpan,
       kTableEndsInJune},
      // A value with a decimal point is a real for the daily reader and no
      // integer for the Palmer input, which stops there: 1950 and January to
      // June 1951, 546 days and 18 months.
      {"a day value 0.5",
       [](Station& s) { set_day(s, kPrcp, 1951, 7, 3, "0.5"); },
       0,
       kFullSpan,
       {record(kFill, 18,
               [] {
                 std::string row = copied_row(1951, 7);
                 return row.replace(20 + 2 * 9, 8, "    0.50");
               }()),
        records(kSeries, 546), record(kSeries, -1, "1951,181,   -3.3,    7.8,    0.0,    7.4"),
        records(file("-pdsi.csv"), 19)}},
      // Integer day values whose millimetres or degrees do not fit F7.1 are
      // written as asterisks, which the Palmer index cannot read back.
      {"a day value -2147483648",
       [](Station& s) { set_day(s, kPrcp, 1951, 6, 1, "-2147483648"); },
       2,
       kUnreadableSeries,
       {records(kSeries, 1096), absent(file("-pdsi.csv"))}},
      {"a temperature of 2147483647",
       [](Station& s) { set_day(s, kTmax, 1951, 6, 1, "2147483647"); },
       2,
       kUnreadableSeries,
       {records(kSeries, 1096), same(kTable)}},
  };
  for (const Case& c : cases) run_case(c);
}

// ---------------------------------------------------------------------------
// The monthly precipitation file.

TEST(HostileMonthlyFile, ReadingStopsAtTheFirstBadRecord) {
  auto until = [](int year, int month) {
    // Months from (year, month) on have no value: -9999.
    std::vector<FileCheck> v{records(kInterp, 3)};
    for (int y = kFirstYear; y < kFirstYear + kYears; ++y) {
      const int first_missing = y < year ? 13 : y == year ? month : 1;
      v.push_back(record(kInterp, y - kFirstYear,
                         table_row(123456, y, interpolated_year(y, first_missing))));
    }
    return v;
  };
  const std::vector<Case> cases{
      // A missing file reads as empty; the station number is then 0.
      {"missing",
       [](Station& s) { s.monthly_place = Place::Missing; },
       0,
       kFullSpan,
       {record(kInterp, 0, table_row(0, 1950, std::vector<int>(12, -9999))),
        record(kInterp, 2, table_row(0, 1952, std::vector<int>(12, -9999)))}},
      {"empty",
       [](Station& s) { s.monthly_text = ""; },
       0,
       kFullSpan,
       {record(kInterp, 1, table_row(0, 1951, std::vector<int>(12, -9999)))}},
      {"a header line",
       [](Station& s) { s.monthly.insert(s.monthly.begin(), "STATION,LAT,LON,ELEV,MO,YR,P"); },
       0,
       kFullSpan,
       {record(kInterp, 0, table_row(0, 1950, std::vector<int>(12, -9999)))}},
      {"a letter in a value",
       [](Station& s) { set_field(s.monthly[monthly_index(1951, 7)], kInchesField, "3.x4"); }, 0,
       kFullSpan, until(1951, 7)},
      {"a value too large for a 4-byte real",
       [](Station& s) { set_field(s.monthly[monthly_index(1951, 7)], kInchesField, "1e39"); }, 0,
       kFullSpan, until(1951, 7)},
      {"a month too large for 4 bytes",
       [](Station& s) { set_field(s.monthly[monthly_index(1951, 7)], 4, "2147483648"); }, 0,
       kFullSpan, until(1951, 7)},
      {"a NUL byte",
       [](Station& s) { set_field(s.monthly[monthly_index(1951, 7)], 4, std::string("\0", 1)); }, 0,
       kFullSpan, until(1951, 7)},
      {"cut in the middle of the last record",
       [](Station& s) {
         s.monthly_text = join(s.monthly, "\n").substr(0, join(s.monthly, "\n").size() - 6);
       },
       0, kFullSpan, until(1952, 12)},
      // A bare CR is no separator: the seventh value runs into the next line
      // and cannot be read, so not even the first record is taken.
      {"bare CR line ends",
       [](Station& s) { s.monthly_end = "\r"; },
       0,
       kFullSpan,
       {record(kInterp, 0, table_row(0, 1950, std::vector<int>(12, -9999))),
        record(kInterp, 2, table_row(0, 1952, std::vector<int>(12, -9999)))}},
      // Only 5000 records are read: 5000 records of 1949, outside the span.
      {"more than 5000 records",
       [](Station& s) {
         std::vector<std::string> before;
         for (int i = 0; i < 5000; ++i) before.push_back(monthly_line(1949, i % 12 + 1));
         s.monthly.insert(s.monthly.begin(), before.begin(), before.end());
       },
       0, kFullSpan, until(1950, 1)},
  };
  for (const Case& c : cases) run_case(c);
}

TEST(HostileMonthlyFile, FatalOrHarmless) {
  const std::vector<Case> cases{
      // The observed results are complete when the monthly file fails.
      {"a directory",
       [](Station& s) { s.monthly_place = Place::Directory; },
       2,
       fatal("read 123456_PRCP.csv: Is a directory"),
       {same(kFill), same(kTable), records(kResults, 36), absent(kInterp)}},
      // 1e11 inches are no I7 total: asterisks the SPI run cannot read back.
      {"a value of 99999999999 inches",
       [](Station& s) {
         set_field(s.monthly[monthly_index(1951, 7)], kInchesField, "99999999999");
       },
       2,
       fatal("read 123456-spi-interpolated.csv: a table record that cannot be read as station "
             "number, year and 12 months"),
       {records(kInterp, 3), absent(file("-spi-results-int.csv"))}},
      {"CR LF line ends", [](Station& s) { s.monthly_end = "\r\n"; }, 0, kFullSpan, all_same()},
      {"blank lines and a megabyte of trailing blanks",
       [](Station& s) {
         s.monthly.insert(s.monthly.begin() + 3, {"", "   ", "\t"});
         s.monthly[10] += std::string(1 << 20, ' ');
       },
       0, kFullSpan, all_same()},
      // Records outside the span take no place in the list.
      {"records before and after the span",
       [](Station& s) {
         s.monthly.insert(s.monthly.begin(), {monthly_line(1949, 11), monthly_line(1949, 12)});
         s.monthly.push_back(monthly_line(1953, 1));
       },
       0, kFullSpan, all_same()},
      // A duplicate takes the next month's place: July 1951 gets June's value.
      {"a duplicate record",
       [](Station& s) {
         const auto i = monthly_index(1951, 6);
         s.monthly.insert(s.monthly.begin() + std::ptrdiff_t(i) + 1, s.monthly[i]);
       },
       0,
       kFullSpan,
       {record(kInterp, 1,
               [] {
                 std::vector<int> t = interpolated_year(1951);
                 for (int m = 12; m > 6; --m) t[std::size_t(m - 1)] = t[std::size_t(m - 2)];
                 return table_row(123456, 1951, t);
               }())}},
  };
  for (const Case& c : cases) run_case(c);
}

// ---------------------------------------------------------------------------
// Capacities of the later stages, from one long station: 250 years of
// precipitation only (no temperatures, so the Palmer index has no series).
TEST(HostileCapacities, TwoHundredFiftyYears) {
  TempDir dir;
  constexpr int kFirst = 1700, kCount = 250;
  lay_out(valid_station(kFirst, kCount, false), dir.path());
  const auto r = run(dir.path(), std::string(kId) + "\nexit\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find(span_lines(1, 1700, 12, 1949)), std::string::npos);
  const fs::path d = dir.path();
  // The SPI run holds 120 years: from 1820 on every SPI value is missing.
  const auto value_rows = read_records(d / "fort.12");
  ASSERT_EQ(value_rows.size(), 120u);
  EXPECT_EQ(value_rows.back().substr(6, 5), " 1819");
  const auto combined = read_records(d / kResults);
  ASSERT_EQ(combined.size(), 3000u);
  EXPECT_EQ(
      combined[120 * 12], "1820, 1," + [] {
        std::string s;
        for (int i = 0; i < 14; ++i) s += " -99.00,";
        return s;
      }());
  EXPECT_NE(combined[120 * 12 - 1].substr(8, 7), " -99.00");
  // Percent of normal reads 200 years, deciles 150, the EDI 2000 months of
  // the 2389 effective precipitation months of 200 years.
  EXPECT_EQ(read_records(d / file("-pctnorm.csv")).size(), 201u);
  EXPECT_EQ(read_records(d / file("-pctnormint.csv")).size(), 201u);
  EXPECT_EQ(read_records(d / file("-deciles.csv")).size(), 150u);
  EXPECT_EQ(read_records(d / file("-PRN.csv")).size(), 1u + 2389u);
  const auto edi = read_records(d / file("-EDI.csv"));
  ASSERT_EQ(edi.size(), 1u + 2000u + 1u);
  EXPECT_EQ(edi[2000].substr(0, 8), "1867, 7,");  // December 1700 + 1999 months
  EXPECT_TRUE(fs::is_regular_file(d / file("-pdsiformat.csv")));
  EXPECT_EQ(fs::file_size(d / file("-pdsiformat.csv")), 0u);
}

// ---------------------------------------------------------------------------
// A run whose input gives no month to write must not go on with the files an
// earlier run of the same station left behind.
TEST(HostileDailyFile, NoStaleFilesAfterAnEmptyWalk) {
  // The last record a year before the first: no fill record.
  {
    TempDir dir;
    Station s = valid_station();
    lay_out(s, dir.path());
    ASSERT_EQ(run(dir.path(), std::string(kId) + "\nexit\n").status, 0);
    set_field(s.daily.back(), kYearField, "1949");
    lay_out(s, dir.path());
    const auto r = run(dir.path(), std::string(kId) + "\nexit\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, fatal("read 123456-fill-prcp.csv: end of file"));
    EXPECT_EQ(fs::file_size(dir.path() / kFill), 0u);
  }
  // A file that begins with TMAX and whose first PRCP record is dated 1953:
  // that row is written as the first month of the fill file, and the monthly
  // table, running from 1953 to 1952, has no year to write.
  {
    TempDir dir;
    Station s = valid_station();
    lay_out(s, dir.path());
    ASSERT_EQ(run(dir.path(), std::string(kId) + "\nexit\n").status, 0);
    set_field(s.daily[1], kYearField, "1953");
    std::swap(s.daily[1], s.daily[2]);
    lay_out(s, dir.path());
    const auto r = run(dir.path(), std::string(kId) + "\nexit\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, fatal("read 123456-spiformat.csv: end of file"));
    EXPECT_EQ(read_records(dir.path() / kFill).at(0).substr(0, 19), "123456,PRCP,1953, 1");
    EXPECT_EQ(fs::file_size(dir.path() / kTable), 0u);
    // The SPI run found no value in the empty table.
    const std::string first = read_records(dir.path() / kResults).at(0);
    std::string missing = "1950, 1,";
    for (int i = 0; i < 7; ++i) missing += " -99.00,";
    EXPECT_EQ(first.substr(0, missing.size()), missing);
  }
}

}  // namespace
