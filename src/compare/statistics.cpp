#include "compare/statistics.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"

namespace compare {
namespace {

struct Pair {
  float observed;
  float interpolated;
};

constexpr int kCombinedUnit = 89, kStatsUnit = 90;

constexpr int kMaxRecords = 5000;
// The SPI periods compared.
constexpr std::size_t kPeriods = catalogue::kPeriods;
using catalogue::kMissingSpi;
// A difference counted as large (the last column of the statistics).
constexpr double kLargeDifference = 0.5;

using records::round_to_float;

// A 4-byte running sum: each term is formed in double from 4-byte operands,
// added in double and the sum rounded back to 4 bytes.
struct FloatSum {
  float value = 0.0f;
  void add(double term) { value = round_to_float(double(value) + term); }
};

struct Figures {
  float rmean, imean, r2, rmse, mae, dmse, dmae, e, rmsd, mbe, maxdi;
  int large;
};

// The twelve figures of one period. A period with few or no pairs is computed
// as IEEE arithmetic gives (not-a-number, infinities), with no special case.
Figures compute(const std::vector<Pair>& pairs) {
  const double n = double(pairs.size());
  Figures f{};

  FloatSum sum_o, sum_i;
  for (const Pair& p : pairs) {
    sum_o.add(p.observed);
    sum_i.add(p.interpolated);
  }
  f.rmean = round_to_float(double(sum_o.value) / n);
  f.imean = round_to_float(double(sum_i.value) / n);
  const double o_mean = f.rmean;
  const double i_mean = f.imean;

  FloatSum sxx, syy, sxy, squared, absolute, agreement, bias;
  float maxdi = -std::numeric_limits<float>::max();
  int large = 0;
  for (const Pair& p : pairs) {
    const double o = p.observed;
    const double i = p.interpolated;
    sxx.add((o - o_mean) * (o - o_mean));
    syy.add((i - i_mean) * (i - i_mean));
    sxy.add((i - i_mean) * (o - o_mean));
    squared.add((o - i) * (o - i));
    absolute.add(std::fabs(o - i));
    const double a = std::fabs(i - o_mean) + std::fabs(o - o_mean);
    agreement.add(a * a);
    bias.add(i - o);
    if (std::fabs(o - i) > maxdi) maxdi = round_to_float(std::fabs(o - i));
    if (std::fabs(o - i) > kLargeDifference) ++large;
  }

  const float root = round_to_float(std::sqrt(double(syy.value) * double(sxx.value)));
  const float r = round_to_float(double(sxy.value) / double(root));
  f.r2 = round_to_float(double(r) * double(r));
  f.rmse = round_to_float(std::sqrt(double(squared.value) / (n - 2.0)));
  f.mae = round_to_float(double(absolute.value) / (n - 2.0));
  f.dmse = round_to_float(1.0 - double(squared.value) / double(agreement.value));
  f.dmae = round_to_float(1.0 - double(f.mae) * n / double(agreement.value));
  f.e = round_to_float(1.0 - double(squared.value) / double(sxx.value));
  f.rmsd = round_to_float(std::sqrt(double(squared.value) / n));
  f.mbe = round_to_float(double(bias.value) / n);
  f.maxdi = maxdi;
  f.large = large;
  return f;
}

}  // namespace

void statistics(std::string_view station_id) {
  static const records::Layout kStatsRecord{"11(F10.2,','),I4"};
  static const records::Layout kHeader{"'rmean,imean,r2,RMSE,MAE,DMSE,DMAE,E,RMSD,MBE,MAXdi,>0.5'"};
  records::open(kCombinedUnit, catalogue::file_name(station_id, catalogue::kSpiResults.suffix));

  // One list of (observed, interpolated) pairs per period; a month whose value
  // of the period is missing in either series is left out of that period only.
  std::array<std::vector<Pair>, kPeriods> pairs;
  for (int count = 0; count < kMaxRecords; ++count) {
    int year = 0, month = 0;
    std::array<float, 2 * kPeriods> spi{};
    if (records::read_list(kCombinedUnit, {year, month, std::span<float>(spi)}) !=
        records::ReadStatus::Ok) {
      break;
    }
    for (std::size_t k = 0; k < kPeriods; ++k) {
      const float o = spi[k];
      const float i = spi[kPeriods + k];
      if (o != kMissingSpi && i != kMissingSpi) pairs[k].push_back(Pair{o, i});
    }
  }
  records::close(kCombinedUnit);

  records::open(kStatsUnit, catalogue::file_name(station_id, catalogue::kSpiStats.suffix));
  records::write(kStatsUnit, kHeader);
  for (const auto& period : pairs) {
    const Figures f = compute(period);
    records::write(kStatsUnit, kStatsRecord,
                   {f.rmean, f.imean, f.r2, f.rmse, f.mae, f.dmse, f.dmae, f.e, f.rmsd, f.mbe,
                    f.maxdi, f.large});
  }
  records::close(kStatsUnit);
}

}  // namespace compare
