#include "driver/driver.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "catalogue/catalogue.h"
#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/read_data.h"
#include "compute/spicompute.h"
#include "driver/options.h"
#include "driver/reference.h"
#include "driver/session.h"
#include "events/events.h"
#include "events/needed.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/percentnormal.h"
#include "palmer/palmer.h"
#include "pdsi/pdi_vers1.h"
#include "pdsi/pdsiform.h"
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
#include "spei/spei.h"

namespace driver {
namespace {

using records::kConsoleIn;
using records::kConsoleOut;

// The three monthly indices over one monthly precipitation table.
void monthly_indices(const std::string& table_arg, const catalogue::YearRange& reference) {
  indices::percentnormal(table_arg, reference);
  indices::computeedi(table_arg);
  indices::deciles(table_arg, reference);
}

// One SPI run over a monthly table, then the results reader over its value
// files, each followed by a safe point. The files of the SPI engine that
// restart with every run are closed by name between the two.
void spi_run(std::string_view id, const catalogue::FileRow& table,
             const catalogue::FileRow& results, const prep::DataSpan& span,
             const catalogue::Choices& choices, const catalogue::YearRange& reference) {
  compute::spicompute(catalogue::file_arg(id, table.suffix), span.first_year, choices, reference);
  compute::close_spi_run_files();
  session::safe_point();
  compute::read_data(catalogue::file_arg(id, results.suffix), span.first_year, span.last_year);
  session::safe_point();
}

// Names the options of the run that change values in <id>-options.txt, so
// that a page made from the files says how they were made; a run without such
// options removes the file an earlier run may have left.
void write_options_file(std::string_view id, const catalogue::Choices& choices) {
  constexpr int kOptionsUnit = 91;
  const std::string name = catalogue::file_name(id, catalogue::kOptions.suffix);
  const std::string line = value_options_text(choices);
  if (line.empty()) {
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    return;
  }
  records::open(kOptionsUnit, name);
  records::write(kOptionsUnit, records::Layout{"A"}, {line});
  records::close(kOptionsUnit);
}

// A run without --extended removes the files of the extended indices that an
// earlier run may have left, so that no page shows them beside the new ones.
void remove_extended_files(std::string_view id) {
  std::error_code ignored;
  for (const catalogue::FileRow* row : catalogue::kFiles)
    if (row->extended) std::filesystem::remove(catalogue::file_name(id, row->suffix), ignored);
}

// The indices of --extended, each a stage that reads the files of the
// specified run.
void extended_indices(std::string_view id, const catalogue::Choices& choices,
                      const catalogue::YearRange& reference) {
  palmer::palmer(id);
  session::safe_point();
  spei::spei(id, choices, reference);
  session::safe_point();
  // Events read every index file above; the needed precipitation reads the
  // monthly tables and refits their sums.
  events::events(id, choices);
  events::needed(id, choices, reference);
}

}  // namespace

void station_run(std::string_view id, const catalogue::Choices& choices) {
  // A signal stops the run at the next safe point: between two stages.
  using session::safe_point;
  records::forget_warnings();
  const prep::DataSpan span = prep::readit(id);
  const catalogue::YearRange reference =
      reference_years(choices.reference, id, span.first_year, span.last_year);
  write_options_file(id, choices);
  if (!choices.extended) remove_extended_files(id);
  safe_point();
  prep::spiformat(id);
  safe_point();

  spi_run(id, catalogue::kObservedTable, catalogue::kSpiResults, span, choices, reference);
  prep::spi_format_interp(id, span);
  safe_point();
  spi_run(id, catalogue::kInterpolatedTable, catalogue::kSpiResultsInt, span, choices, reference);

  compare::combine(id);
  safe_point();
  compare::statistics(id);
  safe_point();

  monthly_indices(catalogue::file_arg(id, catalogue::kObservedTable.suffix), reference);
  safe_point();
  monthly_indices(catalogue::file_arg(id, catalogue::kInterpolatedTable.suffix), reference);
  safe_point();

  pdsi::pdsiform(id);
  safe_point();
  pdsi::pdi_vers1(id, choices.extended);
  if (choices.extended) {
    safe_point();
    extended_indices(id, choices, reference);
  }

  records::write_list(kConsoleOut, {"Data begins in", span.first_month, "/", span.first_year});
  records::write_list(kConsoleOut, {"Data ends in  ", span.last_month, "/", span.last_year});
  records::write_list(kConsoleOut);
  // Every file of the run, the collecting files included, complete on disk
  // before the next prompt: a write failure shows up in the station causing it.
  records::flush_all();
}

void run(const catalogue::Choices& choices) {
  // The reply keeps its previous value when the operator answers with a
  // slash or a null value only, as every list-directed read does.
  std::string reply(catalogue::kStationIdWidth, ' ');
  for (;;) {
    session::safe_point();
    records::write_list(kConsoleOut, {"Enter 6-digit station ID or exit: "});
    switch (records::read_list(kConsoleIn,
                               {records::Target::text(reply, catalogue::kStationIdWidth)})) {
      case records::ReadStatus::Ok:
        break;
      case records::ReadStatus::End:
        session::safe_point();  // the signal may have come with the end of input
        records::fatal("read", "standard input", "end of file");
      case records::ReadStatus::Bad:
        records::fatal("read", "standard input", "bad value");
    }
    if (records::text_equal(reply, "exit")) return;
    if (!catalogue::valid_station_id(reply)) {
      records::write_list(kConsoleOut, {"Invalid station ID: ", reply});
      continue;
    }
    station_run(reply, choices);
  }
}

bool run_stations(const std::vector<std::string>& station_ids, const catalogue::Choices& choices) {
  bool all_valid = true;
  for (const std::string& arg : station_ids) {
    session::safe_point();
    const std::string id = catalogue::station_id(arg);
    if (!catalogue::valid_station_id(id)) {
      records::write_list(kConsoleOut, {"Invalid station ID: ", id});
      // Also on standard error, so that quiet mode does not hide it.
      const std::string line = "drought: invalid station ID " + records::shown_name(arg) + "\r\n";
      std::fputs(line.c_str(), stderr);
      all_valid = false;
      continue;
    }
    station_run(id, choices);
  }
  return all_valid;
}

}  // namespace driver
