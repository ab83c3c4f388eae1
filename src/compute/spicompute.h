// The SPI run over one monthly precipitation table.
//
// Reads: the table named by the file-name argument (one record per year:
// station number, year, 12 monthly totals in hundredths of an inch, -9999 for a
// missing month), on file number 10, which it leaves attached.
// Writes, for each accumulation period k = 1..7 (1, 2, 3, 6, 9, 12, 24
// months), through file numbers it never opens by name:
//   10k+1  fitted parameters, 12 records per station block
//   10k+2  SPI values, one record per year
//   10k+3  mixed probabilities, one record per year
//   10k+4  accumulated precipitation, one record per year
// None of them is closed here; the caller decides which files end with the run.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "catalogue/choices.h"
#include "catalogue/years.h"
#include "compute/spipe3.h"

namespace compute {

// The periods are catalogue::kPeriodMonths; the SPI files' fill value and
// missing marker is catalogue::kMissingSpi, a missing month of the table
// catalogue::kMissingMonth.
inline constexpr int kTableUnit = 10;

// choices: the L-moment estimator and the distribution of the fits (the
// reference years of the choices are not used here). reference: the years
// whose sums are fitted (every year by default); the fitted distributions
// transform every year.
void spicompute(std::string_view file_arg, int first_year, const catalogue::Choices& choices,
                const catalogue::YearRange& reference = catalogue::kAllYears);

// The slots of the series (first slot: January of first_year) that lie in the
// reference years.
FitSlots fit_slots(int first_year, const catalogue::YearRange& reference);

// Reads one station block (consecutive records of one station number) from the
// file on `unit` into series (12 * nyears slots, nyears limited by the size of
// series), each slot starting at `fill`: slot 12 * (year - first_year) + month.
// Months equal to `missing` and records whose year has no slot set nothing.
// The first record of the next station is stepped back for the next call.
// Returns the block's station number (0 for an empty block) in `station` and
// sets end_flag to 1 when the file ended, else 0. The table is list-directed
// integer hundredths, the only form the SPI run reads; a record that cannot be
// read ends the program.
void read(std::span<float> series, int unit, float fill, float missing, int first_year, int nyears,
          int& station, int& end_flag);

}  // namespace compute
