#include "tclpkg/interp_steps.hpp"

#include <utility>
#include <vector>

#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "tclpkg/tcl_result.hpp"
#include "validate/individual_checks.hpp"
#include "validate/parental_checks.hpp"

namespace parmix {

namespace {

// The core's "used" flag of each locus from a type array in which 'B'
// marks an excluded locus.
std::vector<char> usedFromTypes(const char* locusType, int nLoci) {
  std::vector<char> used(static_cast<std::size_t>(nLoci < 0 ? 0 : nLoci));
  for (std::size_t i = 0; i < used.size(); ++i) used[i] = locusType[i] != 'B';
  return used;
}

// The types as read behind a type array that may hold 'B': a 'B' locus
// takes its type from typesAsRead when that says dominant, else codominant.
std::vector<char> typesBehind(const char* locusType, const char* typesAsRead, int nLoci) {
  std::vector<char> types(locusType, locusType + (nLoci < 0 ? 0 : nLoci));
  for (std::size_t i = 0; i < types.size(); ++i)
    if (types[i] == 'B') types[i] = typesAsRead != nullptr && typesAsRead[i] == 'D' ? 'D' : 'C';
  return types;
}

}  // namespace

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
  std::vector<char> used(static_cast<std::size_t>(nLoci < 0 ? 0 : nLoci), 1);
  const int failed =
      checkParentalData(freqS, freqR, locusType, used.data(), nLoci, maxAlleles, status, report);
  for (std::size_t i = 0; i < used.size(); ++i)
    if (!used[i]) locusType[i] = 'B';
  return placeMessage(interp, status, failed);
}

int getIndData(int** genotypes, std::string* indNames, std::string fileName, int nLoci, int nCols,
               int nInd, int maxAlleles, const char* locusType, unsigned int* nameWidth,
               Tcl_Interp* interp, char eol, const char* typesAsRead) {
  Status status;
  const std::vector<char> types = typesBehind(locusType, typesAsRead, nLoci);
  const std::vector<char> used = usedFromTypes(locusType, nLoci);
  return placeMessage(interp, status,
                      readIndData(genotypes, indNames, std::move(fileName), nLoci, nCols, nInd,
                                  maxAlleles, types.data(), used.data(), nameWidth, status, eol));
}

int verifyIndData(int** genotypes, double** freqR, double** freqS, const char* locusType,
                  int nLoci, int nCols, Tcl_Interp* interp) {
  Status status;
  const std::vector<char> used = usedFromTypes(locusType, nLoci);
  return placeMessage(
      interp, status,
      checkIndData(genotypes, freqR, freqS, locusType, used.data(), nLoci, nCols, status));
}

}  // namespace parmix
