#include "run/genome_options.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "estimate/worker_pool.hpp"
#include "input/errors.hpp"
#include "input/status.hpp"

namespace parmix::genome {

using importer::UsageError;

namespace {

constexpr long kMostShards = 1000000;

// A whole number from LOW to HIGH written out in full, or -1.
long wholeNumber(const std::string& text, long low, long high) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return -1;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || value < low || value > high) return -1;
  return value;
}

unsigned parseThreads(const std::string& option, const std::string& text) {
  const int value = threadCountOf(text);
  if (value < 1) throw UsageError(threadCountProblem(option, text));
  return static_cast<unsigned>(value);
}

// A class threshold in log-likelihood units: finite and at least 0, or
// above 0 when OPEN.
double parseUnits(const std::string& option, const std::string& text, bool open) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  const bool fits = *end == '\0' && errno == 0 && std::isfinite(value) &&
                    (open ? value > 0 : value >= 0);
  if (!fits) {
    throw UsageError("option " + option + " must be " +
                     (open ? "a number above 0" : "a number of at least 0") + ", not " +
                     quotedValue(text));
  }
  return value;
}

// The q-value at which a locus departs from the neutral cline.
double parseQValue(const std::string& option, const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || errno != 0 || !(value > 0 && value <= 1))
    throw UsageError("option " + option + " must be a number above 0 and at most 1, not " +
                     quotedValue(text));
  return value;
}

bool takesValue(const std::string& name) {
  return name == "-o" || name == "--qvalue" || name == "--tsv" || name == "--margin" || name == "--drop" || name == "--threads" || name == "--samples" || name == "--shard" ||
         name == "--genotype-likelihoods" || name == "--reference-frequencies";
}

// The corrections' options.  Likelihoods come from PL or GL; the reference
// frequencies by EM from them (the default with likelihoods) or from the
// calls.
void applyCorrection(const std::string& name, const std::string& value, Corrections& c) {
  if (name == "--genotype-likelihoods") {
    if (value != "PL" && value != "GL")
      throw UsageError("option " + name + " needs PL or GL, not " + quotedValue(value));
    c.likelihoodField = value;
  }
  if (name == "--reference-frequencies") {
    if (value != "gl" && value != "gt")
      throw UsageError("option " + name + " needs gl or gt, not " + quotedValue(value));
    c.referenceFromCalls = value == "gt";
  }
}

void checkCorrections(const Corrections& c, bool frequenciesGiven) {
  if (frequenciesGiven && c.likelihoodField.empty() && !c.referenceFromCalls)
    throw UsageError("option --reference-frequencies gl needs --genotype-likelihoods PL|GL");
}

void apply(const std::string& name, const std::string& value, GenomeOptions& options) {
  if (value.empty()) throw UsageError("option " + name + " needs a non-empty value");
  if (name == "-o") options.report = value;
  if (name == "--threads") options.threads = parseThreads(name, value);
  if (name == "--samples") options.selection.samplesFile = value;
  if (name == "--shard") parseShard(name, value, options.selection);
  if (name == "--tsv") options.tsv = value;
  if (name == "--margin") options.thresholds.minMargin = parseUnits(name, value, false);
  if (name == "--drop") options.thresholds.maxDrop = parseUnits(name, value, true);
  if (name == "--qvalue") options.qThreshold = parseQValue(name, value);
  applyCorrection(name, value, options.corrections);
}

// The joint analysis's own options need it; the corrections go with
// either analysis.
void checkAncestry(const GenomeOptions& options, const std::vector<std::string>& given) {
  if (options.ancestry) return;
  for (const std::string& name : given) {
    if (name == "--tsv" && options.clines) continue;
    if (name == "--tsv" || name == "--margin" || name == "--drop")
      throw UsageError("option " + name + " needs --ancestry");
  }
}

// The clines' own option needs them; the clines fit every locus against
// q-values over all of them, and are no joint analysis.
void checkClines(const GenomeOptions& options, const std::vector<std::string>& given) {
  if (options.clines && options.ancestry)
    throw UsageError("option --clines does not go with --ancestry");
  if (options.clines && options.selection.shardCount > 0)
    throw UsageError("option --clines does not go with --shard K/N: each locus's q-value needs "
                     "the p-values of every locus; fit them in one run, on --threads N");
  for (const std::string& name : given)
    if (name == "--qvalue" && !options.clines) throw UsageError("option --qvalue needs --clines");
}

void refuseImportOnly(const std::vector<std::string>& rest) {
  for (const std::string& word : rest) {
    const std::string name = word.substr(0, word.find('='));
    if (name == "--prefix" || name == "--structure") {
      throw UsageError("option " + name + " goes with parmix-import only");
    }
  }
}

}  // namespace

void parseShard(const std::string& option, const std::string& text, Selection& selection) {
  const std::size_t slash = text.find('/');
  const long k = slash == std::string::npos ? -1 : wholeNumber(text.substr(0, slash), 1, kMostShards);
  const long n = slash == std::string::npos ? -1 : wholeNumber(text.substr(slash + 1), 1, kMostShards);
  if (k < 0 || n < 0 || k > n) {
    throw UsageError("option " + option + " needs K/N, shard K of N with 1 <= K <= N, not " +
                     quotedValue(text));
  }
  selection.shardIndex = static_cast<int>(k);
  selection.shardCount = static_cast<int>(n);
}

importer::ParseOutcome parseGenomeOptions(const std::vector<std::string>& words,
                                          GenomeOptions& options) {
  std::vector<std::string> rest, given;
  bool frequenciesGiven = false;
  bool reportGiven = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string name = words[i], value;
    const std::size_t equals = name.find('=');
    const bool inlineValue = name.rfind("--", 0) == 0 && equals != std::string::npos;
    if (inlineValue) name = name.substr(0, equals);
    if (words[i] == "--reference-uncertainty") {
      options.corrections.referenceUncertainty = true;
      continue;
    }
    if (words[i] == "--ancestry") {
      options.ancestry = true;
      continue;
    }
    if (words[i] == "--clines") {
      options.clines = true;
      continue;
    }
    if (name == "--reference-frequencies") frequenciesGiven = true;
    if (!takesValue(name)) {
      rest.push_back(words[i]);
      continue;
    }
    if (inlineValue) {
      value = words[i].substr(equals + 1);
    } else if (i + 1 == words.size()) {
      throw UsageError("option " + name + " needs a value");
    } else {
      value = words[++i];
    }
    apply(name, value, options);
    given.push_back(name);
    if (name == "-o") reportGiven = true;
  }
  if (!options.selection.samplesFile.empty() && options.selection.shardCount > 0)
    throw UsageError("give at most one of --samples FILE and --shard K/N");
  checkCorrections(options.corrections, frequenciesGiven);
  checkClines(options, given);
  checkAncestry(options, given);
  if (options.ancestry && !reportGiven) options.report = "parmix_ancestry.txt";
  if (options.clines && !reportGiven) options.report = "parmix_clines.txt";
  refuseImportOnly(rest);
  const importer::ParseOutcome outcome = importer::parseOptions(rest, options.input);
  if (options.input.format == importer::InputFormat::Plink &&
      !options.corrections.likelihoodField.empty())
    throw UsageError("option --genotype-likelihoods goes with --vcf only: a .bed holds "
                     "genotype calls, no likelihoods");
  return outcome;
}

}  // namespace parmix::genome
