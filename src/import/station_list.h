// The station list (coordinates of every station) and the ID map (output IDs
// of 11-character source IDs), both read whole before any archive, and the
// choice of a station's output ID.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "import/diagnostics.h"
#include "import/import.h"

namespace importer {

// The longest field of a station list line: IDs have 11 characters,
// coordinates fewer than 10.
inline constexpr std::size_t kMaxListField = 64;

// A station's entry in the station list.
struct StationInfo {
  std::string latitude, longitude;  // as in the list
  std::string elevation;            // as in the list; written rounded to a whole number
};
using StationList = std::unordered_map<std::string, StationInfo>;

// Station list: the first four blank-separated fields of a line are ID,
// latitude, longitude and elevation. A line with fewer than four fields, a
// field over kMaxListField characters, a latitude that is not a number in
// -90..90 or a longitude not one in -180..360 is a warning with the list's
// name and line number and is skipped; so is a second line of an ID (the
// first counts). Blank lines are passed over.
void add_station_line(StationList& list, std::string_view name, std::string_view line,
                      std::uint64_t number, Log& log);
// Reads the station list file; false, with the reason in error, when it
// cannot be read.
bool read_station_list(const std::string& path, StationList& list, Log& log, std::string& error);

// How the output IDs of 11-character source IDs are chosen (6-character IDs
// are their own output IDs).
struct OutputIds {
  std::string as_id;                                 // --as: for every long-format station
  bool use_map = false;                              // --ids
  std::unordered_map<std::string, std::string> map;  // source ID -> output ID
};
// Reads an ID map, one "SOURCE-ID ID" pair per line, blank lines allowed.
// False, with the reason in error, when it cannot be read or a line is not
// such a pair or repeats a source ID.
bool read_id_map(const std::string& path, OutputIds& ids, Log& log, std::string& error);

// A decimal number: optional sign, digits, optionally a point and digits.
bool is_decimal(std::string_view s);

// True for a valid output ID: 6 digits.
bool valid_output_id(std::string_view id);
// The output ID of a station; false, with the reason in error, when it has none.
bool output_id(Format format, const std::string& source_id, const OutputIds& ids, std::string& id,
               std::string& error);

}  // namespace importer
