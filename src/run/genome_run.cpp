#include "run/genome_run.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <locale>
#include <memory>
#include <new>
#include <sstream>
#include <utility>

#include "estimate/stored_clines.hpp"
#include "input/errors.hpp"
#include "input/plink_reader.hpp"
#include "estimate/study.hpp"
#include "validate/panel_checks.hpp"
#include "run/progress.hpp"
#include "report/ancestry_writer.hpp"
#include "report/cline_merge.hpp"
#include "report/cline_writer.hpp"
#include "report/report_merge.hpp"
#include "model/corrections.hpp"
#include "report/report_writer.hpp"
#include "estimate/worker_pool.hpp"
#include "input/writers.hpp"

namespace parmix::genome {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Progress of a long step on standard error: nothing for the first couple
// of seconds, then a line rewritten in place on a terminal, or a new line
// every little while in a log.
class ProgressLine {
 public:
  ProgressLine(std::FILE* out, bool enabled)
      : out_(out), enabled_(enabled), terminal_(::isatty(::fileno(out)) != 0),
        next_(Clock::now() + std::chrono::seconds(2)) {}
  ~ProgressLine() {
    if (open_) std::fputc('\n', out_);
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool due() {
    if (!enabled_ || ++calls_ % 64 != 0) return false;
    return Clock::now() >= next_;
  }
  void show(const std::string& text) {
    std::fprintf(out_, terminal_ ? "\rparmix: %s   " : "parmix: %s\n", text.c_str());
    std::fflush(out_);
    open_ = terminal_;
    next_ = Clock::now() + (terminal_ ? std::chrono::milliseconds(500) : std::chrono::seconds(10));
  }

 private:
  std::FILE* out_;
  bool enabled_;
  bool terminal_;
  bool open_ = false;
  Clock::time_point next_;
  std::size_t calls_ = 0;
};

// Threads beyond these would wait on the one thread that parses: a BGZF
// block decompresses several times faster than its records parse.
constexpr unsigned kDecompressionThreads = 4;

// The run's threads but the reading one decompress the input while it is
// read: the study has not begun, so they would idle otherwise.  The clines
// name every locus in their outputs, so their run keeps the labels.
Panel readWithProgress(const GenomeOptions& options, unsigned threads, std::FILE* messages) {
  ProgressLine line(messages, !options.input.quiet);
  const Clock::time_point start = Clock::now();
  importer::Options input = options.input;
  input.decompressionThreads =
      static_cast<int>(std::min(threads > 1 ? threads - 1 : 0, kDecompressionThreads));
  // A shard of the clines splits the loci: every shard studies every
  // individual, whose h each locus's fit needs.
  Selection selection = options.selection;
  if (options.clines) selection.shardIndex = selection.shardCount = 0;
  return readPanel(
      input, selection,
      [&](std::size_t sites, std::uint64_t bytes, std::uint64_t total) {
        if (line.due())
          line.show(importer::progressText(sites, "sites", bytes, total, secondsSince(start)));
      },
      options.corrections, options.clines);
}

// The panel's individuals, with their likelihoods when the run reads them.
StoredIndividuals individualsOf(Panel& panel, const Corrections& corrections) {
  return StoredIndividuals(panel.genotypes,
                           corrections.likelihoodField.empty() ? nullptr : &panel.likelihoods);
}

// The parents as the study takes them; TYPES are the effective locus types,
// which the caller keeps.
ParentalModel parentsOf(Panel& panel, const std::vector<char>& types,
                        const Corrections& corrections) {
  return ParentalModel(types.data(), panel.freqR.rows(), panel.freqS.rows(),
                       corrections.any() ? &panel.siteGenotypes : nullptr);
}

// SEARCH: Newton's searches take the derivatives from the same pass as the
// value, a third of the passes of Brent's, with the same reports at their
// five decimals; the clines, which are fitted along the h found, take
// Brent's, the text command's, so that they are the bits of the clines of
// the imported text files.
std::vector<IndividualEstimate> studyWithProgress(Panel& panel, const Corrections& corrections,
                                                  bool quiet, std::FILE* messages,
                                                  RunFigures& figures, Search search,
                                                  Limits limits = Limits::kFind) {
  ProgressLine line(messages, !quiet);
  const std::size_t total = panel.selected.size();
  const StudyProgress progress = [&](std::size_t done) {
    if (line.due())
      line.show(std::to_string(done) + " of " + std::to_string(total) + " individuals studied");
  };
  // Loci the parental checks took out read as 'B' to the study.
  std::vector<char> types = effectiveLocusTypes(panel.locusType, panel.locusUsed);
  StudySettings settings(figures.threads, progress, &figures.counts, &figures.logCalls);
  settings.passes = &figures.passes;
  settings.search = search;
  settings.limits = limits;
  return studyIndividuals(individualsOf(panel, corrections), parentsOf(panel, types, corrections),
                          HybridIndexModel(), settings);
}

std::vector<JointEstimate> studyJointWithProgress(Panel& panel, const GenomeOptions& options,
                                                  unsigned threads, std::FILE* messages,
                                                  std::vector<DataCount>& counts) {
  ProgressLine line(messages, !options.input.quiet);
  const std::size_t total = panel.selected.size();
  const StudyProgress progress = [&](std::size_t done) {
    if (line.due())
      line.show(std::to_string(done) + " of " + std::to_string(total) + " individuals studied");
  };
  // Loci the parental checks took out read as 'B' to the study.
  std::vector<char> types = effectiveLocusTypes(panel.locusType, panel.locusUsed);
  const Corrections& corrections = options.corrections;
  return studyIndividuals(individualsOf(panel, corrections), parentsOf(panel, types, corrections),
                          JointModel{options.thresholds},
                          StudySettings(threads, progress, &counts));
}

// The panel as the clines' fits and image read it.
StoredLoci storedLociOf(Panel& panel, const GenomeOptions& options) {
  StoredLoci stored;
  stored.genotypes = &panel.genotypes;
  stored.likelihoods =
      options.corrections.likelihoodField.empty() ? nullptr : &panel.likelihoods;
  stored.locusType = panel.locusType.data();
  stored.locusUsed = panel.locusUsed.data();
  stored.freqR = panel.freqR.rows();
  stored.freqS = panel.freqS.rows();
  stored.sites = options.corrections.any() ? &panel.siteGenotypes : nullptr;
  return stored;
}

// The loci a run of the clines fits: the used ones, or of a shard K/N of
// the loci the K-th of N consecutive parts of them, as the shards of the
// study individuals are parts of those.
struct ClineLoci {
  int first = 0;  // [first, last) of the panel's loci holds them
  int last = 0;
  std::size_t after = 0;  // the used loci before them
  std::size_t count = 0;
  std::vector<int> used;  // every used locus of the panel
};

ClineLoci clineLociOf(const Panel& panel, const Selection& selection) {
  ClineLoci loci;
  for (int i = 0; i < panel.genotypes.loci(); ++i)
    if (panel.locusUsed[static_cast<std::size_t>(i)]) loci.used.push_back(i);
  const auto [a, b] = shardRange(selection, loci.used.size());
  loci.after = a;
  loci.count = b - a;
  if (a < b) {
    loci.first = loci.used[a];
    loci.last = loci.used[b - 1] + 1;
  }
  return loci;
}

// The clines of LOCI on the hybrid indices ROWS, fitted straight from the
// store; the counts of loci left out are those of the whole panel.
ClineStudy studyClinesWithProgress(Panel& panel, const GenomeOptions& options,
                                   const std::vector<IndividualEstimate>& rows,
                                   const ClineLoci& loci, unsigned threads, std::FILE* messages) {
  ProgressLine line(messages, !options.input.quiet);
  const std::string count = std::to_string(loci.count);
  const ClineProgress progress = [&](std::size_t fitted) {
    if (line.due()) line.show(std::to_string(fitted) + " of " + count + " loci fitted");
  };
  ClineStudy study = studyStoredClines(storedLociOf(panel, options), rows, loci.first, loci.last,
                                       threads, progress);
  study.lociExcluded = panel.genotypes.loci() - static_cast<int>(loci.used.size());
  return study;
}

// What ties a shard of the clines to its run: its place, the run's loci
// and threshold, and checks of the individuals' h and of the fitted loci.
ClineShardRun clineShardRun(const Panel& panel, const GenomeOptions& options,
                            const RunFigures& figures, const ClineLoci& loci) {
  ClineShardRun run;
  run.index = options.selection.shardIndex;
  run.count = options.selection.shardCount;
  run.rows = static_cast<long>(loci.count);
  run.fitted = static_cast<long>(loci.used.size());
  run.after = static_cast<long>(loci.after);
  run.loci = panel.genotypes.loci();
  run.threshold = options.qThreshold;
  ContentCheck individuals;
  for (std::size_t j = 0; j < figures.rows.size(); ++j) {
    individuals.add(figures.names[j] + '\t');
    individuals.add(&figures.rows[j].h, sizeof figures.rows[j].h);
  }
  run.individualsCheck = individuals.hex();
  LociCheck fitted;
  for (const int locus : loci.used)
    fitted.add(locus, panel.locusLabels[static_cast<std::size_t>(locus)]);
  run.lociCheck = fitted.hex();
  return run;
}

// The hybrid index of every individual (kept in FIGURES, for a command that
// asks for the rows), then the clines; the report and table are those of
// the clines of the imported text files.  A shard of the loci writes its
// shard's report, whose rows the merge judges with all the others.
// The report and table are written to REPORT and TABLE (when given) as they
// are formatted, once every fit is done: at a genome's loci their text is
// as large as the store.
void runClines(Panel& panel, const GenomeOptions& options, const std::string& stamp,
               const std::string& notes, std::ostream& report, importer::OutputFile* table,
               std::FILE* messages, RunFigures& figures) {
  figures.rows =
      studyWithProgress(panel, options.corrections, options.input.quiet, messages, figures,
                        Search::Newton,
                        options.keepHybridIndexRows ? Limits::kFind : Limits::kSkip);
  const ClineLoci loci = clineLociOf(panel, options.selection);
  ClineStudy study =
      studyClinesWithProgress(panel, options, figures.rows, loci, figures.threads, messages);
  figures.individuals = figures.rows.size();
  figures.lociFitted = study.rows.size();
  if (options.selection.shardCount > 0) {
    report << stamp;
    writeClineShardReport(report, notes, panel.locusLabels, study,
                          clineShardRun(panel, options, figures, loci));
    return;
  }
  judgeClines(study.rows, options.qThreshold);
  if (options.keepImage)
    figures.image =
        storedImageOf(storedLociOf(panel, options), figures.rows, study, figures.threads);
  // Nothing is written before everything is computed: a stream output
  // gets no part of a report that then fails.
  report << stamp << notes;
  writeClineReport(report, panel.locusLabels, study, options.qThreshold);
  if (table != nullptr) {
    OutputStream tsv(*table);
    writeClineTsv(tsv, panel.locusLabels, study);
  }
  if (options.keepClineRows || options.keepImage) {
    figures.clines = std::move(study);
    figures.locusLabels = panel.locusLabels;
  }
}

// The outputs are opened before the panel is read, so that a path they
// may not take is refused before any work is done.
void refuseClashes(const GenomeOptions& options) {
  std::vector<NamedPath> inputs{{"VCF file", options.input.input}};
  if (options.input.format == importer::InputFormat::Plink) {
    inputs.clear();
    for (const std::string& path : importer::PlinkReader::filesOf(options.input.input))
      inputs.push_back({"PLINK file", path});
  }
  inputs.push_back({"population map", options.input.populationMap});
  inputs.push_back({"samples file", options.selection.samplesFile});
  refuseOutputClashes({{"report file", options.report}, {"table file", options.tsv}}, inputs);
}

// The table of the joint analysis; none when the options name none.
std::unique_ptr<importer::OutputFile> openTable(const GenomeOptions& options) {
  if (options.tsv.empty()) return nullptr;
  return std::make_unique<importer::OutputFile>(options.tsv, "table file");
}

std::vector<std::string> selectedNames(const Panel& panel) {
  std::vector<std::string> names;
  for (std::size_t j : panel.selected) names.push_back(panel.studyNames[j]);
  return names;
}

void printSummary(std::FILE* out, const GenomeOptions& options, const Panel& panel,
                  const RunFigures& figures) {
  std::fprintf(out,
               "parmix: %zu sites read from %s; %zu individuals in R, %zu in S, "
               "%zu studied\n",
               panel.sites, options.input.input.c_str(), panel.roles.r.size(),
               panel.roles.s.size(), panel.roles.study.size());
  for (const std::string& line :
       importer::tallyLines(panel.tally, options.input.filters, options.input.pseudoCount))
    std::fprintf(out, "  %s\n", line.c_str());
  std::fprintf(out,
               "parmix: %zu loci x %zu individuals (%.1f MB of genotypes); read in "
               "%.1f s, studied in %.1f s on %u threads\n",
               figures.loci, figures.individuals, static_cast<double>(figures.genotypeBytes) / 1e6,
               figures.readSeconds, figures.studySeconds, figures.threads);
  if (figures.individuals == 0 || figures.passes == 0) return;
  const double individuals = static_cast<double>(figures.individuals);
  std::fprintf(out, "parmix: %.1f passes over the loci and %.1f log calls a locus per individual\n",
               static_cast<double>(figures.passes) / individuals,
               static_cast<double>(figures.logCalls) / individuals /
                   static_cast<double>(std::max<std::size_t>(figures.loci, 1)));
}

// The run itself; its failures are exceptions, which runGenome turns into
// the status of the core's boundary.
RunFigures studyPanel(const GenomeOptions& options, std::FILE* messages) {
  refuseClashes(options);
  importer::OutputFile output(options.report, "report file");
  const std::unique_ptr<importer::OutputFile> table = openTable(options);
  RunFigures figures;
  Clock::time_point start = Clock::now();
  figures.threads = options.threads > 0 ? options.threads : usableCores();
  Panel panel = readWithProgress(options, figures.threads, messages);
  if (!options.input.quiet) {
    for (const std::string& text : panel.warnings)
      std::fprintf(messages, "parmix: warning: %s\n", text.c_str());
  }
  std::ostringstream notes;
  notes.imbue(std::locale::classic());
  checkPanel(panel, options.input.input, notes);
  figures.readSeconds = secondsSince(start);
  start = Clock::now();
  notes << correctionsNote(options.corrections);
  std::ostringstream report;
  report.imbue(std::locale::classic());
  writeTimestamp(report);
  figures.names = selectedNames(panel);
  if (options.clines) {
    OutputStream whole(output);
    runClines(panel, options, report.str(), notes.str(), whole, table.get(), messages, figures);
    report.str("");
    figures.studySeconds = secondsSince(start);
  } else if (options.ancestry) {
    figures.ancestryRows =
        studyJointWithProgress(panel, options, figures.threads, messages, figures.counts);
    figures.studySeconds = secondsSince(start);
    report << notes.str();
    writeAncestryRows(report, figures.names, figures.ancestryRows,
                      static_cast<int>(panel.nameWidth), options.thresholds);
    figures.individuals = figures.ancestryRows.size();
  } else {
    figures.rows =
        studyWithProgress(panel, options.corrections, options.input.quiet, messages, figures,
                          Search::Newton);
    figures.studySeconds = secondsSince(start);
    writeReportBody(report, notes.str() + shardNote(options.selection, panel.studyNames.size()),
                    figures.names, figures.rows, static_cast<int>(panel.nameWidth));
    figures.individuals = figures.rows.size();
  }
  output.write(report.str());
  output.commit();
  if (table && options.clines) {
    table->commit();
  } else if (table) {
    std::ostringstream tsv;
    tsv.imbue(std::locale::classic());
    writeAncestryTsv(tsv, figures.names, figures.ancestryRows,
                     correctionTags(options.corrections));
    table->write(tsv.str());
    table->commit();
  }
  figures.sites = panel.sites;
  figures.loci = static_cast<std::size_t>(panel.genotypes.loci());
  figures.genotypeBytes = panel.genotypes.storedBytes() + panel.likelihoods.storedBytes();
  if (!options.input.quiet) printSummary(messages, options, panel, figures);
  return figures;
}

// The clines' shards: read one at a time, joined, judged over every locus
// as one run judges them, and written as one run writes them.
MergedClines mergeClineShards(const std::string& output, const std::string& tsv,
                              const std::vector<std::string>& shards) {
  importer::OutputFile report(output, "report file");
  std::unique_ptr<importer::OutputFile> table =
      tsv.empty() ? nullptr : std::make_unique<importer::OutputFile>(tsv, "table file");
  ClineShardJoin join(shards.size());
  for (const std::string& path : shards) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("File " + path + " could not be read");
    join.add(readClineShard(in, path), path);
  }
  join.finish();
  judgeClines(join.study().rows, join.threshold());
  std::ostringstream text;
  text.imbue(std::locale::classic());
  writeTimestamp(text);
  text << join.notes();
  writeClineReportByRow(text, join.names(), join.study(), join.threshold());
  report.write(text.str());
  report.commit();
  if (table) {
    std::ostringstream rows;
    rows.imbue(std::locale::classic());
    writeClineTsvByRow(rows, join.names(), join.study());
    table->write(rows.str());
    table->commit();
  }
  return {true, std::move(join.study()), std::move(join.names())};
}

// The first lines of the report PATH, enough to tell a shard's kind; empty
// when it cannot be read (the merge then says so) or is no regular file,
// whose bytes, read here, the merge would miss.
std::string firstLines(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return "";
  std::ifstream in(path, std::ios::binary);
  std::string text, line;
  for (int i = 0; i < 3 && std::getline(in, line); ++i) text += line + '\n';
  return text;
}

}  // namespace

MergedClines mergeShardReports(const std::string& output, const std::string& tsv,
                               const std::vector<std::string>& shards, bool clineRows) {
  if (shards.empty() || !startsClineShardReport(firstLines(shards[0]))) {
    if (!tsv.empty() || clineRows)
      throw importer::UsageError("options -tsv and -clinerows go with the shards of the genomic "
                                 "clines only: the table of a merged hybrid-index report is "
                                 "made from the report");
    mergeReportFiles(output, shards);
    return {};
  }
  std::vector<NamedPath> inputs;
  for (const std::string& path : shards) inputs.push_back({"shard report", path});
  refuseOutputClashes({{"report file", output}, {"table file", tsv}}, inputs);
  return mergeClineShards(output, tsv, shards);
}

Status runGenome(const GenomeOptions& options, std::FILE* messages, RunFigures& figures) {
  Status status;
  try {
    figures = studyPanel(options, messages);
  } catch (const InputError& error) {
    status.fail("%s", error.what());
    status.setFault(Fault::kPanelFile);
  } catch (const std::bad_alloc&) {
    status.fail("There is not enough memory for this analysis.");
    status.setFault(Fault::kMemory);
  } catch (const std::exception& error) {
    status.fail("%s", error.what());
    status.setFault(Fault::kInternal);
  }
  if (!status.ok()) figures = RunFigures();
  return status;
}

}  // namespace parmix::genome
