#include "model/reference_uncertainty.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

#include "support/dirichlet_quadrature.hpp"
#include "support/expected_genotypes.hpp"

namespace parmix {
namespace {

using test::DirichletPoints;
using test::dirichletPoints;
using test::expectation;
using Freqs = std::vector<double>;

constexpr double kRelative = 1e-12;

void expectRelative(double expected, double actual, const char* what) {
  EXPECT_NEAR(expected, actual, kRelative * std::fabs(expected)) << what;
}

std::vector<double> alphaOf(const Freqs& counts, double pseudo) {
  std::vector<double> alpha;
  for (double c : counts) alpha.push_back(c + pseudo);
  return alpha;
}

// Reference samples of one locus and one population: allele counts and the
// pseudo-count.  Counts as from 3 to 10 diploid samples, half-integer and
// whole pseudo-counts, two and three alleles.
struct Sample {
  Freqs counts;
  double pseudo;
};

const Sample kSamples[] = {
    {{7, 3}, 1.0},  {{0, 10}, 0.5}, {{12, 8}, 0.0}, {{1, 5}, 2.0},
    {{3, 2, 1}, 1.0}, {{0, 4, 2}, 0.5}, {{5, 0, 1}, 1.0},
};

const double kH[] = {0.0, 0.13, 0.5, 0.87, 1.0};

// Enough nodes that the rule is exact to rounding for these small alphas:
// in the angles the integrands are trigonometric polynomials of degree
// about twice the sum of the alphas.
int nodesFor(int k) { return k == 2 ? 120 : 36; }

// Pairs of samples at loci of the same allele count as R and S: every pair
// of two-allele samples, and each three-allele sample with the next one
// (the four-dimensional sums are the costly ones).
std::vector<std::pair<const Sample*, const Sample*>> samplePairs() {
  std::vector<std::pair<const Sample*, const Sample*>> pairs;
  const int n = static_cast<int>(std::size(kSamples));
  const int firstOfThree = 4;
  for (int a = 0; a < firstOfThree; ++a)
    for (int b = 0; b < firstOfThree; ++b) pairs.emplace_back(&kSamples[a], &kSamples[b]);
  for (int a = firstOfThree; a < n; ++a)
    pairs.emplace_back(&kSamples[a], &kSamples[a + 1 < n ? a + 1 : firstOfThree]);
  return pairs;
}

TEST(ReferenceUncertainty, MomentsAgreeWithIntegralsOverTheDensity) {
  for (const Sample& sample : kSamples) {
    const int k = static_cast<int>(sample.counts.size());
    const FrequencyMoments m = dirichletMoments(sample.counts.data(), k, sample.pseudo);
    const DirichletPoints d = dirichletPoints(alphaOf(sample.counts, sample.pseudo), nodesFor(k));
    for (int i = 0; i < k; ++i) {
      expectRelative(expectation(d, [&](const Freqs& r) { return r[i]; }), m.mean[i], "mean");
      for (int j = 0; j < k; ++j)
        expectRelative(expectation(d, [&](const Freqs& r) { return r[i] * r[j]; }),
                       m.secondMoment(i, j), "second moment");
    }
  }
}

// Every pair of samples as R and S, every genotype, several h: the
// expectation of the model's own probability, (h r_i + (1-h) s_i)^2 or
// 2 u_i u_j, integrated over both posteriors.
TEST(ReferenceUncertainty, HybridIndexClosedFormsAgreeWithIntegrals) {
  for (const auto& [pa, pb] : samplePairs()) {
      const Sample& a = *pa;
      const Sample& b = *pb;
      const int k = static_cast<int>(a.counts.size());
      const FrequencyMoments r = dirichletMoments(a.counts.data(), k, a.pseudo);
      const FrequencyMoments s = dirichletMoments(b.counts.data(), k, b.pseudo);
      const DirichletPoints dr = dirichletPoints(alphaOf(a.counts, a.pseudo), nodesFor(k));
      const DirichletPoints ds = dirichletPoints(alphaOf(b.counts, b.pseudo), nodesFor(k));
      for (double h : kH)
        for (int i = 0; i < k; ++i)
          for (int j = i; j < k; ++j) {
            const double integral = expectation(dr, ds, [&](const Freqs& x, const Freqs& y) {
              const double ui = h * x[i] + (1 - h) * y[i];
              const double uj = h * x[j] + (1 - h) * y[j];
              return i == j ? ui * ui : 2 * ui * uj;
            });
            const double closed = i == j ? expectedHomozygote(h, i, r, s)
                                         : expectedHeterozygote(h, i, j, r, s);
            expectRelative(integral, closed, i == j ? "homozygote" : "heterozygote");
          }
    }
}

// The joint model at points of the triangle, corners and edges included.
TEST(ReferenceUncertainty, JointClosedFormsAgreeWithIntegrals) {
  const double points[][2] = {{0.5, 1.0}, {0.5, 0.5}, {0.75, 0.5}, {0.3, 0.2}, {1.0, 0.0},
                              {0.0, 0.0}, {0.6, 0.8}};
  for (const auto& [pa, pb] : samplePairs()) {
      const Sample& a = *pa;
      const Sample& b = *pb;
      const int k = static_cast<int>(a.counts.size());
      const FrequencyMoments r = dirichletMoments(a.counts.data(), k, a.pseudo);
      const FrequencyMoments s = dirichletMoments(b.counts.data(), k, b.pseudo);
      const DirichletPoints dr = dirichletPoints(alphaOf(a.counts, a.pseudo), nodesFor(k));
      const DirichletPoints ds = dirichletPoints(alphaOf(b.counts, b.pseudo), nodesFor(k));
      for (const auto& point : points) {
        const double h = point[0], het = point[1];
        const double wrr = h - het / 2, wss = 1 - h - het / 2;
        for (int i = 0; i < k; ++i)
          for (int j = i; j < k; ++j) {
            const double integral = expectation(dr, ds, [&](const Freqs& x, const Freqs& y) {
              if (i == j) return wrr * x[i] * x[i] + het * x[i] * y[i] + wss * y[i] * y[i];
              return wrr * 2 * x[i] * x[j] + het * (x[i] * y[j] + x[j] * y[i]) +
                     wss * 2 * y[i] * y[j];
            });
            const double closed = i == j ? expectedHomozygoteJoint(h, het, i, r, s)
                                         : expectedHeterozygoteJoint(h, het, i, j, r, s);
            expectRelative(integral, closed, "joint genotype");
          }
      }
    }
}

// Dominant loci: theta, the share without the band, has a Beta posterior
// from the phenotype counts; the recessive allele's frequency is
// sqrt(theta), and the recessive phenotype's probability is
// (h sqrt(theta_R) + (1-h) sqrt(theta_S))^2.
TEST(ReferenceUncertainty, DominantClosedFormsAgreeWithIntegrals) {
  struct Phenotypes {
    double present, absent, pseudo;
  };
  const Phenotypes cases[] = {{4, 1, 1.0}, {2, 3, 0.5}, {0, 6, 1.0}, {9, 1, 0.0}, {5, 5, 2.0}};
  for (const Phenotypes& a : cases)
    for (const Phenotypes& b : cases) {
      const PhenotypeMoments r = betaPhenotypeMoments(a.present, a.absent, a.pseudo);
      const PhenotypeMoments s = betaPhenotypeMoments(b.present, b.absent, b.pseudo);
      // Beta(absent + c, present + c) as a two-part Dirichlet on (theta, 1 - theta).
      const DirichletPoints dr = dirichletPoints({a.absent + a.pseudo, a.present + a.pseudo}, 120);
      const DirichletPoints ds = dirichletPoints({b.absent + b.pseudo, b.present + b.pseudo}, 120);
      expectRelative(expectation(dr, [](const Freqs& t) { return t[0]; }), r.absent, "E theta");
      expectRelative(expectation(dr, [](const Freqs& t) { return std::sqrt(t[0]); }),
                     r.rootAbsent, "E sqrt(theta)");
      for (double h : kH) {
        const double integral = expectation(dr, ds, [&](const Freqs& x, const Freqs& y) {
          const double q = h * std::sqrt(x[0]) + (1 - h) * std::sqrt(y[0]);
          return q * q;
        });
        expectRelative(integral, expectedRecessive(h, r, s), "recessive");
        const double het = 2 * h * (1 - h) * 0.7;
        const double joint = expectation(dr, ds, [&](const Freqs& x, const Freqs& y) {
          return (h - het / 2) * x[0] + het * std::sqrt(x[0] * y[0]) + (1 - h - het / 2) * y[0];
        });
        expectRelative(joint, expectedRecessiveJoint(h, het, r, s), "joint recessive");
      }
    }
}

// The posterior mean is the frequency the reference counting writes, so
// the correction leaves the point estimates of the frequencies alone.
TEST(ReferenceUncertainty, PosteriorMeanIsTheCountedFrequency) {
  const double counts[] = {7, 0, 3};
  const FrequencyMoments m = dirichletMoments(counts, 3, 0.5);
  EXPECT_DOUBLE_EQ(7.5 / 11.5, m.mean[0]);
  EXPECT_DOUBLE_EQ(0.5 / 11.5, m.mean[1]);
  const PhenotypeMoments d = betaPhenotypeMoments(6, 2, 1.0);
  EXPECT_DOUBLE_EQ(3.0 / 10.0, d.absent);
}

// Limits the density integrals cannot reach: an allele never seen without a
// pseudo-count is absent with certainty, and the others keep the Dirichlet
// of the alleles seen; no counts at all give no moments.
TEST(ReferenceUncertainty, DegenerateCountsGiveTheLimitingDistribution) {
  const double withAbsent[] = {4, 0, 2};
  const double seen[] = {4, 2};
  const FrequencyMoments full = dirichletMoments(withAbsent, 3, 0.0);
  const FrequencyMoments reduced = dirichletMoments(seen, 2, 0.0);
  EXPECT_EQ(0.0, full.mean[1]);
  EXPECT_EQ(0.0, full.covariance(1, 1));
  EXPECT_EQ(0.0, full.covariance(0, 1));
  EXPECT_DOUBLE_EQ(reduced.covariance(0, 0), full.covariance(0, 0));
  EXPECT_DOUBLE_EQ(reduced.covariance(0, 1), full.covariance(0, 2));
  const double none[] = {0, 0};
  EXPECT_EQ(0, dirichletMoments(none, 2, 0.0).alleles);

  const PhenotypeMoments allPresent = betaPhenotypeMoments(5, 0, 0.0);
  EXPECT_EQ(0.0, allPresent.absent);
  EXPECT_EQ(0.0, allPresent.rootAbsent);
  const PhenotypeMoments allAbsent = betaPhenotypeMoments(0, 5, 0.0);
  EXPECT_EQ(1.0, allAbsent.absent);
  EXPECT_EQ(1.0, allAbsent.rootAbsent);
  EXPECT_TRUE(std::isnan(betaPhenotypeMoments(0, 0, 0.0).absent));
}

// Huge reference samples: the posterior closes in on its mean, and the
// expected probabilities on the plug-in ones (the variance falls as
// 1/alpha_0).
TEST(ReferenceUncertainty, HugeCountsReduceToExactFrequencies) {
  const double counts[] = {3e9, 7e9};
  const double freq[] = {0.3, 0.7};
  const FrequencyMoments post = dirichletMoments(counts, 2, 1.0);
  const FrequencyMoments exact = exactMoments(freq, 2);
  for (double h : kH) {
    EXPECT_NEAR(expectedHomozygote(h, 0, exact, exact), expectedHomozygote(h, 0, post, post),
                1e-9);
    EXPECT_NEAR(expectedHeterozygote(h, 0, 1, exact, exact),
                expectedHeterozygote(h, 0, 1, post, post), 1e-9);
  }
  const PhenotypeMoments d = betaPhenotypeMoments(3e9, 1e9, 1.0);
  EXPECT_NEAR(0.5, d.rootAbsent, 1e-9);
  EXPECT_EQ(0.0, exact.covariance(0, 1));
}

}  // namespace
}  // namespace parmix
