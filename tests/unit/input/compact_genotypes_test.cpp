// The two-byte genotype store: every individual laid out again exactly as
// stored, across block boundaries and in the block still being filled; a
// genotype with one allele missing comes back missing as a whole; the
// store keeps two bytes a genotype plus at most one block.

#include "input/compact_genotypes.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "input/data_set.hpp"

namespace parmix {
namespace {

constexpr int kBlock = CompactGenotypes::kBlockLoci;

// The allele of individual j, copy c, at locus i: every value from 0 to 255
// turns up, with a pattern no transposition error can keep.
std::uint8_t alleleAt(int i, int j, int c) {
  return static_cast<std::uint8_t>((i * 7 + j * 13 + c * 101) % 256);
}

CompactGenotypes filledStore(int individuals, int loci) {
  CompactGenotypes store(individuals);
  std::vector<std::uint8_t> pairs(2 * static_cast<std::size_t>(individuals));
  for (int i = 0; i < loci; ++i) {
    for (int j = 0; j < individuals; ++j)
      for (int c = 0; c < 2; ++c) pairs[2 * j + c] = alleleAt(i, j, c);
    store.appendLocus(pairs.data());
  }
  return store;
}

TEST(CompactGenotypes, LaysOutEveryIndividualAsStoredAcrossBlocks) {
  struct Shape {
    int individuals, loci;
  };
  const Shape shapes[] = {{1, 1}, {3, kBlock - 1}, {5, kBlock}, {4, kBlock + 1}, {2, 2 * kBlock + 17}};
  for (const Shape& shape : shapes) {
    const CompactGenotypes store = filledStore(shape.individuals, shape.loci);
    ASSERT_EQ(store.loci(), shape.loci);
    RowTable<int> rows(shape.loci, 2, 0);
    for (int j = 0; j < shape.individuals; ++j) {
      store.layOutIndividual(j, rows.rows(), kMissing);
      for (int i = 0; i < shape.loci; ++i) {
        const int a = alleleAt(i, j, 0), b = alleleAt(i, j, 1);
        const bool missing = a == 0 || b == 0;
        ASSERT_EQ(rows.rows()[i][0], missing ? kMissing : a)
            << shape.individuals << "x" << shape.loci << " individual " << j << " locus " << i;
        ASSERT_EQ(rows.rows()[i][1], missing ? kMissing : b);
      }
    }
  }
}

TEST(CompactGenotypes, HoldsTwoBytesAGenotypePlusOneBlock) {
  const int individuals = 10, loci = 5 * kBlock + 3;
  const CompactGenotypes store = filledStore(individuals, loci);
  const std::size_t genotypes = static_cast<std::size_t>(individuals) * loci;
  const std::size_t oneBlock = 2 * static_cast<std::size_t>(individuals) * kBlock;
  EXPECT_GE(store.storedBytes(), 2 * genotypes);
  EXPECT_LE(store.storedBytes(), 2 * genotypes + oneBlock);
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
  EXPECT_EQ(store.storedBytes(), 0u);
}

}  // namespace
}  // namespace parmix
