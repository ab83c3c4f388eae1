// In-place ascending heap sort of single-precision values.
#pragma once

#include <span>

namespace indices {

// Builds a max-heap by sifting down from the middle to the root, then
// repeatedly swaps the root with the last element of the heap, shrinks the
// heap by one and sifts the new root down. A node moves down only while a
// child is strictly greater; of two children the right one is taken only when
// it is strictly greater than the left. Fewer than two values stay as they are.
void heapsort(std::span<float> values);

}  // namespace indices
