#ifndef PARMIX_INPUT_DATA_SET_HPP
#define PARMIX_INPUT_DATA_SET_HPP

// The data set of one analysis run.  A RowTable owns a rows x cols block of
// contiguous cells plus the row-pointer array that the analysis functions take
// as T** ("row i" is always locus i).  Everything is released when the owner
// goes out of scope, whichever way the run ends.

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

namespace parmix {

// The missing-data code of every designation array.
constexpr int kMissing = -9999;

template <typename T>
class RowTable {
  static_assert(std::is_trivially_copyable_v<T>, "cells are raw zeroed memory");

 public:
  RowTable() = default;
  // Every cell starts as zero bits (0, 0.0): the block comes zeroed from the
  // allocator, so a shape that a file claims costs address space, and only
  // the pages a reader writes cost memory.  Throws std::bad_alloc when the
  // block cannot be had.
  RowTable(int rows, int cols)
      : cols_(cols < 0 ? 0 : cols),
        cells_(zeroedBlock(static_cast<std::size_t>(rows < 0 ? 0 : rows), cols_)),
        rowPtrs_(static_cast<std::size_t>(rows < 0 ? 0 : rows)) {
    for (std::size_t i = 0; i < rowPtrs_.size(); ++i) rowPtrs_[i] = cells_.get() + i * cols_;
  }
  // The same with every cell set to fill, which touches the whole block.
  RowTable(int rows, int cols, T fill) : RowTable(rows, cols) {
    if (fill == T()) return;
    for (T* row : rowPtrs_) std::fill(row, row + cols_, fill);
  }
  RowTable(const RowTable&) = delete;
  RowTable& operator=(const RowTable&) = delete;
  RowTable(RowTable&&) noexcept = default;  // the block moves with its owner
  RowTable& operator=(RowTable&&) noexcept = default;

  // The view the analysis functions take; valid while this table lives.
  T** rows() { return rowPtrs_.data(); }
  // The read-only view, for passes that only look.
  const T* const* rows() const { return rowPtrs_.data(); }
  int rowCount() const { return static_cast<int>(rowPtrs_.size()); }
  int colCount() const { return static_cast<int>(cols_); }

 private:
  struct FreeBlock {
    void operator()(T* cells) const { std::free(cells); }
  };
  using Block = std::unique_ptr<T[], FreeBlock>;

  static Block zeroedBlock(std::size_t rows, std::size_t cols) {
    if (rows == 0 || cols == 0) return Block();
    if (cols > std::numeric_limits<std::size_t>::max() / sizeof(T) / rows) throw std::bad_alloc();
    void* cells = std::calloc(rows * cols, sizeof(T));
    if (cells == nullptr) throw std::bad_alloc();
    return Block(static_cast<T*>(cells));
  }

  std::size_t cols_ = 0;
  Block cells_;
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
  // The types as the parental file gives them ('C' or 'D'); never rewritten,
  // so an excluded locus is still read with the layout of its own type.
  std::vector<char> locusType;
  // 1 for a locus the analysis uses, 0 for one the parental check takes out
  // (its two populations do not differ).
  std::vector<char> locusUsed;
  std::vector<std::string> indNames;

  // The genotype matrix: nLoci rows of nCols designations, zero until read.
  void allocateGenotypes();
  // indGenotype, freqR, freqS (zero everywhere until read), locusType,
  // locusUsed (every locus used until checked), indNames.
  void allocateTheRest();
};

// The types the model functions take for a study: 'B' where LOCUSUSED is 0,
// else the type as read.  Those functions (Likelihood, testSurface,
// findmaxH, findBound and the layouts built for them) carry the exclusion of
// a locus through its type, so every study lays out from this one array
// rather than from the types as read.  Both vectors are one entry per locus.
std::vector<char> effectiveLocusTypes(const std::vector<char>& locusType,
                                      const std::vector<char>& locusUsed);
std::vector<char> effectiveLocusTypes(const DataSet& data);

// Copies columns col and col+1 of every locus row into indGenotype.
void getGenotype(int** indGenotype, int** genotypes, int nLoci, int col);

}  // namespace parmix

#endif
