// Exact decimal arithmetic: a binary value times a power of ten, rounded to
// an integer half to even, exactly.
#include "records/decimal.h"

namespace records::decimal {

std::uint64_t scaled_exactly(double magnitude, int decimals) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
  const int biased = static_cast<int>(bits >> 52);
  std::uint64_t m = bits & ((std::uint64_t(1) << 52) - 1);
  int shift = 1074;  // magnitude = m / 2^shift
  if (biased != 0) {
    m |= std::uint64_t(1) << 52;
    shift = 1075 - biased;
  }
  // Below 1e9 the shift is at least 23 and m 10^d < 2^83. From a shift of
  // 128 on, the product is less than half a unit: it rounds to 0.
  if (m == 0 || shift >= 128) return 0;
  const unsigned __int128 n =
      static_cast<unsigned __int128>(m) * kPow10[static_cast<std::size_t>(decimals)];
  std::uint64_t scaled = static_cast<std::uint64_t>(n >> shift);
  const unsigned __int128 rest = n & ((static_cast<unsigned __int128>(1) << shift) - 1);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rest > half || (rest == half && (scaled & 1) != 0)) ++scaled;
  return scaled;
}

}  // namespace records::decimal
