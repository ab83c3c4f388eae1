// Archive lines into records: the format of a file is set by its first line
// of a known length, each line of one of the five elements kept becomes a
// record in daily-file units, and a malformed line is a warning with its file
// and line number and is skipped.
#pragma once

#include <string>
#include <string_view>

#include "import/station_runs.h"

namespace importer {

// Reads one archive file, plain or gzip-compressed, into the stations of the
// run. False, with the reason in error, when it cannot be read to its end
// (then the run writes nothing).
bool read_archive_file(Importer& im, const std::string& path, std::string& error);

}  // namespace importer
