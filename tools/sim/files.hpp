#ifndef PARMIX_SIM_FILES_HPP
#define PARMIX_SIM_FILES_HPP

// The three files of a simulated data set, written in the formats parmix
// reads.  Every number is printed from integers, so the text is the same
// on every machine.

#include <memory>
#include <string>
#include <vector>

#include "input/output_file.hpp"
#include "input/record_writer.hpp"
#include "simulation.hpp"

namespace parmix::sim {

// An output file through the one writer of outputs (a regular file written
// whole or not at all); remembers whether any write failed.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();  // a file never closed leaves no trace
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  void write(const std::string& text);
  // Flushes, closes and puts the file in place; false when anything could
  // not be written.
  bool close();

 private:
  std::unique_ptr<parmix::OutputFile> file_;
};

// A frequency of kScale units as a decimal: 2500 -> "0.2500".
std::string formatFrequency(int units);
// The dominant phenotype's frequency 1 - (1 - p)^2 for a dominant allele
// frequency p in 1/kScale, exactly, with 8 decimals.
std::string formatPhenotypeFrequency(int alleleUnits);
// h in millionths with 6 decimals: 750000 -> "0.750000".
std::string formatMillionths(int millionths);

std::string parentalHeader(const Options& options);
std::string parentalLine(const std::string& name, const Locus& locus);
std::string individualHeader(const Options& options, const std::vector<Individual>& individuals);
// Appends the text of one designation ("1/2", "NA/NA", "1", "0", "NA").
void appendDesignation(std::string& line, const Locus& locus, const Designation& d);
std::string truthLine(const Individual& individual);

}  // namespace parmix::sim

#endif
