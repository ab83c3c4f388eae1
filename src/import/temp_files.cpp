#include "import/temp_files.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "import/diagnostics.h"
#include "import/interrupt.h"

namespace importer {

namespace {

constexpr std::string_view kTempPrefix = ".drought-import.";

std::string cannot_write(const std::string& name) {
  return "cannot write " + shown(name) + ": " + std::strerror(errno);
}

// After the daily file was put in place: the old one back (kept aside under
// old, or none when old is empty).
void put_back(std::string& old, const std::string& daily, std::string& error) {
  if (old.empty()) {
    ::unlink(daily.c_str());
  } else if (::rename(old.c_str(), daily.c_str()) != 0) {
    error += "; the old " + shown(daily) + " is kept as " + shown(old);
  }
}

}  // namespace

TempFile::~TempFile() {
  if (fd >= 0) ::close(fd);
  if (!path.empty()) ::unlink(path.c_str());
}

bool create_temp(const std::string& dir, TempFile& file, std::string& error) {
  std::string pattern = temp_path(dir, {'X', 'X', 'X', 'X', 'X', 'X'});
  file.fd = mkstemp(pattern.data());
  if (file.fd < 0) {
    error = "cannot create a file in " + shown(dir) + ": " + std::strerror(errno);
    return false;
  }
  file.path = std::move(pattern);
  return true;
}

bool write_temp(TempFile& file, std::string_view text, const std::string& target,
                std::string& error) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(file.fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      error = cannot_write(target);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool keep_temp(TempFile& file, const std::string& target, TempName& name, std::string& error) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const bool closed = ::fchmod(file.fd, 0666 & ~mask) == 0 && ::close(file.fd) == 0;
  file.fd = -1;
  if (!closed) {
    error = cannot_write(target);
    return false;
  }
  std::copy(file.path.end() - name.size(), file.path.end(), name.begin());
  file.path.clear();
  return true;
}

std::string temp_path(const std::string& dir, const TempName& name) {
  std::string file(kTempPrefix);
  file.append(name.data(), name.size());
  return (std::filesystem::path(dir) / file).string();
}

void remove_temp(const std::string& dir, TempName& name) {
  if (name == kNoTemp) return;
  ::unlink(temp_path(dir, name).c_str());
  name = kNoTemp;
}

std::string daily_path(const std::string& dir, const std::string& id) {
  return (std::filesystem::path(dir) / (id + ".csv")).string();
}
std::string monthly_path(const std::string& dir, const std::string& id) {
  return (std::filesystem::path(dir) / (id + "_PRCP.csv")).string();
}

bool put_pair_in_place(const std::string& dir, TempName& daily, TempName& monthly,
                       const std::string& id, std::string& error) {
  const std::string daily_target = daily_path(dir, id), monthly_target = monthly_path(dir, id);
  const std::string daily_temp = temp_path(dir, daily);
  // The old daily file aside under a name no other file has: the unique temporary name, extended.
  std::string old = daily_temp + ".old";
  if (::rename(daily_target.c_str(), old.c_str()) != 0) {
    if (errno != ENOENT) {
      error = cannot_write(daily_target);
      return false;
    }
    old.clear();
  }
  if (::rename(daily_temp.c_str(), daily_target.c_str()) != 0) {
    error = cannot_write(daily_target);
    if (!old.empty()) ::rename(old.c_str(), daily_target.c_str());
    return false;
  }
  daily = kNoTemp;
  if (interrupt_signal() != 0) {
    error = kInterrupted;
  } else if (::rename(temp_path(dir, monthly).c_str(), monthly_target.c_str()) != 0) {
    error = cannot_write(monthly_target);
  } else {
    monthly = kNoTemp;
    if (!old.empty()) ::unlink(old.c_str());
    return true;
  }
  put_back(old, daily_target, error);
  return false;
}

}  // namespace importer
