#include "model/gl_likelihood.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/genotype_prob.hpp"

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
  for (auto* v : {&ra_, &sa_, &rb_, &sb_, &waa_, &wab_, &wbb_, &varR_, &varS_, &meanR_, &meanS_,
                  &rr_, &rs_, &ss_})
    v->clear();
  generalLoci_.clear();
  generalEnd_.clear();
  entries_.clear();
  hasData_ = false;
}

void GlIndividual::reserve(std::size_t loci) {
  for (auto* v : {&ra_, &sa_, &rb_, &sb_, &waa_, &wab_, &wbb_, &varR_, &varS_, &rr_, &rs_, &ss_})
    v->reserve(loci);
}

void GlIndividual::addSite(const SiteGenotypes& site, const double* likelihoods) {
  if (likelihoods == nullptr) return;
  hasData_ = true;
  if (allEqual(likelihoods, site.genotypes())) return;
  // The alleles of the genotypes that may be the individual's.
  int low = -1, high = -1;
  bool pair = true;
  for (int b = 0; b < site.alleles() && pair; ++b)
    for (int a = 0; a <= b && pair; ++a) {
      if (likelihoods[genotypeIndex(a, b)] == 0.0) continue;
      for (int allele : {a, b}) {
        if (low < 0 || allele == low) {
          low = allele;
        } else if (high < 0 || allele == high) {
          high = allele;
        } else {
          pair = false;
        }
      }
    }
  if (!pair) {
    addGeneralSite(site, likelihoods);
    return;
  }
  if (high < 0) high = low;
  addPairSite(site, likelihoods, std::min(low, high), std::max(low, high));
}

void GlIndividual::addPairSite(const SiteGenotypes& site, const double* likelihoods, int a, int b) {
  const FrequencyMoments &r = site.r(), &s = site.s();
  const double lAA = likelihoods[genotypeIndex(a, a)];
  const double lAB = a == b ? 0.0 : likelihoods[genotypeIndex(a, b)];
  const double lBB = a == b ? 0.0 : likelihoods[genotypeIndex(b, b)];
  ra_.push_back(r.mean[a]);
  sa_.push_back(s.mean[a]);
  rb_.push_back(r.mean[b]);
  sb_.push_back(s.mean[b]);
  waa_.push_back(lAA);
  wab_.push_back(2.0 * lAB);
  wbb_.push_back(lBB);
  const double varR = lAA * r.covariance(a, a) + 2.0 * lAB * r.covariance(a, b) +
                      lBB * r.covariance(b, b);
  const double varS = lAA * s.covariance(a, a) + 2.0 * lAB * s.covariance(a, b) +
                      lBB * s.covariance(b, b);
  addLocusSums(site, likelihoods, varR, varS);
}

void GlIndividual::addGeneralSite(const SiteGenotypes& site, const double* likelihoods) {
  const FrequencyMoments &r = site.r(), &s = site.s();
  const std::size_t base = meanR_.size();
  meanR_.insert(meanR_.end(), r.mean.begin(), r.mean.end());
  meanS_.insert(meanS_.end(), s.mean.begin(), s.mean.end());
  double varR = 0.0, varS = 0.0;
  for (int b = 0; b < site.alleles(); ++b)
    for (int a = 0; a <= b; ++a) {
      const double likelihood = likelihoods[genotypeIndex(a, b)];
      if (likelihood == 0.0) continue;
      const double weight = likelihood * (a == b ? 1.0 : 2.0);
      entries_.push_back({weight, base + a, base + b});
      varR += weight * r.covariance(a, b);
      varS += weight * s.covariance(a, b);
    }
  generalLoci_.push_back(varR_.size());
  generalEnd_.push_back(entries_.size());
  for (auto* v : {&ra_, &sa_, &rb_, &sb_, &waa_, &wab_, &wbb_}) v->push_back(0.0);
  addLocusSums(site, likelihoods, varR, varS);
}

StateProbabilities weightedStates(const SiteGenotypes& site, const double* likelihoods) {
  StateProbabilities sum{0.0, 0.0, 0.0};
  for (int b = 0; b < site.alleles(); ++b)
    for (int a = 0; a <= b; ++a) {
      const double likelihood = likelihoods[genotypeIndex(a, b)];
      if (likelihood == 0.0) continue;
      const StateProbabilities states = genotypeStates(a, b, site.r(), site.s());
      sum.rr += likelihood * states.rr;
      sum.rs += likelihood * states.rs;
      sum.ss += likelihood * states.ss;
    }
  return sum;
}

// V_R, V_S, and the joint model's state sums a, b, c.
void GlIndividual::addLocusSums(const SiteGenotypes& site, const double* likelihoods, double varR,
                                double varS) {
  varR_.push_back(varR);
  varS_.push_back(varS);
  const StateProbabilities sum = weightedStates(site, likelihoods);
  rr_.push_back(sum.rr);
  rs_.push_back(sum.rs);
  ss_.push_back(sum.ss);
}

// sum_g w_g u_i u_j of a general locus, each u as h*a + (1-h)*b.
double GlIndividual::generalProbability(std::size_t k, double h, double g) const {
  double probability = 0.0;
  for (std::size_t e = k == 0 ? 0 : generalEnd_[k - 1]; e < generalEnd_[k]; ++e) {
    const Entry& entry = entries_[e];
    const double ui = gameteShare(h, g, meanR_[entry.first], meanS_[entry.first]);
    const double uj = gameteShare(h, g, meanR_[entry.second], meanS_[entry.second]);
    probability += entry.weight * (ui * uj);
  }
  return probability;
}

double GlIndividual::logLikelihood(double h) const {
  const double g = 1.0 - h;
  const std::size_t n = varR_.size();
  std::size_t nextGeneral = 0;
  double sum = 0.0;
  for (std::size_t l = 0; l < n; ++l) {
    double probability;
    if (nextGeneral < generalLoci_.size() && generalLoci_[nextGeneral] == l) {
      probability = generalProbability(nextGeneral++, h, g);
    } else {
      // The hybrid-index term of model/genotype_prob.hpp, as the analysis
      // of certain genotypes forms it; a heterozygote's 2 lies in its weight
      // wab (twice its likelihood), and 1*(2*(u_a*u_b)) is the same bits as
      // (2*u_a)*u_b.  The terms of zero weight add exactly 0.
      const double ua = gameteShare(h, g, ra_[l], sa_[l]);
      const double ub = gameteShare(h, g, rb_[l], sb_[l]);
      probability = waa_[l] * homozygoteProbability(ua) + wab_[l] * (ua * ub) +
                    wbb_[l] * homozygoteProbability(ub);
    }
    sum += std::log(probability + (h * h * varR_[l] + g * g * varS_[l]));
  }
  return sum;
}

void GlIndividual::generalDerivatives(std::size_t k, double h, double g, double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  for (std::size_t e = k == 0 ? 0 : generalEnd_[k - 1]; e < generalEnd_[k]; ++e) {
    const Entry& entry = entries_[e];
    const double ui = gameteShare(h, g, meanR_[entry.first], meanS_[entry.first]);
    const double uj = gameteShare(h, g, meanR_[entry.second], meanS_[entry.second]);
    const double di = meanR_[entry.first] - meanS_[entry.first];
    const double dj = meanR_[entry.second] - meanS_[entry.second];
    out[0] += entry.weight * (ui * uj);
    out[1] += entry.weight * (di * uj + ui * dj);
    out[2] += entry.weight * (2 * di * dj);
  }
}

// With u' = r - s for each allele's share, a term's probability
// P = sum w u_i u_j + h^2 V_R + (1-h)^2 V_S has
// P' = sum w (u_i' u_j + u_i u_j') + 2h V_R - 2(1-h) V_S and
// P'' = sum 2 w u_i' u_j' + 2 V_R + 2 V_S.
LikelihoodDerivatives GlIndividual::derivatives(double h, bool withValue) const {
  const double g = 1.0 - h;
  const std::size_t n = varR_.size();
  std::size_t nextGeneral = 0;
  double value = 0.0, slope = 0.0, curvature = 0.0, third = 0.0;
  for (std::size_t l = 0; l < n; ++l) {
    double p[3];
    if (nextGeneral < generalLoci_.size() && generalLoci_[nextGeneral] == l) {
      generalDerivatives(nextGeneral++, h, g, p);
    } else {
      const double ua = gameteShare(h, g, ra_[l], sa_[l]);
      const double ub = gameteShare(h, g, rb_[l], sb_[l]);
      const double da = ra_[l] - sa_[l];
      const double db = rb_[l] - sb_[l];
      p[0] = waa_[l] * (ua * ua) + wab_[l] * (ua * ub) + wbb_[l] * (ub * ub);
      p[1] = 2 * waa_[l] * ua * da + wab_[l] * (da * ub + ua * db) + 2 * wbb_[l] * ub * db;
      p[2] = 2 * (waa_[l] * da * da + wab_[l] * da * db + wbb_[l] * db * db);
    }
    const double x = p[0] + (h * h * varR_[l] + g * g * varS_[l]);
    const double dx = p[1] + 2 * (h * varR_[l] - g * varS_[l]);
    const double ddx = p[2] + 2 * (varR_[l] + varS_[l]);
    // One division a locus: the rest are products.
    const double inverse = 1 / x;
    const double r = dx * inverse;
    const double q = ddx * inverse;
    slope += r;
    curvature += q - r * r;
    third += r * (2 * r * r - 3 * q);
    if (withValue) value += std::log(x);
  }
  return {withValue ? value : std::nan(""), slope, curvature, third};
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
