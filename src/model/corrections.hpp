#ifndef PARMIX_REPORT_CORRECTIONS_HPP
#define PARMIX_REPORT_CORRECTIONS_HPP

// Which corrections for sequencing data and small reference samples a run
// uses, and how its outputs say so: a note in the report (read back by the
// package's report reader) and a tag list in the tables.  A run without
// corrections writes neither, so its outputs are those of the plain
// analysis.

#include <string>

namespace parmix {

struct Corrections {
  std::string likelihoodField;      // "PL" or "GL"; empty: the calls
  bool referenceFromCalls = false;  // frequencies from GT even with likelihoods
  bool referenceUncertainty = false;

  bool any() const { return !likelihoodField.empty() || referenceUncertainty; }
  bool frequenciesByEm() const { return !likelihoodField.empty() && !referenceFromCalls; }
};

// The report's note on the corrections in force (empty when none), ended
// by an empty line.
std::string correctionsNote(const Corrections& corrections);

// The tables' corrections column: the tags of the corrections in force
// joined by commas ("genotype-likelihoods=PL,reference-frequencies=gl,
// reference-uncertainty"); empty when none.
std::string correctionTags(const Corrections& corrections);

}  // namespace parmix

#endif
