// The SPI engine's numerical library: sorting, sample L-moments, the Pearson
// type III and gamma fits and distribution functions, the incomplete gamma
// ratio and the standard normal quantile. All arithmetic is in 8-byte reals. Failures are
// reported through a flag (0 success, 1 failure) and one message line on
// standard output; none of them stops the program.
#pragma once

#include <array>
#include <span>

namespace compute {

// Copies the first n values of in to out and sorts them ascending (Shell's
// sort with increments 1, 4, 13, 40, ...). n is cut to the sizes of both
// spans; n <= 1 sorts nothing.
void sort(std::span<const double> in, std::span<double> out, int n);

// Sample L-moments of the ascending sample x[0..n-1]: xmom.size() = nmom
// values, lambda1, lambda2, tau3, tau4, ... A = B = 0 (either zero may be
// negative): unbiased estimator; otherwise plotting positions (i + a) / (n + b),
// which need -1 < a < b (a = -0.0 with a tiny positive b gives i/n). n is cut
// to x.size(). Failure (flag 1, one message line, the first min(3, nmom)
// L-moments set to 0): nmom < 1, nmom > 20 or nmom > n; invalid plotting-
// position parameters; lambda2 = 0 (all values equal, unbiased estimator).
void samlmr(std::span<const double> x, int n, std::span<double> xmom, double a, double b,
            int& ifail);

// Pearson type III parameters (mean, standard deviation, skewness) from
// lambda1, lambda2, tau3. lambda2 <= 0 or |tau3| >= 1 (or NaN): flag 1 and zero
// parameters, without a message.
void pelpe3(const std::array<double, 3>& xmom, std::array<double, 3>& para, int& ifail);

// Pearson type III distribution function at x; refuses sigma <= 0 (flag 1,
// one message line, returns missing widened).
double cdfpe3(double x, const std::array<double, 3>& para, int& ifail, float missing);

// Two-parameter gamma (shape, scale) of the ascending positive sample
// x[0..n-1] by Thom's (1958) maximum-likelihood approximation: A = ln(mean) -
// mean(ln x), shape = (1 + sqrt(1 + 4A/3)) / (4A), scale = mean / shape; the
// third parameter is 0. n is cut to x.size(). Failure (flag 1, one message
// line, zero parameters): n < 3; all values equal or A not positive.
void pelgam(std::span<const double> x, int n, std::array<double, 3>& para, int& ifail);

// Gamma distribution function at x (0 for x <= 0) through gamind; refuses a
// shape or scale that is not positive (flag 1, one message line, returns
// missing widened).
double cdfgam(double x, const std::array<double, 3>& para, int& ifail, float missing);

// Regularized lower incomplete gamma ratio P(alpha, x); g = lnGamma(alpha).
// Power series, continued fraction for x > 1 and x >= alpha, Hill's
// approximation for alpha > 10000. alpha <= 0 or x < 0: message, result 0;
// an iteration that does not converge warns and returns its last value.
double gamind(double x, double alpha, double g);

// Standard normal quantile (AS 241, PPND16), to a few 1e-16 relative.
// p <= 0 or p >= 1: message, result 0.
double quastn(double p);

}  // namespace compute
