#ifndef PARMIX_IMPORT_OPTIONS_HPP
#define PARMIX_IMPORT_OPTIONS_HPP

// What a reading of VCF or STRUCTURE input is asked to do: the command line
// of parmix-import, whose input options the genome-scale run shares.

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

// Reads the words after the program name; throws UsageError on a wrong
// call.
ParseOutcome parseOptions(const std::vector<std::string>& words, Options& options);

const char* usageText();
const char* helpText();

}  // namespace parmix::importer

#endif
