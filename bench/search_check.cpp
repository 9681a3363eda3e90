// parmix-search-check OPTIONS...: the genome run's study of h by Newton's
// searches against Brent's, on the same panel.  OPTIONS are those of
// `parmix --vcf` / `--bfile` (the input, the references, the filters, the
// corrections, --threads); the panel is read and checked as the run does,
// then every individual is studied with each search in turn.
//
// Prints each search's time, passes over the loci and log calls a locus
// per individual, the floor of its study (its log calls at the time of one
// log() in a tight loop, on the run's threads), the largest difference of h and of each limit, the
// decisions that differ (no estimate, an estimate at an end, a cut limit)
// and the report cells that differ at the report's five decimals.  Exits 1
// when a decision differs, 2 on a wrong call or an unreadable panel.

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "estimate/study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/errors.hpp"
#include "run/genome_options.hpp"
#include "validate/panel_checks.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using namespace parmix;

struct Studied {
  std::vector<IndividualEstimate> rows;
  double seconds = 0.0;
  std::uint64_t passes = 0;
  std::uint64_t logCalls = 0;
};

Studied studyWith(Search search, genome::Panel& panel, const genome::GenomeOptions& options) {
  const Corrections& corrections = options.corrections;
  const StoredIndividuals individuals(
      panel.genotypes, corrections.likelihoodField.empty() ? nullptr : &panel.likelihoods);
  const std::vector<char> types = effectiveLocusTypes(panel.locusType, panel.locusUsed);
  const ParentalModel parents(types.data(), panel.freqR.rows(), panel.freqS.rows(),
                              corrections.any() ? &panel.siteGenotypes : nullptr);
  Studied out;
  StudySettings settings(options.threads, nullptr, nullptr, &out.logCalls);
  settings.passes = &out.passes;
  settings.search = search;
  const Clock::time_point start = Clock::now();
  out.rows = studyIndividuals(individuals, parents, HybridIndexModel(), settings);
  out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return out;
}

std::string cell(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.5f", x);
  return text;
}

struct Comparison {
  double largest[3] = {0.0, 0.0, 0.0};
  std::size_t decisions = 0;
  std::size_t cells = 0;
  std::vector<std::string> shown;  // the first cells that differ
};

bool atEnd(double h) { return h == 0.0 || h == 1.0; }

Comparison compare(const std::vector<IndividualEstimate>& a,
                   const std::vector<IndividualEstimate>& b) {
  Comparison c;
  for (std::size_t j = 0; j < a.size(); ++j) {
    const double x[] = {a[j].h, a[j].lowerBound, a[j].upperBound};
    const double y[] = {b[j].h, b[j].lowerBound, b[j].upperBound};
    if (std::isnan(x[0]) != std::isnan(y[0]) || atEnd(x[0]) != atEnd(y[0]) ||
        a[j].truncated[0] != b[j].truncated[0] || a[j].truncated[1] != b[j].truncated[1])
      ++c.decisions;
    for (int i = 0; i < 3; ++i) {
      if (std::isnan(x[i]) != std::isnan(y[i])) continue;  // counted above
      if (!std::isnan(x[i])) c.largest[i] = std::max(c.largest[i], std::fabs(x[i] - y[i]));
      if (cell(x[i]) == cell(y[i])) continue;
      ++c.cells;
      static const char* const kColumns[] = {"h", "lower", "upper"};
      char text[160];
      std::snprintf(text, sizeof text, "individual %zu, %s: brent %.12f, newton %.12f", j + 1,
                    kColumns[i], x[i], y[i]);
      if (c.shown.size() < 10) c.shown.push_back(text);
    }
  }
  return c;
}

void printStudy(const char* name, const Studied& s, std::size_t individuals, int loci) {
  const double n = static_cast<double>(individuals);
  std::printf("  %-10s %8.2f s  %6.2f passes and %6.2f log calls a locus per individual\n", name,
              s.seconds, static_cast<double>(s.passes) / n,
              static_cast<double>(s.logCalls) / n / static_cast<double>(loci));
}

// Seconds per log() call in a tight loop over probabilities spread over
// (0, 1]; the fastest of three timings of some 10^8 calls.
double secondsPerLog() {
  std::vector<double> x(4096);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = (static_cast<double>(i) + 0.5) / 4096.0;
  double best = 1e300, sink = 0.0;
  constexpr int kRounds = 25000;
  for (int rep = 0; rep < 3; ++rep) {
    const Clock::time_point start = Clock::now();
    double sum = 0.0;
    for (int n = 0; n < kRounds; ++n)
      for (double v : x) sum += std::log(v);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    sink += sum;
  }
  if (sink == 1.0) std::puts("");  // keeps the loop from being optimised away
  return best / (static_cast<double>(kRounds) * 4096.0);
}

void printFloor(const Studied& s, std::size_t individuals, int loci, unsigned threads) {
  const double genotypes = static_cast<double>(individuals) * loci;
  const double logs = static_cast<double>(s.logCalls) / genotypes;
  const double perLog = secondsPerLog() * 1e9;
  std::printf("  floor: %.2f ns a log(); %.2f log calls a genotype on %u threads is %.1f ns a "
              "genotype, against %.1f ns measured\n",
              perLog, logs, threads, logs * perLog / threads, s.seconds * 1e9 / genotypes);
}

int check(const genome::GenomeOptions& options) {
  genome::Panel panel = genome::readPanel(options.input, options.selection, nullptr,
                                          options.corrections);
  std::ostringstream notes;
  checkPanel(panel, options.input.input, notes);
  const Studied brent = studyWith(Search::Bracketing, panel, options);
  const Studied newton = studyWith(Search::Newton, panel, options);
  const Comparison c = compare(brent.rows, newton.rows);
  const std::size_t n = brent.rows.size();
  const int loci = std::max(1, panel.genotypes.loci());
  std::printf("search check: %zu individuals x %d loci\n", n, loci);
  printStudy("brent", brent, n, loci);
  printStudy("newton", newton, n, loci);
  const unsigned threads = options.threads > 0 ? options.threads : usableCores();
  printFloor(newton, n, loci, threads);
  std::printf("  largest |dh| %.3g, |d lower| %.3g, |d upper| %.3g\n", c.largest[0],
              c.largest[1], c.largest[2]);
  std::printf("  decisions that differ (no estimate, end, cut): %zu\n", c.decisions);
  std::printf("  report cells that differ at five decimals: %zu of %zu\n", c.cells, 3 * n);
  for (const std::string& line : c.shown) std::printf("    %s\n", line.c_str());
  return c.decisions == 0 ? 0 : 1;
}

// Takes the run's own words (--threads, the corrections) out of WORDS and
// hands the rest, the input, references and filters, to the importer's
// parser, whose names the run shares.
bool parseWords(std::vector<std::string> words, genome::GenomeOptions& options) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool hasValue = i + 1 < words.size();
    if (word == "--threads" && hasValue) {
      options.threads = static_cast<unsigned>(std::stoul(words[++i]));
    } else if (word == "--genotype-likelihoods" && hasValue) {
      options.corrections.likelihoodField = words[++i];
    } else if (word == "--reference-frequencies" && hasValue) {
      options.corrections.referenceFromCalls = words[++i] == "gt";
    } else if (word == "--reference-uncertainty") {
      options.corrections.referenceUncertainty = true;
    } else {
      rest.push_back(word);
    }
  }
  options.input.quiet = true;
  return importer::parseOptions(rest, options.input) == importer::ParseOutcome::Run;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    genome::GenomeOptions options;
    if (!parseWords(std::vector<std::string>(argv + 1, argv + argc), options)) return 2;
    return check(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "parmix-search-check: %s\n", e.what());
    return 2;
  }
}
