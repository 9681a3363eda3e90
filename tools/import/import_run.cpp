#include "import_run.hpp"

#include <cctype>
#include <memory>

#include "input/errors.hpp"
#include "validate/filters.hpp"
#include "input/plink_reader.hpp"
#include "input/population_map.hpp"
#include "run/progress.hpp"
#include "structure_reader.hpp"
#include "input/vcf_reader.hpp"
#include "input/writers.hpp"

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
  } else if (options.format == InputFormat::Plink) {
    input.source = std::make_unique<PlinkReader>(options.input);
  } else {
    Progress progress(messages, !options.quiet, "rows");
    auto structure =
        std::make_unique<StructureReader>(options.input, options.structure, &progress);
    progress.finish();
    input.map = structure->populationColumn();
    input.source = std::move(structure);
  }
  if (!options.populationMap.empty()) input.map = readPopulationMap(options.populationMap);
  input.source->nameSamplesAfter(input.map);
  return input;
}

// The individual file separates names by blanks, so a name holding one
// would turn into two individuals.
void checkWrittenNames(const std::vector<std::string>& names,
                       const std::vector<std::size_t>& samples, const std::string& path) {
  for (std::size_t i : samples) {
    for (char c : names[i]) {
      if (std::isspace(static_cast<unsigned char>(c))) {
        throw InputError("The sample name \"" + names[i] + "\" of " + path +
                         " holds a blank, which the individual file cannot hold");
      }
    }
  }
}

void checkWrittenNames(const std::vector<std::string>& names, const SampleRoles& roles,
                       const Options& options) {
  checkWrittenNames(names, roles.study, options.input);
  if (options.referenceFiles) {
    checkWrittenNames(names, roles.r, options.input);
    checkWrittenNames(names, roles.s, options.input);
  }
}

std::vector<std::string> namesOf(const std::vector<std::string>& names,
                                 const std::vector<std::size_t>& samples) {
  std::vector<std::string> chosen;
  for (std::size_t i : samples) chosen.push_back(names[i]);
  return chosen;
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
std::string referencePath(const Options& options, char letter) {
  return options.prefix + "." + letter + ".txt";
}

namespace {

// The files asked for besides the two that every import writes.
struct ExtraOutputs {
  std::unique_ptr<OutputFile> counts;
  std::unique_ptr<OutputFile> referenceR;
  std::unique_ptr<OutputFile> referenceS;
};

struct Outputs {
  OutputFile parental;
  OutputFile individuals;
  ExtraOutputs extra;
};

// The counts file may not take the place of another output: the import
// would write it and then write over it.
void checkCountsPath(const Options& options) {
  std::vector<std::string> others{parentalPath(options), individualPath(options)};
  if (options.referenceFiles) {
    others.push_back(referencePath(options, 'R'));
    others.push_back(referencePath(options, 'S'));
  }
  for (const std::string& other : others) {
    if (other == options.countsFile) {
      throw InputError("The counts file " + options.countsFile +
                       " is another output of the import; give it another name.");
    }
  }
}

ExtraOutputs openExtraOutputs(const Options& options, const std::vector<std::string>& names,
                              const SampleRoles& roles) {
  ExtraOutputs extra;
  if (!options.countsFile.empty()) {
    extra.counts = std::make_unique<OutputFile>(options.countsFile, "counts file");
    extra.counts->write(countsHeader(options.populationR, options.populationS,
                                     fileTail(parentalPath(options)), options.pseudoCount));
  }
  if (options.referenceFiles) {
    extra.referenceR = std::make_unique<OutputFile>(referencePath(options, 'R'), "reference file");
    extra.referenceS = std::make_unique<OutputFile>(referencePath(options, 'S'), "reference file");
    const std::string source = fileTail(options.input);
    extra.referenceR->write(
        referenceHeader('R', options.populationR, source, namesOf(names, roles.r)));
    extra.referenceS->write(
        referenceHeader('S', options.populationS, source, namesOf(names, roles.s)));
  }
  return extra;
}

// Every output the options ask for, named as messages name it.
std::vector<NamedPath> outputPaths(const Options& options) {
  std::vector<NamedPath> outputs{{"parental file", parentalPath(options)},
                                 {"individual file", individualPath(options)}};
  if (!options.countsFile.empty()) outputs.push_back({"counts file", options.countsFile});
  if (options.referenceFiles) {
    outputs.push_back({"reference file", referencePath(options, 'R')});
    outputs.push_back({"reference file", referencePath(options, 'S')});
  }
  return outputs;
}

// Every file with its header written; an output path that names an input
// is refused before anything is written.
std::unique_ptr<Outputs> openOutputs(const Options& options, const SiteSource& source,
                                     const SampleRoles& roles) {
  const std::vector<NamedPath> inputs{
      {options.format == InputFormat::Vcf ? "VCF file" : "STRUCTURE file", options.input},
      {"population map", options.populationMap}};
  if (!options.countsFile.empty()) checkCountsPath(options);
  refuseOutputClashes(outputPaths(options), inputs);
  auto outputs = std::unique_ptr<Outputs>(
      new Outputs{OutputFile(parentalPath(options), "parental file"),
                  OutputFile(individualPath(options), "individual file"), {}});
  outputs->parental.write(
      parentalHeader(options.populationR, options.populationS, options.pseudoCount));
  outputs->individuals.write(
      individualHeader(fileTail(options.input), namesOf(source.sampleNames(), roles.study)));
  outputs->extra = openExtraOutputs(options, source.sampleNames(), roles);
  return outputs;
}

// The kept site's lines in the files asked for besides the two.
void writeExtras(ExtraOutputs& extra, const Site& site, const SampleRoles& roles,
                 const Verdict& verdict, std::string& line) {
  if (extra.counts) extra.counts->write(countsRow(site.label, verdict.countsR, verdict.countsS));
  if (extra.referenceR) {
    individualRecord(site, roles.r, line);
    extra.referenceR->write(line);
    individualRecord(site, roles.s, line);
    extra.referenceS->write(line);
  }
}

void commitAll(Outputs& outputs) {
  outputs.parental.commit();
  outputs.individuals.commit();
  for (OutputFile* file : {outputs.extra.counts.get(), outputs.extra.referenceR.get(),
                           outputs.extra.referenceS.get()}) {
    if (file) file->commit();
  }
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
      writeExtras(outputs.extra, site, roles, verdict, line);
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

void printExtras(std::FILE* out, const Options& options) {
  if (!options.countsFile.empty()) {
    std::fprintf(out, "parmix-import: reference counts written to %s\n",
                 options.countsFile.c_str());
  }
  if (options.referenceFiles) {
    std::fprintf(out, "parmix-import: reference samples written to %s and %s\n",
                 referencePath(options, 'R').c_str(), referencePath(options, 'S').c_str());
  }
}

}  // namespace

void runImport(const Options& options, std::FILE* messages) {
  Input input = openInput(options, messages);
  const SiteSource& source = *input.source;
  const RoleRequest request{options.populationR, options.populationS, options.studyPopulations};
  const SampleRoles roles = assignRoles(input.map, source.sampleNames(), options.input, request);
  checkWrittenNames(source.sampleNames(), roles, options);
  const std::unique_ptr<Outputs> outputs = openOutputs(options, source, roles);
  const Tally tally = importSites(options, *input.source, roles, *outputs, messages);
  if (!options.quiet) printTally(messages, options, tally.sites, roles, tally.filters);
  if (tally.sites == 0) {
    throw InputError("File " + options.input + " holds no site; nothing was written.");
  }
  if (tally.filters.kept == 0) {
    throw InputError("No locus of " + options.input + " passed the filters; nothing was written.");
  }
  commitAll(*outputs);
  if (!options.quiet) {
    std::fprintf(messages, "parmix-import: %zu loci written to %s and %s\n", tally.filters.kept,
                 parentalPath(options).c_str(), individualPath(options).c_str());
    printExtras(messages, options);
  }
}

}  // namespace parmix::importer
