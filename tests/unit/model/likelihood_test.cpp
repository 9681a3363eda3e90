#include "model/likelihood.hpp"

#include <gtest/gtest.h>

#include "support/one_individual.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <vector>

#include "input/data_set.hpp"
#include "model/genotype_prob.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::codominant;
using test::dominant;

constexpr double kInf = std::numeric_limits<double>::infinity();
// A handful of logs summed: a few ulps of the result.
constexpr double kTight = 1e-12;



// Allele 1 twice, R row [0.3, 0.7], S row [0.9, 0.1].
Individual oneLocusHomozygote() { return Individual({codominant(1, 1, {0.3, 0.7}, {0.9, 0.1})}); }

TEST(LikelihoodOneLocus, EndsGiveOneParentsGenotypeFrequency) {
  Individual ind = oneLocusHomozygote();
  EXPECT_NEAR(ind.logL(1.0), std::log(0.09), kTight);
  EXPECT_NEAR(ind.logL(0.0), std::log(0.81), kTight);
  EXPECT_NEAR(ind.logL(0.25), 2 * std::log(0.25 * 0.3 + 0.75 * 0.9), kTight);
}

TEST(LikelihoodOneLocus, ObjectivesAreTheNegatedAndShiftedLogLikelihood) {
  Individual ind = oneLocusHomozygote();
  LikelihoodParams lp = ind.likelihoodParams();
  EXPECT_NEAR(maxFunction(1.0, &lp), -std::log(0.09), kTight);
  EXPECT_NEAR(maxFunction(0.0, &lp), -std::log(0.81), kTight);

  BoundParams bp = ind.boundParams(std::log(0.81), 2.0);
  // ln 0.09 - ln 0.81 + 2 = 2 - ln 9.
  EXPECT_NEAR(ciFunction(1.0, &bp), -0.197, 5e-4);
  EXPECT_NEAR(ciFunction(1.0, &bp), 2.0 - std::log(9.0), kTight);
  // At the maximum the shifted function sits exactly the drop above zero.
  EXPECT_NEAR(ciFunction(0.0, &bp), 2.0, kTight);
  // The drop is taken from the record, not fixed.
  BoundParams other = ind.boundParams(std::log(0.81), 3.5);
  EXPECT_NEAR(ciFunction(1.0, &other), 3.5 - std::log(9.0), kTight);
}

TEST(LikelihoodSum, LociAddUpInOrder) {
  const Locus c = codominant(2, 3, {0.2, 0.5, 0.3}, {0.6, 0.1, 0.3});
  const Locus d1 = dominant(1, 0.7, 0.2);
  const Locus d0 = dominant(0, 0.7, 0.2);
  Individual ind({c, d1, d0});
  for (double h : {0.0, 0.2, 0.5, 0.81, 1.0}) {
    const double expected = multAlleleHet(h, 0.5, 0.3, 0.1, 0.3) + fDom(h, 0.7, 0.2) +
                            fRec(h, 0.7, 0.2);
    EXPECT_NEAR(ind.logL(h), expected, kTight) << "h = " << h;
  }
}

TEST(LikelihoodSum, HeterozygoteOrderDoesNotMatter) {
  const std::vector<double> r = {0.2, 0.5, 0.3};
  const std::vector<double> s = {0.6, 0.1, 0.3};
  Individual forward({codominant(1, 3, r, s)});
  Individual backward({codominant(3, 1, r, s)});
  for (double h : {0.0, 0.3, 0.5, 0.77, 1.0})
    EXPECT_DOUBLE_EQ(forward.logL(h), backward.logL(h)) << "h = " << h;
}

TEST(LikelihoodSum, AlleleAbsentFromSIsImpossibleInPureS) {
  Individual ind({codominant(1, 2, {0.5, 0.5}, {0.0, 1.0})});
  EXPECT_EQ(ind.logL(0.0), -kInf);
  LikelihoodParams lp = ind.likelihoodParams();
  EXPECT_EQ(maxFunction(0.0, &lp), kInf);
  BoundParams bp = ind.boundParams(0.0, 2.0);
  EXPECT_EQ(ciFunction(0.0, &bp), -kInf);
  EXPECT_TRUE(std::isfinite(ind.logL(1e-6)));
}

// Each case puts the locus under test between two informative loci, so a
// contribution of anything but 0 would show in the sum.
class LociThatAddNothing : public ::testing::TestWithParam<Locus> {};

TEST_P(LociThatAddNothing, LeaveTheSumOfTheOtherLociUnchanged) {
  const Locus left = codominant(1, 1, {0.3, 0.7}, {0.9, 0.1});
  const Locus right = dominant(0, 0.4, 0.8);
  Individual without({left, right});
  Individual with({left, GetParam(), right});
  for (double h : {0.0, 0.1, 0.5, 0.9, 1.0})
    EXPECT_EQ(with.logL(h), without.logL(h)) << "h = " << h;
}

INSTANTIATE_TEST_SUITE_P(
    MissingExcludedOrUnusable, LociThatAddNothing,
    ::testing::Values(
        // One designation missing counts as the whole genotype missing, even
        // with an allele whose own term would be -infinity at h = 0.
        codominant(3, kMissing, {0.2, 0.3, 0.5}, {0.5, 0.5, 0.0}),
        codominant(kMissing, 3, {0.2, 0.3, 0.5}, {0.5, 0.5, 0.0}),
        codominant(kMissing, kMissing, {0.2, 0.8}, {0.9, 0.1}),
        dominant(kMissing, 0.4, 0.0),
        // A dominant phenotype other than 0 or 1.
        dominant(2, 0.4, 0.0),
        // Excluded loci, whatever they hold, including data that would be
        // impossible at h = 0 or h = 1 if the locus were read.
        Locus{'B', 1, 1, {1.0, 0.0}, {0.0, 1.0}},
        Locus{'B', 1, kMissing, {1.0}, {0.0}},
        Locus{'B', 2, 3, {0.2, 0.3, 0.5}, {0.5, 0.5, 0.0}}));

TEST(LikelihoodSum, DominantLocusReadsOnlyTheFirstDesignation) {
  Individual ind({Locus{'D', 1, 0, {0.7}, {0.2}}});
  Individual rec({Locus{'D', 0, 1, {0.7}, {0.2}}});
  for (double h : {0.0, 0.4, 1.0}) {
    EXPECT_NEAR(ind.logL(h), fDom(h, 0.7, 0.2), kTight);
    EXPECT_NEAR(rec.logL(h), fRec(h, 0.7, 0.2), kTight);
  }
}

TEST(LikelihoodSum, NoUsableLocusGivesZeroEverywhere) {
  Individual ind({codominant(kMissing, kMissing, {0.2, 0.8}, {0.9, 0.1}),
                  Locus{'B', 1, 2, {0.5, 0.5}, {0.5, 0.5}}, dominant(kMissing, 0.3, 0.6)});
  for (double h : {0.0, 0.5, 1.0}) EXPECT_EQ(ind.logL(h), 0.0);
}

TEST(LikelihoodUnknownLocusType, GivesNaNAndTheProcessGoesOn) {
  // A term of -infinity before the unknown locus must not hide the NaN.
  Individual ind({codominant(1, 1, {0.5, 0.5}, {0.0, 1.0}), Locus{'X', 1, 1, {0.5}, {0.5}},
                  dominant(1, 0.3, 0.6)});
  for (double h : {0.0, 0.5, 1.0}) EXPECT_TRUE(std::isnan(ind.logL(h))) << "h = " << h;

  LikelihoodParams lp = ind.likelihoodParams();
  EXPECT_TRUE(std::isnan(maxFunction(0.5, &lp)));
  BoundParams bp = ind.boundParams(-1.0, 2.0);
  EXPECT_TRUE(std::isnan(ciFunction(0.5, &bp)));
}

TEST(LikelihoodUnknownLocusType, FirstUnknownTypeIsFound) {
  const char mixed[] = {'C', 'D', 'B', 'x', 'C', '?'};
  EXPECT_EQ(firstUnknownLocusType(mixed, 6), 3);
  EXPECT_EQ(firstUnknownLocusType(mixed, 3), -1);
  const char lowercase[] = {'c', 'D'};
  EXPECT_EQ(firstUnknownLocusType(lowercase, 2), 0);
  const char nul[] = {'C', '\0'};
  EXPECT_EQ(firstUnknownLocusType(nul, 2), 1);
  EXPECT_EQ(firstUnknownLocusType(mixed, 0), -1);

  EXPECT_TRUE(isModelLocusType('C'));
  EXPECT_TRUE(isModelLocusType('D'));
  EXPECT_TRUE(isModelLocusType('B'));
  EXPECT_FALSE(isModelLocusType('d'));
  EXPECT_FALSE(isModelLocusType(' '));
}

TEST(LikelihoodSum, NaNIndexGivesNaNWhenAnyLocusCounts) {
  Individual ind({codominant(kMissing, kMissing, {0.2, 0.8}, {0.9, 0.1}), dominant(1, 0.3, 0.6)});
  EXPECT_TRUE(std::isnan(ind.logL(std::nan(""))));
}

}  // namespace
}  // namespace parmix
