// The prompt loop and the fixed sequence of stages of a station run.
//
// Reads station IDs from the console (file number 5), runs every stage over
// the station's files in the current directory, and prints the first and the
// last month of the data, until the operator answers "exit".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/choices.h"

namespace driver {

// Runs the prompt loop until the reply "exit". Input/output failures raise
// records::FatalError (end of standard input at the prompt included).
void run(const catalogue::Choices& choices = {});

// Runs the stations given on the command line, in order, as if each had been
// typed at the prompt (cut or padded to 6 characters, an invalid ID refused
// with the same line), without prompts and without reading standard input.
// Returns false when an ID was refused; the other stations still run.
bool run_stations(const std::vector<std::string>& station_ids,
                  const catalogue::Choices& choices = {});

// One station run: every stage, in order, for the 6-character station ID.
// Prints the data span lines at its end.
// With a reference period, the SPI fits, monthly normals and decile pool use
// the part of it that lies in the station's data years; with --extended the
// extended indices follow the Palmer index.
void station_run(std::string_view station_id, const catalogue::Choices& choices = {});

}  // namespace driver
