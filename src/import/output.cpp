#include "import/output.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <unordered_map>
#include <vector>

#include "import/interrupt.h"
#include "import/station_files.h"

namespace importer {

namespace {

constexpr std::size_t kDailyBlock = 4096;  // daily-file lines written at a time: about 0.6 MB
constexpr std::string_view kInterrupted = "interrupted";

// A file written under a temporary name beside its target; the temporary file
// is removed unless it was put in place (temp cleared).
struct PendingFile {
  std::string temp, target;
  int fd = -1;

  PendingFile() = default;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile() {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
  }
};

std::string cannot_write(const std::string& name) {
  return "cannot write " + shown(name) + ": " + std::strerror(errno);
}

bool create_pending(const std::string& dir, std::string target, PendingFile& file,
                    std::string& error) {
  std::string pattern = (std::filesystem::path(dir) / ".drought-import.XXXXXX").string();
  file.fd = mkstemp(pattern.data());
  if (file.fd < 0) {
    error = "cannot create a file in " + shown(dir) + ": " + std::strerror(errno);
    return false;
  }
  file.temp = std::move(pattern);
  file.target = std::move(target);
  return true;
}

bool write_text(PendingFile& file, std::string_view text, std::string& error) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(file.fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      error = cannot_write(file.target);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Gives the file the permissions of a file created by name, and closes it.
bool close_pending(PendingFile& file, std::string& error) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const bool ok = ::fchmod(file.fd, 0666 & ~mask) == 0 && ::close(file.fd) == 0;
  file.fd = -1;
  if (!ok) error = cannot_write(file.target);
  return ok;
}

// After the daily file was put in place: the old one back (kept aside in old,
// or none when old.temp is empty).
void put_back(PendingFile& old, const std::string& daily, std::string& error) {
  if (old.temp.empty()) {
    ::unlink(daily.c_str());
  } else if (::rename(old.temp.c_str(), daily.c_str()) == 0) {
    old.temp.clear();
  } else {
    error += "; the old " + shown(daily) + " is kept as " + shown(old.temp);
    old.temp.clear();
  }
}

// Puts both files in place, or neither: the old daily file is kept aside
// until the monthly file is in place. A signal taken between the two counts
// as a failure ("interrupted").
bool put_in_place(PendingFile& daily, PendingFile& monthly, std::string& error) {
  PendingFile old;  // a name no other file has: the unique temporary name, extended
  old.temp = daily.temp + ".old";
  if (::rename(daily.target.c_str(), old.temp.c_str()) != 0) {
    if (errno != ENOENT) {
      error = cannot_write(daily.target);
      return false;
    }
    old.temp.clear();
  }
  if (::rename(daily.temp.c_str(), daily.target.c_str()) != 0) {
    error = cannot_write(daily.target);
    if (!old.temp.empty() && ::rename(old.temp.c_str(), daily.target.c_str()) == 0)
      old.temp.clear();
    return false;
  }
  daily.temp.clear();
  if (interrupt_signal() != 0) {
    error = kInterrupted;
  } else if (::rename(monthly.temp.c_str(), monthly.target.c_str()) != 0) {
    error = cannot_write(monthly.target);
  } else {
    monthly.temp.clear();
    return true;
  }
  put_back(old, daily.target, error);
  return false;
}

// What a station is built in, kept from one station to the next.
struct Workspace {
  std::vector<Record> records;
  StationPlan plan;
  std::string text;  // daily-file lines not yet written
};

// Writes the planned files of a station beside their targets and puts them in place.
bool write_files(const std::string& dir, std::string_view id, Workspace& w, std::string& error) {
  const std::filesystem::path base(dir);
  PendingFile daily, monthly;
  if (!create_pending(dir, (base / (std::string(id) + ".csv")).string(), daily, error) ||
      !create_pending(dir, (base / (std::string(id) + "_PRCP.csv")).string(), monthly, error))
    return false;
  const std::size_t kept = w.plan.kept.size();
  w.text = kDailyHeader;
  for (std::size_t from = 0; from < kept; from += kDailyBlock) {
    append_daily_lines(w.plan, w.records, from, std::min(kept, from + kDailyBlock), w.text);
    if (!write_text(daily, w.text, error)) return false;
    w.text.clear();
  }
  return write_text(monthly, w.plan.monthly, error) && close_pending(daily, error) &&
         close_pending(monthly, error) && put_in_place(daily, monthly, error);
}

// The output ID of every station, or why it has none; two stations with one
// output ID are both refused.
void choose_ids(const StationStore& store, const OutputIds& choice, std::vector<std::string>& ids,
                std::vector<std::string>& errors) {
  ids.assign(store.stations.size(), {});
  errors.assign(store.stations.size(), {});
  std::unordered_map<std::string, std::size_t> owner;
  for (std::size_t s = 0; s < store.stations.size(); ++s) {
    const StoredStation& station = store.stations[s];
    if (!output_id(station.format, station.source_id, choice, ids[s], errors[s])) continue;
    const auto [it, added] = owner.try_emplace(ids[s], s);
    if (added) continue;
    const std::string both = "stations " + shown(store.stations[it->second].source_id) + " and " +
                             shown(station.source_id) + " both map to output ID " + ids[s];
    errors[it->second] = both;
    errors[s] = both;
  }
}

std::string summary(const std::string& source_id, const std::string& id, const StationPlan& plan) {
  char span[64];
  std::snprintf(span, sizeof span, "%04d-%02d to %04d-%02d", plan.first_year, plan.first_month,
                plan.last_year, plan.last_month);
  return shown(source_id) + " -> " + id + ": " + span + ", " + std::to_string(plan.filled_months) +
         " months filled, " + std::to_string(plan.dropped_days) + " days dropped by quality flag";
}

// Builds and writes station s. False, with the reason in error, when it is
// not written; fatal set when no later station can be written either.
bool write_station(const StationStore& store, std::size_t s, const std::string& id,
                   const Settings& settings, Workspace& w, Log& log, std::string& error,
                   std::string& fatal) {
  const StoredStation& station = store.stations[s];
  const auto info = settings.stations.find(station.source_id);
  if (info == settings.stations.end()) {
    error = "not in the station list";
    return false;
  }
  if (!load_station(store, s, w.records, fatal)) return false;
  if (!plan_station(w.records, store.files, station.source_id, id, info->second, settings.min_days,
                    w.plan, log, error))
    return false;
  return write_files(settings.out_dir, id, w, error);
}

}  // namespace

WriteResult write_stations(const StationStore& store, const Settings& settings, Log& log) {
  WriteResult result;
  std::vector<std::string> ids, errors;
  choose_ids(store, settings.ids, ids, errors);
  Workspace w;
  for (std::size_t s = 0; s < store.stations.size() && interrupt_signal() == 0; ++s) {
    const std::string& source_id = store.stations[s].source_id;
    std::string& error = errors[s];
    try {
      if (error.empty() && write_station(store, s, ids[s], settings, w, log, error, result.fatal)) {
        add(log, summary(source_id, ids[s], w.plan));
      }
    } catch (const std::bad_alloc&) {
      const auto daily = std::filesystem::path(settings.out_dir) / (ids[s] + ".csv");
      result.fatal = "cannot write " + shown(daily.string()) + ": out of memory";
    }
    if (!result.fatal.empty()) break;
    if (!error.empty() && error != kInterrupted) {
      warn(log, "station " + shown(source_id) + ": " + error + "; not written");
      ++result.failed;
    }
    flush(log);
  }
  return result;
}

}  // namespace importer
