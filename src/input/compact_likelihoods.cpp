#include "input/compact_likelihoods.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

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
  const std::size_t g = static_cast<std::size_t>(genotypes);
  std::vector<std::uint8_t> values(g * static_cast<std::size_t>(individuals_));
  for (std::size_t j = 0; j < static_cast<std::size_t>(individuals_); ++j)
    storeIndividual(genotypes, phred + g * j, values.data() + g * j);
  valueBytes_ += values.size();
  loci_.push_back(std::move(values));
}

void CompactLikelihoods::appendCalledLocus() { loci_.emplace_back(); }

std::size_t CompactLikelihoods::storedBytes() const {
  return valueBytes_ + loci_.capacity() * sizeof(std::vector<std::uint8_t>);
}

bool CompactLikelihoods::likelihoods(int locus, int j, double* out) const {
  const std::vector<std::uint8_t>& values = loci_[static_cast<std::size_t>(locus)];
  const std::size_t g = values.size() / static_cast<std::size_t>(individuals_);
  const std::uint8_t* in = values.data() + g * static_cast<std::size_t>(j);
  if (std::all_of(in, in + g, [](std::uint8_t v) { return v == kMissing; })) return false;
  for (std::size_t k = 0; k < g; ++k) out[k] = phredTable()[in[k]];
  return true;
}

}  // namespace parmix
