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
#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"
#include "model/compact_likelihood.hpp"
#include "model/likelihood.hpp"
#include "validate/individual_checks.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::bits;
using test::layOut;


// The study as the straightforward functions do it, one after the other.
IndividualEstimate straightforwardStudy(const std::vector<Locus>& loci) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  IndividualEstimate row{kNaN, kNaN, kNaN, {false, false}};
  Individual ind(loci);
  RowTable<int> g(static_cast<int>(loci.size()), 2, kMissing);
  for (std::size_t i = 0; i < loci.size(); ++i) {
    g.rows()[i][0] = loci[i].first;
    g.rows()[i][1] = loci[i].second;
  }
  if (genotypeNA(g.rows(), static_cast<int>(loci.size()), 2) || ind.flat()) return row;
  const double h = ind.estimate();
  if (std::isnan(h)) return row;
  row.h = h;
  const double maxLogL = ind.logL(h);
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = ind.bound(maxLogL, h, 0, row.truncated);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = ind.bound(maxLogL, h, 1, row.truncated);
  }
  return row;
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
    const IndividualEstimate fast = studyIndividual(layOut(loci));
    expectSameRow(fast, straightforwardStudy(loci), rep);
    interior += fast.h > 0.0 && fast.h < 1.0;
    atEnd += fast.h == 0.0 || fast.h == 1.0;
  }
  // The draws reach both kinds of estimate.
  EXPECT_GT(interior, 50);
  EXPECT_GT(atEnd, 20);
}

TEST(IndividualStudy, UndefinedIndividualsGiveThreeNaNWithoutAnEvaluation) {
  std::size_t evaluations = 0;
  const IndividualEstimate none =
      studyIndividual(layOut({test::codominant(kMissing, kMissing, {0.9, 0.1}, {0.1, 0.9})}),
                      &evaluations);
  EXPECT_TRUE(std::isnan(none.h) && std::isnan(none.lowerBound) && std::isnan(none.upperBound));
  EXPECT_FALSE(none.truncated[0] || none.truncated[1]);
  EXPECT_EQ(evaluations, 0u);
  // Data only at an excluded locus: flat, so undefined too.
  const IndividualEstimate flat = studyIndividual(layOut({{'B', 1, 1, {0.5, 0.5}, {0.5, 0.5}}}));
  EXPECT_TRUE(std::isnan(flat.h));
}

TEST(IndividualStudy, NoPointIsEvaluatedTwice) {
  // A heterozygote between fixed parents: both ends infinite, an interior
  // estimate, both limits searched; the pre-search, bracket checks and
  // solver set-ups all revisit points already evaluated.
  const CompactIndividual ind = layOut({test::codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  CachedLogLikelihood logL(ind);
  const double first = logL.at(0.25);
  EXPECT_EQ(bits(logL.at(0.25)), bits(first));
  EXPECT_EQ(logL.evaluations(), 1u);
  logL.at(0.75);
  EXPECT_EQ(logL.evaluations(), 2u);

  std::size_t evaluations = 0;
  const IndividualEstimate row = studyIndividual(ind, &evaluations);
  EXPECT_NEAR(row.h, 0.5, 1e-6);
  EXPECT_NEAR(row.lowerBound, 0.035063, 1e-5);
  EXPECT_NEAR(row.upperBound, 0.964937, 1e-5);
  // The same study on the straightforward objectives, each wrapped to note
  // every point asked for: the cached study computes each distinct point
  // exactly once, where the straightforward one asks for some again.
  Individual straightforward({test::codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  std::vector<double> points;
  struct Noting {
    gsl_function inner;
    std::vector<double>* points;
    static double call(double h, void* self) {
      auto* n = static_cast<Noting*>(self);
      n->points->push_back(h);
      return n->inner.function(h, n->inner.params);
    }
  };
  Noting maxNoting{straightforward.objective(), &points};
  gsl_function maxF{&Noting::call, &maxNoting};
  ASSERT_EQ(testSurfaceOf(maxF), 0);
  const double h = findmaxHOf(maxF);
  const double maxLogL = straightforward.logL(h);
  points.push_back(h);
  BoundParams params = straightforward.boundParams(maxLogL, 2.0);
  Noting ciNoting{{&ciFunction, &params}, &points};
  gsl_function ciF{&Noting::call, &ciNoting};
  bool truncated[2] = {false, false};
  EXPECT_EQ(bits(findBoundOf(maxF, ciF, maxLogL, h, 0, truncated)), bits(row.lowerBound));
  EXPECT_EQ(bits(findBoundOf(maxF, ciF, maxLogL, h, 1, truncated)), bits(row.upperBound));
  const std::size_t calls = points.size();
  std::sort(points.begin(), points.end());
  const auto distinct =
      static_cast<std::size_t>(std::unique(points.begin(), points.end()) - points.begin());
  EXPECT_EQ(evaluations, distinct);
  EXPECT_LT(distinct, calls);
}

}  // namespace
}  // namespace parmix
