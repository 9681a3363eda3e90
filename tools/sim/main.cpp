// parmix-sim: writes a simulated data set (parental file, individual file
// and the true hybrid indices) for benchmarks and power studies.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "files.hpp"
#include "options.hpp"
#include "pedigree_run.hpp"
#include "plink_writer.hpp"
#include "draws/random.hpp"
#include "reference_samples.hpp"
#include "simulation.hpp"
#include "vcf_writer.hpp"

namespace {

using namespace parmix::sim;

// The files written locus by locus, and the reference samples behind the
// VCF and the reference files (null when neither is asked for).
struct LocusOutputs {
  OutputFile& parental;
  OutputFile& sample;
  VcfOutput* vcf;
  PlinkOutput* plink;
  ReferenceSamples* references;
  ReferenceFiles* referenceFiles;
};

// One locus: its parental record and every individual's designations.
void simulateLocus(Random& random, const Options& options, int index, bool dominant,
                   const std::vector<Individual>& individuals, LocusOutputs& out,
                   std::string& line, std::vector<Designation>& drawn) {
  const int alleles = dominant ? 2 : drawAlleleCount(random, options);
  const Locus locus = drawLocus(random, dominant, alleles, options.differentiation);
  const std::string name = locusName(index, options.loci);
  out.parental.write(parentalLine(name, locus));
  const std::vector<int> cumR = cumulative(locus, true);
  const std::vector<int> cumS = cumulative(locus, false);
  line = name + " #";
  drawn.clear();
  for (const Individual& individual : individuals) {
    line += ' ';
    drawn.push_back(drawDesignation(random, locus, cumR, cumS, individual, options.missingShare));
    appendDesignation(line, locus, drawn.back());
  }
  line += '\n';
  out.sample.write(line);
  if (out.references == nullptr) return;
  out.references->draw(locus, cumR, cumS);
  if (out.vcf != nullptr) out.vcf->writeLocus(index, name, locus, *out.references, drawn);
  if (out.plink != nullptr) out.plink->writeLocus(index, name, *out.references, drawn);
  if (out.referenceFiles != nullptr) out.referenceFiles->writeLocus(name, locus, *out.references);
}

// The reference files, when asked for; false when either cannot be opened.
bool openReferenceFiles(const Options& options, std::unique_ptr<ReferenceFiles>& files) {
  if (!options.referenceFiles) return true;
  files = std::make_unique<ReferenceFiles>(options.prefix, options);
  const std::string unopened = files->unopened();
  if (unopened.empty()) return true;
  std::fprintf(stderr, "parmix-sim: cannot open %s for writing\n", unopened.c_str());
  return false;
}

// The VCF and its population map, when asked for; false when either
// cannot be written.
bool openVcf(const Options& options, const std::vector<Individual>& individuals,
             std::unique_ptr<VcfOutput>& vcf) {
  if (!options.vcf) return true;
  vcf = std::make_unique<VcfOutput>(options.prefix, options, individuals);
  if (vcf->isOpen()) return true;
  std::fprintf(stderr, "parmix-sim: cannot open %s for writing\n", vcf->path().c_str());
  return false;
}

// The population map of the VCF and the PLINK files, when either is asked
// for; false when it cannot be written.
bool writeMap(const Options& options, const std::vector<Individual>& individuals) {
  if (!options.vcf && !options.plink) return true;
  const std::string map = options.prefix + ".popmap.txt";
  if (writePopulationMap(map, options.references, individuals)) return true;
  std::fprintf(stderr, "parmix-sim: cannot write %s\n", map.c_str());
  return false;
}

// The PLINK files, when asked for; false when one cannot be opened.
bool openPlink(const Options& options, const std::vector<Individual>& individuals,
               std::unique_ptr<PlinkOutput>& plink) {
  if (!options.plink) return true;
  plink = std::make_unique<PlinkOutput>(options.prefix, options, individuals);
  const std::string unopened = plink->unopened();
  if (unopened.empty()) return true;
  std::fprintf(stderr, "parmix-sim: cannot open %s for writing\n", unopened.c_str());
  return false;
}

int simulate(const Options& options) {
  const std::string paths[] = {options.prefix + ".parental.txt",
                               options.prefix + ".individuals.txt", options.prefix + ".truth.tsv"};
  OutputFile parental(paths[0]);
  OutputFile sample(paths[1]);
  OutputFile truth(paths[2]);
  const OutputFile* files[] = {&parental, &sample, &truth};
  for (int f = 0; f < 3; ++f) {
    if (!files[f]->isOpen()) {
      std::fprintf(stderr, "parmix-sim: cannot open %s for writing\n", paths[f].c_str());
      return 1;
    }
  }
  Random random(options.seed);
  const std::vector<Individual> individuals = drawIndividuals(random, options);
  const std::vector<bool> dominant = drawDominantLoci(random, options.loci, options.dominantShare);
  truth.write("name\th\tkind\n");
  for (const Individual& individual : individuals) truth.write(truthLine(individual));
  parental.write(parentalHeader(options));
  sample.write(individualHeader(options, individuals));
  std::unique_ptr<VcfOutput> vcf;
  std::unique_ptr<PlinkOutput> plink;
  std::unique_ptr<ReferenceFiles> referenceFiles;
  if (!writeMap(options, individuals) || !openVcf(options, individuals, vcf) ||
      !openPlink(options, individuals, plink) || !openReferenceFiles(options, referenceFiles))
    return 1;
  std::unique_ptr<ReferenceSamples> references;
  if (vcf || plink || referenceFiles)
    references = std::make_unique<ReferenceSamples>(options.seed, options.references,
                                                    options.missingShare);
  LocusOutputs out{parental, sample, vcf.get(), plink.get(), references.get(),
                   referenceFiles.get()};
  std::string line;
  std::vector<Designation> drawn;
  for (int i = 0; i < options.loci; ++i)
    simulateLocus(random, options, i, dominant[i], individuals, out, line, drawn);
  OutputFile* toClose[] = {&parental, &sample, &truth};
  bool ok = true;
  for (int f = 0; f < 3; ++f) {
    if (!toClose[f]->close()) {
      std::fprintf(stderr, "parmix-sim: %s could not be written completely\n", paths[f].c_str());
      ok = false;
    }
  }
  if (vcf && !vcf->close()) {
    std::fprintf(stderr, "parmix-sim: %s could not be written completely\n", vcf->path().c_str());
    ok = false;
  }
  const std::string unwrittenPlink = plink ? plink->close() : "";
  if (!unwrittenPlink.empty()) {
    std::fprintf(stderr, "parmix-sim: %s could not be written completely\n",
                 unwrittenPlink.c_str());
    ok = false;
  }
  const std::string unwritten = referenceFiles ? referenceFiles->close() : "";
  if (!unwritten.empty()) {
    std::fprintf(stderr, "parmix-sim: %s could not be written completely\n", unwritten.c_str());
    ok = false;
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  std::string message;
  switch (parseOptions(argc, argv, options, message)) {
    case ParseOutcome::Help:
      std::fputs(usageText(), stdout);
      return 0;
    case ParseOutcome::Error:
      std::fprintf(stderr, "parmix-sim: %s\nTry 'parmix-sim --help'.\n", message.c_str());
      return 2;
    case ParseOutcome::Run:
      break;
  }
  return options.pedigree ? simulatePedigree(options) : simulate(options);
}
