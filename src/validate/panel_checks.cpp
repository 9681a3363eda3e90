#include "validate/panel_checks.hpp"

#include "input/errors.hpp"
#include "input/status.hpp"
#include "validate/parental_checks.hpp"

namespace parmix::genome {

namespace {

// The analysis's message for an allele that neither population has.
std::string absentMessage(const AbsentAllele& a) {
  return "The allele " + std::to_string(a.allele) + " for individual number " +
         std::to_string(a.individual / 2 + 1) + " at locus number " +
         std::to_string(a.locus + 1) +
         " refers to an allele that does not exist in the parental populations.";
}

}  // namespace

void checkPanel(Panel& panel, const std::string& input, std::ostream& notes) {
  Status status;
  const int loci = panel.freqR.rowCount();
  if (checkParentalData(panel.freqS.rows(), panel.freqR.rows(), panel.locusType.data(),
                        panel.locusUsed.data(), loci, panel.maxAlleles, status, notes) != 0)
    throw importer::InputError(input + ": " + status.message());
  for (const AbsentAllele& absent : panel.absent)
    if (panel.locusUsed[static_cast<std::size_t>(absent.locus)])
      throw importer::InputError(input + ": " + absentMessage(absent));
}

}  // namespace parmix::genome
