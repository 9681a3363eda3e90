#include "model/compact_likelihood.hpp"

#include <gtest/gtest.h>

#include "support/one_individual.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "input/data_set.hpp"
#include "model/likelihood.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::bits;
using test::layOut;


// Random loci of every kind the likelihood distinguishes, with the edge
// cases of the data: alleles absent from one parent, fixed alleles, one or
// both designations missing, excluded loci, dominant codes other than 0/1.
std::vector<Locus> randomLoci(std::mt19937& rng, int n) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> pick(0, 99);
  std::vector<Locus> loci;
  for (int i = 0; i < n; ++i) {
    const int kind = pick(rng);
    if (kind < 60) {
      const int k = 2 + pick(rng) % 3;
      std::vector<double> r(k), s(k);
      for (int a = 0; a < k; ++a) {
        r[a] = pick(rng) < 10 ? 0.0 : unit(rng) / k;
        s[a] = pick(rng) < 10 ? 0.0 : unit(rng) / k;
      }
      if (pick(rng) < 5) r.assign(k, 0.0), r[0] = 1.0;
      int first = 1 + pick(rng) % k, second = 1 + pick(rng) % k;
      if (pick(rng) < 8) first = kMissing;
      if (pick(rng) < 8) second = kMissing;
      loci.push_back({pick(rng) < 10 ? 'B' : 'C', first, second, r, s});
    } else {
      const double a = pick(rng) < 5 ? 1.0 : unit(rng), b = pick(rng) < 5 ? 0.0 : unit(rng);
      const int codes[] = {0, 1, 1, 0, kMissing, 2};
      loci.push_back({pick(rng) < 10 ? 'B' : 'D', codes[pick(rng) % 6], kMissing, {a}, {b}});
    }
  }
  return loci;
}

TEST(CompactLikelihood, EveryValueIsBitForBitThatOfLikelihood) {
  std::mt19937 rng(20260);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int rep = 0; rep < 300; ++rep) {
    const std::vector<Locus> loci = randomLoci(rng, 1 + rep % 700);
    Individual straightforward(loci);
    const CompactIndividual compact = layOut(loci);
    const double points[] = {0.0, 1.0, 1e-06, 1 - 1e-06, 0.5, unit(rng), unit(rng), unit(rng)};
    for (double h : points)
      ASSERT_EQ(bits(compact.logLikelihood(h)), bits(straightforward.logL(h)))
          << "individual " << rep << " at h = " << h;
  }
}

TEST(CompactLikelihood, OnlyContributingLociBecomeTerms) {
  const std::vector<Locus> loci = {
      test::codominant(1, 2, {0.2, 0.8}, {0.7, 0.3}),          // term
      test::codominant(1, kMissing, {0.2, 0.8}, {0.7, 0.3}),   // one allele missing
      test::codominant(kMissing, kMissing, {0.2, 0.8}, {0.7, 0.3}),
      {'B', 1, 1, {0.5, 0.5}, {0.5, 0.5}},                     // excluded, but data
      test::dominant(0, 0.6, 0.1),                             // term
      test::dominant(2, 0.6, 0.1),                             // no class
      test::dominant(kMissing, 0.6, 0.1),
      test::dominant(1, 0.6, 0.1),                             // term
  };
  const CompactIndividual compact = layOut(loci);
  EXPECT_EQ(compact.terms(), 3u);
  EXPECT_TRUE(compact.hasData());
  // By hand at h = 1: ln(2*0.2*0.8) + ln(0.4^2) + ln(1 - 0.4^2).
  EXPECT_NEAR(compact.logLikelihood(1.0), std::log(0.32) + std::log(0.16) + std::log(0.84), 1e-12);
}

TEST(CompactLikelihood, DataOnlyAtExcludedLociStillCountsAsData) {
  const CompactIndividual onlyExcluded = layOut({{'B', 2, 1, {0.5, 0.5}, {0.5, 0.5}}});
  EXPECT_TRUE(onlyExcluded.hasData());
  EXPECT_EQ(onlyExcluded.terms(), 0u);
  EXPECT_EQ(bits(onlyExcluded.logLikelihood(0.3)), bits(0.0));
  const CompactIndividual nothing =
      layOut({test::codominant(kMissing, kMissing, {0.5, 0.5}, {0.1, 0.9}),
              test::dominant(kMissing, 0.4, 0.2)});
  EXPECT_FALSE(nothing.hasData());
}

TEST(CompactLikelihood, ClearedLayoutIsReusedForTheNextIndividual) {
  CompactIndividual layout;
  layout.reserve(2);
  for (int i = 0; i < 40; ++i)  // past the reserved room
    layout.addLocus('C', 1, 1, std::vector<double>{0.3, 0.7}.data(),
                    std::vector<double>{0.9, 0.1}.data());
  EXPECT_EQ(layout.terms(), 40u);
  EXPECT_NEAR(layout.logLikelihood(1.0), 40 * std::log(0.09), 1e-10);
  layout.clear();
  EXPECT_EQ(layout.terms(), 0u);
  EXPECT_FALSE(layout.hasData());
  const double r[] = {0.3, 0.7}, s[] = {0.9, 0.1};
  layout.addLocus('C', 2, 2, r, s);
  EXPECT_EQ(bits(layout.logLikelihood(0.0)), bits(std::log(0.1 * 0.1)));
}

}  // namespace
}  // namespace parmix
