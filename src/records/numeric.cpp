// Numeric helpers shared by every stage.
#include "records/numeric.h"

#include <cmath>
#include <limits>

namespace records {

int trunc_to_int(double v) {
  // The open interval of values whose truncation fits: (-2^31 - 1, 2^31).
  // NaN fails both comparisons.
  if (v > -2147483649.0 && v < 2147483648.0) return static_cast<int>(v);
  return std::numeric_limits<int>::min();
}

}  // namespace records
