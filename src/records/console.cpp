// The console: standard input read a line at a time through file number 5,
// standard output written through number 6, and their redirection for tests.
#include "records/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "records/fatal.h"
#include "records/unit.h"

namespace records {
namespace {

constexpr std::string_view kStdinName = "standard input";
constexpr std::string_view kStdoutName = "standard output";

units::Unit console_unit(std::string_view name) {
  units::Unit u;
  u.attached = true;
  u.console = true;
  u.name = name;
  return u;
}
units::Unit g_console_in = console_unit(kStdinName);
units::Unit g_console_out = console_unit(kStdoutName);
std::string* g_sink = nullptr;
const std::string* g_source = nullptr;
void (*g_interrupt_hook)() = nullptr;
bool g_console_muted = false;

void rewind_console_input() {
  g_console_in.pos = 0;
  g_console_in.last = std::string::npos;
  g_console_in.record_number = 0;
}

// Reads one line of standard input into u.data, without its line end; false
// when standard input ends before any character.
bool read_stdin_line(units::Unit& u) {
  u.data.clear();
  int c;
  bool any = false;
  try {
    for (;;) {
      if ((c = std::getc(stdin)) != EOF) {
        any = true;
        if (c == '\n') break;
        u.data += static_cast<char>(c);
      } else if (std::ferror(stdin) && errno == EINTR) {
        // A signal while the operator is waited for: the hook may end the
        // read; otherwise the wait goes on.
        std::clearerr(stdin);
        if (g_interrupt_hook) g_interrupt_hook();
      } else {
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    std::string().swap(u.data);
    fatal("read", kStdinName, "out of memory");
  }
  if (c == '\n' && !u.data.empty() && u.data.back() == '\r') u.data.pop_back();
  return any;
}

}  // namespace

namespace units {

Unit& console_in() { return g_console_in; }
Unit& console_out() { return g_console_out; }

void console_write(Unit& u) {
  if (g_console_muted) {
    // Quiet mode: the records are dropped, standard output stays empty.
  } else if (g_sink) {
    g_sink->append(u.buffer);
  } else if (!write_all(STDOUT_FILENO, u.buffer)) {
    int err = errno;
    u.buffer.clear();
    fatal("write", kStdoutName, std::strerror(err));
  }
  u.buffer.clear();
}

std::optional<std::string_view> console_record(Unit& u) {
  if (g_source) {
    u.text = *g_source;
    return text_record(u);
  }
  // What was written to the console is out before the operator is asked.
  flush(g_console_out);
  std::fflush(stdout);
  if (!read_stdin_line(u)) return std::nullopt;
  if (u.record_number == 0 && u.data.starts_with(kByteOrderMark))
    u.data.erase(0, kByteOrderMark.size());
  u.last = 0;
  ++u.record_number;
  return std::string_view(u.data);
}

void console_close() {
  g_console_out.record_open = false;
  rewind_console_input();
  flush(g_console_out);
}

}  // namespace units

void set_console_sink(std::string* sink) {
  units::flush(g_console_out);
  g_sink = sink;
}

void set_console_muted(bool muted) {
  units::flush(g_console_out);
  g_console_muted = muted;
}

void set_console_source(const std::string* source) {
  g_source = source;
  rewind_console_input();
  g_console_in.text = source ? std::string_view(*source) : std::string_view();
}

void set_interrupt_hook(void (*hook)()) { g_interrupt_hook = hook; }

}  // namespace records
