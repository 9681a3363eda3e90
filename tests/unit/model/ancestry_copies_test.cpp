#include "model/ancestry_copies.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "input/data_set.hpp"
#include "model/genotype_prob.hpp"

namespace parmix {
namespace {

// A locus with its frequencies and one individual's designations there.
struct Genotype {
  char type;
  std::vector<double> r;
  std::vector<double> s;
  int g[2];

  double given(int copies) const {
    return genotypeGivenCopies(type, r.data(), s.data(), g, copies);
  }
  int best(double phi) const { return mostLikelyRCopies(type, r.data(), s.data(), g, phi); }
};

const Genotype kHet13{'C', {0.7, 0.2, 0.1}, {0.1, 0.3, 0.6}, {1, 3}};
const Genotype kHom22{'C', {0.7, 0.2, 0.1}, {0.1, 0.3, 0.6}, {2, 2}};
const Genotype kBand{'D', {0.8}, {0.1}, {1, kMissing}};
const Genotype kNoBand{'D', {0.8}, {0.1}, {0, kMissing}};

// P(genotype | k copies from R), worked by hand: both gametes from R, one
// from each population, both from S.
TEST(GenotypeGivenCopies, AgreesWithHandComputation) {
  const struct {
    const Genotype* genotype;
    double p0, p1, p2;
  } cases[] = {
      {&kHet13, 2 * 0.1 * 0.6, 0.7 * 0.6 + 0.1 * 0.1, 2 * 0.7 * 0.1},
      {&kHom22, 0.3 * 0.3, 0.2 * 0.3, 0.2 * 0.2},
      {&kBand, 1 - 0.9 * 0.9, 1 - 0.2 * 0.9, 1 - 0.2 * 0.2},
      {&kNoBand, 0.9 * 0.9, 0.2 * 0.9, 0.2 * 0.2},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.genotype->given(0), c.p0, 1e-15) << c.genotype->type << c.genotype->g[0];
    EXPECT_NEAR(c.genotype->given(1), c.p1, 1e-15) << c.genotype->type << c.genotype->g[0];
    EXPECT_NEAR(c.genotype->given(2), c.p2, 1e-15) << c.genotype->type << c.genotype->g[0];
  }
}

// Summed over the counts with the Binomial(2, h) prior, the probabilities
// given the count are the hybrid index model's genotype probability at h.
TEST(GenotypeGivenCopies, MixToTheModelsTerm) {
  const Genotype& het = kHet13;
  const Genotype& hom = kHom22;
  for (double h : {0.0, 0.1, 0.45, 0.8, 1.0}) {
    const double prior[3] = {(1 - h) * (1 - h), 2 * h * (1 - h), h * h};
    double mixHet = 0, mixHom = 0, mixBand = 0, mixNoBand = 0;
    for (int k = 0; k <= 2; ++k) {
      mixHet += prior[k] * het.given(k);
      mixHom += prior[k] * hom.given(k);
      mixBand += prior[k] * kBand.given(k);
      mixNoBand += prior[k] * kNoBand.given(k);
    }
    EXPECT_NEAR(mixHet, std::exp(multAlleleHet(h, 0.7, 0.1, 0.1, 0.6)), 1e-15) << h;
    EXPECT_NEAR(mixHom, std::exp(fCod11(h, 0.2, 0.3)), 1e-15) << h;
    EXPECT_NEAR(mixBand, std::exp(fDom(h, 0.8, 0.1)), 1e-15) << h;
    EXPECT_NEAR(mixNoBand, std::exp(fRec(h, 0.8, 0.1)), 1e-15) << h;
  }
}

// The posterior's largest count, each case worked by hand from the
// weights prior x given (noted beside it).
TEST(MostLikelyRCopies, AgreesWithHandComputation) {
  const struct {
    const Genotype* genotype;
    double phi;
    int expected;
  } cases[] = {
      {&kHet13, 0.5, 1},    // 0.035, 0.215, 0.03
      {&kHet13, 0.9, 2},    // 0.0012, 0.0774, 0.1134
      {&kHet13, 0.1, 0},    // 0.0972, 0.0774, 0.0014
      {&kHom22, 0.5, 1},    // 0.0225, 0.03, 0.01
      {&kHom22, 0.8, 2},    // 0.0036, 0.0192, 0.0256
      {&kBand, 0.5, 1},     // 0.0475, 0.41, 0.24
      {&kBand, 0.9, 2},     // 0.0019, 0.1476, 0.7776
      {&kNoBand, 0.5, 0},   // 0.2025, 0.09, 0.01
      {&kNoBand, 0.8, 1},   // 0.0324, 0.0576, 0.0256
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.genotype->best(c.phi), c.expected)
        << c.genotype->type << " " << c.genotype->g[0] << c.genotype->g[1] << " at " << c.phi;
}

TEST(MostLikelyRCopies, MissingGenotypesAndUnscoredTypes) {
  const std::vector<double> r{0.7, 0.3}, s{0.2, 0.8};
  const int halfMissing[2] = {1, kMissing}, otherHalf[2] = {kMissing, 2};
  const int band[2] = {1, kMissing}, unread[2] = {kMissing, kMissing};
  EXPECT_EQ(mostLikelyRCopies('C', r.data(), s.data(), halfMissing, 0.5), kCopiesUnknown);
  EXPECT_EQ(mostLikelyRCopies('C', r.data(), s.data(), otherHalf, 0.5), kCopiesUnknown);
  EXPECT_EQ(mostLikelyRCopies('D', r.data(), s.data(), unread, 0.5), kCopiesUnknown);
  EXPECT_EQ(mostLikelyRCopies('B', r.data(), s.data(), band, 0.5), kCopiesUnknown);
  EXPECT_EQ(genotypeGivenCopies('C', r.data(), s.data(), halfMissing, 1), 0.0);
}

// Exact ties (every number below is a binary fraction, so the weights are
// equal bit for bit): the count nearer 2 phi, then the lower one.
TEST(MostLikelyRCopies, TiesAreResolvedTheDocumentedWay) {
  const struct {
    double a, b, phi;  // homozygote of an allele of frequency a in R, b in S
    int expected;
    const char* why;
  } cases[] = {
      {0.5, 0.25, 0.5, 1, "1 and 2 tie; 1 is nearer 2 phi = 1"},
      {0.25, 0.5, 0.5, 1, "0 and 1 tie; 1 is nearer 2 phi = 1"},
      {0.75, 0.5, 0.25, 0, "0 and 1 tie, both 0.5 from 2 phi: the lower"},
      {0.5, 0.75, 0.75, 1, "1 and 2 tie, both 0.5 from 2 phi: the lower"},
  };
  for (const auto& c : cases) {
    const double r[2] = {c.a, 1 - c.a}, s[2] = {c.b, 1 - c.b};
    const int g[2] = {1, 1};
    EXPECT_EQ(mostLikelyRCopies('C', r, s, g, c.phi), c.expected) << c.why;
  }
}

// At phi = 0 or 1 only one count has prior weight; where the genotype rules
// that count out, the genotype alone decides, and where it rules every
// count out the cell is unknown.
TEST(MostLikelyRCopies, PureAncestryAndImpossibleGenotypes) {
  const double r[3] = {1, 0, 0}, s[3] = {0, 1, 0};
  const int fromR[2] = {1, 1}, fromS[2] = {2, 2}, mixed[2] = {1, 2}, neither[2] = {3, 3};
  const struct {
    const int* g;
    double phi;
    int expected;
  } cases[] = {{fromR, 1.0, 2}, {fromS, 0.0, 0}, {fromR, 0.0, 2}, {fromS, 1.0, 0},
               {mixed, 0.0, 1}, {mixed, 1.0, 1}, {neither, 0.5, kCopiesUnknown}};
  for (const auto& c : cases)
    EXPECT_EQ(mostLikelyRCopies('C', r, s, c.g, c.phi), c.expected)
        << c.g[0] << "/" << c.g[1] << " at " << c.phi;
  // A genotype every count explains follows the prior at the ends.
  const double rr[2] = {0.6, 0.4}, ss[2] = {0.3, 0.7};
  const int het[2] = {1, 2};
  EXPECT_EQ(mostLikelyRCopies('C', rr, ss, het, 0.0), 0);
  EXPECT_EQ(mostLikelyRCopies('C', rr, ss, het, 1.0), 2);
  const int band[2] = {1, kMissing};
  EXPECT_EQ(mostLikelyRCopies('D', rr, ss, band, 0.0), 0);
  EXPECT_EQ(mostLikelyRCopies('D', rr, ss, band, 1.0), 2);
}

}  // namespace
}  // namespace parmix
