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

// The files written locus by locus (the text files null when left out),
// and the reference samples behind the VCF, the PLINK files and the
// reference files (null when none is asked for).
struct LocusOutputs {
  OutputFile* parental;
  OutputFile* sample;
  VcfOutput* vcf;
  PlinkOutput* plink;
  ReferenceSamples* references;
  ReferenceFiles* referenceFiles;
};

// The individual file's line of one locus.
void formatSampleLine(const std::string& name, const Locus& locus,
                      const std::vector<Designation>& drawn, std::string& line) {
  line = name + " #";
  for (const Designation& d : drawn) {
    line += ' ';
    appendDesignation(line, locus, d);
  }
  line += '\n';
}

// Every individual's designations at LOCUS; fromR holds each individual's
// chance of an allele from R on the genome, chances is room for those of
// the locus's cline.
void drawRow(Random& random, const Options& options, const Locus& locus,
             const LocusCline& cline, const std::vector<double>& fromR,
             std::vector<double>& chances, std::vector<Designation>& drawn) {
  const bool neutral = cline.v == 1.0 && cline.centre == 0.5;
  if (!neutral) {
    chances.resize(fromR.size());
    for (std::size_t j = 0; j < fromR.size(); ++j) chances[j] = chanceFromR(fromR[j], cline);
  }
  const std::vector<double>& chance = neutral ? fromR : chances;
  if (!locus.dominant && locus.freqR.size() == 2) {
    drawBiallelicRow(random, locus, chance, options.missingShare, drawn);
    return;
  }
  const std::vector<int> cumR = cumulative(locus, true);
  const std::vector<int> cumS = cumulative(locus, false);
  drawn.clear();
  for (const double c : chance)
    drawn.push_back(drawDesignation(random, locus, cumR, cumS, c, options.missingShare));
}

// What each locus reuses: the chances of its cline, its designations and
// the individual file's line.
struct LocusScratch {
  std::vector<double> chances;
  std::vector<Designation> drawn;
  std::string line;
};

// One locus: its parental record and every individual's designations.
void simulateLocus(Random& random, const Options& options, int index, bool dominant,
                   const LocusCline& cline, const std::vector<double>& fromR,
                   LocusOutputs& out, LocusScratch& scratch) {
  const int alleles = dominant ? 2 : drawAlleleCount(random, options);
  const Locus locus = drawLocus(random, dominant, alleles, options.differentiation);
  const std::string name = locusName(index, options.loci);
  if (out.parental != nullptr) out.parental->write(parentalLine(name, locus));
  std::vector<Designation>& drawn = scratch.drawn;
  drawRow(random, options, locus, cline, fromR, scratch.chances, drawn);
  if (out.sample != nullptr) {
    formatSampleLine(name, locus, drawn, scratch.line);
    out.sample->write(scratch.line);
  }
  if (out.references == nullptr) return;
  out.references->draw(locus, cumulative(locus, true), cumulative(locus, false));
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

// OUT.clines.tsv, every locus's true cline, when some loci depart from the
// genome; false when it cannot be written.
bool writeClines(const Options& options, const std::vector<LocusCline>& clines) {
  if (!(options.clines.share > 0.0)) return true;
  const std::string path = options.prefix + ".clines.tsv";
  OutputFile file(path);
  bool ok = file.isOpen();
  if (ok) file.write("locus\tv\tcentre\n");
  char number[64];
  for (std::size_t i = 0; ok && i < clines.size(); ++i) {
    std::snprintf(number, sizeof number, "\t%.17g\t%.17g\n", clines[i].v, clines[i].centre);
    file.write(locusName(static_cast<int>(i), options.loci) + number);
  }
  if (ok && file.close()) return true;
  std::fprintf(stderr, "parmix-sim: cannot write %s\n", path.c_str());
  return false;
}

// The text files: the truth file always, the parental and individual
// files unless PLINK files are asked for without them.  Null where left
// out; false when one cannot be opened.
bool openTextFiles(const Options& options, std::unique_ptr<OutputFile> (&files)[3],
                   const std::string (&paths)[3]) {
  const bool full = !options.plink || options.textFiles;
  for (int f = 0; f < 3; ++f) {
    if (f < 2 && !full) continue;
    files[f] = std::make_unique<OutputFile>(paths[f]);
    if (!files[f]->isOpen()) {
      std::fprintf(stderr, "parmix-sim: cannot open %s for writing\n", paths[f].c_str());
      return false;
    }
  }
  return true;
}

int simulate(const Options& options) {
  const std::string paths[3] = {options.prefix + ".parental.txt",
                                options.prefix + ".individuals.txt",
                                options.prefix + ".truth.tsv"};
  std::unique_ptr<OutputFile> text[3];
  if (!openTextFiles(options, text, paths)) return 1;
  OutputFile* const parental = text[0].get();
  OutputFile* const sample = text[1].get();
  OutputFile& truth = *text[2];
  Random random(options.seed);
  const std::vector<Individual> individuals = drawIndividuals(random, options);
  const std::vector<bool> dominant = drawDominantLoci(random, options.loci, options.dominantShare);
  truth.write("name\th\tkind\n");
  for (const Individual& individual : individuals) truth.write(truthLine(individual));
  if (parental != nullptr) parental->write(parentalHeader(options));
  if (sample != nullptr) sample->write(individualHeader(options, individuals));
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
  const std::vector<LocusCline> clines = drawClines(options.seed, options.loci, options.clines);
  if (!writeClines(options, clines)) return 1;
  std::vector<double> fromR;
  for (const Individual& individual : individuals) fromR.push_back(chanceFromR(individual));
  LocusScratch scratch;
  for (int i = 0; i < options.loci; ++i)
    simulateLocus(random, options, i, dominant[i], clines[i], fromR, out, scratch);
  bool ok = true;
  for (int f = 0; f < 3; ++f) {
    if (text[f] && !text[f]->close()) {
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
