#ifndef PARMIX_TCLPKG_INTERP_STEPS_HPP
#define PARMIX_TCLPKG_INTERP_STEPS_HPP

// The reading and checking steps of a run as functions that report through
// an interpreter; the command `parmix` runs them in order
// (tclpkg/parmix_cmd.cpp).  Each calls the step of the
// same contract in the core (named in brackets) and, when that fails (1),
// places its message as the interpreter's result; 0 leaves the result
// untouched.  Arguments and results are the core's, the status replaced by
// the interpreter.  The core keeps a locus's type as read and a separate
// "used" flag; these functions keep the older contract in which locusType
// itself carries the exclusion as 'B', and translate at the call.

#include <tcl.h>

#include <ostream>
#include <string>

namespace parmix {

// [checkKeyword, input/text_scan.hpp]
int checkFileType(std::string fileName, std::string keyword, Tcl_Interp* interp);

// [countColumns, input/text_scan.hpp]
int findNumberColumns(std::string fileName, int* nInd, int* nCols, Tcl_Interp* interp, char eol);

// [scanMaxAlleles, input/parental_file.hpp]
int findMaxAlleles(std::string fileName, int nRecords, int* maxAlleles, Tcl_Interp* interp,
                   char eol);

// [readParentalData, input/parental_file.hpp]
int getParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                    std::string fileName, Tcl_Interp* interp, char eol);

// [checkParentalData, validate/parental_checks.hpp]  Marks 'B' in locusType
// every locus the check takes out of the analysis.
int verifyParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                       Tcl_Interp* interp, std::ostream& report);

// [readIndData, input/individual_file.hpp]  A locus marked 'B' is read
// without the allele tests, with the layout of its type in typesAsRead
// ('C' or 'D'), or as codominant when typesAsRead is null.
int getIndData(int** genotypes, std::string* indNames, std::string fileName, int nLoci, int nCols,
               int nInd, int maxAlleles, const char* locusType, unsigned int* nameWidth,
               Tcl_Interp* interp, char eol, const char* typesAsRead = nullptr);

// [checkIndData, validate/individual_checks.hpp]  Loci marked 'B' are
// skipped.
int verifyIndData(int** genotypes, double** freqR, double** freqS, const char* locusType,
                  int nLoci, int nCols, Tcl_Interp* interp);

}  // namespace parmix

#endif
