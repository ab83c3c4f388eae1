#include "compare/combine.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/files.h"
#include "records/input.h"
#include "records/output.h"

namespace compare {
namespace {

constexpr int kObservedUnit = 87;
constexpr int kInterpolatedUnit = 88;

constexpr std::size_t kMaxRows = 5000;
constexpr std::size_t kPeriods = catalogue::kPeriods;
using catalogue::kMissingSpi;

static const records::Layout kCombinedRecord{"I4,',',I2,',',14(F7.2,',')"};

using SpiSet = std::array<float, kPeriods>;

struct Row {
  int year = 0;
  int month = 0;
  SpiSet observed;
  SpiSet interpolated;
};

// Reads year, month and seven SPI values per record into the rows, from row
// 0 on, until the end of the file, the first record that cannot be read or
// kMaxRows rows; returns the number of records read. The year and month go to
// the row only from the file read last (the interpolated one).
std::size_t read_results(int unit, std::vector<Row>& rows, bool interpolated) {
  std::size_t count = 0;
  while (count < kMaxRows) {
    int year = 0, month = 0;
    SpiSet spi{};
    if (records::read_list(unit, {year, month, std::span<float>(spi)}) != records::ReadStatus::Ok) {
      break;
    }
    Row& row = rows[count];
    row.year = year;
    row.month = month;
    (interpolated ? row.interpolated : row.observed) = spi;
    ++count;
  }
  return count;
}

}  // namespace

void combine(std::string_view station_id) {
  const std::string observed_name = catalogue::file_name(station_id, catalogue::kSpiResults.suffix);
  records::open(kObservedUnit, observed_name);
  records::open(kInterpolatedUnit,
                catalogue::file_name(station_id, catalogue::kSpiResultsInt.suffix));

  // A row without an observed record shows the observed values as missing.
  Row blank;
  blank.observed.fill(kMissingSpi);
  blank.interpolated.fill(kMissingSpi);
  std::vector<Row> rows(kMaxRows, blank);
  read_results(kObservedUnit, rows, false);
  const std::size_t count = read_results(kInterpolatedUnit, rows, true);
  records::close(kObservedUnit);
  records::close(kInterpolatedUnit);

  // The observed file is replaced by the combined table, also when the table
  // has no row: a left-over first-form table would be misread as combined.
  records::open(kObservedUnit, observed_name);
  records::start_output(kObservedUnit);
  for (std::size_t r = 0; r < count; ++r) {
    const Row& row = rows[r];
    records::write(kObservedUnit, kCombinedRecord,
                   {row.year, row.month, std::span<const float>(row.observed),
                    std::span<const float>(row.interpolated)});
  }
  records::close(kObservedUnit);
}

}  // namespace compare
