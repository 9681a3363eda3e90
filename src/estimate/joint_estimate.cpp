#include "estimate/joint_estimate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kNewtonIterations = 200;
constexpr int kHalvings = 60;
constexpr int kRootIterations = 200;
// Distance below which a point counts as lying on a side of the triangle.
constexpr double kOnSide = 1e-14;
// Steps this short end the searches: far below the 1e-06 of the reports.
constexpr double kStepTolerance = 1e-13;
constexpr double kFlatTolerance = 1e-06;

struct Vec {
  double h, het;
};
inline double dot(Vec a, Vec b) { return a.h * b.h + a.het * b.het; }
inline Vec scaled(double s, Vec v) { return {s * v.h, s * v.het}; }

// The sides of the triangle: H >= 0, h - H/2 >= 0 (no copies both from R
// below zero) and 1 - h - H/2 >= 0 (the same for S), each with its inward
// normal and a direction along it.
struct Side {
  Vec normal;
  Vec along;
};
constexpr Side kSides[3] = {{{0.0, 1.0}, {1.0, 0.0}},
                            {{1.0, -0.5}, {0.5, 1.0}},
                            {{-1.0, -0.5}, {-0.5, 1.0}}};

double slack(int side, Vec x) {
  if (side == 0) return x.het;
  if (side == 1) return x.h - 0.5 * x.het;
  return (1 - x.h) - 0.5 * x.het;
}

Vec ontoSide(int side, Vec x) {
  if (side == 0) return {x.h, 0.0};
  if (side == 1) return {0.5 * x.het, x.het};
  return {1 - 0.5 * x.het, x.het};
}

// Puts a point that lies within kOnSide of a side exactly on it; in a
// corner exactly on the corner, so the class points are met exactly.
Vec snapped(Vec x) {
  const bool on[3] = {slack(0, x) <= kOnSide, slack(1, x) <= kOnSide, slack(2, x) <= kOnSide};
  if (on[1] && on[2]) return {0.5, 1.0};
  if (on[0] && on[1]) return {0.0, 0.0};
  if (on[0] && on[2]) return {1.0, 0.0};
  for (int side = 0; side < 3; ++side)
    if (on[side]) return ontoSide(side, x);
  return x;
}

// Minus the Hessian, which is positive semi-definite.
struct Curvature {
  double hh, hHet, hetHet;
  double along(Vec d) const { return d.h * d.h * hh + 2 * d.h * d.het * hHet + d.het * d.het * hetHet; }
};

// The Newton step, with a little ridge added so that a singular Hessian
// (too few loci to fix both quantities) still gives a direction.
Vec newtonStep(Vec g, const Curvature& c) {
  const double ridge = 1e-12 * (c.hh + c.hetHet) + 1e-300;
  const double a = c.hh + ridge, b = c.hHet, d = c.hetHet + ridge;
  const double det = a * d - b * b;
  return {(d * g.h - b * g.het) / det, (a * g.het - b * g.h) / det};
}

bool keepsInside(Vec d, const bool active[3]) {
  for (int side = 0; side < 3; ++side)
    if (active[side] && dot(kSides[side].normal, d) < 0) return false;
  return true;
}

// Gain of the quadratic model along d.
double modelGain(Vec g, const Curvature& c, Vec d) { return dot(g, d) - 0.5 * c.along(d); }

// The direction of the active-set method: the Newton step when it keeps to
// the triangle, else the best Newton step along one of the sides the point
// lies on.  {0, 0} when neither rises: the point satisfies the optimality
// conditions.
Vec ascentDirection(Vec g, const Curvature& c, const bool active[3]) {
  const Vec full = newtonStep(g, c);
  if (keepsInside(full, active) && dot(g, full) > 0 && std::isfinite(full.h + full.het))
    return full;
  Vec best{0.0, 0.0};
  double bestGain = 0.0;
  for (int side = 0; side < 3; ++side) {
    if (!active[side]) continue;
    const Vec t = kSides[side].along;
    const double k = std::max(c.along(t), 1e-300);
    const Vec d = scaled(dot(g, t) / k, t);
    if (!keepsInside(d, active) || !(dot(g, d) > 0)) continue;
    const double gain = modelGain(g, c, d);
    if (gain > bestGain) {
      best = d;
      bestGain = gain;
    }
  }
  return best;
}

// Longest step along d that stays in the triangle, and the side it meets.
double longestStep(Vec x, Vec d, int& blocking) {
  double longest = std::numeric_limits<double>::infinity();
  blocking = -1;
  for (int side = 0; side < 3; ++side) {
    const double rate = dot(kSides[side].normal, d);
    if (rate >= 0) continue;
    const double step = std::max(0.0, slack(side, x)) / -rate;
    if (step < longest) {
      longest = step;
      blocking = side;
    }
  }
  return longest;
}

// A value and the slope of a profile at one point.
struct ProfilePoint {
  double value;
  double slope;
};

// The maximiser of a concave function on [lo, hi] from its slope and
// curvature: Newton's method from `start`, kept in the bracket that the
// slopes seen so far leave by bisection, and sent to an end when a step
// would pass it and that end is not yet ruled out.  From a good start this
// takes two or three evaluations, and none is spent on the ends when the
// maximum lies inside.
template <typename SlopeAt>
double maximumOnInterval(SlopeAt slopeAt, double lo, double hi, double start) {
  if (!(hi > lo)) return lo;
  double a = lo, b = hi;
  bool loRuledOut = false, hiRuledOut = false;
  double x = (start >= lo && start <= hi) ? start : 0.5 * (lo + hi);
  for (int iteration = 0; iteration < kRootIterations; ++iteration) {
    const CurveDerivatives d = slopeAt(x);
    double slope = d.slope;
    // 0/0 at an end: a probability vanishing there with its slope, so ln L
    // is -infinity at that end and rises inwards.
    if (std::isnan(slope) && x == lo) slope = 1.0;
    if (std::isnan(slope) && x == hi) slope = -1.0;
    if (slope > 0) {
      if (x == hi) return hi;
      a = x;
      loRuledOut = loRuledOut || x == lo;
    } else if (slope < 0) {
      if (x == lo) return lo;
      b = x;
      hiRuledOut = hiRuledOut || x == hi;
    } else if (slope == 0) {
      return x;
    }
    // A maximum this close to an end not ruled out is that end.
    const auto settle = [&](double at) {
      if (hi - at < kStepTolerance && !hiRuledOut) return hi;
      if (at - lo < kStepTolerance && !loRuledOut) return lo;
      return at;
    };
    double next = x - slope / d.curvature;
    // Converged, even when the last step rounds onto the bracket's end.
    if (std::fabs(next - x) < kStepTolerance) return settle(x);
    if (!(next > a && next < b)) {
      if (next >= b && b == hi && !hiRuledOut) {
        next = hi;
      } else if (next <= a && a == lo && !loRuledOut) {
        next = lo;
      } else {
        next = 0.5 * (a + b);
      }
    }
    if (b - a < kStepTolerance) return settle(next);
    x = next;
  }
  return x;
}

// The profile of h at h, starting the inner search from `het`, which then
// holds the maximising H for the next call.
ProfilePoint profileOfH(const JointIndividual& individual, double h, double& het) {
  het = bestHetAt(individual, h, het);
  const JointDerivatives d = individual.derivatives(h, het, true);
  double slope = d.dh;
  // On a slanted side H moves with h: H = 2h left of 1/2, 2(1 - h) right.
  if (het > 0 && het == 2 * std::min(h, 1 - h)) slope += (h < 0.5 ? 2.0 : -2.0) * d.dHet;
  return {d.value, slope};
}

ProfilePoint profileOfHet(const JointIndividual& individual, double het, double& h) {
  h = bestHAt(individual, het, h);
  const JointDerivatives d = individual.derivatives(h, het, true);
  double slope = d.dHet;
  const double lo = 0.5 * het, hi = 1 - 0.5 * het;
  if (hi > lo && h == lo) slope += 0.5 * d.dh;
  if (hi > lo && h == hi) slope -= 0.5 * d.dh;
  return {d.value, slope};
}

// The point between estimate and end at which the profile falls to target:
// Newton's method on the concave profile, kept in its bracket by bisection.
template <typename ProfileAt>
ProfileLimit limitOfProfile(ProfileAt profileAt, double estimate, double end, double target,
                            double guess) {
  if (estimate == end) return {end, true};
  if (profileAt(end).value >= target) return {end, true};
  double inside = estimate, outside = end;
  const auto between = [&](double x) {
    return x > std::min(inside, outside) && x < std::max(inside, outside);
  };
  double x = between(guess) ? guess : 0.5 * (inside + outside);
  for (int iteration = 0; iteration < kRootIterations; ++iteration) {
    const ProfilePoint p = profileAt(x);
    if (p.value >= target) {
      inside = x;
    } else {
      outside = x;
    }
    double next = x - (p.value - target) / p.slope;
    if (std::fabs(next - x) < kStepTolerance) return {x, false};
    if (!between(next)) next = 0.5 * (inside + outside);
    if (std::fabs(outside - inside) < kStepTolerance) return {next, false};
    x = next;
  }
  return {kNaN, false};
}

// A first guess for a limit from the curvature of the profile at the
// maximum, as if it were a parabola.
double parabolaGuess(double estimate, int direction, double curvature, double drop) {
  if (!(curvature > 0) || !std::isfinite(curvature)) return kNaN;
  const double reach = std::sqrt(2 * drop / curvature);
  return direction == 0 ? estimate - reach : estimate + reach;
}

}  // namespace

bool jointSurfaceIsFlat(const JointIndividual& individual) {
  if (individual.terms() == 0) return true;
  const double centre = individual.logLikelihood(0.5, 1.0 / 3.0);
  const Vec corners[3] = {{0.0, 0.0}, {1.0, 0.0}, {0.5, 1.0}};
  for (const Vec& corner : corners)
    if (!(std::fabs(individual.logLikelihood(corner.h, corner.het) - centre) < kFlatTolerance))
      return false;
  return true;
}

JointMaximum maximiseJoint(const JointIndividual& individual) {
  const JointMaximum none{kNaN, kNaN, kNaN, false};
  Vec x{0.5, 1.0 / 3.0};  // the centroid, where every possible genotype has a chance
  double f = individual.logLikelihood(x.h, x.het);
  if (!std::isfinite(f)) return none;
  for (int iteration = 0; iteration < kNewtonIterations; ++iteration) {
    const JointDerivatives d = individual.derivatives(x.h, x.het, false);
    const Vec g{d.dh, d.dHet};
    const Curvature c{-d.dhh, -d.dhHet, -d.dHetHet};
    const bool active[3] = {slack(0, x) <= kOnSide, slack(1, x) <= kOnSide,
                            slack(2, x) <= kOnSide};
    const Vec step = ascentDirection(g, c, active);
    const double rise = dot(g, step);
    if (!(rise > 1e-24)) return {x.h, x.het, f, true};
    int blocking = -1;
    const double longest = longestStep(x, step, blocking);
    double alpha = std::min(1.0, longest);
    // Rounding of a sum of many logarithms may hide a true rise near the top.
    const double noise = 1e-13 * std::max(1.0, std::fabs(f));
    bool accepted = false;
    Vec next = x;
    double fNext = f;
    for (int halving = 0; halving < kHalvings && !accepted; ++halving) {
      next = {x.h + alpha * step.h, x.het + alpha * step.het};
      if (alpha == longest && blocking >= 0) next = ontoSide(blocking, next);
      next = snapped(next);
      fNext = individual.logLikelihood(next.h, next.het);
      accepted = fNext >= f + 1e-4 * alpha * rise - noise;
      if (!accepted) alpha *= 0.5;
    }
    if (!accepted) return {x.h, x.het, f, true};
    const double moved = std::max(std::fabs(next.h - x.h), std::fabs(next.het - x.het));
    const bool metSide = alpha == longest;
    x = next;
    f = fNext;
    if (moved < kStepTolerance && !metSide) return {x.h, x.het, f, true};
  }
  return none;
}

double bestHetAt(const JointIndividual& individual, double h, double start) {
  const auto slopeAt = [&](double het) { return individual.alongHet(h, het); };
  return maximumOnInterval(slopeAt, 0.0, 2 * std::min(h, 1 - h), start);
}

double bestHAt(const JointIndividual& individual, double het, double start) {
  const auto slopeAt = [&](double h) { return individual.alongH(h, het); };
  return maximumOnInterval(slopeAt, 0.5 * het, 1 - 0.5 * het, start);
}

ProfileLimit profileLimitOfH(const JointIndividual& individual, const JointMaximum& maximum,
                             int direction, double drop) {
  if (!maximum.found) return {kNaN, false};
  const JointDerivatives d = individual.derivatives(maximum.h, maximum.het, false);
  // The curvature of the profile: the Schur complement when H is free.
  double curvature = -d.dhh;
  if (maximum.het > 0 && d.dHetHet < 0) curvature = -(d.dhh - d.dhHet * d.dhHet / d.dHetHet);
  const double guess = parabolaGuess(maximum.h, direction, curvature, drop);
  double het = maximum.het;
  const auto profileAt = [&](double h) { return profileOfH(individual, h, het); };
  return limitOfProfile(profileAt, maximum.h, direction == 0 ? 0.0 : 1.0, maximum.logL - drop,
                        guess);
}

ProfileLimit profileLimitOfHet(const JointIndividual& individual, const JointMaximum& maximum,
                               int direction, double drop) {
  if (!maximum.found) return {kNaN, false};
  const JointDerivatives d = individual.derivatives(maximum.h, maximum.het, false);
  double curvature = -d.dHetHet;
  if (d.dhh < 0) curvature = -(d.dHetHet - d.dhHet * d.dhHet / d.dhh);
  const double guess = parabolaGuess(maximum.het, direction, curvature, drop);
  double h = maximum.h;
  const auto profileAt = [&](double het) { return profileOfHet(individual, het, h); };
  return limitOfProfile(profileAt, maximum.het, direction == 0 ? 0.0 : 1.0, maximum.logL - drop,
                        guess);
}

// The ends are tried first, so that a maximum there is exactly 0 or 1 as
// in the hybrid-index analysis.  A NaN slope at an end is 0/0: ln L is
// -infinity there and rises inwards.
CurveMaximum maximiseHybridIndex(const JointIndividual& individual) {
  const auto slopeAt = [&](double h) { return individual.hybridIndexSlope(h); };
  double h = 0.0;
  if (!(slopeAt(0.0).slope <= 0)) {
    h = slopeAt(1.0).slope >= 0 ? 1.0 : maximumOnInterval(slopeAt, 0.0, 1.0, 0.5);
  }
  return {h, individual.hybridIndexLogLikelihood(h)};
}

}  // namespace parmix
