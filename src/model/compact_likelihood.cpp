#include "model/compact_likelihood.hpp"

#include <cmath>

namespace parmix {

void CompactIndividual::clear() {
  terms_ = 0;
  hasData_ = false;
}

void CompactIndividual::reserve(std::size_t n) {
  if (n <= w_.size()) return;
  for (std::vector<double>* field : {&a_, &b_, &c_, &d_, &w_}) field->resize(n);
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
    const double* a = a_.data() + start;
    const double* b = b_.data() + start;
    const double* c = c_.data() + start;
    const double* d = d_.data() + start;
    const double* w = w_.data() + start;
    for (std::size_t t = 0; t < count; ++t) {
      const double u = h * a[t] + g * b[t];
      const double v = h * c[t] + g * d[t];
      x[t] = w[t] * (u * u) + 2 * u * v;
    }
    for (std::size_t t = 0; t < count; ++t) sum += std::log(x[t]);
  }
  return sum;
}

}  // namespace parmix
