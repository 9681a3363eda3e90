#include "tclpkg/command_options.hpp"

#include <cmath>
#include <cstring>

#include "estimate/worker_pool.hpp"
#include "input/status.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

int CommandOptions::usageError(const std::string& message) const {
  const std::string text = command_ == nullptr ? message : std::string(command_) + ": " + message;
  Tcl_SetObjResult(interp_, Tcl_NewStringObj(text.c_str(), -1));
  Tcl_SetErrorCode(interp_, "PARMIX", "USAGE", static_cast<char*>(nullptr));
  return TCL_ERROR;
}

int CommandOptions::badValue(const char* option, const char* wanted, Tcl_Obj* value) const {
  return usageError(std::string(option) + " must be " + wanted + ", not " +
                    quotedValue(Tcl_GetString(value)));
}

int CommandOptions::unknown(const char* name) const {
  const std::string message = std::string("unknown option \"") + name + "\"";
  if (optionList_ == nullptr) return usageError(message);
  return usageError(message + "; the options are " + optionList_);
}

int CommandOptions::noValue(const char* name) const {
  return usageError(std::string("option ") + name +
                    (command_ == nullptr ? " needs a value" : " has no value"));
}

int CommandOptions::takeBoolean(const char* option, Tcl_Obj* value, bool& flag) const {
  int on = 0;
  if (Tcl_GetBooleanFromObj(nullptr, value, &on) != TCL_OK)
    return usageError(std::string("option ") + option + " needs a boolean value, not \"" +
                      Tcl_GetString(value) + "\"");
  flag = on != 0;
  return TCL_OK;
}

int CommandOptions::takeFileName(const char* option, Tcl_Obj* value, std::string& path) const {
  path = Tcl_GetString(value);
  return path.empty() ? badValue(option, "a file name", value) : TCL_OK;
}

// The thread count's rule and message are the package's one, without the
// command's name, as parmix::configure and parmix::genome give them.
int CommandOptions::takeThreads(Tcl_Obj* value, unsigned& threads) const {
  const int n = threadCountOf(Tcl_GetString(value));
  if (n < 1) {
    const std::string text = threadCountProblem("-threads", Tcl_GetString(value));
    Tcl_SetObjResult(interp_, Tcl_NewStringObj(text.c_str(), -1));
    Tcl_SetErrorCode(interp_, "PARMIX", "USAGE", static_cast<char*>(nullptr));
    return TCL_ERROR;
  }
  threads = static_cast<unsigned>(n);
  return TCL_OK;
}

int CommandOptions::takeFilesAndOptions(int objc, Tcl_Obj* const objv[], const char* synopsis,
                                        std::string& parental, std::string& individual,
                                        const OptionTaker& take) const {
  if (objc < 3) {
    Tcl_WrongNumArgs(interp_, 1, objv, synopsis);
    Tcl_SetErrorCode(interp_, "PARMIX", "USAGE", static_cast<char*>(nullptr));
    return TCL_ERROR;
  }
  parental = Tcl_GetString(objv[1]);
  individual = Tcl_GetString(objv[2]);
  return takeOptions(objc, objv, 3, take);
}

int CommandOptions::takeOptions(int objc, Tcl_Obj* const objv[], int first,
                                const OptionTaker& take) const {
  for (int i = first; i < objc; i += 2) {
    const char* name = Tcl_GetString(objv[i]);
    if (i + 1 == objc) return noValue(name);
    if (take(name, objv[i + 1]) != TCL_OK) return TCL_ERROR;
  }
  return TCL_OK;
}

namespace {

// True when NAME is one of the words of LIST, which ", " separates.
bool listed(const char* list, const char* name) {
  const std::size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
    const bool starts = at == list || at[-1] == ' ';
    const bool ends = at[length] == '\0' || at[length] == ',';
    if (starts && ends) return true;
  }
  return false;
}

// A class threshold: a finite number of at least 0, or above 0 when OPEN.
int takeUnits(const CommandOptions& words, const char* option, Tcl_Obj* value, bool open,
              double& units) {
  double x = 0;
  const bool fits = Tcl_GetDoubleFromObj(nullptr, value, &x) == TCL_OK && std::isfinite(x) &&
                    (open ? x > 0 : x >= 0);
  if (!fits)
    return words.badValue(option, open ? "a number above 0" : "a number of at least 0", value);
  units = x;
  return TCL_OK;
}

int takeQValue(const CommandOptions& words, const char* option, Tcl_Obj* value, double& q) {
  double x = 0;
  if (Tcl_GetDoubleFromObj(nullptr, value, &x) != TCL_OK || !(x > 0 && x <= 1))
    return words.badValue(option, "a number above 0 and at most 1", value);
  q = x;
  return TCL_OK;
}

// The clines' bootstrap: a whole number of replicates from 1 to a million
// per locus, and a seed from 0 to 2^63 - 1.
int takeBootstrap(const CommandOptions& words, const char* option, Tcl_Obj* value,
                  ClineBootstrap& bootstrap) {
  Tcl_WideInt n = 0;
  if (Tcl_GetWideIntFromObj(nullptr, value, &n) != TCL_OK || n < 1 || n > 1000000)
    return words.badValue(option, "a whole number from 1 to 1000000", value);
  bootstrap.replicates = static_cast<int>(n);
  return TCL_OK;
}

int takeSeed(const CommandOptions& words, const char* option, Tcl_Obj* value,
             ClineBootstrap& bootstrap) {
  Tcl_WideInt n = 0;
  if (Tcl_GetWideIntFromObj(nullptr, value, &n) != TCL_OK || n < 0)
    return words.badValue(option, "a whole number of at least 0", value);
  bootstrap.seed = static_cast<std::uint64_t>(n);
  return TCL_OK;
}

int takeBoolean(const CommandOptions& words, const char* option, Tcl_Obj* value, bool& flag) {
  int x = 0;
  if (Tcl_GetBooleanFromObj(nullptr, value, &x) != TCL_OK)
    return words.badValue(option, "a boolean", value);
  flag = x != 0;
  return TCL_OK;
}

int takeAnalysisOption(const CommandOptions& words, const char* name, Tcl_Obj* value,
                       TextRunRequest& request) {
  if (std::strcmp(name, "-report") == 0) return words.takeFileName(name, value, request.report);
  if (std::strcmp(name, "-tsv") == 0) return words.takeFileName(name, value, request.tsv);
  if (std::strcmp(name, "-referencecounts") == 0)
    return words.takeFileName(name, value, request.referenceCounts);
  if (std::strcmp(name, "-threads") == 0) return words.takeThreads(value, request.threads);
  if (std::strcmp(name, "-margin") == 0)
    return takeUnits(words, name, value, false, request.thresholds.minMargin);
  if (std::strcmp(name, "-drop") == 0)
    return takeUnits(words, name, value, true, request.thresholds.maxDrop);
  if (std::strcmp(name, "-qvalue") == 0) return takeQValue(words, name, value, request.qThreshold);
  if (std::strcmp(name, "-bootstrap") == 0)
    return takeBootstrap(words, name, value, request.bootstrap);
  if (std::strcmp(name, "-seed") == 0) return takeSeed(words, name, value, request.bootstrap);
  if (std::strcmp(name, "-image") == 0) return takeBoolean(words, name, value, request.image);
  return words.unknown(name);
}

}  // namespace

int takeAnalysisWords(Tcl_Interp* interp, const char* command, const char* optionList,
                      const char* synopsis, int objc, Tcl_Obj* const objv[],
                      TextRunRequest& request) {
  const CommandOptions words(interp, command, optionList);
  return words.takeFilesAndOptions(
      objc, objv, synopsis, request.parental, request.individual,
      [&](const char* name, Tcl_Obj* value) {
        if (!listed(optionList, name)) return words.unknown(name);
        return takeAnalysisOption(words, name, value, request);
      });
}

int runTextCommand(Tcl_Interp* interp, const TextCommand& command, TextRunRequest request,
                   int objc, Tcl_Obj* const objv[]) {
  request.threads = configuredThreads(interp);
  if (takeAnalysisWords(interp, command.name, command.optionList, command.synopsis, objc, objv,
                        request) != TCL_OK)
    return TCL_ERROR;
  if (command.check != nullptr &&
      command.check(CommandOptions(interp, command.name, command.optionList), request) != TCL_OK)
    return TCL_ERROR;
  if (command.partialWithoutCounts && request.referenceCounts.empty())
    request.onFailure = ReportOnFailure::kPartial;
  TextRunResult result;
  const Status status = runTextFiles(request, result);
  if (!status.ok()) return placeStatus(interp, status);
  Tcl_SetObjResult(interp, command.rows(request, result));
  return TCL_OK;
}

}  // namespace parmix
