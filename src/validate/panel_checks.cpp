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

// The sites named one by one; beyond them the note gives a count, so that
// a genome with thousands of alike sites keeps a short report.
constexpr std::size_t kNamedSites = 30;

std::string siteName(const Panel& panel, int locus) {
  for (const auto& [index, label] : panel.alikeSites)
    if (index == locus) return label;
  return "site " + std::to_string(locus + 1);  // not met: both judge alike
}

}  // namespace

void writeExcludedSitesNote(std::ostream& notes, const std::vector<std::string>& named,
                            std::size_t total) {
  if (total == 0) return;
  notes << "\nSites not used in the calculation of the hybrid index, because their\n"
        << "parental allele frequencies do not differ by more than " << kIdentityThreshold
        << ":\n";
  for (const std::string& name : named) notes << "  " << name << "\n";
  if (total > named.size()) notes << "  and " << total - named.size() << " more.\n";
  notes << "\n";
}

void checkPanel(Panel& panel, const std::string& input, std::ostream& notes) {
  Status status;
  const int loci = panel.freqR.rowCount();
  ParentalFindings findings;
  if (classifyParentalData(panel.freqS.rows(), panel.freqR.rows(), panel.locusType.data(),
                           panel.locusUsed.data(), loci, panel.maxAlleles, status,
                           findings) != 0)
    throw importer::InputError(input + ": " + status.message());
  std::vector<std::string> named;
  for (std::size_t k = 0; k < findings.excluded.size() && k < kNamedSites; ++k)
    named.push_back(siteName(panel, findings.excluded[k]));
  writeExcludedSitesNote(notes, named, findings.excluded.size());
  writeWeakLociNote(notes, findings.weak, loci);
  for (const AbsentAllele& absent : panel.absent)
    if (panel.locusUsed[static_cast<std::size_t>(absent.locus)])
      throw importer::InputError(input + ": " + absentMessage(absent));
}

}  // namespace parmix::genome
