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

// What a station's files report in its summary line.
struct StationSummary {
  int first_year = 0, first_month = 0, last_year = 0, last_month = 0;
  int filled_months = 0;  // months filled with the mean of their calendar month
  long dropped_days = 0;  // days dropped by quality flag
};

// What a station's files hold, worked out before they are written.
struct StationPlan {
  std::string prefix;                // "ID,LATITUDE,LONGITUDE,ELEVATION," of every line
  std::vector<std::uint32_t> kept;   // records written, in calendar and element order
  std::vector<std::uint32_t> early;  // records before the first month with a PRCP line
  std::string monthly;               // the whole monthly file
  StationSummary summary;
};

// The prefix of every line of a station's files, the elevation rounded to
// whole metres. False, with the reason in error, when the elevation is not a
// number.
bool station_prefix(std::string_view id, const StationInfo& info, std::string& prefix,
                    std::string& error);

// Plans the files of a station (records in the order read; files names the
// inputs, for messages; plan.prefix set). A second line for one element and
// month is a warning in log, and the first read counts. kept and early are
// set in any case; false, with the reason in error, when the station has no
// monthly file (no PRCP line, or a month to fill without a complete month of
// its calendar month).
bool plan_station(const std::vector<Record>& records, const std::vector<std::string>& files,
                  const std::string& source_id, int min_days, StationPlan& plan, Log& log,
                  std::string& error);

// Appends the daily-file lines of the kept records [from, to) to out.
void append_daily_lines(const StationPlan& plan, const std::vector<Record>& records,
                        std::size_t from, std::size_t to, std::string& out);

// Appends the records of a daily file written by append_daily_lines (after
// kDailyHeader) to records, without their input lines and dropped days.
// False, with the reason in error, when it cannot be read.
bool read_daily_back(const std::string& path, std::vector<Record>& records, std::string& error);

}  // namespace importer
