// The fields and lines of the stage's tidy tables <id>-events.csv and
// <id>-needed.csv: comma-separated, a header line, LF line ends (as the
// companion's <id>-indices.csv), numbers without padding, an empty field for
// a value that does not exist.
#pragma once

#include <string>
#include <string_view>

#include "events/monthly_file.h"

namespace events {

// A real with the given decimals (1 to 3), rounded from its exact value.
std::string fixed_text(double value, int decimals);

// A month as YYYY-MM.
std::string month_text(YearMonth month);

// The station column: the ID without trailing blanks, quoted when needed.
std::string station_field(std::string_view station_id);

// Writes one line of a tidy table.
void write_line(int unit, std::string_view line);

}  // namespace events
