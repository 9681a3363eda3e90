// libFuzzer target: the PLINK reader.  The input holds the .fam, a line
// "%%", the .bim, a line "%%", then the .bed's bytes; a last part "%%" and
// a population map names the samples.  Besides the sanitizers' findings, a
// crash is: a failure whose message names none of the files, a site whose
// alleles are out of its range, reading past the .bed's size, or a panel
// (the map's first two populations the references, the others studied) that differs between the rows
// read straight into the store and the rows read as site records.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "input/errors.hpp"
#include "input/panel_reader.hpp"
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

// The panel read with ROWS, or the message of its failure.
struct PanelOutcome {
  std::string failure;
  std::vector<std::size_t> counts;
  std::vector<int> designations;
  std::vector<double> frequencies;
};

PanelOutcome panelOf(const std::string& prefix, const std::string& map,
                     const std::vector<std::string>& populations, parmix::genome::PlinkRows rows) {
  parmix::importer::Options options;
  options.format = parmix::importer::InputFormat::Plink;
  options.input = prefix;
  options.populationMap = map;
  options.populationR = populations[0];
  options.populationS = populations[1];
  PanelOutcome outcome;
  try {
    const parmix::genome::Panel panel =
        parmix::genome::readPanel(options, parmix::genome::Selection{}, nullptr, {}, true, rows);
    const parmix::CompactGenotypes& store = panel.genotypes;
    outcome.counts = {static_cast<std::size_t>(panel.sites), panel.tally.kept, panel.absent.size(),
                      static_cast<std::size_t>(panel.maxAlleles), store.storedBytes()};
    outcome.counts.insert(outcome.counts.end(), panel.tally.dropped.begin(),
                          panel.tally.dropped.end());
    std::vector<int> cells(2 * static_cast<std::size_t>(store.loci()));
    std::vector<int*> lines(static_cast<std::size_t>(store.loci()));
    for (std::size_t l = 0; l < lines.size(); ++l) lines[l] = cells.data() + 2 * l;
    for (int j = 0; j < store.individuals(); ++j) {
      store.layOutIndividual(j, lines.data(), -9);
      outcome.designations.insert(outcome.designations.end(), cells.begin(), cells.end());
    }
    for (int l = 0; l < store.loci(); ++l)
      for (int k = 0; k < panel.maxAlleles; ++k) {
        outcome.frequencies.push_back(panel.freqR.rows()[l][k]);
        outcome.frequencies.push_back(panel.freqS.rows()[l][k]);
      }
  } catch (const parmix::importer::InputError& error) {
    outcome.failure = error.what();
  }
  return outcome;
}

// The map's first two populations are the references, so that the inputs
// the fuzzer makes reach the panel; the others are studied.
void checkBothPaths(const std::string& prefix, const std::string& map,
                    const parmix::importer::PopulationMap& entries) {
  std::vector<std::string> populations;
  for (const auto& entry : entries.entries)
    if (populations.size() < 2 && (populations.empty() || populations[0] != entry.population))
      populations.push_back(entry.population);
  if (populations.size() < 2) return;
  const PanelOutcome direct = panelOf(prefix, map, populations, parmix::genome::PlinkRows::Direct);
  const PanelOutcome sites = panelOf(prefix, map, populations, parmix::genome::PlinkRows::AsSites);
  if (direct.failure != sites.failure) violated("the two row paths fail apart", direct.failure);
  if (direct.counts != sites.counts || direct.designations != sites.designations)
    violated("the two row paths give different panels");
  // Frequencies compared bit for bit: NaN only ever where both have it.
  if (direct.frequencies.size() != sites.frequencies.size() ||
      (!direct.frequencies.empty() &&
       std::memcmp(direct.frequencies.data(), sites.frequencies.data(),
                  direct.frequencies.size() * sizeof(double)) != 0))
    violated("the two row paths give different frequencies");
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
  parmix::importer::PopulationMap entries;
  try {
    parmix::importer::PlinkReader reader(prefix);
    entries = parmix::importer::readPopulationMap(map);
    reader.nameSamplesAfter(entries);
    const std::size_t samples = reader.sampleNames().size();
    for (parmix::importer::Site site; reader.next(site);) {
      checkSite(site, samples);
      if (reader.bytesRead() > reader.bytesTotal()) violated("a read past the .bed's end");
    }
  } catch (const parmix::importer::InputError& error) {
    const std::string message = error.what();
    if (message.find(prefix) == std::string::npos && message.find(map) == std::string::npos)
      violated("a message that names none of the files", message);
    return 0;
  }
  checkBothPaths(prefix, map, entries);
  return 0;
}
