#include "model/compact_likelihood.hpp"

#include <algorithm>
#include <cmath>

#include "model/genotype_prob.hpp"

namespace parmix {

void CompactIndividual::clear() {
  terms_ = 0;
  hasData_ = false;
}

void CompactIndividual::reserve(std::size_t n) {
  if (n <= capacity_) return;
  std::unique_ptr<double[]> store(new double[5 * n]);
  double* fields[5] = {a_, b_, c_, d_, w_};
  for (std::size_t k = 0; k < 5; ++k)
    if (terms_ > 0) std::copy(fields[k], fields[k] + terms_, store.get() + k * n);
  store_ = std::move(store);
  capacity_ = n;
  a_ = store_.get();
  b_ = a_ + n;
  c_ = b_ + n;
  d_ = c_ + n;
  w_ = d_ + n;
}

// Out of line: the run reserves room for every locus, so this is rare.
void CompactIndividual::grow() { reserve(terms_ < 16 ? 16 : 2 * terms_); }

namespace {
// Terms prepared at a time: the probabilities of a batch are formed in one
// loop, then their logs are summed in a loop that does nothing else.
constexpr std::size_t kBatch = 256;
}  // namespace

double CompactIndividual::logLikelihood(double h) const {
  const double g = 1 - h;
  const std::size_t n = terms_;
  double x[kBatch];
  double sum = 0.0;
  for (std::size_t start = 0; start < n; start += kBatch) {
    const std::size_t count = n - start < kBatch ? n - start : kBatch;
    const double* a = a_ + start;
    const double* b = b_ + start;
    const double* c = c_ + start;
    const double* d = d_ + start;
    const double* w = w_ + start;
    for (std::size_t t = 0; t < count; ++t) {
      const double u = gameteShare(h, g, a[t], b[t]);
      const double v = gameteShare(h, g, c[t], d[t]);
      x[t] = w[t] * homozygoteProbability(u) + heterozygoteProbability(u, v);
    }
    for (std::size_t t = 0; t < count; ++t) sum += std::log(x[t]);
  }
  return sum;
}

// With u' = a - b and v' = c - d, the probability x = w u^2 + 2 u v has
// x' = 2 w u u' + 2 (u' v + u v') and x'' = 2 w u'^2 + 4 u' v'.  As in
// logLikelihood, a batch's terms are formed in loops that do nothing else
// (so they vectorise), then summed, then their logs taken when asked for.
LikelihoodDerivatives CompactIndividual::derivatives(double h, bool withValue) const {
  const double g = 1 - h;
  double x[kBatch], ratio[kBatch], bend[kBatch], twist[kBatch];
  double value = 0.0, slope = 0.0, curvature = 0.0, third = 0.0;
  for (std::size_t start = 0; start < terms_; start += kBatch) {
    const std::size_t count = terms_ - start < kBatch ? terms_ - start : kBatch;
    const double* a = a_ + start;
    const double* b = b_ + start;
    const double* c = c_ + start;
    const double* d = d_ + start;
    const double* w = w_ + start;
    for (std::size_t t = 0; t < count; ++t) {
      const double u = gameteShare(h, g, a[t], b[t]);
      const double v = gameteShare(h, g, c[t], d[t]);
      const double du = a[t] - b[t];
      const double dv = c[t] - d[t];
      x[t] = w[t] * homozygoteProbability(u) + heterozygoteProbability(u, v);
      const double inverse = 1 / x[t];
      const double r = 2 * (w[t] * u * du + du * v + u * dv) * inverse;
      const double q = (2 * w[t] * du * du + 4 * du * dv) * inverse;
      ratio[t] = r;
      bend[t] = q - r * r;
      twist[t] = r * (2 * r * r - 3 * q);
    }
    for (std::size_t t = 0; t < count; ++t) {
      slope += ratio[t];
      curvature += bend[t];
      third += twist[t];
    }
    if (withValue)
      for (std::size_t t = 0; t < count; ++t) value += std::log(x[t]);
  }
  return {withValue ? value : std::nan(""), slope, curvature, third};
}

}  // namespace parmix
