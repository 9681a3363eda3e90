#include "import_run.hpp"

#include <cctype>
#include <memory>

#include "errors.hpp"
#include "filters.hpp"
#include "population_map.hpp"
#include "progress.hpp"
#include "structure_reader.hpp"
#include "vcf_reader.hpp"
#include "writers.hpp"

namespace parmix::importer {

namespace {

struct Input {
  std::unique_ptr<SiteSource> source;
  PopulationMap map;
};

Input openInput(const Options& options) {
  Input input;
  if (options.format == InputFormat::Vcf) {
    input.source = std::make_unique<VcfReader>(options.input);
  } else {
    auto structure = std::make_unique<StructureReader>(options.input, options.structure);
    input.map = structure->populationColumn();
    input.source = std::move(structure);
  }
  if (!options.populationMap.empty()) input.map = readPopulationMap(options.populationMap);
  return input;
}

// The individual file separates names by blanks, so a name holding one
// would turn into two individuals.
void checkStudiedNames(const std::vector<std::string>& names, const SampleRoles& roles,
                       const std::string& path) {
  for (std::size_t i : roles.study) {
    for (char c : names[i]) {
      if (std::isspace(static_cast<unsigned char>(c))) {
        throw InputError("The sample name \"" + names[i] + "\" of " + path +
                         " holds a blank, which the individual file cannot hold");
      }
    }
  }
}

std::vector<std::string> studiedNames(const std::vector<std::string>& names,
                                      const SampleRoles& roles) {
  std::vector<std::string> studied;
  for (std::size_t i : roles.study) studied.push_back(names[i]);
  return studied;
}

std::string fileTail(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void printSummary(std::FILE* out, const Options& options, std::size_t sites,
                  const SampleRoles& roles, const FilterTally& tally) {
  std::fprintf(out, "parmix-import: %zu sites read from %s; %zu individuals in R, %zu in S, %zu studied\n",
               sites, options.input.c_str(), roles.r.size(), roles.s.size(), roles.study.size());
  for (const std::string& line : tallyLines(tally, options.filters, options.pseudoCount)) {
    std::fprintf(out, "  %s\n", line.c_str());
  }
  std::fprintf(out, "parmix-import: %zu loci written to %s and %s\n", tally.kept,
               parentalPath(options).c_str(), individualPath(options).c_str());
}

}  // namespace

std::string parentalPath(const Options& options) { return options.prefix + ".parental.txt"; }
std::string individualPath(const Options& options) { return options.prefix + ".individuals.txt"; }

void runImport(const Options& options, std::FILE* messages) {
  Input input = openInput(options);
  SiteSource& source = *input.source;
  const RoleRequest request{options.populationR, options.populationS, options.studyPopulations};
  const SampleRoles roles = assignRoles(input.map, source.sampleNames(), options.input, request);
  checkStudiedNames(source.sampleNames(), roles, options.input);

  std::vector<std::string> inputs{options.input};
  if (!options.populationMap.empty()) inputs.push_back(options.populationMap);
  OutputFile parental(parentalPath(options), inputs);
  OutputFile individuals(individualPath(options), inputs);
  parental.write(parentalHeader(options.populationR, options.populationS, options.pseudoCount));
  individuals.write(individualHeader(fileTail(options.input), studiedNames(source.sampleNames(), roles)));

  const std::vector<std::size_t> used = usedSamples(roles);
  const FilterContext context{options.filters, options.pseudoCount, roles, used};
  FilterTally tally;
  Progress progress(messages, !options.quiet);
  Site site;
  std::string line;
  std::size_t sites = 0;
  while (source.next(site)) {
    ++sites;
    const Verdict verdict = judgeSite(site, context);
    tally.add(verdict);
    if (verdict.kept) {
      parental.write(parentalRecord(site.label, verdict.frequenciesR, verdict.frequenciesS));
      individualRecord(site, roles.study, line);
      individuals.write(line);
    }
    progress.update(sites, source.bytesRead(), source.bytesTotal());
  }
  progress.finish();
  if (tally.kept == 0) {
    if (!options.quiet) printSummary(messages, options, sites, roles, tally);
    throw InputError("No locus of " + options.input + " passed the filters; nothing was written.");
  }
  parental.commit();
  individuals.commit();
  if (!options.quiet) printSummary(messages, options, sites, roles, tally);
}

}  // namespace parmix::importer
