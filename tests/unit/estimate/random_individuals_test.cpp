// Seeded property test: many random individuals, each estimate and support
// limit checked against a brute-force search over a log-likelihood written
// out here from the model itself, with no call into the model code.

#include <gtest/gtest.h>

#include "support/one_individual.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"
#include "input/data_set.hpp"
#include "model/likelihood.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;

constexpr double kNegInf = -std::numeric_limits<double>::infinity();


// Frequency of an allele in the gamete pool of an individual with index h.
double mixture(double h, double inR, double inS) { return h * inR + (1.0 - h) * inS; }

// Hardy-Weinberg proportions in the pool: homozygote p^2, heterozygote
// 2 p1 p2, dominant phenotype 1 - q^2 = p (1 + q), recessive phenotype q^2,
// where q is the pooled frequency of the recessive allele.
double referenceLogL(double h, const std::vector<Locus>& loci) {
  double sum = 0.0;
  for (const Locus& l : loci) {
    if (l.type == 'C') {
      if (l.first == kMissing || l.second == kMissing) continue;
      const double p1 = mixture(h, l.r[l.first - 1], l.s[l.first - 1]);
      if (l.first == l.second) {
        sum += 2.0 * std::log(p1);
      } else {
        const double p2 = mixture(h, l.r[l.second - 1], l.s[l.second - 1]);
        sum += std::log(2.0) + std::log(p1) + std::log(p2);
      }
    } else if (l.type == 'D') {
      const double p = mixture(h, l.r[0], l.s[0]);
      const double q = mixture(h, 1.0 - l.r[0], 1.0 - l.s[0]);
      if (l.first == 1) sum += std::log(p) + std::log(1.0 + q);
      if (l.first == 0) sum += 2.0 * std::log(q);
    }
  }
  return sum;
}

// d ln L / dh of the reference: each pooled frequency has slope inR - inS.
double referenceSlope(double h, const std::vector<Locus>& loci) {
  double sum = 0.0;
  for (const Locus& l : loci) {
    if (l.type == 'C') {
      if (l.first == kMissing || l.second == kMissing) continue;
      const double a1 = l.r[l.first - 1], b1 = l.s[l.first - 1];
      const double a2 = l.r[l.second - 1], b2 = l.s[l.second - 1];
      if (l.first == l.second)
        sum += 2.0 * (a1 - b1) / mixture(h, a1, b1);
      else
        sum += (a1 - b1) / mixture(h, a1, b1) + (a2 - b2) / mixture(h, a2, b2);
    } else if (l.type == 'D') {
      const double a = l.r[0], b = l.s[0];
      const double q = mixture(h, 1.0 - a, 1.0 - b);
      if (l.first == 1) sum += (a - b) / mixture(h, a, b) - (a - b) / (1.0 + q);
      if (l.first == 0) sum += 2.0 * (b - a) / q;
    }
  }
  return sum;
}


// The flat-surface rule on the reference: ln L at 0.5 within 1e-06 of its
// value at either end, an end where ln L is minus infinity moved inwards by
// 1e-06 first.
struct Flatness {
  bool flat;
  bool nearThreshold;
};
Flatness referenceFlatness(const std::vector<Locus>& loci) {
  const double lower = std::isinf(referenceLogL(0.0, loci)) ? 1e-6 : 0.0;
  const double upper = std::isinf(referenceLogL(1.0, loci)) ? 1.0 - 1e-6 : 1.0;
  const double middle = referenceLogL(0.5, loci);
  Flatness result{false, false};
  for (double end : {lower, upper}) {
    const double difference = std::fabs(referenceLogL(end, loci) - middle);
    if (difference < 1e-6) result.flat = true;
    if (std::fabs(difference - 1e-6) < 1e-12) result.nearThreshold = true;
  }
  return result;
}

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  std::vector<Locus> individual() {
    std::vector<Locus> loci(integer(1, 8));
    for (Locus& l : loci) {
      const double kind = uniform();
      if (kind < 0.55)
        l = codominant();
      else if (kind < 0.9)
        l = dominant();
      else
        l = excluded();
    }
    return loci;
  }

 private:
  double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }
  int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  // In (0, 1): both ends excluded.
  double openUnit() {
    double x;
    do x = uniform();
    while (x <= 0.0);
    return x;
  }

  // k frequencies summing to 1; now and then one allele is absent, which
  // makes ln L minus infinity at one end for a carrier.
  std::vector<double> frequencies(int k) {
    std::vector<double> f(k);
    for (double& x : f) x = 0.02 + uniform();
    if (uniform() < 0.2) f[integer(0, k - 1)] = 0.0;
    double total = 0.0;
    for (double x : f) total += x;
    for (double& x : f) x /= total;
    return f;
  }

  Locus codominant() {
    const int k = integer(2, 5);
    Locus l{'C', kMissing, kMissing, frequencies(k), frequencies(k)};
    // Only alleles that one parent carries at least: the data checks
    // reject the others.
    std::vector<int> carried;
    for (int a = 0; a < k; ++a)
      if (l.r[a] > 0.0 || l.s[a] > 0.0) carried.push_back(a + 1);
    auto pick = [&] { return carried[integer(0, static_cast<int>(carried.size()) - 1)]; };
    l.first = pick();
    l.second = pick();
    const double missing = uniform();
    if (missing < 0.1) {
      l.first = l.second = kMissing;
    } else if (missing < 0.15) {
      l.first = kMissing;
    } else if (missing < 0.2) {
      l.second = kMissing;
    }
    return l;
  }

  Locus dominant() {
    Locus l{'D', 1, kMissing, {openUnit()}, {openUnit()}};
    const double phenotype = uniform();
    if (phenotype < 0.45) {
      l.first = 1;
    } else if (phenotype < 0.9) {
      l.first = 0;
    } else if (phenotype < 0.97) {
      l.first = kMissing;
    } else {
      l.first = 2;
    }
    return l;
  }

  Locus excluded() {
    const double f = uniform();
    return {'B', integer(1, 2), integer(1, 2), {f, 1.0 - f}, {f, 1.0 - f}};
  }

  std::mt19937 rng_;
};

// Argmax of the reference over [0, 1]: a grid of step 1e-4, then golden
// section between the neighbours of the best grid point.  ln L is concave in
// h (every term is the log of a linear or a concave positive function), so
// the grid maximum lies next to the true one and the refinement converges
// to it.
double referenceArgmax(const std::vector<Locus>& loci) {
  const int steps = 10000;
  int best = 0;
  double bestValue = kNegInf;
  for (int i = 0; i <= steps; ++i) {
    const double v = referenceLogL(static_cast<double>(i) / steps, loci);
    if (v > bestValue) {
      bestValue = v;
      best = i;
    }
  }
  double a = std::max(0, best - 1) / static_cast<double>(steps);
  double b = std::min(steps, best + 1) / static_cast<double>(steps);
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  while (b - a > 1e-13) {
    const double c = b - ratio * (b - a);
    const double d = a + ratio * (b - a);
    if (referenceLogL(c, loci) >= referenceLogL(d, loci))
      b = d;
    else
      a = c;
  }
  // The ends themselves are candidates that golden section never evaluates.
  double h = 0.5 * (a + b);
  for (double end : {0.0, 1.0})
    if (referenceLogL(end, loci) > referenceLogL(h, loci)) h = end;
  return h;
}

// Where the reference falls to level between inside (above it) and outside
// (at or below it, possibly minus infinity), by bisection.
double referenceRoot(const std::vector<Locus>& loci, double level, double inside,
                     double outside) {
  for (int i = 0; i < 200; ++i) {
    const double m = 0.5 * (inside + outside);
    if (referenceLogL(m, loci) > level)
      inside = m;
    else
      outside = m;
  }
  return 0.5 * (inside + outside);
}

TEST(RandomIndividuals, EstimatesAndLimitsAgreeWithBruteForce) {
  Generator generator(20240611u);
  const int individuals = 300;
  int studied = 0;
  int estimatesAtAnEnd = 0;
  int solvedLimits = 0;
  int cutLimits = 0;
  for (int n = 0; n < individuals; ++n) {
    const std::vector<Locus> loci = generator.individual();
    Individual arrays(loci);
    SCOPED_TRACE("individual " + std::to_string(n));

    // The model against the reference, ends included.
    for (double h : {0.0, 1e-6, 0.1, 0.5, 0.9, 1.0 - 1e-6, 1.0}) {
      const double expected = referenceLogL(h, loci);
      const double actual = arrays.logL(h);
      if (std::isinf(expected)) {
        EXPECT_EQ(actual, expected) << "h = " << h;
      } else {
        // At most eight logs of well-scaled numbers: a few ulps each.
        EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected))) << "h = " << h;
      }
    }

    // Flat exactly when the reference says so; an individual whose
    // difference lies within rounding of the threshold could go either way.
    const Flatness reference = referenceFlatness(loci);
    if (!reference.nearThreshold) {
      EXPECT_EQ(arrays.flat() == 1, reference.flat);
    }
    if (arrays.flat() == 1) continue;
    ++studied;

    // Random continuous data leave no ties and nothing that underflows, so
    // every non-flat individual has an estimate.  The minimiser's last
    // bracket is narrower than 1e-06 and holds the optimum of a concave
    // objective; the pre-search snaps to an end only from an interval no
    // wider than that.  The reference is good to about 1e-13.
    const double estimate = arrays.estimate();
    ASSERT_FALSE(std::isnan(estimate));
    EXPECT_NEAR(estimate, referenceArgmax(loci), 1e-6);
    if (estimate == 0.0 || estimate == 1.0) ++estimatesAtAnEnd;

    const double maxLogL = arrays.logL(estimate);
    const double level = maxLogL - 2.0;
    bool truncated[2] = {false, false};
    double limits[2];
    for (int side : {0, 1}) {
      const double end = side;
      if (estimate == end) {
        // The run's own rule: an estimate at an end is its own limit there.
        limits[side] = end;
        truncated[side] = true;
      } else {
        limits[side] = arrays.bound(maxLogL, estimate, side, truncated);
      }
    }

    for (int side : {0, 1}) {
      SCOPED_TRACE(side == 0 ? "lower limit" : "upper limit");
      const double end = side;
      const double limit = limits[side];
      if (truncated[side]) {
        ++cutLimits;
        EXPECT_EQ(limit, end);
        EXPECT_GT(referenceLogL(end, loci), level);
        continue;
      }
      ++solvedLimits;
      ASSERT_TRUE(std::isfinite(limit));
      EXPECT_LE(referenceLogL(end, loci), level);
      EXPECT_EQ(limit < estimate, side == 0);
      // The root solver stops once its bracket is narrower than 1e-06 times
      // the limit, so the limit may sit that far from the true root, and ln L
      // there may miss the level by that distance times its slope (several
      // times 1e-06 where ln L falls steeply towards an end).  1e-09 covers the
      // arithmetic of the reference.
      const double reach = 1e-6 * std::fabs(limit);
      EXPECT_NEAR(limit, referenceRoot(loci, level, estimate, end), reach + 1e-12);
      EXPECT_NEAR(referenceLogL(limit, loci), level,
                  reach * std::fabs(referenceSlope(limit, loci)) + 1e-9);
    }
  }
  // Enough of every kind of case for the checks above to mean something.
  EXPECT_GE(studied, 250);
  EXPECT_GE(estimatesAtAnEnd, 50);
  EXPECT_GE(studied - estimatesAtAnEnd, 100);
  EXPECT_GE(solvedLimits, 150);
  EXPECT_GE(cutLimits, 150);
}

// Individuals as the simulator draws them: loci of two alleles (one in ten
// dominant) with R and S frequencies apart by chance, each allele from R
// with chance h, one designation in twenty missing.
class SimulatedPanel {
 public:
  explicit SimulatedPanel(unsigned seed) : rng_(seed) {
    for (int i = 0; i < kLoci; ++i) {
      rFreq_.push_back(0.02 + 0.96 * uniform());
      sFreq_.push_back(0.02 + 0.96 * uniform());
      dominant_.push_back(uniform() < 0.1);
    }
  }

  std::vector<Locus> individual() {
    const double h = uniform();
    std::vector<Locus> loci;
    for (int i = 0; i < kLoci; ++i) {
      const double r = rFreq_[i], s = sFreq_[i];
      const int first = allele(h, r, s), second = allele(h, r, s);
      if (dominant_[i]) {
        const int phenotype = first == 1 || second == 1 ? 1 : 0;
        loci.push_back(test::dominant(missing() ? kMissing : phenotype, r, s));
      } else {
        const bool gap = missing();
        loci.push_back(test::codominant(gap ? kMissing : first, gap ? kMissing : second,
                                        {r, 1.0 - r}, {s, 1.0 - s}));
      }
    }
    return loci;
  }

 private:
  static constexpr int kLoci = 40;
  double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }
  bool missing() { return uniform() < 0.05; }
  int allele(double h, double r, double s) {
    const double p = uniform() < h ? r : s;
    return uniform() < p ? 1 : 2;
  }

  std::mt19937 rng_;
  std::vector<double> rFreq_, sFreq_;
  std::vector<bool> dominant_;
};

// The argmax of the reference from its slope, which falls with h (ln L is
// concave): an end when the slope there points outwards, otherwise the
// zero of the slope by bisection to the last bit.
double argmaxBySlope(const std::vector<Locus>& loci) {
  if (!(referenceSlope(0.0, loci) > 0.0)) return 0.0;
  if (!(referenceSlope(1.0, loci) < 0.0)) return 1.0;
  double low = 0.0, high = 1.0;
  for (int i = 0; i < 100; ++i) {
    const double middle = 0.5 * (low + high);
    (referenceSlope(middle, loci) > 0.0 ? low : high) = middle;
  }
  return 0.5 * (low + high);
}

std::string reported(double h) {
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", h);
  return text;
}

// The minimiser stops once its bracket, which holds the optimum, is
// narrower than 1e-06, so a correct estimate lies within 1e-06 of the
// reference: where a boundary between two reported values lies closer than
// that, either value is right.
bool nearRoundingBoundary(double h) {
  const double step = 1e-5;
  const double boundary = (std::floor(h / step - 0.5) + 0.5) * step;
  return std::fabs(h - boundary) < 1e-6 || std::fabs(h - (boundary + step)) < 1e-6;
}

TEST(RandomIndividuals, SimulatedEstimatesAgreeAtTheReportsPrecision) {
  SimulatedPanel panel(2026u);
  const int kIndividuals = 6000;
  int compared = 0;
  for (int n = 0; n < kIndividuals; ++n) {
    const std::vector<Locus> loci = panel.individual();
    Individual arrays(loci);
    if (arrays.flat() == 1) continue;
    const double expected = argmaxBySlope(loci);
    const double estimate = arrays.estimate();
    // The pre-search and the minimiser both stop on an interval narrower
    // than 1e-06 that holds the optimum; the reference is good to 1e-12.
    EXPECT_NEAR(estimate, expected, 1e-6 + 1e-12) << "individual " << n;
    if (nearRoundingBoundary(expected)) continue;
    ++compared;
    EXPECT_EQ(reported(estimate), reported(expected)) << "individual " << n;
  }
  // Four in five rows lie clear of a boundary.
  EXPECT_GE(compared, kIndividuals * 3 / 4);
}

}  // namespace
}  // namespace parmix
