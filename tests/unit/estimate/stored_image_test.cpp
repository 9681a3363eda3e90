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
#include "support/stored_panel.hpp"

namespace parmix {
namespace {

// LOCI loci (every fifth of three alleles) and N individuals, a tenth of
// the genotypes missing, every ninth locus left out; a made-up fit for each
// used locus (every sixth undefined, so the image takes h there), and h
// drawn for each individual (one undefined, ties among them).
// The fits stand in a base of their own, made before the panel that adds
// to them locus by locus.
struct Fits {
  ClineStudy study;
};

struct Panel : Fits, test::StoredPanel {
  Panel(int loci, int n)
      : StoredPanel(loci, n, {777, 5, 0.02, 3.0, 0.1, 9, 4},
                    [this](int i, std::mt19937_64& draw) { addFit(i, draw); }) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int j = 0; j < n; ++j) {
      const double h = j == 3 ? std::nan("") : std::round(unit(draw) * 50.0) / 50.0;
      h_.push_back({h, h, h, {false, false}});
    }
  }

  void addFit(int locus, std::mt19937_64& draw) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    ClineEstimate fit{};
    fit.v = locus % 6 == 0 ? std::nan("") : std::exp(3.0 * unit(draw) - 1.5);
    fit.centre = 0.2 + 0.6 * unit(draw);
    study.loci.push_back(locus);
    study.rows.push_back(fit);
  }

  std::vector<IndividualEstimate> h_;
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
