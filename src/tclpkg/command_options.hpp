#ifndef PARMIX_TCLPKG_COMMAND_OPTIONS_HPP
#define PARMIX_TCLPKG_COMMAND_OPTIONS_HPP

// The option words of the package's commands that take "-option value"
// pairs after their files: each failure is a {PARMIX USAGE} error whose
// message starts with the command's name.

#include <tcl.h>

#include <functional>
#include <string>

#include "run/text_run.hpp"

namespace parmix {

class CommandOptions {
 public:
  CommandOptions(Tcl_Interp* interp, const char* command, const char* optionList)
      : interp_(interp), command_(command), optionList_(optionList) {}

  // The words of a command whose messages have always been the option's
  // alone, as parmix::genome's: no command name before them, no list of
  // options after an unknown one, and "option NAME needs a value".
  static CommandOptions unnamed(Tcl_Interp* interp) { return {interp, nullptr, nullptr}; }

  // TCL_ERROR with "COMMAND: MESSAGE" (MESSAGE alone for an unnamed
  // command's words) and the usage error code.
  int usageError(const std::string& message) const;
  // "COMMAND: OPTION must be WANTED, not "VALUE"".
  int badValue(const char* option, const char* wanted, Tcl_Obj* value) const;
  // "COMMAND: unknown option "NAME"; the options are ...".
  int unknown(const char* name) const;
  // "COMMAND: option NAME has no value".
  int noValue(const char* name) const;

  // A non-empty file name.
  int takeFileName(const char* option, Tcl_Obj* value, std::string& path) const;
  // A boolean in any of Tcl's forms, refused as "option NAME needs a
  // boolean value, not "VALUE"".
  int takeBoolean(const char* option, Tcl_Obj* value, bool& flag) const;
  // A thread count by the package's one rule (threadCountOf), refused with
  // its one message.
  int takeThreads(Tcl_Obj* value, unsigned& threads) const;

  // The words of a call "COMMAND PARENTAL INDIVIDUAL ?-option value ...?":
  // both files into the strings given, then every pair to TAKE (which
  // returns TCL_OK or an error it has placed).  SYNOPSIS is the rest of the
  // call for the wrong-number-of-words message.
  using OptionTaker = std::function<int(const char* name, Tcl_Obj* value)>;
  // Every "-option value" pair of OBJV from FIRST on to TAKE.
  int takeOptions(int objc, Tcl_Obj* const objv[], int first, const OptionTaker& take) const;
  int takeFilesAndOptions(int objc, Tcl_Obj* const objv[], const char* synopsis,
                          std::string& parental, std::string& individual,
                          const OptionTaker& take) const;

 private:
  Tcl_Interp* interp_;
  const char* command_;
  const char* optionList_;
};

// The words of a command that runs an analysis of text files, "COMMAND
// PARENTAL INDIVIDUAL ?-option value ...?", straight into REQUEST: one
// parser for every such command.  The options are -report FILE, -tsv FILE,
// -referencecounts COUNTS, -threads N, -margin UNITS (at least 0), -drop
// UNITS (above 0), -qvalue Q (above 0, at most 1) and -image BOOLEAN (the
// clines' genotype image); a command takes those
// that OPTIONLIST names (", " between them) and refuses the others with
// that list.  TCL_OK, or TCL_ERROR with the usage error placed.
int takeAnalysisWords(Tcl_Interp* interp, const char* command, const char* optionList,
                      const char* synopsis, int objc, Tcl_Obj* const objv[],
                      TextRunRequest& request);

// The rest of the call of most text-file commands, for the
// wrong-number-of-words message.
inline constexpr const char* kTextSynopsis = "PARENTAL INDIVIDUAL ?-option value ...?";

// What sets one text-file command apart from the others: its name, the
// options it takes (as for takeAnalysisWords), the rows of its result (the
// request as its words left it, and the run's result), the rest of its
// call for the wrong-number-of-words message, a check of the words taken
// together (TCL_OK, or the usage error placed through WORDS; none when
// null), and whether a run without the counts of the reference samples
// leaves the partial report of the command `parmix`.
struct TextCommand {
  const char* name;
  const char* optionList;
  Tcl_Obj* (*rows)(const TextRunRequest& request, const TextRunResult& result);
  const char* synopsis = kTextSynopsis;
  int (*check)(const CommandOptions& words, const TextRunRequest& request) = nullptr;
  bool partialWithoutCounts = false;
};

// The whole of a text-file command that returns rows: its words into
// REQUEST (which comes with the model and its defaults set, and the
// interpreter's thread count unless -threads says otherwise), the run, and
// the rows of the result as the command's result; TCL_ERROR with the run's
// failure or the words' fault placed.
int runTextCommand(Tcl_Interp* interp, const TextCommand& command, TextRunRequest request,
                   int objc, Tcl_Obj* const objv[]);

}  // namespace parmix

#endif
