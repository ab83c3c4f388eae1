// Whole-program runs on hostile station files. Each case of hostile/inputs.txt
// generates a small valid station (PRCP, TMAX and TMIN of 1950 to 1952 and a
// monthly file of the same months), damages one of its two files, runs the
// program as the operator does ("<id>", then "exit") and checks the exit
// status, the span lines or the one-line diagnostic, and facts about the files
// the run leaves. Every run is bounded in time, so a hang fails its case.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string_view>

#include "hostile/manifest.h"
#include "support/run_program.h"

namespace {

using namespace hostile;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

constexpr int kFirstYear = 1950, kYears = 3;
constexpr int kSecondsPerRun = 60;

enum class Place { File, Missing, Directory };
struct File {
  Strings recs;
  std::string end = "\n";
  Place place = Place::File;
  std::optional<std::string> text;  // replaces the joined records
};
std::string join(const Strings& recs, std::size_t n, const std::string& end) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) text += recs[i] + end;
  return text;
}
struct Station {
  File daily, monthly;
};
Station station(int first = kFirstYear, int years = kYears, bool temperatures = true) {
  Station s;
  s.daily.recs.push_back("STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01,...");
  for (int y = first; y < first + years; ++y) {
    for (int m = 1; m <= 12; ++m) {
      for (char e : std::string_view(temperatures ? "PXN" : "P"))
        s.daily.recs.push_back(daily_line(e, y, m));
      s.monthly.recs.push_back(monthly_line(y, m));
    }
  }
  return s;
}
void lay_out(const File& f, const fs::path& name) {
  if (f.place == Place::File) write_file(name, f.text.value_or(join(f.recs, f.recs.size(), f.end)));
  if (f.place == Place::Directory) fs::create_directory(name);
}
void lay_out(const Station& s, const fs::path& dir) {
  lay_out(s.daily, dir / (std::string(kId) + ".csv"));
  lay_out(s.monthly, dir / (std::string(kId) + "_PRCP.csv"));
}

// A record of the file: its index, "last", "end" (one past the last), or the
// generated record of element P, X or N (daily) or M (monthly) of a month.
std::size_t record_index(const File& f, const std::string& r) {
  if (r == "last") return f.recs.size() - 1;
  if (r == "end") return f.recs.size();
  if (std::isdigit(static_cast<unsigned char>(r[0]))) return std::stoul(r);
  int y = 0, m = 0;
  year_month(r.substr(1), y, m);
  const std::size_t month = std::size_t((y - kFirstYear) * 12 + m - 1);
  return r[0] == 'M' ? month : 1 + month * 3 + std::string("PXN").find(r[0]);
}
// Field F (0-based; "dD" is day D of a daily record) replaced by the value.
void set_field(std::string& rec, const std::string& field, const std::string& v) {
  Strings parts = split(rec, ',');
  parts.at(field[0] == 'd' ? 6 + std::stoul(field.substr(1)) : std::stoul(field)) = v;
  rec = parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) rec += "," + parts[i];
}

// One damage: "missing", "dir", "text=V", "end=V", "keep=N", "set R F=V",
// "app R=V", "ins R[*N]=V", "dup R", "swap R R2", "join R" (R and the next
// joined by a bare CR), "cut R N" (the file ends after N bytes of R, or all
// but -N), "each F:OLD=NEW".
void damage(File& f, const std::string& op) {
  const auto eq = op.find('=');
  const Strings w = split(op.substr(0, eq), ' ');
  const std::string v = eq == std::string::npos ? "" : value(op.substr(eq + 1));
  auto at = [&](std::size_t k) { return record_index(f, split(w.at(k), '*')[0]); };
  auto it = [&](std::size_t k) { return f.recs.begin() + std::ptrdiff_t(at(k)); };
  const std::map<std::string, std::function<void()>> ops{
      {"missing", [&] { f.place = Place::Missing; }},
      {"dir", [&] { f.place = Place::Directory; }},
      {"text", [&] { f.text = v; }},
      {"end", [&] { f.end = v; }},
      {"keep", [&] { f.recs.resize(std::stoul(v)); }},
      {"set", [&] { set_field(f.recs.at(at(1)), w.at(2), v); }},
      {"app", [&] { f.recs.at(at(1)) += v; }},
      {"ins", [&] { f.recs.insert(it(1), std::stoul(split(w[1] + "*1", '*')[1]), v); }},
      {"dup", [&] { f.recs.insert(it(1) + 1, f.recs.at(at(1))); }},
      {"swap", [&] { std::swap(f.recs.at(at(1)), f.recs.at(at(2))); }},
      {"join",
       [&] {
         const std::string next = f.recs.at(at(1) + 1);
         f.recs.erase(it(1) + 1);
         f.recs[at(1)] += "\r" + next;
       }},
      {"cut",
       [&] {
         const long n = std::stol(w.at(2)), size = long(f.recs.at(at(1)).size());
         f.text = join(f.recs, at(1), f.end) +
                  f.recs[at(1)].substr(0, std::size_t(n < 0 ? size + n : n));
       }},
      {"each", [&] {
         const Strings old = split(w.at(1), ':');
         for (std::string& r : f.recs)
           if (split(r, ',').at(std::stoul(old[0])) == old[1]) set_field(r, old[0], v);
       }}};
  ops.at(w[0])();
}

// The program run as the operator runs it, killed when it outlives its time
// (status 124 or 137 then, which no case expects).
testing_support::ProgramResult run(const fs::path& dir) {
  write_file(dir / ".replies", std::string(kId) + "\nexit\n");
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

// The files a run of the undamaged station leaves, by name.
Files baseline() {
  TempDir dir;
  lay_out(station(), dir.path());
  EXPECT_EQ(run(dir.path()).status, 0);
  Files files = snapshot(dir.path());
  files.erase(std::string(kId) + ".csv");
  files.erase(std::string(kId) + "_PRCP.csv");
  return files;
}

std::string span_lines(const std::string& span) {
  int y1 = 0, m1 = 0, y2 = 0, m2 = 0;
  const Strings ends = split(span.empty() ? "1/1950..12/1952" : span, '.');
  year_month(ends.at(0), y1, m1);
  year_month(ends.at(2), y2, m2);
  return fmt(" Data begins in %d / %d\r\n Data ends in   %d / %d\r\n\r\n", m1, y1, m2, y2);
}

// A case: name | daily or monthly | damages | status | span or diagnostic |
// facts; damages and facts separated by ";". "station FIRST YEARS"
// generates a station of precipitation only; "stale" runs the undamaged
// station in the same directory first.
void run_case(const Strings& c, const std::map<std::string, Files>& refs) {
  SCOPED_TRACE(c[0]);
  ASSERT_EQ(c.size(), 6u);
  TempDir dir;
  Station s = station();
  File& target = trim(c[1]) == "daily" ? s.daily : s.monthly;
  for (const std::string& raw : split(c[2], ';')) {
    const std::string op = trim(raw);
    const Strings w = split(op, ' ');
    if (op == "stale") {
      lay_out(station(), dir.path());
      ASSERT_EQ(run(dir.path()).status, 0);
    } else if (w[0] == "station") {
      s = station(std::stoi(w.at(1)), std::stoi(w.at(2)), false);
    } else if (!op.empty()) {
      damage(target, op);
    }
  }
  lay_out(s, dir.path());
  const auto r = run(dir.path());
  const int status = std::stoi(c[3]);
  ASSERT_EQ(r.status, status) << "stderr: " << r.err;
  // The facts "warning=TEXT" are the warnings expected before any diagnostic.
  std::string err;
  for (const std::string& fact : split(c[5], ';'))
    if (trim(fact).starts_with("warning="))
      err += "drought: warning: " + value(trim(fact).substr(8)) + "\r\n";
  if (status == 0) {
    EXPECT_EQ(r.err, err);
    EXPECT_NE(r.out.find(span_lines(trim(c[4]))), std::string::npos) << r.out.substr(0, 2000);
  } else {
    EXPECT_EQ(r.err, err + "drought: " + trim(c[4]) + "\r\n");
    EXPECT_EQ(r.out.find("Data begins"), std::string::npos);
  }
  for (const std::string& fact : split(c[5], ';'))
    if (!trim(fact).empty() && !trim(fact).starts_with("warning="))
      check_fact(dir.path(), trim(fact), refs);
}

const std::vector<Case>& input_cases() {
  static const std::vector<Case> cases = manifest_cases("inputs.txt");
  return cases;
}

TEST(HostileStationFiles, TheManifestHoldsEveryCase) { EXPECT_GE(input_cases().size(), 60u); }

class HostileInput : public ::testing::TestWithParam<Case> {};

TEST_P(HostileInput, Case) {
  static const std::map<std::string, Files> refs{{"", baseline()}};
  try {
    run_case(GetParam().columns, refs);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Manifest, HostileInput, ::testing::ValuesIn(input_cases()), case_name);

}  // namespace
