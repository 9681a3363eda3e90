#ifndef PARMIX_MODEL_CLINE_PASSES_HPP
#define PARMIX_MODEL_CLINE_PASSES_HPP

// The passes over a locus's individuals that fitting its cline repeats
// some hundred times: ln L, ln L with its gradient and Hessian, and an
// upper bound of ln L over a rectangle of the parameters.  Every
// individual's term is the probability
//   P(phi) = rr phi^2 + rs2 phi (1 - phi) + ss (1 - phi)^2,
//   phi = logistic(v (logit h - logit centre)),
// given as columns so that a pass runs over several individuals at once.
//
// The same passes are built for any processor and, on x86-64, for AVX2 and
// for AVX-512; each is pure lane-wise IEEE arithmetic in the same order,
// with no fused multiply-adds, and keeps the same eight running sums: all
// give the same bits, so a result never depends on the machine it was
// computed on.  No I/O.

#include <cstddef>

namespace parmix::cline_passes {

// Columns of the terms, each COUNT long; the caller owns them.
struct Terms {
  const double* logitH;
  const double* rr;
  const double* rs2;
  const double* ss;
  std::size_t count;
};

// Sums over the terms; the gradient and Hessian on (s = ln v, c = logit
// centre), with v given as well as its logarithm.
struct Curvature {
  double value;
  double gradient[2];
  double hessian[2][2];
};

struct Table {
  double (*logLikelihood)(const Terms& terms, double v, double logitCentre);
  Curvature (*curvature)(const Terms& terms, double v, double logitCentre);
  double (*upperBound)(const Terms& terms, double vLo, double vHi, double cLo, double cHi);
};

// The passes for any processor.
const Table& portable();
// The passes built for AVX2 and for AVX-512, or nullptr where this build
// or this processor has none.
const Table* avx2();
const Table* avx512();
// The fastest the processor runs.
const Table& fastest();

// exp(x) for x <= 0 as the passes take it: within an ulp or two of the
// true value, 0 below the smallest subnormal.  For tests.
double exponential(double x);

}  // namespace parmix::cline_passes

#endif
