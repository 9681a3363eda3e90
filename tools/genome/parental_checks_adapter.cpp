#include "parental_checks_adapter.hpp"

#include <tcl.h>

#include <memory>

#include "errors.hpp"
#include "validate/parental_checks.hpp"

namespace parmix::genome {

bool bindStubsTable(Tcl_Interp* interp);  // tcl_stubs_binding.cpp

namespace {

struct InterpDeleter {
  void operator()(Tcl_Interp* interp) const { Tcl_DeleteInterp(interp); }
};
using Interp = std::unique_ptr<Tcl_Interp, InterpDeleter>;

Interp makeInterp() {
  Interp interp(Tcl_CreateInterp());
  if (!interp || !bindStubsTable(interp.get()))
    throw std::runtime_error("no Tcl interpreter could be made for the checks");
  return interp;
}

// The analysis's message for an allele that neither population has.
std::string absentMessage(const AbsentAllele& a) {
  return "The allele " + std::to_string(a.allele) + " for individual number " +
         std::to_string(a.individual / 2 + 1) + " at locus number " +
         std::to_string(a.locus + 1) +
         " refers to an allele that does not exist in the parental populations.";
}

}  // namespace

void checkPanel(Panel& panel, const std::string& input, std::ostream& notes) {
  const Interp interp = makeInterp();
  const int loci = panel.freqR.rowCount();
  if (verifyParentalData(panel.freqS.rows(), panel.freqR.rows(), panel.locusType.data(), loci,
                         panel.maxAlleles, interp.get(), notes) != 0)
    throw importer::InputError(input + ": " + Tcl_GetStringResult(interp.get()));
  for (const AbsentAllele& absent : panel.absent)
    if (panel.locusType[static_cast<std::size_t>(absent.locus)] != 'B')
      throw importer::InputError(input + ": " + absentMessage(absent));
}

}  // namespace parmix::genome
