// The genotype image summed straight from a genome-scale store: cell by
// cell it is the data set's own image (estimate/ancestry_image.hpp), and in
// bins of loci or of individuals each drawn cell holds the sums of the
// cells it gathers; the same on any number of workers.

#include "estimate/stored_image.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "estimate/ancestry_image.hpp"
#include "input/data_set.hpp"

namespace parmix {
namespace {

// LOCI loci (every fifth of three alleles) and N individuals, a tenth of
// the genotypes missing, every ninth locus left out; a made-up fit for each
// used locus (every sixth undefined, so the image takes h there), and h
// drawn for each individual (one undefined, ties among them).
struct Panel {
  Panel(int loci, int n) : genotypes(n) {
    std::mt19937_64 draw(777);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    data.nLoci = loci, data.nInd = n, data.nCols = 2 * n, data.maxAlleles = 3;
    data.allocateGenotypes();
    data.allocateTheRest();
    std::vector<std::uint8_t> pairs(2 * static_cast<std::size_t>(n));
    for (int i = 0; i < loci; ++i) {
      const int k = i % 5 == 0 ? 3 : 2;
      double sumR = 0, sumS = 0;
      for (int a = 0; a < k; ++a) {
        sumR += data.freqR.rows()[i][a] = 0.02 + unit(draw) * (a == 0 ? 3.0 : 1.0);
        sumS += data.freqS.rows()[i][a] = 0.02 + unit(draw) * (a == k - 1 ? 3.0 : 1.0);
      }
      for (int a = 0; a < k; ++a) data.freqR.rows()[i][a] /= sumR, data.freqS.rows()[i][a] /= sumS;
      data.locusType[i] = 'C';
      data.locusUsed[i] = i % 9 == 4 ? 0 : 1;
      for (int j = 0; j < n; ++j) {
        const bool missing = unit(draw) < 0.1;
        for (int c = 0; c < 2; ++c) {
          const int allele = 1 + static_cast<int>(unit(draw) * k);
          data.genotypes.rows()[i][2 * j + c] = missing ? kMissing : allele;
          pairs[2 * j + c] = static_cast<std::uint8_t>(missing ? 0 : allele);
        }
      }
      genotypes.appendLocus(pairs.data());
      if (!data.locusUsed[i]) continue;
      ClineEstimate fit{};
      fit.v = i % 6 == 0 ? std::nan("") : std::exp(3.0 * unit(draw) - 1.5);
      fit.centre = 0.2 + 0.6 * unit(draw);
      study.loci.push_back(i);
      study.rows.push_back(fit);
    }
    for (int j = 0; j < n; ++j) {
      const double h = j == 3 ? std::nan("") : std::round(unit(draw) * 50.0) / 50.0;
      h_.push_back({h, h, h, {false, false}});
    }
    stored.genotypes = &genotypes;
    stored.locusType = data.locusType.data();
    stored.locusUsed = data.locusUsed.data();
    stored.freqR = data.freqR.rows();
    stored.freqS = data.freqS.rows();
  }

  DataSet data;
  CompactGenotypes genotypes;
  ClineStudy study;
  std::vector<IndividualEstimate> h_;
  StoredLoci stored;
};

// Every drawn cell of BINNED against the cells of the data set's image it
// gathers: the R copies summed, the genotypes not missing counted.
void expectSumsOfCells(const BinnedImage& binned, const AncestryImage& cells) {
  ASSERT_EQ(binned.individuals, cells.individuals);
  ASSERT_EQ(binned.loci, cells.loci);
  const std::size_t rows = (cells.individuals.size() + binned.rowBin - 1) / binned.rowBin;
  ASSERT_EQ(binned.rows(), rows);
  ASSERT_EQ(binned.columns, (cells.loci.size() + binned.columnBin - 1) / binned.columnBin);
  std::vector<int> copies(binned.copies.size(), 0), counted(binned.counted.size(), 0);
  for (std::size_t row = 0; row < cells.individuals.size(); ++row) {
    for (std::size_t column = 0; column < cells.loci.size(); ++column) {
      const std::uint8_t cell = cells.at(row, column);
      if (cell == kImageMissing) continue;
      const std::size_t drawn = binned.cell(row / binned.rowBin, column / binned.columnBin);
      copies[drawn] += cell;
      ++counted[drawn];
    }
  }
  EXPECT_EQ(binned.copies, copies);
  EXPECT_EQ(binned.counted, counted);
}

TEST(StoredImage, BinsOnlyAboveAThousandAndAtMostFiveHundredOfThem) {
  const struct {
    std::size_t count, bin;
  } cases[] = {{0, 1}, {1, 1}, {1000, 1}, {1001, 3}, {1500, 3}, {1501, 4}, {100000, 200}};
  for (const auto& c : cases) {
    EXPECT_EQ(imageBinSize(c.count), c.bin) << c.count;
    if (c.count > 1000) {
      EXPECT_LE((c.count + c.bin - 1) / c.bin, kImageMostBins) << c.count;
    }
  }
}

TEST(StoredImage, EveryCellIsTheDataSetsImageOnAnyNumberOfWorkers) {
  Panel panel(40, 30);
  const AncestryImage cells = ancestryImageOf(panel.data, panel.h_, panel.study, 1);
  for (unsigned workers : {1u, 3u}) {
    const BinnedImage image = storedImageOf(panel.stored, panel.h_, panel.study, workers);
    EXPECT_EQ(image.rowBin, 1u);
    EXPECT_EQ(image.columnBin, 1u);
    ASSERT_EQ(image.individuals.size(), 29u);  // the one without h is left out
    expectSumsOfCells(image, cells);
  }
}

TEST(StoredImage, BinsOfLociAndOfIndividualsHoldTheSumsOfTheirCells) {
  const struct {
    int loci, n;
    std::size_t rowBin, columnBin;
  } cases[] = {{1140, 7, 1, 3}, {8, 1104, 3, 1}};
  for (const auto& c : cases) {
    Panel panel(c.loci, c.n);
    const AncestryImage cells = ancestryImageOf(panel.data, panel.h_, panel.study, 1);
    const BinnedImage one = storedImageOf(panel.stored, panel.h_, panel.study, 1);
    EXPECT_EQ(one.rowBin, c.rowBin) << c.loci;
    EXPECT_EQ(one.columnBin, c.columnBin) << c.loci;
    expectSumsOfCells(one, cells);
    const BinnedImage three = storedImageOf(panel.stored, panel.h_, panel.study, 3);
    EXPECT_EQ(three.copies, one.copies);
    EXPECT_EQ(three.counted, one.counted);
  }
}

}  // namespace
}  // namespace parmix
