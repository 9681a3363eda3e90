#ifndef PARMIX_IMPORT_STRUCTURE_READER_HPP
#define PARMIX_IMPORT_STRUCTURE_READER_HPP

// Sites of a STRUCTURE file: rows of individuals (one row with both alleles
// of each locus side by side, or two rows with one allele each), each row
// the individual's name, optionally its population and further columns,
// then the allele codes.  Columns are separated by blanks, tabs or commas.  Loci are columns, so the whole file is read
// before the first site is given out.  The allele codes of a locus are
// numbered 1, 2, ... in increasing order of their values.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "input/options.hpp"
#include "input/population_map.hpp"
#include "run/progress.hpp"
#include "input/site.hpp"

namespace parmix::importer {

class StructureReader : public SiteSource {
 public:
  // Throws InputError, naming the line, for a row with the wrong number of
  // columns or an empty one, an allele code that is not a whole number, an individual
  // whose rows do not pair up or that appears twice.
  // PROGRESS, when given, hears of every row read.
  StructureReader(const std::string& path, const StructureLayout& layout,
                  Progress* progress = nullptr);

  const std::vector<std::string>& sampleNames() const override { return names_; }
  bool next(Site& site) override;
  std::uint64_t bytesRead() const override { return 0; }
  std::uint64_t bytesTotal() const override { return 0; }

  // The population column read as a population map (empty without one).
  const PopulationMap& populationColumn() const { return populations_; }

 private:
  struct Row {
    int line = 0;
    std::vector<std::string> words;
  };
  void readRows(Progress* progress);
  void addRow(const Row& row);
  void fixLocusCount(const Row& row);
  void matchMarkerNames(const Row& row);
  void checkNoEmptyColumn(const Row& row) const;
  void checkWidth(const Row& row) const;
  void startIndividual(const Row& row);
  void checkSecondRow(const Row& row) const;
  void storeAlleles(const Row& row, std::size_t individual, int copy);
  void storeAllele(const Row& row, std::size_t column, std::size_t slot, std::size_t locus);
  std::vector<int> alleleNumbers(std::size_t locus) const;
  std::uint16_t codeId(std::size_t locus, long code, const Row& row);
  long parseCode(const Row& row, std::size_t column, bool& missing) const;
  std::string at(int line) const;

  std::string path_;
  StructureLayout layout_;
  std::size_t leading_ = 1;
  std::size_t loci_ = 0;
  std::vector<std::string> markerNames_;
  int markerLine_ = 0;
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::size_t> indexOf_;
  std::vector<int> firstLines_;
  std::vector<int> rowsSeen_;
  PopulationMap populations_;
  // Per locus, the codes met in order of first appearance; the allele
  // stored for individual i, copy k at locus l is ids_[(i * loci + l) * 2 + k],
  // an index into those codes plus one, 0 for missing.
  std::vector<std::vector<long>> codes_;
  std::vector<std::uint16_t> ids_;
  std::size_t nextLocus_ = 0;
};

}  // namespace parmix::importer

#endif
