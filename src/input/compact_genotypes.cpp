#include "input/compact_genotypes.hpp"

#include <cstring>

namespace parmix {

CompactGenotypes::CompactGenotypes(int individuals)
    : individuals_(individuals < 0 ? 0 : individuals) {}

void CompactGenotypes::appendLocus(const std::uint8_t* pairs) {
  const std::size_t width = 2 * static_cast<std::size_t>(individuals_);
  if (filling_.empty()) filling_.resize(width * kBlockLoci);
  // A shard may hold no individual at all: then only the loci are counted.
  if (width > 0)
    std::memcpy(filling_.data() + width * static_cast<std::size_t>(fillingLoci_), pairs, width);
  ++fillingLoci_;
  ++loci_;
  if (fillingLoci_ == kBlockLoci) sealFullBlock();
}

// Turns the full block individual-major and frees the locus-major one, so
// the only memory beyond the sealed matrix is one block being filled.
void CompactGenotypes::sealFullBlock() {
  const std::size_t width = 2 * static_cast<std::size_t>(individuals_);
  std::vector<std::uint8_t> block(width * kBlockLoci);
  for (int l = 0; l < kBlockLoci; ++l) {
    const std::uint8_t* from = filling_.data() + width * static_cast<std::size_t>(l);
    for (int j = 0; j < individuals_; ++j) {
      std::uint8_t* to = block.data() + 2 * (static_cast<std::size_t>(kBlockLoci) * j + l);
      to[0] = from[2 * j];
      to[1] = from[2 * j + 1];
    }
  }
  sealed_.push_back(std::move(block));
  fillingLoci_ = 0;
}

std::size_t CompactGenotypes::storedBytes() const {
  std::size_t bytes = filling_.capacity();
  for (const std::vector<std::uint8_t>& block : sealed_) bytes += block.capacity();
  return bytes;
}

const std::uint8_t* CompactGenotypes::runOf(std::size_t block, int j) const {
  return sealed_[block].data() + 2 * static_cast<std::size_t>(kBlockLoci) * j;
}

namespace {
void writePair(const std::uint8_t* pair, int* row, int missing) {
  if (pair[0] == 0 || pair[1] == 0) {
    row[0] = row[1] = missing;
  } else {
    row[0] = pair[0];
    row[1] = pair[1];
  }
}
}  // namespace

void CompactGenotypes::layOutIndividual(int j, int** rows, int missing) const {
  int locus = 0;
  for (std::size_t b = 0; b < sealed_.size(); ++b) {
    const std::uint8_t* run = runOf(b, j);
    for (int l = 0; l < kBlockLoci; ++l, ++locus) writePair(run + 2 * l, rows[locus], missing);
  }
  const std::size_t width = 2 * static_cast<std::size_t>(individuals_);
  for (int l = 0; l < fillingLoci_; ++l, ++locus)
    writePair(filling_.data() + width * static_cast<std::size_t>(l) + 2 * static_cast<std::size_t>(j),
              rows[locus], missing);
}

}  // namespace parmix
