#include "model/genotype_prob.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace parmix {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// The functions are one or two multiplications and a log away from the exact
// values below, so only a few ulps of rounding separate them.
constexpr double kTight = 1e-12;

TEST(GenotypeProb, WorkedValues) {
  EXPECT_NEAR(fCod11(1, 0.3, 0.9), std::log(0.09), kTight);
  EXPECT_NEAR(multAlleleHet(0.5, 0.2, 0.4, 0.6, 0.0), std::log(0.16), kTight);
}

TEST(GenotypeProb, EndsOfTheIndexGiveOneParentsFrequency) {
  // h = 1 is a pure R individual, h = 0 a pure S individual.
  EXPECT_DOUBLE_EQ(p(1, 0.3, 0.9), 0.3);
  EXPECT_DOUBLE_EQ(p(0, 0.3, 0.9), 0.9);
  EXPECT_DOUBLE_EQ(q(1, 0.3, 0.9), 0.7);
  EXPECT_DOUBLE_EQ(q(0, 0.3, 0.9), 0.1);
  EXPECT_NEAR(fCod11(0, 0.3, 0.9), std::log(0.81), kTight);
  EXPECT_NEAR(p(0.25, 0.3, 0.9), 0.25 * 0.3 + 0.75 * 0.9, kTight);
}

TEST(GenotypeProb, HeterozygoteTakesBothRFrequenciesBeforeBothSFrequencies) {
  // With the arguments read as (a1, b1, a2, b2) instead, the same call would
  // give ln(2 * 0.3 * 0.3) = ln 0.18.
  const double h = 0.5;
  EXPECT_NEAR(multAlleleHet(h, 0.2, 0.4, 0.6, 0.0), std::log(2 * 0.4 * 0.2), kTight);
  EXPECT_GT(std::fabs(multAlleleHet(h, 0.2, 0.4, 0.6, 0.0) - std::log(0.18)), 0.1);
  // An unequal weighting of the parents exposes a swap of R and S.
  EXPECT_NEAR(multAlleleHet(0.8, 0.2, 0.4, 0.6, 0.1),
              std::log(2 * (0.8 * 0.2 + 0.2 * 0.6) * (0.8 * 0.4 + 0.2 * 0.1)), kTight);
}

TEST(GenotypeProb, HeterozygoteDoesNotDependOnAlleleOrder) {
  for (double h : {0.0, 0.1, 0.37, 0.5, 0.9, 1.0}) {
    EXPECT_DOUBLE_EQ(multAlleleHet(h, 0.2, 0.45, 0.6, 0.05),
                     multAlleleHet(h, 0.45, 0.2, 0.05, 0.6))
        << "h = " << h;
  }
}

TEST(GenotypeProb, DominantHalfwayValues) {
  EXPECT_NEAR(fDom(0.5, 0.5, 0.5), std::log(0.75), kTight);
  EXPECT_NEAR(fRec(0.5, 0.5, 0.5), std::log(0.25), kTight);
  // p = 0.3*0.2 + 0.7*0.6 = 0.48, q = 0.52.
  EXPECT_NEAR(fDom(0.3, 0.2, 0.6), std::log(0.48 * 0.48 + 2 * 0.48 * 0.52), kTight);
  EXPECT_NEAR(fRec(0.3, 0.2, 0.6), std::log(0.52 * 0.52), kTight);
}

TEST(GenotypeProb, DominantAndRecessiveClassesExhaustTheProbability) {
  // (p + q)^2 = 1 for every h and every pair of frequencies.
  for (int i = 0; i <= 20; ++i) {
    const double h = i / 20.0;
    for (int j = 0; j <= 10; ++j) {
      const double a = j / 10.0;
      for (int k = 0; k <= 10; ++k) {
        const double b = k / 10.0;
        EXPECT_NEAR(std::exp(fDom(h, a, b)) + std::exp(fRec(h, a, b)), 1.0, 1e-12)
            << "h = " << h << ", a = " << a << ", b = " << b;
      }
    }
  }
}

TEST(GenotypeProb, ZeroProbabilityIsMinusInfinity) {
  // An allele absent from S cannot be seen in a pure S individual.
  EXPECT_EQ(fCod11(0, 0.4, 0.0), -kInf);
  EXPECT_EQ(multAlleleHet(0, 0.4, 0.3, 0.0, 0.5), -kInf);
  EXPECT_EQ(multAlleleHet(0, 0.4, 0.3, 0.5, 0.0), -kInf);
  EXPECT_EQ(fDom(0, 0.4, 0.0), -kInf);
  // A dominant allele fixed in R leaves no recessive phenotype at h = 1: q
  // must come out exactly 0 there, not a rounding residue of 1 - p.
  EXPECT_EQ(q(1, 1.0, 0.3), 0.0);
  EXPECT_EQ(fRec(1, 1.0, 0.3), -kInf);
  EXPECT_EQ(fDom(1, 1.0, 0.3), 0.0);
  // Just inside the interval the same classes are possible again.
  EXPECT_TRUE(std::isfinite(fCod11(1e-6, 0.4, 0.0)));
  EXPECT_TRUE(std::isfinite(fRec(1 - 1e-6, 1.0, 0.3)));
}

TEST(GenotypeProb, ComplementKeepsFullPrecisionNearFixation) {
  // A dominant allele at 1 - 1e-12 and 1 - 2e-12: the complements 1 - a and
  // 1 - b are exact in binary, so q can be had to a few ulps.  Taken as
  // 1 - p instead, the rounding of p (about 1e-16) would be a relative error
  // near 1e-04 in q.
  const double a = 1.0 - 1e-12;
  const double b = 1.0 - 2e-12;
  const double expected = 0.5 * (1.0 - a) + 0.5 * (1.0 - b);
  EXPECT_NEAR(q(0.5, a, b), expected, 1e-14 * expected);
  EXPECT_NEAR(fRec(0.5, a, b), 2.0 * std::log(expected), 1e-12);
}

TEST(GenotypeProb, ComplementIsExactlyZeroWhenAlleleIsFixedInBothParents) {
  for (double h : {0.0, 0.123456789, 0.5, 0.987654321, 1.0}) {
    EXPECT_EQ(q(h, 1.0, 1.0), 0.0) << "h = " << h;
    EXPECT_EQ(fRec(h, 1.0, 1.0), -kInf) << "h = " << h;
  }
}

}  // namespace
}  // namespace parmix
