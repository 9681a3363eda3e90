// libFuzzer target: the PLINK reader.  The input holds the .fam, a line
// "%%", the .bim, a line "%%", then the .bed's bytes; a last part "%%" and
// a population map names the samples.  Besides the sanitizers' findings, a
// crash is: a failure whose message names none of the files, a site whose
// alleles are out of its range, or reading past the .bed's size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "input/errors.hpp"
#include "input/plink_reader.hpp"
#include "input/population_map.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

const std::uint8_t* bytesOf(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

void checkSite(const parmix::importer::Site& site, std::size_t samples) {
  if (site.alleles.size() != 2 * samples) violated("a site without two alleles a sample");
  for (int allele : site.alleles)
    if (allele < 0 || allele > site.alleleCount) violated("an allele out of the site's range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  std::vector<std::string> parts = parmix::fuzz::splitParts(data, size, 4);
  parts.resize(4);
  ws.write("set.fam", bytesOf(parts[0]), parts[0].size());
  ws.write("set.bim", bytesOf(parts[1]), parts[1].size());
  const std::string bed = ws.write("set.bed", bytesOf(parts[2]), parts[2].size());
  const std::string map = ws.write("map.txt", bytesOf(parts[3]), parts[3].size());
  const std::string prefix = bed.substr(0, bed.size() - 4);
  try {
    parmix::importer::PlinkReader reader(prefix);
    reader.nameSamplesAfter(parmix::importer::readPopulationMap(map));
    const std::size_t samples = reader.sampleNames().size();
    for (parmix::importer::Site site; reader.next(site);) {
      checkSite(site, samples);
      if (reader.bytesRead() > reader.bytesTotal()) violated("a read past the .bed's end");
    }
  } catch (const parmix::importer::InputError& error) {
    const std::string message = error.what();
    if (message.find(prefix) == std::string::npos && message.find(map) == std::string::npos)
      violated("a message that names none of the files", message);
  }
  return 0;
}
