#ifndef PARMIX_INPUT_COMPACT_LIKELIHOODS_HPP
#define PARMIX_INPUT_COMPACT_LIKELIHOODS_HPP

// The study individuals' genotype likelihoods of a genome-scale panel, kept
// beside the genotype calls only when a run asks for them.  A
// genotype's likelihood is stored as its phred-scaled distance from the
// individual's most likely genotype at the site, rounded to a whole number
// and capped at 254: one byte per genotype of the site, so three bytes per
// individual at a biallelic site (three and a quarter with the calls).  Phred 254 is a likelihood ratio of 10^-25.4, beyond anything
// that moves an estimate.  An individual's likelihoods at a site are
// missing when all of its bytes are kMissing (255), which no stored
// likelihood vector can be, since its best genotype is 0.
//
// Loci are appended in order, each in an allocation of its own (so the
// store never holds a doubled buffer while growing); a locus whose record
// had no likelihoods keeps no bytes and is studied from its calls.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace parmix {

class CompactLikelihoods {
 public:
  static constexpr std::uint8_t kMissing = 255;
  static constexpr std::uint8_t kMostPhred = 254;

  explicit CompactLikelihoods(int individuals) : individuals_(individuals) {}
  CompactLikelihoods(const CompactLikelihoods&) = delete;
  CompactLikelihoods& operator=(const CompactLikelihoods&) = delete;
  CompactLikelihoods(CompactLikelihoods&&) noexcept = default;
  CompactLikelihoods& operator=(CompactLikelihoods&&) noexcept = default;

  // Appends one locus: PHRED holds GENOTYPES values per individual (in
  // individual order; a NaN first value marks the individual missing), any
  // non-negative scale; they are shifted so each individual's best is 0.
  void appendLocus(int genotypes, const double* phred);
  // Appends a locus without likelihoods (studied from the calls).
  void appendCalledLocus();

  int loci() const { return static_cast<int>(loci_.size()); }
  bool hasLikelihoods(int locus) const { return !loci_[static_cast<std::size_t>(locus)].empty(); }
  // Individual J's likelihoods at LOCUS into OUT (the locus's genotype
  // count of values, the best one 1); false when they are missing.
  // Requires hasLikelihoods(locus).  Reads only; safe on several threads.
  bool likelihoods(int locus, int j, double* out) const;
  // Bytes held: the values and each locus's handle.
  std::size_t storedBytes() const;

 private:
  int individuals_;
  std::size_t valueBytes_ = 0;
  std::vector<std::vector<std::uint8_t>> loci_;
};

}  // namespace parmix

#endif
