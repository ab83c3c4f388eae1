// SPI results reader: joins the SPI value files of one SPI run into one table.
//
// Reads fort.12, fort.22, ..., fort.72 (one record per year: station number,
// year, 12 SPI values), opening them by name on file numbers 92 to 98 and
// closing each when it is read, and writes the file
// named by the file-name argument: one record per month of the span, year,
// month and the SPI of the seven accumulation periods side by side.
#pragma once

#include <string_view>

namespace compute {

// Years of span the results table holds; a longer span writes its first
// kMaxSpanYears years (no monthly table reaches that far).
inline constexpr int kMaxSpanYears = 500;

void read_data(std::string_view file_arg, int first_year, int last_year);

// Ends an SPI run: completes and closes, by name, every SPI engine file that
// restarts with each SPI run (the value files, which read_data then opens by
// name, and the other files of the 1-month period), on whatever number it is
// attached. The next SPI run creates them afresh; the other engine files stay
// open and collect the records of every run.
void close_spi_run_files();

}  // namespace compute
