#ifndef PARMIX_SIM_PEDIGREE_RUN_HPP
#define PARMIX_SIM_PEDIGREE_RUN_HPP

#include "options.hpp"

namespace parmix::sim {

// Writes the three files of a data set of individuals of known pedigree
// (--pedigree): the parental file, the individual file and the truth file
// with every individual's realised h and het.  Returns the program's exit
// status; messages go to the standard error stream.
int simulatePedigree(const Options& options);

}  // namespace parmix::sim

#endif
