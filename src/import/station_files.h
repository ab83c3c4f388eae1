// One station's records into the text of its two files: the daily file
// "<id>.csv" (records in calendar and element order from the first month with
// a PRCP line, the first of two lines for one element and month) and the
// monthly file "<id>_PRCP.csv" (a total for every month, scaled up or filled
// with the mean of its calendar month where days are missing).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/diagnostics.h"
#include "import/import.h"
#include "import/station_list.h"

namespace importer {

// The header line of every daily file.
extern const std::string_view kDailyHeader;

// What a station's files hold, worked out before they are written.
struct StationPlan {
  std::string prefix;               // "ID,LATITUDE,LONGITUDE,ELEVATION," of every line
  std::vector<std::uint32_t> kept;  // the records written, in calendar and element order
  std::string monthly;              // the whole monthly file
  int first_year = 0, first_month = 0, last_year = 0, last_month = 0;
  int filled_months = 0;  // months filled with the mean of their calendar month
  long dropped_days = 0;  // days dropped by quality flag
};

// Plans the files of a station (records in the order read; files names the
// inputs, for messages) under the output ID. A second line for one element and
// month is a warning in log. False, with the reason in error, when the
// station cannot be written.
bool plan_station(const std::vector<Record>& records, const std::vector<std::string>& files,
                  const std::string& source_id, std::string_view id, const StationInfo& info,
                  int min_days, StationPlan& plan, Log& log, std::string& error);

// Appends the daily-file lines of the kept records [from, to) to out.
void append_daily_lines(const StationPlan& plan, const std::vector<Record>& records,
                        std::size_t from, std::size_t to, std::string& out);

}  // namespace importer
