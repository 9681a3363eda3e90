// libFuzzer target: the VCF/BCF panel reader of the genome path with its
// population map.  The input holds the map, a line "%%", then the VCF or
// BCF data (plain or compressed); a map without the marker goes with the
// seed VCF below.  Reference samples are the map's populations "north" and
// "south"; genotype likelihoods (PL) are asked for when the map's first
// byte is odd.  Besides the sanitizers' findings, a crash is: a failure
// without a message naming the input or the map, or an accepted panel
// whose tables disagree with its tally or hold a frequency outside [0, 1].

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/errors.hpp"
#include "fuzz_support.hpp"
#include "input/panel_reader.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

constexpr char kSeedVcf[] =
    "##fileformat=VCFv4.2\n##contig=<ID=c>\n"
    "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
    "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\tb\tc\n"
    "c\t5\t.\tA\tG\t.\t.\t.\tGT\t0/0\t1/1\t0/1\n";

void checkPanel(parmix::genome::Panel& panel) {
  const int loci = static_cast<int>(panel.tally.kept);
  if (panel.freqR.rowCount() != loci || panel.genotypes.loci() != loci)
    violated("tables whose size is not the kept sites'");
  for (int i = 0; i < loci; ++i) {
    for (int a = 0; a < panel.maxAlleles; ++a) {
      const double r = panel.freqR.rows()[i][a], s = panel.freqS.rows()[i][a];
      if (!(r >= 0.0 && r <= 1.0 && s >= 0.0 && s <= 1.0)) violated("a frequency outside [0, 1]");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const std::vector<std::string> parts = parmix::fuzz::splitParts(data, size, 2);
  const std::string vcfText = parts.size() > 1 ? parts[1] : std::string(kSeedVcf);
  parmix::importer::Options options;
  options.populationMap = ws.write(
      "map.txt", reinterpret_cast<const std::uint8_t*>(parts[0].data()), parts[0].size());
  options.input = ws.write("calls.vcf", reinterpret_cast<const std::uint8_t*>(vcfText.data()),
                           vcfText.size());
  options.populationR = "north";
  options.populationS = "south";
  parmix::genome::Corrections corrections;
  if (size > 0 && (data[0] & 1) != 0) corrections.likelihoodField = "PL";
  try {
    parmix::genome::Panel panel = parmix::genome::readPanel(options, {}, {}, corrections);
    checkPanel(panel);
  } catch (const parmix::importer::InputError& error) {
    const std::string message = error.what();
    if (message.find(options.input) == std::string::npos &&
        message.find(options.populationMap) == std::string::npos &&
        message.find("population") == std::string::npos &&
        message.find("nobody to study") == std::string::npos)
      violated("a message that names neither file", message);
  }
  return 0;
}
