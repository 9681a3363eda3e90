#include "simulation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <set>

#include "files.hpp"
#include "options.hpp"
#include "draws/random.hpp"

namespace parmix::sim {
namespace {

int sum(const std::vector<int>& v) { return std::accumulate(v.begin(), v.end(), 0); }

// ------------------------------------------------------------- random draws

TEST(SimRandom, SameSeedSameSequenceOtherSeedOther) {
  Random a(42), b(42), c(43);
  bool differs = false;
  for (int i = 0; i < 100; ++i) {
    const std::uint64_t x = a.next();
    EXPECT_EQ(x, b.next());
    differs = differs || x != c.next();
  }
  EXPECT_TRUE(differs);
}

TEST(SimRandom, BelowAndUnitStayInRangeAndCoverIt) {
  Random random(5);
  std::set<std::uint64_t> seen;
  for (int i = 0; i < 2000; ++i) {
    const std::uint64_t x = random.below(7);
    ASSERT_LT(x, 7u);
    seen.insert(x);
    const double u = random.unit();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
  EXPECT_EQ(seen.size(), 7u);
}

// ------------------------------------------------------------------- loci

TEST(SimLocus, CodominantFrequenciesSumToOneAndDifferByTheDrawnAmount) {
  Random random(9);
  const Differentiation strong{6000, 9800, false};
  for (int n = 0; n < 200; ++n) {
    const Locus locus = drawLocus(random, false, 4, strong);
    ASSERT_EQ(locus.freqR.size(), 4u);
    EXPECT_EQ(sum(locus.freqR), kScale);
    EXPECT_EQ(sum(locus.freqS), kScale);
    // Exactly two alleles differ, by the same amount in opposite directions.
    int total = 0, changed = 0;
    for (int a = 0; a < 4; ++a) {
      const int d = locus.freqR[a] - locus.freqS[a];
      total += std::abs(d);
      changed += d != 0;
    }
    EXPECT_EQ(changed, 2);
    EXPECT_GE(total, 2 * 6000);
    EXPECT_LE(total, 2 * 9800);
  }
}

TEST(SimLocus, DominantLocusHasOneFrequencyPerPopulationApartByTheDifference) {
  Random random(11);
  const Differentiation weak{200, 2000, false};
  bool higherInR = false, higherInS = false;
  for (int n = 0; n < 200; ++n) {
    const Locus locus = drawLocus(random, true, 2, weak);
    ASSERT_EQ(locus.freqR.size(), 1u);
    ASSERT_EQ(locus.freqS.size(), 1u);
    const int d = locus.freqR[0] - locus.freqS[0];
    EXPECT_GE(std::abs(d), 200);
    EXPECT_LE(std::abs(d), 2000);
    EXPECT_GE(std::min(locus.freqR[0], locus.freqS[0]), 0);
    EXPECT_LE(std::max(locus.freqR[0], locus.freqS[0]), kScale);
    higherInR = higherInR || d > 0;
    higherInS = higherInS || d < 0;
  }
  EXPECT_TRUE(higherInR && higherInS);
}

TEST(SimLocus, SkewedSpreadFavoursWeakDifferences) {
  Random random(13);
  const Differentiation mixed{200, 9800, true};
  int weak = 0, strong = 0;
  for (int n = 0; n < 4000; ++n) {
    const int d = drawDifference(random, mixed);
    ASSERT_GE(d, 200);
    ASSERT_LE(d, 9800);
    weak += d < 2600;    // the lowest quarter of the range
    strong += d > 7400;  // the highest quarter
  }
  // The square of a uniform draw: half the loci in the lowest quarter, a
  // seventh in the highest.
  EXPECT_NEAR(weak / 4000.0, 0.5, 0.04);
  EXPECT_NEAR(strong / 4000.0, 1.0 - std::sqrt(0.75), 0.04);
}

TEST(SimLocus, DominantLociAreExactlyTheShareAsked) {
  Random random(3);
  const std::vector<bool> dominant = drawDominantLoci(random, 1000, 0.1);
  EXPECT_EQ(std::count(dominant.begin(), dominant.end(), true), 100);
  // At random positions, not the first hundred.
  EXPECT_LT(std::count(dominant.begin(), dominant.begin() + 100, true), 100);
}

// ------------------------------------------------------------ individuals

TEST(SimIndividuals, ApportionmentAddsUpAndFollowsTheWeights) {
  const std::array<int, kAncestryKinds> even = apportion(100, {{1, 1, 1, 1, 1, 1}});
  EXPECT_EQ(std::accumulate(even.begin(), even.end(), 0), 100);
  for (int c : even) EXPECT_TRUE(c == 16 || c == 17);
  const std::array<int, kAncestryKinds> some = apportion(10, {{3, 1, 0, 0, 0, 1}});
  EXPECT_EQ(some[0], 6);
  EXPECT_EQ(some[1], 2);
  EXPECT_EQ(some[2] + some[3] + some[4], 0);
  EXPECT_EQ(some[5], 2);
}

TEST(SimIndividuals, TrueHFollowsTheKind) {
  Random random(21);
  Options options;
  options.individuals = 600;
  const std::vector<Individual> individuals = drawIndividuals(random, options);
  ASSERT_EQ(individuals.size(), 600u);
  std::set<std::string> names;
  int uniformBelowHalf = 0, uniform = 0;
  for (const Individual& ind : individuals) {
    names.insert(ind.name);
    switch (ind.kind) {
      case Ancestry::PureR: EXPECT_EQ(ind.hMillionths, 1000000); break;
      case Ancestry::PureS: EXPECT_EQ(ind.hMillionths, 0); break;
      case Ancestry::F1: EXPECT_EQ(ind.hMillionths, 500000); break;
      case Ancestry::BCR: EXPECT_EQ(ind.hMillionths, 750000); break;
      case Ancestry::BCS: EXPECT_EQ(ind.hMillionths, 250000); break;
      case Ancestry::Uniform:
        ++uniform;
        uniformBelowHalf += ind.hMillionths < 500000;
        EXPECT_GE(ind.hMillionths, 0);
        EXPECT_LE(ind.hMillionths, 1000000);
        break;
    }
  }
  EXPECT_EQ(names.size(), 600u);
  EXPECT_EQ(uniform, 100);
  EXPECT_GT(uniformBelowHalf, 30);
  EXPECT_LT(uniformBelowHalf, 70);
  // Listed in random order, not grouped by kind.
  EXPECT_NE(individuals[0].kind == individuals[1].kind && individuals[1].kind == individuals[2].kind &&
                individuals[2].kind == individuals[3].kind,
            true);
}

// -------------------------------------------------------------- genotypes

TEST(SimGenotypes, PureIndividualsDrawOnlyFromTheirParent) {
  Locus locus;
  locus.freqR = {kScale, 0, 0};  // R fixed for allele 1
  locus.freqS = {0, 3000, 7000};
  const std::vector<int> cumR = cumulative(locus, true);
  const std::vector<int> cumS = cumulative(locus, false);
  Random random(1);
  int allele3 = 0;
  for (int n = 0; n < 2000; ++n) {
    EXPECT_EQ(drawAllele(random, 1.0, cumR, cumS), 1);
    const int s = drawAllele(random, 0.0, cumR, cumS);
    ASSERT_TRUE(s == 2 || s == 3);
    allele3 += s == 3;
  }
  EXPECT_NEAR(allele3 / 2000.0, 0.7, 0.04);
}

TEST(SimGenotypes, AllelesComeFromRWithChanceH) {
  Locus locus;
  locus.freqR = {kScale, 0};
  locus.freqS = {0, kScale};
  const std::vector<int> cumR = cumulative(locus, true);
  const std::vector<int> cumS = cumulative(locus, false);
  Random random(2);
  Individual backcross;
  backcross.hMillionths = 750000;
  int fromR = 0;
  for (int n = 0; n < 4000; ++n) {
    const Designation d = drawDesignation(random, locus, cumR, cumS, backcross, 0.0);
    ASSERT_FALSE(d.missing);
    fromR += (d.first == 1) + (d.second == 1);
  }
  EXPECT_NEAR(fromR / 8000.0, 0.75, 0.02);
}

TEST(SimGenotypes, DominantPhenotypeAndMissingShare) {
  Locus locus;
  locus.dominant = true;
  locus.freqR = {5000};
  locus.freqS = {5000};
  const std::vector<int> cum = cumulative(locus, true);
  ASSERT_EQ(cum, (std::vector<int>{5000, kScale}));
  Random random(4);
  Individual f1;
  f1.hMillionths = 500000;
  int present = 0, missing = 0;
  for (int n = 0; n < 4000; ++n) {
    const Designation d = drawDesignation(random, locus, cum, cum, f1, 0.2);
    if (d.missing) {
      ++missing;
      continue;
    }
    ASSERT_TRUE(d.first == 0 || d.first == 1);
    present += d.first;
  }
  EXPECT_NEAR(missing / 4000.0, 0.2, 0.03);
  // The dominant class of an allele at frequency 1/2: 1 - 1/4.
  EXPECT_NEAR(present / double(4000 - missing), 0.75, 0.03);
}

TEST(SimGenotypes, BiallelicRowDrawsWhatDesignationsOneByOneDraw) {
  // The row's loop must leave the stream where the one-by-one draws leave
  // it, or every later locus of a data set would change with it.
  struct Case {
    int firstR, firstS;
    double missingShare;
  };
  const Case cases[] = {{9000, 1000, 0.0}, {200, 9800, 0.3}, {kScale, 0, 0.05}, {5000, 5000, 1.0}};
  const int hs[] = {0, 250000, 500000, 750000, 1000000, 123457};
  std::vector<Individual> individuals;
  std::vector<double> fromR;
  for (int k = 0; k < 30; ++k) {
    individuals.emplace_back();
    individuals.back().hMillionths = hs[k % 6];
    fromR.push_back(chanceFromR(individuals.back()));
  }
  for (const Case& c : cases) {
    Locus locus;
    locus.freqR = {c.firstR, kScale - c.firstR};
    locus.freqS = {c.firstS, kScale - c.firstS};
    const std::vector<int> cumR = cumulative(locus, true);
    const std::vector<int> cumS = cumulative(locus, false);
    Random one(17), row(17);
    std::vector<Designation> drawn(3);  // a stale row is overwritten
    drawBiallelicRow(row, locus, fromR, c.missingShare, drawn);
    ASSERT_EQ(drawn.size(), individuals.size());
    for (std::size_t j = 0; j < individuals.size(); ++j) {
      const Designation d = drawDesignation(one, locus, cumR, cumS, individuals[j], c.missingShare);
      EXPECT_EQ(drawn[j].missing, d.missing) << c.firstR << " individual " << j;
      EXPECT_EQ(drawn[j].first, d.first) << c.firstR << " individual " << j;
      EXPECT_EQ(drawn[j].second, d.second) << c.firstR << " individual " << j;
    }
    EXPECT_EQ(row.next(), one.next()) << c.firstR;
  }
}

// ------------------------------------------------------------------ text

TEST(SimFiles, NumbersPrintExactly) {
  EXPECT_EQ(formatFrequency(2500), "0.2500");
  EXPECT_EQ(formatFrequency(7), "0.0007");
  EXPECT_EQ(formatFrequency(kScale), "1.0000");
  EXPECT_EQ(formatPhenotypeFrequency(5000), "0.75000000");
  EXPECT_EQ(formatPhenotypeFrequency(1), "0.00019999");
  EXPECT_EQ(formatPhenotypeFrequency(kScale), "1.00000000");
  EXPECT_EQ(formatMillionths(750000), "0.750000");
  EXPECT_EQ(formatMillionths(1000000), "1.000000");
}

TEST(SimFiles, RecordsInTheInputFormats) {
  Locus c;
  c.freqR = {2500, 7500};
  c.freqS = {9000, 1000};
  EXPECT_EQ(parentalLine("L1", c), "L1 # C 0.2500 0.7500 0.9000 0.1000\n");
  Locus d;
  d.dominant = true;
  d.freqR = {5000};
  d.freqS = {0};
  EXPECT_EQ(parentalLine("L2", d), "L2 # D 0.75000000 0.00000000\n");
  std::string line;
  appendDesignation(line, c, Designation{false, 2, 1});
  appendDesignation(line, c, Designation{true, 0, 0});
  appendDesignation(line, d, Designation{false, 0, 0});
  appendDesignation(line, d, Designation{true, 0, 0});
  EXPECT_EQ(line, "2/1NA/NA0NA");
}

// ---------------------------------------------------------------- clines

TEST(SimClines, ExactlyTheShareDepartsWithinItsRanges) {
  const struct {
    ClineSettings settings;
    int departing;
  } cases[] = {{{0.0, 2, 2, 0.3, 0.3}, 0},
               {{0.25, 4, 4, 0.3, 0.3}, 250},
               {{0.1, 0.5, 8, 0.2, 0.8}, 100}};
  for (const auto& c : cases) {
    const std::vector<LocusCline> clines = drawClines(7, 1000, c.settings);
    ASSERT_EQ(clines.size(), 1000u);
    int departing = 0;
    std::set<double> vs;
    for (const LocusCline& l : clines) {
      if (l.v == 1.0 && l.centre == 0.5) continue;
      ++departing;
      vs.insert(l.v);
      EXPECT_GE(l.v, c.settings.vLow);
      EXPECT_LE(l.v, c.settings.vHigh);
      EXPECT_GE(l.centre, c.settings.centreLow);
      EXPECT_LE(l.centre, c.settings.centreHigh);
    }
    EXPECT_EQ(departing, c.departing);
    // A fixed v stays fixed; a range is drawn per locus.
    if (departing > 0) {
      EXPECT_EQ(vs.size() == 1, c.settings.vLow == c.settings.vHigh);
    }
  }
}

TEST(SimClines, LogUniformVHasHalfItsDrawsBelowTheGeometricMean) {
  // Median of log-uniform on [0.5, 8] is 2; the count below is binomial
  // (1000, 1/2): 4.5 standard deviations are +-71.
  const std::vector<LocusCline> clines = drawClines(8, 1000, {1.0, 0.5, 8, 0.5, 0.5});
  const auto below = std::count_if(clines.begin(), clines.end(),
                                   [](const LocusCline& l) { return l.v < 2.0; });
  EXPECT_NEAR(static_cast<double>(below), 500.0, 71.0);
}

TEST(SimClines, ChanceFromRFollowsTheCline) {
  const struct {
    double h, v, centre, expected;
  } cases[] = {{0.37, 1, 0.5, 0.37},          // the genome's cline is h itself
               {0.3, 5, 0.3, 0.5},            // half at the centre
               {0.25, 2, 0.5, 0.1},           // (1/3)^2 odds
               {0.75, 2, 0.5, 0.9},
               {0.5, 1, 0.2, 0.8},            // odds 4 at h = 1/2
               {0.0, 4, 0.3, 0.0},            // pure parents stay pure
               {1.0, 4, 0.3, 1.0}};
  for (const auto& c : cases)
    EXPECT_NEAR(chanceFromR(c.h, {c.v, c.centre}), c.expected, 1e-12) << c.h << " " << c.v;
  EXPECT_EQ(chanceFromR(0.37, {}), 0.37);
}

// --------------------------------------------------------------- options

ParseOutcome parse(std::vector<const char*> words, Options& options, std::string& message) {
  words.insert(words.begin(), "parmix-sim");
  return parseOptions(static_cast<int>(words.size()), words.data(), options, message);
}

TEST(SimOptions, ReadsEveryOption) {
  Options o;
  std::string message;
  ASSERT_EQ(parse({"--individuals", "30", "--loci=40", "--alleles", "2:5", "--dominant-share",
                   "0.25", "--missing-share", "0.2", "--seed", "99", "--prefix", "out/x", "--mix",
                   "pureR=2,F1=1", "--differentiation", "0.1:0.3"},
                  o, message),
            ParseOutcome::Run)
      << message;
  EXPECT_EQ(o.individuals, 30);
  EXPECT_EQ(o.loci, 40);
  EXPECT_EQ(o.minAlleles, 2);
  EXPECT_EQ(o.maxAlleles, 5);
  EXPECT_EQ(o.dominantShare, 0.25);
  EXPECT_EQ(o.missingShare, 0.2);
  EXPECT_EQ(o.seed, 99u);
  EXPECT_EQ(o.prefix, "out/x");
  EXPECT_EQ(o.mix, (std::array<double, kAncestryKinds>{{2, 0, 1, 0, 0, 0}}));
  EXPECT_EQ(o.differentiation.low, 1000);
  EXPECT_EQ(o.differentiation.high, 3000);
  EXPECT_FALSE(o.differentiation.skewed);
}

TEST(SimOptions, RefusesWhatCannotBeSimulated) {
  const std::vector<std::vector<const char*>> bad = {
      {"--loci", "0"},           {"--individuals", "-3"},      {"--alleles", "1"},
      {"--alleles", "4:3"},      {"--dominant-share", "1.5"},  {"--missing-share", "x"},
      {"--mix", "pureR=0"},      {"--mix", "hybrid=1"},        {"--differentiation", "huge"},
      {"--differentiation", "0.5:0.2"}, {"--seed", "-1"},     {"--frobnicate", "1"},
      {"--loci"},                {"--cline-share", "2"},       {"--cline-v", "0"},
      {"--cline-v", "5:2"},      {"--cline-centre", "1"},      {"--cline-centre", "0.2:x"},
      {"--pedigree", "F1=1", "--cline-share", "0.1"}};
  for (const auto& words : bad) {
    Options o;
    std::string message;
    EXPECT_EQ(parse(words, o, message), ParseOutcome::Error) << words[0];
    EXPECT_FALSE(message.empty());
  }
  Options o;
  std::string message;
  EXPECT_EQ(parse({"--loci", "5", "--help"}, o, message), ParseOutcome::Help);
}

}  // namespace
}  // namespace parmix::sim
