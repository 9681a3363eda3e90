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
  if (h > 0.0 && h < 1.0)
    terms_.push_back(termOf(logit(h), designations));
  else
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
      t.factor[0] = {2, 1 - a, 1 - b};
    return t;
  }
  const int x = g[0] - 1, y = g[1] - 1;
  if (x == y) {
    t.factor[0] = {2, freqR_[x], freqS_[x]};
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

Ancestry ancestryAt(double z) {
  const double e = std::exp(-std::fabs(z));
  const double near = 1.0 / (1.0 + e), far = e / (1.0 + e);
  return z >= 0 ? Ancestry{near, far} : Ancestry{far, near};
}

}  // namespace

// The factors' part of a term at A, with one logarithm: a heterozygote's
// or dominant phenotype's two factors multiplied first (each is a
// probability, so their product cannot overflow), a homozygote's one
// doubled.  The logarithms are most of a pass's cost.
template <typename T>
double termLog(const T& t, const Ancestry& a) {
  const auto& f = t.factor;
  const double first = f[0].x * a.phi + f[0].y * a.rest;
  if (f[1].m == 0) return f[0].m * std::log(first);
  return std::log(first * (f[1].x * a.phi + f[1].y * a.rest));
}

double ClineLocus::logLikelihood(double v, double logitCentre) const {
  double sum = endsLogL_;
  for (const Term& t : terms_) {
    const Ancestry a = ancestryAt(v * (t.logitH - logitCentre));
    sum += t.constant + termLog(t, a);
  }
  for (const StateTerm& t : stateTerms_) {
    const Ancestry a = ancestryAt(v * (t.logitH - logitCentre));
    sum += std::log(stateProbability(t.states, a.phi, a.rest));
  }
  return sum;
}

// With z = v (logit h - c) and v = e^s: dz/ds = z, dz/dc = -v, d2z/ds2 =
// z, d2z/ds dc = -v; dphi/dz = phi (1 - phi) =: w, d2phi/dz2 = w (1 -
// 2 phi).  A and B are a term's first and second derivatives in z.
ClineCurvature ClineLocus::curvature(double logV, double logitCentre) const {
  const double v = std::exp(logV);
  double value = endsLogL_, gs = 0, gc = 0, hss = 0, hsc = 0, hcc = 0;
  for (const Term& t : terms_) {
    const double z = v * (t.logitH - logitCentre);
    const Ancestry a = ancestryAt(z);
    double first = 0, second = 0;
    value += t.constant + termLog(t, a);
    for (const Factor& f : t.factor) {
      if (f.m == 0) continue;
      const double slope = (f.x - f.y) / (f.x * a.phi + f.y * a.rest);
      first += f.m * slope;
      second -= f.m * slope * slope;
    }
    const double w = a.phi * a.rest;
    const double dz = first * w;
    const double dzz = second * w * w + first * w * (a.rest - a.phi);
    gs += dz * z, gc -= dz * v;
    hss += dzz * z * z + dz * z;
    hsc -= v * (dzz * z + dz);
    hcc += dzz * v * v;
  }
  ClineCurvature sum{value, {gs, gc}, {{hss, hsc}, {hsc, hcc}}};
  if (!stateTerms_.empty()) addStatesCurvature(v, logitCentre, sum);
  return sum;
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

// A term's log at phi = 0 (the S parent's share of every factor) or 1.
template <typename T>
double stepTerm(const T& t, bool fromR) {
  double sum = t.constant;
  for (const auto& f : t.factor)
    if (f.m != 0) sum += f.m * std::log(fromR ? f.x : f.y);
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
