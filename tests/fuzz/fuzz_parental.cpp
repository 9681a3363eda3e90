// libFuzzer target: the parental file, loaded as the run loads it (the
// data set loader), beside an individual file of as many records, all
// empty.  The input is the whole parental file.
// Besides the sanitizers' findings, an invariant of the reader's contract
// that does not hold is a crash: a failure without a message or blamed on
// another file than the parental one, or accepted
// tables holding a frequency outside [0, 1] or a locus type other than
// C, D or B.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.hpp"
#include "input/data_set.hpp"
#include "input/text_scan.hpp"
#include "validate/data_set_loader.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

bool isFrequency(double f) { return f >= 0.0 && f <= 1.0; }

// An individual file without individuals and with the parental file's
// record count, so that every failure is the parental file's.
std::string companionFor(const std::string& parental) {
  char eol = '\n';
  const int rows = parmix::findNumberRowsAndTerminator(parental, &eol);
  std::string text = "Individual #\n";
  for (int r = 1; r < rows; ++r) text += "#\n";
  return text;
}

void checkTables(parmix::DataSet& d) {
  for (int i = 0; i < d.nLoci; ++i) {
    const char type = d.locusType[i];
    if (type != 'C' && type != 'D') violated("a locus type other than as read");
    if (!d.locusUsed[i]) continue;
    const int used = type == 'D' ? 1 : d.maxAlleles;
    for (int a = 0; a < used; ++a)
      if (!isFrequency(d.freqR.rows()[i][a]) || !isFrequency(d.freqS.rows()[i][a]))
        violated("an accepted frequency outside [0, 1]", std::to_string(i + 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const std::string parental = ws.write("parental.txt", data, size);
  const std::string companion = companionFor(parental);
  const std::string individual = ws.write(
      "individuals.txt", reinterpret_cast<const std::uint8_t*>(companion.data()), companion.size());

  parmix::DataSet d;
  parmix::Status status;
  std::ostringstream notes;
  if (parmix::loadDataSet({parental, individual}, d, parmix::fuzz::notesTo(notes), status) != 0) {
    if (status.message().empty()) violated("a failure without a message");
    if (status.fault() == parmix::Fault::kIndividual)
      violated("a failure blamed on the individual file", status.message());
    return 0;
  }
  if (d.maxAlleles < 0) violated("negative maxAlleles");
  checkTables(d);
  return 0;
}
