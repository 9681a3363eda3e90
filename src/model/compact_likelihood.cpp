#include "model/compact_likelihood.hpp"

#include <cmath>

namespace parmix {

namespace {
constexpr int kMissingCode = -9999;
}

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

inline void CompactIndividual::addTerm(double a, double b, double c, double d, double w) {
  if (terms_ == w_.size()) grow();
  a_[terms_] = a;
  b_[terms_] = b;
  c_[terms_] = c;
  d_[terms_] = d;
  w_[terms_] = w;
  ++terms_;
}

// The terms mirror the genotype log-probabilities: p(h,a,b) = h*a + (1-h)*b
// and q(h,a,b) = (1-h)*(1-b) + (1-a)*h, which is h*(1-a) + (1-h)*(1-b)
// exactly, since IEEE sums and products do not depend on operand order.
void CompactIndividual::addLocus(char type, int first, int second, const double* freqR,
                                 const double* freqS) {
  if (first != kMissingCode || second != kMissingCode) hasData_ = true;
  if (type == 'C') {
    if (first == kMissingCode || second == kMissingCode) return;
    const double a1 = freqR[first - 1], b1 = freqS[first - 1];
    if (first == second) {
      addTerm(a1, b1, 0.0, 0.0, 1.0);
    } else {
      addTerm(a1, b1, freqR[second - 1], freqS[second - 1], 0.0);
    }
  } else if (type == 'D') {
    const double a = freqR[0], b = freqS[0];
    if (first == 0) addTerm(1 - a, 1 - b, 0.0, 0.0, 1.0);
    if (first == 1) addTerm(a, b, 1 - a, 1 - b, 1.0);
  }
}

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
