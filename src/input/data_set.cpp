#include "input/data_set.hpp"

namespace parmix {

void DataSet::allocateGenotypes() { genotypes = RowTable<int>(nLoci, nCols); }

void DataSet::allocateTheRest() {
  indGenotype = RowTable<int>(nLoci, 2);
  freqR = RowTable<double>(nLoci, maxAlleles);
  freqS = RowTable<double>(nLoci, maxAlleles);
  locusType.assign(static_cast<std::size_t>(nLoci), 'B');
  typeInFile.assign(static_cast<std::size_t>(nLoci), 'B');
  indNames.assign(static_cast<std::size_t>(nInd), std::string());
}

void getGenotype(int** indGenotype, int** genotypes, int nLoci, int col) {
  for (int i = 0; i < nLoci; ++i) {
    indGenotype[i][0] = genotypes[i][col];
    indGenotype[i][1] = genotypes[i][col + 1];
  }
}

}  // namespace parmix
