#include "support/archive_writer.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "import/units.h"

namespace testing_support {

using namespace importer;

namespace {

int to_int(std::int64_t v) { return static_cast<int>(v); }

std::vector<std::string_view> split_commas(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0; start <= line.size();) {
    const std::size_t comma = std::min(line.find(',', start), line.size());
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  return fields;
}

int number_of(std::string_view t) {
  int n = 0;
  std::from_chars(t.data(), t.data() + t.size(), n);
  return n;
}

int element_named(std::string_view name) {
  for (int e = 0; e < kElementCount; ++e)
    if (kElementNames[e] == name) return e;
  return -1;
}

int metric(int element, int value) {
  switch (element) {
    case kPrcp:
      return tenths_mm_from_hundredths_inch(value);
    case kSnow:
      return mm_from_tenths_inch(value);
    case kSnwd:
      return mm_from_inches(value);
    default:
      return tenths_celsius_from_fahrenheit(value);
  }
}

}  // namespace

int tenths_mm_from_hundredths_inch(int hundredths_inch) {
  return to_int(divide_rounded(127LL * hundredths_inch, 50));
}
int mm_from_tenths_inch(int tenths_inch) { return to_int(divide_rounded(127LL * tenths_inch, 50)); }
int mm_from_inches(int inches) { return to_int(divide_rounded(127LL * inches, 5)); }
int tenths_celsius_from_fahrenheit(int fahrenheit) {
  return to_int(divide_rounded(100LL * fahrenheit - 3200, 18));
}

void append_archive_line(std::string& out, std::string_view id, int year, int month,
                         Element element, const std::array<int, kDays>& values,
                         std::string_view quality) {
  char buffer[16];
  out += id;
  std::snprintf(buffer, sizeof buffer, "%04d%02d", year, month);
  out += buffer;
  out += kElementNames[element];
  for (int d = 0; d < kDays; ++d) {
    std::snprintf(buffer, sizeof buffer, "%5d %c ", values[d],
                  d < static_cast<int>(quality.size()) ? quality[d] : ' ');
    out += buffer;
  }
  out += '\n';
}

std::string archive_from_daily(std::string_view daily, Format format,
                               std::string_view long_prefix) {
  std::string out;
  for (bool header = true; !daily.empty(); header = false) {
    const std::size_t end = std::min(daily.find('\n'), daily.size());
    const auto v = split_commas(daily.substr(0, end));
    daily.remove_prefix(std::min(end + 1, daily.size()));
    const int element = v.size() == 7 + kDays ? element_named(v[4]) : -1;
    if (header || element < 0) continue;
    std::array<int, kDays> values{};
    for (int d = 0; d < kDays; ++d) {
      const int value = number_of(v[7 + static_cast<std::size_t>(d)]);
      values[d] = value == kMissing          ? kArchiveMissing
                  : format == Format::kShort ? value
                                             : metric(element, value);
    }
    const std::string id =
        format == Format::kShort ? std::string(v[0]) : std::string(long_prefix) + std::string(v[0]);
    append_archive_line(out, id, number_of(v[6]), number_of(v[5]), static_cast<Element>(element),
                        values);
  }
  return out;
}

}  // namespace testing_support
