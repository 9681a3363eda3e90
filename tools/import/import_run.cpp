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

Input openInput(const Options& options, std::FILE* messages) {
  Input input;
  if (options.format == InputFormat::Vcf) {
    input.source = std::make_unique<VcfReader>(options.input);
  } else {
    Progress progress(messages, !options.quiet, "rows");
    auto structure =
        std::make_unique<StructureReader>(options.input, options.structure, &progress);
    progress.finish();
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

// What was read and what each filter dropped.
void printTally(std::FILE* out, const Options& options, std::size_t sites,
                const SampleRoles& roles, const FilterTally& tally) {
  std::fprintf(out,
               "parmix-import: %zu sites read from %s; %zu individuals in R, %zu in S, "
               "%zu studied\n",
               sites, options.input.c_str(), roles.r.size(), roles.s.size(), roles.study.size());
  for (const std::string& line : tallyLines(tally, options.filters, options.pseudoCount)) {
    std::fprintf(out, "  %s\n", line.c_str());
  }
}

}  // namespace

std::string parentalPath(const Options& options) { return options.prefix + ".parental.txt"; }
std::string individualPath(const Options& options) { return options.prefix + ".individuals.txt"; }

namespace {

struct Outputs {
  OutputFile parental;
  OutputFile individuals;
};

// Both files with their headers written; an output path that names an
// input is refused before anything is written.
std::unique_ptr<Outputs> openOutputs(const Options& options, const SiteSource& source,
                                     const SampleRoles& roles) {
  std::vector<std::string> inputs{options.input};
  if (!options.populationMap.empty()) inputs.push_back(options.populationMap);
  auto outputs = std::unique_ptr<Outputs>(
      new Outputs{{parentalPath(options), inputs}, {individualPath(options), inputs}});
  outputs->parental.write(
      parentalHeader(options.populationR, options.populationS, options.pseudoCount));
  outputs->individuals.write(
      individualHeader(fileTail(options.input), studiedNames(source.sampleNames(), roles)));
  return outputs;
}

struct Tally {
  std::size_t sites = 0;
  FilterTally filters;
};

// Judges every site and writes the kept ones to both files.
Tally importSites(const Options& options, SiteSource& source, const SampleRoles& roles,
                  Outputs& outputs, std::FILE* messages) {
  const std::vector<std::size_t> used = usedSamples(roles);
  const FilterContext context{options.filters, options.pseudoCount, roles, used};
  Tally tally;
  Progress progress(messages, !options.quiet, "sites");
  Site site;
  std::string line;
  while (source.next(site)) {
    ++tally.sites;
    const Verdict verdict = judgeSite(site, context);
    tally.filters.add(verdict);
    if (verdict.kept) {
      outputs.parental.write(
          parentalRecord(site.label, verdict.frequenciesR, verdict.frequenciesS));
      individualRecord(site, roles.study, line);
      outputs.individuals.write(line);
    }
    progress.update(tally.sites, source.bytesRead(), source.bytesTotal());
  }
  progress.finish();
  if (!options.quiet) {
    for (const std::string& text : source.warnings())
      std::fprintf(messages, "parmix-import: warning: %s\n", text.c_str());
  }
  return tally;
}

}  // namespace

void runImport(const Options& options, std::FILE* messages) {
  Input input = openInput(options, messages);
  const SiteSource& source = *input.source;
  const RoleRequest request{options.populationR, options.populationS, options.studyPopulations};
  const SampleRoles roles = assignRoles(input.map, source.sampleNames(), options.input, request);
  checkStudiedNames(source.sampleNames(), roles, options.input);
  const std::unique_ptr<Outputs> outputs = openOutputs(options, source, roles);
  const Tally tally = importSites(options, *input.source, roles, *outputs, messages);
  if (!options.quiet) printTally(messages, options, tally.sites, roles, tally.filters);
  if (tally.sites == 0) {
    throw InputError("File " + options.input + " holds no site; nothing was written.");
  }
  if (tally.filters.kept == 0) {
    throw InputError("No locus of " + options.input + " passed the filters; nothing was written.");
  }
  outputs->parental.commit();
  outputs->individuals.commit();
  if (!options.quiet) {
    std::fprintf(messages, "parmix-import: %zu loci written to %s and %s\n", tally.filters.kept,
                 parentalPath(options).c_str(), individualPath(options).c_str());
  }
}

}  // namespace parmix::importer
