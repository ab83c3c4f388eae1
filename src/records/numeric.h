// Numeric helpers shared by every stage.
#pragma once

namespace records {

// Rounds an 8-byte value to the 4-byte real it is stored as.
inline float round_to_float(double v) { return static_cast<float>(v); }

// Truncates toward zero to a 4-byte integer; a value that cannot become one
// (NaN, infinite, out of range) gives -2147483648, as the processor's
// conversion instruction does, never undefined behaviour.
int trunc_to_int(double v);

}  // namespace records
