#include "driver/driver.h"

#include <cstdio>
#include <string>

#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/spicompute.h"
#include "driver/reference.h"
#include "driver/session.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/percentnormal.h"
#include "pdsi/pdi_vers1.h"
#include "pdsi/pdsiform.h"
#include "prep/read_data.h"
#include "prep/readit.h"
#include "prep/spi_format_interp.h"
#include "prep/spiformat.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/output.h"
#include "records/text.h"
#include "records/warnings.h"

namespace driver {
namespace {

using records::kConsoleIn;
using records::kConsoleOut;

// The SPI run leaves the value file of every accumulation period open on
// number 10 * period + 2; they are closed so that they are complete on disk
// before the results reader opens them by name.
constexpr int kSpiPeriods = 7;

void close_spi_value_files() {
  for (int period = 1; period <= kSpiPeriods; ++period) records::close(10 * period + 2);
}

// The three monthly indices over one monthly precipitation table.
void monthly_indices(const std::string& table_arg, const records::YearRange& reference) {
  indices::percentnormal(table_arg, reference);
  indices::computeedi(table_arg);
  indices::deciles(table_arg, reference);
}

// One SPI run over a monthly table, then the results reader over its value
// files, each followed by a safe point.
void spi_run(std::string_view id, const char* table, const char* results,
             const prep::DataSpan& span, const records::YearRange& reference) {
  compute::spicompute(records::file_arg(id, table), span.first_year, reference);
  close_spi_value_files();
  session::safe_point();
  prep::read_data(records::file_arg(id, results), span.first_year, span.last_year);
  session::safe_point();
}

}  // namespace

bool valid_station_id(std::string_view station_id) {
  return station_id.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

void station_run(std::string_view id, const std::optional<records::YearRange>& requested) {
  // A signal stops the run at the next safe point: between two stages.
  using session::safe_point;
  records::forget_warnings();
  const prep::DataSpan span = prep::readit(id);
  const records::YearRange reference =
      reference_years(requested, id, span.first_year, span.last_year);
  safe_point();
  prep::spiformat(id);
  safe_point();

  spi_run(id, "-spiformat.csv", "-spi-results.csv", span, reference);
  prep::spi_format_interp(id, span);
  safe_point();
  spi_run(id, "-spi-interpolated.csv", "-spi-results-int.csv", span, reference);

  compare::combine(id);
  safe_point();
  compare::statistics(id);
  safe_point();

  monthly_indices(records::file_arg(id, "-spiformat.csv"), reference);
  safe_point();
  monthly_indices(records::file_arg(id, "-spi-interpolated.csv"), reference);
  safe_point();

  pdsi::pdsiform(id);
  safe_point();
  pdsi::pdi_vers1(id);

  records::write_list(kConsoleOut, {"Data begins in", span.first_month, "/", span.first_year});
  records::write_list(kConsoleOut, {"Data ends in  ", span.last_month, "/", span.last_year});
  records::write_list(kConsoleOut);
  // Every file of the run, the collecting files included, complete on disk
  // before the next prompt: a write failure shows up in the station causing it.
  records::flush_all();
}

void run(const std::optional<records::YearRange>& reference) {
  // The reply keeps its previous value when the operator answers with a
  // slash or a null value only, as every list-directed read does.
  std::string reply(kStationIdWidth, ' ');
  for (;;) {
    session::safe_point();
    records::write_list(kConsoleOut, {"Enter 6-digit station ID or exit: "});
    switch (records::read_list(kConsoleIn, {records::Target::text(reply, kStationIdWidth)})) {
      case records::ReadStatus::Ok:
        break;
      case records::ReadStatus::End:
        session::safe_point();  // the signal may have come with the end of input
        records::fatal("read", "standard input", "end of file");
      case records::ReadStatus::Bad:
        records::fatal("read", "standard input", "bad value");
    }
    if (records::text_equal(reply, "exit")) return;
    if (!valid_station_id(reply)) {
      records::write_list(kConsoleOut, {"Invalid station ID: ", reply});
      continue;
    }
    station_run(reply, reference);
  }
}

bool run_stations(const std::vector<std::string>& station_ids,
                  const std::optional<records::YearRange>& reference) {
  bool all_valid = true;
  for (const std::string& arg : station_ids) {
    session::safe_point();
    const std::string id = records::fit(arg, kStationIdWidth);
    if (!valid_station_id(id)) {
      records::write_list(kConsoleOut, {"Invalid station ID: ", id});
      // Also on standard error, so that quiet mode does not hide it.
      const std::string line = "drought: invalid station ID " + arg + "\r\n";
      std::fputs(line.c_str(), stderr);
      all_valid = false;
      continue;
    }
    station_run(id, reference);
  }
  return all_valid;
}

}  // namespace driver
