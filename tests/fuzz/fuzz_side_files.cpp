// libFuzzer target: the population map and the sample list of the genome
// path.  The input holds both: the map, a line "%%", then the sample list.
// The samples of the input file are the map's individuals.  Besides the
// sanitizers' findings, a crash is: a failure without a message naming one
// of the files, or an accepted selection that is empty, out of range or
// not in sample order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/errors.hpp"
#include "fuzz_support.hpp"
#include "input/panel_reader.hpp"
#include "input/population_map.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

void checkSelection(const std::vector<std::size_t>& kept, std::size_t names) {
  if (kept.empty()) violated("an accepted sample list that selects nobody");
  for (std::size_t k = 0; k < kept.size(); ++k) {
    if (kept[k] >= names) violated("a selected index out of range");
    if (k > 0 && kept[k] <= kept[k - 1]) violated("a selection out of sample order");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const std::vector<std::string> parts = parmix::fuzz::splitParts(data, size, 2);
  const std::string& listText = parts.size() > 1 ? parts[1] : std::string();
  const std::string map = ws.write("map.txt", reinterpret_cast<const std::uint8_t*>(parts[0].data()),
                                   parts[0].size());
  const std::string list = ws.write(
      "samples.txt", reinterpret_cast<const std::uint8_t*>(listText.data()), listText.size());
  try {
    const parmix::importer::PopulationMap read = parmix::importer::readPopulationMap(map);
    std::vector<std::string> names;
    for (const parmix::importer::MapEntry& entry : read.entries) {
      if (entry.individual.empty() || entry.population.empty()) violated("an empty map word");
      names.push_back(entry.individual);
    }
    parmix::genome::Selection selection;
    selection.samplesFile = list;
    checkSelection(parmix::genome::selectIndividuals(names, selection), names.size());
  } catch (const parmix::importer::InputError& error) {
    const std::string message = error.what();
    if (message.find(map) == std::string::npos && message.find(list) == std::string::npos)
      violated("a message that names neither file", message);
  }
  return 0;
}
