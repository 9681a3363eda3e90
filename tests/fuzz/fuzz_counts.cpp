// libFuzzer target: the reference counts reader.  The input is the whole
// counts file.  Besides the sanitizers' findings, a crash is: a failure
// without a message naming the file, or accepted counts that break the
// reader's contract (no locus, R and S of different lengths, a dominant
// locus without two counts, a negative or non-finite count other than the
// seen-nowhere mark).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "input/record_writer.hpp"
#include "input/reference_counts.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

bool isCount(double value) {
  return value == parmix::kSeenNowhere || (std::isfinite(value) && value >= 0);
}

void checkRow(const parmix::LocusCounts& row) {
  if (row.r.size() != row.s.size() || row.r.empty()) violated("R and S of different lengths");
  if (row.type != 'C' && row.type != 'D') violated("a locus type other than C or D");
  if (row.type == 'D' && row.r.size() != 2) violated("a dominant locus without two counts");
  for (std::size_t a = 0; a < row.r.size(); ++a)
    if (!isCount(row.r[a]) || !isCount(row.s[a])) violated("an accepted count out of range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = Workspace::get().write("counts.tsv", data, size);
  try {
    const parmix::ReferenceCounts counts = parmix::readReferenceCounts(path);
    if (counts.loci.empty()) violated("counts accepted without a locus");
    if (!isCount(counts.pseudoCount) || counts.pseudoCount == parmix::kSeenNowhere)
      violated("a pseudo-count out of range");
    for (const parmix::LocusCounts& row : counts.loci) checkRow(row);
  } catch (const parmix::InputError& error) {
    if (std::string(error.what()).find(path) == std::string::npos)
      violated("a message that does not name the file", error.what());
  }
  return 0;
}
