// The reference period of the fits: the `--reference FIRST-LAST` option.
//
// With a reference period the SPI runs fit each calendar month to the sums of
// the reference years only, and percent of normal and deciles take their
// normals and their pool from those years; every year is still transformed
// and classed. EDI and the Palmer index use every year.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/years.h"

namespace driver {

// "FIRST-LAST" with two years of one to four digits and FIRST <= LAST;
// nothing for any other text.
std::optional<catalogue::YearRange> parse_reference(std::string_view text);

// "FIRST-LAST".
std::string reference_text(const catalogue::YearRange& years);

// The reference years a station run uses: the part of the requested period
// that lies in the station's data years. A period only partly inside them is
// cut to the overlap with a warning on standard error; a period without any
// year inside them ends the run (records::FatalError). Every year when no
// period was requested.
catalogue::YearRange reference_years(const std::optional<catalogue::YearRange>& requested,
                                     std::string_view station_id, int first_year, int last_year);

}  // namespace driver
