// The table of file numbers: attaching files, buffered record output and
// record input read a block at a time.
#include "records/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "records/console.h"
#include "records/fatal.h"
#include "records/unit.h"

namespace records {
namespace units {
namespace {

// Output is collected per file and handed to the system in blocks of about
// this size; input is read in blocks of this size. Buffers this large come
// from the spares of earlier files and are used again.
constexpr std::size_t kBlock = 1 << 16;

// File numbers 0 to 99, in a flat table that keeps a Unit at one address
// while it lives.
constexpr int kTableUnits = 100;
std::array<Unit, kTableUnits> g_table;

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

Unit& unit_for(int unit, bool writing) {
  check_number(unit);
  if (Unit* u = attached_unit(unit)) return *u;
  if (writing && unit == kConsoleOut) return console_out();
  if (!writing && unit == kConsoleIn) return console_in();
  return attach(unit, fort_name(unit));
}

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

// The line end of the record at u.pos, reading further blocks of a file as
// far as it reaches; nullptr when the text ends first.
const char* find_line_end(Unit& u) {
  // memchr is not given the null pointer of an empty text.
  const auto find_end = [&u](std::size_t from) -> const char* {
    return from < u.text.size() ? static_cast<const char*>(
                                      std::memchr(u.text.data() + from, '\n', u.text.size() - from))
                                : nullptr;
  };
  try {
    const char* nl = nullptr;
    for (std::size_t from = u.pos; (nl = find_end(from)) == nullptr;) {
      const std::size_t scanned = u.text.size() - u.pos;
      if (!read_more(u)) break;
      from = u.pos + scanned;
    }
    return nl;
  } catch (const std::bad_alloc&) {
    // A record that does not fit in memory (a file without end): its memory
    // is given back first so that the other files can still be completed.
    if (u.in >= 0) ::close(u.in);
    u.in = -1;
    std::string().swap(u.data);
    u.text = {};
    fatal("read", u.name, "out of memory");
  }
}

}  // namespace

Unit& reader(int unit) { return unit_for(unit, false); }
Unit& writer(int unit) { return unit_for(unit, true); }

std::optional<std::string_view> text_record(Unit& u) {
  const char* const nl = find_line_end(u);
  const std::size_t start = u.pos;
  if (start >= u.text.size()) return std::nullopt;
  std::size_t end;
  if (nl) {
    end = static_cast<std::size_t>(nl - u.text.data());
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

std::optional<std::string_view> next_record(Unit& u) {
  if (u.console) return console_record(u);
  if (u.out >= 0) return std::nullopt;  // a file being written has no more records
  open_input(u);
  return text_record(u);
}

Unit& start_record(int unit) {
  Unit& u = writer(unit);
  start_writing(u);
  return u;
}

void end_record(Unit& u, bool end, std::string_view record_end) {
  if (end) u.buffer += record_end;
  u.record_open = !end;
  if (u.console || u.buffer.size() >= kBlock) flush(u);
}

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

// A failure detaches the file (its data cannot be completed).
void flush(Unit& u) {
  if (u.buffer.empty()) return;
  if (u.console) return console_write(u);
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

}  // namespace units

using units::Unit;

void open(int unit, std::string_view name, Presence presence) {
  units::check_number(unit);
  if (Unit* u = units::attached_unit(unit)) units::complete(*u);
  std::string file(name);
  if (presence == Presence::MustExist) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) {
      fatal("open", file, errno == ENOENT ? std::string("no such file") : units::errno_text(errno));
    }
    if (S_ISDIR(st.st_mode)) fatal("open", file, "is a directory");
  }
  units::attach(unit, std::move(file));
}

void close(int unit) {
  units::check_number(unit);
  if (Unit* u = units::attached_unit(unit)) units::complete(*u);
}

void start_output(int unit) { units::start_writing(units::writer(unit)); }

void close_all() {
  std::optional<FatalError> first;
  for (Unit& u : units::g_table) {
    try {
      units::complete(u);
    } catch (const FatalError& e) {
      if (!first) first = e;
    }
    units::reset(u);
  }
  try {
    units::console_close();
  } catch (const FatalError& e) {
    if (!first) first = e;
  }
  units::forget_notes();
  if (first) throw *first;
}

std::string attached_name(int unit) {
  Unit* u = units::attached_unit(unit);
  return u ? u->name : std::string();
}

void flush_all() {
  for (Unit& u : units::g_table)
    if (u.attached && u.out >= 0) units::flush(u);
  units::flush(units::console_out());
}

bool was_missing(int unit) {
  const Unit* u = units::attached_unit(unit);
  return u != nullptr && u->missing;
}

long record_number(int unit) {
  units::check_number(unit);
  const Unit* u = units::attached_unit(unit);
  return u != nullptr ? u->record_number : 0;
}

}  // namespace records
