// Small helpers shared by the monthly-index tests: monthly tables written the
// way the table writers lay them out, and the file-name arguments the driver
// hands over.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

namespace indices_testing {

inline constexpr int M = -9999;  // a missing month

struct Year {
  int year;
  std::array<int, 12> t;
};

// One record per year: station number, year and 12 totals, comma-separated,
// CR LF ended, as the table writers lay them out.
inline std::string table_text(const std::vector<Year>& years, int station = 123456) {
  std::string text;
  for (const Year& y : years) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d,%4d,", station, y.year);
    text += buf;
    for (int v : y.t) {
      std::snprintf(buf, sizeof buf, "%7d,", v);
      text += buf;
    }
    text += "\r\n";
  }
  return text;
}

inline void write_table(const std::string& name, const std::vector<Year>& years,
                        int station = 123456) {
  testing_support::write_file(name, table_text(years, station));
}

// The same total in every month of a year.
inline Year flat(int year, int total) {
  Year y{year, {}};
  y.t.fill(total);
  return y;
}

// A year with one month given and every other month missing.
inline Year only(int year, int month, int total) {
  Year y{year, {}};
  y.t.fill(M);
  y.t[month - 1] = total;
  return y;
}

inline const std::string kObserved = records::file_arg("ST0001", "-spiformat.csv");
inline const std::string kInterpolated = records::file_arg("ST0001", "-spi-interpolated.csv");

}  // namespace indices_testing
