// The table of file numbers: attaching files, buffered record output, whole-
// file record input, the console, and the fatal diagnostics of I/O failures.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "records/emit.h"
#include "records/parse.h"

namespace records {
namespace {

// Output is collected per file and handed to the system in blocks this large.
constexpr std::size_t kFlushSize = 1 << 16;
constexpr std::string_view kRecordEnd = "\r\n";
constexpr std::string_view kStdinName = "standard input";
constexpr std::string_view kStdoutName = "standard output";

struct Unit {
  bool attached = false;
  bool console = false;  // standard input or output rather than a named file
  std::string name;

  // Input: the whole file, loaded at the first read.
  bool loaded = false;
  std::string data;
  std::string_view text;  // data, or the test source for the console
  std::size_t pos = 0;
  std::size_t last = std::string::npos;  // start of the record just read
  long record_number = 0;                // records read so far
  bool replay = false;                   // console: hand out the last line again
  std::string bad_value;                 // the value a Bad read stopped at
  long bad_record = 0;

  // Output.
  std::FILE* out = nullptr;
  bool record_open = false;
  std::string buffer;
};

std::map<int, Unit> g_units;
Unit g_console_in = [] {
  Unit u;
  u.attached = true;
  u.console = true;
  u.name = kStdinName;
  return u;
}();
Unit g_console_out = [] {
  Unit u;
  u.attached = true;
  u.console = true;
  u.name = kStdoutName;
  return u;
}();
std::string* g_sink = nullptr;
const std::string* g_source = nullptr;

std::string errno_text(int err) { return std::strerror(err); }

void check_number(int unit) {
  if (unit < 0) throw std::logic_error("negative file number " + std::to_string(unit));
}

Unit* attached_unit(int unit) {
  auto it = g_units.find(unit);
  return it != g_units.end() && it->second.attached ? &it->second : nullptr;
}

// Detaches the unit and gives back the memory of its buffers (assigning a
// fresh Unit would keep the old strings' capacity: a whole input file).
void reset(Unit& u) {
  Unit fresh;
  std::swap(u, fresh);
}

std::string fort_name(int unit) { return "fort." + std::to_string(unit); }

Unit& attach(int unit, std::string name) {
  Unit& u = g_units[unit];
  reset(u);
  u.attached = true;
  u.name = std::move(name);
  return u;
}

// Hands the collected output to the file or console; a failure detaches the
// file (its data cannot be completed) and is fatal.
void flush(Unit& u) {
  if (u.buffer.empty()) return;
  if (u.console) {
    if (g_sink) {
      g_sink->append(u.buffer);
    } else if (std::fwrite(u.buffer.data(), 1, u.buffer.size(), stdout) != u.buffer.size() ||
               std::fflush(stdout) != 0) {
      int err = errno;
      u.buffer.clear();
      fatal("write", kStdoutName, errno_text(err));
    }
    u.buffer.clear();
    return;
  }
  if (std::fwrite(u.buffer.data(), 1, u.buffer.size(), u.out) != u.buffer.size()) {
    int err = errno;
    std::string name = u.name;
    std::fclose(u.out);
    reset(u);
    fatal("write", name, errno_text(err));
  }
  u.buffer.clear();
}

// Completes the file (ending a record left open) and detaches it.
void complete(Unit& u) {
  if (!u.attached || u.console) return;
  std::string name = u.name;
  if (u.out) {
    if (u.record_open) u.buffer += kRecordEnd;
    flush(u);
    std::FILE* f = u.out;
    reset(u);
    errno = 0;
    if (std::fclose(f) != 0) fatal("write", name, errno_text(errno));
  } else {
    reset(u);
  }
}

// The unit a write goes to: the console for number 6 unless a file is
// attached to it, else the attached file, else fort.<n> attached afresh.
Unit& writer(int unit) {
  check_number(unit);
  if (Unit* u = attached_unit(unit)) return *u;
  if (unit == kConsoleOut) return g_console_out;
  return attach(unit, fort_name(unit));
}

// Creates or empties the file at the first output through the unit.
void start_writing(Unit& u) {
  if (u.console || u.out) return;
  u.out = std::fopen(u.name.c_str(), "wb");
  if (!u.out) {
    int err = errno;
    std::string name = u.name;
    reset(u);
    fatal("write", name, errno_text(err));
  }
  // What was read from the old content is gone with it.
  u.loaded = true;
  std::string().swap(u.data);
  u.text = {};
  u.pos = 0;
  u.last = std::string::npos;
}

template <class Emit>
void write_record(int unit, bool end_record, Emit emit) {
  Unit& u = writer(unit);
  start_writing(u);
  emit(u.buffer);
  if (end_record) u.buffer += kRecordEnd;
  u.record_open = !end_record;
  if (u.console || u.buffer.size() >= kFlushSize) flush(u);
}

// The unit a read comes from: the attached file, standard input for number
// 5, else fort.<n> (which the read does not create).
Unit& reader(int unit) {
  check_number(unit);
  if (Unit* u = attached_unit(unit)) return *u;
  if (unit == kConsoleIn) return g_console_in;
  return attach(unit, fort_name(unit));
}

void load(Unit& u) {
  if (u.loaded) return;
  u.loaded = true;
  // Records written to the same file through another number are handed to
  // the system first, so that this read sees them.
  for (auto& [number, other] : g_units)
    if (&other != &u && other.attached && other.out && other.name == u.name) {
      flush(other);
      if (std::fflush(other.out) != 0) fatal("write", other.name, errno_text(errno));
    }
  std::FILE* f = std::fopen(u.name.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT) return;  // a missing file reads as empty
    fatal("read", u.name, errno_text(errno));
  }
  // The whole file in one read when its size is known, then whatever more
  // there is (a file that grows, or one whose size the system does not tell).
  struct stat st;
  std::size_t size = 0;
  if (::fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    size = static_cast<std::size_t>(st.st_size);
  u.data.resize(size);
  std::size_t got = size > 0 ? std::fread(u.data.data(), 1, size, f) : 0;
  u.data.resize(got);
  if (got == size) {
    char block[1 << 16];
    for (;;) {
      std::size_t n = std::fread(block, 1, sizeof block, f);
      u.data.append(block, n);
      if (n < sizeof block) break;
    }
  }
  bool failed = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (failed) {
    u.data.clear();
    fatal("read", u.name, errno_text(err));
  }
  u.text = u.data;
}

// The next record of the unit without its end, or nothing at end of file.
std::optional<std::string_view> next_record(Unit& u) {
  if (u.console && !g_source) {
    if (u.replay) {
      u.replay = false;
      ++u.record_number;
      return std::string_view(u.data);
    }
    flush(g_console_out);
    std::fflush(stdout);
    u.data.clear();
    int c;
    bool any = false;
    while ((c = std::getc(stdin)) != EOF) {
      any = true;
      if (c == '\n') break;
      u.data += static_cast<char>(c);
    }
    if (!any) return std::nullopt;
    if (c == '\n' && !u.data.empty() && u.data.back() == '\r') u.data.pop_back();
    u.last = 0;
    ++u.record_number;
    return std::string_view(u.data);
  }
  if (u.console)
    u.text = *g_source;
  else if (u.out)
    return std::nullopt;  // a file being written has no more records
  else
    load(u);
  if (u.pos >= u.text.size()) return std::nullopt;
  std::size_t start = u.pos;
  const void* nl = std::memchr(u.text.data() + start, '\n', u.text.size() - start);
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
  if (status == ReadStatus::End) fatal("read", u.name, "end of file");
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

ReadStatus read_list(int unit, std::initializer_list<Target> targets) {
  Unit& u = reader(unit);
  std::span<const Target> ts(targets.begin(), targets.size());
  if (parse::no_targets(ts)) return next_record(u) ? ReadStatus::Ok : ReadStatus::End;
  parse::ListState state(ts);
  for (;;) {
    std::optional<std::string_view> record = next_record(u);
    if (!record) return ReadStatus::End;
    switch (parse::list_feed(state, *record)) {
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
  if (u.console && !g_source) {
    u.replay = true;
  } else {
    u.pos = u.last;
  }
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
  for (auto& [number, u] : g_units) {
    try {
      complete(u);
    } catch (const FatalError& e) {
      if (!first) first = e;
    }
  }
  g_units.clear();
  try {
    flush(g_console_out);
  } catch (const FatalError& e) {
    if (!first) first = e;
  }
  g_console_out.record_open = false;
  g_console_in.replay = false;
  g_console_in.pos = 0;
  g_console_in.last = std::string::npos;
  g_console_in.record_number = 0;
  if (first) throw *first;
}

bool is_attached(int unit) { return attached_unit(unit) != nullptr; }

std::string attached_name(int unit) {
  Unit* u = attached_unit(unit);
  return u ? u->name : std::string();
}

void set_console_sink(std::string* sink) {
  flush(g_console_out);
  g_sink = sink;
}

void set_console_source(const std::string* source) {
  g_source = source;
  g_console_in.pos = 0;
  g_console_in.last = std::string::npos;
  g_console_in.replay = false;
  g_console_in.record_number = 0;
  g_console_in.text = source ? std::string_view(*source) : std::string_view();
}

}  // namespace records
