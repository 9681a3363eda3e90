#include "input/population_map.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include "input/errors.hpp"
#include "input/input_file.hpp"
#include "input/status.hpp"

namespace parmix::importer {

namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> result;
  for (std::string word; in >> word;) result.push_back(word);
  return result;
}

std::string at(const std::string& path, int line) {
  return path + ", line " + std::to_string(line) + ": ";
}

// The population of every sample, empty for samples the map leaves out.
std::vector<std::string> populationsOfSamples(const PopulationMap& map,
                                              const std::vector<std::string>& samples,
                                              const std::string& inputPath) {
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < samples.size(); ++i) index.emplace(samples[i], i);
  std::vector<std::string> populations(samples.size());
  for (const MapEntry& entry : map.entries) {
    const auto found = index.find(entry.individual);
    if (found == index.end()) {
      throw InputError(at(map.source, entry.line) + "individual " + entry.individual +
                       " is not in " + inputPath);
    }
    populations[found->second] = entry.population;
  }
  return populations;
}

std::string knownPopulations(const std::vector<std::string>& populations) {
  std::set<std::string> names(populations.begin(), populations.end());
  names.erase("");
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + shortenedValue(name);
  return list.empty() ? "none" : list;
}

std::vector<std::size_t> membersOf(const std::vector<std::string>& populations,
                                   const std::string& population, const std::string& option,
                                   const std::string& source) {
  std::vector<std::size_t> members;
  for (std::size_t i = 0; i < populations.size(); ++i) {
    if (populations[i] == population) members.push_back(i);
  }
  if (members.empty()) {
    throw InputError("population " + shortenedValue(population) + " (" + option +
                     ") has no individual in " + source +
                     "; its populations are: " + knownPopulations(populations));
  }
  return members;
}

std::vector<std::size_t> studiedSamples(const std::vector<std::string>& populations,
                                        const RoleRequest& request, const std::string& source,
                                        const std::string& inputPath) {
  std::vector<std::size_t> study;
  if (request.study.empty()) {
    for (std::size_t i = 0; i < populations.size(); ++i) {
      if (populations[i] != request.populationR && populations[i] != request.populationS) {
        study.push_back(i);
      }
    }
    if (study.empty()) {
      throw InputError("every individual of " + inputPath +
                       " belongs to a reference sample: there is nobody to study");
    }
    return study;
  }
  for (const std::string& population : request.study) {
    const auto members = membersOf(populations, population, "--study", source);
    study.insert(study.end(), members.begin(), members.end());
  }
  std::sort(study.begin(), study.end());
  study.erase(std::unique(study.begin(), study.end()), study.end());
  return study;
}

}  // namespace

PopulationMap readPopulationMap(const std::string& path) {
  LineReader in(path, "population map");
  PopulationMap map{path, {}};
  std::map<std::string, int> lineOf;
  std::string text;
  while (in.next(text)) {
    const int line = in.line();
    const std::vector<std::string> parts = words(text);
    if (parts.empty() || parts[0][0] == '#') continue;
    if (parts.size() != 2) {
      throw InputError(at(path, line) + "expected an individual and its population, found " +
                       std::to_string(parts.size()) + (parts.size() == 1 ? " word" : " words"));
    }
    if (const auto [it, fresh] = lineOf.emplace(parts[0], line); !fresh) {
      throw InputError(at(path, line) + "individual " + parts[0] + " is already mapped on line " +
                       std::to_string(it->second));
    }
    map.entries.push_back({parts[0], parts[1], line});
  }
  return map;
}

SampleRoles assignRoles(const PopulationMap& map, const std::vector<std::string>& samples,
                        const std::string& inputPath, const RoleRequest& request) {
  const std::vector<std::string> populations = populationsOfSamples(map, samples, inputPath);
  SampleRoles roles;
  roles.r = membersOf(populations, request.populationR, "--r", map.source);
  roles.s = membersOf(populations, request.populationS, "--s", map.source);
  roles.study = studiedSamples(populations, request, map.source, inputPath);
  return roles;
}

}  // namespace parmix::importer
