#ifndef PARMIX_INPUT_INDIVIDUAL_FILE_HPP
#define PARMIX_INPUT_INDIVIDUAL_FILE_HPP

// Reader of the individual file: the names of the header record and every
// individual's designations at every locus.  Line numbers in its messages
// count locus records from 1.

#include <memory>
#include <string>

#include "input/status.hpp"

namespace parmix {

// Fills indNames (nInd names), genotypes (nLoci rows of nCols) and raises
// *nameWidth to the longest name.  A codominant locus takes two designations
// per individual, a dominant one one (its second column gets -9999).  Every
// locus is read with the layout of its type as read (locusType, 'C' or 'D');
// a locus whose locusUsed is 0 is read without the zero test.
//
// Tokens that are not wholly a number, and "nan", are missing data (-9999).
// 0 on success; 1 with the message of the first faulty token: a zero or a
// negative allele number at a codominant locus, a designation above
// maxAlleles, or a record that runs out of designations.
int readIndData(int** genotypes, std::string* indNames, std::string fileName, int nLoci, int nCols,
                int nInd, int maxAlleles, const char* locusType, const char* locusUsed,
                unsigned int* nameWidth, Status& status, char eol);

// One token converted as the reader converts it, for other passes over the
// individual file that must read it alike.  Numbers are read in the C
// locale whatever locale the host set.
class DesignationConverter {
 public:
  DesignationConverter();
  ~DesignationConverter();
  DesignationConverter(const DesignationConverter&) = delete;
  DesignationConverter& operator=(const DesignationConverter&) = delete;
  // True with *value (strtod's value truncated toward zero) when the token
  // is wholly a number within the int range other than -9999; false for
  // missing data (*value then -9999) and for a number beyond the int range
  // (*outOfIntRange then true).
  bool convert(const std::string& token, int* value, bool* outOfIntRange) const;

 private:
  struct Locale;
  std::unique_ptr<Locale> locale_;
};

}  // namespace parmix

#endif
