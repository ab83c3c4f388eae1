// Archive lines into records: the format of a file is set by its first line
// of a known length, each line of one of the five elements kept becomes a
// record in daily-file units, and a malformed line is a warning with its file
// and line number and is skipped.
#pragma once

#include <string>
#include <string_view>

#include "import/diagnostics.h"
#include "import/station_store.h"

namespace importer {

// Reads one archive file, plain or gzip-compressed, into the store. False,
// with the reason in error, when it cannot be read to its end (then the run
// writes nothing).
bool read_archive_file(StationStore& store, const std::string& path, bool keep_flagged, Log& log,
                       std::string& error);
// The same for archive text in memory, as one file named name.
bool read_archive_text(StationStore& store, const std::string& name, std::string_view text,
                       bool keep_flagged, Log& log, std::string& error);

}  // namespace importer
