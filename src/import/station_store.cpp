#include "import/station_store.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <type_traits>

#include "import/diagnostics.h"

namespace importer {

static_assert(std::is_trivially_copyable_v<Record>, "records are stored as their bytes");

namespace {

constexpr std::size_t kPendingRecords = 1 << 14;  // records buffered: about 2.3 MB

std::string cannot(std::string_view what, const StationStore& store) {
  return "cannot " + std::string(what) + " a temporary file in " + store.dir + ": " +
         std::strerror(errno);
}

bool write_pending(StationStore& store, std::string& error) {
  const char* data = reinterpret_cast<const char*>(store.pending.data());
  const std::size_t bytes = store.pending.size() * sizeof(Record);
  for (std::size_t done = 0; done < bytes;) {
    const ssize_t n = ::write(store.fd, data + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      error = cannot("write", store);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  store.written += store.pending.size();
  store.pending.clear();
  return true;
}

// The station of a record: the previous record's, or found or added by its key.
std::uint32_t station_of(StationStore& store, Format format, std::string_view source_id) {
  if (store.current < store.stations.size()) {
    const StoredStation& last = store.stations[store.current];
    if (last.format == format && last.source_id == source_id) return store.current;
  }
  std::string key;
  key.reserve(1 + source_id.size());
  key += format == Format::kShort ? 's' : 'l';
  key += source_id;
  const auto [it, added] =
      store.index.try_emplace(std::move(key), static_cast<std::uint32_t>(store.stations.size()));
  if (added) store.stations.push_back({std::string(source_id), format, {}, 0});
  store.current = it->second;
  return it->second;
}

}  // namespace

StationStore::~StationStore() {
  if (fd >= 0) ::close(fd);
}

bool open_store(StationStore& store, const std::string& dir, std::string& error) {
  store.dir = shown(dir);
  std::string name = dir + "/.drought-import.XXXXXX";
  store.fd = mkstemp(name.data());
  if (store.fd < 0) {
    error = cannot("create", store);
    return false;
  }
  ::unlink(name.c_str());
  store.pending.reserve(kPendingRecords);
  return true;
}

bool add_record(StationStore& store, Format format, std::string_view source_id,
                const Record& record, std::string& error) {
  StoredStation& station = store.stations[station_of(store, format, source_id)];
  const std::uint64_t at = store.written + store.pending.size();
  if (!station.segments.empty() &&
      station.segments.back().first + station.segments.back().count == at) {
    ++station.segments.back().count;
  } else {
    station.segments.push_back({at, 1});
  }
  ++station.records;
  store.pending.push_back(record);
  return store.pending.size() < kPendingRecords || write_pending(store, error);
}

bool finish_reading(StationStore& store, std::string& error) {
  if (!write_pending(store, error)) return false;
  std::vector<Record>().swap(store.pending);
  return true;
}

bool load_station(const StationStore& store, std::size_t s, std::vector<Record>& records,
                  std::string& error) {
  const StoredStation& station = store.stations[s];
  records.clear();  // no copy of the previous station's records when the vector grows
  records.resize(station.records);
  char* to = reinterpret_cast<char*>(records.data());
  for (const Segment& segment : station.segments) {
    std::size_t bytes = segment.count * sizeof(Record);
    auto offset = static_cast<off_t>(segment.first * sizeof(Record));
    while (bytes > 0) {
      const ssize_t n = ::pread(store.fd, to, bytes, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        error = "cannot read back a temporary file in " + store.dir + ": " + std::strerror(errno);
        return false;
      }
      to += n;
      offset += n;
      bytes -= static_cast<std::size_t>(n);
    }
  }
  return true;
}

}  // namespace importer
