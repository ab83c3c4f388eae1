// Warnings on standard error: input that the program passes over in part, or
// goes on with although it is out of range.
#include "records/warnings.h"

#include <unistd.h>

#include <set>
#include <string>
#include <utility>

#include "records/fatal.h"
#include "records/unit.h"

namespace records {
namespace {

// The files and subjects warned about since forget_warnings().
std::set<std::pair<std::string, Subject>, std::less<>> g_warned;

std::string line_of(long record) { return " line " + std::to_string(record) + ": "; }

}  // namespace

void warn(std::string_view file, std::string_view text, Subject subject) {
  if (!g_warned.emplace(std::string(file), subject).second) return;
  std::string line = "drought: warning: ";
  line += shown_name(file);
  line += text;
  line += "\r\n";
  // Standard error is unbuffered: one write, and a failure to warn is no
  // reason to stop.
  [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, line.data(), line.size());
}

void warn_rest_ignored(int unit) {
  const units::Unit& u = units::reader(unit);
  constexpr std::string_view kRest = "; the rest of the file is ignored";
  switch (u.stop) {
    case units::Stop::BadValue:
      warn(u.name,
           line_of(u.stop_record) + "bad value '" + shown(u.bad_value) + "'" + std::string(kRest));
      break;
    case units::Stop::CutShort:
      warn(u.name, line_of(u.stop_record) + "record cut short" + std::string(kRest));
      break;
    case units::Stop::None:
      break;
  }
}

void forget_warnings() {
  g_warned.clear();
  units::forget_notes();
}

}  // namespace records
