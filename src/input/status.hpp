#ifndef PARMIX_INPUT_STATUS_HPP
#define PARMIX_INPUT_STATUS_HPP

// The outcome of a step that can fail, as a value the caller owns: no
// fault, or the kind of fault and the one message a user is shown.  The
// readers and checks place only the message (they do not know which input
// of the run they were given); the step that called them sets the kind.
// Hosts turn both into what they report: the Tcl command into its result
// and error code, the tools into their messages.

#include <string>

namespace parmix {

enum class Fault {
  kNone,
  kParental,    // the parental file is at fault
  kIndividual,  // the individual file is at fault
  kLoci,        // the two files hold different numbers of records
  kReport,      // the report could not be opened or written
  kMemory,      // not enough memory for the data the files hold
  kInternal,    // an inconsistency of the program itself
  kCounts,      // the reference counts file is at fault
  // A file of a genome-scale run: an input (VCF/BCF, PLINK, population
  // map, samples) or an output it could not write; the message names it.
  kPanelFile,
};

// TEXT in double quotes as a message may echo it: cut after 60 characters
// (never inside a UTF-8 character) and marked with an ellipsis, so a value
// of megabytes does not fill a terminal.
std::string quotedValue(const std::string& text);
// The same without the quotes, for names that messages give bare.
std::string shortenedValue(const std::string& text);

class Status {
 public:
  bool ok() const { return fault_ == Fault::kNone && message_.empty(); }
  Fault fault() const { return fault_; }
  const std::string& message() const { return message_; }

  // Replaces the message, formatted printf-style (of any length), and
  // returns 1, the failure result of every reading and checking function.
  int fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Sets the kind beside a message already placed; returns 1.
  int setFault(Fault fault) {
    fault_ = fault;
    return 1;
  }
  void clear() {
    fault_ = Fault::kNone;
    message_.clear();
  }

 private:
  Fault fault_ = Fault::kNone;
  std::string message_;
};

}  // namespace parmix

#endif
