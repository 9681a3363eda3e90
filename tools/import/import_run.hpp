#ifndef PARMIX_IMPORT_IMPORT_RUN_HPP
#define PARMIX_IMPORT_IMPORT_RUN_HPP

// One import from start to end: read the input and the population map,
// give the samples their roles, judge every site, write both files (and,
// when asked, the reference counts and the reference samples) and report
// what was kept and dropped.

#include <cstdio>
#include <string>

#include "input/options.hpp"

namespace parmix::importer {

std::string parentalPath(const Options& options);
std::string individualPath(const Options& options);
// OUT.R.txt or OUT.S.txt, the reference sample LETTER as an individual file.
std::string referencePath(const Options& options, char letter);

// Runs the import; the summary and the progress go to MESSAGES unless the
// options ask for quiet.  Throws InputError when anything fails; nothing is
// written then.
void runImport(const Options& options, std::FILE* messages);

}  // namespace parmix::importer

#endif
