#include "model/gl_frequencies.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/gl_likelihood.hpp"

namespace parmix {
namespace {

// Certain genotypes: the EM lands on the counted frequencies, with the
// counts as its expected counts, whatever the allele count and pseudo-count.
TEST(GlFrequencies, CertainGenotypesGiveTheCountedFrequencies) {
  struct Case {
    int k;
    std::vector<int> alleles;  // pairs, -1 missing
    double pseudo;
  };
  const Case cases[] = {
      {2, {0, 0, 0, 1, 1, 1, 0, 0, -1, -1}, 0.0},
      {2, {0, 0, 0, 0, 0, 0}, 0.5},
      {3, {0, 2, 2, 2, 1, 0, 2, 2}, 1.0},
      {4, {3, 3, 0, 1, -1, 2}, 0.25},
  };
  for (const Case& c : cases) {
    std::vector<std::vector<double>> storage;
    for (std::size_t n = 0; n + 1 < c.alleles.size(); n += 2) {
      if (c.alleles[n] < 0 || c.alleles[n + 1] < 0) continue;
      storage.emplace_back(genotypeCount(c.k));
      calledGenotypeLikelihoods(c.alleles[n], c.alleles[n + 1], c.k, storage.back().data());
    }
    std::vector<const double*> pointers;
    std::size_t s = 0;
    for (std::size_t n = 0; n + 1 < c.alleles.size(); n += 2)
      pointers.push_back(c.alleles[n] < 0 || c.alleles[n + 1] < 0 ? nullptr : storage[s++].data());
    const EmFrequencies em = emFrequencies(pointers, c.k, c.pseudo);
    const EmFrequencies counted = calledFrequencies(c.alleles, c.k, c.pseudo);
    ASSERT_TRUE(em.converged);
    EXPECT_LE(em.iterations, 2);
    ASSERT_EQ(static_cast<std::size_t>(c.k), em.frequencies.size());
    for (int i = 0; i < c.k; ++i) {
      EXPECT_NEAR(counted.frequencies[i], em.frequencies[i], 1e-15);
      EXPECT_NEAR(counted.counts[i], em.counts[i], 1e-12);
    }
  }
}

// The function the EM climbs: ln sum_g P(reads|g) P(g|f) summed over the
// samples, plus pseudo * ln f_i for the prior.
double logPosterior(const std::vector<std::vector<double>>& samples, double f, double pseudo) {
  double sum = pseudo * (std::log(f) + std::log(1 - f));
  for (const auto& l : samples)
    sum += std::log(l[0] * f * f + l[1] * 2 * f * (1 - f) + l[2] * (1 - f) * (1 - f));
  return sum;
}

// Uncertain genotypes at a biallelic site: the EM's answer is the maximum of
// that function, found here by a grid and golden-section refinement.
TEST(GlFrequencies, EmFindsTheMaximumOfThePosterior) {
  std::mt19937_64 rng(10);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    const double pseudo = trial % 2 == 0 ? 0.0 : 1.0;
    const double truth = 0.05 + 0.9 * u(rng);
    std::vector<std::vector<double>> samples;
    for (int n = 0; n < 8; ++n) {
      // Blurred genotypes: the drawn one likelier, the others not ruled out.
      const int copies = (u(rng) < truth) + (u(rng) < truth);
      std::vector<double> l{u(rng) * 0.3, u(rng) * 0.3, u(rng) * 0.3};
      l[2 - copies] = 1.0;
      samples.push_back(l);
    }
    std::vector<const double*> pointers;
    for (const auto& l : samples) pointers.push_back(l.data());
    const EmFrequencies em = emFrequencies(pointers, 2, pseudo);
    ASSERT_TRUE(em.converged);

    double best = 0.5, bestValue = -HUGE_VAL;
    for (int i = 1; i < 1000; ++i) {
      const double value = logPosterior(samples, i / 1000.0, pseudo);
      if (value > bestValue) bestValue = value, best = i / 1000.0;
    }
    double a = std::fmax(1e-9, best - 1e-3), b = std::fmin(1 - 1e-9, best + 1e-3);
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 100; ++i) {
      const double x1 = b - ratio * (b - a), x2 = a + ratio * (b - a);
      if (logPosterior(samples, x1, pseudo) > logPosterior(samples, x2, pseudo))
        b = x2;
      else
        a = x1;
    }
    EXPECT_NEAR((a + b) / 2, em.frequencies[0], 1e-7) << trial;
  }
}

TEST(GlFrequencies, NothingToCount) {
  const std::vector<const double*> none{nullptr, nullptr};
  EXPECT_TRUE(emFrequencies(none, 2, 0.0).frequencies.empty());
  const EmFrequencies prior = emFrequencies(none, 3, 0.5);
  ASSERT_EQ(3u, prior.frequencies.size());
  EXPECT_DOUBLE_EQ(1.0 / 3, prior.frequencies[1]);
  EXPECT_TRUE(calledFrequencies({-1, -1}, 2, 0.0).frequencies.empty());
}

}  // namespace
}  // namespace parmix
