// The Newton searches of the study of h: on closed forms (where a plain
// Newton step overshoots, where the derivatives are not finite), and on
// random individuals of both layouts against a dense grid refined by
// golden sections, and against the bracketing searches whose decisions
// they must keep.

#include "estimate/newton_search.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "estimate/gl_estimate.hpp"
#include "estimate/gsl_support.hpp"
#include "estimate/objective_searches.hpp"
#include "model/compact_likelihood.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {
namespace {

// ln L with slope -atan(k (h - c)): concave, but a Newton or Halley step
// from a point far from c lands far outside [0, 1] (the classic
// divergence).
struct Arctangent {
  double k, c;
  int calls = 0;
};
LikelihoodDerivatives arctangentAt(void* params, double h, bool withValue) {
  auto* f = static_cast<Arctangent*>(params);
  ++f->calls;
  const double x = f->k * (h - f->c);
  const double value = -(x * std::atan(x) - 0.5 * std::log1p(x * x)) / f->k;
  const double spread = 1 + x * x;
  return {withValue ? value : std::nan(""), -std::atan(x), -f->k / spread,
          2 * f->k * f->k * x / (spread * spread)};
}

TEST(NewtonSearch, StepsThatWouldLeaveTheBracketBisectInstead) {
  for (double guess : {0.02, 0.5, 0.97}) {
    Arctangent f{80.0, 0.41};
    const SlopeObjective slopes{&arctangentAt, &f};
    EXPECT_NEAR(0.41, newtonMaximum(slopes, 0.0, guess, 1.0), 1e-10) << guess;
    // Bisection takes the bracket to Newton's reach in a few halvings.
    EXPECT_LT(f.calls, 30) << guess;
  }
  // The level of the same surface half a unit down (value 0 at the top),
  // solved on the right by bisection; the search starts near the end,
  // where the slope is nearly flat and a Newton step runs far.
  Arctangent f{80.0, 0.41};
  const SlopeObjective slopes{&arctangentAt, &f};
  double a = 0.41, b = 1.0;
  for (int i = 0; i < 200; ++i) {
    const double m = 0.5 * (a + b);
    ((arctangentAt(&f, m, true).value + 0.5) > 0 ? a : b) = m;
  }
  ASSERT_LT(a, 0.99);
  f.calls = 0;
  EXPECT_NEAR(a, newtonLevel(slopes, 0.0, 0.5, 0.41, 1.0, false, 0.999), 1e-10);
  EXPECT_LT(f.calls, 30);
}

LikelihoodDerivatives undefinedAt(void*, double, bool) {
  return {std::nan(""), std::nan(""), std::nan(""), std::nan("")};
}
// 3 ln h + 5 ln(1-h): maximum at 3/8, and the derivatives of a NaN term.
double negatedBeta(double h, void*) { return -(3 * std::log(h) + 5 * std::log1p(-h)); }

TEST(NewtonSearch, NonFiniteDerivativesLeaveTheBracketingSearchesTheirAnswer) {
  const SlopeObjective undefined{&undefinedAt, nullptr};
  EXPECT_TRUE(std::isnan(newtonMaximum(undefined, 0.0, 0.5, 1.0)));
  EXPECT_TRUE(std::isnan(newtonLevel(undefined, 0.0, 2.0, 0.0, 0.5, true, 0.2)));
  gsl_function F{&negatedBeta, nullptr};
  const SupportedEstimate bracketing = studyObjective(F);
  const SupportedEstimate fallen = studyObjective(F, &undefined);
  // Bit for bit: the same searches ran.
  EXPECT_EQ(bracketing.h, fallen.h);
  EXPECT_EQ(bracketing.lowerBound, fallen.lowerBound);
  EXPECT_EQ(bracketing.upperBound, fallen.upperBound);
  EXPECT_NEAR(0.375, bracketing.h, 1e-6);
}

// A random individual of either layout: loci of 2 to 4 alleles with
// frequencies from (0.02, 1), diagnostic loci in some, missing calls, and
// in the genotype-likelihood layout uncertain frequencies and reads.
struct Draw {
  std::mt19937_64 rng;
  double unit() { return std::uniform_real_distribution<double>(0, 1)(rng); }
  std::vector<double> frequencies(int k, bool diagnostic) {
    std::vector<double> f(k, 0.0);
    if (diagnostic) {
      f[rng() % k] = 1.0;
      return f;
    }
    double sum = 0.0;
    for (double& x : f) sum += x = 0.02 + 0.98 * unit();
    for (double& x : f) x /= sum;
    return f;
  }
  int allele(double h, const std::vector<double>& r, const std::vector<double>& s) {
    double x = unit(), cumulative = 0.0;
    for (std::size_t a = 0; a < r.size(); ++a)
      if (x < (cumulative += h * r[a] + (1 - h) * s[a])) return static_cast<int>(a);
    return static_cast<int>(r.size()) - 1;
  }
};

// Every fifth individual sits at an end, every seventh on loci that say
// nothing (R and S alike, or no reads): a flat surface.
double trueIndex(Draw& draw, int trial) {
  if (trial % 5 == 0) return trial % 10 == 0 ? 0.0 : 1.0;
  return draw.unit();
}

CompactIndividual certainIndividual(Draw& draw, int trial) {
  CompactIndividual layout;
  const double h = trueIndex(draw, trial);
  const int loci = 3 + static_cast<int>(draw.rng() % 300);
  for (int l = 0; l < loci; ++l) {
    const int k = 2 + static_cast<int>(draw.rng() % 3);
    const bool diagnostic = trial % 3 == 0 && l % 4 == 0;
    const std::vector<double> r = draw.frequencies(k, diagnostic);
    std::vector<double> s = trial % 7 == 6 ? r : draw.frequencies(k, diagnostic);
    if (diagnostic && r == s) std::rotate(s.begin(), s.begin() + 1, s.end());
    const int a = draw.allele(h, r, s), b = draw.allele(h, r, s);
    if (draw.rng() % 10 == 0) continue;  // missing
    if (l % 6 == 5)
      layout.addLocus('D', a == 0 || b == 0 ? 1 : 0, -9999, r.data(), s.data());
    else
      layout.addLocus('C', a + 1, b + 1, r.data(), s.data());
  }
  return layout;
}

GlIndividual likelihoodIndividual(Draw& draw, int trial) {
  GlIndividual layout;
  const double h = trueIndex(draw, trial);
  const int loci = 3 + static_cast<int>(draw.rng() % 300);
  for (int l = 0; l < loci; ++l) {
    const int k = l % 5 == 4 ? 3 : 2;
    const std::vector<double> r = draw.frequencies(k, false);
    const std::vector<double> s = trial % 7 == 6 ? r : draw.frequencies(k, false);
    std::vector<double> countsR(k), countsS(k);
    for (int a = 0; a < k; ++a) {
      countsR[a] = std::round(30 * r[a]);
      countsS[a] = std::round(30 * s[a]);
    }
    const SiteGenotypes site(dirichletMoments(countsR.data(), k, 1.0),
                             dirichletMoments(countsS.data(), k, 1.0));
    const int a = draw.allele(h, r, s), b = draw.allele(h, r, s);
    // Reads: the true genotype most likely, the others by a random error.
    std::vector<double> likelihoods(genotypeCount(k));
    for (double& x : likelihoods) x = trial % 2 == 0 ? 0.0 : 0.05 * draw.unit();
    likelihoods[genotypeIndex(a, b)] = 1.0;
    // No reads: likelihoods all alike, no term, a flat surface.
    if (trial % 7 == 6) std::fill(likelihoods.begin(), likelihoods.end(), 0.3);
    layout.addSite(site, likelihoods.data());
  }
  return layout;
}

// The reference: the best of 4001 grid points, refined by golden sections
// to 1e-13, and each limit by bisection of the level on its side.
struct Reference {
  double h, lower, upper;
};
template <typename Layout>
Reference referenceOf(const Layout& layout) {
  const auto f = [&](double h) { return layout.logLikelihood(h); };
  int best = 0;
  for (int i = 1; i <= 4000; ++i)
    if (f(i / 4000.0) > f(best / 4000.0)) best = i;
  double a = std::max(0.0, (best - 1) / 4000.0), b = std::min(1.0, (best + 1) / 4000.0);
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  while (b - a > 1e-13) {
    const double x1 = b - ratio * (b - a), x2 = a + ratio * (b - a);
    (f(x1) < f(x2) ? a : b) = f(x1) < f(x2) ? x1 : x2;
  }
  const double h = 0.5 * (a + b), level = f(h) - 2.0;
  const auto limit = [&](double inside, double end) {
    if (f(end) > level) return end;
    for (int i = 0; i < 200; ++i) {
      const double m = 0.5 * (inside + end);
      (f(m) > level ? inside : end) = m;
    }
    return inside;
  };
  return {h, limit(h, 0.0), limit(h, 1.0)};
}

struct Tally {
  int interior = 0, ends = 0, flat = 0, cut = 0;
  std::size_t newtonPasses = 0, bracketingPasses = 0;
  std::uint64_t newtonLogs = 0, bracketingLogs = 0;
  double largestDifference = 0.0;
};

// Both searches on one individual: the decisions are the bracketing
// search's, the numbers those of the reference.
template <typename Layout>
void compareSearches(const Layout& layout, int trial, Tally& tally) {
  if (!layout.hasData()) return;
  RememberedLikelihood newtonPoints, bracketingPoints;
  newtonPoints.rememberFor(layout);
  bracketingPoints.rememberFor(layout);
  const SupportedEstimate n = studyLikelihood(newtonPoints, Search::Newton);
  const SupportedEstimate b = studyLikelihood(bracketingPoints, Search::Bracketing);
  tally.newtonPasses += newtonPoints.passes();
  tally.bracketingPasses += bracketingPoints.passes();
  tally.newtonLogs += newtonPoints.logCalls();
  tally.bracketingLogs += bracketingPoints.logCalls();
  ASSERT_EQ(std::isnan(b.h), std::isnan(n.h)) << "trial " << trial;
  if (std::isnan(b.h)) {
    ++tally.flat;
    return;
  }
  EXPECT_EQ(b.h == 0.0 || b.h == 1.0, n.h == 0.0 || n.h == 1.0) << "trial " << trial;
  EXPECT_EQ(b.truncated[0], n.truncated[0]) << "trial " << trial;
  EXPECT_EQ(b.truncated[1], n.truncated[1]) << "trial " << trial;
  tally.cut += n.truncated[0] + n.truncated[1];
  const double got[] = {n.h, n.lowerBound, n.upperBound};
  const double brent[] = {b.h, b.lowerBound, b.upperBound};
  // Brent's searches stop within 1e-06 of the answer (relative 1e-06 for
  // a limit): the two agree to twice that.
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(brent[i], got[i], 2e-6) << "trial " << trial << " column " << i;
    tally.largestDifference = std::max(tally.largestDifference, std::fabs(brent[i] - got[i]));
  }
  if (n.h == 0.0 || n.h == 1.0) {
    ++tally.ends;
    return;
  }
  ++tally.interior;
  const Reference r = referenceOf(layout);
  // Values place a maximum only to some sqrt(eps) of h, where ln L is flat
  // to its last bits: the search's point must be as high as the
  // reference's, up to the rounding of a sum of a few hundred logs.
  EXPECT_NEAR(r.h, n.h, 1e-6) << "trial " << trial;
  const double top = layout.logLikelihood(r.h);
  EXPECT_GE(layout.logLikelihood(n.h), top - 1e-13 * std::fabs(top)) << "trial " << trial;
  // A level is crossed with a slope, so placed to the last bits of h.
  if (!n.truncated[0]) {
    EXPECT_NEAR(r.lower, n.lowerBound, 1e-9) << "trial " << trial;
  }
  if (!n.truncated[1]) {
    EXPECT_NEAR(r.upper, n.upperBound, 1e-9) << "trial " << trial;
  }
}

void expectTableCovered(const Tally& tally) {
  EXPECT_GT(tally.interior, 100);
  EXPECT_GT(tally.ends, 20);
  EXPECT_GT(tally.flat, 10);
  EXPECT_GT(tally.cut, 40);
  // The point of the searches: fewer passes over the loci, fewer still
  // with logarithms (the flatness test and the search for an end at 0 or 1
  // stay as they are, and take the same passes).
  EXPECT_LT(tally.newtonPasses * 4, tally.bracketingPasses * 3);
  EXPECT_LT(tally.newtonLogs * 5, tally.bracketingLogs * 3);
}

TEST(NewtonSearch, CertainGenotypesAgreeWithTheReferenceAndKeepEveryDecision) {
  Draw draw{std::mt19937_64(77)};
  Tally tally;
  for (int trial = 0; trial < 300; ++trial) compareSearches(certainIndividual(draw, trial), trial, tally);
  expectTableCovered(tally);
}

TEST(NewtonSearch, GenotypeLikelihoodsAgreeWithTheReferenceAndKeepEveryDecision) {
  Draw draw{std::mt19937_64(78)};
  Tally tally;
  for (int trial = 0; trial < 300; ++trial)
    compareSearches(likelihoodIndividual(draw, trial), trial, tally);
  expectTableCovered(tally);
}

}  // namespace
}  // namespace parmix
