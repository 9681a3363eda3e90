#ifndef PARMIX_INPUT_COMPACT_GENOTYPES_HPP
#define PARMIX_INPUT_COMPACT_GENOTYPES_HPP

// The study genotypes of a genome-scale panel at two bytes a genotype.
//
// Loci arrive one after another (a VCF is read site by site, and the number
// of sites is not known in advance), but an individual is studied along all
// of its loci.  The matrix is therefore kept in blocks of kBlockLoci loci:
// the block being filled is locus-major, and once full it is turned so that
// each individual's kBlockLoci genotypes lie together.  Laying out one
// individual then reads one contiguous run per block instead of touching a
// cache line per locus.
//
// An allele is stored as its number (1 to 255); 0 marks a missing allele.
// A genotype is missing as a whole or not at all, as the analysis takes it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace parmix {

class CompactGenotypes {
 public:
  // Loci per block.  Large enough that the contiguous runs dwarf a cache
  // line, small enough that the block being filled stays a few MB.
  static constexpr int kBlockLoci = 4096;
  // The largest allele number a locus may carry.
  static constexpr int kMaxAllele = 255;

  explicit CompactGenotypes(int individuals);
  CompactGenotypes(const CompactGenotypes&) = delete;
  CompactGenotypes& operator=(const CompactGenotypes&) = delete;
  CompactGenotypes(CompactGenotypes&&) noexcept = default;
  CompactGenotypes& operator=(CompactGenotypes&&) noexcept = default;

  // Appends one locus: PAIRS holds two allele numbers per individual, in
  // individual order, each 0 (missing) to kMaxAllele.  Throws
  // std::bad_alloc when the storage cannot grow.
  void appendLocus(const std::uint8_t* pairs);

  int individuals() const { return individuals_; }
  int loci() const { return loci_; }
  // Bytes held by the genotypes (the storage's own size, not the process's).
  std::size_t storedBytes() const;

  // Writes the designations of individual J into ROWS (loci() rows of two
  // ints): the allele numbers, or MISSING for both alleles of a missing
  // genotype.  Reads only; may run on several threads at once.
  void layOutIndividual(int j, int** rows, int missing) const;

 private:
  void sealFullBlock();
  const std::uint8_t* runOf(std::size_t block, int j) const;

  int individuals_;
  int loci_ = 0;
  // Sealed blocks, individual-major: individual j's run of the block starts
  // at 2 * kBlockLoci * j.
  std::vector<std::vector<std::uint8_t>> sealed_;
  // The block being filled, locus-major: locus l's pairs start at
  // 2 * individuals_ * l.
  std::vector<std::uint8_t> filling_;
  int fillingLoci_ = 0;
};

}  // namespace parmix

#endif
