#include "import/archive_lines.h"

#include <cstdint>
#include <cstring>

#include "import/text_input.h"
#include "import/units.h"

namespace importer {

namespace {

constexpr int kGroupWidth = 8;  // value, measurement, quality and source flag
constexpr int kValueWidth = 5;
constexpr int kQualityFlagOffset = 6;
constexpr int kYearOffset = 0, kMonthOffset = 4, kElementOffset = 6, kDaysOffset = 10;

// Reading state of one archive file.
struct ArchiveFile {
  Importer& im;
  std::uint32_t file = 0;
  Format format = Format::kUnknown;  // set by the first line of a known length
  std::string error;                 // why the run cannot go on
};

// A right-justified integer field: leading blanks, an optional minus sign and
// at least one digit. False for anything else.
bool parse_field(const char* p, int width, int& value) {
  int i = 0;
  while (i < width && p[i] == ' ') ++i;
  const bool negative = i < width && p[i] == '-';
  if (negative) ++i;
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

void skip(ArchiveFile& in, std::uint64_t number, const std::string& what) {
  warn(in.im.log,
       shown(in.im.files[in.file]) + ":" + std::to_string(number) + ": " + what + "; line skipped");
}

// The format of a line from its length, checked against the file's.
bool line_format(ArchiveFile& in, std::string_view line, std::uint64_t number) {
  const Format format = line.size() == kShortLineLength  ? Format::kShort
                        : line.size() == kLongLineLength ? Format::kLong
                                                         : Format::kUnknown;
  if (in.format == Format::kUnknown) in.format = format;
  if (format != Format::kUnknown && format == in.format) return true;
  const std::string expected = in.format == Format::kLong    ? std::to_string(kLongLineLength)
                               : in.format == Format::kShort ? std::to_string(kShortLineLength)
                                                             : "264 or 269";
  skip(in, number, "line of " + std::to_string(line.size()) + " characters, expected " + expected);
  return false;
}

// Year and month of the line (p at the year). Empty, or what is wrong.
const char* read_month(const char* p, Record& record) {
  int year = 0, month = 0;
  for (int i = 0; i < 4; ++i)
    if (p[kYearOffset + i] < '0' || p[kYearOffset + i] > '9') return "year is not a number";
  parse_field(p + kYearOffset, 4, year);
  if (!parse_field(p + kMonthOffset, 2, month)) return "month is not a number";
  if (month < 1 || month > kMonthsPerYear) return "month outside 1-12";
  record.year = year;
  record.month = static_cast<std::uint8_t>(month);
  return nullptr;
}

// The day values (group at the first day) in daily-file units. 0, or the
// 1-based day whose value is not a number.
int read_days(const ArchiveFile& in, const char* group, Record& record) {
  const int days = days_in_month(record.year, record.month);
  for (int d = 0; d < kDays; ++d, group += kGroupWidth) {
    int value = 0;
    if (!parse_field(group, kValueWidth, value)) return d + 1;
    if (d >= days || value == kArchiveMissing) {
      value = kMissing;
    } else if (group[kQualityFlagOffset] != ' ' && !in.im.settings.keep_flagged) {
      value = kMissing;
      ++record.dropped;
    } else if (in.format == Format::kLong) {
      value = daily_units(record.element, value);
    }
    record.day[d] = value;
  }
  return 0;
}

// Reads one line into the run; false only when the run cannot go on.
bool add_line(ArchiveFile& in, std::string_view line, std::uint64_t number) {
  if (!line_format(in, line, number)) return true;
  const int id_length = in.format == Format::kShort ? kShortIdLength : kLongIdLength;
  const char* p = line.data() + id_length;
  const int element = element_of(p + kElementOffset);
  if (element < 0) return true;  // an element that the daily file does not hold
  Record record;
  record.element = static_cast<Element>(element);
  record.file = in.file;
  record.line = number;
  if (const char* fault = read_month(p, record)) {
    skip(in, number, fault);
    return true;
  }
  if (const int day = read_days(in, p + kDaysOffset, record); day > 0) {
    skip(in, number, "value of day " + std::to_string(day) + " is not a number");
    return true;
  }
  return add_record(in.im, in.format, line.substr(0, id_length), record, in.error);
}

ArchiveFile begin_file(Importer& im, const std::string& name) {
  im.files.push_back(name);
  return {im, static_cast<std::uint32_t>(im.files.size() - 1), Format::kUnknown, {}};
}

}  // namespace

bool read_archive_file(Importer& im, const std::string& path, std::string& error) {
  ArchiveFile in = begin_file(im, path);
  const bool read = read_lines(
      path, [&](std::string_view line, std::uint64_t number) { return add_line(in, line, number); },
      im.log, error);
  if (!in.error.empty()) error = in.error;
  return read && in.error.empty();
}

}  // namespace importer
