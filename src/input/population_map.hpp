#ifndef PARMIX_IMPORT_POPULATION_MAP_HPP
#define PARMIX_IMPORT_POPULATION_MAP_HPP

// The population map (individual -> population) and the roles it gives the
// samples of the input: reference sample of R, of S, studied, or unused.

#include <cstddef>
#include <string>
#include <vector>

namespace parmix::importer {

struct MapEntry {
  std::string individual;
  std::string population;
  int line = 0;  // where the entry stands, for messages
};

struct PopulationMap {
  std::string source;  // the file the entries come from
  std::vector<MapEntry> entries;
};

// Reads a map file: one 'individual population' pair per line, separated
// by blanks or tabs; blank lines and lines starting with '#' are skipped.
// Throws InputError for an unreadable file, a line of other than two words,
// or an individual named twice.
PopulationMap readPopulationMap(const std::string& path);

// Indices into the sample list, in sample order.
struct SampleRoles {
  std::vector<std::size_t> r;
  std::vector<std::size_t> s;
  std::vector<std::size_t> study;
};

struct RoleRequest {
  std::string populationR;
  std::string populationS;
  std::vector<std::string> study;  // empty: everyone outside R and S
};

// Gives each sample its role.  Throws InputError when the map names an
// individual that the input (INPUT_PATH) lacks, when a population asked
// for has no individual, or when nobody is left to study.
SampleRoles assignRoles(const PopulationMap& map, const std::vector<std::string>& samples,
                        const std::string& inputPath, const RoleRequest& request);

}  // namespace parmix::importer

#endif
