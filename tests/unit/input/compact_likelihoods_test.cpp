// The one-byte likelihood store: each individual's likelihoods come back as
// 10^(-q/10) of its phred distance from its best genotype, rounded to a
// whole phred and capped at 254; missing individuals come back missing;
// loci without likelihoods are marked so.

#include "input/compact_likelihoods.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace parmix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Case {
  const char* what;
  std::vector<double> phred;     // as the reader gives them
  std::vector<double> expected;  // phred distances stored, or empty: missing
};

TEST(CompactLikelihoods, StoresPhredDistancesFromTheBestGenotype) {
  const Case cases[] = {
      {"PL as a caller writes it", {0, 12, 40}, {0, 12, 40}},
      {"best genotype not first", {30, 0, 7}, {30, 0, 7}},
      {"GL times -10, shifted to its best", {12.3, 4.0, 9.6}, {8, 0, 6}},
      {"beyond the cap", {0, 300, 1000}, {0, 254, 254}},
      {"every genotype alike (no reads)", {0, 0, 0}, {0, 0, 0}},
      {"missing", {kNaN, 0, 0}, {}},
  };
  const int n = static_cast<int>(std::size(cases));
  std::vector<double> phred;
  for (const Case& c : cases) phred.insert(phred.end(), c.phred.begin(), c.phred.end());
  CompactLikelihoods store(n);
  store.appendCalledLocus();
  store.appendLocus(3, phred.data());
  EXPECT_FALSE(store.hasLikelihoods(0));
  ASSERT_TRUE(store.hasLikelihoods(1));
  for (int j = 0; j < n; ++j) {
    SCOPED_TRACE(cases[j].what);
    double out[3];
    const bool present = store.likelihoods(1, j, out);
    ASSERT_EQ(present, !cases[j].expected.empty());
    if (!present) continue;
    for (int g = 0; g < 3; ++g)
      EXPECT_DOUBLE_EQ(out[g], std::pow(10.0, -cases[j].expected[g] / 10.0));
  }
}

TEST(CompactLikelihoods, KeepsOneByteAGenotypeOfEachSite) {
  const int individuals = 1000;
  CompactLikelihoods store(individuals);
  std::vector<double> phred(6 * individuals, 0.0);  // a site of three alleles
  store.appendLocus(6, phred.data());
  std::vector<double> biallelic(3 * individuals, 0.0);
  store.appendLocus(3, biallelic.data());
  EXPECT_GE(store.storedBytes(), 9u * individuals);
  EXPECT_LE(store.storedBytes(), 2 * 9u * individuals + 1024);
  double out[6];
  EXPECT_TRUE(store.likelihoods(0, individuals - 1, out));
  EXPECT_DOUBLE_EQ(out[5], 1.0);
}

}  // namespace
}  // namespace parmix
