#ifndef PARMIX_IMPORT_OPTIONS_HPP
#define PARMIX_IMPORT_OPTIONS_HPP

// What a reading of VCF or STRUCTURE input is asked to do: the command line
// of parmix-import, whose input options the genome-scale run shares.

#include <map>
#include <string>
#include <vector>

namespace parmix::importer {

enum class InputFormat { Vcf, Structure, Plink };

// The layout of a STRUCTURE file: one row per individual with both
// alleles of a locus side by side, or two rows with one allele each.
struct StructureLayout {
  int rowsPerIndividual = 2;
  std::string missingCode = "-9";
  bool markerNames = false;       // the first row names the loci
  bool populationColumn = false;  // the column after the name
  int extraColumns = 0;           // further columns before the genotypes
};

struct Filters {
  bool biallelicSnpsOnly = false;
  int minCalledAlleles = 1;     // in each reference sample
  double minDifference = 0.0;   // largest |fR - fS| over the alleles
  double maxMissingShare = 1.0;
};

struct Options {
  InputFormat format = InputFormat::Vcf;
  std::string input;  // with Plink: the prefix of the .bed, .bim and .fam
  std::string populationMap;  // empty: the STRUCTURE population column
  std::string populationR;
  std::string populationS;
  std::vector<std::string> studyPopulations;  // empty: all but R and S
  std::string prefix = "import";
  std::string countsFile;       // empty: no reference counts file
  bool referenceFiles = false;  // also OUT.R.txt and OUT.S.txt
  double pseudoCount = 0.0;
  Filters filters;
  StructureLayout structure;
  bool quiet = false;
  // Threads beside the reading one that decompress a BGZF input (bgzipped
  // VCF, BCF); 0: none.
  int decompressionThreads = 0;
};

enum class ParseOutcome { Run, Help, Version };

// The names under which a caller offers the options that the checks of a
// whole call name in their messages; parmix-import's own by default.
struct InputOptionNames {
  std::string vcf = "--vcf";
  std::string bfile = "--bfile";
  std::string structure = "--structure";
  std::string popmap = "--popmap";
  std::string r = "--r";
  std::string s = "--s";
};

// Sets the value option KEY of parmix-import (for example "--pseudo-count")
// from TEXT, with that option's own check; a refusal (UsageError) names
// the option SHOWN, as the caller offers it.  False when KEY is not one of
// its value options.
bool setValueOption(const std::string& key, const std::string& shown, const std::string& text,
                    Options& options);

// The checks of a whole call once every option is set: one input, a map,
// two different references, the layout options only with STRUCTURE input.
// GIVEN counts each option by its parmix-import name; messages name the
// options by NAMES.  Throws UsageError.
void checkInputCall(const Options& options, const std::map<std::string, int>& given,
                    const InputOptionNames& names = InputOptionNames());

// Reads the words after the program name; throws UsageError on a wrong
// call.
ParseOutcome parseOptions(const std::vector<std::string>& words, Options& options);

const char* usageText();
const char* helpText();

}  // namespace parmix::importer

#endif
