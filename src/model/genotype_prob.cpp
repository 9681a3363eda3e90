#include "model/genotype_prob.hpp"

#include <cmath>

namespace parmix {

double p(double h, double a, double b) { return gameteShare(h, 1 - h, a, b); }

// Computed from the complements rather than as 1 - p: the two agree in exact
// arithmetic, and this form keeps q exactly 0 where a parent is fixed.
double q(double h, double a, double b) { return gameteShare(h, 1 - h, 1 - a, 1 - b); }

// The dominant phenotype: the homozygote of the band's allele or its
// heterozygote with any other.
double fDom(double h, double a, double b) {
  const double pp = p(h, a, b);
  const double qq = q(h, a, b);
  return std::log(homozygoteProbability(pp) + heterozygoteProbability(pp, qq));
}

double fRec(double h, double a, double b) { return std::log(homozygoteProbability(q(h, a, b))); }

double fCod11(double h, double a, double b) { return std::log(homozygoteProbability(p(h, a, b))); }

double multAlleleHet(double h, double a1, double a2, double b1, double b2) {
  return std::log(heterozygoteProbability(p(h, a1, b1), p(h, a2, b2)));
}

}  // namespace parmix
