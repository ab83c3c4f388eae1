#include "report/reader.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "records/files.h"

namespace report::reading {

namespace {

namespace fs = std::filesystem;

constexpr int kFirstYear = 1;  // years outside this range mark a damaged record
constexpr int kLastYear = 9999;
// The widest field any station file holds, with its separator; a file wider
// than this many bytes per field and record was not written by drought.
constexpr std::uintmax_t kFieldBytes = 24;

bool all_asterisks(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c == '*'; });
}

// Whether the file ends with a complete record, and with an empty record
// after it when the file is written so.
bool ends_complete(const std::string& path, bool empty_last) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  const auto size = static_cast<long long>(in.tellg());
  if (size <= 0) return false;
  const long long tail = std::min<long long>(size, 3);
  std::string end(static_cast<std::size_t>(tail), '\0');
  in.seekg(size - tail);
  in.read(end.data(), tail);
  if (!in || end.back() != '\n') return false;
  if (!empty_last) return true;
  return end.ends_with("\n\r\n") || end.ends_with("\n\n");
}

}  // namespace

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

bool to_value(std::string_view text, float marker, bool has_marker, Value& v) {
  v = Value{};
  text = trim(text);
  if (text.empty() || all_asterisks(text)) return true;
  // from_chars takes no plus sign; drought writes one before an infinity.
  const std::string_view digits = text.starts_with('+') ? text.substr(1) : text;
  double number = 0.0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || digits.starts_with('-') != text.starts_with('-') ||
      (ec != std::errc() && ec != std::errc::result_out_of_range) ||
      end != digits.data() + digits.size()) {
    return false;
  }
  if (!std::isfinite(number) || ec == std::errc::result_out_of_range) return true;
  if (has_marker && static_cast<float>(number) == marker) return true;
  v.present = true;
  v.number = number;
  // A value written without its leading zero (".50", "-.50") gets it back.
  const std::size_t point = text.starts_with("-.") ? 1 : text.starts_with(".") ? 0 : text.npos;
  v.text = text;
  if (point != text.npos) v.text.insert(point, 1, '0');
  return true;
}

bool to_int(std::string_view text, int& n) {
  text = trim(text);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::uintmax_t largest_file(long long rows, std::size_t fields) {
  return static_cast<std::uintmax_t>(rows + 2) * fields * kFieldBytes;
}

bool header_ok(records::ReadStatus status, std::string_view first, const Header& header) {
  if (status != records::ReadStatus::Ok) return false;
  first = trim(first);
  if (header.first != nullptr) return first == header.first;
  int number = 0;
  return !first.empty() && !to_int(first, number);
}

bool Reader::admit(FileReport& file, const Shape& shape, std::size_t fields) {
  file.optional = shape.optional;
  std::error_code ec;
  const fs::file_status status = fs::status(file.name, ec);
  if (ec || !fs::exists(status) || fs::is_directory(status)) {
    file.state = FileState::Missing;
    st_.files.push_back(file);
    return false;
  }
  st_.any_file = true;
  if (fs::is_regular_file(status)) {
    const std::uintmax_t size = fs::file_size(file.name, ec);
    if (!ec && size > largest_file(shape.max_rows, fields)) {
      file.state = FileState::TooLarge;
      file.size = size;
      st_.files.push_back(file);
      return false;
    }
    const auto when = fs::last_write_time(file.name, ec);
    if (!ec) {
      const auto sys = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          std::chrono::file_clock::to_sys(when));
      st_.newest = std::max(st_.newest, std::chrono::system_clock::to_time_t(sys));
    }
  }
  return true;
}

void Reader::finish(FileReport& file, int rows, const Shape& shape) {
  if (file.state == FileState::Ok && !ends_complete(file.name, shape.empty_last)) {
    file.state = FileState::CutShort;
    file.line = rows;
  }
  st_.files.push_back(file);
}

void Reader::expect(int rows, int expected) {
  FileReport& file = st_.files.back();
  if (rows >= 0 && expected > 0 && rows < expected && file.state == FileState::Ok) {
    file.state = FileState::CutShort;
    file.line = rows;
  }
}

bool year_row(std::span<const std::string> f, std::size_t skip, float marker, Track& t) {
  int year = 0;
  if (!to_int(f[skip], year) || year < kFirstYear || year > kLastYear) return false;
  for (int m = 0; m < kMonthsPerYear; ++m) {
    Cell c{year, m + 1, {}};
    if (!to_value(f[skip + 1 + static_cast<std::size_t>(m)], marker, true, c.value)) return false;
    t.cells.push_back(std::move(c));
  }
  return true;
}

bool month_row(std::span<const std::string> f, float marker, bool has_marker,
               std::span<const std::pair<std::size_t, Track*>> into) {
  int year = 0;
  int month = 0;
  if (!to_int(f[0], year) || !to_int(f[1], month) || year < kFirstYear || year > kLastYear ||
      month < 1 || month > kMonthsPerYear) {
    return false;
  }
  for (const auto& [field, t] : into) {
    Cell c{year, month, {}};
    if (!to_value(f[field], marker, has_marker, c.value)) return false;
    t->cells.push_back(std::move(c));
  }
  return true;
}

}  // namespace report::reading
