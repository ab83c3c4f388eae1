#include "indices/deciles.h"

#include <array>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "indices/heapsort.h"
#include "indices/monthly_table.h"
#include "records/files.h"
#include "records/output.h"
#include "records/text.h"

namespace indices {
namespace {

constexpr int kTableUnit = 86;
constexpr int kDecileUnit = 87;
constexpr int kMaxDecileYears = catalogue::kDecileYears;
constexpr int kMaxPool = 12 * kMaxDecileYears;
constexpr int kMissingCode = catalogue::kMissingDecile;

struct Classes {
  std::array<float, 10> lower{};
  std::array<float, 10> upper{};
};

// Cuts the sorted pool into ten classes of s = c / 10 positions each, the
// tenth running on to the end. A class that would start with the value the
// previous one ends with starts one higher, so the tied value stays below.
// Needs at least 10 values.
Classes cut_classes(std::span<const float> sorted) {
  Classes cls;
  const std::size_t step = sorted.size() / 10;
  std::size_t j = 0;
  for (int k = 0; k < 10; ++k) {
    cls.lower[k] = sorted[j];
    if (k > 0 && cls.lower[k] == cls.upper[k - 1]) cls.lower[k] += 1.0f;
    j += step - 1;
    cls.upper[k] = sorted[j];
    ++j;
  }
  cls.upper[9] = sorted.back();
  return cls;
}

// The highest class whose bounds hold the total. A total outside the pool
// (possible only when the pool holds the reference years alone) is in the
// lowest or the highest class rather than left without a code.
int code_of(const Classes& cls, int total) {
  const float t = static_cast<float>(total);
  if (t < cls.lower[0]) return 1;
  if (t > cls.upper[9]) return 10;
  int code = kMissingCode;
  for (int k = 0; k < 10; ++k)
    if (cls.lower[k] <= t && t <= cls.upper[k]) code = k + 1;
  return code;
}

}  // namespace

void deciles(std::string_view table_arg, const catalogue::YearRange& reference) {
  static const records::Layout kDecileRecord{"I6,',',I4,',',12(I3,',')"};

  const MonthlyTable table = read_monthly_table(table_arg, kTableUnit, kMaxDecileYears);

  std::vector<float> pool;
  pool.reserve(kMaxPool);
  for (int i = 0; i < table.n; ++i) {
    if (!reference.contains(table.year[i])) continue;
    for (int t : table.total[i])
      if (t != kMissingTotal) pool.push_back(static_cast<float>(t));
  }
  heapsort(pool);

  // With fewer than 10 values no class can be formed: every month is -99.
  const bool classified = pool.size() >= 10;
  const Classes cls = classified ? cut_classes(pool) : Classes{};

  records::open(kDecileUnit, output_name(table_arg, catalogue::kDeciles, catalogue::kDecilesInt));
  // An empty table still replaces an earlier run's codes with an empty file.
  records::start_output(kDecileUnit);
  for (int i = 0; i < table.n; ++i) {
    std::array<int, 12> code;
    for (int m = 0; m < 12; ++m) {
      const int t = table.total[i][m];
      code[m] = (classified && t != kMissingTotal) ? code_of(cls, t) : kMissingCode;
    }
    records::write(kDecileUnit, kDecileRecord,
                   {table.station, table.year[i], std::span<const int>(code)});
  }
  records::close(kDecileUnit);
}

}  // namespace indices
