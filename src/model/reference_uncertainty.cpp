#include "model/reference_uncertainty.hpp"

#include <cmath>
#include <limits>

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

FrequencyMoments sized(int k) {
  FrequencyMoments m;
  m.alleles = k;
  m.mean.assign(k, 0.0);
  m.cov.assign(static_cast<std::size_t>(k) * k, 0.0);
  return m;
}

// Gamma(x + 1/2) / Gamma(x) for x > 0.  Below 170 both gammas are finite
// doubles and each is correct to a few units in the last place.  Above, a
// difference of log-gammas would lose digits in proportion to their size
// (at a billion reference copies, the sixth), so the ratio comes from its
// asymptotic series, whose first omitted term is below 1e-18 there.
double halfPochhammer(double x) {
  if (x < 170.0) return std::tgamma(x + 0.5) / std::tgamma(x);
  const double y = 1.0 / x;
  const double series =
      1.0 + y * (-1.0 / 8 + y * (1.0 / 128 + y * (5.0 / 1024 + y * (-21.0 / 32768 +
                                                                    y * (-399.0 / 262144 +
                                                                         y * 869.0 / 4194304)))));
  return std::sqrt(x) * series;
}

// E[sqrt(theta)] for theta ~ Beta(a, b), a, b > 0:
// B(a + 1/2, b) / B(a, b) = (Gamma(a + 1/2) / Gamma(a)) / (Gamma(a + b + 1/2) / Gamma(a + b)).
double betaRootMean(double a, double b) { return halfPochhammer(a) / halfPochhammer(a + b); }

}  // namespace

FrequencyMoments exactMoments(const double* freq, int k) {
  FrequencyMoments m = sized(k);
  for (int i = 0; i < k; ++i) m.mean[i] = freq[i];
  return m;
}

FrequencyMoments dirichletMoments(const double* counts, int k, double pseudoCount) {
  double total = 0.0;
  for (int i = 0; i < k; ++i) total += counts[i] + pseudoCount;
  if (!(total > 0.0)) return FrequencyMoments{};
  FrequencyMoments m = sized(k);
  for (int i = 0; i < k; ++i) m.mean[i] = (counts[i] + pseudoCount) / total;
  // Var r_i = alpha_i (alpha_0 - alpha_i) / (alpha_0^2 (alpha_0 + 1)),
  // Cov(r_i, r_j) = -alpha_i alpha_j / (alpha_0^2 (alpha_0 + 1)).
  const double scale = 1.0 / (total * total * (total + 1.0));
  for (int i = 0; i < k; ++i) {
    const double ai = counts[i] + pseudoCount;
    for (int j = 0; j < k; ++j) {
      const double aj = counts[j] + pseudoCount;
      m.cov[i * k + j] = (i == j ? ai * (total - ai) : -ai * aj) * scale;
    }
  }
  return m;
}

PhenotypeMoments betaPhenotypeMoments(double present, double absent, double pseudoCount) {
  const double a = absent + pseudoCount;
  const double b = present + pseudoCount;
  if (!(a >= 0.0 && b >= 0.0 && a + b > 0.0)) return {kNaN, kNaN, kNaN};
  if (a == 0.0) return {0.0, 0.0, 1.0};
  if (b == 0.0) return {1.0, 1.0, 0.0};
  const double root = betaRootMean(a, b);
  return {a / (a + b), root, 1.0 - root};
}

FrequencyMoments dominantAlleleMoments(const PhenotypeMoments& m) {
  FrequencyMoments d = sized(2);
  d.mean[0] = m.dominant;
  d.mean[1] = m.rootAbsent;
  const double variance = m.absent - m.rootAbsent * m.rootAbsent;
  d.cov = {variance, -variance, -variance, variance};
  return d;
}

}  // namespace parmix
