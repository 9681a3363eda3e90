#include "options.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace parmix::sim {

namespace {

constexpr const char* kUsage =
    "Usage: parmix-sim [OPTION]...\n"
    "Simulates a data set for parmix: a parental file, an individual file and a\n"
    "truth file with every individual's true hybrid index h.\n"
    "\n"
    "  --individuals N       individuals to simulate (default 100)\n"
    "  --loci L              loci to simulate (default 100)\n"
    "  --alleles K | K1:K2   alleles of each codominant locus, or a range drawn\n"
    "                        per locus (default 2; at least 2)\n"
    "  --dominant-share F    share of the loci that are dominant, 0..1 (default 0)\n"
    "  --missing-share F     chance that a designation is missing, 0..1 (default 0)\n"
    "  --mix KIND=W,...      relative numbers of the kinds of individual, KIND one\n"
    "                        of pureR, pureS, F1, BCR, BCS, uniform; kinds left out\n"
    "                        get 0 (default: all six equally often)\n"
    "  --differentiation P   how far R and S lie apart at a locus, measured by the\n"
    "                        frequency difference of the allele that separates\n"
    "                        them best: weak (0.02-0.2), moderate (0.2-0.6),\n"
    "                        strong (0.6-0.98), mixed (0.02-0.98, weak ones far\n"
    "                        more common, the default) or A:B (uniform in [A, B])\n"
    "  --pedigree KIND=W,... individuals of known pedigree instead, in these\n"
    "                        relative numbers, KIND one of pureR, pureS, F1, F2,\n"
    "                        BCR, BCS, later (the last generation of a hybrid\n"
    "                        swarm); their copies at each locus are drawn from\n"
    "                        ancestry states, and the truth file gives the\n"
    "                        realised h and interclass heterozygosity het\n"
    "  --generations G       generations of the hybrid swarm, the F1s that found\n"
    "                        it being the first, at least 2 (default 3); its\n"
    "                        members, as many as there are later individuals,\n"
    "                        mate at random\n"
    "  --seed S              seed of the random draws (default 1); the same seed\n"
    "                        and options give the same files on every machine\n"
    "  --prefix OUT          writes OUT.parental.txt, OUT.individuals.txt and\n"
    "                        OUT.truth.tsv (default sim)\n"
    "  --vcf                 also writes OUT.vcf.gz (bgzip-compressed VCF) and\n"
    "                        OUT.popmap.txt: reference samples of R and S, then\n"
    "                        the individuals with the genotypes of the individual\n"
    "                        file (codominant loci only)\n"
    "  --plink               also writes OUT.bed, OUT.bim and OUT.fam (PLINK 1\n"
    "                        binary files, FID the population, IID the name) and\n"
    "                        OUT.popmap.txt: the samples and genotypes of --vcf\n"
    "                        (biallelic loci only); the parental and individual\n"
    "                        files are then left out\n"
    "  --text-files          with --plink: writes the parental and individual\n"
    "                        files too\n"
    "  --depth D             with --vcf: reads of mean depth D (Poisson) for every\n"
    "                        genotype, written as AD and PL, GT called from them\n"
    "                        (biallelic loci only; default: calls only)\n"
    "  --error E             with --depth: per-read error rate, 0..0.5 (default\n"
    "                        0.01)\n"
    "  --reference-files     also writes OUT.R.txt and OUT.S.txt: reference samples\n"
    "                        of R and S in the individual-file format (the VCF's,\n"
    "                        with --vcf), for parmix --parental-from\n"
    "  --references N        reference samples of each population in the VCF and\n"
    "                        the reference files and the PLINK files (default 50)\n"
    "  --cline-share F       share of the loci, 0..1, whose copies come from R with\n"
    "                        chance phi(h; v, centre) = logistic(v (logit h -\n"
    "                        logit centre)) instead of h (default 0); also writes\n"
    "                        OUT.clines.tsv, every locus's true v and centre\n"
    "  --cline-v V | A:B     their steepness v, fixed or drawn per locus\n"
    "                        log-uniformly from [A, B], 0.01..100 (default 1)\n"
    "  --cline-centre C|A:B  their centre, fixed or drawn per locus uniformly\n"
    "                        from [A, B], 0.001..0.999 (default 0.5)\n"
    "  --help                shows this text\n"
    "\n"
    "Individuals: pureR has h = 1, pureS h = 0, F1 h = 0.5, BCR (backcross to R)\n"
    "h = 0.75, BCS h = 0.25, uniform h drawn uniformly from [0, 1].  Each of an\n"
    "individual's alleles at a locus is drawn independently from R with chance h\n"
    "and from S otherwise, which is the model parmix fits.  The kinds are\n"
    "apportioned exactly to the weights and listed in random order.\n"
    "Missing data are written NA (NA/NA at a codominant locus).\n";

bool parseInt(const char* text, long low, long high, int& out) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

bool parseReal(const char* text, double low, double high, double& out) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (*text == '\0' || *end != '\0' || !(value >= low && value <= high)) return false;
  out = value;
  return true;
}

bool parseShare(const char* text, double& out) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value >= 0.0 && value <= 1.0)) return false;
  out = value;
  return true;
}

bool parseSeed(const char* text, std::uint64_t& out) {
  errno = 0;
  char* end = nullptr;
  if (*text == '-') return false;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0') return false;
  out = value;
  return true;
}

bool parseAlleles(const char* text, Options& options) {
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) {
    if (!parseInt(text, 2, 1000, options.minAlleles)) return false;
    options.maxAlleles = options.minAlleles;
    return true;
  }
  const std::string low(text, colon);
  return parseInt(low.c_str(), 2, 1000, options.minAlleles) &&
         parseInt(colon + 1, 2, 1000, options.maxAlleles) &&
         options.minAlleles <= options.maxAlleles;
}

bool parseDifferentiation(const char* text, Differentiation& out) {
  if (std::strcmp(text, "weak") == 0) {
    out = Differentiation{200, 2000, false};
  } else if (std::strcmp(text, "moderate") == 0) {
    out = Differentiation{2000, 6000, false};
  } else if (std::strcmp(text, "strong") == 0) {
    out = Differentiation{6000, 9800, false};
  } else if (std::strcmp(text, "mixed") == 0) {
    out = Differentiation{200, 9800, true};
  } else {
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr) return false;
    const std::string lowText(text, colon);
    double low = 0.0, high = 0.0;
    if (!parseShare(lowText.c_str(), low) || !parseShare(colon + 1, high) || low > high)
      return false;
    out = Differentiation{static_cast<int>(std::lround(low * kScale)),
                          static_cast<int>(std::lround(high * kScale)), false};
  }
  return true;
}

// V or A:B, within [low, high], into the range's ends.
bool parseRange(const char* text, double low, double high, double& from, double& to) {
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) {
    if (!parseReal(text, low, high, from)) return false;
    to = from;
    return true;
  }
  const std::string first(text, colon);
  return parseReal(first.c_str(), low, high, from) && parseReal(colon + 1, low, high, to) &&
         from <= to;
}

int ancestryByName(const std::string& name) {
  for (int k = 0; k < kAncestryKinds; ++k)
    if (name == ancestryName(static_cast<Ancestry>(k))) return k;
  return -1;
}

int lineageByName(const std::string& name) {
  for (int k = 0; k < kLineages; ++k)
    if (name == lineageName(static_cast<Lineage>(k))) return k;
  return -1;
}

// KIND=W,... into weights by kind; false unless every item is valid and the
// weights add up to more than 0.
template <std::size_t N>
bool parseWeights(const char* text, int (*byName)(const std::string&), std::array<double, N>& out) {
  out.fill(0.0);
  double total = 0.0;
  std::string rest(text);
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string item = rest.substr(0, comma);
    rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) return false;
    const int kind = byName(item.substr(0, equals));
    char* end = nullptr;
    const std::string weightText = item.substr(equals + 1);
    const double weight = std::strtod(weightText.c_str(), &end);
    if (kind < 0 || weightText.empty() || *end != '\0' || !(weight >= 0.0 && weight < 1e12))
      return false;
    out[kind] = weight;
    total += weight;
  }
  return total > 0.0;
}

bool parseMix(const char* text, std::array<double, kAncestryKinds>& mix) {
  return parseWeights(text, ancestryByName, mix);
}

// Applies one option with its value; false when the value is not valid.
bool applyOption(const std::string& name, const char* value, Options& options) {
  if (name == "--individuals") return parseInt(value, 1, 10000000, options.individuals);
  if (name == "--loci") return parseInt(value, 1, 100000000, options.loci);
  if (name == "--alleles") return parseAlleles(value, options);
  if (name == "--dominant-share") return parseShare(value, options.dominantShare);
  if (name == "--missing-share") return parseShare(value, options.missingShare);
  if (name == "--seed") return parseSeed(value, options.seed);
  if (name == "--prefix") {
    options.prefix = value;
    return !options.prefix.empty();
  }
  if (name == "--mix") return parseMix(value, options.mix);
  if (name == "--references") return parseInt(value, 1, 1000000, options.references);
  if (name == "--differentiation") return parseDifferentiation(value, options.differentiation);
  if (name == "--pedigree") {
    options.pedigree = true;
    return parseWeights(value, lineageByName, options.lineages);
  }
  if (name == "--generations") return parseInt(value, 2, 1000, options.generations);
  if (name == "--depth") return parseReal(value, 1e-3, 10000.0, options.depth);
  if (name == "--error") return parseReal(value, 0.0, 0.4999, options.error);
  ClineSettings& clines = options.clines;
  if (name == "--cline-share") return parseShare(value, clines.share);
  if (name == "--cline-v") return parseRange(value, 0.01, 100.0, clines.vLow, clines.vHigh);
  if (name == "--cline-centre")
    return parseRange(value, 0.001, 0.999, clines.centreLow, clines.centreHigh);
  return false;
}

bool isKnownOption(const std::string& name) {
  static constexpr const char* kNames[] = {
      "--individuals", "--loci", "--alleles", "--dominant-share", "--missing-share",
      "--seed",        "--prefix", "--mix",   "--differentiation", "--pedigree",
      "--generations", "--references", "--depth", "--error", "--cline-share", "--cline-v",
      "--cline-centre"};
  for (const char* known : kNames)
    if (name == known) return true;
  return false;
}

}  // namespace

const char* ancestryName(Ancestry kind) {
  switch (kind) {
    case Ancestry::PureR: return "pureR";
    case Ancestry::PureS: return "pureS";
    case Ancestry::F1: return "F1";
    case Ancestry::BCR: return "BCR";
    case Ancestry::BCS: return "BCS";
    case Ancestry::Uniform: return "uniform";
  }
  return "?";
}

const char* lineageName(Lineage lineage) {
  switch (lineage) {
    case Lineage::PureR: return "pureR";
    case Lineage::PureS: return "pureS";
    case Lineage::F1: return "F1";
    case Lineage::F2: return "F2";
    case Lineage::BCR: return "BCR";
    case Lineage::BCS: return "BCS";
    case Lineage::Later: return "later";
  }
  return "?";
}

const char* usageText() { return kUsage; }

ParseOutcome parseOptions(int argc, const char* const argv[], Options& options,
                          std::string& message) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--help" || name == "-h") return ParseOutcome::Help;
    std::string value;
    bool hasValue = false;
    const std::size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    if (name == "--vcf" && !hasValue) {
      options.vcf = true;
      continue;
    }
    if (name == "--plink" && !hasValue) {
      options.plink = true;
      continue;
    }
    if (name == "--text-files" && !hasValue) {
      options.textFiles = true;
      continue;
    }
    if (name == "--reference-files" && !hasValue) {
      options.referenceFiles = true;
      continue;
    }
    if (!isKnownOption(name)) {
      message = "unknown option '" + name + "'";
      return ParseOutcome::Error;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        message = "option " + name + " needs a value";
        return ParseOutcome::Error;
      }
      value = argv[++i];
    }
    if (!applyOption(name, value.c_str(), options)) {
      message = "invalid value '" + value + "' for " + name;
      return ParseOutcome::Error;
    }
  }
  // A pedigree study writes the text files only; it would otherwise drop
  // these options without a word.
  if (options.pedigree && (options.vcf || options.referenceFiles)) {
    message = std::string("--pedigree writes the text files only: ") +
              (options.vcf ? "--vcf" : "--reference-files") + " does not go with it";
    return ParseOutcome::Error;
  }
  if (options.vcf && options.dominantShare > 0.0) {
    message = "a VCF holds codominant loci only: --vcf needs --dominant-share 0";
    return ParseOutcome::Error;
  }
  if (options.plink && (options.pedigree || options.dominantShare > 0.0 ||
                        options.minAlleles != 2 || options.maxAlleles != 2)) {
    message = "PLINK files hold biallelic codominant loci of drawn individuals: --plink needs "
              "--alleles 2, --dominant-share 0 and no --pedigree";
    return ParseOutcome::Error;
  }
  if (options.pedigree && options.clines.share > 0.0) {
    message = "--pedigree draws ancestry states, not clines: --cline-share does not go with it";
    return ParseOutcome::Error;
  }
  if (options.depth > 0.0 && (!options.vcf || options.maxAlleles != 2)) {
    message = "reads are drawn for a VCF of biallelic loci: --depth needs --vcf and --alleles 2";
    return ParseOutcome::Error;
  }
  return ParseOutcome::Run;
}

}  // namespace parmix::sim
