#include "indices/heapsort.h"

#include <cstddef>
#include <utility>

namespace indices {
namespace {

// Sifts a[root] down within the heap a[0..size-1] (0-based: the children of
// i are 2i+1 and 2i+2).
void sift_down(std::span<float> a, std::size_t root, std::size_t size) {
  for (;;) {
    std::size_t child = 2 * root + 1;
    if (child >= size) return;
    if (child + 1 < size && a[child + 1] > a[child]) ++child;
    if (!(a[child] > a[root])) return;
    std::swap(a[child], a[root]);
    root = child;
  }
}

}  // namespace

void heapsort(std::span<float> values) {
  const std::size_t n = values.size();
  if (n < 2) return;
  for (std::size_t i = n / 2; i >= 1; --i) sift_down(values, i - 1, n);
  for (std::size_t end = n - 1; end >= 1; --end) {
    std::swap(values[0], values[end]);
    sift_down(values, 0, end);
  }
}

}  // namespace indices
