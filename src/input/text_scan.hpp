#ifndef PARMIX_INPUT_TEXT_SCAN_HPP
#define PARMIX_INPUT_TEXT_SCAN_HPP

// The looks at an input file taken before any data are stored: its keyword,
// its line terminator, its record count and (individual file) its width.

#include <string>

#include "input/status.hpp"

namespace parmix {

// The separators that the individual file's locus records may use between
// the designations of an allele pair.
constexpr const char* kSeparatorSet = ",;/";

// Replaces, in the NUL-terminated text, every character of set by a blank.
void cleanString(char* text, const char* set);
// The same over the whole string, embedded NUL characters included.
void cleanString(std::string& text, const char* set);

// 0 when the file opens and its first word is exactly keyword; otherwise 1
// with "File %s could not be read" (missing, unreadable, a directory) or the
// keyword message in status.
int checkKeyword(std::string fileName, std::string keyword, Status& status);

// Number of records (header included) when read with terminator eol; 0 for a
// file without any '#'.  -1 when the file cannot be opened or its compressed
// data end early or fail their check: the caller reports that, the process
// never ends here.
int findNumberRows(std::string fileName, char eol);

// The file's line terminator and its record count with it: sets *eol to
// '\r' when a count with '\n' finds exactly one record, otherwise '\n', and
// returns the count with that terminator, reading the file once when it
// ends its lines in '\n' (-1 when it cannot be opened or read whole).
int findNumberRowsAndTerminator(const std::string& fileName, char* eol);

// False for a file that may never end, which only a reader that stops at
// its first fault may open: a device (/dev/zero, a terminal) or a socket.
// Regular files and pipes end; a path that names nothing fails when opened.
bool endsOfItself(const std::string& fileName);

// Counts the header's names into *nInd and fixes *nCols (2 * nInd, or 0 when
// no locus record holds a word).  0 on success; 1 with the width message
// when a locus record breaks the width rule, or the read message when the
// file cannot be opened.
int countColumns(std::string fileName, int* nInd, int* nCols, Status& status, char eol);

}  // namespace parmix

#endif
