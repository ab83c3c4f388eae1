// The records of every station of a run, from the first archive line read to
// the station's turn to be written. Archive files hold a station's lines
// together, but a station may come back in a later file, so no station is
// complete before every input is read; its records wait in one temporary
// file in the output directory (removed from the directory at once, so that
// it goes with the process whatever ends it), and memory holds only a write
// buffer and, when a station is written, that station's records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "import/import.h"

namespace importer {

// Records of one station that lie one after another in the store.
struct Segment {
  std::uint64_t first = 0, count = 0;  // in records
};

struct StoredStation {
  std::string source_id;
  Format format = Format::kUnknown;
  std::vector<Segment> segments;  // in the order read
  std::uint64_t records = 0;
};

struct StationStore {
  int fd = -1;                                           // the temporary file
  std::string dir;                                       // its directory, shown, for messages
  std::vector<std::string> files;                        // names of the inputs read, for messages
  std::vector<StoredStation> stations;                   // in order of first appearance
  std::unordered_map<std::string, std::uint32_t> index;  // format letter + source ID
  std::uint32_t current = 0;    // the station of the previous record, tried first
  std::vector<Record> pending;  // records not yet in the file
  std::uint64_t written = 0;    // records in the file

  StationStore() = default;
  StationStore(const StationStore&) = delete;
  StationStore& operator=(const StationStore&) = delete;
  ~StationStore();
};

// Creates the temporary file in dir. False, with the reason in error, when it
// cannot be created.
bool open_store(StationStore& store, const std::string& dir, std::string& error);
// Adds a record of the station with that format and source ID. False, with
// the reason in error, when the file cannot be written.
bool add_record(StationStore& store, Format format, std::string_view source_id,
                const Record& record, std::string& error);
// Writes out what is buffered and frees the buffer: called when every input is read.
bool finish_reading(StationStore& store, std::string& error);
// The records of station s, in the order read.
bool load_station(const StationStore& store, std::size_t s, std::vector<Record>& records,
                  std::string& error);

}  // namespace importer
