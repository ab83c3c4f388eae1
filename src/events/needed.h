// The precipitation needed to end the current drought (with --extended, after
// the events).
//
// Reads: the monthly tables <id>-spiformat.csv and <id>-spi-interpolated.csv
// (hundredths of an inch, -9999 missing) and <id>-spi-results.csv (combined
// form) for the SPI at the last month T of each table with a value.
// Writes: <id>-needed.csv, a tidy table with the header
//   station,series,period,horizon,target,month,inches,mm,percent_of_normal,
//   probability
// and, for each series (observed, interpolated) and period n of 3, 6 and 12
// months whose SPI at T is at or below the event start, one line per horizon
// h of 1, 2, 3 and 6 months (h <= n) and target SPI of -1 and 0: the total
// precipitation R of months T+1 .. T+h that brings the SPI of n months at T+h
// to the target, the inverse of the n-month distribution the SPI run fits for
// that calendar month less the known months T+h-n+1 .. T. LF line ends.
#pragma once

#include <string_view>

#include "catalogue/choices.h"
#include "catalogue/years.h"

namespace events {

// reference: the years the SPI run fitted (as the driver hands it).
void needed(std::string_view station_id, const catalogue::Choices& choices,
            const catalogue::YearRange& reference);

}  // namespace events
