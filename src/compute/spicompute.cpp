#include "compute/spicompute.h"

#include <algorithm>
#include <cstdint>

#include "catalogue/catalogue.h"
#include "compute/spipe3.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"
#include "records/text.h"

namespace compute {

namespace {

constexpr float kSpiFill = catalogue::kMissingSpi;
constexpr float kTableMissing = static_cast<float>(catalogue::kMissingMonth);

const records::Layout kParameterRecord{"I6.6,I3,I3,6F13.8,2I5,F5.3"};
const records::Layout kSpiRecord{"I6.6,I5,12F7.2"};
const records::Layout kProbRecord{"I6.6,I5,12F8.3"};
const records::Layout kAccumRecord{"I6.6,I5,12F9.2"};

// A table integer in hundredths as inches, rounded once to a 4-byte real. The
// quotient is computed in 8 bytes and rounded to 4: for every 4-byte integer
// this is the correctly rounded quotient, since v / 100 is either exact in 8
// bytes (v a multiple of 25) or has a binary expansion repeating with period
// 20, which cannot hold the run of 29 equal bits a double rounding needs.
float hundredths(int v) { return records::round_to_float(static_cast<double>(v) / 100.0); }

// The year of 0-based slot i, computed without overflow.
int year_of(int first_year, int slot) {
  return static_cast<int>(static_cast<std::int64_t>(first_year) + slot / 12);
}

// Rows of one period from the year of its first SPI value to that of its last.
void write_rows(int k, int station, int first_year, const SpiPeriod& r) {
  using catalogue::SpiKind;
  const int spi_unit = catalogue::spi_unit(k, SpiKind::Values);
  const int prob_unit = catalogue::spi_unit(k, SpiKind::Probabilities);
  const int accum_unit = catalogue::spi_unit(k, SpiKind::Sums);
  const auto is_value = [](float v) { return v != kSpiFill; };
  const auto first = std::find_if(r.spi.begin(), r.spi.end(), is_value);
  if (first == r.spi.end()) {
    // No SPI value: no rows, but the three files still become this run's
    // outputs, so that none of them keeps an earlier run's records.
    records::start_output(spi_unit);
    records::start_output(prob_unit);
    records::start_output(accum_unit);
    return;
  }
  const int lo = static_cast<int>(first - r.spi.begin());
  const int hi = static_cast<int>(std::find_if(r.spi.rbegin(), r.spi.rend(), is_value).base() -
                                  r.spi.begin()) -
                 1;

  std::array<float, 12> spi, prob, accum;
  spi.fill(kSpiFill);
  prob.fill(kSpiFill);
  accum.fill(kSpiFill);
  for (int i = lo; i <= hi; ++i) {
    const std::size_t slot = static_cast<std::size_t>(i);
    const std::size_t month = slot % 12;
    spi[month] = r.spi[slot];
    prob[month] = r.prob[slot];
    accum[month] = r.accum[slot];
    if (month == 11 || i == hi) {
      const int year = year_of(first_year, i);
      records::write(spi_unit, kSpiRecord, {station, year, std::span<const float>(spi)});
      records::write(prob_unit, kProbRecord, {station, year, std::span<const float>(prob)});
      records::write(accum_unit, kAccumRecord, {station, year, std::span<const float>(accum)});
      spi.fill(kSpiFill);
      prob.fill(kSpiFill);
      accum.fill(kSpiFill);
    }
  }
}

}  // namespace

void read(std::span<float> series, int unit, float fill, float missing, int first_year, int nyears,
          int& station, int& end_flag) {
  nyears = std::clamp(nyears, 0, static_cast<int>(series.size() / 12));
  end_flag = 0;
  std::fill_n(series.begin(), 12 * nyears, fill);
  station = 0;

  const int int_missing = records::trunc_to_int(static_cast<double>(missing));
  int rec_station = 0, year = 0;
  std::array<int, 12> ivals;
  ivals.fill(int_missing);
  for (;;) {
    const records::ReadStatus status =
        records::read_list(unit, {rec_station, year, std::span<int>(ivals)});
    if (status == records::ReadStatus::End) {
      end_flag = 1;
      return;
    }
    if (status == records::ReadStatus::Bad)
      records::fatal("read", records::attached_name(unit),
                     "a table record that cannot be read as station number, year and 12 months");
    if (station != 0 && station != rec_station) {
      records::step_back(unit);
      return;
    }
    const std::int64_t j = static_cast<std::int64_t>(year) - first_year;
    if (j >= 0 && j < nyears) {
      for (std::size_t m = 0; m < 12; ++m) {
        const std::size_t slot = static_cast<std::size_t>(12 * j) + m;
        if (ivals[m] != int_missing) series[slot] = hundredths(ivals[m]);
      }
    }
    station = rec_station;
  }
}

FitSlots fit_slots(int first_year, const catalogue::YearRange& reference) {
  // Slots of the reference years, clamped to the series; 64-bit so that no
  // year can overflow. An empty range (first > last) fits nothing.
  const auto slot_of = [first_year](int year) {
    return std::clamp<std::int64_t>(12 * (std::int64_t{year} - first_year), -12, kSpiSlots);
  };
  return FitSlots{static_cast<int>(slot_of(reference.first)),
                  static_cast<int>(slot_of(reference.last) + 11)};
}

void spicompute(std::string_view file_arg, int first_year, const catalogue::Choices& choices,
                const catalogue::YearRange& reference) {
  const FitSlots fit = fit_slots(first_year, reference);
  records::open(kTableUnit, catalogue::trim_name(file_arg), records::Presence::MustExist);
  std::array<float, kSpiSlots> series;
  SpiPeriod result;
  int end_flag = 0;
  while (end_flag != 1) {
    int station = 0;
    read(series, kTableUnit, kSpiFill, kTableMissing, first_year, kSpiYears, station, end_flag);
    for (int k = 1; k <= catalogue::kPeriods; ++k) {
      const int nrun = catalogue::kPeriodMonths[static_cast<std::size_t>(k - 1)];
      spipe3(nrun, series, kSpiFill, kSpiYears, result, fit, choices);
      for (int m = 0; m < 12; ++m) {
        const std::size_t c = static_cast<std::size_t>(m);
        const auto& l = result.lmom[c];
        const auto& p = result.para[c];
        records::write(catalogue::spi_unit(k, catalogue::SpiKind::Parameters), kParameterRecord,
                       {station, nrun, m + 1, l[0], l[1], l[2], p[0], p[1], p[2], result.count[c],
                        result.positive[c], result.pzero[c]});
      }
      write_rows(k, station, first_year, result);
    }
  }
}

}  // namespace compute
