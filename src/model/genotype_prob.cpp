#include "model/genotype_prob.hpp"

#include <cmath>

namespace parmix {

namespace {
// An integer power, written out so the square is exactly x*x.
inline double square(double x) { return x * x; }
}  // namespace

double p(double h, double a, double b) { return h * a + (1 - h) * b; }

// Computed from the complements rather than as 1 - p: the two agree in exact
// arithmetic, and this form keeps q exactly 0 where a parent is fixed.
double q(double h, double a, double b) { return (1 - h) * (1 - b) + (1 - a) * h; }

double fDom(double h, double a, double b) {
  const double pp = p(h, a, b);
  const double qq = q(h, a, b);
  return std::log(square(pp) + 2 * pp * qq);
}

double fRec(double h, double a, double b) { return std::log(square(q(h, a, b))); }

double fCod11(double h, double a, double b) { return std::log(square(p(h, a, b))); }

double multAlleleHet(double h, double a1, double a2, double b1, double b2) {
  return std::log(2 * p(h, a1, b1) * p(h, a2, b2));
}

}  // namespace parmix
