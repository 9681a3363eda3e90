#ifndef PARMIX_SIM_PLINK_WRITER_HPP
#define PARMIX_SIM_PLINK_WRITER_HPP

// The simulated data set as PLINK 1 binary files (OUT.bed variant-major,
// OUT.bim, OUT.fam), beside the text files and the VCF: the VCF's samples
// in the same order with the same genotypes, written locus by locus.
// Alleles are coded so that plink's VCF export of the files (keeping the
// .bim's allele order) is the simulator's VCF: allele 1 ("A", REF) is A2,
// allele 2 ("C", ALT) is A1.  A sample's FID is
// its population (R, S or study), its IID its name, as the population map
// names it.

#include <memory>
#include <string>
#include <vector>

#include "input/output_file.hpp"
#include "reference_samples.hpp"
#include "simulation.hpp"

namespace parmix::sim {

// The .bed code of a biallelic genotype: 00 two A1, 01 missing, 10 one of
// each, 11 two A2.
inline unsigned bedCode(const Designation& d) {
  if (d.missing) return 1;
  const int a1 = (d.first == 2) + (d.second == 2);  // copies of allele 2, the A1
  return a1 == 0 ? 3u : a1 == 1 ? 2u : 0u;
}

class PlinkOutput {
 public:
  // Opens the three files and writes the .fam and the .bed's magic bytes;
  // unopened() names a file that could not be opened.
  PlinkOutput(const std::string& prefix, const Options& options,
              const std::vector<Individual>& individuals);
  PlinkOutput(const PlinkOutput&) = delete;
  PlinkOutput& operator=(const PlinkOutput&) = delete;

  std::string unopened() const;
  // One biallelic locus: the reference samples, then the study individuals.
  void writeLocus(int index, const std::string& name, const ReferenceSamples& references,
                  const std::vector<Designation>& study);
  // Puts the files in place; the first that could not be written whole, or
  // "" (files not put in place leave what was there before).
  std::string close();

 private:
  struct File {
    std::string path;
    std::unique_ptr<parmix::OutputFile> out;  // null where it could not be opened
  };
  void put(File& file, const void* data, std::size_t size);
  void addCodes(const std::vector<Designation>& designations);

  File bed_, bim_, fam_;
  std::vector<unsigned char> row_;
  std::size_t filled_ = 0;  // samples of the row coded so far
  unsigned pending_ = 0;    // the codes of the byte being filled
};

}  // namespace parmix::sim

#endif
