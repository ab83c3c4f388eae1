// The station page <id>-report.html: one self-contained XHTML page with inline
// SVG and CSS (no script, no fonts, no network) that draws the station's
// indices: the SPI heat maps of both series, the comparison statistics, the
// Palmer X and Z, the EDI, the deciles and the percent of normal, each on a
// time axis shared by the whole page. Missing values are gaps (grey cells in
// the grids), never numbers.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "report/sources.h"

namespace report {

// Drought classes of the SPI (and of the EDI bands): 0 extremely dry (<= -2),
// 1 severely dry (<= -1.5), 2 moderately dry (<= -1), 3 near normal (< 1),
// 4 moderately wet (< 1.5), 5 severely wet (< 2), 6 extremely wet (>= 2).
inline constexpr int kSpiClasses = 7;
int spi_class(double value);
inline constexpr std::array<const char*, kSpiClasses> kSpiColours{
    "#8c510a", "#d8b365", "#f6e8c3", "#f5f5f5", "#c7eae5", "#5ab4ac", "#01665e"};
inline constexpr const char* kMissingColour = "#b0b0b0";

// Classes of the Palmer X: 0 extreme drought (<= -4), 1 severe (<= -3),
// 2 moderate (<= -2), 3 mild (<= -1), 4 near normal (< 1), 5 slightly wet
// (< 2), 6 moderately wet (< 3), 7 very wet (< 4), 8 extremely wet (>= 4).
inline constexpr int kPalmerClasses = 9;
int palmer_class(double value);

// The whole page.
std::string html_page(const Station& station, std::string_view version);

}  // namespace report
