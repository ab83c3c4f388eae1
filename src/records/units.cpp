// The table of file numbers: attaching files, buffered record output, whole-
// file record input, the console, and the fatal diagnostics of I/O failures.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "records/console.h"
#include "records/emit.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/parse.h"
#include "records/warnings.h"

namespace records {
namespace {

// Output is collected per file and handed to the system in blocks of about
// this size; input is read in blocks of this size. Buffers this large come
// from the spares of earlier files and are used again.
constexpr std::size_t kBlock = 1 << 16;
constexpr std::string_view kRecordEnd = "\r\n";
constexpr std::string_view kTidyLineEnd = "\n";
constexpr std::string_view kStdinName = "standard input";
constexpr std::string_view kStdoutName = "standard output";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Unit {
  bool attached = false;
  bool console = false;  // standard input or output rather than a named file
  std::string name;

  // Input: the file's bytes from the record before the last one read on. The
  // file is opened at the first read and read a block at a time as far as
  // the records read reach.
  bool loaded = false;
  int in = -1;  // the descriptor of a file not yet read to its end
  std::string data;
  std::string_view text;  // data, or the test source for the console
  std::size_t pos = 0;
  std::size_t last = std::string::npos;  // start of the record just read
  long record_number = 0;                // records read so far
  std::string bad_value;                 // the value a Bad read stopped at
  long bad_record = 0;
  bool missing = false;  // the file did not exist when it was loaded

  // Output.
  int out = -1;  // the descriptor of a file being written
  bool record_open = false;
  std::string buffer;
};

// File numbers 0 to 99, in a flat table that keeps a Unit at one address
// while it lives.
constexpr int kTableUnits = 100;
std::array<Unit, kTableUnits> g_table;
Unit console_unit(std::string_view name) {
  Unit u;
  u.attached = true;
  u.console = true;
  u.name = name;
  return u;
}
Unit g_console_in = console_unit(kStdinName);
Unit g_console_out = console_unit(kStdoutName);
std::string* g_sink = nullptr;
const std::string* g_source = nullptr;
void (*g_interrupt_hook)() = nullptr;
bool g_console_muted = false;

std::string errno_text(int err) { return std::strerror(err); }

void check_number(int unit) {
  if (unit < 0 || unit >= kTableUnits)
    throw std::logic_error("file number out of range " + std::to_string(unit));
}

Unit& unit_slot(int unit) { return g_table[static_cast<std::size_t>(unit)]; }

Unit* attached_unit(int unit) {
  Unit& u = unit_slot(unit);
  return u.attached ? &u : nullptr;
}

// Buffers of detached units, kept for the next files: a fresh buffer for
// every file would be mapped, zero-filled and given back again each time.
constexpr std::size_t kSpareBuffers = 8;
std::vector<std::string> g_spares;

// The largest spare buffer, so that buffers once grown keep serving.
std::string spare_buffer() {
  if (g_spares.empty()) return {};
  auto largest = std::max_element(
      g_spares.begin(), g_spares.end(),
      [](const std::string& a, const std::string& b) { return a.capacity() < b.capacity(); });
  std::string s = std::move(*largest);
  g_spares.erase(largest);
  return s;
}

// Keeps the buffer unless the spares are more and larger.
void keep_buffer(std::string& s) {
  s.clear();
  if (g_spares.size() < kSpareBuffers) {
    g_spares.push_back(std::move(s));
    return;
  }
  for (std::string& spare : g_spares)
    if (spare.capacity() < s.capacity()) std::swap(spare, s);
}

// Detaches the unit; its buffers are kept for the next files.
void reset(Unit& u) {
  if (u.in >= 0) ::close(u.in);
  keep_buffer(u.data);
  keep_buffer(u.buffer);
  u = Unit();
}

std::string fort_name(int unit) { return "fort." + std::to_string(unit); }

Unit& attach(int unit, std::string name) {
  Unit& u = unit_slot(unit);
  reset(u);
  u.attached = true;
  u.name = std::move(name);
  return u;
}

// Reads the rest of every file attached for reading under the name, so that
// what they read stays the content the file had when their reading began.
void read_to_end(std::string_view name);

// Writes all of bytes to the descriptor (a write may take only a part, or
// be interrupted); false with errno set on failure.
bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Hands the collected output to the file or console; a failure detaches the
// file (its data cannot be completed) and is fatal.
void flush(Unit& u) {
  if (u.buffer.empty()) return;
  if (u.console) {
    if (g_console_muted) {
      // Quiet mode: the records are dropped, standard output stays empty.
    } else if (g_sink) {
      g_sink->append(u.buffer);
    } else if (!write_all(STDOUT_FILENO, u.buffer)) {
      int err = errno;
      u.buffer.clear();
      fatal("write", kStdoutName, errno_text(err));
    }
    u.buffer.clear();
    return;
  }
  read_to_end(u.name);
  if (!write_all(u.out, u.buffer)) {
    int err = errno;
    std::string name = u.name;
    ::close(u.out);
    reset(u);
    fatal("write", name, errno_text(err));
  }
  u.buffer.clear();
}

// Completes the file (ending a record left open) and detaches it.
void complete(Unit& u) {
  if (!u.attached || u.console) return;
  std::string name = u.name;
  if (u.out >= 0) {
    if (u.record_open) u.buffer += kRecordEnd;
    flush(u);
    const int fd = u.out;
    reset(u);
    if (::close(fd) != 0) fatal("write", name, errno_text(errno));
  } else {
    reset(u);
  }
}

// The unit a read or write goes to: the attached file, else the console for
// its number (5 reads standard input, 6 writes standard output), else
// fort.<n> attached afresh (which a read does not create).
Unit& unit_for(int unit, bool writing) {
  check_number(unit);
  if (Unit* u = attached_unit(unit)) return *u;
  if (writing && unit == kConsoleOut) return g_console_out;
  if (!writing && unit == kConsoleIn) return g_console_in;
  return attach(unit, fort_name(unit));
}
Unit& writer(int unit) { return unit_for(unit, true); }
Unit& reader(int unit) { return unit_for(unit, false); }

// Creates or empties the file at the first output through the unit.
void start_writing(Unit& u) {
  if (u.console || u.out >= 0) return;
  read_to_end(u.name);
  u.out = ::open(u.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (u.out < 0) {
    int err = errno;
    std::string name = u.name;
    reset(u);
    fatal("write", name, errno_text(err));
  }
  // What was read from the old content is gone with it.
  u.loaded = true;
  if (u.in >= 0) ::close(u.in);
  u.in = -1;
  keep_buffer(u.data);
  u.text = {};
  if (u.buffer.capacity() == 0) u.buffer = spare_buffer();
  u.pos = 0;
  u.last = std::string::npos;
}

template <class Emit>
void write_record(int unit, bool end_record, Emit emit, std::string_view record_end = kRecordEnd) {
  Unit& u = writer(unit);
  start_writing(u);
  emit(u.buffer);
  if (end_record) u.buffer += record_end;
  u.record_open = !end_record;
  if (u.console || u.buffer.size() >= kBlock) flush(u);
}

bool read_more(Unit& u);

void open_input(Unit& u) {
  if (u.loaded) return;
  u.loaded = true;
  // Records written to the same file through another number are handed to
  // the system first, so that this read sees them.
  for (Unit& other : g_table)
    if (&other != &u && other.attached && other.out >= 0 && other.name == u.name) flush(other);
  u.in = ::open(u.name.c_str(), O_RDONLY | O_CLOEXEC);
  if (u.in < 0) {
    u.missing = errno == ENOENT;
    if (u.missing) return;  // a missing file reads as empty
    fatal("read", u.name, errno_text(errno));
  }
  u.data = spare_buffer();
  // A UTF-8 byte order mark at the very start of the file is skipped.
  if (read_more(u) && u.text.starts_with(kByteOrderMark)) u.pos = kByteOrderMark.size();
}

// Reads the next block of the file behind what was read; false at its end.
// Records before the one being read (and the one before it, to which a read
// may step back) are dropped first, so that the buffer stays one block large
// unless a single record is longer.
bool read_more(Unit& u) {
  if (u.in < 0) return false;
  const std::size_t keep = std::min(u.pos, u.last);
  u.data.erase(0, keep);
  u.pos -= keep;
  if (u.last != std::string::npos) u.last -= keep;
  const std::size_t got = u.data.size();
  u.data.resize(got + kBlock);
  ssize_t n;
  while ((n = ::read(u.in, u.data.data() + got, kBlock)) < 0 && errno == EINTR) {
  }
  const int err = errno;
  u.data.resize(got + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  u.text = u.data;
  if (n > 0) return true;
  ::close(u.in);
  u.in = -1;
  if (n < 0) {
    u.data.clear();
    u.text = {};
    fatal("read", u.name, errno_text(err));
  }
  return false;
}

void read_to_end(std::string_view name) {
  for (Unit& other : g_table)
    if (other.in >= 0 && other.name == name)
      while (read_more(other)) {
      }
}

// The next record of the unit without its end, or nothing at end of file.
std::optional<std::string_view> next_record(Unit& u) {
  if (u.console && !g_source) {
    flush(g_console_out);
    std::fflush(stdout);
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
    if (!any) return std::nullopt;
    if (c == '\n' && !u.data.empty() && u.data.back() == '\r') u.data.pop_back();
    if (u.record_number == 0 && u.data.starts_with(kByteOrderMark))
      u.data.erase(0, kByteOrderMark.size());
    u.last = 0;
    ++u.record_number;
    return std::string_view(u.data);
  }
  if (u.console)
    u.text = *g_source;
  else if (u.out >= 0)
    return std::nullopt;  // a file being written has no more records
  else
    open_input(u);
  const void* nl = nullptr;
  try {
    // memchr is not given the null pointer of an empty text.
    const auto find_end = [&u](std::size_t from) -> const void* {
      return from < u.text.size() ? std::memchr(u.text.data() + from, '\n', u.text.size() - from)
                                  : nullptr;
    };
    for (std::size_t from = u.pos; (nl = find_end(from)) == nullptr;) {
      const std::size_t scanned = u.text.size() - u.pos;
      if (!read_more(u)) break;
      from = u.pos + scanned;
    }
  } catch (const std::bad_alloc&) {
    // A record that does not fit in memory (a file without end): its memory
    // is given back first so that the other files can still be completed.
    if (u.in >= 0) ::close(u.in);
    u.in = -1;
    std::string().swap(u.data);
    u.text = {};
    fatal("read", u.name, "out of memory");
  }
  const std::size_t start = u.pos;
  if (start >= u.text.size()) return std::nullopt;
  std::size_t end;
  if (nl) {
    end = static_cast<std::size_t>(static_cast<const char*>(nl) - u.text.data());
    u.pos = end + 1;
    if (end > start && u.text[end - 1] == '\r') --end;
  } else {
    end = u.text.size();
    u.pos = end;
  }
  u.last = start;
  ++u.record_number;
  return u.text.substr(start, end - start);
}

ReadStatus bad(Unit& u, std::string_view value) {
  u.bad_value = value;
  u.bad_record = u.record_number;
  return ReadStatus::Bad;
}

// A value as a diagnostic shows it: bytes outside printable ASCII as \xNN and
// at most kShownLength characters of a long value, so that the diagnostic stays
// one short printable line whatever the file held (a NUL byte would otherwise
// cut it, and control bytes would reach the terminal).
constexpr std::size_t kShownLength = 40;
std::string shown(std::string_view value) {
  std::string s;
  for (std::size_t i = 0; i < value.size() && i < kShownLength; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x20 && c < 0x7f) {
      s += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      s += "\\x";
      s += kHex[c >> 4];
      s += kHex[c & 15];
    }
  }
  if (value.size() > kShownLength) s += "...";
  return s;
}

void must(int unit, ReadStatus status) {
  if (status == ReadStatus::Ok) return;
  Unit& u = reader(unit);
  if (status == ReadStatus::End)
    fatal("read", u.name, u.missing ? errno_text(ENOENT) : std::string("end of file"));
  fatal("read", u.name,
        "bad value '" + shown(u.bad_value) + "' in record " + std::to_string(u.bad_record));
}

}  // namespace

void fatal(std::string_view operation, std::string_view file, std::string_view cause) {
  std::string message(operation);
  message += ' ';
  message += file;
  message += ": ";
  message += cause;
  throw FatalError(message);
}

void write(int unit, const Layout& layout, std::initializer_list<Arg> values) {
  write_record(unit, true, [&](std::string& out) { emit::layout_record(out, layout, values); });
}

void write_open(int unit, const Layout& layout, std::initializer_list<Arg> values) {
  write_record(unit, false, [&](std::string& out) { emit::layout_record(out, layout, values); });
}

void write_list(int unit, std::initializer_list<Arg> values) {
  write_record(unit, true, [&](std::string& out) { emit::list_record(out, values); });
}

void write_lf(int unit, const Layout& layout, std::initializer_list<Arg> values) {
  write_record(
      unit, true, [&](std::string& out) { emit::layout_record(out, layout, values); },
      kTidyLineEnd);
}

ReadStatus read_list(int unit, std::initializer_list<Target> targets) {
  Unit& u = reader(unit);
  parse::ListState state(std::span<const Target>(targets.begin(), targets.size()));
  if (!state.wants_values()) return next_record(u) ? ReadStatus::Ok : ReadStatus::End;
  for (;;) {
    std::optional<std::string_view> record = next_record(u);
    if (!record) return ReadStatus::End;
    // Every record is a view into a string up to a line end or the string's
    // end, so a CR, LF or NUL byte follows it.
    switch (parse::list_feed_terminated(state, *record)) {
      case parse::ListStep::NeedMore:
        continue;
      case parse::ListStep::Done:
        return ReadStatus::Ok;
      case parse::ListStep::Bad:
        return bad(u, state.bad);
    }
  }
}

ReadStatus read_columns(int unit, const Layout& layout, std::initializer_list<Target> targets) {
  Unit& u = reader(unit);
  std::optional<std::string_view> record = next_record(u);
  if (!record) return ReadStatus::End;
  std::string field;
  ReadStatus status = parse::columns(
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
  Unit& u = reader(unit);
  if (u.last == std::string::npos) return;
  u.pos = u.last;
  u.last = std::string::npos;
  --u.record_number;
}

void open(int unit, std::string_view name, Presence presence) {
  check_number(unit);
  if (Unit* u = attached_unit(unit)) complete(*u);
  std::string file(name);
  if (presence == Presence::MustExist) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) {
      fatal("open", file, errno == ENOENT ? std::string("no such file") : errno_text(errno));
    }
    if (S_ISDIR(st.st_mode)) fatal("open", file, "is a directory");
  }
  attach(unit, std::move(file));
}

void close(int unit) {
  check_number(unit);
  if (Unit* u = attached_unit(unit)) complete(*u);
  if (unit == kConsoleOut) flush(g_console_out);
}

void start_output(int unit) { start_writing(writer(unit)); }

void close_all() {
  std::optional<FatalError> first;
  for (Unit& u : g_table) {
    try {
      complete(u);
    } catch (const FatalError& e) {
      if (!first) first = e;
    }
    reset(u);
  }
  try {
    flush(g_console_out);
  } catch (const FatalError& e) {
    if (!first) first = e;
  }
  g_console_out.record_open = false;
  g_console_in.pos = 0;
  g_console_in.last = std::string::npos;
  g_console_in.record_number = 0;
  if (first) throw *first;
}

std::string attached_name(int unit) {
  Unit* u = attached_unit(unit);
  return u ? u->name : std::string();
}

void set_console_sink(std::string* sink) {
  flush(g_console_out);
  g_sink = sink;
}

void set_console_muted(bool muted) {
  flush(g_console_out);
  g_console_muted = muted;
}

void set_console_source(const std::string* source) {
  g_source = source;
  g_console_in.pos = 0;
  g_console_in.last = std::string::npos;
  g_console_in.record_number = 0;
  g_console_in.text = source ? std::string_view(*source) : std::string_view();
}

}  // namespace records

namespace records {

void flush_all() {
  for (Unit& u : g_table)
    if (u.attached && u.out >= 0) flush(u);
  flush(g_console_out);
}

bool was_missing(int unit) {
  const Unit* u = attached_unit(unit);
  return u != nullptr && u->missing;
}

void warn_rest_ignored(int unit) {
  const Unit& u = reader(unit);
  warn(u.name, " line " + std::to_string(u.bad_record) + ": bad value '" + shown(u.bad_value) +
                   "'; the rest of the file is ignored");
}

void set_interrupt_hook(void (*hook)()) { g_interrupt_hook = hook; }

}  // namespace records
