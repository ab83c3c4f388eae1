#include "import/text_input.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "import/interrupt.h"

namespace importer {

namespace {

constexpr std::size_t kTextChunk = 4 << 20;  // decoded bytes handled at a time
constexpr std::size_t kRawChunk = 1 << 20;   // compressed bytes read at a time
constexpr int kGzipWindow = 16 + MAX_WBITS;  // gzip wrapper, largest window

// The buffers of the files read, made once (an archive may come as thousands
// of small files), one set per file open at a time: a station's daily file is
// read back while an archive file is read.
struct Buffers {
  std::vector<unsigned char> raw = std::vector<unsigned char>(kRawChunk);  // compressed bytes
  std::vector<char> text = std::vector<char>(kTextChunk);                  // decoded text
};
std::vector<std::unique_ptr<Buffers>> g_buffers;
std::size_t g_open = 0;  // files open

// The buffers of the file being opened, until it is closed.
struct BufferSet {
  Buffers& b;
  BufferSet() : b(take()) {}
  ~BufferSet() { --g_open; }
  BufferSet(const BufferSet&) = delete;
  BufferSet& operator=(const BufferSet&) = delete;
  static Buffers& take() {
    if (g_buffers.size() == g_open) g_buffers.push_back(std::make_unique<Buffers>());
    return *g_buffers[g_open++];
  }
};

// The bytes of one open file, decoded when it is gzip-compressed.
struct Source {
  std::string name;  // shown, for messages
  int fd = -1;
  bool gzip = false;
  bool in_member = false;  // inflating a gzip member
  bool raw_end = false;    // the file has no more bytes
  z_stream z{};
  BufferSet buffers;
  std::vector<unsigned char>& raw = buffers.b.raw;
  std::size_t plain_at = 0, plain_end = 0;  // plain file: first bytes not yet handed out

  Source() = default;
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  ~Source() {
    if (gzip) inflateEnd(&z);
    if (fd >= 0) ::close(fd);
  }
};

std::string cannot_read(const Source& in, std::string_view why) {
  return "cannot read " + in.name + ": " + std::string(why);
}

// read(2) that goes on after a signal unless it is one the importer stops for.
long read_some(Source& in, unsigned char* to, std::size_t n, std::string& error) {
  while (interrupt_signal() == 0) {
    const ssize_t got = ::read(in.fd, to, n);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    error = cannot_read(in, std::strerror(errno));
    return -1;
  }
  error = cannot_read(in, "interrupted");
  return -1;
}

// More compressed bytes after the unread ones; false on a read error.
bool refill_raw(Source& in, std::string& error) {
  if (in.raw_end) return true;
  std::memmove(in.raw.data(), in.z.next_in, in.z.avail_in);
  const long got =
      read_some(in, in.raw.data() + in.z.avail_in, in.raw.size() - in.z.avail_in, error);
  if (got < 0) return false;
  if (got == 0) in.raw_end = true;
  in.z.next_in = in.raw.data();
  in.z.avail_in += static_cast<uInt>(got);
  return true;
}

// Opens the file and reads its first bytes to tell a gzip file from plain text.
bool open_source(const std::string& path, Source& in, std::string& error) {
  in.name = shown(path);
  in.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in.fd < 0) {
    error = "cannot open " + in.name + ": " + std::strerror(errno);
    return false;
  }
  in.z.next_in = in.raw.data();
  while (in.z.avail_in < 2 && !in.raw_end)
    if (!refill_raw(in, error)) return false;
  in.gzip = in.z.avail_in >= 2 && in.raw[0] == 0x1f && in.raw[1] == 0x8b;
  if (!in.gzip) {
    in.plain_end = in.z.avail_in;
    return true;
  }
  if (inflateInit2(&in.z, kGzipWindow) != Z_OK) throw std::bad_alloc();
  in.in_member = true;
  return true;
}

// At the end of a gzip member: the next member, or the end of the text (a
// warning when other bytes follow). False on a read error.
bool next_member(Source& in, Log& log, std::string& error) {
  while (in.z.avail_in < 2 && !in.raw_end)
    if (!refill_raw(in, error)) return false;
  if (in.z.avail_in == 0) return true;
  if (in.z.avail_in >= 2 && in.z.next_in[0] == 0x1f && in.z.next_in[1] == 0x8b) {
    inflateReset(&in.z);
    in.in_member = true;
    return true;
  }
  warn(log, in.name + ": data after the end of the compressed data ignored");
  in.z.avail_in = 0;
  in.raw_end = true;
  return true;
}

// Decodes n bytes into to, fewer at the end of the text; -1 on an error.
long inflate_some(Source& in, char* to, std::size_t n, Log& log, std::string& error) {
  in.z.next_out = reinterpret_cast<unsigned char*>(to);
  in.z.avail_out = static_cast<uInt>(n);
  while (in.z.avail_out > 0) {
    if (!in.in_member) {
      if (!next_member(in, log, error)) return -1;
      if (!in.in_member) break;
    }
    if (in.z.avail_in == 0 && !refill_raw(in, error)) return -1;
    const int status = inflate(&in.z, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      in.in_member = false;
    } else if (status == Z_MEM_ERROR) {
      throw std::bad_alloc();
    } else if (status == Z_BUF_ERROR && in.z.avail_in == 0 && in.raw_end) {
      error = cannot_read(in, "unexpected end of file");
      return -1;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      error = cannot_read(in, in.z.msg != nullptr ? in.z.msg : "damaged compressed data");
      return -1;
    }
  }
  return static_cast<long>(n - in.z.avail_out);
}

// Up to n bytes of text; 0 at its end, -1 on an error.
long read_text(Source& in, char* to, std::size_t n, Log& log, std::string& error) {
  if (in.gzip) return inflate_some(in, to, n, log, error);
  if (in.plain_at < in.plain_end) {
    const std::size_t k = std::min(n, in.plain_end - in.plain_at);
    std::memcpy(to, in.raw.data() + in.plain_at, k);
    in.plain_at += k;
    return static_cast<long>(k);
  }
  if (in.raw_end) return 0;
  return read_some(in, reinterpret_cast<unsigned char*>(to), n, error);
}

std::string too_long(std::string_view name, std::uint64_t number) {
  return "cannot read " + std::string(name) + ": line " + std::to_string(number) +
         " is longer than the limit of 1 MiB";
}

// Hands out the whole lines of block (each ended by LF) and, when last is
// set, the rest as a last line. Returns the bytes used; sets stopped when
// on_line asked to stop. False, with error, for a line over the limit.
bool hand_out(std::string_view name, std::string_view block, bool last, std::uint64_t& number,
              const LineFunction& on_line, std::size_t& used, bool& stopped, std::string& error) {
  used = 0;
  while (used < block.size()) {
    const char* start = block.data() + used;
    const void* end = std::memchr(start, '\n', block.size() - used);
    if (end == nullptr && !last) break;
    std::size_t length = end == nullptr
                             ? block.size() - used
                             : static_cast<std::size_t>(static_cast<const char*>(end) - start);
    ++number;
    if (length > kMaxLineBytes) {
      error = too_long(name, number);
      return false;
    }
    used += length + (end != nullptr ? 1 : 0);
    if (length > 0 && start[length - 1] == '\r') --length;
    if (!on_line(std::string_view(start, length), number)) {
      stopped = true;
      return true;
    }
  }
  return true;
}

bool read_all_lines(const std::string& path, const LineFunction& on_line, Log& log,
                    std::string& error) {
  Source in;
  if (!open_source(path, in, error)) return false;
  std::vector<char>& text = in.buffers.b.text;
  std::size_t kept = 0;  // the start of a line not yet ended
  std::uint64_t number = 0;
  while (true) {
    const long got = read_text(in, text.data() + kept, text.size() - kept, log, error);
    if (got < 0) return false;
    if (interrupt_signal() != 0) {
      error = cannot_read(in, "interrupted");
      return false;
    }
    const std::size_t filled = kept + static_cast<std::size_t>(got);
    std::size_t used = 0;
    bool stopped = false;
    if (!hand_out(in.name, std::string_view(text.data(), filled), got == 0, number, on_line, used,
                  stopped, error))
      return false;
    if (stopped || got == 0) return true;
    kept = filled - used;
    if (kept > kMaxLineBytes) {
      error = too_long(in.name, number + 1);
      return false;
    }
    std::memmove(text.data(), text.data() + used, kept);
  }
}

}  // namespace

bool read_lines(const std::string& path, const LineFunction& on_line, Log& log,
                std::string& error) {
  try {
    return read_all_lines(path, on_line, log, error);
  } catch (const std::bad_alloc&) {
    error = "cannot read " + shown(path) + ": out of memory";
    return false;
  }
}

}  // namespace importer
