#ifndef PARMIX_TESTS_SUPPORT_STORED_PANEL_HPP
#define PARMIX_TESTS_SUPPORT_STORED_PANEL_HPP

// A random codominant panel held twice, as a text data set and as the
// genome-scale store of the same calls, for the tests that hold a study
// from the store to the study of the data set.  Drawn locus by locus from
// one stream, so a test that draws more per locus (its onUsedLocus) keeps
// the same panel from one run to the next.

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "estimate/stored_clines.hpp"
#include "input/compact_genotypes.hpp"
#include "input/data_set.hpp"

namespace parmix::test {

struct PanelShape {
  std::uint64_t seed;
  int widePeriod;      // every widePeriod-th locus (from 0) of three alleles
  double floor;        // least frequency before the rows are normalised
  double skew;         // weight of R's first and S's last allele
  double missingShare; // share of individuals without a genotype at a locus
  int unusedPeriod;    // loci i with i % unusedPeriod == unusedPhase taken out
  int unusedPhase;
};

struct StoredPanel {
  StoredPanel(int loci, int n, const PanelShape& shape,
              const std::function<void(int locus, std::mt19937_64&)>& onUsedLocus = nullptr)
      : genotypes(n), draw(shape.seed) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    data.nLoci = loci, data.nInd = n, data.nCols = 2 * n, data.maxAlleles = 3;
    data.allocateGenotypes();
    data.allocateTheRest();
    std::vector<std::uint8_t> pairs(2 * static_cast<std::size_t>(n));
    for (int i = 0; i < loci; ++i) {
      const int k = i % shape.widePeriod == 0 ? 3 : 2;
      double sumR = 0, sumS = 0;
      for (int a = 0; a < k; ++a) {
        sumR += data.freqR.rows()[i][a] = shape.floor + unit(draw) * (a == 0 ? shape.skew : 1.0);
        sumS += data.freqS.rows()[i][a] =
            shape.floor + unit(draw) * (a == k - 1 ? shape.skew : 1.0);
      }
      for (int a = 0; a < k; ++a) data.freqR.rows()[i][a] /= sumR, data.freqS.rows()[i][a] /= sumS;
      data.locusType[i] = 'C';
      data.locusUsed[i] = i % shape.unusedPeriod == shape.unusedPhase ? 0 : 1;
      for (int j = 0; j < n; ++j) {
        const bool missing = unit(draw) < shape.missingShare;
        for (int c = 0; c < 2; ++c) {
          const int allele = 1 + static_cast<int>(unit(draw) * k);
          data.genotypes.rows()[i][2 * j + c] = missing ? kMissing : allele;
          pairs[2 * j + c] = static_cast<std::uint8_t>(missing ? 0 : allele);
        }
      }
      genotypes.appendLocus(pairs.data());
      if (data.locusUsed[i] && onUsedLocus) onUsedLocus(i, draw);
    }
    stored.genotypes = &genotypes;
    stored.locusType = data.locusType.data();
    stored.locusUsed = data.locusUsed.data();
    stored.freqR = data.freqR.rows();
    stored.freqS = data.freqS.rows();
  }
  StoredPanel(const StoredPanel&) = delete;
  StoredPanel& operator=(const StoredPanel&) = delete;

  DataSet data;
  CompactGenotypes genotypes;
  std::mt19937_64 draw;  // the stream, left where the panel ends
  StoredLoci stored;
};

}  // namespace parmix::test

#endif
