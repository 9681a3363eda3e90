#ifndef PARMIX_TESTS_SUPPORT_JOINT_REFERENCE_HPP
#define PARMIX_TESTS_SUPPORT_JOINT_REFERENCE_HPP

// An independent computation of the joint analysis for the tests: the
// log-likelihood written out from the ancestry-state model (each allele
// copy of a state drawn from its own population), its maximum found by a
// fine grid on the triangle and nested golden-section searches, and the
// profile limits by bisection on the profiles.  Slow and simple on
// purpose; nothing here calls the code under test.  Also random loci and
// individuals drawn from ancestry states.

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "input/data_set.hpp"
#include "model/joint_likelihood.hpp"
#include "support/one_individual.hpp"

namespace parmix::test {

// Probability of the genotype at a locus when the first copy comes from
// the population with frequencies x and the second from y.
inline double orderedCopies(const Locus& l, const std::vector<double>& x,
                            const std::vector<double>& y) {
  if (l.type == 'D') {
    const double absent = (1.0 - x[0]) * (1.0 - y[0]);
    return l.first == 1 ? 1.0 - absent : absent;
  }
  const int i = l.first - 1, j = l.second - 1;
  return i == j ? x[i] * y[i] : x[i] * y[j] + x[j] * y[i];
}

inline bool counts(const Locus& l) {
  if (l.type == 'C') return l.first != kMissing && l.second != kMissing;
  if (l.type == 'D') return l.first == 0 || l.first == 1;
  return false;
}

inline double referenceJointLogL(double h, double het, const std::vector<Locus>& loci) {
  // Points computed onto a side may fall a rounding error outside it.
  const double bothR = std::max(0.0, h - het / 2.0), bothS = std::max(0.0, 1.0 - h - het / 2.0);
  double sum = 0.0;
  for (const Locus& l : loci) {
    if (!counts(l)) continue;
    sum += std::log(bothR * orderedCopies(l, l.r, l.r) + het * orderedCopies(l, l.r, l.s) +
                    bothS * orderedCopies(l, l.s, l.s));
  }
  return sum;
}

// Golden-section search for the maximiser of a unimodal f on [a, b].
inline double goldenMax(const std::function<double(double)>& f, double a, double b) {
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double c = b - ratio * (b - a), d = a + ratio * (b - a);
  double fc = f(c), fd = f(d);
  while (b - a > 1e-11) {
    if (fc >= fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - ratio * (b - a);
      fc = f(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + ratio * (b - a);
      fd = f(d);
    }
  }
  // The ends count too: the maximum of a concave function may lie there.
  double best = 0.5 * (a + b);
  for (double x : {a, b})
    if (f(x) > f(best)) best = x;
  return best;
}

struct ReferenceProfile {
  double argument;  // the maximising other quantity
  double value;
};

inline ReferenceProfile profileAtH(double h, const std::vector<Locus>& loci) {
  const double top = 2.0 * std::min(h, 1.0 - h);
  const auto f = [&](double het) { return referenceJointLogL(h, het, loci); };
  const double het = top > 0 ? goldenMax(f, 0.0, top) : 0.0;
  return {het, f(het)};
}

inline ReferenceProfile profileAtHet(double het, const std::vector<Locus>& loci) {
  const auto f = [&](double h) { return referenceJointLogL(h, het, loci); };
  const double lo = het / 2.0, hi = 1.0 - het / 2.0;
  const double h = hi > lo ? goldenMax(f, lo, hi) : 0.5;
  return {h, f(h)};
}

struct ReferenceMaximum {
  double h, het, logL;
};

inline ReferenceMaximum referenceMaximum(const std::vector<Locus>& loci) {
  constexpr int kSteps = 200;
  double bestH = 0.5, bestValue = -INFINITY;
  for (int j = 0; j <= kSteps; ++j) {
    const double het = double(j) / kSteps;
    for (int i = 0; i <= kSteps; ++i) {
      const double h = double(i) / kSteps;
      if (h < het / 2.0 || h > 1.0 - het / 2.0) continue;
      const double v = referenceJointLogL(h, het, loci);
      if (v > bestValue) {
        bestValue = v;
        bestH = h;
      }
    }
  }
  const double step = 2.0 / kSteps;
  const auto profile = [&](double h) { return profileAtH(h, loci).value; };
  const double h = goldenMax(profile, std::max(0.0, bestH - step), std::min(1.0, bestH + step));
  const ReferenceProfile p = profileAtH(h, loci);
  return {h, p.argument, p.value};
}

// The limit on one side: bisection of profile(x) = level between the
// estimate and the end; the end itself (cut) when the profile there is
// still above the level.
struct ReferenceLimit {
  double value;
  bool cut;
};

inline ReferenceLimit referenceLimit(const std::function<double(double)>& profile,
                                     double estimate, double end, double level) {
  if (estimate == end || profile(end) >= level) return {end, true};
  double inside = estimate, outside = end;
  for (int k = 0; k < 80; ++k) {
    const double middle = 0.5 * (inside + outside);
    (profile(middle) >= level ? inside : outside) = middle;
  }
  return {0.5 * (inside + outside), false};
}

inline JointIndividual layOutJoint(const std::vector<Locus>& loci) {
  JointIndividual layout;
  for (const Locus& l : loci) layout.addLocus(l.type, l.first, l.second, l.r.data(), l.s.data());
  return layout;
}

// Ancestry-state weights of an individual: both copies from R, one from
// each, both from S.
struct StateWeights {
  double bothR, oneEach, bothS;
};

inline StateWeights weightsOf(double h, double het) {
  return {h - het / 2.0, het, 1.0 - h - het / 2.0};
}

// A copy drawn from a population's frequencies (allele numbers from 1).
inline int drawCopy(std::mt19937_64& rng, const std::vector<double>& f) {
  double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  for (std::size_t k = 0; k + 1 < f.size(); ++k) {
    if (u < f[k]) return static_cast<int>(k) + 1;
    u -= f[k];
  }
  return static_cast<int>(f.size());
}

// The state of one locus: 0 both from S, 1 one from each, 2 both from R.
inline int drawState(std::mt19937_64& rng, const StateWeights& w) {
  const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  return u < w.bothR ? 2 : (u < w.bothR + w.oneEach ? 1 : 0);
}

// The individual's designations at a locus whose frequencies are set, from
// its ancestry state there.
inline void drawGenotype(std::mt19937_64& rng, int state, Locus& l) {
  // A dominant locus lists only the dominant allele; draw from both.
  const std::vector<double> r = l.type == 'D' ? std::vector<double>{l.r[0], 1.0 - l.r[0]} : l.r;
  const std::vector<double> s = l.type == 'D' ? std::vector<double>{l.s[0], 1.0 - l.s[0]} : l.s;
  const int first = drawCopy(rng, state >= 1 ? r : s);
  const int second = drawCopy(rng, state == 2 ? r : s);
  if (l.type == 'D') {
    // Allele 1 of the two-allele draw is the dominant one.
    l.first = (first == 1 || second == 1) ? 1 : 0;
    l.second = kMissing;
  } else {
    l.first = first;
    l.second = second;
  }
}

}  // namespace parmix::test

#endif
