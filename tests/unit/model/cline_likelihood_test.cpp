#include "model/cline_likelihood.hpp"

#include <gtest/gtest.h>

#include "support/cline_reference.hpp"
#include "support/one_individual.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "input/data_set.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::codominant;
using test::dominant;

// The published form, h^v / (h^v + (1 - h)^v e^u) with u = v logit(centre).
double publishedForm(double h, double v, double centre) {
  const double u = v * std::log(centre / (1 - centre));
  return std::pow(h, v) / (std::pow(h, v) + std::pow(1 - h, v) * std::exp(u));
}

TEST(ClineAncestry, AgreesWithThePublishedForm) {
  const struct {
    double h, v, centre;
  } cases[] = {{0.3, 1, 0.5},   {0.3, 2.5, 0.4},  {0.9, 0.3, 0.7}, {0.05, 8, 0.2},
               {0.5, 4, 0.5},   {0.999, 0.02, 0.01}, {0.6, 60, 0.61}};
  for (const auto& c : cases) {
    const double expected = publishedForm(c.h, c.v, c.centre);
    EXPECT_NEAR(clineAncestry(c.h, c.v, logit(c.centre)), expected, 1e-13 * (1 + expected))
        << "h " << c.h << " v " << c.v << " centre " << c.centre;
  }
}

TEST(ClineAncestry, NeutralCentreAndEnds) {
  for (double h : {0.01, 0.2, 0.5, 0.77, 0.99}) {
    EXPECT_NEAR(clineAncestry(h, 1.0, 0.0), h, 1e-15) << h;
    EXPECT_DOUBLE_EQ(clineAncestry(h, 3.0, logit(h)), 0.5) << h;
  }
  for (double v : {0.01, 1.0, 100.0}) {
    EXPECT_EQ(clineAncestry(0.0, v, 1.5), 0.0);
    EXPECT_EQ(clineAncestry(1.0, v, -1.5), 1.0);
  }
  // Far in the lower tail phi is e^z itself (z = v logit h, about -459),
  // not a difference that has lost it.
  const double tail = std::exp(100.0 * std::log(0.01 / 0.99));
  EXPECT_NEAR(clineAncestry(0.01, 100.0, 0.0), tail, 1e-12 * tail);
}

// Three individuals at four loci (a codominant locus with three alleles, a
// biallelic one, a dominant one and one that misses data), each with its
// own hybrid index.
struct Panel {
  std::vector<std::vector<Locus>> individuals;
  std::vector<double> h;
};

Panel threeIndividuals() {
  const std::vector<double> r3{0.7, 0.2, 0.1}, s3{0.05, 0.15, 0.8};
  const std::vector<double> r2{0.9, 0.1}, s2{0.2, 0.8};
  Panel p;
  p.individuals = {
      {codominant(1, 2, r3, s3), codominant(1, 1, r2, s2), dominant(1, 0.8, 0.3),
       codominant(kMissing, 2, r2, s2)},
      {codominant(3, 3, r3, s3), codominant(1, 2, r2, s2), dominant(0, 0.8, 0.3),
       codominant(2, 2, r2, s2)},
      {codominant(2, 3, r3, s3), codominant(2, 2, r2, s2), dominant(kMissing, 0.8, 0.3),
       codominant(1, 2, r2, s2)}};
  for (const auto& loci : p.individuals) {
    Individual ind(loci);
    p.h.push_back(ind.estimate());
  }
  return p;
}

// The locus's view over the panel, built from one-locus tables of its own.
struct LocusTables {
  explicit LocusTables(const Panel& p, int locus) {
    const Locus& first = p.individuals[0][locus];
    r = first.r, s = first.s;
    for (const auto& loci : p.individuals) g.push_back({loci[locus].first, loci[locus].second});
    view = std::make_unique<ClineLocus>(first.type, r.data(), s.data());
    for (std::size_t i = 0; i < g.size(); ++i) view->addIndividual(p.h[i], g[i].data());
  }
  std::vector<double> r, s;
  std::vector<std::vector<int>> g;
  std::unique_ptr<ClineLocus> view;
};

TEST(ClineLocus, NeutralIsTheLocusTermsOfTheHybridIndexLikelihood) {
  const Panel p = threeIndividuals();
  const int counted[] = {3, 3, 2, 2};
  for (int locus = 0; locus < 4; ++locus) {
    LocusTables tables(p, locus);
    double expected = 0;
    for (std::size_t i = 0; i < p.individuals.size(); ++i) {
      Individual alone({p.individuals[i][locus]});
      expected += alone.logL(p.h[i]);
    }
    const double neutral = tables.view->neutralLogLikelihood();
    EXPECT_NEAR(neutral, expected, 1e-12 * std::fabs(expected)) << "locus " << locus;
    EXPECT_EQ(tables.view->individuals(), counted[locus]) << "locus " << locus;
    // v = 1 at the centre 1/2 is the neutral cline up to rounding of phi.
    EXPECT_NEAR(tables.view->logLikelihood(1.0, 0.0), neutral, 1e-12 * std::fabs(neutral));
    // Any other cline scores the genotypes at phi rather than h.
    double shifted = 0;
    for (std::size_t i = 0; i < p.individuals.size(); ++i) {
      Individual alone({p.individuals[i][locus]});
      shifted += alone.logL(clineAncestry(p.h[i], 2.0, logit(0.3)));
    }
    EXPECT_NEAR(tables.view->logLikelihood(2.0, logit(0.3)), shifted,
                1e-12 * std::fabs(shifted));
  }
}

// The value against the reference's own formulas, the gradient and the
// Hessian against central differences of the value, on loci of each kind
// and at points near and far from the neutral cline.
TEST(ClineLocus, CurvatureAgreesWithDifferencesOfTheValue) {
  const struct {
    char type;
    std::vector<double> r, s;
  } loci[] = {{'C', {0.9, 0.1}, {0.15, 0.85}},
              {'C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}},
              {'C', {1.0, 0.0}, {0.0, 1.0}},
              {'D', {0.8}, {0.1}}};
  const double points[][2] = {{0, 0}, {1.2, -0.8}, {-1.5, 2.0}, {2.5, 0.3}};
  constexpr double d = 1e-5;
  std::uint64_t seed = 40;
  for (const auto& l : loci) {
    test::ClineData data = test::drawCline(l.type, l.r, l.s, 60, 2.0, 0.4, ++seed);
    data.h.front() = 0.0, data.h.back() = 1.0;  // the ends add constants only
    const auto locus = data.view();
    for (const auto& x : points) {
      const ClineCurvature at = locus->curvature(x[0], x[1]);
      const double reference = test::referenceLogL(data, std::exp(x[0]), 1 / (1 + std::exp(-x[1])));
      ASSERT_NEAR(at.value, reference, 1e-11 * std::fabs(reference)) << l.type;
      auto f = [&](double a, double b) { return locus->curvature(a, b).value; };
      auto g = [&](double a, double b, int k) { return locus->curvature(a, b).gradient[k]; };
      const double slope[2] = {(f(x[0] + d, x[1]) - f(x[0] - d, x[1])) / (2 * d),
                               (f(x[0], x[1] + d) - f(x[0], x[1] - d)) / (2 * d)};
      for (int k = 0; k < 2; ++k) {
        EXPECT_NEAR(at.gradient[k], slope[k], 1e-5 * (1 + std::fabs(slope[k]))) << l.type << k;
        const double bend[2] = {(g(x[0] + d, x[1], k) - g(x[0] - d, x[1], k)) / (2 * d),
                                (g(x[0], x[1] + d, k) - g(x[0], x[1] - d, k)) / (2 * d)};
        for (int j = 0; j < 2; ++j)
          EXPECT_NEAR(at.hessian[k][j], bend[j], 1e-5 * (1 + std::fabs(bend[j]))) << l.type << k << j;
      }
    }
  }
}

// On a locus whose individuals come by their genotypes, the value of the
// one-pass curvature is logLikelihood's to the last bit, on every kind of
// locus and at the box's corners too: the fit's line searches take a
// value met on the way for the pass at a line's end, and a difference of
// rounding would let them choose another end.
TEST(ClineLocus, CurvatureValueIsLogLikelihoodExactly) {
  const struct {
    char type;
    std::vector<double> r, s;
  } loci[] = {{'C', {0.9, 0.1}, {0.15, 0.85}},
              {'C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}},
              {'C', {1.0, 0.0}, {0.0, 1.0}},
              {'D', {0.8}, {0.1}}};
  const double ends[] = {std::log(0.01), std::log(100.0), logit(0.01), -logit(0.01)};
  const double points[][2] = {{0, 0},        {1.2, -0.8},   {-1.5, 2.0},   {ends[0], ends[2]},
                              {ends[1], ends[3]}, {ends[1], 0.37}, {0.3, ends[2]}};
  std::uint64_t seed = 60;
  for (const auto& l : loci) {
    test::ClineData data = test::drawCline(l.type, l.r, l.s, 80, 3.0, 0.6, ++seed);
    data.h.front() = 0.0, data.h.back() = 1.0;
    const auto locus = data.view();
    for (const auto& x : points)
      EXPECT_EQ(locus->curvature(x[0], x[1]).value, locus->logLikelihood(std::exp(x[0]), x[1]))
          << l.type << " at " << x[0] << ", " << x[1];
  }
}

// The step cline's ln L at logit centre C, independently: each individual
// is taken as a pure parent on its side of the step, where the hybrid
// index model's term is the cline's at phi = 0 or 1.
double stepLogL(const test::ClineData& data, double c) {
  test::ClineData step = data;
  for (double& h : step.h)
    if (h > 0 && h < 1) h = std::log(h / (1 - h)) > c ? 1.0 : 0.0;
  return test::referenceLogL(step, 1.0, 0.5);
}

TEST(ClineLocus, BestStepCentresAreTheBestGapsBetweenIndividuals) {
  const struct {
    char type;
    std::vector<double> r, s;
    double v, centre;
  } loci[] = {{'C', {0.95, 0.05}, {0.05, 0.95}, 50.0, 0.4},
              {'C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}, 1.0, 0.5},
              {'D', {0.9}, {0.05}, 20.0, 0.65}};
  const double lo = -5, hi = 5;
  std::uint64_t seed = 60;
  for (const auto& l : loci) {
    test::ClineData data = test::drawCline(l.type, l.r, l.s, 40, l.v, l.centre, ++seed);
    const auto locus = data.view();
    // Every gap's middle, and the range's low end (the step below all).
    std::vector<double> logits{lo};
    for (double h : data.h) logits.push_back(std::clamp(std::log(h / (1 - h)), lo, hi));
    std::sort(logits.begin(), logits.end());
    double best = stepLogL(data, lo);
    for (std::size_t i = 0; i + 1 < logits.size(); ++i)
      if (logits[i] < logits[i + 1]) best = std::max(best, stepLogL(data, 0.5 * (logits[i] + logits[i + 1])));
    const std::vector<double> centres = locus->bestStepCentres(lo, hi, 4);
    ASSERT_EQ(centres.size(), 4u) << l.type;
    EXPECT_NEAR(stepLogL(data, centres[0]), best, 1e-10 * std::fabs(best)) << l.type;
    for (std::size_t k = 1; k < centres.size(); ++k)
      EXPECT_LE(stepLogL(data, centres[k]), stepLogL(data, centres[k - 1]) + 1e-9) << l.type << k;
  }
}

}  // namespace
}  // namespace parmix

namespace parmix {
namespace {

// The bound over a rectangle may only be relied on to show a line below a
// level if no point inside stands above it; over a single point it is the
// likelihood itself.  Loci of each kind of term, rectangles at the box's
// ends (where the fit uses the bound) and inside, a grid of points in
// each.  The likelihood here is the reference's own formula, so the
// products of probabilities the passes take their logarithm of are
// checked too, on individuals whose probabilities reach far into the tail.
TEST(ClineLocusBound, NoPointOfTheRectangleStandsAboveItsBound) {
  const struct {
    char type;
    std::vector<double> r, s;
  } loci[] = {
      {'C', {0.9, 0.1}, {0.15, 0.85}},
      {'C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}},
      {'D', {0.8}, {0.1}},
      {'C', {1.0 - 1e-9, 1e-9}, {1e-9, 1.0 - 1e-9}},
  };
  const double lv = std::log(0.01), hv = std::log(100.0), lc = -6.9, hc = 6.9;
  const struct {
    double sLo, sHi, cLo, cHi;
  } rectangles[] = {
      {lv, lv, lc, hc}, {hv, hv, lc, hc}, {lv, hv, lc, lc}, {lv, hv, hc, hc},
      {-0.5, 0.5, -1.0, 0.3}, {1.0, 1.2, 0.5, 0.6},
  };
  for (const auto& l : loci) {
    test::ClineData data = test::drawCline(l.type, l.r, l.s, 400, 2.0, 0.4, 77);
    const auto locus = data.view();
    for (const auto& b : rectangles) {
      const double bound = locus->upperBound(b.sLo, b.sHi, b.cLo, b.cHi);
      for (int i = 0; i <= 8; ++i)
        for (int j = 0; j <= 8; ++j) {
          const double s = b.sLo + (b.sHi - b.sLo) * i / 8, c = b.cLo + (b.cHi - b.cLo) * j / 8;
          const double logL = test::referenceAt(data, s, c);
          EXPECT_NEAR(locus->logLikelihood(std::exp(s), c), logL, 1e-9 * std::fabs(logL));
          EXPECT_GE(bound, logL - 1e-9 * std::fabs(logL)) << l.type << " s " << s << " c " << c;
        }
    }
    const double at = test::referenceAt(data, 0.3, -0.2);
    EXPECT_NEAR(locus->upperBound(0.3, 0.3, -0.2, -0.2), at, 1e-9 * std::fabs(at));
  }
}

}  // namespace
}  // namespace parmix

namespace parmix {
namespace {

// Individuals known by their genotype likelihoods: each term is quadratic
// in phi, and a heterozygote-like one (rs large) peaks inside (0, 1), so
// a bound from the ends of phi's range alone would fall below it.  The
// rectangles put phi's range across that peak, at the box's ends and
// inside.
TEST(ClineLocusBound, LikelihoodTermsStayBelowTheirBoundToo) {
  const StateProbabilities kinds[] = {
      {0.02, 0.45, 0.03}, {0.6, 0.1, 0.01}, {0.01, 0.2, 0.5}, {0.05, 0.3, 0.05}};
  ClineLocus locus('C', nullptr, nullptr);
  test::Uniforms u(5);
  for (int i = 0; i < 200; ++i) locus.addLikelihoodTerm(0.01 + 0.98 * u.next(), kinds[i % 4]);
  const struct {
    double sLo, sHi, cLo, cHi;
  } rectangles[] = {
      {std::log(0.01), std::log(0.01), -6.9, 6.9}, {std::log(100.0), std::log(100.0), -6.9, 6.9},
      {std::log(0.01), std::log(100.0), -6.9, -6.9}, {-0.3, 0.4, -0.8, 0.9}, {0.0, 0.0, -0.1, 0.1}};
  for (const auto& b : rectangles) {
    const double bound = locus.upperBound(b.sLo, b.sHi, b.cLo, b.cHi);
    for (int i = 0; i <= 8; ++i)
      for (int j = 0; j <= 8; ++j) {
        const double s = b.sLo + (b.sHi - b.sLo) * i / 8, c = b.cLo + (b.cHi - b.cLo) * j / 8;
        const double logL = locus.logLikelihood(std::exp(s), c);
        EXPECT_GE(bound, logL - 1e-9 * std::fabs(logL)) << "s " << s << " c " << c;
      }
  }
  // Every individual at h = 1/2 with the peaked term: at the centre 0 all
  // sit at phi = 1/2, near the peak, higher than at either end of phi's
  // range over the rectangle.
  ClineLocus peaked('C', nullptr, nullptr);
  for (int i = 0; i < 50; ++i) peaked.addLikelihoodTerm(0.5, kinds[0]);
  const double atPeak = peaked.logLikelihood(1.0, 0.0);
  EXPECT_GE(peaked.upperBound(0.0, 0.0, -0.4, 0.4), atPeak - 1e-9 * std::fabs(atPeak));
}

}  // namespace
}  // namespace parmix
