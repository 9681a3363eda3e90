#include "input/options.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "input/errors.hpp"
#include "input/status.hpp"

namespace parmix::importer {

namespace {

// WHAT says which values are allowed, for the message.
double parseNumber(const std::string& option, const std::string& text, double low, double high,
                   const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value < low ||
      value > high) {
    throw UsageError("option " + option + " needs " + what + ", not " + quotedValue(text));
  }
  return value;
}

int parseCount(const std::string& option, const std::string& text, int low, int high,
               const std::string& what) {
  const double value = parseNumber(option, text, low, high, what);
  if (value != std::floor(value)) {
    throw UsageError("option " + option + " needs " + what + ", not " + quotedValue(text));
  }
  return static_cast<int>(value);
}

std::vector<std::string> splitCommas(const std::string& option, const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (parts.back().empty()) throw UsageError("option " + option + " holds an empty name");
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

using Setter = std::function<void(Options&, const std::string& option, const std::string&)>;

const std::map<std::string, Setter>& valueOptions() {
  static const std::map<std::string, Setter> table = {
      {"--vcf", [](Options& o, const std::string&, const std::string& v) {
         o.format = InputFormat::Vcf;
         o.input = v;
       }},
      {"--bfile", [](Options& o, const std::string&, const std::string& v) {
         o.format = InputFormat::Plink;
         o.input = v;
       }},
      {"--structure", [](Options& o, const std::string&, const std::string& v) {
         o.format = InputFormat::Structure;
         o.input = v;
       }},
      {"--popmap", [](Options& o, const std::string&, const std::string& v) { o.populationMap = v; }},
      {"--r", [](Options& o, const std::string&, const std::string& v) { o.populationR = v; }},
      {"--s", [](Options& o, const std::string&, const std::string& v) { o.populationS = v; }},
      {"--study", [](Options& o, const std::string& n, const std::string& v) {
         o.studyPopulations = splitCommas(n, v);
       }},
      {"--prefix", [](Options& o, const std::string&, const std::string& v) { o.prefix = v; }},
      {"--counts", [](Options& o, const std::string&, const std::string& v) { o.countsFile = v; }},
      {"--pseudo-count", [](Options& o, const std::string& n, const std::string& v) {
         o.pseudoCount = parseNumber(n, v, 0, 1e9, "a number from 0 to 1e9");
       }},
      {"--min-called", [](Options& o, const std::string& n, const std::string& v) {
         o.filters.minCalledAlleles = parseCount(n, v, 1, 1000000000, "a whole number of 1 or more");
       }},
      {"--min-difference", [](Options& o, const std::string& n, const std::string& v) {
         o.filters.minDifference = parseNumber(n, v, 0, 1, "a number from 0 to 1");
       }},
      {"--max-missing", [](Options& o, const std::string& n, const std::string& v) {
         o.filters.maxMissingShare = parseNumber(n, v, 0, 1, "a number from 0 to 1");
       }},
      {"--rows", [](Options& o, const std::string& n, const std::string& v) {
         o.structure.rowsPerIndividual = parseCount(n, v, 1, 2, "1 or 2");
       }},
      {"--missing-code", [](Options& o, const std::string&, const std::string& v) {
         o.structure.missingCode = v;
       }},
      {"--extra-columns", [](Options& o, const std::string& n, const std::string& v) {
         o.structure.extraColumns = parseCount(n, v, 0, 1000, "a whole number from 0 to 1000");
       }},
  };
  return table;
}

using Flag = std::function<void(Options&)>;

const std::map<std::string, Flag>& flagOptions() {
  static const std::map<std::string, Flag> table = {
      {"--biallelic-snps", [](Options& o) { o.filters.biallelicSnpsOnly = true; }},
      {"--marker-names", [](Options& o) { o.structure.markerNames = true; }},
      {"--population-column", [](Options& o) { o.structure.populationColumn = true; }},
      {"--reference-files", [](Options& o) { o.referenceFiles = true; }},
      {"--quiet", [](Options& o) { o.quiet = true; }},
  };
  return table;
}

bool isStructureOption(const std::string& name) {
  return name == "--rows" || name == "--missing-code" || name == "--extra-columns" ||
         name == "--marker-names" || name == "--population-column";
}

}  // namespace

bool setValueOption(const std::string& key, const std::string& shown, const std::string& text,
                    Options& options) {
  const auto setter = valueOptions().find(key);
  if (setter == valueOptions().end()) return false;
  setter->second(options, shown, text);
  return true;
}

void checkInputCall(const Options& options, const std::map<std::string, int>& given,
                    const InputOptionNames& names) {
  if (given.count("--vcf") + given.count("--bfile") + given.count("--structure") != 1) {
    throw UsageError("give the input as exactly one of " + names.vcf + " FILE, " + names.bfile +
                     " PREFIX and " + names.structure + " FILE");
  }
  if (options.format != InputFormat::Structure) {
    for (const auto& entry : given) {
      if (isStructureOption(entry.first)) {
        throw UsageError("option " + entry.first + " goes with " + names.structure + " only");
      }
    }
  }
  if (options.format == InputFormat::Structure && options.filters.biallelicSnpsOnly) {
    throw UsageError("option --biallelic-snps goes with " + names.vcf + " or " + names.bfile +
                     " only");
  }
  const bool mapFromColumn =
      options.format == InputFormat::Structure && options.structure.populationColumn;
  if (options.populationMap.empty() && !mapFromColumn) {
    throw UsageError("give the population map with " + names.popmap + " FILE");
  }
  if (options.populationR.empty() || options.populationS.empty()) {
    throw UsageError("name the reference populations with " + names.r + " POP and " + names.s +
                     " POP");
  }
  if (options.populationR == options.populationS) {
    throw UsageError(names.r + " and " + names.s + " name the same population, " +
                     options.populationR);
  }
  if (options.prefix.empty()) throw UsageError("option --prefix needs a non-empty value");
  if (given.count("--counts") && options.countsFile.empty()) {
    throw UsageError("option --counts needs a non-empty value");
  }
}

ParseOutcome parseOptions(const std::vector<std::string>& words, Options& options) {
  for (const std::string& word : words) {
    if (word == "--help" || word == "-h") return ParseOutcome::Help;
    if (word == "--version") return ParseOutcome::Version;
  }
  std::map<std::string, int> given;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string name = words[i];
    std::string value;
    bool inlineValue = false;
    const std::size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      inlineValue = true;
    }
    ++given[name];
    if (const auto flag = flagOptions().find(name); flag != flagOptions().end() && !inlineValue) {
      flag->second(options);
    } else if (valueOptions().count(name) != 0) {
      if (!inlineValue) {
        if (i + 1 == words.size()) throw UsageError("option " + name + " needs a value");
        value = words[++i];
      }
      setValueOption(name, name, value, options);
    } else if (name.rfind("-", 0) == 0) {
      throw UsageError("unknown option " + words[i]);
    } else {
      throw UsageError("unexpected word " + quotedValue(words[i]) +
                       ": every input is given by an option");
    }
  }
  checkInputCall(options, given);
  return ParseOutcome::Run;
}

const char* usageText() {
  return "usage: parmix-import (--vcf FILE | --bfile PREFIX | --structure FILE)\n"
         "                     [--popmap FILE]\n"
         "                     --r POP --s POP [--study POP,...] [--prefix OUT]\n"
         "                     [--pseudo-count X] [--biallelic-snps] [--min-called N]\n"
         "                     [--min-difference D] [--max-missing F] [--counts FILE]\n"
         "                     [--reference-files] [--quiet]\n"
         "       STRUCTURE layout: [--rows 1|2] [--missing-code CODE] [--marker-names]\n"
         "                     [--population-column] [--extra-columns N]\n"
         "       parmix-import --help | --version\n";
}

const char* helpText() {
  return "\n"
         "Writes the parental file OUT.parental.txt, counted from the reference samples\n"
         "of populations R and S, and the individual file OUT.individuals.txt of the\n"
         "individuals to study, from a VCF/BCF file (plain or bgzip-compressed; genotype\n"
         "calls GT only) or a STRUCTURE file, and a population map.  Loci keep their input\n"
         "order and are named CHROM:POS (VCF) or by their marker name (STRUCTURE).\n"
         "\n"
         "Input:\n"
         "  --vcf FILE           VCF or BCF file; alleles are numbered in VCF order\n"
         "                       (REF 1, first ALT 2, ...)\n"
         "  --bfile PREFIX       PLINK 1 binary files PREFIX.bed, .bim and .fam; alleles\n"
         "                       are numbered as the .bim orders them (A2 1, A1 2), as\n"
         "                       plink --keep-allele-order --recode vcf writes them;\n"
         "                       the population map names samples by IID or by\n"
         "                       FID_IID, as plink's VCF export does\n"
         "  --structure FILE     STRUCTURE file, columns separated by blanks, tabs or\n"
         "                       commas; allele codes are numbered 1, 2, ... in\n"
         "                       increasing order of their codes at each locus\n"
         "  --popmap FILE        lines 'individual population' (blank-separated; '#'\n"
         "                       starts a comment line); every individual named must be\n"
         "                       in the input\n"
         "  --r POP, --s POP     the populations whose individuals are the reference\n"
         "                       samples of R and S\n"
         "  --study POP,...      the populations to study (default: every individual\n"
         "                       that is in neither reference sample)\n"
         "\n"
         "Output:\n"
         "  --prefix OUT         start of the two file names (default: import)\n"
         "  --pseudo-count X     add X to the count of every allele in each reference\n"
         "                       sample before the frequencies are taken (default 0)\n"
         "  --counts FILE        also write the reference counts behind the frequencies,\n"
         "                       for parmix --reference-uncertainty --reference-counts\n"
         "  --reference-files    also write the reference samples R and S as individual\n"
         "                       files OUT.R.txt and OUT.S.txt, for parmix --parental-from\n"
         "\n"
         "Filters (each reported in the summary on standard error):\n"
         "  --biallelic-snps     keep only sites with one single-base REF and ALT (VCF,\n"
         "                       PLINK)\n"
         "  --min-called N       keep loci with at least N called alleles in R and in S\n"
         "                       (default 1)\n"
         "  --min-difference D   keep loci at which some allele's frequency differs by\n"
         "                       at least D between R and S (default 0)\n"
         "  --max-missing F      keep loci at which at most the share F of the\n"
         "                       individuals used (R, S and studied) lack a genotype\n"
         "                       (default 1)\n"
         "  Without a pseudo-count, loci where a studied individual carries an allele\n"
         "  that neither reference sample has are dropped too: the analysis could not\n"
         "  use them.\n"
         "\n"
         "STRUCTURE layout:\n"
         "  --rows 1|2           rows per individual (default 2)\n"
         "  --missing-code CODE  the missing-data code (default -9)\n"
         "  --marker-names       the first row names the loci (after names of the\n"
         "                       leading columns, if it has them)\n"
         "  --population-column  the column after the name gives the population (used\n"
         "                       as the population map when --popmap is not given)\n"
         "  --extra-columns N    N further columns before the genotypes are skipped\n"
         "\n"
         "  --quiet              print neither progress nor summary\n"
         "\n"
         "Exit status: 0 on success, 1 when an input is faulty or a file cannot be\n"
         "written (nothing is written then), 2 for a wrong call.\n"
         "\n"
         "Example:\n"
         "  parmix-import --vcf calls.vcf.gz --popmap pops.txt --r north --s south --prefix hz\n";
}

}  // namespace parmix::importer
