// libFuzzer target: the individual file, read as the run reads it, against
// a fixed parental side.  The input is the whole file.  Steps: keyword
// check, terminator, record count, column scan, the genotype matrix, the
// reader, the designation checks, then each individual's columns and the
// no-data test.
//
// The parental side has maxAlleles 4 and repeats six loci: codominant with
// three alleles (allele 4 exists in neither parent), dominant, excluded
// ('B') codominant, excluded dominant, codominant with two alleles, and a
// dominant locus fixed in S.  So every layout and check of the reader runs.
//
// Invariants (a violation is a crash): a failure has a message; accepted
// designations are the missing-data code or lie in 1..maxAlleles at a
// codominant locus and are at most maxAlleles elsewhere; a dominant
// layout's second column is always missing; the name column is as wide as
// the longest name.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "input/data_set.hpp"
#include "input/individual_file.hpp"
#include "input/text_scan.hpp"
#include "validate/individual_checks.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

constexpr int kMaxAlleles = 4;

struct ParentalLocus {
  char type;        // as the parental checks leave it
  char typeInFile;  // as the parental file gives it
  double r[kMaxAlleles];
  double s[kMaxAlleles];
};

const ParentalLocus kLoci[] = {
    {'C', 'C', {0.5, 0.3, 0.2, 0.0}, {0.1, 0.1, 0.8, 0.0}},
    {'D', 'D', {0.5, 0.0, 0.0, 0.0}, {0.1, 0.0, 0.0, 0.0}},
    {'B', 'C', {0.5, 0.5, 0.0, 0.0}, {0.5, 0.5, 0.0, 0.0}},
    {'B', 'D', {0.3, 0.0, 0.0, 0.0}, {0.3, 0.0, 0.0, 0.0}},
    {'C', 'C', {1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}},
    {'D', 'D', {0.5, 0.0, 0.0, 0.0}, {0.0, 0.0, 0.0, 0.0}},
};
constexpr int kPattern = sizeof(kLoci) / sizeof(kLoci[0]);

void requireMessage(Workspace& ws, const char* step) {
  if (ws.result().empty()) violated("a failure without a message", step);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const std::string path = ws.write("individuals.txt", data, size);
  Tcl_Interp* interp = ws.interp();
  Tcl_ResetResult(interp);

  if (parmix::checkFileType(path, "Individual", interp) != 0) {
    requireMessage(ws, "checkFileType");
    return 0;
  }
  parmix::DataSet d;
  d.individualEol = parmix::detectLineTerminator(path);
  const int rows = parmix::findNumberRows(path, d.individualEol);
  if (rows < 1) return 0;  // the run refuses a file without records
  d.nLoci = rows - 1;
  if (parmix::findNumberColumns(path, &d.nInd, &d.nCols, interp, d.individualEol) != 0) {
    requireMessage(ws, "findNumberColumns");
    return 0;
  }
  if (d.nCols != 0 && d.nCols != 2 * d.nInd) violated("a width other than 0 or 2 nInd");
  d.allocateGenotypes();
  d.maxAlleles = kMaxAlleles;
  d.allocateTheRest();
  for (int i = 0; i < d.nLoci; ++i) {
    const ParentalLocus& locus = kLoci[i % kPattern];
    d.locusType[i] = locus.type;
    d.typeInFile[i] = locus.typeInFile;
    for (int a = 0; a < kMaxAlleles; ++a) {
      d.freqR.rows()[i][a] = locus.r[a];
      d.freqS.rows()[i][a] = locus.s[a];
    }
  }
  d.nameWidth = 10;
  if (parmix::getIndData(d.genotypes.rows(), d.indNames.data(), path, d.nLoci, d.nCols, d.nInd,
                         d.maxAlleles, d.locusType.data(), &d.nameWidth, interp,
                         d.individualEol, d.typeInFile.data()) != 0) {
    requireMessage(ws, "getIndData");
    return 0;
  }
  for (const std::string& name : d.indNames)
    if (name.size() > d.nameWidth) violated("a name wider than its column");
  for (int i = 0; i < d.nLoci; ++i) {
    const char layout = d.typeInFile[i];
    const int* row = d.genotypes.rows()[i];
    for (int c = 0; c < d.nCols; ++c) {
      const int v = row[c];
      if (v == parmix::kMissing) continue;
      if (layout == 'D' && c % 2 == 1) violated("a dominant second column that is not missing");
      // Only a codominant locus has a lower bound (the reader's contract).
      const int lowest = d.locusType[i] == 'C' ? 1 : -2147483647 - 1;
      if (v < lowest || v > kMaxAlleles)
        violated("an accepted designation out of range", std::to_string(v));
    }
  }
  if (parmix::verifyIndData(d.genotypes.rows(), d.freqR.rows(), d.freqS.rows(),
                            d.locusType.data(), d.nLoci, d.nCols, interp) != 0) {
    requireMessage(ws, "verifyIndData");
    return 0;
  }
  for (int col = 0; col < d.nCols; col += 2) {
    parmix::getGenotype(d.indGenotype.rows(), d.genotypes.rows(), d.nLoci, col);
    (void)parmix::genotypeNA(d.indGenotype.rows(), d.nLoci, d.nCols);
  }
  return 0;
}
