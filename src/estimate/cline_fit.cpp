#include "estimate/cline_fit.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_multimin.h>
#include <gsl/gsl_roots.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>

#include "estimate/gsl_support.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// What a solver sees instead of an impossible point (ln L = -inf).
constexpr double kWorst = 1e300;

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

double logLAt(const ClineLocus& locus, const Point& x) {
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

// ---- Both coordinates --------------------------------------------------

struct SimplexDeleter {
  void operator()(gsl_multimin_fminimizer* s) const { gsl_multimin_fminimizer_free(s); }
};
struct VectorDeleter {
  void operator()(gsl_vector* v) const { gsl_vector_free(v); }
};

struct SimplexTask {
  const ClineLocus* locus;
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

Point simplexSearch(const ClineLocus& locus, const Box& box, const Point& start) {
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
Point coordinateAscent(const ClineLocus& locus, const Box& box, Point x, int rounds) {
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
Point newtonPolish(const ClineLocus& locus, const Box& box, Point x) {
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

// ---- Profiles and limits -----------------------------------------------

// The profile of coordinate K: ln L maximised over the other coordinate,
// each search started where the last one ended.
class Profile {
 public:
  Profile(const ClineLocus& locus, const Box& box, int k, double otherStart)
      : locus_(locus), box_(box), k_(k), other_(otherStart) {}

  double operator()(double t) {
    const int o = 1 - k_;
    auto along = [&](double y) {
      Point x;
      x[k_] = t;
      x[o] = y;
      return logLAt(locus_, x);
    };
    const LineMaximum best = maximiseLine(along, box_.lo[o], box_.hi[o], other_);
    if (std::isfinite(best.value)) other_ = best.x;
    return best.value;
  }

 private:
  const ClineLocus& locus_;
  const Box& box_;
  int k_;
  double other_;
};

struct RootTask {
  Profile* profile;
  double level;
};

// An impossible point (ln L = -inf) lies below every level: it becomes the
// lowest finite value, so the guard below is left for a NaN.
double rootObjective(double t, void* params) {
  auto* task = static_cast<RootTask*>(params);
  const double value = (*task->profile)(t);
  return (value == -HUGE_VAL ? -kWorst : value) - task->level;
}

// The point between INNER (where the profile stands above LEVEL) and
// OUTER (where it has fallen below) at which it crosses LEVEL.
double crossing(Profile& profile, double level, double inner, double outer) {
  RootTask task{&profile, level};
  GuardedObjective guarded(gsl_function{&rootObjective, &task});
  RootSolverPtr solver(gsl_root_fsolver_alloc(gsl_root_fsolver_brent));
  if (!solver) throw std::bad_alloc();
  gsl_root_fsolver_set(solver.get(), guarded.function(), std::min(inner, outer),
                       std::max(inner, outer));
  for (int iteration = 0; iteration < 200; ++iteration) {
    if (gsl_root_fsolver_iterate(solver.get()) != GSL_SUCCESS) break;
    const double a = gsl_root_fsolver_x_lower(solver.get());
    const double b = gsl_root_fsolver_x_upper(solver.get());
    if (gsl_root_test_interval(a, b, 1e-11, 0) == GSL_SUCCESS) break;
  }
  return guarded.sawNonFinite() ? kNaN : gsl_root_fsolver_root(solver.get());
}

// One parameter's estimate and limits on the fit's scale.
struct CoordinateLimits {
  double estimate;
  double lower;
  double upper;
  bool cut[2];
};

CoordinateLimits limitsOf(const ClineLocus& locus, const Box& box, int k, const Point& best,
                          double maxLogL) {
  CoordinateLimits out{best[k], kNaN, kNaN, {false, false}};
  const double level = maxLogL - kClineSupportDrop;
  const double flat = kClineFlatChange * std::max(1.0, std::fabs(maxLogL));
  bool flatAtBothEnds = true;
  for (int side = 0; side < 2; ++side) {
    const double end = side == 0 ? box.lo[k] : box.hi[k];
    Profile profile(locus, box, k, best[1 - k]);
    const double atEnd = profile(end);
    flatAtBothEnds = flatAtBothEnds && std::fabs(atEnd - maxLogL) <= flat;
    double limit = end;
    if (best[k] == end || atEnd >= level) {
      out.cut[side] = true;
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

Point bestPoint(const ClineLocus& locus, const Box& box) {
  const Point neutral{0.0, 0.0};
  Point x = coordinateAscent(locus, box, simplexSearch(locus, box, neutral), 3);
  x = inside(box, x, 1e-3) ? newtonPolish(locus, box, x) : coordinateAscent(locus, box, x, 50);
  return logLAt(locus, x) >= logLAt(locus, neutral) ? x : neutral;
}

}  // namespace

ClineEstimate fitCline(const ClineLocus& locus) {
  ClineEstimate row = undefinedRow(locus.individuals());
  if (locus.individuals() == 0) return row;
  const Box box = clineBox();
  const Point best = bestPoint(locus, box);
  row.logL = logLAt(locus, best);
  row.neutralLogL = locus.neutralLogLikelihood();
  if (!std::isfinite(row.logL) || !std::isfinite(row.neutralLogL)) return undefinedRow(row.individuals);
  row.lr = std::max(0.0, 2 * (row.logL - row.neutralLogL));
  row.pValue = std::exp(-row.lr / 2);
  const CoordinateLimits v = limitsOf(locus, box, 0, best, row.logL);
  const CoordinateLimits c = limitsOf(locus, box, 1, best, row.logL);
  row.v = std::exp(v.estimate), row.vLower = std::exp(v.lower), row.vUpper = std::exp(v.upper);
  row.vCut[0] = v.cut[0], row.vCut[1] = v.cut[1];
  row.centre = logistic(c.estimate);
  row.centreLower = logistic(c.lower), row.centreUpper = logistic(c.upper);
  row.centreCut[0] = c.cut[0], row.centreCut[1] = c.cut[1];
  row.u = row.v * c.estimate;
  return row;
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
