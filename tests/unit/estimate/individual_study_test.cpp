#include "estimate/individual_study.hpp"

#include <gtest/gtest.h>

#include "support/one_individual.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "input/data_set.hpp"
#include "estimate/gsl_support.hpp"
#include "estimate/layout_objective.hpp"
#include "estimate/ml_estimate.hpp"
#include "estimate/objective_searches.hpp"
#include "estimate/support_limits.hpp"
#include "model/compact_likelihood.hpp"
#include "model/likelihood.hpp"
#include "validate/individual_checks.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::bits;


// The study on the straightforward objectives, maxFunction and ciFunction,
// with the very searches the functions run on their layout.
IndividualEstimate straightforwardStudy(const std::vector<Locus>& loci) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  IndividualEstimate row{kNaN, kNaN, kNaN, {false, false}};
  Individual ind(loci);
  RowTable<int> g(static_cast<int>(loci.size()), 2, kMissing);
  for (std::size_t i = 0; i < loci.size(); ++i) {
    g.rows()[i][0] = loci[i].first;
    g.rows()[i][1] = loci[i].second;
  }
  gsl_function maxF = ind.objective();
  if (genotypeNA(g.rows(), static_cast<int>(loci.size()), 2) || isFlatOn(maxF)) return row;
  const double h = maximumOn(maxF);
  if (std::isnan(h)) return row;
  row.h = h;
  const double maxLogL = ind.logL(h);
  BoundParams params = ind.boundParams(maxLogL, 2.0);
  gsl_function ciF{&ciFunction, &params};
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = boundOn(maxF, ciF, maxLogL, h, 0, row.truncated);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = boundOn(maxF, ciF, maxLogL, h, 1, row.truncated);
  }
  return row;
}

// The study as a run makes it, on the individual's own arrays.
IndividualEstimate studied(const std::vector<Locus>& loci, std::uint64_t* logCalls = nullptr) {
  Individual ind(loci);
  LikelihoodParams p = ind.likelihoodParams();
  return studyIndividualGenotype(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci, logCalls);
}

void expectSameRow(const IndividualEstimate& a, const IndividualEstimate& b, int which) {
  EXPECT_EQ(bits(a.h), bits(b.h)) << "individual " << which;
  EXPECT_EQ(bits(a.lowerBound), bits(b.lowerBound)) << "individual " << which;
  EXPECT_EQ(bits(a.upperBound), bits(b.upperBound)) << "individual " << which;
  EXPECT_EQ(a.truncated[0], b.truncated[0]) << "individual " << which;
  EXPECT_EQ(a.truncated[1], b.truncated[1]) << "individual " << which;
}

// Individuals drawn from the model over loci of graded differentiation,
// so that estimates fall inside, at 0 and at 1, and limits are cut or not.
std::vector<Locus> drawIndividual(std::mt19937& rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double h = unit(rng) < 0.3 ? (unit(rng) < 0.5 ? 0.0 : 1.0) : unit(rng);
  const int n = 1 + static_cast<int>(unit(rng) * 60);
  std::vector<Locus> loci;
  for (int i = 0; i < n; ++i) {
    const double d = unit(rng);
    const double r = 0.5 + d / 2, s = 0.5 - d / 2;
    auto allele = [&]() { return unit(rng) < (unit(rng) < h ? r : s) ? 1 : 2; };
    if (unit(rng) < 0.8) {
      const bool missing = unit(rng) < 0.1;
      loci.push_back(test::codominant(missing ? kMissing : allele(), missing ? kMissing : allele(),
                                      {r, 1 - r}, {s, 1 - s}));
    } else {
      loci.push_back(test::dominant(allele() == 1 || allele() == 1 ? 1 : 0, r, s));
    }
  }
  return loci;
}

TEST(IndividualStudy, RowsAreBitForBitThoseOfTheStraightforwardSteps) {
  std::mt19937 rng(7);
  int interior = 0, atEnd = 0;
  for (int rep = 0; rep < 400; ++rep) {
    const std::vector<Locus> loci = drawIndividual(rng);
    const IndividualEstimate fast = studied(loci);
    expectSameRow(fast, straightforwardStudy(loci), rep);
    interior += fast.h > 0.0 && fast.h < 1.0;
    atEnd += fast.h == 0.0 || fast.h == 1.0;
  }
  // The draws reach both kinds of estimate.
  EXPECT_GT(interior, 50);
  EXPECT_GT(atEnd, 20);
}

TEST(IndividualStudy, UndefinedIndividualsGiveThreeNaNWithoutAnEvaluation) {
  std::uint64_t logCalls = 0;
  const IndividualEstimate none =
      studied({test::codominant(kMissing, kMissing, {0.9, 0.1}, {0.1, 0.9})}, &logCalls);
  EXPECT_TRUE(std::isnan(none.h) && std::isnan(none.lowerBound) && std::isnan(none.upperBound));
  EXPECT_FALSE(none.truncated[0] || none.truncated[1]);
  EXPECT_EQ(logCalls, 0u);
  // Data only at an excluded locus: flat, so undefined too.
  const IndividualEstimate flat = studied({{'B', 1, 1, {0.5, 0.5}, {0.5, 0.5}}});
  EXPECT_TRUE(std::isnan(flat.h));
}

// Minus the log-likelihood or the support function, noting every point a
// search asks for.
struct Noting {
  gsl_function inner;
  std::vector<double>* points;
  static double call(double h, void* self) {
    auto* n = static_cast<Noting*>(self);
    n->points->push_back(h);
    return n->inner.function(h, n->inner.params);
  }
};

std::size_t distinctPoints(std::vector<double> points) {
  std::sort(points.begin(), points.end());
  return static_cast<std::size_t>(std::unique(points.begin(), points.end()) - points.begin());
}

TEST(LayoutObjective, RemembersEveryPointItEvaluated) {
  Individual ind({test::codominant(1, 2, {0.9, 0.1}, {0.2, 0.8}),
                  test::dominant(1, 0.7, 0.3), test::codominant(kMissing, 1, {0.5, 0.5}, {0.4, 0.6})});
  LikelihoodParams p = ind.likelihoodParams();
  LayoutObjective logL(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci);
  const double first = logL.at(0.25);
  EXPECT_EQ(bits(first), bits(ind.logL(0.25)));
  EXPECT_EQ(bits(logL.at(0.25)), bits(first));
  EXPECT_EQ(logL.evaluations(), 1u);
  EXPECT_EQ(bits(logL.at(0.75)), bits(ind.logL(0.75)));
  EXPECT_EQ(logL.evaluations(), 2u);
  // Two loci add a term; the one with a missing designation does not.
  EXPECT_EQ(logL.logCalls(), 4u);
  gsl_function negated = logL.negated();
  EXPECT_EQ(bits(evaluateAt(negated, 0.25)), bits(-first));
  gsl_function shifted = logL.shifted(-1.5, 2.0);
  EXPECT_EQ(bits(evaluateAt(shifted, 0.25)), bits((first - -1.5) + 2.0));
  EXPECT_EQ(logL.evaluations(), 2u);
}

TEST(IndividualStudy, EachCallEvaluatesEveryPointOnce) {
  // A heterozygote between fixed parents: both ends infinite, an interior
  // estimate, both limits searched; within the estimate and each limit the
  // pre-search, the bracket checks and the solver set-ups revisit points
  // already evaluated.
  const std::vector<Locus> loci = {test::codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})};
  Individual ind(loci);
  LikelihoodParams p = ind.likelihoodParams();
  std::vector<double> points;
  Noting maxNoting{ind.objective(), &points};
  gsl_function maxF{&Noting::call, &maxNoting};

  std::uint64_t logCalls = 0;  // one term: a log call per evaluation
  ASSERT_EQ(isFlatOn(maxF), 0);
  ASSERT_EQ(testSurface(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci, &logCalls), 0);
  EXPECT_EQ(logCalls, distinctPoints(points));

  points.clear();
  logCalls = 0;
  const double h = maximumOn(maxF);
  EXPECT_EQ(bits(findmaxH(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci, &logCalls)),
            bits(h));
  EXPECT_NEAR(h, 0.5, 1e-6);
  EXPECT_EQ(logCalls, distinctPoints(points));
  EXPECT_LT(logCalls, points.size());

  const double maxLogL = ind.logL(h);
  BoundParams params = ind.boundParams(maxLogL, 2.0);
  Noting ciNoting{{&ciFunction, &params}, &points};
  gsl_function ciF{&Noting::call, &ciNoting};
  const double expected[2] = {0.035063, 0.964937};
  for (int direction : {0, 1}) {
    points.clear();
    logCalls = 0;
    bool truncated[2] = {false, false};
    const double limit = boundOn(maxF, ciF, maxLogL, h, direction, truncated);
    EXPECT_EQ(bits(findBound(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci, maxLogL, h,
                             direction, truncated, &logCalls)),
              bits(limit));
    EXPECT_NEAR(limit, expected[direction], 1e-5);
    EXPECT_EQ(logCalls, distinctPoints(points)) << "direction " << direction;
    EXPECT_LT(logCalls, points.size()) << "direction " << direction;
  }

  // The whole study: those calls and one Likelihood at the estimate.
  std::uint64_t studyCalls = 0;
  const IndividualEstimate row = studied(loci, &studyCalls);
  EXPECT_EQ(bits(row.h), bits(h));
  EXPECT_NEAR(row.lowerBound, expected[0], 1e-5);
  EXPECT_NEAR(row.upperBound, expected[1], 1e-5);
  EXPECT_GT(studyCalls, 10u);
}

}  // namespace
}  // namespace parmix
