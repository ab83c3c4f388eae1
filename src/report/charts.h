// The chart families of the station page, each a section body of figures
// with their legends and notes, drawn on the time axis the page shares.
#pragma once

#include <string>

#include "report/sources.h"
#include "report/svg.h"

namespace report {

// The SPI heat maps of both series, the SPEI heat map when the station has
// one, their legend, and a note for each period too long for the record.
std::string heat_maps(const Station& st, const svg::Axis& a);
// Palmer X as columns over Palmer's classes, Z as a line, and PDSI, PHDI and
// PMDI when the station has them.
std::string palmer_charts(const Station& st, const svg::Axis& a);
// The EDI of both series as lines over the class bands.
std::string edi_charts(const Station& st, const svg::Axis& a);
// The deciles of both series as grids of years and calendar months.
std::string decile_charts(const Station& st, const svg::Axis& a);
// Percent of normal of both series on a logarithmic axis around 100 %.
std::string percent_charts(const Station& st, const svg::Axis& a);

// Years of record an SPI period needs before any calendar month can be
// fitted: three sums per calendar month, of non-overlapping windows for
// periods over 12 months.
int years_needed(int period_months);

}  // namespace report
