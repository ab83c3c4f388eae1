#include "indices/percentnormal.h"

#include <array>
#include <span>
#include <string>

#include "catalogue/catalogue.h"
#include "indices/monthly_table.h"
#include "records/files.h"
#include "records/numeric.h"
#include "records/output.h"
#include "records/text.h"

namespace indices {
namespace {

constexpr int kTableUnit = 80;
constexpr int kPercentUnit = 81;
using catalogue::kMissingPercent;

}  // namespace

void percentnormal(std::string_view table_arg, const catalogue::YearRange& reference) {
  static const records::Layout kPercentRecord{"I4,',',12(F6.2,',')"};

  const MonthlyTable table = read_monthly_table(table_arg, kTableUnit, kMaxTableYears);
  const std::array<float, 12> normal = monthly_normals(table, reference);

  records::open(kPercentUnit, output_name(table_arg, catalogue::kPctNorm, catalogue::kPctNormInt));
  for (int i = 0; i < table.n; ++i) {
    std::array<float, 12> percent;
    percent.fill(kMissingPercent);
    for (int m = 0; m < 12; ++m) {
      const int t = table.total[i][m];
      if (t == kMissingTotal) continue;
      // Quotient first, then the product, both in double; a zero normal gives
      // NaN (0/0) or infinity, written as the record layer writes them.
      percent[m] = records::round_to_float((double(t) / double(normal[m])) * 100.0);
    }
    records::write(kPercentUnit, kPercentRecord, {table.year[i], std::span<const float>(percent)});
  }
  records::write_list(kPercentUnit);
  records::close(kPercentUnit);
}

}  // namespace indices
