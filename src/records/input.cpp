// Reading records through a file number: list-directed and column reads of
// the next records, and the fatal diagnostics of reads that must succeed.
#include "records/input.h"

#include <cerrno>
#include <cstring>

#include "records/column_read.h"
#include "records/fatal.h"
#include "records/list_read.h"
#include "records/unit.h"

namespace records {
namespace {

using units::Stop;
using units::Unit;

ReadStatus bad(Unit& u, std::string_view value) {
  u.stop = Stop::BadValue;
  u.bad_value = value;
  u.stop_record = u.record_number;
  return ReadStatus::Bad;
}

// The end of the file before a read is complete. When a record the read began
// in holds anything but blanks, the file ends inside a record: the read
// stopped at a record cut short.
ReadStatus ended(Unit& u, long first_record) {
  if (first_record != 0) {
    u.stop = Stop::CutShort;
    u.stop_record = first_record;
  }
  return ReadStatus::End;
}

bool blank(std::string_view record) {
  for (char c : record)
    if (!parse::is_blank(c)) return false;
  return true;
}

void must(int unit, ReadStatus status) {
  if (status == ReadStatus::Ok) return;
  const Unit& u = units::reader(unit);
  if (status == ReadStatus::End)
    fatal("read", u.name, u.missing ? std::strerror(ENOENT) : "end of file");
  fatal("read", u.name,
        "bad value '" + shown(u.bad_value) + "' in record " + std::to_string(u.stop_record));
}

}  // namespace

ReadStatus read_list(int unit, std::initializer_list<Target> targets) {
  Unit& u = units::reader(unit);
  u.stop = Stop::None;
  parse::ListState state(std::span<const Target>(targets.begin(), targets.size()));
  if (!state.wants_values()) return units::next_record(u) ? ReadStatus::Ok : ReadStatus::End;
  long first_record = 0;  // the first record of the read that holds more than blanks
  for (;;) {
    const std::optional<std::string_view> record = units::next_record(u);
    if (!record) return ended(u, first_record);
    // Every record is a view into a string up to a line end or the string's
    // end, so a CR, LF or NUL byte follows it.
    switch (parse::list_feed_terminated(state, *record)) {
      case parse::ListStep::NeedMore:
        if (first_record == 0 && !blank(*record)) first_record = u.record_number;
        continue;
      case parse::ListStep::Done:
        return ReadStatus::Ok;
      case parse::ListStep::Bad:
        return bad(u, state.bad);
    }
  }
}

ReadStatus read_columns(int unit, const Layout& layout, std::initializer_list<Target> targets) {
  Unit& u = units::reader(unit);
  u.stop = Stop::None;
  const std::optional<std::string_view> record = units::next_record(u);
  if (!record) return ReadStatus::End;
  std::string field;
  const ReadStatus status = parse::columns(
      *record, layout, std::span<const Target>(targets.begin(), targets.size()), &field);
  return status == ReadStatus::Bad ? bad(u, field) : status;
}

void must_read_list(int unit, std::initializer_list<Target> targets) {
  must(unit, read_list(unit, targets));
}

void must_read_columns(int unit, const Layout& layout, std::initializer_list<Target> targets) {
  must(unit, read_columns(unit, layout, targets));
}

void step_back(int unit) {
  Unit& u = units::reader(unit);
  if (u.last == std::string::npos) return;
  u.pos = u.last;
  u.last = std::string::npos;
  --u.record_number;
}

}  // namespace records
