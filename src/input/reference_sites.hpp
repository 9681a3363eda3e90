#ifndef PARMIX_GENOME_REFERENCE_SITES_HPP
#define PARMIX_GENOME_REFERENCE_SITES_HPP

// A kept site's parental side for the corrected analysis: each reference
// population's frequencies, from its samples' genotype likelihoods by the
// EM of model/gl_frequencies.hpp (where the record has them and the run
// asks for them) or counted from the calls as the importer counts them,
// and, with the reference-uncertainty correction, the Dirichlet posterior
// of those counts plus the pseudo-count.

#include <string>
#include <vector>

#include "model/gl_likelihood.hpp"
#include "input/population_map.hpp"
#include "model/corrections.hpp"
#include "input/site.hpp"

namespace parmix::genome {

using parmix::Corrections;

// The site's moments.  ROWR and ROWS hold on entry the frequencies the
// importer counted (as the parental file carries them) and are replaced by
// the EM's when the EM gives the frequencies.
SiteGenotypes referenceSite(const importer::Site& site, const importer::SampleRoles& roles,
                            const Corrections& corrections, double pseudoCount,
                            std::vector<double>& rowR, std::vector<double>& rowS);

}  // namespace parmix::genome

#endif
