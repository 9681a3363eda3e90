#include "support/individual_study.hpp"

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
#include "estimate/individual_context.hpp"
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

// The study as a run makes it, on the individual's own arrays: on the
// given context, laid out here for the individual, or without one.
IndividualEstimate studied(const std::vector<Locus>& loci, IndividualContext* context = nullptr) {
  Individual ind(loci);
  LikelihoodParams p = ind.likelihoodParams();
  if (context != nullptr) context->layOut(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci);
  return studyIndividualGenotype(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci, context);
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
  // One context for all, as a worker keeps it: a point remembered from an
  // earlier individual would change a row.
  IndividualContext context;
  for (int rep = 0; rep < 400; ++rep) {
    const std::vector<Locus> loci = drawIndividual(rng);
    const IndividualEstimate fast = studied(loci);
    const IndividualEstimate straightforward = straightforwardStudy(loci);
    expectSameRow(fast, straightforward, rep);
    expectSameRow(studied(loci, &context), straightforward, rep);
    interior += fast.h > 0.0 && fast.h < 1.0;
    atEnd += fast.h == 0.0 || fast.h == 1.0;
  }
  // The draws reach both kinds of estimate.
  EXPECT_GT(interior, 50);
  EXPECT_GT(atEnd, 20);
}

TEST(IndividualStudy, UndefinedIndividualsGiveThreeNaNWithoutAnEvaluation) {
  IndividualContext context;
  const IndividualEstimate none =
      studied({test::codominant(kMissing, kMissing, {0.9, 0.1}, {0.1, 0.9})}, &context);
  EXPECT_TRUE(std::isnan(none.h) && std::isnan(none.lowerBound) && std::isnan(none.upperBound));
  EXPECT_FALSE(none.truncated[0] || none.truncated[1]);
  EXPECT_EQ(context.evaluations(), 0u);
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

TEST(IndividualContext, RemembersEveryPointOfTheIndividualLaidOut) {
  Individual ind({test::codominant(1, 2, {0.9, 0.1}, {0.2, 0.8}),
                  test::dominant(1, 0.7, 0.3), test::codominant(kMissing, 1, {0.5, 0.5}, {0.4, 0.6})});
  LikelihoodParams p = ind.likelihoodParams();
  IndividualContext context;
  context.layOut(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci);
  const double first = context.at(0.25);
  EXPECT_EQ(bits(first), bits(ind.logL(0.25)));
  EXPECT_EQ(bits(context.at(0.25)), bits(first));
  EXPECT_EQ(context.evaluations(), 1u);
  EXPECT_EQ(bits(context.at(0.75)), bits(ind.logL(0.75)));
  EXPECT_EQ(context.evaluations(), 2u);
  // Two loci add a term; the one with a missing designation does not.
  EXPECT_EQ(context.logCalls(), 4u);
  LayoutObjective logL(context);
  gsl_function negated = logL.negated();
  EXPECT_EQ(bits(evaluateAt(negated, 0.25)), bits(-first));
  gsl_function shifted = logL.shifted(-1.5, 2.0);
  EXPECT_EQ(bits(evaluateAt(shifted, 0.25)), bits((first - -1.5) + 2.0));
  EXPECT_EQ(bits(Likelihood(0.75, p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci,
                            &context)),
            bits(ind.logL(0.75)));
  EXPECT_EQ(context.evaluations(), 2u);

  // Laid out for another individual, the context forgets the first one's
  // points; the counts run on over the context's life.
  Individual other({test::codominant(1, 1, {0.9, 0.1}, {0.2, 0.8})});
  LikelihoodParams q = other.likelihoodParams();
  context.layOut(q.indGenotype, q.freqR, q.freqS, q.locusType, q.nLoci);
  EXPECT_EQ(bits(context.at(0.25)), bits(other.logL(0.25)));
  EXPECT_EQ(context.evaluations(), 3u);
  EXPECT_EQ(context.logCalls(), 5u);
}

TEST(IndividualStudy, EachPointOfAnIndividualIsEvaluatedOnce) {
  // A heterozygote between fixed parents: both ends infinite, an interior
  // estimate, both limits searched; within the estimate and each limit the
  // pre-search, the bracket checks and the solver set-ups revisit points
  // already evaluated, and each step revisits the ends and the estimate.
  const std::vector<Locus> loci = {test::codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})};
  Individual ind(loci);
  LikelihoodParams p = ind.likelihoodParams();
  std::vector<double> points, allPoints;
  Noting maxNoting{ind.objective(), &points};
  gsl_function maxF{&Noting::call, &maxNoting};
  // One term: a log call per evaluation.  A fresh context per step counts
  // that step's evaluations alone.
  auto freshContext = [&p](IndividualContext& context) {
    context.layOut(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci);
    return &context;
  };

  IndividualContext surface;
  ASSERT_EQ(isFlatOn(maxF), 0);
  ASSERT_EQ(testSurface(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci,
                        freshContext(surface)), 0);
  EXPECT_EQ(surface.logCalls(), distinctPoints(points));
  allPoints = points;

  points.clear();
  IndividualContext estimate;
  const double h = maximumOn(maxF);
  EXPECT_EQ(bits(findmaxH(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci,
                          freshContext(estimate))),
            bits(h));
  EXPECT_NEAR(h, 0.5, 1e-6);
  EXPECT_EQ(estimate.logCalls(), distinctPoints(points));
  EXPECT_LT(estimate.logCalls(), points.size());
  allPoints.insert(allPoints.end(), points.begin(), points.end());
  allPoints.push_back(h);  // Likelihood at the estimate
  std::uint64_t perStep = surface.logCalls() + estimate.logCalls() + 1;

  const double maxLogL = ind.logL(h);
  BoundParams params = ind.boundParams(maxLogL, 2.0);
  Noting ciNoting{{&ciFunction, &params}, &points};
  gsl_function ciF{&Noting::call, &ciNoting};
  const double expected[2] = {0.035063, 0.964937};
  for (int direction : {0, 1}) {
    points.clear();
    IndividualContext limit;
    bool truncated[2] = {false, false};
    const double straightforward = boundOn(maxF, ciF, maxLogL, h, direction, truncated);
    EXPECT_EQ(bits(findBound(p.indGenotype, p.freqR, p.freqS, p.locusType, p.nLoci, maxLogL, h,
                             direction, truncated, freshContext(limit))),
              bits(straightforward));
    EXPECT_NEAR(straightforward, expected[direction], 1e-5);
    EXPECT_EQ(limit.logCalls(), distinctPoints(points)) << "direction " << direction;
    EXPECT_LT(limit.logCalls(), points.size()) << "direction " << direction;
    perStep += limit.logCalls();
    allPoints.insert(allPoints.end(), points.begin(), points.end());
  }

  // The whole study on one context: every point any step asks for, once.
  IndividualContext context;
  const IndividualEstimate row = studied(loci, &context);
  EXPECT_EQ(bits(row.h), bits(h));
  EXPECT_NEAR(row.lowerBound, expected[0], 1e-5);
  EXPECT_NEAR(row.upperBound, expected[1], 1e-5);
  EXPECT_EQ(context.logCalls(), distinctPoints(allPoints));
  // Fewer than the steps take each on its own: they share the ends and h.
  EXPECT_LT(context.logCalls(), perStep);
}

}  // namespace
}  // namespace parmix
