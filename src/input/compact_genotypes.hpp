#ifndef PARMIX_INPUT_COMPACT_GENOTYPES_HPP
#define PARMIX_INPUT_COMPACT_GENOTYPES_HPP

// The study genotypes of a genome-scale panel: two bits a genotype where a
// locus allows it, two bytes where it does not.
//
// A locus is packed when every genotype it holds is missing or made of
// alleles 1 and 2 only: every biallelic site of a PLINK file or a VCF, and
// most SNPs of any panel.  A packed genotype is one of four codes (see
// GenotypeCode), four genotypes a byte.  Any other locus keeps each allele
// as its number in one byte (1 to 255; 0 marks a missing allele), as wide
// as a site of many alleles needs.  Both forms lie side by side in one
// store, in locus order.
//
// A packed heterozygote comes back as (1, 2) whichever order its alleles
// were given in.  Nothing downstream can tell: a genotype's probability is
// the same product of its two alleles' terms taken either way round (and
// the same bits, since IEEE products and sums do not depend on operand
// order), and likelihoods are indexed by the unordered pair.  A wide locus
// keeps the order as given.
//
// Loci arrive one after another (a VCF is read site by site, and the number
// of sites is not known in advance), but an individual is studied along all
// of its loci.  The matrix is therefore kept in blocks of kBlockLoci loci:
// the block being filled is locus-major, and once full it is turned so that
// each individual's genotypes of the block lie together (one run of packed
// loci, one of wide loci).  Laying out one individual then reads one or two
// contiguous runs per block instead of touching a cache line per locus.
//
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

  // The two-bit form of a genotype at a packed locus.
  enum GenotypeCode : std::uint8_t {
    kHomozygote1 = 0,
    kHeterozygote = 1,
    kHomozygote2 = 2,
    kMissingCode = 3
  };

  explicit CompactGenotypes(int individuals);
  CompactGenotypes(const CompactGenotypes&) = delete;
  CompactGenotypes& operator=(const CompactGenotypes&) = delete;
  CompactGenotypes(CompactGenotypes&&) noexcept = default;
  CompactGenotypes& operator=(CompactGenotypes&&) noexcept = default;

  // Appends one locus: PAIRS holds two allele numbers per individual, in
  // individual order, each 0 (missing) to kMaxAllele.  The store chooses the
  // locus's form from what it holds.  Throws std::bad_alloc when the storage
  // cannot grow.
  void appendLocus(const std::uint8_t* pairs);
  // Appends one packed locus given in its stored form: CODES holds the
  // GenotypeCode of every individual, four a byte, the first individual in
  // the lowest bits, and the bits past the last individual clear.  For a
  // reader that has the codes already, one byte for four genotypes.
  void appendPackedCodes(const std::uint8_t* codes);

  int individuals() const { return individuals_; }
  int loci() const { return loci_; }
  // Loci kept at two bits a genotype.
  int packedLoci() const { return packedLoci_; }
  // Bytes held by the genotypes (the storage's own size, not the process's).
  std::size_t storedBytes() const;

  // Writes the designations of individual J into ROWS (loci() rows of two
  // ints): the allele numbers, or MISSING for both alleles of a missing
  // genotype.  Reads only; may run on several threads at once.
  void layOutIndividual(int j, int** rows, int missing) const;

  // Writes the designations of loci FIRST .. FIRST+COUNT-1 into ROWS, one
  // row of 2 * individuals() ints per locus (individual j's pair at 2j), as
  // layOutIndividual writes them.  Consecutive loci share their blocks'
  // cache lines, so a caller reads a run of loci at a time.  Reads only;
  // may run on several threads at once.
  void layOutLoci(int first, int count, int** rows, int missing) const;

 private:
  // The loci of one block in their two forms, and which locus is which.
  struct Block {
    std::vector<std::uint8_t> packed;
    std::vector<std::uint8_t> wide;
    // Bit l set: locus l of the block is wide.  Empty when none is.
    std::vector<std::uint64_t> wideLoci;
    int packedCount = 0;
    int wideCount = 0;

    bool isWide(int l) const {
      if (wideLoci.empty()) return false;
      const std::size_t bit = static_cast<std::size_t>(l);
      return ((wideLoci[bit / 64] >> (bit % 64)) & 1u) != 0;
    }
    std::size_t bytes() const;
  };

  bool appendPacked(const std::uint8_t* pairs);
  void appendWide(const std::uint8_t* pairs);
  void countLocus();
  void sealFullBlock();
  void prefetchTile(std::size_t locus, std::size_t first, std::size_t packedCount) const;
  void layOutSealed(const Block& block, int j, int** rows, int missing) const;
  void layOutFilling(int j, int** rows, int missing) const;
  void layOutLocus(int locus, int* row, int missing) const;

  // Bytes of one packed locus in the block being filled.
  std::size_t packedStride() const { return (static_cast<std::size_t>(individuals_) + 3) / 4; }

  int individuals_;
  int loci_ = 0;
  int packedLoci_ = 0;
  // Sealed blocks, individual-major: individual j's packed run starts at
  // j * ceil(packedCount / 4), its wide run at 2 * wideCount * j.
  std::vector<Block> sealed_;
  // The block being filled, locus-major: the p-th packed locus starts at
  // p * packedStride(), the w-th wide locus at 2 * individuals_ * w.
  Block filling_;
  int fillingLoci_ = 0;
};

}  // namespace parmix

#endif
