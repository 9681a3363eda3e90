#include "data_loader.hpp"

#include <sstream>
#include <stdexcept>

#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "validate/individual_checks.hpp"
#include "validate/parental_checks.hpp"

namespace parmix::bench {

bool bindStubsTable(Tcl_Interp* interp);  // tcl_binding.cpp

Interpreter::Interpreter() : interp_(Tcl_CreateInterp()) {
  if (!bindStubsTable(interp_)) throw std::runtime_error("Tcl stubs table could not be bound");
}

Interpreter::~Interpreter() { Tcl_DeleteInterp(interp_); }

std::string Interpreter::result() const { return Tcl_GetStringResult(interp_); }

namespace {

bool measure(const std::string& parental, const std::string& individual, DataSet& d,
             Tcl_Interp* interp) {
  if (checkFileType(parental, "Parental", interp) || checkFileType(individual, "Individual", interp))
    return false;
  const int parentalRows = findNumberRowsAndTerminator(parental, &d.parentalEol);
  const int individualRows = findNumberRowsAndTerminator(individual, &d.individualEol);
  if (parentalRows < 1 || parentalRows != individualRows) {
    Tcl_SetResult(interp, const_cast<char*>("record counts differ or are 0"), TCL_STATIC);
    return false;
  }
  d.nLoci = parentalRows - 1;
  if (findNumberColumns(individual, &d.nInd, &d.nCols, interp, d.individualEol)) return false;
  d.allocateGenotypes();
  if (findMaxAlleles(parental, d.nLoci, &d.maxAlleles, interp, d.parentalEol)) return false;
  d.allocateTheRest();
  return true;
}

}  // namespace

bool loadDataSet(const std::string& parental, const std::string& individual, DataSet& d,
                 Interpreter& interpreter, std::string& message) {
  Tcl_Interp* interp = interpreter.get();
  std::ostringstream notes;
  const bool ok =
      measure(parental, individual, d, interp) &&
      !getParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci, d.maxAlleles,
                       parental, interp, d.parentalEol) &&
      (d.typeInFile = d.locusType, true) &&
      !verifyParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                          d.maxAlleles, interp, notes) &&
      !getIndData(d.genotypes.rows(), d.indNames.data(), individual, d.nLoci, d.nCols, d.nInd,
                  d.maxAlleles, d.locusType.data(), &d.nameWidth, interp, d.individualEol,
                  d.typeInFile.data()) &&
      !verifyIndData(d.genotypes.rows(), d.freqR.rows(), d.freqS.rows(), d.locusType.data(),
                     d.nLoci, d.nCols, interp);
  if (!ok) message = interpreter.result();
  return ok;
}

}  // namespace parmix::bench
