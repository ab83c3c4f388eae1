// Archive lines written for the importer's tests and benchmark: the inverse
// of an import, in either format.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "import/import.h"

namespace testing_support {

// Daily-file units back to metric archive units, rounded half away from zero
// like the importer's conversions (so that every daily-file value comes back).
int tenths_mm_from_hundredths_inch(int hundredths_inch);
int mm_from_tenths_inch(int tenths_inch);
int mm_from_inches(int inches);
int tenths_celsius_from_fahrenheit(int fahrenheit);

// Appends one archive line (its format follows from the length of id): values
// in the units of the format, kArchiveMissing for a missing day; quality holds
// the quality flag of each day (blank: none).
void append_archive_line(std::string& out, std::string_view id, int year, int month,
                         importer::Element element, const std::array<int, importer::kDays>& values,
                         std::string_view quality = {});

// The archive lines of a daily file: the short format under the file's
// station numbers, or the long format, in metric units, under long_prefix (5
// characters) followed by the station number.
std::string archive_from_daily(std::string_view daily, importer::Format format,
                               std::string_view long_prefix = "XX000");

}  // namespace testing_support
