#include "model/ancestry_copies.hpp"

#include <cmath>

#include "input/data_set.hpp"
#include "model/genotype_prob.hpp"

namespace parmix {

namespace {

// The two gametes' pools for a count of R copies: the first from R unless
// the count is 0, the second from R only when it is 2.
struct Pools {
  bool firstFromR;
  bool secondFromR;
};

Pools poolsOf(int copies) { return {copies > 0, copies == 2}; }

// An allele's share of a pool that is one population alone: the hybrid
// index's gamete share at h = 1 (R) or h = 0 (S).
double shareOf(bool fromR, double r, double s) {
  return fromR ? gameteShare(1.0, 0.0, r, s) : gameteShare(0.0, 1.0, r, s);
}

double codominantGivenCopies(const double* r, const double* s, const int* g, Pools pools) {
  if (g[0] == kMissing || g[1] == kMissing) return 0.0;
  const int x = g[0] - 1, y = g[1] - 1;
  const double x1 = shareOf(pools.firstFromR, r[x], s[x]);
  const double x2 = shareOf(pools.secondFromR, r[x], s[x]);
  if (x == y) return homozygoteProbability(x1, x2);
  const double y1 = shareOf(pools.firstFromR, r[y], s[y]);
  const double y2 = shareOf(pools.secondFromR, r[y], s[y]);
  return heterozygoteProbability(x1, y1, x2, y2);
}

// The band's allele and all others, the latter from the complements as
// the model's q does.
double dominantGivenCopies(const double* r, const double* s, const int* g, Pools pools) {
  const double p1 = shareOf(pools.firstFromR, r[0], s[0]);
  const double p2 = shareOf(pools.secondFromR, r[0], s[0]);
  const double q1 = shareOf(pools.firstFromR, 1 - r[0], 1 - s[0]);
  const double q2 = shareOf(pools.secondFromR, 1 - r[0], 1 - s[0]);
  if (g[0] == 1) return homozygoteProbability(p1, p2) + heterozygoteProbability(p1, q1, p2, q2);
  if (g[0] == 0) return homozygoteProbability(q1, q2);
  return 0.0;
}

bool scored(char type, const int* g) {
  if (type == 'C') return g[0] != kMissing && g[1] != kMissing;
  if (type == 'D') return g[0] == 0 || g[0] == 1;
  return false;
}

// The count of largest WEIGHT, ties as the header says.
int largestWeight(const double weight[3], double phi) {
  int best = kCopiesUnknown;
  for (int k = 0; k <= 2; ++k) {
    if (!(weight[k] > 0)) continue;
    const bool nearer = best != kCopiesUnknown && weight[k] == weight[best] &&
                        std::fabs(k - 2 * phi) < std::fabs(best - 2 * phi);
    if (best == kCopiesUnknown || weight[k] > weight[best] || nearer) best = k;
  }
  return best;
}

}  // namespace

double genotypeGivenCopies(char type, const double* freqR, const double* freqS,
                           const int* designations, int copies) {
  if (!scored(type, designations)) return 0.0;
  const Pools pools = poolsOf(copies);
  if (type == 'C') return codominantGivenCopies(freqR, freqS, designations, pools);
  return dominantGivenCopies(freqR, freqS, designations, pools);
}

int mostLikelyRCopies(char type, const double* freqR, const double* freqS,
                      const int* designations, double phi) {
  if (!scored(type, designations)) return kCopiesUnknown;
  const double prior[3] = {(1 - phi) * (1 - phi), 2 * phi * (1 - phi), phi * phi};
  double given[3], weight[3];
  for (int k = 0; k <= 2; ++k) {
    given[k] = genotypeGivenCopies(type, freqR, freqS, designations, k);
    weight[k] = prior[k] * given[k];
  }
  const int best = largestWeight(weight, phi);
  return best != kCopiesUnknown ? best : largestWeight(given, phi);
}

}  // namespace parmix
