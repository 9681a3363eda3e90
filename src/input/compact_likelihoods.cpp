#include "input/compact_likelihoods.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace parmix {

namespace {

// 10^(-q/10) for every stored phred value.
const std::array<double, 256>& phredTable() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int q = 0; q < 256; ++q) t[static_cast<std::size_t>(q)] = std::pow(10.0, -q / 10.0);
    return t;
  }();
  return table;
}

void storeIndividual(int genotypes, const double* phred, std::uint8_t* out) {
  if (std::isnan(phred[0])) {
    std::fill(out, out + genotypes, CompactLikelihoods::kMissing);
    return;
  }
  const double best = *std::min_element(phred, phred + genotypes);
  for (int g = 0; g < genotypes; ++g) {
    const double q = std::nearbyint(phred[g] - best);
    out[g] = static_cast<std::uint8_t>(std::min<double>(q, CompactLikelihoods::kMostPhred));
  }
}

}  // namespace

void CompactLikelihoods::appendLocus(int genotypes, const double* phred) {
  start_.push_back(values_.size());
  width_.push_back(genotypes);
  const std::size_t g = static_cast<std::size_t>(genotypes);
  values_.resize(values_.size() + g * static_cast<std::size_t>(individuals_));
  std::uint8_t* out = values_.data() + start_.back();
  for (int j = 0; j < individuals_; ++j)
    storeIndividual(genotypes, phred + g * static_cast<std::size_t>(j), out + g * static_cast<std::size_t>(j));
}

void CompactLikelihoods::appendCalledLocus() {
  start_.push_back(values_.size());
  width_.push_back(0);
}

bool CompactLikelihoods::likelihoods(int locus, int j, double* out) const {
  const std::size_t g = static_cast<std::size_t>(width_[static_cast<std::size_t>(locus)]);
  const std::uint8_t* in = values_.data() + start_[static_cast<std::size_t>(locus)] +
                           g * static_cast<std::size_t>(j);
  if (std::all_of(in, in + g, [](std::uint8_t v) { return v == kMissing; })) return false;
  for (std::size_t k = 0; k < g; ++k) out[k] = phredTable()[in[k]];
  return true;
}

}  // namespace parmix
