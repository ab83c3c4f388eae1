// Warnings on standard error: input that the program passes over in part.
#include "records/warnings.h"

#include <unistd.h>

#include <set>

namespace records {
namespace {

std::set<std::string, std::less<>> g_warned;  // files warned about since forget_warnings()
std::string* g_warning_sink = nullptr;

}  // namespace

void warn(std::string_view file, std::string_view text) {
  if (g_warned.contains(file)) return;
  g_warned.emplace(file);
  std::string line = "drought: warning: ";
  line += file;
  line += text;
  line += "\r\n";
  if (g_warning_sink) {
    g_warning_sink->append(line);
    return;
  }
  // Standard error is unbuffered: one write, and a failure to warn is no
  // reason to stop.
  [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, line.data(), line.size());
}

void forget_warnings() { g_warned.clear(); }

void set_warning_sink(std::string* sink) { g_warning_sink = sink; }

}  // namespace records
