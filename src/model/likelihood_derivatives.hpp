#ifndef PARMIX_MODEL_LIKELIHOOD_DERIVATIVES_HPP
#define PARMIX_MODEL_LIKELIHOOD_DERIVATIVES_HPP

// ln L(h) with its first three derivatives in h, as the layouts of one
// individual give them in one pass over the loci.  A term's probability P
// is quadratic in h (its third derivative is 0), so with r = P'/P and
// q = P''/P the term ln P adds r, q - r^2 and r (2 r^2 - 3 q): the
// derivatives cost a division a locus and no logarithm; the value (one
// logarithm a locus) is formed only when asked for.  A zero probability makes the sums non-finite, and a search
// that takes them must then fall back to one that needs none.

namespace parmix {

struct LikelihoodDerivatives {
  double value;      // ln L(h); NaN when not asked for
  double slope;      // d ln L / dh
  double curvature;  // d^2 ln L / dh^2
  double third;      // d^3 ln L / dh^3
};

}  // namespace parmix

#endif
