#include "driver/driver.h"

#include <string>

#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/spicompute.h"
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
void monthly_indices(const std::string& table_arg) {
  indices::percentnormal(table_arg);
  indices::computeedi(table_arg);
  indices::deciles(table_arg);
}

}  // namespace

bool valid_station_id(std::string_view station_id) {
  return station_id.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

void station_run(std::string_view id) {
  const prep::DataSpan span = prep::readit(id);
  prep::spiformat(id);

  compute::spicompute(records::file_arg(id, "-spiformat.csv"), span.first_year);
  close_spi_value_files();
  prep::read_data(records::file_arg(id, "-spi-results.csv"), span.first_year, span.last_year);

  prep::spi_format_interp(id, span);
  compute::spicompute(records::file_arg(id, "-spi-interpolated.csv"), span.first_year);
  close_spi_value_files();
  prep::read_data(records::file_arg(id, "-spi-results-int.csv"), span.first_year, span.last_year);

  compare::combine(id);
  compare::statistics(id);

  monthly_indices(records::file_arg(id, "-spiformat.csv"));
  monthly_indices(records::file_arg(id, "-spi-interpolated.csv"));

  pdsi::pdsiform(id);
  pdsi::pdi_vers1(id);

  records::write_list(kConsoleOut, {"Data begins in", span.first_month, "/", span.first_year});
  records::write_list(kConsoleOut, {"Data ends in  ", span.last_month, "/", span.last_year});
  records::write_list(kConsoleOut);
}

void run() {
  // The reply keeps its previous value when the operator answers with a
  // slash or a null value only, as every list-directed read does.
  std::string reply(kStationIdWidth, ' ');
  for (;;) {
    records::write_list(kConsoleOut, {"Enter 6-digit station ID or exit: "});
    switch (records::read_list(kConsoleIn, {records::Target::text(reply, kStationIdWidth)})) {
      case records::ReadStatus::Ok:
        break;
      case records::ReadStatus::End:
        records::fatal("read", "standard input", "end of file");
      case records::ReadStatus::Bad:
        records::fatal("read", "standard input", "bad value");
    }
    if (records::text_equal(reply, "exit")) return;
    if (!valid_station_id(reply)) {
      records::write_list(kConsoleOut, {"Invalid station ID: ", reply});
      continue;
    }
    station_run(reply);
  }
}

}  // namespace driver
