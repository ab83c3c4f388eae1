#include "import/import.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>

namespace importer {

const std::string_view kDailyHeader =
    "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01,DAY02,DAY03,DAY04,DAY05,DAY06,"
    "DAY07,DAY08,DAY09,DAY10,DAY11,DAY12,DAY13,DAY14,DAY15,DAY16,DAY17,DAY18,DAY19,DAY20,DAY21,"
    "DAY22,DAY23,DAY24,DAY25,DAY26,DAY27,DAY28,DAY29,DAY30,DAY31\n";

namespace {

constexpr std::size_t kReadChunk = 4 << 20;  // bytes of archive text read at a time
constexpr int kGroupWidth = 8;               // value, measurement, quality and source flag
constexpr int kValueWidth = 5;
constexpr int kQualityFlagOffset = 6;
constexpr int kMonthsPerYear = 12;

// n / d rounded half away from zero, for d > 0.
std::int64_t divide_rounded(std::int64_t n, std::int64_t d) {
  return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

int to_int(std::int64_t v) { return static_cast<int>(v); }

// A right-justified integer field: leading blanks, an optional minus sign and
// at least one digit. False for anything else.
bool parse_field(const char* p, int width, int& value) {
  int i = 0;
  while (i < width && p[i] == ' ') ++i;
  bool negative = false;
  if (i < width && p[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == width) return false;
  int v = 0;
  for (; i < width; ++i) {
    const unsigned digit = static_cast<unsigned char>(p[i]) - unsigned{'0'};
    if (digit > 9) return false;
    v = v * 10 + static_cast<int>(digit);
  }
  value = negative ? -v : v;
  return true;
}

int element_of(const char* p) {
  for (int e = 0; e < kElementCount; ++e)
    if (std::memcmp(p, kElementNames[e].data(), 4) == 0) return e;
  return -1;
}

int convert(Element element, int value) {
  switch (element) {
    case kPrcp:
      return hundredths_inch_from_tenths_mm(value);
    case kSnow:
      return tenths_inch_from_mm(value);
    case kSnwd:
      return inches_from_mm(value);
    default:
      return fahrenheit_from_tenths_celsius(value);
  }
}

void warn(Archive& archive, const FileState& state, const std::string& what) {
  archive.messages += "drought-import: " + archive.files[state.file] + ":" +
                      std::to_string(state.line) + ": " + what + "; line skipped\n";
}

// Reads one line (without its end) into the archive.
void add_line(Archive& archive, FileState& state, std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const Format format = line.size() == kShortLineLength  ? Format::kShort
                        : line.size() == kLongLineLength ? Format::kLong
                                                         : Format::kUnknown;
  if (state.format == Format::kUnknown) state.format = format;
  if (format == Format::kUnknown || format != state.format) {
    const std::string expected = state.format == Format::kLong    ? std::to_string(kLongLineLength)
                                 : state.format == Format::kShort ? std::to_string(kShortLineLength)
                                                                  : "264 or 269";
    warn(archive, state,
         "line of " + std::to_string(line.size()) + " characters, expected " + expected);
    return;
  }
  const int id_length = format == Format::kShort ? kShortIdLength : kLongIdLength;
  const char* p = line.data();
  const int element = element_of(p + id_length + 6);
  if (element < 0) return;  // an element that the daily file does not hold

  Record record;
  int year = 0, month = 0;
  const bool year_digits =
      std::all_of(p + id_length, p + id_length + 4, [](char c) { return c >= '0' && c <= '9'; });
  if (!year_digits || !parse_field(p + id_length, 4, year))
    return warn(archive, state, "year is not a number");
  if (!parse_field(p + id_length + 4, 2, month))
    return warn(archive, state, "month is not a number");
  if (month < 1 || month > kMonthsPerYear) return warn(archive, state, "month outside 1-12");
  record.year = year;
  record.month = static_cast<std::uint8_t>(month);
  record.element = static_cast<Element>(element);
  record.file = state.file;
  record.line = state.line;
  const int days = days_in_month(year, month);
  const char* group = p + id_length + 10;
  for (int d = 0; d < kDays; ++d, group += kGroupWidth) {
    int value = 0;
    if (!parse_field(group, kValueWidth, value))
      return warn(archive, state, "value of day " + std::to_string(d + 1) + " is not a number");
    if (d >= days || value == kArchiveMissing) {
      value = kMissing;
    } else if (group[kQualityFlagOffset] != ' ' && !archive.keep_flagged) {
      value = kMissing;
      ++record.dropped;
    } else if (format == Format::kLong) {
      value = convert(record.element, value);
    }
    record.day[d] = value;
  }

  // Archives hold the lines of a station together: try the previous one first.
  if (archive.last_station < archive.stations.size()) {
    Station& last = archive.stations[archive.last_station];
    if (last.format == format && std::string_view(p, id_length) == last.source_id)
      return last.records.push_back(record);
  }
  std::string key;
  key.reserve(1 + id_length);
  key += format == Format::kShort ? 's' : 'l';
  key.append(p, id_length);
  auto [it, inserted] = archive.index.try_emplace(std::move(key), archive.stations.size());
  if (inserted) {
    Station station;
    station.source_id.assign(p, id_length);
    station.format = format;
    archive.stations.push_back(std::move(station));
  }
  archive.last_station = it->second;
  archive.stations[it->second].records.push_back(record);
}

void append_int(std::string& out, long v) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
  out.append(buffer, end);
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Splits text into blank-separated fields.
std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i == line.size()) return fields;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    fields.push_back(line.substr(start, i - start));
  }
}

template <typename F>
void for_each_line(std::string_view text, F f) {
  std::size_t line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    ++line_number;
    f(text.substr(0, end), line_number);
    if (end == std::string_view::npos) return;
    text.remove_prefix(end + 1);
  }
}

// A decimal number: optional sign, digits, optionally a point and digits.
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

// A decimal number rounded half away from zero to a whole number, from its
// text, so that no binary fraction enters. False when it is not a number or
// too large.
bool round_decimal(std::string_view s, long& value) {
  if (!is_decimal(s) || s.size() > 15) return false;
  const bool negative = s.front() == '-';
  if (s.front() == '-' || s.front() == '+') s.remove_prefix(1);
  const std::size_t point = s.find('.');
  long whole = 0;
  for (char c : s.substr(0, point)) whole = whole * 10 + (c - '0');
  if (point != std::string_view::npos && point + 1 < s.size() && s[point + 1] >= '5') ++whole;
  value = negative ? -whole : whole;
  return true;
}

std::string month_text(int year, int month) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d", year, month);
  return buffer;
}

// Writes text to a new temporary file in dir; its name goes to temp.
bool write_temp(const std::filesystem::path& dir, const std::string& text, std::string& temp,
                std::string& error) {
  std::string pattern = (dir / ".drought-import.XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    error = "cannot create a file in " + dir.string() + ": " + std::strerror(errno);
    return false;
  }
  temp = pattern;
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot write " + temp + ": " + std::strerror(errno);
      ::close(fd);
      std::remove(temp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  // New files get the usual permissions, as if created by name.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0 || ::close(fd) != 0) {
    error = "cannot write " + temp + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

// Writes both station files under their names, replacing old ones only when
// both new ones are complete.
bool write_files(const std::filesystem::path& dir, std::string_view id, const StationFiles& files,
                 std::string& error) {
  std::string daily_temp, monthly_temp;
  if (!write_temp(dir, files.daily, daily_temp, error)) return false;
  if (!write_temp(dir, files.monthly, monthly_temp, error)) {
    std::remove(daily_temp.c_str());
    return false;
  }
  const std::string daily = (dir / (std::string(id) + ".csv")).string();
  const std::string monthly = (dir / (std::string(id) + "_PRCP.csv")).string();
  if (std::rename(daily_temp.c_str(), daily.c_str()) != 0) {
    error = "cannot write " + daily + ": " + std::strerror(errno);
    std::remove(daily_temp.c_str());
    std::remove(monthly_temp.c_str());
    return false;
  }
  if (std::rename(monthly_temp.c_str(), monthly.c_str()) != 0) {
    error = "cannot write " + monthly + ": " + std::strerror(errno);
    std::remove(monthly_temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int hundredths_inch_from_tenths_mm(int tenths_mm) {
  return to_int(divide_rounded(50LL * tenths_mm, 127));
}
int tenths_inch_from_mm(int mm) { return to_int(divide_rounded(50LL * mm, 127)); }
int inches_from_mm(int mm) { return to_int(divide_rounded(5LL * mm, 127)); }
int fahrenheit_from_tenths_celsius(int tenths_c) {
  return to_int(divide_rounded(18LL * tenths_c + 3200, 100));
}
int tenths_mm_from_hundredths_inch(int hundredths_inch) {
  return to_int(divide_rounded(127LL * hundredths_inch, 50));
}
int mm_from_tenths_inch(int tenths_inch) { return to_int(divide_rounded(127LL * tenths_inch, 50)); }
int mm_from_inches(int inches) { return to_int(divide_rounded(127LL * inches, 5)); }
int tenths_celsius_from_fahrenheit(int fahrenheit) {
  return to_int(divide_rounded(100LL * fahrenheit - 3200, 18));
}

int days_in_month(int year, int month) {
  static constexpr int kLengths[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month != 2) return kLengths[month - 1];
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return leap ? 29 : 28;
}

FileState begin_file(Archive& archive, std::string name) {
  archive.files.push_back(std::move(name));
  FileState state;
  state.file = static_cast<std::uint32_t>(archive.files.size() - 1);
  return state;
}

void add_lines(Archive& archive, FileState& state, std::string_view text) {
  while (!text.empty()) {
    const void* end = std::memchr(text.data(), '\n', text.size());
    const std::size_t length =
        end == nullptr ? text.size()
                       : static_cast<std::size_t>(static_cast<const char*>(end) - text.data());
    ++state.line;
    add_line(archive, state, text.substr(0, length));
    text.remove_prefix(end == nullptr ? length : length + 1);
  }
}

bool read_archive_file(Archive& archive, const std::string& path, std::string& error) {
  gzFile in = gzopen(path.c_str(), "rb");
  if (in == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  gzbuffer(in, 1 << 20);
  FileState state = begin_file(archive, path);
  std::vector<char> buffer(kReadChunk);
  std::size_t kept = 0;  // bytes of an unfinished line at the start of buffer
  while (true) {
    if (kept == buffer.size()) buffer.resize(buffer.size() * 2);
    const int n = gzread(in, buffer.data() + kept, static_cast<unsigned>(buffer.size() - kept));
    int code = Z_OK;
    const char* message = gzerror(in, &code);
    if (n < 0 || (code != Z_OK && code != Z_BUF_ERROR) || (n == 0 && code == Z_BUF_ERROR)) {
      error = "cannot read " + path + ": " +
              (code == Z_ERRNO       ? std::strerror(errno)
               : code == Z_BUF_ERROR ? "unexpected end of file"
                                     : message);
      gzclose(in);
      return false;
    }
    if (n == 0) break;
    const std::size_t filled = kept + static_cast<std::size_t>(n);
    std::size_t last = filled;
    while (last > 0 && buffer[last - 1] != '\n') --last;
    add_lines(archive, state, std::string_view(buffer.data(), last));
    kept = filled - last;
    std::memmove(buffer.data(), buffer.data() + last, kept);
  }
  if (kept > 0) add_lines(archive, state, std::string_view(buffer.data(), kept));
  gzclose(in);
  return true;
}

bool read_text_file(const std::string& path, std::string& text, std::string& error) {
  gzFile in = gzopen(path.c_str(), "rb");
  if (in == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  text.clear();
  char buffer[1 << 16];
  int n = 0;
  while ((n = gzread(in, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<std::size_t>(n));
  int code = Z_OK;
  const char* message = gzerror(in, &code);
  gzclose(in);
  if (n < 0 || code != Z_OK) {
    error = "cannot read " + path + ": " + (code == Z_ERRNO ? std::strerror(errno) : message);
    return false;
  }
  return true;
}

StationList parse_station_list(std::string_view text) {
  StationList list;
  for_each_line(text, [&](std::string_view line, std::size_t) {
    const auto fields = fields_of(line);
    if (fields.size() < 4) return;
    list.try_emplace(
        std::string(fields[0]),
        StationInfo{std::string(fields[1]), std::string(fields[2]), std::string(fields[3])});
  });
  return list;
}

bool parse_id_map(std::string_view text, std::unordered_map<std::string, std::string>& map,
                  std::string& error) {
  bool ok = true;
  for_each_line(text, [&](std::string_view line, std::size_t number) {
    const auto fields = fields_of(line);
    if (!ok || fields.empty()) return;
    if (fields.size() != 2 || !valid_output_id(fields[1])) {
      error = "line " + std::to_string(number) + ": expected a source ID and a 6-digit ID";
      ok = false;
      return;
    }
    if (!map.try_emplace(std::string(fields[0]), std::string(fields[1])).second) {
      error = "line " + std::to_string(number) + ": second entry for " + std::string(fields[0]);
      ok = false;
    }
  });
  return ok;
}

bool valid_output_id(std::string_view id) {
  return id.size() == kOutputIdLength &&
         std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool build_station(const Archive& archive, const Station& station, std::string_view id,
                   const StationInfo& info, int min_days, StationFiles& files,
                   std::string& messages, std::string& error) {
  const std::string_view latitude = trim(info.latitude), longitude = trim(info.longitude);
  long elevation = 0;
  // The list marks an unknown elevation -999.9: written as the daily file's missing mark.
  if (info.elevation == "-999.9") {
    elevation = kMissing;
  } else if (!round_decimal(info.elevation, elevation)) {
    error = "elevation in the station list is not a number";
    return false;
  }
  if (!is_decimal(latitude) || !is_decimal(longitude)) {
    error = "latitude or longitude in the station list is not a number";
    return false;
  }
  const auto& records = station.records;
  const auto month_of = [](const Record& r) { return std::int64_t{r.year} * 12 + r.month - 1; };
  const auto key = [&](std::uint32_t i) {
    return month_of(records[i]) * kElementCount + records[i].element;
  };

  // Records in calendar and element order; of two for one element and month the first read counts.
  std::vector<std::uint32_t> order(records.size());
  std::iota(order.begin(), order.end(), 0u);
  if (!std::is_sorted(order.begin(), order.end(),
                      [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); }))
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
  std::vector<std::uint32_t> kept;
  kept.reserve(order.size());
  std::int64_t first = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const Record& r = records[order[i]];
    if (i > 0 && key(order[i]) == key(order[i - 1])) {
      messages += "drought-import: " + archive.files[r.file] + ":" + std::to_string(r.line) +
                  ": second " + std::string(kElementNames[r.element]) + " line of station " +
                  station.source_id + " for " + month_text(r.year, r.month) + "; line skipped\n";
      continue;
    }
    if (first < 0 && r.element == kPrcp) first = month_of(r);
    if (first >= 0) kept.push_back(order[i]);
  }
  if (first < 0) {
    error = "no PRCP line";
    return false;
  }
  const std::int64_t last = month_of(records[kept.back()]);

  // The daily file.
  std::string prefix(id);
  prefix += ',';
  prefix += latitude;
  prefix += ',';
  prefix += longitude;
  prefix += ',';
  append_int(prefix, elevation);
  prefix += ',';
  // Written through a pointer into a buffer sized for the longest records.
  constexpr std::size_t kLongestValues = 5 + 12 + (kDays + 1) * 12;
  std::string& daily = files.daily;
  daily.resize(kDailyHeader.size() + kept.size() * (prefix.size() + kLongestValues));
  char* out = std::copy(kDailyHeader.begin(), kDailyHeader.end(), daily.data());
  const auto put = [&out](long v) { out = std::to_chars(out, out + 24, v).ptr; };
  files.dropped_days = 0;
  for (std::uint32_t i : kept) {
    const Record& r = records[i];
    files.dropped_days += r.dropped;
    out = std::copy(prefix.begin(), prefix.end(), out);
    out = std::copy(kElementNames[r.element].begin(), kElementNames[r.element].end(), out);
    *out++ = ',';
    put(r.month);
    *out++ = ',';
    put(r.year);
    for (int d = 0; d < kDays; ++d) {
      *out++ = ',';
      const std::int32_t v = r.day[d];
      if (v >= 0 && v < 10) {
        *out++ = static_cast<char>('0' + v);
      } else {
        put(v);
      }
    }
    *out++ = '\n';
  }
  daily.resize(static_cast<std::size_t>(out - daily.data()));

  // Monthly totals in hundredths of an inch: the sum of a complete month, the
  // scaled sum of a month with at least min_days days, else the mean of the
  // complete totals of its calendar month.
  const std::size_t months = static_cast<std::size_t>(last - first + 1);
  std::vector<std::int64_t> total(months, -1);
  std::array<std::int64_t, kMonthsPerYear> complete_sum{}, complete_count{};
  for (std::uint32_t i : kept) {
    const Record& r = records[i];
    if (r.element != kPrcp) continue;
    const int days = days_in_month(r.year, r.month);
    std::int64_t sum = 0;
    int present = 0;
    for (int d = 0; d < days; ++d) {
      if (r.day[d] < 0) continue;  // missing; no amount is negative
      sum += r.day[d];
      ++present;
    }
    const std::size_t m = static_cast<std::size_t>(month_of(r) - first);
    if (present == days) {
      total[m] = sum;
      complete_sum[r.month - 1] += sum;
      ++complete_count[r.month - 1];
    } else if (present >= min_days) {
      total[m] = divide_rounded(sum * days, present);
    }
  }
  files.filled_months = 0;
  std::string& monthly = files.monthly;
  monthly.clear();
  prefix.pop_back();
  for (std::size_t m = 0; m < months; ++m) {
    const int year = static_cast<int>((first + static_cast<std::int64_t>(m)) / 12);
    const int month = static_cast<int>((first + static_cast<std::int64_t>(m)) % 12) + 1;
    std::int64_t value = total[m];
    if (value < 0) {
      if (complete_count[month - 1] == 0) {
        error = "no complete month " + std::to_string(month) + " to fill " +
                month_text(year, month) + " from";
        return false;
      }
      value = divide_rounded(complete_sum[month - 1], complete_count[month - 1]);
      ++files.filled_months;
    }
    monthly += prefix;
    monthly += ',';
    append_int(monthly, month);
    monthly += ',';
    append_int(monthly, year);
    monthly += ',';
    append_int(monthly, static_cast<long>(value / 100));
    monthly += '.';
    monthly += static_cast<char>('0' + value % 100 / 10);
    monthly += static_cast<char>('0' + value % 10);
    monthly += '\n';
  }
  files.first_year = static_cast<int>(first / 12);
  files.first_month = static_cast<int>(first % 12) + 1;
  files.last_year = static_cast<int>(last / 12);
  files.last_month = static_cast<int>(last % 12) + 1;
  return true;
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
  for_each_line(daily, [&](std::string_view line, std::size_t number) {
    std::vector<std::string_view> v;
    for (std::size_t start = 0; start <= line.size();) {
      const std::size_t comma = std::min(line.find(',', start), line.size());
      v.push_back(line.substr(start, comma - start));
      start = comma + 1;
    }
    const int element = v.size() == 7 + kDays && v[4].size() == 4 ? element_of(v[4].data()) : -1;
    if (number == 1 || element < 0) return;
    const auto number_of = [](std::string_view t) {
      int n = 0;
      std::from_chars(t.data(), t.data() + t.size(), n);
      return n;
    };
    std::array<int, kDays> values{};
    for (int d = 0; d < kDays; ++d) {
      const int value = number_of(v[7 + static_cast<std::size_t>(d)]);
      values[d] = value == kMissing          ? kArchiveMissing
                  : format == Format::kShort ? value
                  : element == kPrcp         ? tenths_mm_from_hundredths_inch(value)
                  : element == kSnow         ? mm_from_tenths_inch(value)
                  : element == kSnwd         ? mm_from_inches(value)
                                             : tenths_celsius_from_fahrenheit(value);
    }
    const std::string id =
        format == Format::kShort ? std::string(v[0]) : std::string(long_prefix) + std::string(v[0]);
    append_archive_line(out, id, number_of(v[6]), number_of(v[5]), static_cast<Element>(element),
                        values);
  });
  return out;
}

int write_stations(Archive& archive, const Settings& settings, std::string& log) {
  // Output IDs first, so that two stations with one ID are both refused.
  std::vector<std::string> ids(archive.stations.size());
  std::vector<std::string> errors(archive.stations.size());
  std::unordered_map<std::string, std::size_t> owner;
  for (std::size_t s = 0; s < archive.stations.size(); ++s) {
    const Station& station = archive.stations[s];
    if (station.format == Format::kShort) {
      ids[s] = station.source_id;
    } else if (!settings.as_id.empty()) {
      ids[s] = settings.as_id;
    } else if (settings.use_id_map) {
      const auto it = settings.id_map.find(station.source_id);
      if (it == settings.id_map.end()) {
        errors[s] = "not in the ID map";
        continue;
      }
      ids[s] = it->second;
    } else {
      ids[s] = station.source_id.substr(kLongIdLength - kOutputIdLength);
    }
    if (!valid_output_id(ids[s])) {
      errors[s] = "output ID \"" + ids[s] + "\" is not 6 digits";
      continue;
    }
    const auto [it, inserted] = owner.try_emplace(ids[s], s);
    if (!inserted) {
      const std::string both = "stations " + archive.stations[it->second].source_id + " and " +
                               station.source_id + " both map to output ID " + ids[s];
      errors[it->second] = both;
      errors[s] = both;
    }
  }

  int failed = 0;
  StationFiles files;
  for (std::size_t s = 0; s < archive.stations.size(); ++s) {
    Station& station = archive.stations[s];
    std::string& error = errors[s];
    if (error.empty()) {
      const auto info = settings.stations.find(station.source_id);
      if (info == settings.stations.end()) {
        error = "not in the station list";
      } else if (build_station(archive, station, ids[s], info->second, settings.min_days, files,
                               log, error)) {
        write_files(settings.out_dir, ids[s], files, error);
      }
    }
    if (!error.empty()) {
      log += "drought-import: station " + station.source_id + ": " + error + "; not written\n";
      ++failed;
    } else {
      log += station.source_id + " -> " + ids[s] + ": " +
             month_text(files.first_year, files.first_month) + " to " +
             month_text(files.last_year, files.last_month) + ", " +
             std::to_string(files.filled_months) + " months filled, " +
             std::to_string(files.dropped_days) + " days dropped by quality flag\n";
    }
    std::vector<Record>().swap(station.records);  // done with it
  }
  return failed;
}

}  // namespace importer
