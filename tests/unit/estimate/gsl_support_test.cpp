#include "estimate/gsl_support.hpp"

#include <gsl/gsl_errno.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace parmix {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kBig = std::numeric_limits<double>::max();

// Returns *params as a value, whatever h is.
double constant(double, void* params) { return *static_cast<double*>(params); }

TEST(GuardedObjective, PassesFiniteValuesThrough) {
  double value = -3.25;
  GuardedObjective guard(gsl_function{&constant, &value});
  EXPECT_EQ(evaluateAt(*guard.function(), 0.4), -3.25);
  value = 0.0;
  EXPECT_EQ(evaluateAt(*guard.function(), 0.4), 0.0);
  value = -kBig;
  EXPECT_EQ(evaluateAt(*guard.function(), 0.4), -kBig);
  EXPECT_FALSE(guard.sawNonFinite());
}

TEST(GuardedObjective, ReplacesNonFiniteValuesAndRemembersThem) {
  double value = kInf;
  GuardedObjective guard(gsl_function{&constant, &value});
  EXPECT_EQ(evaluateAt(*guard.function(), 0.4), kBig);
  EXPECT_TRUE(guard.sawNonFinite());
  value = -kInf;
  EXPECT_EQ(evaluateAt(*guard.function(), 0.4), -kBig);
  value = kNaN;
  EXPECT_TRUE(std::isfinite(evaluateAt(*guard.function(), 0.4)));
  // A later finite value does not make the run trustworthy again.
  value = 1.0;
  EXPECT_EQ(evaluateAt(*guard.function(), 0.4), 1.0);
  EXPECT_TRUE(guard.sawNonFinite());

  double nan = kNaN;
  GuardedObjective nanOnly(gsl_function{&constant, &nan});
  EXPECT_TRUE(std::isfinite(evaluateAt(*nanOnly.function(), 0.4)));
  EXPECT_TRUE(nanOnly.sawNonFinite());
}

// (h - 0.2)^2, but +infinity on (0.3, 0.5).  Brent's first interior point on
// [0, 1] is the golden-section point 0.382, inside that hole: unguarded, GSL
// would report the value to its error handler, which ends the process.
double minimumWithHole(double h, void*) { return (h > 0.3 && h < 0.5) ? kInf : (h - 0.2) * (h - 0.2); }

TEST(GuardedObjective, MinimiserRunsThroughAnInfiniteRegion) {
  GuardedObjective guard(gsl_function{&minimumWithHole, nullptr});
  MinimizerPtr minimizer(gsl_min_fminimizer_alloc(gsl_min_fminimizer_brent));
  ASSERT_NE(minimizer, nullptr);
  gsl_min_fminimizer_set(minimizer.get(), guard.function(), 0.25, 0.0, 1.0);
  for (int i = 0; i < 200; ++i) {
    gsl_min_fminimizer_iterate(minimizer.get());
    if (gsl_min_test_interval(gsl_min_fminimizer_x_lower(minimizer.get()),
                              gsl_min_fminimizer_x_upper(minimizer.get()), 1e-6,
                              0.0) != GSL_CONTINUE)
      break;
  }
  EXPECT_TRUE(guard.sawNonFinite());
  // The hole is only seen, not fallen into: the minimum is still found.
  EXPECT_NEAR(gsl_min_fminimizer_x_minimum(minimizer.get()), 0.2, 1e-6);
}

// h - 0.6, but NaN on (0.55, 0.65).  The first secant step from the ends of
// [0, 1] lands on 0.6, inside the hole.
double rootWithHole(double h, void*) { return (h > 0.55 && h < 0.65) ? kNaN : h - 0.6; }

TEST(GuardedObjective, RootSolverRunsThroughANaNRegion) {
  GuardedObjective guard(gsl_function{&rootWithHole, nullptr});
  RootSolverPtr solver(gsl_root_fsolver_alloc(gsl_root_fsolver_brent));
  ASSERT_NE(solver, nullptr);
  gsl_root_fsolver_set(solver.get(), guard.function(), 0.0, 1.0);
  for (int i = 0; i < 200; ++i) {
    gsl_root_fsolver_iterate(solver.get());
    if (gsl_root_test_interval(gsl_root_fsolver_x_lower(solver.get()),
                               gsl_root_fsolver_x_upper(solver.get()), 0.0,
                               1e-6) != GSL_CONTINUE)
      break;
  }
  EXPECT_TRUE(guard.sawNonFinite());
  const double root = gsl_root_fsolver_root(solver.get());
  EXPECT_GE(root, 0.0);
  EXPECT_LE(root, 1.0);
}

}  // namespace
}  // namespace parmix
