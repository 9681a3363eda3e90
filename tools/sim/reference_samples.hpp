#ifndef PARMIX_SIM_REFERENCE_SAMPLES_HPP
#define PARMIX_SIM_REFERENCE_SAMPLES_HPP

// Reference samples of both parental populations: pure individuals drawn
// locus by locus from the true parental frequencies, on a random stream of
// their own, so that asking for them leaves the other files exactly as
// they would be.  The VCF holds them beside the study individuals; the
// reference files hold them in the individual-file format, from which
// `parmix --parental-from` counts a parental file.  Both hold the same
// samples.

#include <cstdint>
#include <string>
#include <vector>

#include "files.hpp"
#include "draws/random.hpp"
#include "simulation.hpp"

namespace parmix::sim {

class ReferenceSamples {
 public:
  ReferenceSamples(std::uint64_t seed, int perPopulation, double missingShare);

  // Draws every sample's designation at LOCUS: R's samples, then S's.
  void draw(const Locus& locus, const std::vector<int>& cumR, const std::vector<int>& cumS);
  // The last locus drawn, for population R (ofR) or S.
  const std::vector<Designation>& of(bool ofR) const { return ofR ? r_ : s_; }
  int perPopulation() const { return perPopulation_; }

 private:
  Random random_;
  int perPopulation_;
  double missingShare_;
  std::vector<Designation> r_, s_;
};

// "refR1" ... and "refS1" ...: the reference samples' names.
std::string referenceName(bool ofR, int number);

// OUT.R.txt and OUT.S.txt: each population's samples as an individual file.
class ReferenceFiles {
 public:
  ReferenceFiles(const std::string& prefix, const Options& options);

  // The path of a file that could not be opened; empty when both are open.
  std::string unopened() const;
  void writeLocus(const std::string& name, const Locus& locus, const ReferenceSamples& samples);
  // The path of a file that could not be written completely; empty when
  // both are in place.
  std::string close();

 private:
  std::string paths_[2];
  OutputFile files_[2];
  std::string line_;
};

}  // namespace parmix::sim

#endif
