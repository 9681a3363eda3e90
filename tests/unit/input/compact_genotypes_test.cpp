// The genotype store: every individual laid out again as stored, across
// block boundaries and in the block still being filled, with loci of two
// alleles at two bits a genotype and loci of more alleles at two bytes side
// by side; a genotype with one allele missing comes back missing as a
// whole; a packed heterozygote comes back as (1, 2); the store keeps a
// quarter of a byte a packed genotype, two bytes a wide one, plus at most
// one block being filled and a byte per individual and block.

#include "input/compact_genotypes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "input/data_set.hpp"

namespace parmix {
namespace {

constexpr int kBlock = CompactGenotypes::kBlockLoci;

// The allele of individual j, copy c, at locus i, with a pattern no
// transposition error can keep: 0 (missing), 1 or 2 at most loci, and every
// value from 0 to 255 at every WIDEEVERY-th locus (none when 0).
std::uint8_t alleleAt(int i, int j, int c, int wideEvery) {
  const int value = i * 7 + j * 13 + c * 101 + (i % 11) * (j % 7);
  if (wideEvery > 0 && i % wideEvery == 0) return static_cast<std::uint8_t>(value % 256);
  return static_cast<std::uint8_t>(value % 3);
}

struct Shape {
  int individuals, loci, wideEvery;
};

CompactGenotypes filledStore(const Shape& shape) {
  CompactGenotypes store(shape.individuals);
  std::vector<std::uint8_t> pairs(2 * static_cast<std::size_t>(shape.individuals));
  for (int i = 0; i < shape.loci; ++i) {
    for (int j = 0; j < shape.individuals; ++j)
      for (int c = 0; c < 2; ++c) pairs[2 * j + c] = alleleAt(i, j, c, shape.wideEvery);
    store.appendLocus(pairs.data());
  }
  return store;
}

// A locus fits two bits when every genotype is missing or of alleles 1, 2.
bool fitsTwoBits(const Shape& shape, int i) {
  for (int j = 0; j < shape.individuals; ++j) {
    const int a = alleleAt(i, j, 0, shape.wideEvery), b = alleleAt(i, j, 1, shape.wideEvery);
    if (a != 0 && b != 0 && (a > 2 || b > 2)) return false;
  }
  return true;
}

TEST(CompactGenotypes, LaysOutEveryIndividualAsStoredAcrossBlocks) {
  const Shape shapes[] = {{1, 1, 0},          {3, kBlock - 1, 0},      {5, kBlock, 7},
                          {4, kBlock + 1, 1}, {2, 2 * kBlock + 17, 300}, {7, kBlock + 3, 0},
                          {9, 2 * kBlock + 5, 13}};
  for (const Shape& shape : shapes) {
    const CompactGenotypes store = filledStore(shape);
    ASSERT_EQ(store.loci(), shape.loci);
    int packable = 0;
    for (int i = 0; i < shape.loci; ++i) packable += fitsTwoBits(shape, i) ? 1 : 0;
    EXPECT_EQ(store.packedLoci(), packable);
    RowTable<int> rows(shape.loci, 2, 0);
    for (int j = 0; j < shape.individuals; ++j) {
      store.layOutIndividual(j, rows.rows(), kMissing);
      for (int i = 0; i < shape.loci; ++i) {
        int a = alleleAt(i, j, 0, shape.wideEvery), b = alleleAt(i, j, 1, shape.wideEvery);
        const bool missing = a == 0 || b == 0;
        if (fitsTwoBits(shape, i) && a > b) std::swap(a, b);
        ASSERT_EQ(rows.rows()[i][0], missing ? kMissing : a)
            << shape.individuals << "x" << shape.loci << " individual " << j << " locus " << i;
        ASSERT_EQ(rows.rows()[i][1], missing ? kMissing : b);
      }
    }
  }
}

// A run of loci read locus by locus gives what each individual's layout
// gives, whatever block or form each locus lies in; runs that start and end
// inside blocks, cross their boundaries and reach into the block being filled.
TEST(CompactGenotypes, LaysOutRunsOfLociAsEachIndividualSeesThem) {
  const Shape shapes[] = {{5, kBlock, 7}, {4, kBlock + 1, 1}, {9, 2 * kBlock + 5, 13},
                          {6, 2 * kBlock + 70, 0}, {3, 100, 3}};
  for (const Shape& shape : shapes) {
    const CompactGenotypes store = filledStore(shape);
    RowTable<int> individual(shape.loci, 2, 0);
    const int runs[][2] = {{0, 1}, {kBlock - 3, 7}, {shape.loci - 65, 65}, {61, 130}};
    for (const auto& run : runs) {
      const int first = std::max(0, std::min(run[0], shape.loci - 1));
      const int count = std::min(run[1], shape.loci - first);
      RowTable<int> loci(count, 2 * shape.individuals, 0);
      store.layOutLoci(first, count, loci.rows(), kMissing);
      for (int j = 0; j < shape.individuals; ++j) {
        store.layOutIndividual(j, individual.rows(), kMissing);
        for (int k = 0; k < count; ++k)
          for (int c = 0; c < 2; ++c)
            ASSERT_EQ(loci.rows()[k][2 * j + c], individual.rows()[first + k][c])
                << shape.individuals << "x" << shape.loci << " locus " << first + k
                << " individual " << j;
      }
    }
  }
}

TEST(CompactGenotypes, AGenotypeWithOneAlleleMissingLeavesItsLocusPacked) {
  CompactGenotypes store(3);
  const std::uint8_t pairs[] = {2, 1, 0, 200, 2, 2};
  store.appendLocus(pairs);
  EXPECT_EQ(store.packedLoci(), 1);
  RowTable<int> rows(1, 2, 0);
  const int expected[3][2] = {{1, 2}, {kMissing, kMissing}, {2, 2}};
  for (int j = 0; j < 3; ++j) {
    store.layOutIndividual(j, rows.rows(), kMissing);
    EXPECT_EQ(rows.rows()[0][0], expected[j][0]) << j;
    EXPECT_EQ(rows.rows()[0][1], expected[j][1]) << j;
  }
}

// The bounds of the storage: each sealed block pads an individual's packed
// run to a whole byte; the block being filled holds a quarter of a byte per
// individual and locus for its packed loci (allocated whole) and grows its
// wide loci as they come, at most doubled.
TEST(CompactGenotypes, HoldsAQuarterByteAPackedGenotypeTwoBytesAWideOne) {
  const Shape shapes[] = {{10, 5 * kBlock + 3, 0}, {10, 5 * kBlock + 3, 8}, {33, 3 * kBlock, 0}};
  for (const Shape& shape : shapes) {
    const CompactGenotypes store = filledStore(shape);
    const std::size_t n = static_cast<std::size_t>(shape.individuals);
    const std::size_t packed = static_cast<std::size_t>(store.packedLoci()) * n;
    const std::size_t wide = static_cast<std::size_t>(shape.loci - store.packedLoci()) * n;
    const std::size_t blocks = static_cast<std::size_t>(shape.loci / kBlock + 1);
    const std::size_t fillingPacked = (n + 3) / 4 * kBlock;
    const std::size_t wideEvery = shape.wideEvery > 0 ? shape.wideEvery : kBlock;
    const std::size_t fillingWide = 2 * 2 * n * (kBlock / wideEvery + 1);
    const std::size_t masks = blocks * kBlock / 8;
    if (shape.wideEvery == 0) {
      EXPECT_EQ(wide, 0u);
    }
    EXPECT_GE(store.storedBytes(), packed / 4 + 2 * wide) << shape.wideEvery;
    EXPECT_LE(store.storedBytes(),
              packed / 4 + 2 * wide + n * blocks + fillingPacked + fillingWide + masks)
        << shape.wideEvery;
  }
}

TEST(CompactGenotypes, AnEmptyStoreLaysOutNothing) {
  const CompactGenotypes store(3);
  EXPECT_EQ(store.loci(), 0);
  EXPECT_EQ(store.storedBytes(), 0u);
  store.layOutIndividual(2, nullptr, kMissing);  // no row is touched
}

TEST(CompactGenotypes, AStoreOfNoIndividualStillCountsItsLoci) {
  CompactGenotypes store(0);
  for (int i = 0; i < kBlock + 5; ++i) store.appendLocus(nullptr);
  EXPECT_EQ(store.loci(), kBlock + 5);
  EXPECT_EQ(store.packedLoci(), kBlock + 5);
  EXPECT_EQ(store.storedBytes(), 0u);
}

}  // namespace
}  // namespace parmix
