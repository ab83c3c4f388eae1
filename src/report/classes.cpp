#include "report/classes.h"

#include <initializer_list>

namespace report {

namespace {

// The class of a value among ascending class bounds, counted from the driest;
// a value on a bound belongs to the class farther from normal (zero).
int class_of(double v, std::initializer_list<double> bounds) {
  int k = 0;
  for (double b : bounds)
    if (b < 0 ? v > b : v >= b) ++k;
  return k;
}

}  // namespace

int spi_class(double v) { return class_of(v, {-2, -1.5, -1, 1, 1.5, 2}); }

int palmer_class(double v) { return class_of(v, {-4, -3, -2, -1, 1, 2, 3, 4}); }

int decile_class(double v) { return class_of(v, {3, 5, 7, 9}); }

int percent_class(double v) { return v < 100 ? 0 : 1; }

}  // namespace report
