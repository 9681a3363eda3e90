#ifndef PARMIX_SIM_VCF_WRITER_HPP
#define PARMIX_SIM_VCF_WRITER_HPP

// The simulated data set as a bgzip-compressed VCF (written through htslib's
// BGZF, so tabix and every VCF reader take it) with its population map:
// reference samples of both parental populations, then the study
// individuals with the very genotypes of the individual file.  Written
// locus by locus, so no matrix is ever held, whatever the size.
//
// The reference samples are those of reference_samples.hpp, drawn on a
// random stream of their own, so asking for the VCF leaves the text files
// exactly as they would be.

#include <htslib/bgzf.h>

#include <memory>
#include <string>
#include <vector>

#include "draws/random.hpp"
#include "input/output_file.hpp"
#include "reference_samples.hpp"
#include "simulation.hpp"

namespace parmix::sim {

// The VCF allele of allele number K (from 1): A, C, G, T, then longer
// sequences, so any allele count has distinct alleles.
std::string vcfAllele(int k);
// One VCF genotype ("0/1", "./."), given allele numbers from 1.
void appendVcfGenotype(std::string& line, const Designation& d);

class VcfOutput {
 public:
  // Opens OUT.vcf.gz and writes its header; isOpen() tells whether it could.
  VcfOutput(const std::string& prefix, const Options& options,
            const std::vector<Individual>& individuals);
  VcfOutput(const VcfOutput&) = delete;
  VcfOutput& operator=(const VcfOutput&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }

  // One codominant locus: the reference samples' genotypes as drawn there,
  // then the study individuals' STUDY (in individual order).
  void writeLocus(int index, const std::string& name, const Locus& locus,
                  const ReferenceSamples& references, const std::vector<Designation>& study);

  // Finishes the BGZF stream; false when anything could not be written.
  bool close();

 private:
  struct Closer {
    void operator()(BGZF* f) const { bgzf_close(f); }
  };
  void write(const std::string& text);

  std::string path_;
  std::unique_ptr<parmix::OutputFile> out_;  // the one writer's file BGZF writes on
  std::unique_ptr<BGZF, Closer> file_;
  void appendGenotype(const Designation& d);
  Random reads_;
  double depth_;
  double error_;
  int references_;
  std::string line_;
  bool failed_ = false;
};

// The population map: every reference sample with R or S, every study
// individual with "study".  False when it could not be written.
bool writePopulationMap(const std::string& path, int references,
                        const std::vector<Individual>& individuals);

}  // namespace parmix::sim

#endif
