// libFuzzer target: the parental file, read as the run reads it.  The input
// is the whole file.  Steps: keyword check, terminator, record count, allele
// scan, the tables at their final size, the reader, the parental checks.
// Besides the sanitizers' findings, an invariant of the reader's contract
// that does not hold is a crash: a failure without a message, or accepted
// tables holding a frequency outside [0, 1] or a locus type other than
// C, D or B.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.hpp"
#include "input/data_set.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "validate/parental_checks.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

void requireMessage(Workspace& ws, const char* step) {
  if (ws.result().empty()) violated("a failure without a message", step);
}

bool isFrequency(double f) { return f >= 0.0 && f <= 1.0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const std::string path = ws.write("parental.txt", data, size);
  Tcl_Interp* interp = ws.interp();
  Tcl_ResetResult(interp);

  if (parmix::checkFileType(path, "Parental", interp) != 0) {
    requireMessage(ws, "checkFileType");
    return 0;
  }
  parmix::DataSet d;
  d.parentalEol = parmix::detectLineTerminator(path);
  const int rows = parmix::findNumberRows(path, d.parentalEol);
  if (rows < 1) return 0;  // the run refuses a file without records
  d.nLoci = rows - 1;
  if (parmix::findMaxAlleles(path, d.nLoci, &d.maxAlleles, interp, d.parentalEol) != 0) {
    requireMessage(ws, "findMaxAlleles");
    return 0;
  }
  if (d.maxAlleles < 0) violated("negative maxAlleles");
  d.allocateTheRest();
  if (parmix::getParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                              d.maxAlleles, path, interp, d.parentalEol) != 0) {
    requireMessage(ws, "getParentalData");
    return 0;
  }
  std::ostringstream report;
  if (parmix::verifyParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                                 d.maxAlleles, interp, report) != 0) {
    requireMessage(ws, "verifyParentalData");
    return 0;
  }
  for (int i = 0; i < d.nLoci; ++i) {
    const char type = d.locusType[i];
    if (type != 'C' && type != 'D' && type != 'B') violated("an unknown locus type");
    if (type == 'B') continue;
    const int used = type == 'D' ? 1 : d.maxAlleles;
    for (int a = 0; a < used; ++a)
      if (!isFrequency(d.freqR.rows()[i][a]) || !isFrequency(d.freqS.rows()[i][a]))
        violated("an accepted frequency outside [0, 1]", std::to_string(i + 1));
  }
  return 0;
}
