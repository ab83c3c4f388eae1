// The SPI transform's inner step: the Pearson type III probability of an
// accumulated precipitation value followed by its normal quantile, over
// parameter sets and values like those of real monthly fits.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "compute/numlib.h"

namespace {

struct Case {
  double x;
  std::array<double, 3> para;
};

// Fits of monthly to two-year sums (inches): means of 0.5 to 60, coefficients
// of variation of 0.1 to 1.2, mostly positive skewness with a few negative and
// near-symmetric ones; values inside the support, spread over about
// two standard deviations around the mean.
std::vector<Case> realistic_cases() {
  std::mt19937 gen(20240601);
  std::uniform_real_distribution<double> mean(0.5, 60.0);
  std::uniform_real_distribution<double> cv(0.1, 1.2);
  std::uniform_real_distribution<double> skew(-0.6, 2.5);
  std::uniform_real_distribution<double> spread(-2.0, 2.5);
  std::vector<Case> cases;
  while (cases.size() < 4096) {
    const double mu = mean(gen);
    const double sigma = mu * cv(gen);
    const double gamma = skew(gen);
    const double x = mu + spread(gen) * sigma;
    if (x <= 0.0) continue;
    cases.push_back({x, {mu, sigma, gamma}});
  }
  return cases;
}

void BM_Cdfpe3ThenQuastn(benchmark::State& state) {
  const auto cases = realistic_cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i];
    i = (i + 1) % cases.size();
    int ifail = 0;
    const double f = compute::cdfpe3(c.x, c.para, ifail, -99.0f);
    const double p = std::clamp(f, 0.0010000000474974513, 0.9990000128746033);
    benchmark::DoNotOptimize(compute::quastn(p));
  }
}
BENCHMARK(BM_Cdfpe3ThenQuastn);

void BM_Cdfpe3(benchmark::State& state) {
  const auto cases = realistic_cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i];
    i = (i + 1) % cases.size();
    int ifail = 0;
    benchmark::DoNotOptimize(compute::cdfpe3(c.x, c.para, ifail, -99.0f));
  }
}
BENCHMARK(BM_Cdfpe3);

void BM_Quastn(benchmark::State& state) {
  std::vector<double> probabilities;
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> p(0.001, 0.999);
  for (int k = 0; k < 4096; ++k) probabilities.push_back(p(gen));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(compute::quastn(probabilities[i]));
    i = (i + 1) % probabilities.size();
  }
}
BENCHMARK(BM_Quastn);

}  // namespace
