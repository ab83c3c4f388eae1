// The drought events stage (with --extended, after the other indices).
//
// Reads: <id>-spi-results.csv (combined form: SPI of 3, 6 and 12 months,
// observed and interpolated), <id>-spei.csv (SPEI of 3, 6 and 12 months),
// <id>-palmer.csv (PDSI), <id>-EDI.csv and <id>-EDIint.csv (EDI). A file that
// does not exist gives its series no events.
// Writes: <id>-events.csv, a tidy table of one line per event
//   station,index,period,series,event,start,end,duration,severity,intensity,
//   peak,peak_month,ongoing,ended_by
// ordered by index (spi, spei, pdsi, edi), series (observed, interpolated),
// period and start; LF line ends.
#pragma once

#include <string_view>

#include "catalogue/choices.h"
#include "events/runs.h"

namespace events {

// The thresholds of the SPI-like indices (SPI, SPEI, EDI) and of the Palmer
// index under the run's choices: each unset threshold takes its index's
// default.
Thresholds spi_thresholds(const catalogue::Choices& choices);
Thresholds palmer_thresholds(const catalogue::Choices& choices);

void events(std::string_view station_id, const catalogue::Choices& choices);

}  // namespace events
