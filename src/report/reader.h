// Reading one station file into the Station: record by record through the
// record layer, each record as text fields that a row function turns into
// values. Records how the file was found (missing, cut short, damaged, too
// large) and the newest modification time. Used by sources.cpp only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "report/sources.h"

namespace report::reading {

inline constexpr int kUnit = 40;                // the file number the report reads through
inline constexpr std::size_t kFieldWidth = 40;  // longest field text kept
inline constexpr int kMonthsPerYear = 12;

// The value of a field; false when the text is neither a number nor a form of
// missing value (the file is then damaged at this record). With has_marker, a
// number equal to marker as a 4-byte real is missing.
bool to_value(std::string_view text, float marker, bool has_marker, Value& v);
bool to_int(std::string_view text, int& n);
std::string_view trim(std::string_view s);

// A file's header record: none, one whose first field is the given name, or
// any text that is not a number.
struct Header {
  const char* first = nullptr;
  bool any = false;
};
inline constexpr Header kNoHeader{};
inline constexpr Header kAnyHeader{nullptr, true};

// What a file may hold: at most max_rows records of N fields, and whether it
// ends with an empty record.
struct Shape {
  Header header = kNoHeader;
  bool empty_last = false;
  long long max_rows = 0;
  bool optional = false;  // absent unless drought ran with --extended
};

// The largest file of that many records of n fields a station can write.
std::uintmax_t largest_file(long long rows, std::size_t fields);

class Reader {
 public:
  explicit Reader(Station& st) : st_(st) {}

  // Reads the file record by record as N fields, each row handed to
  // row(fields), which returns false for a value that cannot be read.
  // Returns the number of rows read, or -1 when the file is not read.
  template <std::size_t N, class Row>
  int read(std::string_view suffix, const Shape& shape, Row&& row) {
    std::array<std::string, N> f;
    return read_records(
        suffix, shape, N, [&]() { return read_fields(f); },
        [&]() -> std::string_view { return f[0]; }, [&]() { return row(f); });
  }

  // Marks the file just read cut short when it holds fewer rows than expected.
  void expect(int rows, int expected);

 private:
  template <std::size_t N>
  static records::ReadStatus read_fields(std::array<std::string, N>& f) {
    return read_fields(f, std::make_index_sequence<N>());
  }
  template <std::size_t N, std::size_t... I>
  static records::ReadStatus read_fields(std::array<std::string, N>& f, std::index_sequence<I...>) {
    for (auto& s : f) s.clear();
    return records::read_list(kUnit, {records::Target::text(f[I], kFieldWidth)...});
  }

  template <class Next, class First, class Row>
  int read_records(std::string_view suffix, const Shape& shape, std::size_t fields, Next&& next,
                   First&& first, Row&& row);

  // Whether the file is there and small enough; notes it in the station.
  bool admit(FileReport& file, const Shape& shape, std::size_t fields);
  void finish(FileReport& file, int rows, const Shape& shape);

  Station& st_;
};

// Reads the header record; false when the file ends or holds no such header.
bool header_ok(records::ReadStatus status, std::string_view first, const Header& header);

template <class Next, class First, class Row>
int Reader::read_records(std::string_view suffix, const Shape& shape, std::size_t fields,
                         Next&& next, First&& first, Row&& row) {
  FileReport file{station_file(st_.id, suffix)};
  if (!admit(file, shape, fields)) return -1;
  int rows = 0;
  int line = 0;
  try {
    records::open(kUnit, file.name);
    if (shape.header.first != nullptr || shape.header.any) {
      const auto status = next();
      ++line;
      if (!header_ok(status, first(), shape.header)) {
        file.state = status == records::ReadStatus::End && trim(first()).empty()
                         ? FileState::CutShort
                         : FileState::Damaged;
        file.line = status == records::ReadStatus::End ? 0 : line;
      }
    }
    while (file.state == FileState::Ok) {
      const auto status = next();
      ++line;
      if (status == records::ReadStatus::End) {
        if (!trim(first()).empty()) {  // a record broken off by the end of the file
          file.state = FileState::CutShort;
          file.line = rows;
        }
        break;
      }
      if (status != records::ReadStatus::Ok || !row()) {
        file.state = FileState::Damaged;
        file.line = line;
        break;
      }
      ++rows;
    }
    records::close(kUnit);
  } catch (const std::bad_alloc&) {
    records::close_all();
    throw OutOfMemory{file.name};
  } catch (const records::FatalError& e) {
    records::close_all();
    if (std::string_view(e.what()).ends_with(": out of memory")) throw OutOfMemory{file.name};
    file.state = FileState::Damaged;
    file.line = line;
  }
  finish(file, rows, shape);
  return rows;
}

// One year of twelve monthly values after `skip` leading fields and the year.
bool year_row(std::span<const std::string> f, std::size_t skip, float marker, Track& t);

// One month: year, month, then the values of the given fields into the tracks.
bool month_row(std::span<const std::string> f, float marker, bool has_marker,
               std::span<const std::pair<std::size_t, Track*>> into);

}  // namespace report::reading
