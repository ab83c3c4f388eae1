// The prompt loop and the fixed sequence of stages of a station run.
//
// Reads station IDs from the console (file number 5), runs every stage over
// the station's files in the current directory, and prints the first and the
// last month of the data, until the operator answers "exit".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/years.h"

namespace driver {

// Width of a station ID: the reply is cut or blank-padded to it.
inline constexpr std::size_t kStationIdWidth = 6;

// Runs the prompt loop until the reply "exit". Input/output failures raise
// records::FatalError (end of standard input at the prompt included).
void run(const std::optional<records::YearRange>& reference = std::nullopt);

// Runs the stations given on the command line, in order, as if each had been
// typed at the prompt (cut or padded to 6 characters, an invalid ID refused
// with the same line), without prompts and without reading standard input.
// Returns false when an ID was refused; the other stations still run.
bool run_stations(const std::vector<std::string>& station_ids,
                  const std::optional<records::YearRange>& reference = std::nullopt);

// Whether the station ID can prefix file names in the current directory: it
// must not contain '/', '\' or a NUL byte.
bool valid_station_id(std::string_view station_id);

// One station run: every stage, in order, for the 6-character station ID.
// Prints the data span lines at its end.
// With a reference period, the SPI fits, monthly normals and decile pool use
// the part of it that lies in the station's data years.
void station_run(std::string_view station_id,
                 const std::optional<records::YearRange>& reference = std::nullopt);

}  // namespace driver
