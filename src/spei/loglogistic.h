// The three-parameter log-logistic distribution of the SPEI stage, in the
// form of the generalized logistic distribution (location xi, scale alpha,
// shape k), fitted by the method of L-moments.
//
// For positive L-skewness this is the log-logistic distribution
// F(x) = 1 / (1 + (a / (x - g))^b) with b = 1 / tau3; the generalized form
// also fits samples with negative L-skewness.
#pragma once

#include <array>

namespace spei {

// Parameters xi, alpha, k from lambda1, lambda2, tau3: k = -tau3,
// alpha = lambda2 sin(k pi) / (k pi), xi = lambda1 - alpha (1/k - pi / sin(k pi));
// for |k| < 1e-6, k = 0, alpha = lambda2, xi = lambda1. lambda2 <= 0 or
// |tau3| >= 1 (or NaN): flag 1 and zero parameters, without a message.
void pelglo(const std::array<double, 3>& xmom, std::array<double, 3>& para, int& ifail);

// Distribution function 1 / (1 + exp(-y)), y = -ln(1 - k (x - xi) / alpha) / k
// (y = (x - xi) / alpha for k = 0). Beyond the bound of the distribution
// (1 - k (x - xi) / alpha <= 0) it is 0 for k < 0 and 1 for k > 0.
double cdfglo(double x, const std::array<double, 3>& para);

}  // namespace spei
