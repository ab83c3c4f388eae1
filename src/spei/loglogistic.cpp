#include "spei/loglogistic.h"

#include <cmath>
#include <numbers>

namespace spei {

namespace {

constexpr double kSmallShape = 1e-6;  // |k| below which the logistic (k = 0) serves

}  // namespace

void pelglo(const std::array<double, 3>& xmom, std::array<double, 3>& para, int& ifail) {
  const double l1 = xmom[0], l2 = xmom[1], t3 = xmom[2];
  ifail = 0;
  if (!(l2 > 0.0) || !(std::fabs(t3) < 1.0)) {
    para = {0.0, 0.0, 0.0};
    ifail = 1;
    return;
  }
  const double k = -t3;
  if (std::fabs(k) < kSmallShape) {
    para = {l1, l2, 0.0};
    return;
  }
  const double kpi = k * std::numbers::pi;
  const double alpha = l2 * std::sin(kpi) / kpi;
  para = {l1 - alpha * (1.0 / k - std::numbers::pi / std::sin(kpi)), alpha, k};
}

double cdfglo(double x, const std::array<double, 3>& para) {
  const double xi = para[0], alpha = para[1], k = para[2];
  double y = (x - xi) / alpha;
  if (k != 0.0) {
    const double arg = 1.0 - k * y;
    if (arg <= 0.0) return k < 0.0 ? 0.0 : 1.0;
    y = -std::log(arg) / k;
  }
  return 1.0 / (1.0 + std::exp(-y));
}

}  // namespace spei
