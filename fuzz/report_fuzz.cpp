// Fuzz target of drought-report's readers: the sections of the input become
// the output files of one station (in the order of kFiles below), which the
// station reader, the page, the tidy table and the network reader then take.
// A file the readers cannot use must become a warning or a missing value;
// any crash, hang or sanitizer report is a finding.
#include <array>
#include <cstdint>
#include <string_view>

#include "catalogue/catalogue.h"
#include "harness.h"
#include "report/network.h"
#include "report/page.h"
#include "report/sources.h"
#include "report/tidy.h"

using namespace fuzz;

namespace {

// The files the report reads, one input section each.
const std::array<const catalogue::FileRow*, 18> kFiles{
    &catalogue::kDailyFile,  &catalogue::kObservedTable, &catalogue::kInterpolatedTable,
    &catalogue::kSpiResults, &catalogue::kSpiResultsInt, &catalogue::kSpiStats,
    &catalogue::kPctNorm,    &catalogue::kPctNormInt,    &catalogue::kEdi,
    &catalogue::kEdiInt,     &catalogue::kDeciles,       &catalogue::kDecilesInt,
    &catalogue::kPdsi,       &catalogue::kPalmer,        &catalogue::kSpei,
    &catalogue::kEvents,     &catalogue::kNeeded,        &catalogue::kOptions};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = split(data, size);
  fresh_directory();
  for (std::size_t k = 0; k < kFiles.size() && k < in.sections.size(); ++k)
    write_file(station_file(kFiles[k]->suffix), in.section(k));
  const report::Station station = report::read_station(kStation);
  (void)report::html_page(station, "fuzz");
  (void)report::tidy_table(station);
  const std::array<std::string_view, 1> dirs{"."};
  (void)report::network_page(report::read_network(dirs, "."), "fuzz");
  return 0;
}
