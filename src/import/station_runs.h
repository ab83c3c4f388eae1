// The stations of a run, from the first archive line read to their files put
// in place. Archive files hold a station's lines together: when a line of
// another station comes (or the last input ends), the station's lines so far
// are built into its two files under temporary names beside their final
// names, and memory keeps only what the files cannot hold (see
// record_spill.h). Every station is put in place only when every input is
// read (output.h), since a station may come back in a later file: then its
// records are read back from its temporary daily file and merged with the
// new ones, the first read of two lines for one month counting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "import/diagnostics.h"
#include "import/import.h"
#include "import/record_spill.h"
#include "import/station_files.h"
#include "import/station_list.h"
#include "import/temp_files.h"

namespace importer {

// Where and how the station files are made.
struct Settings {
  std::string out_dir = ".";
  StationList stations;
  OutputIds ids;
  int min_days = kDefaultMinDays;
  bool keep_flagged = false;  // keep days with a quality flag
};

// What is known of a station between its first line and its files put in place.
struct StationEntry {
  std::string source_id;
  Format format = Format::kUnknown;
  bool seen = false;                            // a run of its lines has ended
  bool refused = false;                         // error holds a reason its lines do not change
  std::string id;                               // output ID; empty when it has none
  std::string error;                            // why it cannot be written; empty when it can
  TempName daily = kNoTemp, monthly = kNoTemp;  // its files, not yet in place
  Segment early;           // records before its first month with a PRCP line, set aside
  StationSummary summary;  // of its files
};

inline constexpr std::uint32_t kNoStation = UINT32_MAX;

struct Importer {
  Settings settings;
  Log log;
  std::vector<std::string> files;                        // names of the inputs read, for messages
  std::vector<StationEntry> stations;                    // in order of first appearance
  std::unordered_map<std::string, std::uint32_t> index;  // format letter + source ID
  std::uint32_t current = kNoStation;                    // the station of the lines being read
  std::vector<Record> run;                               // its records since its run began
  RecordSpill early;
  std::vector<Record> records;  // a station's records while it is built
  StationPlan plan;
  std::string text;  // daily-file lines not yet written

  Importer() = default;
  Importer(const Importer&) = delete;
  Importer& operator=(const Importer&) = delete;
  ~Importer();  // removes the temporary files not put in place
};

// Adds a record of the station with that format and source ID. False, with
// the reason in error, when the run cannot go on (a temporary file that
// cannot be made or read, memory).
bool add_record(Importer& im, Format format, std::string_view source_id, const Record& record,
                std::string& error);
// Ends the last run: called when every input is read.
bool end_reading(Importer& im, std::string& error);

}  // namespace importer
