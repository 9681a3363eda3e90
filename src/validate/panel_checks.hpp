#ifndef PARMIX_GENOME_PARENTAL_CHECKS_ADAPTER_HPP
#define PARMIX_GENOME_PARENTAL_CHECKS_ADAPTER_HPP

// The analysis's own checks of the parental tables and of the study
// designations, run on a panel read from VCF, so that both paths mark the
// same loci and write the same notes.  The checks place their messages in
// an interpreter; this adapter keeps one for them and turns a failure into
// an exception.

#include <ostream>

#include "input/panel_reader.hpp"

namespace parmix::genome {

// Clears locusUsed of the loci the analysis leaves out and writes the notes
// to NOTES; then refuses a designation that neither parental table has.  Throws
// importer::InputError with the analysis's message, prefixed by INPUT.
void checkPanel(Panel& panel, const std::string& input, std::ostream& notes);

}  // namespace parmix::genome

#endif
