// The station page <id>-report.html: one self-contained XHTML page with inline
// SVG and CSS (no script, no fonts, no network) that answers first how dry the
// station is now (the status panel), then draws the station's indices: the SPI
// (and SPEI) heat maps, the comparison statistics, the Palmer indices, the
// EDI, the deciles and the percent of normal, each on a time axis shared by
// the whole page, and the drought events. Missing values are gaps (grey cells
// in the grids), never numbers.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "report/classes.h"
#include "report/sources.h"

namespace report {

// The time the page names: SOURCE_DATE_EPOCH when it is set to a number of
// seconds, otherwise the newest modification time of the files read.
std::time_t page_time(const Station& station);

// The whole page.
std::string html_page(const Station& station, std::string_view version);

}  // namespace report
