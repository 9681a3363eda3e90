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

ClineIndividual clineIndividual(double h) { return {h, h > 0.0 && h < 1.0 ? logit(h) : 0.0, 0}; }

void ClineLocus::addIndividual(const ClineIndividual& who, int* designations) {
  if (!hasGenotype(type_, designations)) return;
  h_.push_back(who.h);
  designations_.push_back(designations);
  if (who.h > 0.0 && who.h < 1.0) {
    const StateProbabilities s = termStates(designations);
    addTerm(who.logitH, s.rr, 2.0 * s.rs, s.ss);
  } else
    endsLogL_ += term(who.h, designations);
}

void ClineLocus::reserve(std::size_t count) {
  for (auto* column : {&logitH_, &rr_, &rs2_, &ss_}) column->reserve(count);
}

namespace {

// A likelihood term's probability, rr phi^2 + 2 rs phi psi + ss psi^2, with
// psi = 1 - phi given apart so that neither end loses its small share.
double stateProbability(const StateProbabilities& s, double phi, double rest) {
  return s.rr * (phi * phi) + 2.0 * s.rs * (phi * rest) + s.ss * (rest * rest);
}

// Two factors linear in phi, x phi + y (1 - phi) and x' phi + y' (1 -
// phi), times K, multiplied out.
StateProbabilities factorProduct(double k, double x, double y, double x2, double y2) {
  return {k * (x * x2), k * (0.5 * (x * y2 + x2 * y)), k * (y * y2)};
}

}  // namespace

void ClineLocus::addLikelihoodTerm(const ClineIndividual& who, const StateProbabilities& states) {
  const double h = who.h;
  const double neutral = std::log(stateProbability(states, h, 1.0 - h));
  stateNeutralLogL_ += neutral;
  ++likelihoodTerms_;
  if (h > 0.0 && h < 1.0)
    addTerm(who.logitH, states.rr, 2.0 * states.rs, states.ss);
  else
    endsLogL_ += neutral;
}

void ClineLocus::addTerm(double logitH, double rr, double rs2, double ss) {
  logitH_.push_back(logitH);
  rr_.push_back(rr);
  rs2_.push_back(rs2);
  ss_.push_back(ss);
}

// A genotype's term in phi: a homozygote's allele frequency twice, a
// heterozygote's two (and 2 for the order of the copies), a dominant
// phenotype's p (2 - p), a recessive one's q twice.
StateProbabilities ClineLocus::termStates(const int* g) const {
  if (type_ == 'D') {
    const double a = freqR_[0], b = freqS_[0];
    if (g[0] == 1) return factorProduct(1.0, a, b, 2 - a, 2 - b);
    return factorProduct(1.0, 1 - a, 1 - b, 1 - a, 1 - b);
  }
  const int x = g[0] - 1, y = g[1] - 1;
  return factorProduct(x == y ? 1.0 : 2.0, freqR_[x], freqS_[x], freqR_[y], freqS_[y]);
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

cline_passes::Terms ClineLocus::columns() const {
  return {logitH_.data(), rr_.data(), rs2_.data(), ss_.data(), logitH_.size()};
}

double ClineLocus::logLikelihood(double v, double logitCentre) const {
  return endsLogL_ + cline_passes::fastest().logLikelihood(columns(), v, logitCentre);
}

ClineCurvature ClineLocus::curvature(double logV, double logitCentre) const {
  const cline_passes::Curvature c =
      cline_passes::fastest().curvature(columns(), std::exp(logV), logitCentre);
  return {endsLogL_ + c.value,
          {c.gradient[0], c.gradient[1]},
          {{c.hessian[0][0], c.hessian[0][1]}, {c.hessian[1][0], c.hessian[1][1]}}};
}

double ClineLocus::upperBound(double logVLo, double logVHi, double cLo, double cHi) const {
  return endsLogL_ + cline_passes::fastest().upperBound(columns(), std::exp(logVLo),
                                                        std::exp(logVHi), cLo, cHi);
}

// One pass over the individuals in order of logit h moves the step past
// each in turn: the individual's term changes from its R value to its S
// value.
std::vector<ClineLocus::StepTerm> ClineLocus::stepTerms() const {
  std::vector<StepTerm> order;
  order.reserve(logitH_.size());
  for (std::size_t k = 0; k < logitH_.size(); ++k)
    order.push_back({logitH_[k], std::log(ss_[k]), std::log(rr_[k])});
  // The studies add their individuals in order of h already.
  const auto byLogitH = [](const StepTerm& a, const StepTerm& b) { return a.logitH < b.logitH; };
  if (!std::is_sorted(order.begin(), order.end(), byLogitH))
    std::sort(order.begin(), order.end(), byLogitH);
  return order;
}

std::vector<double> ClineLocus::bestStepCentres(const std::vector<StepTerm>& order, double lo,
                                                double hi, std::size_t count) {
  double sum = 0;
  for (const StepTerm& t : order) sum += t.logitH < lo ? t.fromS : t.fromR;
  std::size_t i = 0;
  while (i < order.size() && order[i].logitH < lo) ++i;
  std::vector<std::pair<double, double>> shelves{{sum, lo}};  // ln L, centre
  while (i < order.size() && order[i].logitH < hi) {
    const double here = order[i].logitH;
    for (; i < order.size() && order[i].logitH == here; ++i) sum += order[i].fromS - order[i].fromR;
    const double next = i < order.size() ? std::min(order[i].logitH, hi) : hi;
    shelves.push_back({sum, 0.5 * (here + next)});
  }
  // Ties go to the lower centre, so the best COUNT are the first COUNT of
  // any longer ranking.
  const std::size_t kept = std::min(count, shelves.size());
  std::partial_sort(shelves.begin(), shelves.begin() + kept, shelves.end(),
                    [](const auto& a, const auto& b) {
                      return a.first > b.first || (a.first == b.first && a.second < b.second);
                    });
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
  states = weightedStates(site, likelihoods);
  return true;
}

}  // namespace parmix
