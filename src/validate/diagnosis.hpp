#ifndef PARMIX_VALIDATE_DIAGNOSIS_HPP
#define PARMIX_VALIDATE_DIAGNOSIS_HPP

// What parmix makes of a parental and an individual file, without
// estimating anything: the loci, the individuals and their missing data,
// and every problem of the individual file at once rather than the first
// only.  The first error is the very message of the analysis (loadDataSet
// finds it); the rest is a lenient pass of its own over both files that
// goes on past each problem.  Read only; nothing is written.

#include <string>
#include <vector>

#include "input/status.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

struct LocusDiagnosis {
  std::string label;     // the individual file's label, or the parental file's
  char type = 'C';       // 'C' or 'D' as in the parental file
  int alleles = 0;       // alleles per population (1 at a dominant locus)
  bool excluded = false;  // frequencies identical: not used
  bool weak = false;      // frequencies differ by less than 0.05
  int missing = 0;        // individuals without a usable genotype here
  int unknown = 0;        // genotypes with an allele neither parent has
  int outOfRange = 0;     // designations no allele of the file can have
  // Dominant loci: the study's band count among the scored individuals, and
  // the parental band frequencies as the file gives them.
  int bands = 0;
  int scored = 0;
  double bandR = 0.0;
  double bandS = 0.0;
  int bandPlace = 0;  // 0 inside, 1 above, -1 below the parental range
};

struct IndividualDiagnosis {
  std::string name;
  int loci = 0;     // used loci at which the individual has a genotype
  int missing = 0;  // used loci at which it has none
};

// A genotype that the analysis refuses: an allele neither parent has
// ("unknown"), or a designation outside every allele of the file ("range":
// above the file's largest allele count, zero or negative).
struct RefusedGenotype {
  int locus = 0;       // 0-based
  int individual = 0;  // 0-based
  int column = 0;      // the designation's column on the record, 0-based
  std::string token;
  bool outOfRange = false;
};

// A spelling read as missing data other than NA, ?, -, -9999.
struct UnusualToken {
  std::string token;
  int count = 0;
  int firstLocus = 0;       // 0-based
  int firstIndividual = 0;  // 0-based
};

// A codominant record whose designations do not pair up with the
// individuals: a lone NA, one designation too few or too many.
struct PairingBreak {
  int locus = 0;  // 0-based
  int designations = 0;
  int individual = -1;  // 0-based; -1 when the break cannot be placed
  std::string token;    // the lone designation, when there is one
};

struct Diagnosis {
  Status firstError;  // ok when the files would run
  int parentalRecords = -1;  // header included; -1 when unreadable
  int individualRecords = -1;
  bool parentalRead = false;    // the loci below come from the parental file
  bool individualsRead = false;  // the individuals' counts are filled
  std::vector<LocusDiagnosis> loci;
  std::vector<IndividualDiagnosis> individuals;
  std::vector<RefusedGenotype> refused;
  std::vector<UnusualToken> unusualTokens;  // the first 100 spellings
  int unusualTotal = 0;      // designations read as missing from such tokens
  int designationsRead = 0;  // every designation taken from a used locus record
  std::vector<PairingBreak> pairingBreaks;
  // Dominant loci whose band counts speak for allele frequencies written
  // where band frequencies belong (rule in diagnosis.cpp).
  bool alleleFrequencySign = false;
};

// Fills `out` for the two files.  With findFirstError false the files are
// not loaded as the analysis loads them (which reads them in full once
// more), and firstError stays ok: for callers that run the analysis next.
// Never throws for bad input; throws std::bad_alloc only when the tables a
// file claims cannot be had.
void diagnose(const InputPaths& paths, Diagnosis& out, bool findFirstError = true);

}  // namespace parmix

#endif
