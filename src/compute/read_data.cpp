#include "compute/read_data.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/files.h"
#include "records/input.h"
#include "records/output.h"

namespace compute {

namespace {

using catalogue::kPeriods;
constexpr int kResultsUnit = 80;
// The value file of period i is read on number kFirstValueUnit + i - 1,
// outside the numbers of the SPI engine: which engine files restart is the
// catalogue's decision alone (see close_spi_run_files).
constexpr int kFirstValueUnit = 92;
// File numbers are 0 to 99.
constexpr int kFileNumbers = 100;

const records::Layout kValueRecord{"I6,1X,I4,12F7.2"};
const records::Layout kResultRecord{"I4,',',I2,',',7(F7.2,','),' '"};

using YearValues = std::array<float, 12>;

// Reads the value file of one period into years[0..n-1]. The file's first
// record tells the year it starts with: years before it stay missing; a file
// starting at or before the span's first year is read from the first year on.
// A year the file does not supply (it ends early, or its record cannot be
// read) stays missing.
void read_value_file(int unit, const std::string& name, int first_year,
                     std::span<YearValues> years) {
  records::open(unit, name, records::Presence::MayBeMissing);
  int station = 0, year = 0;
  YearValues values;
  std::size_t j = 0;
  switch (records::read_columns(unit, kValueRecord, {station, year, std::span<float>(values)})) {
    case records::ReadStatus::End:
      j = years.size();
      break;
    case records::ReadStatus::Ok: {
      records::step_back(unit);
      const std::int64_t lead = std::int64_t{year} - first_year;
      j = static_cast<std::size_t>(
          std::clamp<std::int64_t>(lead, 0, static_cast<std::int64_t>(years.size())));
      break;
    }
    case records::ReadStatus::Bad:
      // The unreadable first record stands for the first year.
      j = 1;
      break;
  }
  for (; j < years.size(); ++j) {
    const records::ReadStatus status =
        records::read_columns(unit, kValueRecord, {station, year, std::span<float>(values)});
    if (status == records::ReadStatus::End) break;
    if (status == records::ReadStatus::Ok) years[j] = values;
  }
  records::close(unit);
}

}  // namespace

void close_spi_run_files() {
  for (const std::string& name : catalogue::spi_run_files())
    for (int unit = 0; unit < kFileNumbers; ++unit)
      if (records::attached_name(unit) == name) records::close(unit);
}

void read_data(std::string_view file_arg, int first_year, int last_year) {
  const std::int64_t span = std::int64_t{last_year} - first_year + 1;
  const std::size_t nyears =
      static_cast<std::size_t>(std::clamp<std::int64_t>(span, 0, kMaxSpanYears));
  YearValues missing_year;
  missing_year.fill(catalogue::kMissingSpi);

  std::array<std::vector<YearValues>, kPeriods> table;
  for (int i = 1; i <= kPeriods; ++i) {
    std::vector<YearValues>& years = table[static_cast<std::size_t>(i - 1)];
    years.assign(nyears, missing_year);
    read_value_file(kFirstValueUnit + i - 1, catalogue::spi_file(i, catalogue::SpiKind::Values),
                    first_year, years);
  }

  records::open(kResultsUnit, catalogue::trim_name(file_arg));
  std::array<float, kPeriods> row;
  for (std::size_t j = 0; j < nyears; ++j) {
    const int year = static_cast<int>(std::int64_t{first_year} + static_cast<std::int64_t>(j));
    for (int month = 1; month <= 12; ++month) {
      for (std::size_t i = 0; i < kPeriods; ++i)
        row[i] = table[i][j][static_cast<std::size_t>(month - 1)];
      records::write(kResultsUnit, kResultRecord, {year, month, std::span<const float>(row)});
    }
  }
  records::close(kResultsUnit);
}

}  // namespace compute
