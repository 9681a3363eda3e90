#include "model/gl_likelihood.hpp"

#include <algorithm>
#include <cmath>

namespace parmix {

namespace {

// 10^x as exp(x ln 10): one call, and exactly 1 at x = 0.
double tenTo(double x) { return std::exp(x * 2.302585092994045684); }

bool allEqual(const double* v, int n) {
  for (int g = 1; g < n; ++g)
    if (v[g] != v[0]) return false;
  return true;
}

}  // namespace

int genotypeIndex(int a, int b) {
  if (a > b) std::swap(a, b);
  return b * (b + 1) / 2 + a;
}

StateProbabilities genotypeStates(int a, int b, const FrequencyMoments& r,
                                  const FrequencyMoments& s) {
  if (a == b)
    return {r.secondMoment(a, a), r.mean[a] * s.mean[a], s.secondMoment(a, a)};
  return {2.0 * r.secondMoment(a, b), r.mean[a] * s.mean[b] + r.mean[b] * s.mean[a],
          2.0 * s.secondMoment(a, b)};
}

StateProbabilities phenotypeStates(bool bandPresent, const PhenotypeMoments& r,
                                   const PhenotypeMoments& s) {
  const StateProbabilities absent{r.absent, r.rootAbsent * s.rootAbsent, s.absent};
  if (!bandPresent) return absent;
  return {1.0 - absent.rr, 1.0 - absent.rs, 1.0 - absent.ss};
}

SiteGenotypes::SiteGenotypes(const FrequencyMoments& r, const FrequencyMoments& s)
    : alleles_(r.alleles), states_(genotypeCount(r.alleles)) {
  for (int b = 0; b < alleles_; ++b)
    for (int a = 0; a <= b; ++a) states_[genotypeIndex(a, b)] = genotypeStates(a, b, r, s);
}

SiteGenotypes SiteGenotypes::fromFrequencies(const double* freqR, const double* freqS, int k) {
  return SiteGenotypes(exactMoments(freqR, k), exactMoments(freqS, k));
}

bool likelihoodsFromPL(const int* pl, int n, double* out) {
  if (n <= 0) return false;
  int best = pl[0];
  for (int g = 0; g < n; ++g) {
    if (pl[g] < 0) return false;
    best = std::min(best, pl[g]);
  }
  for (int g = 0; g < n; ++g) out[g] = tenTo(-(pl[g] - best) / 10.0);
  return true;
}

bool likelihoodsFromGL(const double* gl, int n, double* out) {
  if (n <= 0) return false;
  double best = -HUGE_VAL;
  for (int g = 0; g < n; ++g) {
    if (std::isnan(gl[g])) return false;
    best = std::max(best, gl[g]);
  }
  if (!std::isfinite(best)) return false;
  for (int g = 0; g < n; ++g) out[g] = tenTo(gl[g] - best);
  return true;
}

void calledGenotypeLikelihoods(int a, int b, int k, double* out) {
  std::fill(out, out + genotypeCount(k), 0.0);
  out[genotypeIndex(a, b)] = 1.0;
}

void GlIndividual::clear() {
  rr_.clear();
  rs_.clear();
  ss_.clear();
  hasData_ = false;
}

void GlIndividual::reserve(std::size_t n) {
  rr_.reserve(n);
  rs_.reserve(n);
  ss_.reserve(n);
}

void GlIndividual::addSite(const SiteGenotypes& site, const double* likelihoods) {
  if (likelihoods == nullptr) return;
  hasData_ = true;
  const int n = site.genotypes();
  if (allEqual(likelihoods, n)) return;
  StateProbabilities sum{0.0, 0.0, 0.0};
  for (int g = 0; g < n; ++g) {
    sum.rr += likelihoods[g] * site[g].rr;
    sum.rs += likelihoods[g] * site[g].rs;
    sum.ss += likelihoods[g] * site[g].ss;
  }
  addStates(sum);
}

void GlIndividual::addStates(const StateProbabilities& states) {
  hasData_ = true;
  rr_.push_back(states.rr);
  rs_.push_back(states.rs);
  ss_.push_back(states.ss);
}

double GlIndividual::sumOfLogs(double wRR, double wRS, double wSS) const {
  double sum = 0.0;
  const std::size_t n = rr_.size();
  for (std::size_t l = 0; l < n; ++l) sum += std::log(wRR * rr_[l] + wRS * rs_[l] + wSS * ss_[l]);
  return sum;
}

double GlIndividual::logLikelihood(double h) const {
  const double g = 1.0 - h;
  return sumOfLogs(h * h, 2.0 * h * g, g * g);
}

double GlIndividual::jointLogLikelihood(double h, double het) const {
  const double wRR = std::max(0.0, h - het / 2);
  const double wSS = std::max(0.0, 1.0 - h - het / 2);
  return sumOfLogs(wRR, std::max(0.0, het), wSS);
}

}  // namespace parmix
