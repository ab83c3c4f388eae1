// Monthly tables laid out as the table writers write them, and the file-name
// arguments the driver hands to the monthly indices.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/text.h"
#include "support/tempdir.h"

namespace indices_testing {

using Lines = std::vector<std::string>;
inline constexpr int M = -9999;  // a missing month
struct Year {
  int year;
  std::array<int, 12> t;
};
inline const std::string kObserved = catalogue::file_arg("ST0001", "-spiformat.csv");
inline const std::string kInterpolated = catalogue::file_arg("ST0001", "-spi-interpolated.csv");

inline std::string table_text(const std::vector<Year>& years, int station = 123456) {
  std::string text;
  char buf[16];
  for (const Year& y : years) {
    text += (std::snprintf(buf, sizeof buf, "%06d,%4d,", station, y.year), buf);
    for (int v : y.t) text += (std::snprintf(buf, sizeof buf, "%7d,", v), buf);
    text += "\r\n";
  }
  return text;
}

}  // namespace indices_testing
