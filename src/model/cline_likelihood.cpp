#include "model/cline_likelihood.hpp"

#include <algorithm>
#include <cmath>

#include "input/data_set.hpp"
#include "model/likelihood.hpp"

namespace parmix {

double logit(double x) { return std::log(x) - std::log1p(-x); }

namespace {

// The logistic is formed from exp of a non-positive argument only, so it
// neither overflows nor loses the small tail.
double logistic(double z) {
  if (z >= 0.0) return 1.0 / (1.0 + std::exp(-z));
  const double e = std::exp(z);
  return e / (1.0 + e);
}

}  // namespace

// The ends are exact whatever v and the centre.
double clineAncestry(double h, double v, double logitCentre) {
  if (h <= 0.0) return 0.0;
  if (h >= 1.0) return 1.0;
  return logistic(v * (logit(h) - logitCentre));
}

ClineLocus::ClineLocus(char type, double* freqR, double* freqS)
    : type_(type), freqR_(freqR), freqS_(freqS) {}

namespace {

// A genotype the model scores: both designations at a codominant locus,
// the band score (0 or 1) at a dominant one.
bool hasGenotype(char type, const int* g) {
  if (type == 'C') return g[0] != kMissing && g[1] != kMissing;
  if (type == 'D') return g[0] == 0 || g[0] == 1;
  return false;
}

}  // namespace

void ClineLocus::addIndividual(double h, int* designations) {
  if (!hasGenotype(type_, designations)) return;
  h_.push_back(h);
  designations_.push_back(designations);
  if (h > 0.0 && h < 1.0) {
    terms_.push_back(termOf(logit(h), designations));
    constants_ += terms_.back().constant;
  } else
    endsLogL_ += term(h, designations);
}

namespace {

// A likelihood term's probability, rr phi^2 + 2 rs phi psi + ss psi^2, with
// psi = 1 - phi given apart so that neither end loses its small share.
double stateProbability(const StateProbabilities& s, double phi, double rest) {
  return s.rr * (phi * phi) + 2.0 * s.rs * (phi * rest) + s.ss * (rest * rest);
}

}  // namespace

void ClineLocus::addLikelihoodTerm(double h, const StateProbabilities& states) {
  const double neutral = std::log(stateProbability(states, h, 1.0 - h));
  stateNeutralLogL_ += neutral;
  if (h > 0.0 && h < 1.0) {
    stateTerms_.push_back({logit(h), states});
  } else {
    endsLogL_ += neutral;
    ++stateEnds_;
  }
}

ClineLocus::Term ClineLocus::termOf(double logitH, const int* g) const {
  Term t{logitH, 0.0, {{0, 1, 1}, {0, 1, 1}}};
  if (type_ == 'D') {
    const double a = freqR_[0], b = freqS_[0];
    // Dominant phenotype: p^2 + 2pq = p (2 - p); recessive: q^2.
    if (g[0] == 1)
      t.factor[0] = {1, a, b}, t.factor[1] = {1, 2 - a, 2 - b};
    else
      t.factor[0] = t.factor[1] = {1, 1 - a, 1 - b};
    return t;
  }
  const int x = g[0] - 1, y = g[1] - 1;
  if (x == y) {
    t.factor[0] = t.factor[1] = {1, freqR_[x], freqS_[x]};
  } else {
    t.constant = std::log(2.0);
    t.factor[0] = {1, freqR_[x], freqS_[x]};
    t.factor[1] = {1, freqR_[y], freqS_[y]};
  }
  return t;
}

// The hybrid index model's likelihood over this one locus, so the term is
// the model's own, bit for bit.
double ClineLocus::term(double phi, int* designations) const {
  int* genotype[1] = {designations};
  double* r[1] = {freqR_};
  double* s[1] = {freqS_};
  char type[1] = {type_};
  return Likelihood(phi, genotype, r, s, type, 1);
}

namespace {

// phi and 1 - phi at z, each from exp of a non-positive argument.
struct Ancestry {
  double phi;
  double rest;
};

// Chosen by arithmetic, not a branch: the sign of z is a coin toss from
// one individual to the next, and a mispredicted branch costs more than
// the rest of the individual's share of a pass.
Ancestry ancestryAt(double z) {
  const double e = std::exp(-std::fabs(z));
  const double near = 1.0 / (1.0 + e), far = e * near;
  const double up = z >= 0 ? 1.0 : 0.0, down = 1.0 - up;
  return {up * near + down * far, up * far + down * near};
}

}  // namespace

// The factors' part of a term at A: its probability, the product of its
// two factors (each a probability, so it cannot overflow).
template <typename T>
double termProbability(const T& t, const Ancestry& a) {
  const auto& f = t.factor;
  return (f[0].x * a.phi + f[0].y * a.rest) * (f[1].x * a.phi + f[1].y * a.rest);
}

// The sum of the logarithms of probabilities, taken as the logarithm of
// their running product, which is flushed before it could leave the normal
// range: one logarithm for hundreds of individuals instead of one each,
// the logarithms being most of a pass's cost.  A probability too small to
// multiply safely is taken on its own.
class LogSum {
 public:
  void add(double p) {
    if (!(p >= kSmall)) {
      sum_ += std::log(p);
      return;
    }
    product_ *= p;
    if (product_ < kSmall) flush();
  }
  double total() {
    flush();
    return sum_;
  }

 private:
  static constexpr double kSmall = 0x1p-500;
  void flush() {
    sum_ += std::log(product_);
    product_ = 1;
  }
  double sum_ = 0;
  double product_ = 1;
};

double ClineLocus::logLikelihood(double v, double logitCentre) const {
  LogSum sum;
  for (const Term& t : terms_) sum.add(termProbability(t, ancestryAt(v * (t.logitH - logitCentre))));
  for (const StateTerm& t : stateTerms_) {
    const Ancestry a = ancestryAt(v * (t.logitH - logitCentre));
    sum.add(stateProbability(t.states, a.phi, a.rest));
  }
  return endsLogL_ + constants_ + sum.total();
}

// A term's first and second derivatives in phi, with one division: for the
// factors A and B with slopes a and b, a/A = a B / (A B).  A product too
// small to invert safely takes the two divisions.
template <typename T>
void phiDerivatives(const T& t, const Ancestry& at, double& first, double& second) {
  const auto& f = t.factor;
  const double a = f[0].x * at.phi + f[0].y * at.rest;
  const double b = f[1].x * at.phi + f[1].y * at.rest;
  const double ab = a * b;
  double s0, s1;
  if (ab >= 0x1p-900) {
    const double inverse = 1.0 / ab;
    s0 = (f[0].x - f[0].y) * b * inverse, s1 = (f[1].x - f[1].y) * a * inverse;
  } else {
    s0 = (f[0].x - f[0].y) / a, s1 = (f[1].x - f[1].y) / b;
  }
  first = s0 + s1, second = -(s0 * s0 + s1 * s1);
}

// With z = v (logit h - c) and v = e^s: dz/ds = z, dz/dc = -v, d2z/ds2 =
// z, d2z/ds dc = -v; dphi/dz = phi (1 - phi) =: w, d2phi/dz2 = w (1 -
// 2 phi).  A and B are a term's first and second derivatives in z.
ClineCurvature ClineLocus::curvature(double logV, double logitCentre) const {
  const double v = std::exp(logV);
  LogSum sum;
  double gs = 0, gc = 0, hss = 0, hsc = 0, hcc = 0;
  for (const Term& t : terms_) {
    const double z = v * (t.logitH - logitCentre);
    const Ancestry a = ancestryAt(z);
    sum.add(termProbability(t, a));
    double first, second;
    phiDerivatives(t, a, first, second);
    const double w = a.phi * a.rest;
    const double dz = first * w;
    const double dzz = second * w * w + first * w * (a.rest - a.phi);
    gs += dz * z, gc -= dz * v;
    hss += dzz * z * z + dz * z;
    hsc -= v * (dzz * z + dz);
    hcc += dzz * v * v;
  }
  ClineCurvature result{endsLogL_ + constants_ + sum.total(), {gs, gc}, {{hss, hsc}, {hsc, hcc}}};
  if (!stateTerms_.empty()) addStatesCurvature(v, logitCentre, result);
  return result;
}

// The likelihood terms' share, by the same chain as above: with P the
// term's probability in phi, its first and second derivatives in phi are
// P'/P and P''/P - (P'/P)^2.
void ClineLocus::addStatesCurvature(double v, double logitCentre, ClineCurvature& sum) const {
  for (const StateTerm& t : stateTerms_) {
    const double z = v * (t.logitH - logitCentre);
    const Ancestry a = ancestryAt(z);
    const StateProbabilities& s = t.states;
    const double p = stateProbability(s, a.phi, a.rest);
    const double slope = 2.0 * (s.rr * a.phi + s.rs * (a.rest - a.phi) - s.ss * a.rest);
    const double bend = 2.0 * (s.rr - 2.0 * s.rs + s.ss);
    const double first = slope / p;
    const double second = bend / p - first * first;
    const double w = a.phi * a.rest;
    const double dz = first * w;
    const double dzz = second * w * w + first * w * (a.rest - a.phi);
    sum.value += std::log(p);
    sum.gradient[0] += dz * z;
    sum.gradient[1] -= dz * v;
    sum.hessian[0][0] += dzz * z * z + dz * z;
    sum.hessian[0][1] -= v * (dzz * z + dz);
    sum.hessian[1][1] += dzz * v * v;
  }
  sum.hessian[1][0] = sum.hessian[0][1];
}

namespace {

// The largest value of the linear factor F over phi in [LO.phi, HI.phi].
template <typename F>
double factorMaximum(const F& f, const Ancestry& lo, const Ancestry& hi) {
  const Ancestry& at = f.x >= f.y ? hi : lo;
  return f.x * at.phi + f.y * at.rest;
}

// The largest value over phi in [LO.phi, HI.phi] of a likelihood term's
// probability, quadratic in phi: at an end, or at its vertex where it
// bends down there.
double stateMaximum(const StateProbabilities& s, const Ancestry& lo, const Ancestry& hi) {
  double best = std::max(stateProbability(s, lo.phi, lo.rest), stateProbability(s, hi.phi, hi.rest));
  const double bend = s.rr - 2.0 * s.rs + s.ss;
  if (bend < 0) {
    const double vertex = (s.ss - s.rs) / bend;
    if (vertex > lo.phi && vertex < hi.phi)
      best = std::max(best, stateProbability(s, vertex, 1.0 - vertex));
  }
  return best;
}

}  // namespace

// z = v (logit h - c) is monotone in v and in c, so over the rectangle it
// lies between its values at two corners, and phi with it.
double ClineLocus::upperBound(double logVLo, double logVHi, double cLo, double cHi) const {
  const double vLo = std::exp(logVLo), vHi = std::exp(logVHi);
  LogSum sum;
  for (const Term& t : terms_) {
    const double dLo = t.logitH - cHi, dHi = t.logitH - cLo;
    const Ancestry lo = ancestryAt(std::min(vLo * dLo, vHi * dLo));
    const Ancestry hi = ancestryAt(std::max(vLo * dHi, vHi * dHi));
    sum.add(factorMaximum(t.factor[0], lo, hi) * factorMaximum(t.factor[1], lo, hi));
  }
  for (const StateTerm& t : stateTerms_) {
    const double dLo = t.logitH - cHi, dHi = t.logitH - cLo;
    sum.add(stateMaximum(t.states, ancestryAt(std::min(vLo * dLo, vHi * dLo)),
                         ancestryAt(std::max(vLo * dHi, vHi * dHi))));
  }
  return endsLogL_ + constants_ + sum.total();
}

namespace {

// A term's log at phi = 0 (the S parent's share of every factor) or 1.
template <typename T>
double stepTerm(const T& t, bool fromR) {
  double sum = t.constant;
  for (const auto& f : t.factor)
    sum += f.m * std::log(fromR ? f.x : f.y);
  return sum;
}

}  // namespace

// One pass over the individuals in order of logit h moves the step past
// each in turn: the individual's term changes from its R value to its S
// value.
std::vector<double> ClineLocus::bestStepCentres(double lo, double hi, std::size_t count) const {
  struct Step {
    double logitH;
    double fromS;  // the term at phi = 0
    double fromR;  // at phi = 1
  };
  std::vector<Step> order;
  order.reserve(terms_.size() + stateTerms_.size());
  for (const Term& t : terms_) order.push_back({t.logitH, stepTerm(t, false), stepTerm(t, true)});
  for (const StateTerm& t : stateTerms_)
    order.push_back({t.logitH, std::log(t.states.ss), std::log(t.states.rr)});
  std::sort(order.begin(), order.end(),
            [](const Step& a, const Step& b) { return a.logitH < b.logitH; });
  double sum = 0;
  for (const Step& t : order) sum += t.logitH < lo ? t.fromS : t.fromR;
  std::size_t i = 0;
  while (i < order.size() && order[i].logitH < lo) ++i;
  std::vector<std::pair<double, double>> shelves{{sum, lo}};  // ln L, centre
  while (i < order.size() && order[i].logitH < hi) {
    const double here = order[i].logitH;
    for (; i < order.size() && order[i].logitH == here; ++i) sum += order[i].fromS - order[i].fromR;
    const double next = i < order.size() ? std::min(order[i].logitH, hi) : hi;
    shelves.push_back({sum, 0.5 * (here + next)});
  }
  const std::size_t kept = std::min(count, shelves.size());
  std::partial_sort(shelves.begin(), shelves.begin() + kept, shelves.end(),
                    [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<double> centres;
  for (std::size_t k = 0; k < kept; ++k) centres.push_back(shelves[k].second);
  return centres;
}

double ClineLocus::neutralLogLikelihood() const {
  double sum = 0.0;
  for (std::size_t i = 0; i < h_.size(); ++i) sum += term(h_[i], designations_[i]);
  return sum + stateNeutralLogL_;
}

bool likelihoodStates(const SiteGenotypes& site, const double* likelihoods,
                      StateProbabilities& states) {
  const int n = site.genotypes();
  if (std::all_of(likelihoods, likelihoods + n, [&](double x) { return x == likelihoods[0]; }))
    return false;
  states = {0.0, 0.0, 0.0};
  for (int b = 0; b < site.alleles(); ++b)
    for (int a = 0; a <= b; ++a) {
      const double likelihood = likelihoods[genotypeIndex(a, b)];
      if (likelihood == 0.0) continue;
      const StateProbabilities g = genotypeStates(a, b, site.r(), site.s());
      states.rr += likelihood * g.rr;
      states.rs += likelihood * g.rs;
      states.ss += likelihood * g.ss;
    }
  return true;
}

}  // namespace parmix
