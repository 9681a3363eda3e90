#include "estimate/cline_fit.hpp"

#include "estimate/cline_surface.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_multimin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>


namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// What a solver sees instead of an impossible point (ln L = -inf).
constexpr double kWorst = 1e300;
// The shelves of the step cline at which the cap of v is looked at before
// an inside maximum is taken.
constexpr std::size_t kCapShelves = 8;
// The steep clines looked at inside the box, on the best shelves, before
// the maximum the search from the neutral cline reached is taken.
constexpr std::size_t kSteepShelves = 4;
constexpr double kSteepLogV[] = {2.8};  // v about 16

// The two coordinates of the fit: 0 is ln v, 1 is logit(centre).
using Point = std::array<double, 2>;

struct Box {
  Point lo;
  Point hi;
};

Box clineBox() {
  const double centreEnd = logit(kClineMinCentre);
  return {{std::log(kClineMinV), centreEnd}, {std::log(kClineMaxV), -centreEnd}};
}

double logLAt(ClineSurface& locus, const Point& x) {
  return locus.logLikelihood(std::exp(x[0]), x[1]);
}

Point clamped(const Box& box, Point x) {
  for (int k = 0; k < 2; ++k) x[k] = std::clamp(x[k], box.lo[k], box.hi[k]);
  return x;
}

// ---- One coordinate ----------------------------------------------------

// Maximum of a function of one variable on [lo, hi].
struct LineMaximum {
  double x;
  double value;
};

template <typename F>
LineMaximum goldenSection(F f, double lo, double hi) {
  const double ratio = 0.5 * (std::sqrt(5.0) - 1.0);
  double a = lo, b = hi;
  double c = b - ratio * (b - a), d = a + ratio * (b - a);
  double fc = f(c), fd = f(d);
  while (b - a > 1e-10) {
    if (fc >= fd) {
      b = d, d = c, fd = fc;
      c = b - ratio * (b - a);
      fc = f(c);
    } else {
      a = c, c = d, fc = fd;
      d = a + ratio * (b - a);
      fd = f(d);
    }
  }
  LineMaximum best{fc >= fd ? c : d, std::max(fc, fd)};
  for (double end : {lo, hi}) {
    const double value = f(end);
    if (value > best.value) best = {end, value};
  }
  return best;
}

// Newton's method with central differences from START, each step cut back
// until it does not lose; where the curvature is not negative, or the
// steps do not settle, golden section over the whole interval instead.
template <typename F>
LineMaximum climbLine(F f, double lo, double hi, double start) {
  constexpr double kStep = 1e-4;
  double x = std::clamp(start, lo, hi);
  double fx = f(x);
  for (int iteration = 0; iteration < 40 && std::isfinite(fx); ++iteration) {
    const double c = std::clamp(x, lo + kStep, hi - kStep);
    const double up = f(c + kStep), down = f(c - kStep), mid = c == x ? fx : f(c);
    const double slope = (up - down) / (2 * kStep);
    const double curve = (up - 2 * mid + down) / (kStep * kStep);
    if (!(curve < 0) || !std::isfinite(slope)) break;
    double step = std::clamp(-slope / curve, -2.0, 2.0);
    for (int cut = 0; cut < 30; ++cut, step /= 2) {
      const double next = std::clamp(x + step, lo, hi);
      const double value = f(next);
      if (value >= fx) {
        const double moved = std::fabs(next - x);
        x = next, fx = value;
        if (moved < 1e-10) return {x, fx};
        break;
      }
      if (cut == 29) return {x, fx};
    }
  }
  const LineMaximum golden = goldenSection(f, lo, hi);
  return golden.value > fx || !std::isfinite(fx) ? golden : LineMaximum{x, fx};
}

// The climb's maximum, or an end that is no lower: a likelihood that only
// levels off towards an end (the steepest cline of perfectly sorted
// genotypes, say) has its maximum there.
template <typename F>
LineMaximum maximiseLine(F f, double lo, double hi, double start) {
  LineMaximum best = climbLine(f, lo, hi, start);
  for (double end : {lo, hi}) {
    const double value = f(end);
    if (value >= best.value || !std::isfinite(best.value)) best = {end, value};
  }
  return best;
}

// An upper bound of ln L along coordinate O through X, from A to B.
double boundAlong(ClineSurface& locus, int o, Point x, double a, double b) {
  Point lo = x, hi = x;
  lo[o] = a, hi[o] = b;
  return locus.upperBound(lo[0], hi[0], lo[1], hi[1]);
}

// ln L and its slope along coordinate O at T, the other coordinate as in X.
struct LinePoint {
  double t;
  double value;
  double slope;
  double curve;
};

LinePoint linePoint(ClineSurface& locus, int o, Point x, double t) {
  x[o] = t;
  const ClineCurvature at = locus.curvature(x[0], x[1]);
  return {t, at.value, at.gradient[o], at.hessian[o][o]};
}

// The point where the slope falls through zero between A (rising) and B
// (falling): Newton's method on the slope, kept inside the bracket, which
// halves it where a step would leave.  A caller that only asks whether the
// line reaches ENOUGH gets a point below it once an upper bound over the
// narrowed bracket shows that nothing there reaches it: the bound over
// the scan's whole stretch seldom does, over a few steps' bracket often.
LineMaximum slopeZero(ClineSurface& locus, int o, const Point& x, LinePoint a, LinePoint b,
                      double enough = HUGE_VAL) {
  constexpr int kBoundAfter = 2;
  LinePoint m = a.value >= b.value ? a : b;
  for (int iteration = 0; iteration < 60 && b.t - a.t > 1e-10; ++iteration) {
    if (iteration == kBoundAfter && enough < HUGE_VAL && boundAlong(locus, o, x, a.t, b.t) < enough)
      break;
    double t = m.curve < 0 ? m.t - m.slope / m.curve : 0.5 * (a.t + b.t);
    if (!(t > a.t && t < b.t)) t = 0.5 * (a.t + b.t);
    const LinePoint next = linePoint(locus, o, x, t);
    if (!std::isfinite(next.slope)) break;
    const double moved = std::fabs(t - m.t);
    m = next;
    (next.slope > 0 ? a : b) = next;
    if (moved < 1e-10) break;
  }
  return {m.t, m.value};
}

// The highest maximum of ln L along coordinate O through X that a scan of
// evenly spaced points brackets by its slopes (rising, then falling), or
// the scan's highest point: a handful of passes where golden section over
// the whole line takes some fifty.  A maximum whose stretch of the line
// is shown by an upper bound of ln L to stay below ENOUGH is not sought:
// the caller only asks whether the line reaches that high.
LineMaximum scanLine(ClineSurface& locus, const Box& box, int o, const Point& x,
                     double enough = HUGE_VAL) {
  constexpr int kPoints = 9;
  std::array<LinePoint, kPoints> scan;
  for (int i = 0; i < kPoints; ++i) {
    scan[i] = linePoint(locus, o, x, box.lo[o] + (box.hi[o] - box.lo[o]) * i / (kPoints - 1));
    // A point that reaches ENOUGH answers the caller's question.
    if (scan[i].value >= enough) return {scan[i].t, scan[i].value};
  }
  LineMaximum best{scan[0].t, -HUGE_VAL};
  for (int i = 0; i < kPoints; ++i) {
    if (scan[i].value > best.value) best = {scan[i].t, scan[i].value};
    if (i + 1 < kPoints && scan[i].slope > 0 && scan[i + 1].slope < 0) {
      if (enough < HUGE_VAL && boundAlong(locus, o, x, scan[i].t, scan[i + 1].t) < enough) continue;
      const LineMaximum inner = slopeZero(locus, o, x, scan[i], scan[i + 1], enough);
      if (inner.value > best.value) best = inner;
    }
  }
  return best;
}

// Newton's method along coordinate O from X with the exact derivatives,
// each step halved until it does not lose (one so short that ln L cannot
// tell the gain is taken as it is).  The point it settled at, or where it
// stopped: at a point that reaches ENOUGH, where the curvature is not that
// of a maximum, or after its steps.
struct Climb {
  LineMaximum at;
  bool settled;
};

Climb climbAlong(ClineSurface& locus, const Box& box, int o, Point x, double enough) {
  x[o] = std::clamp(x[o], box.lo[o], box.hi[o]);
  ClineCurvature at = locus.curvature(x[0], x[1]);
  for (int iteration = 0; iteration < 40 && std::isfinite(at.value); ++iteration) {
    if (at.value >= enough) return {{x[o], at.value}, false};
    const double g = at.gradient[o], h = at.hessian[o][o];
    if (!(h < 0) || !std::isfinite(g)) break;
    double step = std::clamp(-g / h, -2.0, 2.0);
    const bool trusted = std::fabs(step) < 1e-6;
    bool gained = false;
    for (int cut = 0; cut < 30 && !gained; ++cut, step /= 2) {
      Point y = x;
      y[o] = std::clamp(x[o] + step, box.lo[o], box.hi[o]);
      const ClineCurvature next = locus.curvature(y[0], y[1]);
      if (trusted || next.value >= at.value) {
        gained = true;
        const bool still = std::fabs(y[o] - x[o]) < 1e-10;
        x = y, at = next;
        if (still) return {{x[o], at.value}, true};
      }
    }
    if (!gained) return {{x[o], at.value}, true};
  }
  return {{x[o], at.value}, false};
}

// Where a local search along the cap of v settled below ENOUGH, whether
// the line reaches it elsewhere.  So steep a cline is nearly a step, and
// the line a row of shelves, one between each pair of neighbouring
// individuals' h, with a maximum on many of them: the shelves the step
// ranks best are looked at, the best first, and the highest of them
// climbed.  Past the first, only where the line stands within
// kClineSupportDrop of ENOUGH: the step and the cap's cline differ only
// for the individuals whose h lies within a hundredth or so, on the logit
// scale, of the centre, so a line that much lower on its best shelf is
// not expected to reach ENOUGH on another.  A maximum at a tight cluster
// of individuals' h rather than between them (heterozygotes fitting phi =
// 1/2) is found only where the climb reaches it.
LineMaximum reachAlongCap(ClineSurface& locus, const Box& box, const Point& x,
                          LineMaximum best, double enough) {
  constexpr std::size_t kShelves = 16;
  Point at = x;
  LineMaximum shelf{best.x, -HUGE_VAL};
  for (double centre : locus.bestStepCentres(box.lo[1], box.hi[1], kShelves)) {
    at[1] = centre;
    const double value = logLAt(locus, at);
    if (value >= enough) return {centre, value};
    if (value > shelf.value) shelf = {centre, value};
    if (!(std::max(best.value, shelf.value) >= enough - kClineSupportDrop)) return best;
  }
  at[1] = shelf.x;
  const LineMaximum climbed = climbAlong(locus, box, 1, at, enough).at;
  return climbed.value > best.value ? climbed : best;
}

// Where a local search along coordinate O settled below ENOUGH, whether
// the line through X reaches it at another maximum: the cap of v by its
// shelves; other lines, where they stand within kClineSupportDrop of
// ENOUGH and were not SCANNED already, by a scan that brackets each
// maximum by its slopes.
LineMaximum reachElsewhere(ClineSurface& locus, const Box& box, int o, const Point& x,
                           LineMaximum best, double enough, bool scanned) {
  if (o == 1 && x[0] == box.hi[0]) return reachAlongCap(locus, box, x, best, enough);
  if (scanned || !(best.value >= enough - kClineSupportDrop)) return best;
  const LineMaximum other = scanLine(locus, box, o, x, enough);
  return other.value > best.value ? other : best;
}

// The maximum of ln L along coordinate O through X within the box, for
// the profiles and the searches along the cap of v: Newton's method
// (climbAlong); where the curvature is not that of a maximum, or the
// steps do not settle, a scan of the whole line.  An end that stands no
// lower wins, as in maximiseLine.  A point the search keeps that reaches
// ENOUGH ends it there, and a stretch of the scanned line that an upper
// bound keeps below ENOUGH is not searched: the caller only asks whether
// the line reaches that high, and the value is then merely a point of the
// line, at or above ENOUGH where the line reaches it and below it where it
// does not.  That question is not left to the maximum Newton's method
// settles at: the line may have more than one (reachElsewhere).
LineMaximum maximiseAlong(ClineSurface& locus, const Box& box, int o, Point x,
                          double enough = HUGE_VAL) {
  auto f = [&](double t) {
    Point y = x;
    y[o] = t;
    return logLAt(locus, y);
  };
  const Climb climb = climbAlong(locus, box, o, x, enough);
  x[o] = climb.at.x;
  LineMaximum best = climb.at;
  if (best.value >= enough) return best;
  if (!climb.settled) {
    const LineMaximum scanned = scanLine(locus, box, o, x, enough);
    if (scanned.value > best.value || !std::isfinite(best.value)) best = scanned;
    if (best.value >= enough) return best;
  }
  // An end a search has already been at costs no pass: the surface keeps
  // its value.
  for (int side = 0; side < 2; ++side) {
    const double end = side == 0 ? box.lo[o] : box.hi[o];
    const double value = f(end);
    if (value >= best.value || !std::isfinite(best.value)) best = {end, value};
  }
  if (enough < HUGE_VAL && best.value < enough)
    best = reachElsewhere(locus, box, o, x, best, enough, !climb.settled);
  return best;
}

// ---- Both coordinates --------------------------------------------------

struct SimplexDeleter {
  void operator()(gsl_multimin_fminimizer* s) const { gsl_multimin_fminimizer_free(s); }
};
struct VectorDeleter {
  void operator()(gsl_vector* v) const { gsl_vector_free(v); }
};

struct SimplexTask {
  ClineSurface* locus;
  Box box;
};

// -ln L at the point brought into the box, plus the squared distance to
// the box, so the simplex is drawn back to it; finite everywhere.
double simplexObjective(const gsl_vector* at, void* params) {
  const auto* task = static_cast<const SimplexTask*>(params);
  const Point x{gsl_vector_get(at, 0), gsl_vector_get(at, 1)};
  const Point inside = clamped(task->box, x);
  double outside = 0;
  for (int k = 0; k < 2; ++k) outside += (x[k] - inside[k]) * (x[k] - inside[k]);
  const double value = -logLAt(*task->locus, inside);
  return (std::isfinite(value) ? std::min(value, kWorst) : kWorst) + outside;
}

Point simplexSearch(ClineSurface& locus, const Box& box, const Point& start) {
  SimplexTask task{&locus, box};
  gsl_multimin_function function{&simplexObjective, 2, &task};
  std::unique_ptr<gsl_multimin_fminimizer, SimplexDeleter> solver(
      gsl_multimin_fminimizer_alloc(gsl_multimin_fminimizer_nmsimplex2, 2));
  std::unique_ptr<gsl_vector, VectorDeleter> x(gsl_vector_alloc(2)), step(gsl_vector_alloc(2));
  if (!solver || !x || !step) throw std::bad_alloc();
  for (int k = 0; k < 2; ++k) gsl_vector_set(x.get(), k, start[k]);
  gsl_vector_set_all(step.get(), 0.5);
  gsl_multimin_fminimizer_set(solver.get(), &function, x.get(), step.get());
  for (int iteration = 0; iteration < 2000; ++iteration) {
    if (gsl_multimin_fminimizer_iterate(solver.get()) != GSL_SUCCESS) break;
    if (gsl_multimin_test_size(gsl_multimin_fminimizer_size(solver.get()), 1e-9) == GSL_SUCCESS)
      break;
  }
  const gsl_vector* best = gsl_multimin_fminimizer_x(solver.get());
  return clamped(box, {gsl_vector_get(best, 0), gsl_vector_get(best, 1)});
}

// Each coordinate in turn maximised with the other held, which reaches a
// maximum on the box's edge that the simplex only nears.
Point coordinateAscent(ClineSurface& locus, const Box& box, Point x, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    const Point before = x;
    for (int k = 0; k < 2; ++k) {
      auto along = [&](double t) {
        Point y = x;
        y[k] = t;
        return logLAt(locus, y);
      };
      x[k] = maximiseLine(along, box.lo[k], box.hi[k], x[k]).x;
    }
    if (std::fabs(x[0] - before[0]) + std::fabs(x[1] - before[1]) < 1e-11) break;
  }
  return x;
}

bool inside(const Box& box, const Point& x, double margin) {
  for (int k = 0; k < 2; ++k)
    if (x[k] < box.lo[k] + margin || x[k] > box.hi[k] - margin) return false;
  return true;
}

// Newton steps in both coordinates with central differences, each taken
// only where it gains: they settle the simplex's answer to the precision
// of the differences.
Point newtonPolish(ClineSurface& locus, const Box& box, Point x) {
  constexpr double d = 1e-4;
  double fx = logLAt(locus, x);
  for (int iteration = 0; iteration < 10 && inside(box, x, 2 * d); ++iteration) {
    auto at = [&](double a, double b) { return logLAt(locus, {x[0] + a, x[1] + b}); };
    const double f10 = at(d, 0), f01 = at(0, d), fm10 = at(-d, 0), f0m1 = at(0, -d);
    const double fpp = at(d, d), fpm = at(d, -d), fmp = at(-d, d), fmm = at(-d, -d);
    const double g0 = (f10 - fm10) / (2 * d), g1 = (f01 - f0m1) / (2 * d);
    const double h00 = (f10 - 2 * fx + fm10) / (d * d), h11 = (f01 - 2 * fx + f0m1) / (d * d);
    const double h01 = (fpp - fpm - fmp + fmm) / (4 * d * d);
    const double det = h00 * h11 - h01 * h01;
    if (!(h00 < 0 && det > 0)) break;
    const Point next = clamped(box, {x[0] - (h11 * g0 - h01 * g1) / det,
                                     x[1] - (h00 * g1 - h01 * g0) / det});
    const double value = logLAt(locus, next);
    if (!(value >= fx)) break;
    const double moved = std::fabs(next[0] - x[0]) + std::fabs(next[1] - x[1]);
    x = next, fx = value;
    if (moved < 1e-11) break;
  }
  return x;
}

// ---- Newton's method with the exact derivatives -------------------------

// The determinant of a symmetric 2x2 matrix, and whether it is negative
// definite: the curvature of a proper maximum.
double determinant(const double h[2][2]) { return h[0][0] * h[1][1] - h[0][1] * h[0][1]; }
bool negativeDefinite(const double h[2][2]) { return h[0][0] < 0 && determinant(h) > 0; }

bool finite(const ClineCurvature& at) {
  return std::isfinite(at.value) && std::isfinite(at.gradient[0]) &&
         std::isfinite(at.gradient[1]) && std::isfinite(at.hessian[0][0]) &&
         std::isfinite(at.hessian[0][1]) && std::isfinite(at.hessian[1][1]);
}

ClineCurvature curvatureAt(ClineSurface& locus, const Point& x) {
  return locus.curvature(x[0], x[1]);
}

// The ascent direction at AT: Newton's step where the curvature is that of
// a maximum, otherwise the gradient; no longer than 2 units on the scale.
Point ascentStep(const ClineCurvature& at, bool& newton) {
  const double(&h)[2][2] = at.hessian;
  const double* g = at.gradient;
  newton = negativeDefinite(h);
  Point step{g[0], g[1]};
  if (newton) {
    const double det = determinant(h);
    step = {-(h[1][1] * g[0] - h[0][1] * g[1]) / det, -(h[0][0] * g[1] - h[0][1] * g[0]) / det};
  }
  const double length = std::hypot(step[0], step[1]);
  if (length > 2) step = {step[0] * 2 / length, step[1] * 2 / length};
  return step;
}

// Whether the other coordinate's maximum at X, of value VALUE, stands
// above both ends of its range, as the profile takes the higher of them
// (the steepest cline, a step at the centre, may fit few individuals
// better than any ridge).
bool ridgeIsHighest(ClineSurface& locus, const Box& box, int o, Point x, double value) {
  for (double end : {box.lo[o], box.hi[o]}) {
    x[o] = end;
    if (!(logLAt(locus, x) < value)) return false;
  }
  return true;
}

// The likelihood's maximum reached from START by Newton's method (each
// step halved until it does not lose), when it lies inside the box by a
// margin with the curvature of a maximum; nothing otherwise, and the
// caller searches the slower way.
std::optional<Point> newtonMaximum(ClineSurface& locus, const Box& box, Point x) {
  // From the neutral cline a maximum inside the box takes a handful of
  // steps; more are the crawl of gradient steps up a likelihood that keeps
  // rising towards an edge, which the searches along the edges settle
  // faster.
  constexpr int kNewtonSteps = 30;
  ClineCurvature at = curvatureAt(locus, x);
  for (int iteration = 0; iteration < kNewtonSteps && finite(at); ++iteration) {
    bool newton = false;
    Point step = ascentStep(at, newton);
    const double length = std::fabs(step[0]) + std::fabs(step[1]);
    // Newton's steps shrink quadratically: after one this short the rest
    // lies below what rounding lets ln L tell apart.
    if (newton && length < 1e-7) {
      const Point last{x[0] + step[0], x[1] + step[1]};
      if (!inside(box, last, 1e-3)) return std::nullopt;
      return last;
    }
    // Close to the maximum ln L changes by less than its rounding, so a
    // short Newton step is taken as it is.
    const bool trusted = newton && length < 1e-4;
    bool gained = false;
    for (int cut = 0; cut < 50 && !gained; ++cut, step = {step[0] / 2, step[1] / 2}) {
      const Point next{x[0] + step[0], x[1] + step[1]};
      if (!inside(box, next, 0)) continue;
      const ClineCurvature nextAt = curvatureAt(locus, next);
      if (trusted || nextAt.value >= at.value) x = next, at = nextAt, gained = true;
    }
    if (!gained) return std::nullopt;
  }
  return std::nullopt;
}

// Whether every line through X along a coordinate stands lower at both
// ends of the box than at X.
bool endsStandLower(ClineSurface& locus, const Box& box, const Point& x) {
  const double value = logLAt(locus, x);
  for (int o = 0; o < 2; ++o)
    if (!ridgeIsHighest(locus, box, o, x, value)) return false;
  return true;
}

// Where the profile of coordinate K falls to LEVEL on SIDE (-1 below the
// estimate, +1 above): the point at which ln L = LEVEL and the other
// coordinate is at its maximum, by Newton's method on that pair of
// equations, started where the quadratic approximation at the maximum
// BEST puts it.  Nothing when it does not settle inside the box on the
// falling side of the profile; the caller then takes the slower way.
std::optional<double> newtonCrossing(ClineSurface& locus, const Box& box, int k, int side,
                                     const Point& best, const ClineCurvature& atBest,
                                     double level) {
  const int o = 1 - k;
  const double det = determinant(atBest.hessian);
  // The inverse of minus the Hessian: the estimate's covariance.
  const double kk = -atBest.hessian[o][o] / det, ok = atBest.hessian[k][o] / det;
  if (!negativeDefinite(atBest.hessian) || !(kk > 0)) return std::nullopt;
  const double delta = side * std::sqrt(2 * (atBest.value - level) * kk);
  Point x;
  x[k] = best[k] + delta;
  x[o] = best[o] + ok / kk * delta;
  for (int iteration = 0; iteration < 60; ++iteration) {
    if (!inside(box, x, 0)) return std::nullopt;
    const ClineCurvature at = curvatureAt(locus, x);
    if (!finite(at)) return std::nullopt;
    const double f1 = at.value - level, f2 = at.gradient[o];
    const double gk = at.gradient[k], go = at.gradient[o];
    const double hko = at.hessian[k][o], hoo = at.hessian[o][o];
    const double jacobian = gk * hoo - go * hko;
    if (!(std::fabs(jacobian) > 0)) return std::nullopt;
    double dk = -(hoo * f1 - go * f2) / jacobian, dO = -(gk * f2 - hko * f1) / jacobian;
    const double length = std::max(std::fabs(dk), std::fabs(dO));
    if (length > 1) dk /= length, dO /= length;
    x[k] += dk, x[o] += dO;
    if (length < 1e-8) {
      const bool falling = side * gk < 0 && hoo < 0 && std::fabs(f1) < 1e-6;
      if (!falling || side * (x[k] - best[k]) <= 0 || !inside(box, x, 0)) return std::nullopt;
      if (!ridgeIsHighest(locus, box, o, x, at.value)) return std::nullopt;
      return x[k];
    }
  }
  return std::nullopt;
}

// ---- Profiles and limits -----------------------------------------------

// The profile of coordinate K: ln L maximised over the other coordinate,
// each search started where the last one ended.
class Profile {
 public:
  Profile(ClineSurface& locus, const Box& box, int k, double otherStart)
      : locus_(locus), box_(box), k_(k), other_(otherStart) {}

  // At T; a value of at least ENOUGH may be any point of the line that
  // reaches it, not its maximum.
  double operator()(double t, double enough = HUGE_VAL) {
    Point x;
    x[k_] = t;
    x[1 - k_] = other_;
    const LineMaximum best = maximiseAlong(locus_, box_, 1 - k_, x, enough);
    if (std::isfinite(best.value)) other_ = best.x;
    return best.value;
  }

 private:
  ClineSurface& locus_;
  const Box& box_;
  int k_;
  double other_;
};

// The profile less LEVEL at T; an impossible point (ln L = -inf) lies
// below every level.
template <typename F>
double aboveLevel(F& profile, double level, double t) {
  const double value = profile(t);
  return (value == -HUGE_VAL ? -kWorst : value) - level;
}

// The point between INNER (where the profile stands above LEVEL) and
// OUTER (where it has fallen below) at which it crosses LEVEL, by the
// Illinois form of false position: each point is evaluated once, so a
// profile whose searches follow a ridge differently on a second visit
// cannot break the bracket.  NaN when the profile, searched afresh, does
// not straddle LEVEL there after all, or is not a number: no made-up
// limit.
template <typename F>
double crossing(F& profile, double level, double inner, double outer) {
  double a = inner, b = outer;
  double fa = aboveLevel(profile, level, a), fb = aboveLevel(profile, level, b);
  if (!(fa > 0 && fb < 0)) return kNaN;
  int lastKept = 0;  // which end stayed put last: 1 inner, -1 outer
  for (int iteration = 0; iteration < 200 && std::fabs(b - a) > 1e-11; ++iteration) {
    double t = b - fb * (b - a) / (fb - fa);
    if (!(std::fabs(t - a) < std::fabs(b - a) && std::fabs(t - b) < std::fabs(b - a)))
      t = 0.5 * (a + b);
    const double ft = aboveLevel(profile, level, t);
    if (std::isnan(ft)) return kNaN;
    if (ft == 0) return t;
    if (ft > 0) {
      a = t, fa = ft;
      if (lastKept == -1) fb /= 2;
      lastKept = -1;
    } else {
      b = t, fb = ft;
      if (lastKept == 1) fa /= 2;
      lastKept = 1;
    }
  }
  return 0.5 * (a + b);
}

// Whether ln L stays below LEVEL all along the line where coordinate K is
// at T, shown by upper bounds over the line, then over its halves, within
// a budget of passes.  False when the bounds do not show it, whatever the
// truth.  At the shallowest clines every individual's phi barely moves
// along the centre, so one bound usually settles the lower end of v,
// where searching the line would take a dozen passes.
bool lineStaysBelow(ClineSurface& locus, const Box& box, int k, double t, double level) {
  constexpr int kBudget = 3;
  const int o = 1 - k;
  std::array<std::array<double, 2>, kBudget + 1> pieces;
  std::size_t open = 0;
  pieces[open++] = {box.lo[o], box.hi[o]};
  for (int passes = 0; open > 0; ++passes) {
    if (passes == kBudget) return false;
    const auto piece = pieces[--open];
    Point lo, hi;
    lo[k] = hi[k] = t;
    lo[o] = piece[0], hi[o] = piece[1];
    const double bound = locus.upperBound(lo[0], hi[0], lo[1], hi[1]);
    if (bound < level) continue;
    if (!(bound >= level) || open + 2 > pieces.size()) return false;
    const double middle = 0.5 * (piece[0] + piece[1]);
    pieces[open++] = {middle, piece[1]};
    pieces[open++] = {piece[0], middle};
  }
  return true;
}

// One parameter's estimate and limits on the fit's scale.
struct CoordinateLimits {
  double estimate;
  double lower;
  double upper;
  bool cut[2];
};

// Each side's limit: the box's end, cut, where the profile there still
// stands at or above LEVEL (the profile of a few individuals may rise
// again towards the steepest cline); else the crossing, by Newton's method
// where it settles and by false position otherwise.  A parameter whose
// profile stays within kClineFlatChange of the maximum at both ends of the
// box is undefined.
CoordinateLimits limitsOf(ClineSurface& locus, const Box& box, int k, const Point& best,
                          const ClineCurvature& atBest) {
  const double maxLogL = atBest.value;
  CoordinateLimits out{best[k], kNaN, kNaN, {false, false}};
  const double level = maxLogL - kClineSupportDrop;
  const double flat = kClineFlatChange * std::max(1.0, std::fabs(maxLogL));
  bool flatAtBothEnds = true;
  for (int side = 0; side < 2; ++side) {
    const double end = side == 0 ? box.lo[k] : box.hi[k];
    // A line shown to stay below LEVEL has its profile below it too, and
    // so far from the maximum that it is not flat.
    const bool below = k == 0 && side == 0 && best[k] != end &&
                       lineStaysBelow(locus, box, k, end, level);
    // Whether the end reaches the level is all the cut needs; its exact
    // value is sought only where it may tie the maximum (a flat profile).
    Profile profile(locus, box, k, best[1 - k]);
    double atEnd = below ? -HUGE_VAL : profile(end, level);
    if (atEnd >= level && std::fabs(atEnd - maxLogL) <= flat) atEnd = profile(end);
    flatAtBothEnds = flatAtBothEnds && std::fabs(atEnd - maxLogL) <= flat;
    double limit = end;
    if (best[k] == end || atEnd >= level) {
      out.cut[side] = true;
    } else if (const std::optional<double> fast =
                   newtonCrossing(locus, box, k, side == 0 ? -1 : 1, best, atBest, level)) {
      limit = *fast;
    } else {
      Profile fresh(locus, box, k, best[1 - k]);
      limit = crossing(fresh, level, best[k], end);
    }
    (side == 0 ? out.lower : out.upper) = limit;
  }
  if (flatAtBothEnds) out = {kNaN, kNaN, kNaN, {false, false}};
  return out;
}

double logistic(double z) {
  return z >= 0 ? 1.0 / (1.0 + std::exp(-z)) : std::exp(z) / (1.0 + std::exp(z));
}

ClineEstimate undefinedRow(int individuals) {
  ClineEstimate row;
  row.individuals = individuals;
  row.v = row.vLower = row.vUpper = kNaN;
  row.centre = row.centreLower = row.centreUpper = kNaN;
  row.u = row.logL = row.neutralLogL = row.lr = row.pValue = row.qValue = kNaN;
  return row;
}

// The maximum along the edge of the box where coordinate K is at its end
// on SIDE (0 low, 1 high), found by one search along the edge, when the
// line through it along K is highest at that end (a steep cline that fits
// worse a little below the cap may still fit best at it).  Nothing
// otherwise.  On the cap of v so steep a cline is
// nearly a step at the centre, and ln L along the edge has a shelf
// between each pair of neighbouring individuals: the search starts at the
// best of a coarse scan, not merely the nearest shelf.  A maximum below
// AT_LEAST, or not above ABOVE, would not be taken: nothing then, without
// the search along K.
struct EdgePoint {
  Point x;
  double value;
};

std::optional<EdgePoint> edgeMaximum(ClineSurface& locus, const Box& box, int k, int side,
                                     double otherStart, double atLeast, double above) {
  const int o = 1 - k;
  Point start;
  start[k] = side == 0 ? box.lo[k] : box.hi[k];
  start[o] = otherStart;
  double startValue = logLAt(locus, start);
  constexpr int kScan = 28;
  for (int i = 0; i <= kScan; ++i) {
    Point at = start;
    at[o] = box.lo[o] + (box.hi[o] - box.lo[o]) * i / kScan;
    const double value = logLAt(locus, at);
    if (value > startValue) start = at, startValue = value;
  }
  if (k == 0 && side == 1) {
    // At the cap a cline is close enough to a step that the step's best
    // shelves hold the edge's best, but not always its very best one.
    for (double centre : locus.bestStepCentres(box.lo[o], box.hi[o], 8)) {
      Point step = start;
      step[o] = centre;
      const double value = logLAt(locus, step);
      if (value > startValue) start = step, startValue = value;
    }
  }
  const LineMaximum best = maximiseAlong(locus, box, o, start);
  Point x = start;
  x[o] = best.x;
  if (!std::isfinite(best.value)) return std::nullopt;
  const double value = logLAt(locus, x);
  if (!(value >= atLeast && value > above)) return std::nullopt;
  if (maximiseAlong(locus, box, k, x).x != x[k]) return std::nullopt;
  return EdgePoint{x, value};
}

// The highest ln L of the points the search from the neutral cline ended
// at or looked at: X and the ends of the lines through it along each
// coordinate.  An edge's maximum must stand at or above it to be taken.
double highestSeen(ClineSurface& locus, const Box& box, const Point& x) {
  double highest = logLAt(locus, x);
  for (int k = 0; k < 2; ++k)
    for (double end : {box.lo[k], box.hi[k]}) {
      Point z = x;
      z[k] = end;
      const double value = logLAt(locus, z);
      highest = std::isnan(value) ? value : std::max(highest, value);
    }
  return highest;
}

// The highest of the edges' maxima (the cap of v first) that stand above
// every point the search from the neutral cline ended at or looked at (X
// and the ends of the lines through it): a few individuals may fit a
// steep cline and a shifted shallow one almost equally well, and the first
// edge that qualifies need not be the higher.  Nothing when no edge has
// one.
std::optional<Point> bestEdge(ClineSurface& locus, const Box& box, const Point& x) {
  static constexpr int kEdges[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
  std::optional<Point> best;
  double bestValue = -HUGE_VAL;
  const double seen = highestSeen(locus, box, x);
  for (const auto& edge : kEdges) {
    const int k = edge[0], o = 1 - k;
    const double end = edge[1] == 0 ? box.lo[k] : box.hi[k];
    Point lo, hi;
    lo[k] = hi[k] = end;
    lo[o] = box.lo[o], hi[o] = box.hi[o];
    // An edge that an upper bound of ln L along it keeps below the best
    // edge found cannot hold the maximum.
    if (best && !(locus.upperBound(lo[0], hi[0], lo[1], hi[1]) > bestValue)) continue;
    const std::optional<EdgePoint> at =
        edgeMaximum(locus, box, k, edge[1], x[o], seen, best ? bestValue : -HUGE_VAL);
    if (at) best = at->x, bestValue = at->value;
  }
  return best;
}

Point notBelowNeutral(ClineSurface& locus, const Point& x) {
  const Point neutral{0.0, 0.0};
  return logLAt(locus, x) >= logLAt(locus, neutral) ? x : neutral;
}

// Newton's method from the neutral cline, which settles in a few steps
// wherever the likelihood has a maximum inside the box that no line along
// a coordinate through it tops at the box's ends.  Otherwise the simplex,
// Where the best of those points lies on the cap of v (or another edge of
// the box), one search along that edge.  Otherwise the simplex,
// then each coordinate in turn (whose line searches look at the ends
// too); a maximum inside the box is polished, one on its edge searched
// along it.
// Never a point worse than the neutral cline.
// Whether the cap of v stands above ln L at X on one of the shelves the
// step ranks best: a few individuals may fit a steep cline away from the
// estimate's centre better, which no line through X shows.
bool capStandsHigher(ClineSurface& locus, const Box& box, const Point& x) {
  const double value = logLAt(locus, x);
  for (double centre : locus.bestStepCentres(box.lo[1], box.hi[1], kCapShelves))
    if (logLAt(locus, {box.hi[0], centre}) > value) return true;
  return false;
}

// A higher maximum inside the box than X, reached by Newton's method from
// the highest of a few steep clines centred on the step's best shelves,
// where one stands above X: with few or weakly informative individuals ln
// L has a ridge of steep clines with a peak on many shelves, which the
// search from the neutral cline does not see.
std::optional<Point> higherInside(ClineSurface& locus, const Box& box, const Point& x) {
  double best = logLAt(locus, x);
  std::optional<Point> start;
  for (double centre : locus.bestStepCentres(box.lo[1], box.hi[1], kSteepShelves))
    for (double logV : kSteepLogV) {
      const Point probe{logV, centre};
      const double value = logLAt(locus, probe);
      if (value > best) best = value, start = probe;
    }
  if (!start) return std::nullopt;
  const std::optional<Point> y = newtonMaximum(locus, box, *start);
  if (!y || !(logLAt(locus, *y) > logLAt(locus, x)) || !endsStandLower(locus, box, *y))
    return std::nullopt;
  return y;
}

Point bestPoint(ClineSurface& locus, const Box& box) {
  const Point neutral{0.0, 0.0};
  const std::optional<Point> fast = newtonMaximum(locus, box, neutral);
  Point x = fast.value_or(neutral);
  if (fast && endsStandLower(locus, box, x)) {
    if (const std::optional<Point> higher = higherInside(locus, box, x)) x = *higher;
    if (!capStandsHigher(locus, box, x)) return notBelowNeutral(locus, x);
  }
  if (const std::optional<Point> edge = bestEdge(locus, box, x)) {
    x = *edge;
  } else {
    x = coordinateAscent(locus, box, simplexSearch(locus, box, neutral), 3);
    x = inside(box, x, 1e-3) ? newtonPolish(locus, box, x) : coordinateAscent(locus, box, x, 50);
  }
  return notBelowNeutral(locus, x);
}

}  // namespace

// The fit's searches ask again for values they have had (see
// cline_surface.hpp): the surface gives them without another pass.
ClineEstimate fitCline(const ClineLocus& given) {
  ClineSurface locus(given);
  ClineEstimate row = undefinedRow(locus.individuals());
  if (locus.individuals() == 0) return row;
  const Box box = clineBox();
  const Point best = bestPoint(locus, box);
  // The pass that gives the limits their curvature gives ln L too, the
  // same sum as logLikelihood's.
  const ClineCurvature atBest = curvatureAt(locus, best);
  row.logL = atBest.value;
  row.neutralLogL = locus.neutralLogLikelihood();
  if (!std::isfinite(row.logL) || !std::isfinite(row.neutralLogL)) return undefinedRow(row.individuals);
  row.lr = std::max(0.0, 2 * (row.logL - row.neutralLogL));
  row.pValue = std::exp(-row.lr / 2);
  const CoordinateLimits v = limitsOf(locus, box, 0, best, atBest);
  const CoordinateLimits c = limitsOf(locus, box, 1, best, atBest);
  row.v = std::exp(v.estimate), row.vLower = std::exp(v.lower), row.vUpper = std::exp(v.upper);
  row.vCut[0] = v.cut[0], row.vCut[1] = v.cut[1];
  row.centre = logistic(c.estimate);
  row.centreLower = logistic(c.lower), row.centreUpper = logistic(c.upper);
  row.centreCut[0] = c.cut[0], row.centreCut[1] = c.cut[1];
  row.u = row.v * c.estimate;
  return row;
}

double clineLikelihoodRatio(const ClineLocus& given) {
  ClineSurface locus(given);
  if (locus.individuals() == 0) return kNaN;
  const double logL = logLAt(locus, bestPoint(locus, clineBox()));
  const double neutral = locus.neutralLogLikelihood();
  if (!std::isfinite(logL) || !std::isfinite(neutral)) return kNaN;
  return std::max(0.0, 2 * (logL - neutral));
}

std::vector<double> benjaminiHochberg(const std::vector<double>& pValues) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < pValues.size(); ++i)
    if (!std::isnan(pValues[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return pValues[a] < pValues[b]; });
  std::vector<double> q(pValues.size(), kNaN);
  const double m = static_cast<double>(order.size());
  // The factor m / rank is at least 1 after rounding too, so no q-value
  // falls below its p-value (the largest p-value keeps its own).
  double running = 1.0;
  for (std::size_t r = order.size(); r-- > 0;) {
    running = std::min(running, pValues[order[r]] * (m / static_cast<double>(r + 1)));
    q[order[r]] = running;
  }
  return q;
}

namespace {

ClineCategory categoryOf(const ClineEstimate& row, double threshold) {
  if (!(row.qValue <= threshold)) return ClineCategory::kNeutral;
  const int gradient = row.vLower > 1 ? 1 : row.vUpper < 1 ? 2 : 0;
  const int shift = row.centreUpper < 0.5 ? 1 : row.centreLower > 0.5 ? 2 : 0;
  static constexpr ClineCategory kTable[3][3] = {
      {ClineCategory::kOutlier, ClineCategory::kTowardR, ClineCategory::kTowardS},
      {ClineCategory::kSteep, ClineCategory::kSteepTowardR, ClineCategory::kSteepTowardS},
      {ClineCategory::kShallow, ClineCategory::kShallowTowardR, ClineCategory::kShallowTowardS}};
  return kTable[gradient][shift];
}

}  // namespace

void judgeClines(std::vector<ClineEstimate>& rows, double threshold) {
  std::vector<double> p;
  for (const ClineEstimate& row : rows) p.push_back(row.pValue);
  const std::vector<double> q = benjaminiHochberg(p);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].qValue = q[i];
    rows[i].category = categoryOf(rows[i], threshold);
  }
}

const char* clineCategoryName(ClineCategory category) {
  switch (category) {
    case ClineCategory::kNeutral: return "neutral";
    case ClineCategory::kSteep: return "steep";
    case ClineCategory::kShallow: return "shallow";
    case ClineCategory::kTowardR: return "R-shift";
    case ClineCategory::kTowardS: return "S-shift";
    case ClineCategory::kSteepTowardR: return "steep+R-shift";
    case ClineCategory::kSteepTowardS: return "steep+S-shift";
    case ClineCategory::kShallowTowardR: return "shallow+R-shift";
    case ClineCategory::kShallowTowardS: return "shallow+S-shift";
    case ClineCategory::kOutlier: return "outlier";
  }
  return "";
}

}  // namespace parmix
