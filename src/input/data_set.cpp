#include "input/data_set.hpp"

namespace parmix {

void DataSet::allocateGenotypes() { genotypes = RowTable<int>(nLoci, nCols); }

void DataSet::allocateTheRest() {
  indGenotype = RowTable<int>(nLoci, 2);
  freqR = RowTable<double>(nLoci, maxAlleles);
  freqS = RowTable<double>(nLoci, maxAlleles);
  locusType.assign(static_cast<std::size_t>(nLoci), 'B');
  locusUsed.assign(static_cast<std::size_t>(nLoci), 1);
  indNames.assign(static_cast<std::size_t>(nInd), std::string());
}

std::vector<char> effectiveLocusTypes(const std::vector<char>& locusType,
                                      const std::vector<char>& locusUsed) {
  std::vector<char> types(locusType);
  for (std::size_t i = 0; i < types.size(); ++i)
    if (!locusUsed[i]) types[i] = 'B';
  return types;
}

std::vector<char> effectiveLocusTypes(const DataSet& data) {
  return effectiveLocusTypes(data.locusType, data.locusUsed);
}

void getGenotype(int** indGenotype, int** genotypes, int nLoci, int col) {
  for (int i = 0; i < nLoci; ++i) {
    indGenotype[i][0] = genotypes[i][col];
    indGenotype[i][1] = genotypes[i][col + 1];
  }
}

}  // namespace parmix
