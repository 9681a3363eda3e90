#include "tclpkg/command_options.hpp"

#include "estimate/worker_pool.hpp"
#include "input/status.hpp"

namespace parmix {

int CommandOptions::usageError(const std::string& message) const {
  const std::string text = std::string(command_) + ": " + message;
  Tcl_SetObjResult(interp_, Tcl_NewStringObj(text.c_str(), -1));
  Tcl_SetErrorCode(interp_, "PARMIX", "USAGE", static_cast<char*>(nullptr));
  return TCL_ERROR;
}

int CommandOptions::badValue(const char* option, const char* wanted, Tcl_Obj* value) const {
  return usageError(std::string(option) + " must be " + wanted + ", not " +
                    quotedValue(Tcl_GetString(value)));
}

int CommandOptions::unknown(const char* name) const {
  return usageError(std::string("unknown option \"") + name + "\"; the options are " +
                    optionList_);
}

int CommandOptions::noValue(const char* name) const {
  return usageError(std::string("option ") + name + " has no value");
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
  for (int i = 3; i < objc; i += 2) {
    const char* name = Tcl_GetString(objv[i]);
    if (i + 1 == objc) return noValue(name);
    if (take(name, objv[i + 1]) != TCL_OK) return TCL_ERROR;
  }
  return TCL_OK;
}

}  // namespace parmix
