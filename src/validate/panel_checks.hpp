#ifndef PARMIX_GENOME_PARENTAL_CHECKS_ADAPTER_HPP
#define PARMIX_GENOME_PARENTAL_CHECKS_ADAPTER_HPP

// The analysis's own checks of the parental tables and of the study
// designations, run on a panel read from VCF, so that both paths mark the
// same loci; the notes name the sites where the text path names rows.  The
// checks place their messages in a Status; this adapter turns a failure
// into an exception.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "input/panel_reader.hpp"

namespace parmix::genome {

// Clears locusUsed of the loci the analysis leaves out and writes the notes
// to NOTES; then refuses a designation that neither parental table has.  Throws
// importer::InputError with the analysis's message, prefixed by INPUT.
void checkPanel(Panel& panel, const std::string& input, std::ostream& notes);

// The note on the sites left out, which a panel names by CHROM:POS where a
// parental file has rows: the sites NAMED, then a count of the rest of the
// TOTAL; nothing when TOTAL is 0.
void writeExcludedSitesNote(std::ostream& notes, const std::vector<std::string>& named,
                            std::size_t total);

}  // namespace parmix::genome

#endif
