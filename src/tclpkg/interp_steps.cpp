#include "tclpkg/interp_steps.hpp"

#include <utility>

#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "tclpkg/tcl_result.hpp"
#include "validate/individual_checks.hpp"
#include "validate/parental_checks.hpp"

namespace parmix {

int checkFileType(std::string fileName, std::string keyword, Tcl_Interp* interp) {
  Status status;
  return placeMessage(interp, status, checkKeyword(std::move(fileName), std::move(keyword), status));
}

int findNumberColumns(std::string fileName, int* nInd, int* nCols, Tcl_Interp* interp, char eol) {
  Status status;
  return placeMessage(interp, status, countColumns(std::move(fileName), nInd, nCols, status, eol));
}

int findMaxAlleles(std::string fileName, int nRecords, int* maxAlleles, Tcl_Interp* interp,
                   char eol) {
  Status status;
  return placeMessage(interp, status,
                      scanMaxAlleles(std::move(fileName), nRecords, maxAlleles, status, eol));
}

int getParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                    std::string fileName, Tcl_Interp* interp, char eol) {
  Status status;
  return placeMessage(interp, status,
                      readParentalData(freqS, freqR, locusType, nLoci, maxAlleles,
                                       std::move(fileName), status, eol));
}

int verifyParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                       Tcl_Interp* interp, std::ostream& report) {
  Status status;
  return placeMessage(
      interp, status,
      checkParentalData(freqS, freqR, locusType, nLoci, maxAlleles, status, report));
}

int getIndData(int** genotypes, std::string* indNames, std::string fileName, int nLoci, int nCols,
               int nInd, int maxAlleles, const char* locusType, unsigned int* nameWidth,
               Tcl_Interp* interp, char eol, const char* typeInFile) {
  Status status;
  return placeMessage(interp, status,
                      readIndData(genotypes, indNames, std::move(fileName), nLoci, nCols, nInd,
                                  maxAlleles, locusType, nameWidth, status, eol, typeInFile));
}

int verifyIndData(int** genotypes, double** freqR, double** freqS, const char* locusType,
                  int nLoci, int nCols, Tcl_Interp* interp) {
  Status status;
  return placeMessage(interp, status,
                      checkIndData(genotypes, freqR, freqS, locusType, nLoci, nCols, status));
}

}  // namespace parmix
