#ifndef PARMIX_IMPORT_SITE_HPP
#define PARMIX_IMPORT_SITE_HPP

// What every input reader delivers: the sample names once, then one site
// (locus) after another in input order, with every sample's two alleles.

#include <cstdint>
#include <string>
#include <vector>

namespace parmix::importer {

// Allele numbers run from 1 to the site's allele count, as the individual
// file numbers them; 0 marks a missing allele.
constexpr int kMissingAllele = 0;

struct PopulationMap;

struct Site {
  std::string label;       // the locus name written before the record's '#'
  std::string where;       // the site's place in the input, for messages
  int alleleCount = 0;
  bool biallelicSnp = false;
  std::vector<int> alleles;  // two per sample, in sample order
  // Genotype likelihoods when the reader was asked for a field and the
  // record has it: alleleCount(alleleCount+1)/2 values per sample in VCF
  // order, as phred-scaled numbers (PL as written, GL times -10); a NaN
  // first value marks the sample's likelihoods missing.
  bool hasLikelihoods = false;
  std::vector<double> likelihoods;
};

class SiteSource {
 public:
  virtual ~SiteSource() = default;
  virtual const std::vector<std::string>& sampleNames() const = 0;
  // A source whose samples go by more than one name (a .fam's IID and
  // FID_IID) takes the form MAP uses; see PlinkReader.
  virtual void nameSamplesAfter(const PopulationMap& /*map*/) {}
  // Fills SITE with the next site; false at the end of the input.
  virtual bool next(Site& site) = 0;
  // How far the input has been read, and its size (0 when unknown), for
  // the progress indicator.
  virtual std::uint64_t bytesRead() const = 0;
  virtual std::uint64_t bytesTotal() const = 0;
  // What the reader let pass that a user should hear of, one line each.
  virtual std::vector<std::string> warnings() const { return {}; }
};

}  // namespace parmix::importer

#endif
