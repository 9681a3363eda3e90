#include "draws/reads.hpp"

#include <algorithm>
#include <cmath>

namespace parmix::sim {

namespace {

// Draws one allele index from FREQ by the unit draw.
int drawFromFrequencies(Random& random, const std::vector<double>& freq) {
  const double u = random.unit();
  double cumulative = 0.0;
  for (std::size_t i = 0; i + 1 < freq.size(); ++i) {
    cumulative += freq[i];
    if (u < cumulative) return static_cast<int>(i);
  }
  return static_cast<int>(freq.size()) - 1;
}

int phred(double logRatio) {
  const double value = std::floor(-10.0 * logRatio / std::log(10.0) + 0.5);
  return static_cast<int>(std::min<double>(value, kPhredCap));
}

}  // namespace

double exactExpMinus(double x) {
  double term = 1.0;
  double sum = 1.0;
  for (int n = 1; term > sum * 1e-17; ++n) {
    term *= x / n;
    sum += term;
  }
  return 1.0 / sum;
}

int drawPoisson(Random& random, double mean) {
  const double u = random.unit();
  double p = exactExpMinus(mean);
  double cumulative = p;
  int k = 0;
  // The cap only guards against a u beyond the summed mass by rounding.
  while (u >= cumulative && k < 100000) {
    ++k;
    p *= mean / k;
    cumulative += p;
  }
  return k;
}

ReadCounts drawReads(Random& random, int altCopies, double depth, double error) {
  ReadCounts reads;
  const int n = drawPoisson(random, depth);
  for (int r = 0; r < n; ++r) {
    // The read's allele: ALT with chance altCopies / 2.
    const bool fromAlt = static_cast<int>(random.below(2)) < altCopies;
    if (random.unit() >= error) {
      (fromAlt ? reads.alt : reads.ref) += 1;
      continue;
    }
    // An error shows one of the three other bases; one of them is the
    // site's other allele.
    if (random.below(3) == 0)
      (fromAlt ? reads.ref : reads.alt) += 1;
    else
      reads.other += 1;
  }
  return reads;
}

std::array<int, 3> phredLikelihoods(const ReadCounts& reads, double error) {
  const double right = std::log(1.0 - error);
  const double wrong = std::log(error / 3.0);
  const double half = std::log((1.0 - error) / 2.0 + error / 6.0);
  const std::array<double, 3> logL{reads.ref * right + reads.alt * wrong,
                                   (reads.ref + reads.alt) * half,
                                   reads.ref * wrong + reads.alt * right};
  const double best = std::max({logL[0], logL[1], logL[2]});
  return {phred(logL[0] - best), phred(logL[1] - best), phred(logL[2] - best)};
}

int calledAltCopies(const std::array<int, 3>& pl) {
  int best = -1;
  for (int g = 0; g < 3; ++g) {
    if (pl[g] != 0) continue;
    if (best >= 0) return -1;
    best = g;
  }
  return best;
}

std::vector<int> drawReferenceCounts(Random& random, const std::vector<double>& freq, int samples) {
  std::vector<int> counts(freq.size(), 0);
  for (int copy = 0; copy < 2 * samples; ++copy) ++counts[drawFromFrequencies(random, freq)];
  return counts;
}

}  // namespace parmix::sim
