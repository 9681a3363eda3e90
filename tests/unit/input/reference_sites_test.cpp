// A kept site's parental side under the corrections: frequencies by the EM
// from the reference samples' likelihoods (which for sure genotypes are
// the counted ones with the pseudo-count), from the calls when asked or when
// the record has no likelihoods, and the Dirichlet posterior of the counts
// with the reference-uncertainty correction; the report's note.

#include "input/reference_sites.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace parmix::genome {
namespace {

// Three R samples 0/0, 0/1, 1/1 and three S samples 0/0, 0/0, 0/0 (the
// last missing in the likelihoods when asked): R counts 3, 3; S 6, 0.
importer::Site site(bool likelihoods, bool lastMissing) {
  importer::Site s;
  s.alleleCount = 2;
  s.alleles = {1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1};
  if (!likelihoods) return s;
  s.hasLikelihoods = true;
  // Sure genotypes: phred 0 for the call, 600 (10^-60) for the others.
  s.likelihoods = {0, 600, 600, 600, 0, 600, 600, 600, 0,
                   0, 600, 600, 0, 600, 600, 0, 600, 600};
  if (lastMissing) s.likelihoods[15] = std::numeric_limits<double>::quiet_NaN();
  return s;
}

importer::SampleRoles roles() { return {{0, 1, 2}, {3, 4, 5}, {}}; }

// Var of a Beta(a, b) component: a b / ((a + b)^2 (a + b + 1)).
double betaVariance(double a, double b) { return a * b / ((a + b) * (a + b) * (a + b + 1)); }

struct Case {
  const char* what;
  bool likelihoods, lastMissing;
  Corrections corrections;
  double r0, s0;          // frequencies of allele 1 after the call
  double varR, varS;      // variances of the moments
};

TEST(ReferenceSite, FrequenciesAndMomentsUnderEachCorrection) {
  const double pseudo = 1.0;
  // The rows the importer counted, as the caller passes them: deliberately
  // not the counted values, so a case that keeps them shows it.
  const std::vector<double> countedR{0.41, 0.59}, countedS{0.83, 0.17};
  const Case cases[] = {
      {"likelihoods, EM, plug-in", true, false, {"PL", false, false}, 4.0 / 8, 7.0 / 8, 0, 0},
      {"likelihoods, EM, uncertainty", true, false, {"PL", false, true}, 4.0 / 8, 7.0 / 8,
       betaVariance(4, 4), betaVariance(7, 1)},
      {"a missing S sample counts nothing", true, true, {"PL", false, true}, 4.0 / 8, 5.0 / 6,
       betaVariance(4, 4), betaVariance(5, 1)},
      {"frequencies from the calls", true, false, {"PL", true, false}, 0.41, 0.83, 0, 0},
      {"record without likelihoods", false, false, {"PL", false, false}, 0.41, 0.83, 0, 0},
      {"uncertainty from the called counts", false, false, {"", false, true}, 4.0 / 8, 7.0 / 8,
       betaVariance(4, 4), betaVariance(7, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<double> rowR = countedR, rowS = countedS;
    const SiteGenotypes g =
        referenceSite(site(c.likelihoods, c.lastMissing), roles(), c.corrections, pseudo, rowR, rowS);
    // The means of the moments are the plug-in rows: the tables and the
    // study agree on the frequencies.
    const bool moments = c.corrections.referenceUncertainty;
    EXPECT_NEAR(g.r().mean[0], moments ? c.r0 : rowR[0], 1e-12);
    EXPECT_NEAR(g.s().mean[0], moments ? c.s0 : rowS[0], 1e-12);
    if (!moments) {
      EXPECT_NEAR(rowR[0], c.r0, 1e-9);
      EXPECT_NEAR(rowS[0], c.s0, 1e-9);
    }
    EXPECT_NEAR(g.r().covariance(0, 0), c.varR, 1e-12);
    EXPECT_NEAR(g.s().covariance(0, 0), c.varS, 1e-12);
    EXPECT_NEAR(g.s().covariance(0, 1), -c.varS, 1e-12);
  }
}

}  // namespace
}  // namespace parmix::genome
