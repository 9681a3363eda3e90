// libFuzzer target: the individual file, loaded as the run loads it (the
// data set loader) beside a parental file of as many records, then each
// individual's columns and the no-data test.  The input is the whole
// individual file.
//
// The parental file has maxAlleles 4 and repeats six loci: codominant with
// four alleles (allele 4 present in neither parent), dominant, codominant
// and dominant loci that the checks exclude, codominant with two alleles,
// and a dominant locus fixed in S.  So every layout and check of the
// reader runs.
//
// Invariants (a violation is a crash): a failure has a message and is not
// blamed on the parental file; accepted
// designations are the missing-data code or lie in 1..maxAlleles at a
// codominant locus and are at most maxAlleles elsewhere; a dominant
// layout's second column is always missing; the name column is as wide as
// the longest name.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.hpp"
#include "input/data_set.hpp"
#include "input/text_scan.hpp"
#include "validate/data_set_loader.hpp"
#include "validate/individual_checks.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

constexpr int kMaxAlleles = 4;

// The records of the parental side, repeated: D 0.75 gives the dominant
// allele 1 - sqrt(0.25) = 0.5.
const char* const kRecords[] = {
    "# C 0.5 0.3 0.2 0.0 0.1 0.1 0.8 0.0\n",
    "# D 0.75 0.19\n",
    "# C 0.5 0.5 0.5 0.5\n",
    "# D 0.51 0.51\n",
    "# C 1 0 0 1\n",
    "# D 0.75 0\n",
};
constexpr int kPattern = sizeof(kRecords) / sizeof(kRecords[0]);

std::string companionFor(const std::string& individual) {
  char eol = '\n';
  const int rows = parmix::findNumberRowsAndTerminator(individual, &eol);
  std::string text = "Parental #\n";
  for (int r = 1; r < rows; ++r) text += kRecords[(r - 1) % kPattern];
  return text;
}

void checkDesignations(parmix::DataSet& d) {
  for (const std::string& name : d.indNames)
    if (name.size() > d.nameWidth) violated("a name wider than its column");
  for (int i = 0; i < d.nLoci; ++i) {
    const char layout = d.locusType[i];
    const int* row = d.genotypes.rows()[i];
    for (int c = 0; c < d.nCols; ++c) {
      const int v = row[c];
      if (v == parmix::kMissing) continue;
      if (layout == 'D' && c % 2 == 1) violated("a dominant second column that is not missing");
      // Only a used codominant locus has a lower bound (the reader's contract).
      const int lowest = d.locusUsed[i] && layout == 'C' ? 1 : -2147483647 - 1;
      if (v < lowest || v > kMaxAlleles)
        violated("an accepted designation out of range", std::to_string(v));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const std::string individual = ws.write("individuals.txt", data, size);
  const std::string companion = companionFor(individual);
  const std::string parental = ws.write(
      "parental.txt", reinterpret_cast<const std::uint8_t*>(companion.data()), companion.size());

  parmix::DataSet d;
  parmix::Status status;
  std::ostringstream notes;
  if (parmix::loadDataSet({parental, individual}, d, parmix::fuzz::notesTo(notes), status) != 0) {
    if (status.message().empty()) violated("a failure without a message");
    if (status.fault() == parmix::Fault::kParental)
      violated("a failure blamed on the parental file", status.message());
    return 0;
  }
  if (d.nCols != 0 && d.nCols != 2 * d.nInd) violated("a width other than 0 or 2 nInd");
  checkDesignations(d);
  for (int col = 0; col < d.nCols; col += 2) {
    parmix::getGenotype(d.indGenotype.rows(), d.genotypes.rows(), d.nLoci, col);
    (void)parmix::genotypeNA(d.indGenotype.rows(), d.nLoci, d.nCols);
  }
  return 0;
}
