// The passes of cline_passes.hpp, included once per instruction set by a
// file that names its namespace in PARMIX_PASSES_NAMESPACE.  Everything
// here has internal linkage, and nothing from the standard library is
// instantiated: a function built for AVX2 must never be merged with, and
// stand in for, its portable twin.
//
// A pass keeps eight running sums, individual i going to sum i mod 8, and
// each build takes as many individuals at once as its registers hold
// (PARMIX_PASSES_WIDTH: 2, 4 or 8), as one vector of GCC's (and clang's)
// vector extension.  The arithmetic is lane by lane, in the order written,
// and every individual meets the same sum in every build, so every build
// gives the same bits.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "model/cline_passes.hpp"

#if !defined(PARMIX_PASSES_NAMESPACE) || !defined(PARMIX_PASSES_WIDTH)
#error "PARMIX_PASSES_NAMESPACE and _WIDTH name the instruction set this build is for"
#endif

namespace parmix::cline_passes::PARMIX_PASSES_NAMESPACE {
namespace {

// Every step is built into the pass that takes it: a vector handed from
// one function to another out of line goes through memory.
#define PARMIX_STEP inline __attribute__((always_inline))
#define PARMIX_STEP_LAMBDA __attribute__((always_inline))

constexpr int kLanes = PARMIX_PASSES_WIDTH;
constexpr int kSums = 8;
constexpr int kChunks = kSums / kLanes;  // vectors a pass keeps of each sum
static_assert(kChunks * kLanes == kSums, "a vector's lanes divide the sums");
typedef double Vec __attribute__((vector_size(kLanes * sizeof(double))));
typedef std::uint64_t Bits __attribute__((vector_size(kLanes * sizeof(double))));

PARMIX_STEP Vec splat(double x) { return Vec{} + x; }

PARMIX_STEP Vec load(const double* p) {
  Vec v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A lane's mask is all ones where the condition holds.
template <typename M>
PARMIX_STEP Bits mask(M condition) {
  return (Bits)condition;
}
PARMIX_STEP Vec select(Bits m, Vec yes, Vec no) { return (Vec)(((Bits)yes & m) | ((Bits)no & ~m)); }
PARMIX_STEP Vec smaller(Vec a, Vec b) { return select(mask(a < b), a, b); }
PARMIX_STEP Vec larger(Vec a, Vec b) { return select(mask(a > b), a, b); }
PARMIX_STEP Vec magnitude(Vec x) { return (Vec)((Bits)x & 0x7fffffffffffffffULL); }

PARMIX_STEP bool anyLane(Bits m) {
  std::uint64_t any = 0;
  for (int k = 0; k < kLanes; ++k) any |= m[k];
  return any != 0;
}

// The eight sums of the vectors X, added in their order.
PARMIX_STEP double total(const Vec (&x)[kChunks]) {
  double sum = 0;
  for (int j = 0; j < kChunks; ++j)
    for (int k = 0; k < kLanes; ++k) sum += x[j][k];
  return sum;
}

// exp(x) for x <= 0: x = n ln2 + r with |r| <= ln2 / 2 (ln2 in two parts,
// the first exact in n ln2), exp(r) by its Taylor series to the 13th
// power (the remainder below 5e-18) and 2^n put in the exponent's bits,
// in two steps so that a result in the subnormal range is rounded once.
PARMIX_STEP Vec exponential(Vec x) {
  constexpr double kShifter = 0x1.8p52;  // adding it rounds to an integer
  constexpr double kLog2e = 1.4426950408889634;
  constexpr double kLn2High = 6.93147180369123816490e-01;
  constexpr double kLn2Low = 1.90821492927058770002e-10;
  x = larger(x, splat(-760.0));  // exp is 0 there; keeps 2^(n + 200) normal
  const Vec t = x * kLog2e + kShifter;
  const Vec n = t - kShifter;
  const Vec r = (x - n * kLn2High) - n * kLn2Low;
  // Estrin's scheme: the powers of r by squaring, the terms in pairs, so
  // the longest chain of dependent steps is 8 operations, not Horner's 26.
  const Vec r2 = r * r, r4 = r2 * r2, r8 = r4 * r4;
  const auto pair = [&](double low, double high) { return low + high * r; };
  const Vec s0 = pair(1.0, 1.0) + pair(1.0 / 2, 1.0 / 6) * r2;
  const Vec s1 = pair(1.0 / 24, 1.0 / 120) + pair(1.0 / 720, 1.0 / 5040) * r2;
  const Vec s2 = pair(1.0 / 40320, 1.0 / 362880) + pair(1.0 / 3628800, 1.0 / 39916800) * r2;
  const Vec s3 = pair(1.0 / 479001600, 1.0 / 6227020800);
  const Vec p = (s0 + s1 * r4) + (s2 + s3 * r4) * r8;
  std::uint64_t shifterBits;
  const double shifter = kShifter;
  std::memcpy(&shifterBits, &shifter, sizeof shifter);
  const Bits exponent = ((Bits)t - shifterBits + (1023 + 200)) << 52;
  return p * (Vec)exponent * 0x1p-200;
}

// phi = a / d and 1 - phi = b / d at z, with d = 1 + e^-|z|: the larger
// share's numerator is 1 and the smaller's e^-|z|, so neither end loses
// its small share, and a pass that takes logarithms needs no division.
struct Shares {
  Vec a, b, d;
};

PARMIX_STEP Shares sharesAt(Vec z) {
  const Vec e = exponential(-magnitude(z));
  const Bits up = mask(z >= 0);
  const Vec one = splat(1.0);
  return {select(up, one, e), select(up, e, one), one + e};
}

struct Ancestry {
  Vec phi;
  Vec rest;
};

PARMIX_STEP Ancestry ancestryAt(Vec z) {
  const Shares s = sharesAt(z);
  const Vec inverse = splat(1.0) / s.d;
  return {s.a * inverse, s.b * inverse};
}

// A vector's worth of individuals' columns; VALID marks the lanes that
// hold one.
struct Block {
  Vec logitH, rr, rs2, ss;
  Bits valid;
};

PARMIX_STEP Vec probability(const Block& b, Vec phi, Vec rest) {
  return b.rr * (phi * phi) + b.rs2 * (phi * rest) + b.ss * (rest * rest);
}

// Calls VISIT with every block of the terms and the sums it goes to, the
// last block filled up with lanes marked invalid.
template <typename Visit>
PARMIX_STEP void forEachBlock(const Terms& t, Visit&& visit) {
  std::size_t i = 0;
  int chunk = 0;
  const Bits all = ~Bits{};
  for (; i + kLanes <= t.count; i += kLanes, chunk = (chunk + 1) % kChunks)
    visit(Block{load(t.logitH + i), load(t.rr + i), load(t.rs2 + i), load(t.ss + i), all}, chunk);
  if (i == t.count) return;
  Block last{splat(0.0), splat(1.0), splat(1.0), splat(1.0), Bits{}};
  for (int k = 0; i + k < t.count; ++k) {
    last.logitH[k] = t.logitH[i + k];
    last.rr[k] = t.rr[i + k];
    last.rs2[k] = t.rs2[i + k];
    last.ss[k] = t.ss[i + k];
    last.valid[k] = ~0ULL;
  }
  visit(last, chunk);
}

// A probability the running products may take: far enough from the ends
// of the normal range that a lane's product stays normal.
PARMIX_STEP Bits ordinary(Vec p) { return mask(p >= 0x1p-1000) & mask(p <= 0x1p1000); }

// The sum of the logarithms of probabilities without a logarithm each:
// every one of the eight sums keeps a running product, its exponent moved
// after each step into a sum of exponents, so the product stays in [1, 2).
// The few probabilities that are not ordinary are summed by their
// logarithms, in the order of the individuals.
class LogSums {
 public:
  LogSums() {
    for (Vec& m : mantissas_) m = splat(1.0);
  }
  // P is 1 in the lanes that hold nothing.
  PARMIX_STEP void add(int chunk, Vec p, Bits usual) {
    if (anyLane(~usual)) {
      for (int k = 0; k < kLanes; ++k)
        if (!usual[k]) unusual_ += std::log(p[k]);
      p = select(usual, p, splat(1.0));
    }
    const Bits product = (Bits)(mantissas_[chunk] * p);
    exponents_[chunk] += (product >> 52) - 1023;
    mantissas_[chunk] = (Vec)((product & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
  }
  // The eight products, each in [1, 2), are multiplied together before
  // the one logarithm.
  double total() const {
    constexpr double kLn2 = 0.69314718055994530942;
    double product = 1;
    std::int64_t exponent = 0;
    for (int j = 0; j < kChunks; ++j)
      for (int k = 0; k < kLanes; ++k) {
        product *= mantissas_[j][k];
        exponent += static_cast<std::int64_t>(exponents_[j][k]);
      }
    return std::log(product) + static_cast<double>(exponent) * kLn2 + unusual_;
  }

 private:
  Vec mantissas_[kChunks];
  Bits exponents_[kChunks] = {};
  double unusual_ = 0;
};

// ln L over the terms at z = v (logit h - c): each term's probability is
// Q / d^2, Q being its quadratic at the shares' numerators; the sums of ln
// Q and of ln d go to running products of their own.  ON_TERM(block,
// chunk, shares, Q, usual) sees each block's terms on their way.
template <typename OnTerm>
PARMIX_STEP double logLikelihoodOver(const Terms& terms, double v, double logitCentre,
                                     OnTerm&& onTerm) {
  LogSums numerators, denominators;
  const Vec one = splat(1.0);
  forEachBlock(terms, [&](const Block& b, int chunk) PARMIX_STEP_LAMBDA {
    const Vec z = v * (b.logitH - logitCentre);
    const Shares s = sharesAt(z);
    const Vec q = select(b.valid, probability(b, s.a, s.b), one);
    const Bits usual = ordinary(q);
    numerators.add(chunk, q, usual);
    denominators.add(chunk, select(b.valid, s.d, one), ~Bits{});
    onTerm(b, chunk, z, s, q, usual);
  });
  return numerators.total() - 2.0 * denominators.total();
}

double logLikelihoodPass(const Terms& terms, double v, double logitCentre) {
  return logLikelihoodOver(terms, v, logitCentre, [](auto&&...) {});
}

// A term's first and second derivatives in phi, P'/P and P''/P - (P'/P)^2,
// with P = Q / d^2 and P' = S / d (S the slope at the numerators), and
// the shares' product w = phi (1 - phi) and difference 1 - 2 phi: all from
// the one division 1 / (Q d) where Q is ordinary.
struct PhiDerivatives {
  Vec first, second, w, spread;
};

PARMIX_STEP PhiDerivatives phiDerivatives(const Block& b, const Shares& s, Vec q, Bits usual) {
  const Vec slope = 2.0 * (b.rr * s.a - b.ss * s.b) + b.rs2 * (s.b - s.a);
  const Vec bend = 2.0 * (b.rr - b.rs2 + b.ss);
  const Vec inverse = splat(1.0) / (q * s.d);
  const Vec overQ = s.d * inverse;
  Vec overD = q * inverse;
  Vec first = slope * s.d * overQ;
  Vec second = bend * (s.d * s.d) * overQ - first * first;
  if (anyLane(~usual)) {  // 1 / (Q d) may not be finite: a division each
    const Vec quotient = slope * s.d / q;
    first = select(usual, first, quotient);
    second = select(usual, second, bend * (s.d * s.d) / q - quotient * quotient);
    overD = select(usual, overD, splat(1.0) / s.d);
  }
  return {first, second, s.a * s.b * (overD * overD), (s.b - s.a) * overD};
}

// With z = v (logit h - c) and v = e^s: dz/ds = z, dz/dc = -v, d2z/ds2 =
// z, d2z/ds dc = -v; dphi/dz = phi (1 - phi) =: w, d2phi/dz2 = w (1 -
// 2 phi).  DZ and DZZ are a term's first and second derivatives in z; the
// factors of v are taken once, after the sums.
Curvature curvaturePass(const Terms& terms, double v, double logitCentre) {
  Vec zSlope[kChunks] = {}, slope[kChunks] = {}, zBends[kChunks] = {}, bends[kChunks] = {},
      bend[kChunks] = {};
  const double value = logLikelihoodOver(
      terms, v, logitCentre,
      [&](const Block& b, int chunk, Vec z, const Shares& s, Vec q, Bits usual) PARMIX_STEP_LAMBDA {
        const PhiDerivatives d = phiDerivatives(b, s, q, usual);
        const Vec zero = splat(0);
        const Vec dz = select(b.valid, d.first * d.w, zero);
        const Vec dzz = select(b.valid, (d.second * d.w + d.first * d.spread) * d.w, zero);
        const Vec r = dzz * z + dz;
        zSlope[chunk] += dz * z, slope[chunk] += dz;
        zBends[chunk] += r * z, bends[chunk] += r;
        bend[chunk] += dzz;
      });
  const double hsc = -v * total(bends);
  return {value,
          {total(zSlope), -v * total(slope)},
          {{total(zBends), hsc}, {hsc, v * v * total(bend)}}};
}

// The largest value over phi in [LO.phi, HI.phi] of a term's probability,
// quadratic in phi: at an end, or at its vertex where it bends down there.
PARMIX_STEP Vec probabilityMaximum(const Block& b, const Ancestry& lo, const Ancestry& hi) {
  const Vec ends = larger(probability(b, lo.phi, lo.rest), probability(b, hi.phi, hi.rest));
  const Vec curve = b.rr - b.rs2 + b.ss;
  const Vec vertex = (b.ss - 0.5 * b.rs2) / curve;
  const Bits inside = mask(curve < 0) & mask(vertex > lo.phi) & mask(vertex < hi.phi);
  if (!anyLane(inside)) return ends;
  return select(inside, larger(ends, probability(b, vertex, 1.0 - vertex)), ends);
}

// z = v (logit h - c) is monotone in v and in c, so over the rectangle it
// lies between its values at two corners, and phi with it.
double upperBoundPass(const Terms& terms, double vLo, double vHi, double cLo, double cHi) {
  LogSums sum;
  forEachBlock(terms, [&](const Block& b, int chunk) PARMIX_STEP_LAMBDA {
    const Vec dLo = b.logitH - cHi, dHi = b.logitH - cLo;
    const Ancestry lo = ancestryAt(smaller(vLo * dLo, vHi * dLo));
    const Ancestry hi = ancestryAt(larger(vLo * dHi, vHi * dHi));
    const Vec p = select(b.valid, probabilityMaximum(b, lo, hi), splat(1.0));
    sum.add(chunk, p, ordinary(p));
  });
  return sum.total();
}

double exponentialOf(double x) { return exponential(splat(x))[0]; }

}  // namespace

#undef PARMIX_STEP
#undef PARMIX_STEP_LAMBDA

extern const Table table;
const Table table{&logLikelihoodPass, &curvaturePass, &upperBoundPass};
double (*const exponentialForTests)(double) = &exponentialOf;

}  // namespace parmix::cline_passes::PARMIX_PASSES_NAMESPACE
