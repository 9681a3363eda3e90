#ifndef PARMIX_TESTS_CLINE_REFERENCE_HPP
#define PARMIX_TESTS_CLINE_REFERENCE_HPP

// One locus of many individuals whose genotypes follow a known cline, and
// an independent computation of its fit: the genotype probabilities and
// the cline written out here from their formulas, profiles by a grid and
// golden section, limits by bisection.  Slow and plain on purpose.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "input/data_set.hpp"
#include "model/cline_likelihood.hpp"

namespace parmix::test {

// A fixed stream of uniforms in [0, 1), the same on every platform.
class Uniforms {
 public:
  explicit Uniforms(std::uint64_t seed) : state_(seed) {}
  double next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
  }

 private:
  std::uint64_t state_;
};

struct ClineData {
  char type = 'C';              // 'C' or 'D'
  std::vector<double> r, s;     // allele frequencies (dominant: the dominant allele's)
  std::vector<double> h;        // each individual's hybrid index
  std::vector<std::vector<int>> g;  // designations (dominant: band score, kMissing)

  // The view the fit takes; valid while this object lives unchanged.
  std::unique_ptr<ClineLocus> view() {
    auto locus = std::make_unique<ClineLocus>(type, r.data(), s.data());
    for (std::size_t i = 0; i < h.size(); ++i) locus->addIndividual(h[i], g[i].data());
    return locus;
  }
};

inline double publishedCline(double h, double v, double centre) {
  if (h <= 0 || h >= 1) return h;
  const double u = v * std::log(centre / (1 - centre));
  const double a = std::pow(h, v), b = std::pow(1 - h, v) * std::exp(u);
  return a / (a + b);
}

inline int drawAllele(const std::vector<double>& f, double x) {
  for (std::size_t k = 0; k + 1 < f.size(); ++k) {
    if (x < f[k]) return static_cast<int>(k) + 1;
    x -= f[k];
  }
  return static_cast<int>(f.size());
}

// N individuals with h spread evenly over (0, 1) and their genotypes
// drawn under the cline (v, centre).
inline ClineData drawCline(char type, std::vector<double> r, std::vector<double> s, int n,
                           double v, double centre, std::uint64_t seed) {
  ClineData d;
  d.type = type, d.r = std::move(r), d.s = std::move(s);
  Uniforms u(seed);
  for (int i = 0; i < n; ++i) {
    const double h = (i + 0.5) / n;
    const double phi = publishedCline(h, v, centre);
    // Each copy from R with probability phi, then its allele by that
    // parent's frequencies.
    int alleles[2];
    for (int& a : alleles) {
      const bool fromR = u.next() < phi;
      const std::vector<double>& f = fromR ? d.r : d.s;
      a = type == 'D' ? (u.next() < f[0] ? 1 : 0) : drawAllele(f, u.next());
    }
    d.h.push_back(h);
    if (type == 'D')
      d.g.push_back({alleles[0] == 1 || alleles[1] == 1 ? 1 : 0, kMissing});
    else
      d.g.push_back({alleles[0], alleles[1]});
  }
  return d;
}

// ln L of the cline, from the genotype frequencies under Hardy-Weinberg
// in a gamete pool with R share phi.
inline double referenceLogL(const ClineData& d, double v, double centre) {
  double sum = 0;
  for (std::size_t i = 0; i < d.h.size(); ++i) {
    const double phi = publishedCline(d.h[i], v, centre);
    auto pool = [&](int allele) { return phi * d.r[allele - 1] + (1 - phi) * d.s[allele - 1]; };
    const std::vector<int>& g = d.g[i];
    if (d.type == 'D') {
      if (g[0] != 0 && g[0] != 1) continue;
      const double absent = (1 - pool(1)) * (1 - pool(1));
      sum += std::log(g[0] == 1 ? 1 - absent : absent);
    } else {
      if (g[0] == kMissing || g[1] == kMissing) continue;
      sum += std::log(g[0] == g[1] ? pool(g[0]) * pool(g[0]) : 2 * pool(g[0]) * pool(g[1]));
    }
  }
  return sum;
}

// The maximum of f on [lo, hi]: the best of a grid of 60 points, then
// golden section between its neighbours.
template <typename F>
std::pair<double, double> gridGolden(F f, double lo, double hi) {
  const int points = 60;
  int best = 0;
  double bestValue = -HUGE_VAL;
  for (int k = 0; k <= points; ++k) {
    const double value = f(lo + (hi - lo) * k / points);
    if (value > bestValue) best = k, bestValue = value;
  }
  double a = lo + (hi - lo) * std::max(0, best - 1) / points;
  double b = lo + (hi - lo) * std::min(points, best + 1) / points;
  const double ratio = 0.5 * (std::sqrt(5.0) - 1);
  while (b - a > 1e-11) {
    const double c = b - ratio * (b - a), e = a + ratio * (b - a);
    if (f(c) >= f(e)) b = e; else a = c;
  }
  const double x = 0.5 * (a + b);
  return f(x) >= bestValue ? std::make_pair(x, f(x)) : std::make_pair(lo + (hi - lo) * best / points, bestValue);
}

// The fit on the scale ln v, logit(centre) within the fit's box.
struct ReferenceFit {
  double logV, logitCentre, logL;
  double logVLimits[2], logitCentreLimits[2];
};

inline double referenceAt(const ClineData& d, double logV, double logitC) {
  return referenceLogL(d, std::exp(logV), 1 / (1 + std::exp(-logitC)));
}

// Profile of coordinate k (0: ln v, 1: logit centre) at t.
inline double referenceProfile(const ClineData& d, int k, double t, const double lo[2],
                               const double hi[2]) {
  const int o = 1 - k;
  auto along = [&](double y) {
    double x[2];
    x[k] = t, x[o] = y;
    return referenceAt(d, x[0], x[1]);
  };
  return gridGolden(along, lo[o], hi[o]).second;
}

inline ReferenceFit referenceFit(const ClineData& d, const double lo[2], const double hi[2]) {
  ReferenceFit fit{};
  const auto best = gridGolden([&](double s) { return referenceProfile(d, 0, s, lo, hi); },
                               lo[0], hi[0]);
  fit.logV = best.first, fit.logL = best.second;
  auto centreAt = [&](double l) { return referenceAt(d, fit.logV, l); };
  fit.logitCentre = gridGolden(centreAt, lo[1], hi[1]).first;
  const double est[2] = {fit.logV, fit.logitCentre};
  for (int k = 0; k < 2; ++k) {
    double* limits = k == 0 ? fit.logVLimits : fit.logitCentreLimits;
    for (int side = 0; side < 2; ++side) {
      const double end = side == 0 ? lo[k] : hi[k];
      auto drop = [&](double t) { return referenceProfile(d, k, t, lo, hi) - (fit.logL - 2); };
      if (drop(end) >= 0) {
        limits[side] = end;
        continue;
      }
      double in = est[k], out = end;
      for (int step = 0; step < 60; ++step) {
        const double mid = 0.5 * (in + out);
        (drop(mid) >= 0 ? in : out) = mid;
      }
      limits[side] = 0.5 * (in + out);
    }
  }
  return fit;
}

}  // namespace parmix::test

#endif
