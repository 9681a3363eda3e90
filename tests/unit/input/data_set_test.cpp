#include "input/data_set.hpp"

#include <gtest/gtest.h>

#include <new>
#include <utility>

namespace parmix {
namespace {

TEST(RowTable, RowsAreSeparateAndStartFilled) {
  RowTable<int> t(3, 4, 7);
  ASSERT_EQ(t.rowCount(), 3);
  ASSERT_EQ(t.colCount(), 4);
  int** rows = t.rows();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(rows[i][j], 7);
  rows[1][3] = 1;
  rows[2][0] = 2;
  EXPECT_EQ(rows[1][2], 7);
  EXPECT_EQ(rows[2][1], 7);
  EXPECT_EQ(rows[1][3], 1);
}

TEST(RowTable, MovingKeepsTheRowsValid) {
  RowTable<double> a(2, 2, 0.5);
  a.rows()[1][1] = 3.0;
  RowTable<double> b(std::move(a));
  EXPECT_EQ(b.rows()[1][1], 3.0);
  EXPECT_EQ(b.rows()[0][0], 0.5);
  RowTable<double> c;
  c = std::move(b);
  EXPECT_EQ(c.rows()[1][1], 3.0);
}

TEST(RowTable, EmptyShapes) {
  RowTable<int> noColumns(3, 0);
  EXPECT_EQ(noColumns.rowCount(), 3);
  EXPECT_EQ(noColumns.colCount(), 0);
  RowTable<int> negative(-2, -1);
  EXPECT_EQ(negative.rowCount(), 0);
  EXPECT_EQ(negative.colCount(), 0);
}

TEST(RowTable, AShapeBeyondTheAddressSpaceIsRefused) {
  // rows * cols * sizeof(double) overflows size_t: never a wrapped, small block.
  EXPECT_THROW(RowTable<double>(2147483647, 2147483647), std::bad_alloc);
}

TEST(RowTable, CellsStartAsZeroWithoutAFill) {
  RowTable<double> t(2, 3);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(t.rows()[i][j], 0.0);
}

TEST(DataSet, AllocationDefinesEveryCell) {
  DataSet d;
  d.nLoci = 3;
  d.maxAlleles = 4;
  d.nInd = 2;
  d.nCols = 4;
  d.allocateGenotypes();
  d.allocateTheRest();
  ASSERT_EQ(d.genotypes.rowCount(), 3);
  ASSERT_EQ(d.genotypes.colCount(), 4);
  ASSERT_EQ(d.freqR.colCount(), 4);
  ASSERT_EQ(d.indGenotype.colCount(), 2);
  // Slots that a dominant locus leaves unwritten must read as 0.0.
  for (int i = 0; i < 3; ++i)
    for (int a = 0; a < 4; ++a) {
      EXPECT_EQ(d.freqR.rows()[i][a], 0.0);
      EXPECT_EQ(d.freqS.rows()[i][a], 0.0);
    }
  EXPECT_EQ(d.locusType.size(), 3u);
  EXPECT_EQ(d.indNames.size(), 2u);
}

TEST(GetGenotype, CopiesTheTwoColumnsOfOneIndividual) {
  RowTable<int> genotypes(3, 6);
  const int values[3][6] = {{1, 2, 3, 4, 5, 6}, {1, kMissing, 0, kMissing, 1, kMissing},
                            {7, 8, 9, 10, 11, 12}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 6; ++j) genotypes.rows()[i][j] = values[i][j];
  RowTable<int> ind(3, 2, -1);

  getGenotype(ind.rows(), genotypes.rows(), 3, 4);  // the last individual
  EXPECT_EQ(ind.rows()[0][0], 5);
  EXPECT_EQ(ind.rows()[0][1], 6);
  EXPECT_EQ(ind.rows()[1][0], 1);
  EXPECT_EQ(ind.rows()[1][1], kMissing);
  EXPECT_EQ(ind.rows()[2][0], 11);
  EXPECT_EQ(ind.rows()[2][1], 12);

  getGenotype(ind.rows(), genotypes.rows(), 3, 0);
  EXPECT_EQ(ind.rows()[2][0], 7);
  EXPECT_EQ(ind.rows()[2][1], 8);
}

}  // namespace
}  // namespace parmix
