#include "compute/numlib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/console.h"

namespace {

// Captures the console (file number 6) for the lifetime of the object.
struct Console {
  std::string out;
  Console() { records::set_console_sink(&out); }
  ~Console() { records::set_console_sink(nullptr); }
};

// Reference values of the tables below, computed at 50 digits with mpmath from
// the exact 8-byte inputs: P and Q by the regularized incomplete gamma function;
// the Pearson III distribution as the gamma ratio of the standardized value
// (the normal distribution for |gamma| <= 1e-6); the normal quantile by solving
// log ncdf(t) = log p (so that the far tail is exact); the fit by the rational
// approximations with the 8-byte values of their published constants.

struct GammaCase {
  double x, alpha, p, q;  // P(alpha, x) and 1 - P
};
// Series (x <= 1 or x < alpha), continued fraction (x > 1 and x >= alpha), and
// Hill's approximation (alpha > 10000).
const GammaCase kSeries[] = {
    {1.0, 1.0, 6.321205588285576784e-1, 3.678794411714423216e-1},
    {0.5, 2.5, 3.7434226752703631043e-2, 9.6256577324729636896e-1},
    {0.01, 0.3, 2.7924099635901486104e-1, 7.2075900364098513896e-1},
    {3.0, 5.0, 1.8473675547622793371e-1, 8.1526324452377206629e-1},
    {50.0, 100.0, 3.2000653245851252938e-10, 9.9999999967999346754e-1},
    {4000.0, 4444.444444444444, 2.6409896504644421256e-12, 9.9999999999735901035e-1},
    {9990.0, 9999.0, 4.6545587831594876526e-1, 5.3454412168405123474e-1},
    {1e-05, 0.02, 8.032894123787887912e-1, 1.967105876212112088e-1},
};
const GammaCase kContinuedFraction[] = {
    {2.0, 1.0, 8.6466471676338730811e-1, 1.3533528323661269189e-1},
    {1.5, 0.5, 9.1673548333644959815e-1, 8.3264516663550401855e-2},
    {10.0, 3.5, 9.9443031692705442866e-1, 5.5696830729455713361e-3},
    {30.0, 2.0, 9.9999999999709913688e-1, 2.9008631203404541275e-12},
    {5000.0, 4444.444444444444, 9.9999999999999944648e-1, 5.5351961964255647744e-16},
    {150.0, 100.0, 9.9999407545966451608e-1, 5.9245403354839158294e-6},
};
const GammaCase kHill[] = {
    {40000.0, 40000.0, 5.006649038930116512e-1, 4.993350961069883488e-1},
    {39800.0, 40000.0, 1.5865424212199994919e-1, 8.4134575787800005081e-1},
    {40400.0, 40000.0, 9.7698059063281539088e-1, 2.3019409367184609123e-2},
    {41000.0, 40000.0, 9.999996486099796507e-1, 3.5139002034930345376e-7},
    {997000.0, 1000000.0, 1.3381041673135996923e-3, 9.9866189583268640031e-1},
    {10200.0, 10001.0, 9.7615839981025508953e-1, 2.384160018974491047e-2},
};

double gamind_of(const GammaCase& c) { return compute::gamind(c.x, c.alpha, std::lgamma(c.alpha)); }

// Series and continued fraction end in exp(alpha ln x - x - lnG(alpha) + ...):
// the exponent is a difference of terms of size alpha ln x, and each rounding
// of them is a relative error of the result, beyond the methods' own 1e-12.
double exponent_error(const GammaCase& c) {
  const double size = std::fabs(c.alpha * std::log(c.x)) + c.x + std::fabs(std::lgamma(c.alpha));
  return 4e-16 * size;
}

TEST(IncompleteGamma, SeriesIsAccurateInBothTails) {
  Console console;
  for (const auto& c : kSeries) {
    const double p = gamind_of(c);
    EXPECT_NEAR(p, c.p, (1e-12 + exponent_error(c)) * c.p) << "x=" << c.x << " alpha=" << c.alpha;
  }
  EXPECT_EQ(console.out, "");
}

TEST(IncompleteGamma, ContinuedFractionIsAccurateInTheUpperTail) {
  Console console;
  for (const auto& c : kContinuedFraction) {
    const double p = gamind_of(c);
    // The method computes 1 - P, so its small upper tail is accurate relatively.
    // It stops when successive convergents differ by 1e-12, which leaves a few
    // 1e-12 where they converge slowly (shape below 1, x near 1).
    EXPECT_NEAR(1.0 - p, c.q, (5e-12 + exponent_error(c)) * c.q + 2e-16)
        << "x=" << c.x << " alpha=" << c.alpha;
  }
  EXPECT_EQ(console.out, "");
}

TEST(IncompleteGamma, HillApproximationForVeryLargeShapes) {
  Console console;
  for (const auto& c : kHill) {
    // An asymptotic expansion: its error falls with the shape, about 1e-13 at
    // 1e4 and 1e-14 at 4e4.
    EXPECT_NEAR(gamind_of(c), c.p, 2e-13) << "x=" << c.x << " alpha=" << c.alpha;
  }
  EXPECT_EQ(console.out, "");
}

TEST(IncompleteGamma, ExponentialTermBelowTheUnderflowLimit) {
  // alpha ln x - x - lnG(alpha) below -180: exactly 0 from the series and
  // exactly 1 from the continued fraction.
  EXPECT_EQ(compute::gamind(1e-100, 2.0, 0.0), 0.0);
  EXPECT_EQ(compute::gamind(300.0, 2.0, 0.0), 1.0);
  EXPECT_EQ(compute::gamind(0.0, 2.0, 0.0), 0.0);
}

TEST(IncompleteGamma, NonConvergenceWarnsAndReturns) {
  // A NaN argument never satisfies the convergence tests: each method runs to
  // its iteration limit, warns once and returns without failing.
  const std::string warning =
      " ** WARNING ** ROUTINE GAMIND : ITERATION HAS NOT CONVERGED. RESULT MAY BE UNRELIABLE.\r\n";
  Console console;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  compute::gamind(nan, 2.0, 0.0);                                      // series
  compute::gamind(std::numeric_limits<double>::infinity(), 2.0, 0.0);  // continued fraction
  EXPECT_EQ(console.out, warning + warning);
}

// ---------------------------------------------------------------------------

struct Pe3Case {
  double x, mu, sigma, gamma, f;
};
const Pe3Case kPe3[] = {
    {70.0, 50.0, 20.0, 0.5, 8.4348686536025698231e-1},
    {20.0, 50.0, 20.0, 0.5, 4.8740403303978703759e-2},
    {35.0, 50.0, 20.0, 1.2, 2.4305122509000878259e-1},
    {160.0, 50.0, 20.0, 1.2, 9.9962410597216830925e-1},
    {35.0, 50.0, 20.0, 2.0, 2.2119921692859513175e-1},
    {60.0, 50.0, 20.0, -0.8, 6.5605836182430247586e-1},
    {10.0, 50.0, 20.0, -0.8, 3.9598315995536383206e-2},
    {95.0, 50.0, 20.0, -0.8, 9.9997315932561587245e-1},
    {50.0, 50.0, 20.0, 1e-07, 5.0e-1},
    {72.0, 50.0, 20.0, -5e-07, 8.6433393905361732483e-1},
    {62.0, 50.0, 20.0, 0.01, 7.2610241868574465376e-1},   // Hill
    {40.0, 50.0, 20.0, -0.01, 3.0809750297535313166e-1},  // Hill
    {62.0, 50.0, 20.0, 0.03, 7.2681406485780401443e-1},   // continued fraction
    {25.0, 50.0, 20.0, 0.03, 1.0512265356316494095e-1},   // series
    {88.0, 50.0, 20.0, -0.03, 9.7214799543801644357e-1},  // series, reflected
    {0.5, 3.0, 1.5, 3.5, 0.0},                            // below the support
    {2.2, 3.0, 1.5, 3.5, 3.1892598865814478285e-1},
};

TEST(PearsonDistribution, PositiveNegativeAndNearZeroSkewness) {
  Console console;
  for (const auto& c : kPe3) {
    int ifail = -1;
    const double f = compute::cdfpe3(c.x, {c.mu, c.sigma, c.gamma}, ifail, -99.0f);
    EXPECT_EQ(ifail, 0);
    EXPECT_NEAR(f, c.f, 2e-12) << "x=" << c.x << " gamma=" << c.gamma;
  }
  EXPECT_EQ(console.out, "");
}

TEST(PearsonDistribution, BoundsOfTheSupport) {
  int ifail = -1;
  // gamma = 2: an exponential starting at mu - sigma = 30.
  EXPECT_EQ(compute::cdfpe3(30.0, {50.0, 20.0, 2.0}, ifail, -99.0f), 0.0);
  EXPECT_EQ(compute::cdfpe3(-1e6, {50.0, 20.0, 2.0}, ifail, -99.0f), 0.0);
  EXPECT_NEAR(compute::cdfpe3(50.0, {50.0, 20.0, 2.0}, ifail, -99.0f), 1.0 - std::exp(-1.0), 1e-12);
  // gamma = -2: the mirror image, ending at mu + sigma = 70.
  EXPECT_EQ(compute::cdfpe3(70.0, {50.0, 20.0, -2.0}, ifail, -99.0f), 1.0);
  EXPECT_EQ(compute::cdfpe3(1e6, {50.0, 20.0, -2.0}, ifail, -99.0f), 1.0);
  EXPECT_NEAR(compute::cdfpe3(50.0, {50.0, 20.0, -2.0}, ifail, -99.0f), std::exp(-1.0), 1e-12);
  // Zero skewness: exactly one half at the mean.
  EXPECT_EQ(compute::cdfpe3(50.0, {50.0, 20.0, 0.0}, ifail, -99.0f), 0.5);
  EXPECT_EQ(ifail, 0);
}

TEST(PearsonDistribution, RefusesNonPositiveScale) {
  Console console;
  int ifail = 0;
  EXPECT_EQ(compute::cdfpe3(5.0, {0.0, 0.0, 0.0}, ifail, -99.0f), -99.0);
  EXPECT_EQ(ifail, 1);
  ifail = 0;
  EXPECT_EQ(compute::cdfpe3(5.0, {1.0, -2.0, 0.5}, ifail, -99.0f), -99.0);
  EXPECT_EQ(ifail, 1);
  const std::string line = " *** ERROR *** ROUTINE CDFPE3 : PARAMETERS INVALID\r\n";
  EXPECT_EQ(console.out, line + line);
}

// ---------------------------------------------------------------------------

struct QuantileCase {
  double p, z;
};
const QuantileCase kQuantiles[] = {
    {0.6, 2.5334710313579974132e-1},  // central
    {0.3, -5.2440051270804081597e-1},
    {0.075, -1.4395314709384559349},  // |p - 0.5| = 0.425: still central
    {0.925, 1.4395314709384562291},
    {0.9, 1.2815515655446005935},
    {0.025, -1.9599639845400542118},  // intermediate tail
    {0.975, 1.9599639845400538556},
    {0.001, -3.0902323061678135354},
    {0.999, 3.0902323061678132778},
    {1e-05, -4.2648907939228246102},
    {0.99999, 4.2648907939238407699},
    {0.0010000000474974513, -3.0902322920614340913},  // the SPI clip bounds
    {0.9990000128746033, 3.0902361298491052688},
    {1e-12, -7.0344838253011319326},
    {1e-20, -9.2623400897984075796},  // far tail
    {1e-100, -2.1273453560965324294e+1},
    {1e-300, -3.7047096299361199237e+1},
    {4.9e-324, -3.8467405617144346251e+1},  // the smallest positive 8-byte real
};

TEST(NormalQuantile, RelativeErrorInAllRegions) {
  Console console;
  for (const auto& c : kQuantiles) {
    EXPECT_NEAR(compute::quastn(c.p), c.z, 4e-16 * std::fabs(c.z)) << "p=" << c.p;
  }
  EXPECT_EQ(compute::quastn(0.5), 0.0);
  EXPECT_FALSE(std::signbit(compute::quastn(0.5)));  // written 0.00, not -0.00
  EXPECT_EQ(console.out, "");
}

// ---------------------------------------------------------------------------

// Expected fractions from b_r = (1/n) sum x_i p_i^r and
// lambda_k = sum_i (-1)^(k-1-i) C(k-1,i) C(k-1+i,i) b_i, in exact rationals
// (python3 fractions.Fraction).
TEST(LMoments, PlottingPositionEstimates) {
  int ifail = -1;
  std::array<double, 4> m{};
  // The SPI fit's parameters: positions j/n.
  compute::samlmr(std::vector<double>{1, 2, 4, 8}, 4, m, -0.0, 1e-30, ifail);
  EXPECT_EQ(ifail, 0);
  EXPECT_DOUBLE_EQ(m[0], 15.0 / 4.0);
  EXPECT_DOUBLE_EQ(m[1], 19.0 / 8.0);
  EXPECT_NEAR(m[2], 51.0 / 76.0, 1e-14);
  EXPECT_NEAR(m[3], 107.0 / 152.0, 1e-14);
  // Equal values are no failure with positions j/n: lambda2 = x/n.
  std::array<double, 3> m3{};
  compute::samlmr(std::vector<double>{5, 5, 5}, 3, m3, -0.0, 1e-30, ifail);
  EXPECT_EQ(ifail, 0);
  EXPECT_DOUBLE_EQ(m3[0], 5.0);
  EXPECT_DOUBLE_EQ(m3[1], 5.0 / 3.0);
  EXPECT_NEAR(m3[2], 1.0 / 3.0, 1e-14);
  // Positions (j - 0.35)/n.
  compute::samlmr(std::vector<double>{1, 2, 4, 8}, 4, m, -0.35, 0.0, ifail);
  EXPECT_DOUBLE_EQ(m[1], 55.0 / 32.0);
  EXPECT_NEAR(m[2], 1329.0 / 4400.0, 1e-14);
  EXPECT_NEAR(m[3], 2383.0 / 35200.0, 1e-14);
  // More than 20 L-moments: refused, never written past the array.
  Console console;
  std::vector<double> sample(30, 1.0), many(21, 9.0);
  sample[0] = 2.0;
  compute::samlmr(sample, 30, many, -0.0, 1e-30, ifail);
  EXPECT_EQ(ifail, 1);
  EXPECT_EQ(many[20], 9.0);
}

// ---------------------------------------------------------------------------

// The rational approximations evaluated at 50 digits with the 8-byte values of
// their published constants, so that the branch taken at third = 0.33333333 is
// the one 8-byte arithmetic takes (the two formulas differ there by 1e-5).
struct FitCase {
  double l1, l2, t3, sigma, gamma;
};
const FitCase kFits[] = {
    {10.0, 2.0, 0.1, 3.5865212676303709818, 6.1122323783571851955e-1},
    {10.0, 2.0, 0.01, 3.545325408916546032, 6.1396641719984689872e-2},
    {10.0, 2.0, 0.3333333, 4.0000086555644783514, 2.0000187869592018536},   // first formula
    {10.0, 2.0, 0.33333333, 4.0000133531083960881, 2.0000291151449537003},  // second formula
    {10.0, 2.0, -0.5, 4.5998631040240867061, -3.0793448313811056955},
    {3.5, 0.75, 0.9, 3.9231419442440603022, 9.9132076058464007633},
};

TEST(PearsonFit, ParametersFromLMoments) {
  for (const auto& c : kFits) {
    std::array<double, 3> para{};
    int ifail = -1;
    compute::pelpe3({c.l1, c.l2, c.t3}, para, ifail);
    EXPECT_EQ(ifail, 0);
    EXPECT_EQ(para[0], c.l1);
    // sigma comes from lnG(alpha) - lnG(alpha + 1/2): a difference of values of
    // size lnG(alpha), each rounded, so small skewness (large alpha) costs digits.
    const double alpha = 4.0 / (c.gamma * c.gamma);
    const double tol = 1e-14 + 4e-16 * std::fabs(std::lgamma(alpha));
    EXPECT_NEAR(para[1], c.sigma, tol * c.sigma) << c.t3;
    EXPECT_NEAR(para[2], c.gamma, 1e-14 * std::fabs(c.gamma)) << c.t3;
  }
  // Effectively symmetric: normal, sigma = lambda2 * rootpi with its 8 digits.
  std::array<double, 3> para{};
  int ifail = -1;
  compute::pelpe3({10.0, 2.0, -1e-6}, para, ifail);
  EXPECT_EQ(para, (std::array<double, 3>{10.0, 2.0 * 1.7724539, 0.0}));
}

TEST(PearsonFit, InvalidLMomentsGiveZerosSilently) {
  Console console;
  for (auto m : {std::array<double, 3>{0, 0, 0}, std::array<double, 3>{5, -1, 0.2},
                 std::array<double, 3>{5, 1, 1.0}, std::array<double, 3>{5, 1, -1.5},
                 std::array<double, 3>{5, std::nan(""), 0.2}}) {
    std::array<double, 3> para{7, 7, 7};
    int ifail = 0;
    compute::pelpe3(m, para, ifail);
    EXPECT_EQ(ifail, 1);
    EXPECT_EQ(para, (std::array<double, 3>{0, 0, 0}));
  }
  EXPECT_EQ(console.out, "");
}

}  // namespace
