#include "model/gl_likelihood.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

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

SiteGenotypes::SiteGenotypes(FrequencyMoments r, FrequencyMoments s)
    : r_(std::move(r)), s_(std::move(s)) {}

SiteGenotypes SiteGenotypes::fromFrequencies(const double* freqR, const double* freqS, int k) {
  return SiteGenotypes(exactMoments(freqR, k), exactMoments(freqS, k));
}

SiteGenotypes SiteGenotypes::dominant(const PhenotypeMoments& r, const PhenotypeMoments& s) {
  return SiteGenotypes(dominantAlleleMoments(r), dominantAlleleMoments(s));
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

void phenotypeLikelihoods(bool bandPresent, double* out) {
  out[0] = bandPresent ? 1.0 : 0.0;
  out[1] = out[0];
  out[2] = bandPresent ? 0.0 : 1.0;
}

void GlIndividual::clear() {
  meanR_.clear();
  meanS_.clear();
  entries_.clear();
  locusEntries_.clear();
  varR_.clear();
  varS_.clear();
  rr_.clear();
  rs_.clear();
  ss_.clear();
  hasData_ = false;
}

void GlIndividual::reserve(std::size_t loci, std::size_t alleles) {
  meanR_.reserve(alleles);
  meanS_.reserve(alleles);
  entries_.reserve(loci);
  for (auto* v : {&varR_, &varS_, &rr_, &rs_, &ss_}) v->reserve(loci);
  locusEntries_.reserve(loci);
}

void GlIndividual::addSite(const SiteGenotypes& site, const double* likelihoods) {
  if (likelihoods == nullptr) return;
  hasData_ = true;
  const int k = site.alleles();
  if (allEqual(likelihoods, site.genotypes())) return;
  const FrequencyMoments &r = site.r(), &s = site.s();
  const std::size_t base = meanR_.size();
  meanR_.insert(meanR_.end(), r.mean.begin(), r.mean.end());
  meanS_.insert(meanS_.end(), s.mean.begin(), s.mean.end());
  double varR = 0.0, varS = 0.0;
  StateProbabilities sum{0.0, 0.0, 0.0};
  for (int b = 0; b < k; ++b)
    for (int a = 0; a <= b; ++a) {
      const double likelihood = likelihoods[genotypeIndex(a, b)];
      if (likelihood == 0.0) continue;
      const double weight = likelihood * (a == b ? 1.0 : 2.0);
      entries_.push_back({weight, base + a, base + b});
      varR += weight * r.covariance(a, b);
      varS += weight * s.covariance(a, b);
      const StateProbabilities states = genotypeStates(a, b, r, s);
      sum.rr += likelihood * states.rr;
      sum.rs += likelihood * states.rs;
      sum.ss += likelihood * states.ss;
    }
  locusEntries_.push_back(entries_.size());
  varR_.push_back(varR);
  varS_.push_back(varS);
  rr_.push_back(sum.rr);
  rs_.push_back(sum.rs);
  ss_.push_back(sum.ss);
}

// sum_g w_g u_i u_j + h^2 V_R + (1-h)^2 V_S, each u as h*a + (1-h)*b.
double GlIndividual::locusProbability(std::size_t l, double h, double g) const {
  double probability = 0.0;
  const std::size_t end = locusEntries_[l];
  for (std::size_t e = l == 0 ? 0 : locusEntries_[l - 1]; e < end; ++e) {
    const Entry& entry = entries_[e];
    const double ui = h * meanR_[entry.first] + g * meanS_[entry.first];
    const double uj = h * meanR_[entry.second] + g * meanS_[entry.second];
    probability += entry.weight * (ui * uj);
  }
  return probability + (h * h * varR_[l] + g * g * varS_[l]);
}

double GlIndividual::logLikelihood(double h) const {
  const double g = 1.0 - h;
  double sum = 0.0;
  for (std::size_t l = 0; l < locusEntries_.size(); ++l) sum += std::log(locusProbability(l, h, g));
  return sum;
}

double GlIndividual::jointLogLikelihood(double h, double het) const {
  const double wRR = std::max(0.0, h - het / 2);
  const double wRS = std::max(0.0, het);
  const double wSS = std::max(0.0, 1.0 - h - het / 2);
  double sum = 0.0;
  for (std::size_t l = 0; l < rr_.size(); ++l)
    sum += std::log(wRR * rr_[l] + wRS * rs_[l] + wSS * ss_[l]);
  return sum;
}

}  // namespace parmix
