// The lines of a tidy table split into fields (no field of these tests holds
// a comma).
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace events_testing {

inline std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields(1);
    for (char c : line) {
      if (c == ',')
        fields.emplace_back();
      else
        fields.back().push_back(c);
    }
    rows.push_back(fields);
  }
  return rows;
}

}  // namespace events_testing
