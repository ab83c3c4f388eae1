// The notation of the hostile-input manifests (inputs.txt, stages.txt): one case a line, columns
// separated by "|"; a line beginning with a blank continues the case before it (at a "|" or ";");
// "#" lines are comments; "$NAME$ = TEXT" defines a text that "$NAME$" stands for in later lines.
//
// Values: text with \0 \r \n \t \s(pace) \\ \xHH escapes, [N*TEXT] for TEXT repeated N times,
// {N*START:FORMAT} for N records ended by CR LF, counted from START (a number, or M/Y for
// consecutive months), with %Y (I4 year or count), %M (I2 month), %y and %m (plain) put in.
// A value that begins with "@" is a generated record: "@P6/1951" a daily record of element
// P(RCP), X (TMAX), N (TMIN) or S(NOW), "@M6/1951" a monthly record, "@copy M/Y [D=V]" a fill
// row of the generated days (day D replaced by V), "@gap M/Y" a fill row of gaps, "@tab STATION
// YEAR ITEMS [TAIL]" a monthly table row whose comma-separated items are X or N*X, X being a
// number, "-" (-9999), "s" (the daily sum of the month), "m" or "mK" (the monthly value of this
// month or of month K), "y" (the generated table total of the month).
//
// Facts: "all=same" (every file as in the reference run), "-NAME" (absent), "NAME=N" (N records),
// "NAME=empty", "NAME==V" (the whole content), "NAME=same[:CASE]" (as in the reference run or
// after case CASE), "NAME[I]=V", "NAME[I]^=V" (begins with), "NAME[I]!^=V" (does not),
// "NAME[I]$=V" (ends with); I < 0 counts from the end. NAME is a file name, or the middle of
// "123456-NAME.csv" when it has no dot.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace hostile {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Files = std::map<std::string, std::string>;  // content by name

inline constexpr char kId[] = "123456";

template <typename... A>
std::string fmt(const char* f, A... a) {
  char text[512];
  std::snprintf(text, sizeof text, f, a...);
  return text;
}
inline Strings split(const std::string& s, char sep) {
  Strings parts;
  std::size_t from = 0;
  for (std::size_t at; (at = s.find(sep, from)) != std::string::npos; from = at + 1)
    parts.push_back(s.substr(from, at - from));
  parts.push_back(s.substr(from));
  return parts;
}
inline std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}
inline void year_month(const std::string& s, int& y, int& m) {
  const auto p = split(s, '/');
  m = std::stoi(p.at(0));
  y = std::stoi(p.at(1));
}
inline std::string file_name(const std::string& name) {
  return name.find('.') == std::string::npos ? std::string(kId) + "-" + name + ".csv" : name;
}

// The generated data: daily precipitation and monthly values in hundredths of
// an inch, and table totals in hundredths with no two months alike.
inline int prcp_value(int y, int m, int d) { return (d * 7 + m * 3 + y) % 50; }
inline int monthly_value(int y, int m) { return (y * 13 + m * 29) % 700; }
inline int table_value(int y, int m) { return 50 + (y * 37 + m * 101) % 400; }
inline int month_sum(int y, int m) {
  int t = 0;
  for (int d = 1; d <= 31; ++d) t += prcp_value(y, m, d);
  return t;
}

// A daily record of the generated station, of element P(RCP), X (TMAX),
// N (TMIN) or S(NOW), and a record of its monthly file.
inline std::string daily_line(char e, int y, int m) {
  const std::size_t k = std::string("PXNS").find(e);
  const std::string code = std::string("PRCPTMAXTMINSNOW").substr(4 * k, 4);
  std::string s = fmt("%s,47.61,-122.33,56,%s,%d,%d", kId, code.c_str(), m, y);
  for (int d = 1; d <= 31; ++d)
    s += "," + std::to_string(k == 1   ? 40 + m + d % 5
                              : k == 2 ? 20 + m + d % 3
                                       : prcp_value(y, m, d));
  return s;
}
inline std::string monthly_line(int y, int m) {
  const int v = monthly_value(y, m);
  return fmt("%s,47.61,-122.33,56,%d,%d,%d.%02d", kId, m, y, v / 100, v % 100);
}

std::string value(const std::string& v);

inline std::string expected_row(const std::string& spec) {
  const Strings w = split(spec, ' ');
  int y = 0, m = 0;
  if (std::string("PXNSM").find(spec.at(1)) != std::string::npos) {
    year_month(spec.substr(2), y, m);
    return spec[1] == 'M' ? monthly_line(y, m) : daily_line(spec[1], y, m);
  }
  if (w[0] == "@tab") {
    y = std::stoi(w.at(2));
    std::string row = fmt("%6d,%4d,", std::stoi(w[1]), y);
    int month = 1;
    for (const std::string& item : split(w.at(3), ',')) {
      const auto star = item.find('*');
      const int n = star == std::string::npos ? 1 : std::stoi(item.substr(0, star));
      const std::string x = star == std::string::npos ? item : item.substr(star + 1);
      for (int i = 0; i < n; ++i, ++month) {
        const int v = x == "-"      ? -9999
                      : x == "s"    ? month_sum(y, month)
                      : x == "y"    ? table_value(y, month)
                      : x == "m"    ? monthly_value(y, month)
                      : x[0] == 'm' ? monthly_value(y, std::stoi(x.substr(1)))
                                    : std::stoi(x);
        row += fmt("%7d,", v);
      }
    }
    EXPECT_EQ(month, 13) << spec;
    return row + (w.size() > 4 ? value(w[4]) : "");
  }
  year_month(w.at(1), y, m);
  std::string row = fmt("%6s,PRCP,%4d,%2d,", kId, y, m);
  for (int d = 1; d <= 31; ++d) {
    double v = prcp_value(y, m, d);
    if (w.size() > 2 && std::stoi(split(w[2], '=')[0]) == d) v = std::stod(split(w[2], '=')[1]);
    row += w[0] == "@gap" ? "  -99.90," : fmt("%8.2f,", v);
  }
  return row;
}

inline std::string generated(const std::string& spec) {
  const auto star = spec.find('*'), colon = spec.find(':');
  const std::string start = spec.substr(star + 1, colon - star - 1);
  int y = std::stoi(start), m = 0;
  if (start.find('/') != std::string::npos) year_month(start, y, m);
  std::string out;
  for (long n = std::stol(spec.substr(0, star)); n > 0; --n) {
    std::string r = spec.substr(colon + 1);
    for (const auto& [from, to] : {std::pair{"%Y", fmt("%4d", y)},
                                   {"%M", fmt("%2d", m)},
                                   {"%y", std::to_string(y)},
                                   {"%m", std::to_string(m)}})
      for (std::size_t at; (at = r.find(from)) != std::string::npos;) r.replace(at, 2, to);
    out += value(r) + "\r\n";
    if (m == 0 || m == 12) ++y;
    if (m != 0) m = m % 12 + 1;
  }
  return out;
}

inline std::string value(const std::string& v) {
  if (!v.empty() && v[0] == '@') return expected_row(v);
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '[') {
      const auto star = v.find('*', i), close = v.find(']', i);
      const std::string piece = value(v.substr(star + 1, close - star - 1));
      for (long n = std::stol(v.substr(i + 1, star - i - 1)); n > 0; --n) out += piece;
      i = close;
    } else if (v[i] == '{') {
      const auto close = v.find('}', i);
      out += generated(v.substr(i + 1, close - i - 1));
      i = close;
    } else if (v[i] == '\\') {
      const char c = v.at(++i);
      if (c == 'x') {
        out += char(std::stoi(v.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        const std::string from = "0rnts", to{'\0', '\r', '\n', '\t', ' '};
        out += from.find(c) == std::string::npos ? c : to[from.find(c)];
      }
    } else {
      out += v[i];
    }
  }
  return out;
}

// Every regular file of a directory, by name.
inline Files snapshot(const fs::path& dir) {
  Files files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files[e.path().filename().string()] = testing_support::read_file(e);
  return files;
}

// Checks one fact; refs[""] is the reference run, refs[CASE] the files after
// an earlier case.
inline void check_fact(const fs::path& dir, const std::string& fact,
                       const std::map<std::string, Files>& refs) {
  SCOPED_TRACE(fact);
  if (fact == "all=same") {
    for (const auto& [name, text] : refs.at("")) check_fact(dir, name + "=same", refs);
    return;
  }
  const bool absent = fact[0] == '-';
  const auto end = fact.find_first_of("[=");
  const std::string name = file_name(fact.substr(absent, end - absent));
  if (absent) {
    EXPECT_FALSE(fs::exists(dir / name));
    return;
  }
  ASSERT_TRUE(fs::is_regular_file(dir / name));
  const std::string rest = fact.substr(end + 1), text = testing_support::read_file(dir / name);
  if (rest == "empty") {
    EXPECT_EQ(text, "");
  } else if (rest[0] == '=') {
    EXPECT_EQ(text, value(rest.substr(1)));
  } else if (rest.starts_with("same")) {
    EXPECT_TRUE(text == refs.at(rest.size() > 4 ? rest.substr(5) : "").at(name));
  } else if (fact[end] == '=') {
    EXPECT_EQ(testing_support::read_records(dir / name).size(), std::stoul(rest));
  }
  if (fact[end] == '=') return;
  const Strings recs = testing_support::read_records(dir / name);
  const long i = std::stol(rest), k = i < 0 ? long(recs.size()) + i : i;
  ASSERT_TRUE(k >= 0 && k < long(recs.size())) << "record " << i;
  const auto op = rest.find('=', rest.find(']'));
  const std::string want = value(rest.substr(op + 1)), got = recs[std::size_t(k)];
  const bool begins = rest[op - 1] == '^', ends = rest[op - 1] == '$';
  const std::size_t n = std::min(want.size(), got.size());
  const std::string part = begins ? got.substr(0, n) : ends ? got.substr(got.size() - n) : got;
  if (rest[op - 2] == '!') {
    EXPECT_NE(part, want);
  } else {
    EXPECT_EQ(part, want);
  }
}

// The cases of a manifest of this folder, each split into its columns. A line
// "$NAME$ = TEXT" defines a text that "$NAME$" stands for in later lines.
inline std::vector<Strings> read_manifest(const std::string& name) {
  // A missing manifest reads as no case; the case-count tests notice.
  std::ifstream in(std::string(DROUGHT_TEST_DATA_DIR) + "/e2e/hostile/" + name);
  std::vector<std::pair<std::string, std::string>> macros;
  auto expand = [&](std::string s) {
    for (const auto& [from, to] : macros)
      for (std::size_t at; (at = s.find(from)) != std::string::npos;)
        s.replace(at, from.size(), to);
    return s;
  };
  Strings lines;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto eq = line.find("$ = ");
    if (line[0] == '$')
      macros.emplace_back(line.substr(0, eq + 1), expand(line.substr(eq + 4)));
    else if (line[0] == ' ' && !lines.empty())
      lines.back() += line;
    else
      lines.push_back(line);
  }
  std::vector<Strings> cases;
  for (const std::string& l : lines) cases.push_back(split(expand(l), '|'));
  return cases;
}

// The cases of a manifest as test parameters, named after their first column
// (letters and digits, the rest as '_'), so that one case can run alone:
// --gtest_filter='*table_clean'.
struct Case {
  std::string name;
  Strings columns;
};

inline std::vector<Case> manifest_cases(const std::string& manifest) {
  std::vector<Case> cases;
  std::map<std::string, int> seen;
  for (Strings& c : read_manifest(manifest)) {
    std::string name;
    for (char ch : trim(c.at(0))) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    if (const int n = seen[name]++; n > 0) name += "_" + std::to_string(n + 1);
    cases.push_back(Case{name, std::move(c)});
  }
  return cases;
}

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

inline std::string case_name(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

// The cases whose files a fact column compares with ("NAME=same:CASE").
inline Strings referenced_cases(const std::string& facts) {
  Strings names;
  for (const std::string& raw : split(facts, ';'))
    if (const auto at = raw.find("=same:"); at != std::string::npos)
      names.push_back(trim(raw.substr(at + 6)));
  return names;
}

}  // namespace hostile
