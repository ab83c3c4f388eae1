#include "import/station_list.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "import/text_input.h"

namespace importer {

namespace {

constexpr double kMaxLatitude = 90, kMinLongitude = -180, kMaxLongitude = 360;

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The blank-separated fields of a line.
std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) return fields;
    const std::size_t start = i;
    while (i < line.size() && !blank(line[i])) ++i;
    fields.push_back(line.substr(start, i - start));
  }
}

// A decimal number within [low, high].
bool number_within(std::string_view s, double low, double high) {
  if (!is_decimal(s)) return false;
  if (s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && v >= low && v <= high;
}

// What is wrong with the fields of a station list line; empty when nothing.
std::string list_line_fault(const std::vector<std::string_view>& fields) {
  if (fields.size() < 4) return "fewer than four fields (ID, latitude, longitude, elevation)";
  for (std::string_view f : fields)
    if (f.size() > kMaxListField) return "a field longer than 64 characters";
  if (!number_within(fields[1], -kMaxLatitude, kMaxLatitude))
    return "latitude is not a number from -90 to 90";
  if (!number_within(fields[2], kMinLongitude, kMaxLongitude))
    return "longitude is not a number from -180 to 360";
  return {};
}

std::string at_line(std::string_view name, std::uint64_t number) {
  return shown(name) + ":" + std::to_string(number) + ": ";
}

}  // namespace

bool is_decimal(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  const std::size_t point = s.find('.');
  const std::string_view whole = s.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : s.substr(point + 1);
  const auto digits = [](std::string_view t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return digits(whole) && digits(fraction) && whole.size() + fraction.size() > 0;
}

void add_station_line(StationList& list, std::string_view name, std::string_view line,
                      std::uint64_t number, Log& log) {
  const auto fields = fields_of(line);
  if (fields.empty()) return;
  if (const std::string fault = list_line_fault(fields); !fault.empty())
    return warn(log, at_line(name, number) + fault + "; line skipped");
  const bool first = list.try_emplace(std::string(fields[0]),
                                      StationInfo{std::string(fields[1]), std::string(fields[2]),
                                                  std::string(fields[3])})
                         .second;
  if (!first)
    warn(log,
         at_line(name, number) + "second entry for station " + shown(fields[0]) + "; line skipped");
}

bool read_station_list(const std::string& path, StationList& list, Log& log, std::string& error) {
  return read_lines(
      path,
      [&](std::string_view line, std::uint64_t number) {
        add_station_line(list, path, line, number, log);
        return true;
      },
      log, error);
}

bool read_id_map(const std::string& path, OutputIds& ids, Log& log, std::string& error) {
  ids.use_map = true;
  const auto pair = [&](std::string_view line, std::uint64_t number) {
    const auto fields = fields_of(line);
    if (fields.empty()) return true;
    if (fields.size() != 2 || !valid_output_id(fields[1])) {
      error = at_line(path, number) + "expected a source ID and a 6-digit ID";
      return false;
    }
    if (!ids.map.try_emplace(std::string(fields[0]), std::string(fields[1])).second) {
      error = at_line(path, number) + "second entry for " + shown(fields[0]);
      return false;
    }
    return true;
  };
  return read_lines(path, pair, log, error) && error.empty();
}

bool valid_output_id(std::string_view id) {
  return id.size() == kOutputIdLength &&
         std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool output_id(Format format, const std::string& source_id, const OutputIds& ids, std::string& id,
               std::string& error) {
  if (format == Format::kShort) {
    id = source_id;
  } else if (!ids.as_id.empty()) {
    id = ids.as_id;
  } else if (ids.use_map) {
    const auto it = ids.map.find(source_id);
    if (it == ids.map.end()) {
      error = "not in the ID map";
      return false;
    }
    id = it->second;
  } else {
    id = source_id.substr(kLongIdLength - kOutputIdLength);
  }
  if (valid_output_id(id)) return true;
  error = "output ID \"" + shown(id) + "\" is not 6 digits";
  return false;
}

}  // namespace importer
