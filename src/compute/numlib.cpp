// The SPI engine's numerical library. Every routine computes in 8-byte reals
// and keeps the named constants of the published methods with exactly their
// decimal values (some are deliberately short, such as pi3 and third, and the
// results depend on them). Messages are single lines on standard output.
#include "compute/numlib.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <vector>

#include "records/console.h"
#include "records/output.h"

namespace compute {

namespace {

// ---------------------------------------------------------------------------
// Messages (file number 6)

const records::Layout kNmomInvalid{"' *** ERROR *** ROUTINE SAMLMR : PARAMETER NMOM INVALID'"};
const records::Layout kAllValuesEqual{"' *** ERROR *** ROUTINE SAMLMR : ALL DATA VALUES EQUAL'"};
const records::Layout kPlottingInvalid{
    "' *** ERROR *** ROUTINE SAMLMR :',' PLOTTING-POSITION PARAMETERS INVALID'"};
const records::Layout kCdfParametersInvalid{"' *** ERROR *** ROUTINE CDFPE3 : PARAMETERS INVALID'"};
const records::Layout kGammaTooFew{
    "' *** ERROR *** ROUTINE PELGAM :',' FEWER THAN 3 POSITIVE DATA VALUES'"};
const records::Layout kGammaAllEqual{"' *** ERROR *** ROUTINE PELGAM : ALL DATA VALUES EQUAL'"};
const records::Layout kGammaParametersInvalid{
    "' *** ERROR *** ROUTINE CDFGAM : PARAMETERS INVALID'"};
const records::Layout kShapeOutOfRange{
    "' *** ERROR *** ROUTINE GAMIND :',' SHAPE PARAMETER OUT OF RANGE :',D16.8"};
const records::Layout kArgumentOutOfRange{
    "' *** ERROR *** ROUTINE GAMIND :',' ARGUMENT OF FUNCTION OUT OF RANGE :',D16.8"};
const records::Layout kNotConverged{
    "' ** WARNING ** ROUTINE GAMIND :',' ITERATION HAS NOT CONVERGED. RESULT MAY BE UNRELIABLE.'"};
const records::Layout kQuantileInvalid{
    "' *** ERROR *** ROUTINE QUASTN :',' ARGUMENT OF FUNCTION INVALID'"};

// The most L-moments samlmr computes.
constexpr int kMaxMoments = 20;

// Sets the first three L-moments (as far as the caller's array reaches) to 0,
// the state a failed fit leaves behind.
void clear_moments(std::span<double> xmom) {
  const std::size_t count = std::min<std::size_t>(3, xmom.size());
  std::fill_n(xmom.begin(), count, 0.0);
}

// ---------------------------------------------------------------------------
// Probability-weighted moments of samlmr, S_1 ... S_nmom of the ascending
// sample x[0..n-1], and the L-moments made from them.

using Pwm = std::array<double, kMaxMoments>;

// Unbiased estimates: S_{r+1} = (1/n) sum x_i (i-1)...(i-r) / ((n-1)...(n-r)).
void unbiased_pwm(std::span<const double> x, int n, int nmom, Pwm& s) {
  constexpr double one = 1.0;
  for (int i = 1; i <= n; ++i) {
    double z = i;
    double term = x[static_cast<std::size_t>(i - 1)];
    s[0] += term;
    for (int j = 1; j < nmom; ++j) {
      z = z - one;
      term = term * z;
      s[static_cast<std::size_t>(j)] += term;
    }
  }
  double y = n;
  double z = n;
  s[0] = s[0] / z;
  for (int j = 1; j < nmom; ++j) {
    y = y - one;
    z = z * y;
    s[static_cast<std::size_t>(j)] = s[static_cast<std::size_t>(j)] / z;
  }
}

// Plotting-position estimates: S_{r+1} = (1/n) sum x_i p_i^r, p_i = (i + a) / (n + b).
void plotting_pwm(std::span<const double> x, int n, int nmom, double a, double b, Pwm& s) {
  const double dn = n;
  for (int i = 1; i <= n; ++i) {
    const double ppos = (i + a) / (dn + b);
    double term = x[static_cast<std::size_t>(i - 1)];
    s[0] += term;
    for (int j = 1; j < nmom; ++j) {
      term = term * ppos;
      s[static_cast<std::size_t>(j)] += term;
    }
  }
  for (int j = 0; j < nmom; ++j)
    s[static_cast<std::size_t>(j)] = s[static_cast<std::size_t>(j)] / dn;
}

// L-moments from the probability-weighted moments, in place, highest order
// first: lambda_k = sum_i (-1)^(k-1-i) C(k-1,i) C(k-1+i,i) S_{i+1}.
void lmoments_from_pwm(int nmom, Pwm& s) {
  constexpr double one = 1.0;
  int k = nmom;
  double p0 = (nmom % 2 == 1) ? -one : one;
  for (int kk = 2; kk <= nmom; ++kk) {
    const double ak = k;
    p0 = -p0;
    double p = p0;
    double temp = p * s[0];
    for (int i = 1; i <= k - 1; ++i) {
      const double ai = i;
      p = -p * (ak + ai - one) * (ak - ai) / (ai * ai);
      temp = temp + p * s[static_cast<std::size_t>(i)];
    }
    s[static_cast<std::size_t>(k - 1)] = temp;
    k = k - 1;
  }
}

// ---------------------------------------------------------------------------
// Constants and closing steps of gamind.

constexpr double kHillShape = 10000.0;     // shape above which Hill's approximation serves
constexpr double kGammaEps = 1e-12;        // convergence tolerance
constexpr int kGammaMaxIt = 100000;        // iteration limit of series and continued fraction
constexpr double kFractionRescale = 1e30;  // rescaling threshold of the continued fraction
constexpr double kGammaUfl = -180.0;       // log below which the exponential term is 0

// The continued fraction serves x > 1 and x >= alpha, the power series the rest.
inline bool uses_fraction(double x, double alpha) { return x > 1.0 && x >= alpha; }

// P from the power series' sum.
inline double series_result(double x, double alpha, double g, double sum) {
  const double arg = alpha * std::log(x) - x - g + std::log(sum / alpha);
  return arg >= kGammaUfl ? std::exp(arg) : 0.0;
}

// P = 1 - Q from the continued fraction's last convergent.
inline double fraction_result(double x, double alpha, double g, double ratio) {
  const double arg = alpha * std::log(x) - x - g + std::log(ratio);
  double result = 1.0;
  if (arg >= kGammaUfl) result = 1.0 - std::exp(arg);
  return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// sort

void sort(std::span<const double> in, std::span<double> out, int n) {
  // Never more values than either array holds.
  const long long count =
      std::min<long long>({static_cast<long long>(n), static_cast<long long>(in.size()),
                           static_cast<long long>(out.size())});
  if (count <= 0) return;
  std::copy_n(in.begin(), count, out.begin());
  if (count <= 1) return;

  // Shell's increments 1, 4, 13, 40, ...: start from the first of 13, 40, ...
  // that reaches the count, divided by 3; each pass divides by 3 again.
  long long h = 13;
  while (h < count) h = 3 * h + 1;
  h /= 3;
  for (;;) {
    h /= 3;
    if (h < 1) break;
    for (long long i = h; i < count; ++i) {
      const double v = out[static_cast<std::size_t>(i)];
      long long j = i;
      while (j >= h && out[static_cast<std::size_t>(j - h)] > v) {
        out[static_cast<std::size_t>(j)] = out[static_cast<std::size_t>(j - h)];
        j -= h;
      }
      out[static_cast<std::size_t>(j)] = v;
    }
  }
}

// ---------------------------------------------------------------------------
// samlmr: sample L-moments through probability-weighted moments

void samlmr(std::span<const double> x, int n, std::span<double> xmom, double a, double b,
            int& ifail) {
  constexpr double zero = 0.0;
  constexpr double one = 1.0;

  ifail = 0;
  const int nmom = static_cast<int>(std::min<std::size_t>(xmom.size(), kMaxMoments + 1));
  // Only the values the sample array holds take part.
  if (static_cast<long long>(n) > static_cast<long long>(x.size())) {
    n = static_cast<int>(x.size());
  }
  if (nmom < 1 || nmom > kMaxMoments || nmom > n) {
    ifail = 1;
    clear_moments(xmom);
    records::write(records::kConsoleOut, kNmomInvalid);
    return;
  }

  std::array<double, kMaxMoments> s{};  // S1 ... S_nmom, then lambda_1 ... lambda_nmom
  if (a == zero && b == zero) {
    unbiased_pwm(x, n, nmom, s);
  } else {
    // Plotting positions (i + A) / (n + B) need -1 < A < B; a NaN fails too.
    if (!(a > -one && a < b)) {
      ifail = 1;
      clear_moments(xmom);
      records::write(records::kConsoleOut, kPlottingInvalid);
      return;
    }
    plotting_pwm(x, n, nmom, a, b, s);
  }
  lmoments_from_pwm(nmom, s);

  xmom[0] = s[0];
  if (nmom == 1) return;
  xmom[1] = s[1];
  if (s[1] == zero) {
    ifail = 1;
    clear_moments(xmom);
    records::write(records::kConsoleOut, kAllValuesEqual);
    return;
  }
  for (int j = 2; j < nmom; ++j)
    xmom[static_cast<std::size_t>(j)] = s[static_cast<std::size_t>(j)] / s[1];
}

// ---------------------------------------------------------------------------
// pelpe3: Pearson type III parameters by the method of L-moments

void pelpe3(const std::array<double, 3>& xmom, std::array<double, 3>& para, int& ifail) {
  // Rational approximations of the shape alpha as a function of |tau3|; the
  // short decimals are the published ones.
  constexpr double c1 = 0.2906, c2 = 0.1882, c3 = 0.0442;
  constexpr double d1 = 0.36067, d2 = -0.59567, d3 = 0.25361;
  constexpr double d4 = -2.78861, d5 = 2.56096, d6 = -0.77045;
  constexpr double pi3 = 9.424778;
  constexpr double rootpi = 1.7724539;
  constexpr double third = 0.33333333;
  constexpr double small = 1e-6;
  constexpr double half = 0.5, one = 1.0, two = 2.0, zero = 0.0;

  ifail = 0;
  const double t3 = std::fabs(xmom[2]);
  // lambda2 must be positive and |tau3| below 1 (NaN fails as well).
  if (!(xmom[1] > zero) || !(t3 < one)) {
    para = {zero, zero, zero};
    ifail = 1;
    return;
  }
  if (t3 <= small) {
    para = {xmom[0], xmom[1] * rootpi, zero};
    return;
  }
  double alpha;
  if (t3 < third) {
    const double t = pi3 * t3 * t3;
    alpha = (one + c1 * t) / (t * (one + t * (c2 + t * c3)));
  } else {
    const double t = one - t3;
    alpha = t * (d1 + t * (d2 + t * d3)) / (one + t * (d4 + t * (d5 + t * d6)));
  }
  const double rtalph = std::sqrt(alpha);
  const double beta = rootpi * xmom[1] * std::exp(std::lgamma(alpha) - std::lgamma(alpha + half));
  para[0] = xmom[0];
  para[1] = beta * rtalph;
  para[2] = two / rtalph;
  if (xmom[2] < zero) para[2] = -para[2];
}

// ---------------------------------------------------------------------------
// cdfpe3: Pearson type III distribution function

double cdfpe3(double x, const std::array<double, 3>& para, int& ifail, float missing) {
  constexpr double small = 1e-6;
  constexpr double four = 4.0, two = 2.0, half = 0.5, one = 1.0, zero = 0.0;
  constexpr double rthalf = 0.7071067811865476;

  ifail = 0;
  double result = zero;
  const double mu = para[0], sigma = para[1], gamma = para[2];
  if (sigma <= zero) {
    records::write(records::kConsoleOut, kCdfParametersInvalid);
    ifail = 1;
    return static_cast<double>(missing);
  }
  if (std::fabs(gamma) <= small) {
    // Normal distribution.
    const double z = (x - mu) / sigma;
    return half + half * std::erf(z * rthalf);
  }
  const double alpha = four / (gamma * gamma);
  const double z = two * (x - mu) / (sigma * gamma) + alpha;
  if (z > zero) result = gamind(z, alpha, std::lgamma(alpha));
  if (gamma < zero) result = one - result;
  return result;
}

// ---------------------------------------------------------------------------
// pelgam: gamma parameters by Thom's approximation

void pelgam(std::span<const double> x, int n, std::array<double, 3>& para, int& ifail) {
  para = {0.0, 0.0, 0.0};
  ifail = 1;
  n = static_cast<int>(std::min<long long>(n, static_cast<long long>(x.size())));
  if (n < 3) {
    records::write(records::kConsoleOut, kGammaTooFew);
    return;
  }
  double sum = 0.0, sum_log = 0.0;
  for (int i = 0; i < n; ++i) {
    sum += x[static_cast<std::size_t>(i)];
    sum_log += std::log(x[static_cast<std::size_t>(i)]);
  }
  const double mean = sum / n;
  const double a = std::log(mean) - sum_log / n;
  // Equal values make A zero, or a rounding error either side of it.
  if (x[0] == x[static_cast<std::size_t>(n - 1)] || !(a > 0.0)) {
    records::write(records::kConsoleOut, kGammaAllEqual);
    return;
  }
  const double shape = (1.0 + std::sqrt(1.0 + 4.0 * a / 3.0)) / (4.0 * a);
  para = {shape, mean / shape, 0.0};
  ifail = 0;
}

// ---------------------------------------------------------------------------
// cdfgam: gamma distribution function

double cdfgam(double x, const std::array<double, 3>& para, int& ifail, float missing) {
  ifail = 0;
  const double shape = para[0], scale = para[1];
  if (!(shape > 0.0) || !(scale > 0.0)) {
    records::write(records::kConsoleOut, kGammaParametersInvalid);
    ifail = 1;
    return static_cast<double>(missing);
  }
  if (x <= 0.0) return 0.0;
  return gamind(x / scale, shape, std::lgamma(shape));
}

// ---------------------------------------------------------------------------
// gamind: regularized lower incomplete gamma ratio P(alpha, x)

namespace {

// Hill's normal approximation for very large shapes.
double gamind_hill(double x, double alpha) {
  constexpr double eps = kGammaEps;
  constexpr double one = 1.0, two = 2.0, three = 3.0, half = 0.5;
  constexpr double x13 = 13.0, x36 = 36.0, x42 = 42.0, x119 = 119.0;
  constexpr double x1620 = 1620.0, x38880 = 38880.0;
  constexpr double rthalf = 0.7071067811865476;

  const double r = one / std::sqrt(alpha);
  double z = (x - alpha) * r;
  double term = z * z;
  double sum = half * term;
  for (int i = 1; i <= 12; ++i) {
    term = -term * z * r;
    sum = sum + term / (i + two);
    if (std::fabs(term) < eps) break;
  }
  const double ww = two * sum;
  double w = std::sqrt(ww);
  if (x < alpha) w = -w;
  const double h1 = one / three;
  const double h2 = -w / x36;
  const double h3 = (x13 - ww) / x1620;
  const double h4 = (x42 * ww + x119) * w / x38880;
  z = (((h4 * r + h3) * r + h2) * r + h1) * r + w;
  return half + half * std::erf(z * rthalf);
}

// Continued fraction for the upper tail 1 - P.
double gamind_fraction(double x, double alpha, double g) {
  constexpr double eps = kGammaEps;
  constexpr double ofl = kFractionRescale;
  constexpr double one = 1.0, two = 2.0, zero = 0.0;

  double a = one - alpha;
  double b = (x + a) + one;
  double term = zero;
  double p1 = one, p2 = x, p3 = x + one, p4 = x * b;
  double ratio = p3 / p4;
  bool converged = false;
  for (int it = 0; it < kGammaMaxIt; ++it) {
    a = a + one;
    b = b + two;
    term = term + one;
    const double an = a * term;
    const double p5 = b * p3 - an * p1;
    const double p6 = b * p4 - an * p2;
    if (p6 != zero) {
      const double rn = p5 / p6;
      const double d = std::fabs(ratio - rn);
      if (d <= eps && d <= eps * rn) {
        converged = true;
        break;
      }
      ratio = rn;
    }
    p1 = p3;
    p2 = p4;
    p3 = p5;
    p4 = p6;
    if (std::fabs(p5) >= ofl) {
      p1 = p1 / ofl;
      p2 = p2 / ofl;
      p3 = p3 / ofl;
      p4 = p4 / ofl;
    }
  }
  if (!converged) records::write(records::kConsoleOut, kNotConverged);
  return fraction_result(x, alpha, g, ratio);
}

// Power series.
double gamind_series(double x, double alpha, double g) {
  constexpr double one = 1.0;
  double sum = one;
  double term = one;
  double a = alpha;
  bool converged = false;
  for (int it = 0; it < kGammaMaxIt; ++it) {
    a = a + one;
    term = term * x / a;
    sum = sum + term;
    if (term <= kGammaEps) {
      converged = true;
      break;
    }
  }
  if (!converged) records::write(records::kConsoleOut, kNotConverged);
  return series_result(x, alpha, g, sum);
}

}  // namespace

double gamind(double x, double alpha, double g) {
  constexpr double zero = 0.0;
  if (alpha <= zero) {
    records::write(records::kConsoleOut, kShapeOutOfRange, {alpha});
    return zero;
  }
  if (x < zero) {
    records::write(records::kConsoleOut, kArgumentOutOfRange, {x});
    return zero;
  }
  if (x == zero) return zero;
  if (alpha > kHillShape) return gamind_hill(x, alpha);
  if (uses_fraction(x, alpha)) return gamind_fraction(x, alpha, g);
  return gamind_series(x, alpha, g);
}

namespace {

// Coefficients as published (Wichura, Applied Statistics 37, 1988); each
// literal is the nearest 8-byte real to its published decimal value.
// Central region, |p - 0.5| <= 0.425. Numerators and denominators lowest
// power first; each denominator's constant term is one.
constexpr std::array<double, 8> kCentralNum{3.3871328727963666080e0,  1.3314166789178437745e+2,
                                            1.9715909503065514427e+3, 1.3731693765509461125e+4,
                                            4.5921953931549871457e+4, 6.7265770927008700853e+4,
                                            3.3430575583588128105e+4, 2.5090809287301226727e+3};
constexpr std::array<double, 8> kCentralDen{1.0,
                                            4.2313330701600911252e+1,
                                            6.8718700749205790830e+2,
                                            5.3941960214247511077e+3,
                                            2.1213794301586595867e+4,
                                            3.9307895800092710610e+4,
                                            2.8729085735721942674e+4,
                                            5.2264952788528545610e+3};
// Intermediate tail, sqrt(-ln r) <= 5.
constexpr std::array<double, 8> kTailNum{1.42343711074968357734e0,  4.63033784615654529590e0,
                                         5.76949722146069140550e0,  3.64784832476320460504e0,
                                         1.27045825245236838258e0,  2.41780725177450611770e-1,
                                         2.27238449892691845833e-2, 7.74545014278341407640e-4};
constexpr std::array<double, 8> kTailDen{1.0,
                                         2.05319162663775882187e0,
                                         1.67638483018380384940e0,
                                         6.89767334985100004550e-1,
                                         1.48103976427480074590e-1,
                                         1.51986665636164571966e-2,
                                         5.47593808499534494600e-4,
                                         1.05075007164441684324e-9};
// Far tail.
constexpr std::array<double, 8> kFarNum{6.65790464350110377720e0,  5.46378491116411436990e0,
                                        1.78482653991729133580e0,  2.96560571828504891230e-1,
                                        2.65321895265761230930e-2, 1.24266094738807843860e-3,
                                        2.71155556874348757815e-5, 2.01033439929228813265e-7};
constexpr std::array<double, 8> kFarDen{1.0,
                                        5.99832206555887937690e-1,
                                        1.36929880922735805310e-1,
                                        1.48753612908506148525e-2,
                                        7.86869131145613259100e-4,
                                        1.84631831751005468180e-5,
                                        1.42151175831644588870e-7,
                                        2.04426310338993978564e-15};

// The polynomial with coefficients c (lowest power first) at r, by Horner's
// rule from the highest power.
double horner(const std::array<double, 8>& c, double r) {
  double sum = c[7];
  for (int k = 6; k >= 0; --k) sum = sum * r + c[static_cast<std::size_t>(k)];
  return sum;
}

}  // namespace

// ---------------------------------------------------------------------------
// quastn: standard normal quantile (AS 241, PPND16)

double quastn(double p) {
  constexpr double half = 0.5, one = 1.0, zero = 0.0;
  constexpr double split1 = 0.425, split2 = 5.0;
  constexpr double const1 = 0.180625, const2 = 1.6;

  const double q = p - half;
  if (std::fabs(q) <= split1) {
    const double r = const1 - q * q;
    return q * horner(kCentralNum, r) / horner(kCentralDen, r);
  }
  double r = (q < zero) ? p : one - p;
  if (r <= zero) {
    records::write(records::kConsoleOut, kQuantileInvalid);
    return zero;
  }
  r = std::sqrt(-std::log(r));
  double z;
  if (r <= split2) {
    r = r - const2;
    z = horner(kTailNum, r) / horner(kTailDen, r);
  } else {
    r = r - split2;
    z = horner(kFarNum, r) / horner(kFarDen, r);
  }
  if (q < zero) z = -z;
  return z;
}

}  // namespace compute
