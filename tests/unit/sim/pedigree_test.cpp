// Individuals of known pedigree: the ancestry states of each lineage, the
// hybrid swarm, the designations drawn from the states and the truth line.

#include "pedigree.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "files.hpp"
#include "options.hpp"
#include "draws/random.hpp"

namespace parmix::sim {
namespace {

// Shares of the three states over many draws: both copies from R, one from
// each, both from S.
struct StateShares {
  double bothR, oneEach, bothS;
};

StateShares sharesOf(const std::vector<Origins>& draws) {
  StateShares s{0, 0, 0};
  for (const Origins& o : draws) {
    const int fromR = o.firstFromR + o.secondFromR;
    (fromR == 2 ? s.bothR : fromR == 1 ? s.oneEach : s.bothS) += 1.0 / draws.size();
  }
  return s;
}

// Four binomial standard deviations of a share of n draws with chance p.
double fourSd(double p, int n) { return 4.0 * std::sqrt(p * (1 - p) / n); }

TEST(SimPedigree, EachLineageDrawsItsAncestryStates) {
  const struct {
    Lineage lineage;
    StateShares expected;
  } cases[] = {{Lineage::PureR, {1, 0, 0}},        {Lineage::PureS, {0, 0, 1}},
               {Lineage::F1, {0, 1, 0}},           {Lineage::F2, {0.25, 0.5, 0.25}},
               {Lineage::BCR, {0.5, 0.5, 0}},      {Lineage::BCS, {0, 0.5, 0.5}}};
  Random random(17);
  const int n = 20000;
  for (const auto& c : cases) {
    std::vector<Origins> draws;
    for (int k = 0; k < n; ++k) draws.push_back(drawOrigins(random, c.lineage));
    const StateShares got = sharesOf(draws);
    SCOPED_TRACE(lineageName(c.lineage));
    EXPECT_NEAR(got.bothR, c.expected.bothR, fourSd(c.expected.bothR, n) + 1e-12);
    EXPECT_NEAR(got.oneEach, c.expected.oneEach, fourSd(c.expected.oneEach, n) + 1e-12);
    EXPECT_NEAR(got.bothS, c.expected.bothS, fourSd(c.expected.bothS, n) + 1e-12);
  }
}

TEST(SimPedigree, ASwarmOfTwoGenerationsIsAnF2) {
  Random random(3);
  const Swarm swarm(random, 50, 2);
  std::vector<Origins> all, locus;
  for (int i = 0; i < 400; ++i) {
    swarm.drawLocus(random, locus);
    ASSERT_EQ(locus.size(), 50u);
    all.insert(all.end(), locus.begin(), locus.end());
  }
  const StateShares got = sharesOf(all);
  const int n = static_cast<int>(all.size());
  EXPECT_NEAR(got.bothR, 0.25, fourSd(0.25, n));
  EXPECT_NEAR(got.oneEach, 0.5, fourSd(0.5, n));
}

// In a swarm of two the members are full sibs in every generation: the
// share of loci with one copy from each falls by about a fifth each
// generation (the leading root of full-sib mating, 0.809), so after 40
// generations almost no locus keeps one copy of each ancestry.
TEST(SimPedigree, ASmallSwarmDriftsTowardsFixedAncestry) {
  Random random(9);
  const Swarm swarm(random, 2, 40);
  std::vector<Origins> locus;
  int mixed = 0, copies = 0;
  for (int i = 0; i < 2000; ++i) {
    swarm.drawLocus(random, locus);
    for (const Origins& o : locus) mixed += o.firstFromR != o.secondFromR;
    copies += 2;
  }
  EXPECT_LT(mixed, 0.01 * copies);
}

TEST(SimPedigree, DesignationsComeFromThePopulationOfEachCopy) {
  // Allele 1 only in R, allele 2 only in S: the designation shows the origins.
  Locus locus;
  locus.freqR = {kScale, 0};
  locus.freqS = {0, kScale};
  const std::vector<int> cumR = cumulative(locus, true), cumS = cumulative(locus, false);
  Random random(1);
  PedigreeIndividual individual;
  const struct {
    Origins origins;
    int first, second;
  } cases[] = {{{true, true}, 1, 1}, {{true, false}, 1, 2}, {{false, true}, 2, 1},
               {{false, false}, 2, 2}};
  for (const auto& c : cases) {
    const Designation d =
        drawPedigreeDesignation(random, locus, cumR, cumS, c.origins, 0.0, individual);
    EXPECT_FALSE(d.missing);
    EXPECT_EQ(d.first, c.first);
    EXPECT_EQ(d.second, c.second);
  }
  EXPECT_EQ(individual.copiesFromR, 4);
  EXPECT_EQ(individual.mixedLoci, 2);
  // A missing designation still counts towards the truth.
  drawPedigreeDesignation(random, locus, cumR, cumS, {true, false}, 1.0, individual);
  EXPECT_EQ(individual.copiesFromR, 5);
  EXPECT_EQ(individual.mixedLoci, 3);
}

TEST(SimPedigree, TruthLineGivesTheRealisedShares) {
  PedigreeIndividual one;
  one.name = "ind07";
  one.lineage = Lineage::BCS;
  one.copiesFromR = 1;
  one.mixedLoci = 2;
  EXPECT_EQ(pedigreeTruthLine(one, 3), "ind07\t0.166667\t0.666667\tBCS\n");
  one.lineage = Lineage::Later;
  one.copiesFromR = 6;
  one.mixedLoci = 0;
  EXPECT_EQ(pedigreeTruthLine(one, 4), "ind07\t0.750000\t0.000000\tlater\n");
}

TEST(SimPedigree, IndividualsFollowTheWeightsAndNumberTheSwarm) {
  Options options;
  options.individuals = 70;
  options.lineages = {1, 1, 1, 1, 1, 1, 1};
  Random random(5);
  const std::vector<PedigreeIndividual> individuals = drawPedigreeIndividuals(random, options);
  ASSERT_EQ(individuals.size(), 70u);
  int counts[kLineages] = {};
  std::vector<bool> member(10, false);
  for (const PedigreeIndividual& one : individuals) {
    ++counts[static_cast<int>(one.lineage)];
    if (one.lineage == Lineage::Later) {
      ASSERT_GE(one.swarmMember, 0);
      ASSERT_LT(one.swarmMember, 10);
      member[one.swarmMember] = true;
    } else {
      EXPECT_EQ(one.swarmMember, -1);
    }
  }
  for (int count : counts) EXPECT_EQ(count, 10);
  EXPECT_EQ(member, std::vector<bool>(10, true));
  EXPECT_EQ(individuals.front().name, "ind0001");
}

ParseOutcome parse(std::vector<const char*> words, Options& options, std::string& message) {
  words.insert(words.begin(), "parmix-sim");
  return parseOptions(static_cast<int>(words.size()), words.data(), options, message);
}

TEST(SimPedigree, OptionsChooseLineagesAndGenerations) {
  Options o;
  std::string message;
  ASSERT_EQ(parse({"--pedigree", "F2=2,later=1,BCS=0.5", "--generations", "7"}, o, message),
            ParseOutcome::Run)
      << message;
  EXPECT_TRUE(o.pedigree);
  EXPECT_EQ(o.lineages, (std::array<double, kLineages>{{0, 0, 0, 2, 0, 0.5, 1}}));
  EXPECT_EQ(o.generations, 7);
  const std::vector<std::vector<const char*>> bad = {
      {"--pedigree", "F3=1"}, {"--pedigree", "F1=0"}, {"--pedigree", "F1"},
      {"--generations", "1"}, {"--generations", "x"}};
  for (const auto& words : bad) {
    Options refused;
    EXPECT_EQ(parse(words, refused, message), ParseOutcome::Error) << words[1];
  }
}

}  // namespace
}  // namespace parmix::sim
