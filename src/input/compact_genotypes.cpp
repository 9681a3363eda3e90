#include "input/compact_genotypes.hpp"

#include <algorithm>
#include <cstring>

namespace parmix {

namespace {

constexpr std::size_t kMaskWords = CompactGenotypes::kBlockLoci / 64;

// The two-bit code of a genotype, or -1 when an allele beyond 2 needs the
// wide form.  A genotype with one allele missing is missing as a whole.
int codeOf(std::uint8_t a, std::uint8_t b) {
  if (a == 0 || b == 0) return CompactGenotypes::kMissingCode;
  if (a > 2 || b > 2) return -1;
  return a + b - 2;
}

unsigned codeAt(const std::uint8_t* bytes, std::size_t index) {
  return (bytes[index / 4] >> (2 * (index % 4))) & 3u;
}

void writeCode(unsigned code, int* row, int missing) {
  static constexpr int kFirst[3] = {1, 1, 2};
  static constexpr int kSecond[3] = {1, 2, 2};
  if (code == CompactGenotypes::kMissingCode) {
    row[0] = row[1] = missing;
  } else {
    row[0] = kFirst[code];
    row[1] = kSecond[code];
  }
}

void writePair(const std::uint8_t* pair, int* row, int missing) {
  if (pair[0] == 0 || pair[1] == 0) {
    row[0] = row[1] = missing;
  } else {
    row[0] = pair[0];
    row[1] = pair[1];
  }
}

// A 4 x 4 square of two-bit codes, byte q holding row q (column k in bits
// 2k), turned so that byte k holds column k: the two off-diagonal cells of
// each 2 x 2 corner swapped, then the two off-diagonal corners.  This is
// what sealing a block does to every four loci of four individuals.
std::uint32_t transposedSquare(std::uint32_t square) {
  std::uint32_t t = (square ^ (square >> 6)) & 0x00CC00CCu;
  square ^= t ^ (t << 6);
  t = (square ^ (square >> 12)) & 0x0000F0F0u;
  return square ^ t ^ (t << 12);
}

}  // namespace

std::size_t CompactGenotypes::Block::bytes() const {
  return packed.capacity() + wide.capacity() + wideLoci.capacity() * sizeof(std::uint64_t);
}

CompactGenotypes::CompactGenotypes(int individuals)
    : individuals_(individuals < 0 ? 0 : individuals) {}

void CompactGenotypes::appendLocus(const std::uint8_t* pairs) {
  if (appendPacked(pairs)) {
    ++filling_.packedCount;
    ++packedLoci_;
  } else {
    appendWide(pairs);
  }
  countLocus();
}

void CompactGenotypes::appendPackedCodes(const std::uint8_t* codes) {
  const std::size_t stride = packedStride();
  if (filling_.packed.empty()) filling_.packed.resize(stride * kBlockLoci);
  std::copy_n(codes, stride,
              filling_.packed.data() + stride * static_cast<std::size_t>(filling_.packedCount));
  ++filling_.packedCount;
  ++packedLoci_;
  countLocus();
}

void CompactGenotypes::countLocus() {
  ++fillingLoci_;
  ++loci_;
  if (fillingLoci_ == kBlockLoci) sealFullBlock();
}

// Writes the locus's codes into the next packed slot of the block being
// filled; false, leaving the slot to be overwritten, when a genotype does
// not fit.  Every byte is assigned whole, so nothing of an abandoned
// attempt survives the next one.
bool CompactGenotypes::appendPacked(const std::uint8_t* pairs) {
  const std::size_t stride = packedStride();
  if (filling_.packed.empty()) filling_.packed.resize(stride * kBlockLoci);
  std::uint8_t* slot =
      filling_.packed.data() + stride * static_cast<std::size_t>(filling_.packedCount);
  for (std::size_t byte = 0; byte < stride; ++byte) {
    unsigned value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t j = 4 * byte + k;
      if (j >= static_cast<std::size_t>(individuals_)) break;
      const int code = codeOf(pairs[2 * j], pairs[2 * j + 1]);
      if (code < 0) return false;
      value |= static_cast<unsigned>(code) << (2 * k);
    }
    slot[byte] = static_cast<std::uint8_t>(value);
  }
  return true;
}

void CompactGenotypes::appendWide(const std::uint8_t* pairs) {
  if (filling_.wideLoci.empty()) filling_.wideLoci.assign(kMaskWords, 0);
  const std::size_t locus = static_cast<std::size_t>(fillingLoci_);
  filling_.wideLoci[locus / 64] |= std::uint64_t{1} << (locus % 64);
  const std::size_t width = 2 * static_cast<std::size_t>(individuals_);
  filling_.wide.insert(filling_.wide.end(), pairs, pairs + width);
  ++filling_.wideCount;
}

// Asks for the tile at byte FIRST of the 16 packed loci from LOCUS on
// ahead of its use: the loci lie a whole locus apart, further than the
// hardware's own prefetching looks, and a block is read from memory
// rather than cache.
void CompactGenotypes::prefetchTile(std::size_t locus, std::size_t first,
                                    std::size_t packedCount) const {
  const std::size_t stride = packedStride();
  for (std::size_t q = locus; q < locus + 16 && q < packedCount; ++q)
    __builtin_prefetch(filling_.packed.data() + q * stride + first);
}

// Turns the full block individual-major.  The block being filled keeps its
// buffers for the next block, so the only memory beyond the sealed matrix
// is one block being filled.
void CompactGenotypes::sealFullBlock() {
  const std::size_t n = static_cast<std::size_t>(individuals_);
  const std::size_t stride = packedStride();
  const std::size_t packedCount = static_cast<std::size_t>(filling_.packedCount);
  const std::size_t wideCount = static_cast<std::size_t>(filling_.wideCount);
  const std::size_t run = (packedCount + 3) / 4;
  Block block;
  block.packed.resize(run * n);
  // Four loci by four individuals at a time: one byte of each of four
  // loci gives one byte of each of four individuals.
  // A tile of 64 bytes of every locus (256 individuals) at a time, so that
  // the individuals' runs being written span a few hundred kB and pages
  // rather than the whole block's; and four groups (16 loci) at a time, so
  // that each individual takes four bytes of its run in one store.
  constexpr std::size_t kTileBytes = 64;
  for (std::size_t first = 0; first < stride; first += kTileBytes) {
    const std::size_t end = std::min(stride, first + kTileBytes);
    for (std::size_t group = 0; group < run; group += 4) {
      const std::size_t groups = std::min<std::size_t>(4, run - group);
      prefetchTile(4 * (group + 8), first, packedCount);
      for (std::size_t byte = first; byte < end; ++byte) {
        std::uint8_t out[4][4] = {};  // [individual][group]
        for (std::size_t g = 0; g < groups; ++g) {
          const std::size_t locus = 4 * (group + g);
          const std::size_t loci = std::min<std::size_t>(4, packedCount - locus);
          const std::uint8_t* rows = filling_.packed.data() + locus * stride + byte;
          std::uint32_t square = 0;
          for (std::size_t q = 0; q < loci; ++q) square |= std::uint32_t{rows[q * stride]} << (8 * q);
          square = transposedSquare(square);
          for (std::size_t k = 0; k < 4; ++k) out[k][g] = static_cast<std::uint8_t>(square >> (8 * k));
        }
        for (std::size_t k = 0; k < 4 && 4 * byte + k < n; ++k)
          std::memcpy(block.packed.data() + (4 * byte + k) * run + group, out[k], groups);
      }
    }
  }
  block.wide.resize(2 * wideCount * n);
  for (std::size_t w = 0; w < wideCount; ++w)
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t c = 0; c < 2; ++c)
        block.wide[2 * (wideCount * j + w) + c] = filling_.wide[2 * (n * w + j) + c];
  block.wideLoci.swap(filling_.wideLoci);
  block.packedCount = filling_.packedCount;
  block.wideCount = filling_.wideCount;
  sealed_.push_back(std::move(block));
  filling_.wide.clear();
  filling_.packedCount = filling_.wideCount = 0;
  fillingLoci_ = 0;
}

std::size_t CompactGenotypes::storedBytes() const {
  std::size_t bytes = filling_.bytes();
  for (const Block& block : sealed_) bytes += block.bytes();
  return bytes;
}

void CompactGenotypes::layOutSealed(const Block& block, int j, int** rows, int missing) const {
  const std::size_t individual = static_cast<std::size_t>(j);
  const std::uint8_t* packed =
      block.packed.data() + individual * ((static_cast<std::size_t>(block.packedCount) + 3) / 4);
  const std::uint8_t* wide =
      block.wide.data() + 2 * static_cast<std::size_t>(block.wideCount) * individual;
  if (block.wideLoci.empty()) {
    for (int p = 0; p < block.packedCount; ++p)
      writeCode(codeAt(packed, static_cast<std::size_t>(p)), rows[p], missing);
    return;
  }
  std::size_t p = 0, w = 0;
  for (int l = 0; l < block.packedCount + block.wideCount; ++l) {
    if (block.isWide(l))
      writePair(wide + 2 * w++, rows[l], missing);
    else
      writeCode(codeAt(packed, p++), rows[l], missing);
  }
}

void CompactGenotypes::layOutFilling(int j, int** rows, int missing) const {
  const std::size_t individual = static_cast<std::size_t>(j);
  const std::size_t stride = packedStride();
  const std::size_t wideStride = 2 * static_cast<std::size_t>(individuals_);
  std::size_t p = 0, w = 0;
  for (int l = 0; l < fillingLoci_; ++l) {
    if (filling_.isWide(l))
      writePair(filling_.wide.data() + wideStride * w++ + 2 * individual, rows[l], missing);
    else
      writeCode(codeAt(filling_.packed.data() + stride * p++, individual), rows[l], missing);
  }
}

void CompactGenotypes::layOutIndividual(int j, int** rows, int missing) const {
  int locus = 0;
  for (const Block& block : sealed_) {
    layOutSealed(block, j, rows + locus, missing);
    locus += kBlockLoci;
  }
  layOutFilling(j, rows + locus, missing);
}

namespace {

// Wide loci of a block before its locus L.
std::size_t wideBefore(const std::vector<std::uint64_t>& mask, std::size_t l) {
  if (mask.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t word = 0; word < l / 64; ++word) count += __builtin_popcountll(mask[word]);
  const std::uint64_t low = (std::uint64_t{1} << (l % 64)) - 1;
  return count + __builtin_popcountll(mask[l / 64] & low);
}

}  // namespace

void CompactGenotypes::layOutLocus(int locus, int* row, int missing) const {
  const std::size_t n = static_cast<std::size_t>(individuals_);
  const std::size_t b = static_cast<std::size_t>(locus / kBlockLoci);
  const std::size_t l = static_cast<std::size_t>(locus % kBlockLoci);
  const bool sealed = b < sealed_.size();
  const Block& block = sealed ? sealed_[b] : filling_;
  const std::size_t w = wideBefore(block.wideLoci, l);
  if (block.isWide(static_cast<int>(l))) {
    for (std::size_t j = 0; j < n; ++j) {
      const std::size_t at = sealed ? 2 * (static_cast<std::size_t>(block.wideCount) * j + w)
                                    : 2 * (n * w + j);
      writePair(block.wide.data() + at, row + 2 * j, missing);
    }
    return;
  }
  const std::size_t p = l - w;
  if (sealed) {
    const std::size_t run = (static_cast<std::size_t>(block.packedCount) + 3) / 4;
    for (std::size_t j = 0; j < n; ++j)
      writeCode(codeAt(block.packed.data() + j * run, p), row + 2 * j, missing);
  } else {
    const std::uint8_t* slot = block.packed.data() + packedStride() * p;
    for (std::size_t j = 0; j < n; ++j) writeCode(codeAt(slot, j), row + 2 * j, missing);
  }
}

void CompactGenotypes::layOutLoci(int first, int count, int** rows, int missing) const {
  for (int k = 0; k < count; ++k) layOutLocus(first + k, rows[k], missing);
}

}  // namespace parmix
