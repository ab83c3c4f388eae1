// Records set aside until the end of the run, in one temporary file of the
// output directory that is removed from the directory as soon as it is made
// (so it goes with the process however the run ends). The importer sets
// aside only what a station's files cannot hold yet: the lines before its
// first month with a PRCP line, which become part of the station when a
// later input brings an earlier PRCP line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/import.h"

namespace importer {

// Records that lie one after another in the file.
struct Segment {
  std::uint64_t first = 0, count = 0;  // in records
};

struct RecordSpill {
  std::string dir;  // shown, for messages
  int fd = -1;      // made on the first records set aside
  std::uint64_t written = 0;

  RecordSpill() = default;
  RecordSpill(const RecordSpill&) = delete;
  RecordSpill& operator=(const RecordSpill&) = delete;
  ~RecordSpill();
};

// Appends the records; where they lie goes to segment. False, with the reason
// in error, when the file cannot be made or written.
bool set_aside(RecordSpill& spill, const std::string& dir, const std::vector<Record>& records,
               Segment& segment, std::string& error);
// Appends the records of the segment to records.
bool take_back(const RecordSpill& spill, const Segment& segment, std::vector<Record>& records,
               std::string& error);

}  // namespace importer
