#include "report/output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "catalogue/catalogue.h"
#include "report/page.h"
#include "report/sources.h"
#include "report/tidy.h"

namespace report {

namespace {

constexpr mode_t kFileMode = 0666;  // before the umask, as for any new file

// Writes the whole text to the descriptor; false with errno set.
bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

void warn(const std::string& text) {
  const std::string line = "drought-report: " + text + "\n";
  std::fputs(line.c_str(), stderr);
}

bool valid_id_argument(std::string_view arg) {
  for (char ch : arg) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7f) return false;
  }
  return catalogue::valid_station_id(arg);
}

bool write_replacing(const std::string& name, std::string_view text, std::string& cause) {
  const std::string temporary = name + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
  if (fd < 0) {
    cause = std::strerror(errno);
    return false;
  }
  bool ok = write_all(fd, text);
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temporary.c_str(), name.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    cause = std::strerror(err);
  }
  return ok;
}

int report_station(std::string_view id, std::string_view version) {
  if (!valid_id_argument(id)) {
    warn("invalid station ID " + shown(id));
    return kInvalidIdStatus;
  }
  const Station st = read_station(id);
  if (!st.any_file) {
    warn(shown(st.id) +
         ": no output files of this station in the current directory (run drought first)");
    return kFailStatus;
  }
  for (const FileReport& f : st.files)
    if (worth_warning(f)) warn(warning_text(st, f));
  int status = 0;
  const std::pair<std::string, std::string> outputs[] = {
      {station_file(id, "-report.html"), html_page(st, version)},
      {station_file(id, "-indices.csv"), tidy_table(st)}};
  for (const auto& [name, text] : outputs) {
    std::string cause;
    if (!write_replacing(name, text, cause)) {
      warn("write " + shown(name) + ": " + cause);
      status = kFailStatus;
    }
  }
  return status;
}

}  // namespace report
