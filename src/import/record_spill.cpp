#include "import/record_spill.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <type_traits>

#include "import/diagnostics.h"

namespace importer {

static_assert(std::is_trivially_copyable_v<Record>, "records are set aside as their bytes");

namespace {

std::string cannot(std::string_view what, const RecordSpill& spill) {
  return "cannot " + std::string(what) + " a temporary file in " + spill.dir + ": " +
         std::strerror(errno);
}

bool open_spill(RecordSpill& spill, const std::string& dir, std::string& error) {
  spill.dir = shown(dir);
  std::string name = (std::filesystem::path(dir) / ".drought-import.XXXXXX").string();
  spill.fd = mkstemp(name.data());
  if (spill.fd < 0) {
    error = cannot("create", spill);
    return false;
  }
  ::unlink(name.c_str());
  return true;
}

}  // namespace

RecordSpill::~RecordSpill() {
  if (fd >= 0) ::close(fd);
}

bool set_aside(RecordSpill& spill, const std::string& dir, const std::vector<Record>& records,
               Segment& segment, std::string& error) {
  if (spill.fd < 0 && !open_spill(spill, dir, error)) return false;
  const char* data = reinterpret_cast<const char*>(records.data());
  const std::size_t bytes = records.size() * sizeof(Record);
  for (std::size_t done = 0; done < bytes;) {
    const ssize_t n = ::write(spill.fd, data + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      error = cannot("write", spill);
      // The next records go where these would have.
      ::lseek(spill.fd, static_cast<off_t>(spill.written * sizeof(Record)), SEEK_SET);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  segment = {spill.written, records.size()};
  spill.written += records.size();
  return true;
}

bool take_back(const RecordSpill& spill, const Segment& segment, std::vector<Record>& records,
               std::string& error) {
  const std::size_t start = records.size();
  records.resize(start + segment.count);
  char* to = reinterpret_cast<char*>(records.data() + start);
  std::size_t bytes = segment.count * sizeof(Record);
  auto offset = static_cast<off_t>(segment.first * sizeof(Record));
  while (bytes > 0) {
    const ssize_t n = ::pread(spill.fd, to, bytes, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      error = cannot("read back", spill);
      return false;
    }
    to += n;
    offset += n;
    bytes -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace importer
