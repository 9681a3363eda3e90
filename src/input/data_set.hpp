#ifndef PARMIX_INPUT_DATA_SET_HPP
#define PARMIX_INPUT_DATA_SET_HPP

// The data set of one analysis run.  A RowTable owns a rows x cols block of
// contiguous cells plus the row-pointer array that the analysis functions take
// as T** ("row i" is always locus i).  Everything is released when the owner
// goes out of scope, whichever way the run ends.

#include <cstddef>
#include <string>
#include <vector>

namespace parmix {

// The missing-data code of every designation array.
constexpr int kMissing = -9999;

template <typename T>
class RowTable {
 public:
  RowTable() = default;
  // Every cell starts as `fill`, so nothing read later is ever undefined.
  // Throws std::bad_alloc when the block cannot be had.
  RowTable(int rows, int cols, T fill = T())
      : cols_(cols < 0 ? 0 : cols),
        cells_(static_cast<std::size_t>(rows < 0 ? 0 : rows) * cols_, fill),
        rowPtrs_(static_cast<std::size_t>(rows < 0 ? 0 : rows)) {
    for (std::size_t i = 0; i < rowPtrs_.size(); ++i) rowPtrs_[i] = cells_.data() + i * cols_;
  }
  RowTable(const RowTable&) = delete;
  RowTable& operator=(const RowTable&) = delete;
  RowTable(RowTable&&) noexcept = default;  // moving a vector keeps its block
  RowTable& operator=(RowTable&&) noexcept = default;

  // The view the analysis functions take; valid while this table lives.
  T** rows() { return rowPtrs_.data(); }
  int rowCount() const { return static_cast<int>(rowPtrs_.size()); }
  int colCount() const { return static_cast<int>(cols_); }

 private:
  std::size_t cols_ = 0;
  std::vector<T> cells_;
  std::vector<T*> rowPtrs_;
};

// Sizes and arrays of one run.  Only the run creates one; every other
// function receives the arrays it needs as separate arguments.
struct DataSet {
  int nLoci = 0;
  int maxAlleles = 0;
  int nInd = 0;
  int nCols = 0;
  unsigned int nameWidth = 10;
  char parentalEol = '\n';
  char individualEol = '\n';

  RowTable<int> genotypes;
  RowTable<int> indGenotype;
  RowTable<double> freqR;
  RowTable<double> freqS;
  std::vector<char> locusType;
  // The types as the parental file gives them, kept after the checks have
  // marked some loci 'B', so that an excluded locus is still read with the
  // layout of its own type.
  std::vector<char> typeInFile;
  std::vector<std::string> indNames;

  // The genotype matrix: nLoci rows of nCols designations.
  void allocateGenotypes();
  // indGenotype, freqR, freqS (0.0 everywhere), locusType, indNames.
  void allocateTheRest();
};

// Copies columns col and col+1 of every locus row into indGenotype.
void getGenotype(int** indGenotype, int** genotypes, int nLoci, int col);

}  // namespace parmix

#endif
