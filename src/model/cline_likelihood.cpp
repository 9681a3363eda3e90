#include "model/cline_likelihood.hpp"

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

// phi from h and its logit; the ends are exact whatever v and the centre.
double ancestry(double h, double logitH, double v, double logitCentre) {
  if (h <= 0.0) return 0.0;
  if (h >= 1.0) return 1.0;
  return logistic(v * (logitH - logitCentre));
}

}  // namespace

double clineAncestry(double h, double v, double logitCentre) {
  return ancestry(h, logit(h), v, logitCentre);
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
  logitH_.push_back(logit(h));
  designations_.push_back(designations);
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

double ClineLocus::logLikelihood(double v, double logitCentre) const {
  double sum = 0.0;
  for (std::size_t i = 0; i < h_.size(); ++i) {
    const double phi = ancestry(h_[i], logitH_[i], v, logitCentre);
    sum += term(phi, designations_[i]);
  }
  return sum;
}

double ClineLocus::neutralLogLikelihood() const {
  double sum = 0.0;
  for (std::size_t i = 0; i < h_.size(); ++i) sum += term(h_[i], designations_[i]);
  return sum;
}

}  // namespace parmix
