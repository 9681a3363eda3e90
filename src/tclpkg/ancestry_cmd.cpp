#include "tclpkg/ancestry_cmd.hpp"

#include <cmath>
#include <cstring>
#include <string>

#include "run/ancestry_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

constexpr const char* kCommand = "parmix::ancestry";
constexpr const char* kOptionList = "-report, -tsv, -margin, -drop, -threads, -referencecounts";

// A threshold: a finite number of at least `least` (exclusive when open).
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

int takeOption(const CommandOptions& words, const char* name, Tcl_Obj* value,
               AncestryRequest& request) {
  if (std::strcmp(name, "-report") == 0) return words.takeFileName(name, value, request.report);
  if (std::strcmp(name, "-tsv") == 0) return words.takeFileName(name, value, request.tsv);
  if (std::strcmp(name, "-referencecounts") == 0)
    return words.takeFileName(name, value, request.referenceCounts);
  if (std::strcmp(name, "-margin") == 0)
    return takeUnits(words, name, value, false, request.thresholds.minMargin);
  if (std::strcmp(name, "-drop") == 0)
    return takeUnits(words, name, value, true, request.thresholds.maxDrop);
  if (std::strcmp(name, "-threads") == 0) return words.takeThreads(value, request.threads);
  return words.unknown(name);
}

int takeWords(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], AncestryRequest& request) {
  const CommandOptions words(interp, kCommand, kOptionList);
  return words.takeFilesAndOptions(
      objc, objv, "PARENTAL INDIVIDUAL ?-option value ...?", request.parental,
      request.individual,
      [&](const char* name, Tcl_Obj* value) { return takeOption(words, name, value, request); });
}

void put(Tcl_Obj* dict, const char* key, Tcl_Obj* value) {
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
}

// An impossible class is -Inf; an undefined one the empty string.
Tcl_Obj* classLogLObj(const JointEstimate& row) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  for (int k = 0; k < kHybridClasses; ++k)
    put(dict, className(static_cast<HybridClass>(k)), numberOrEmptyObj(row.classLogL[k]));
  return dict;
}

Tcl_Obj* rowObj(const std::string& name, const JointEstimate& row) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  put(dict, "name", Tcl_NewStringObj(name.c_str(), static_cast<Tcl_Size>(name.size())));
  const struct {
    const char* key;
    double value;
  } numbers[] = {{"h", row.h}, {"hLower", row.hLower}, {"hUpper", row.hUpper},
                 {"het", row.het}, {"hetLower", row.hetLower}, {"hetUpper", row.hetUpper},
                 {"lnL", row.maxLogL}, {"hybridIndexH", row.hybridIndexH},
                 {"hybridIndexLnL", row.hybridIndexLogL}, {"lr", row.lrStatistic},
                 {"pValue", row.lrPValue}, {"margin", row.classMargin}};
  for (const auto& number : numbers) put(dict, number.key, numberOrEmptyObj(number.value));
  const struct {
    const char* key;
    bool flag;
  } flags[] = {{"hLowerCut", row.hCut[0]}, {"hUpperCut", row.hCut[1]},
               {"hetLowerCut", row.hetCut[0]}, {"hetUpperCut", row.hetCut[1]},
               {"assigned", row.assigned}};
  for (const auto& flag : flags) put(dict, flag.key, Tcl_NewBooleanObj(flag.flag));
  put(dict, "classLnL", classLogLObj(row));
  put(dict, "class",
      Tcl_NewStringObj(row.bestClass < 0 ? "" : className(static_cast<HybridClass>(row.bestClass)),
                       -1));
  return dict;
}

int runCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  AncestryRequest request;
  request.threads = configuredThreads(interp);  // unless -threads says otherwise
  if (takeWords(interp, objc, objv, request) != TCL_OK) return TCL_ERROR;
  AncestryRows result;
  const Status status = runAncestry(request, result);
  if (!status.ok()) return placeStatus(interp, status);
  Tcl_SetObjResult(interp, ancestryRowsObj(result.names, result.rows));
  return TCL_OK;
}

}  // namespace

Tcl_Obj* ancestryRowsObj(const std::vector<std::string>& names,
                         const std::vector<JointEstimate>& rows) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (std::size_t j = 0; j < rows.size(); ++j)
    Tcl_ListObjAppendElement(nullptr, list, rowObj(names[j], rows[j]));
  return list;
}

}  // namespace parmix

extern "C" int Parmix_AncestryObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                     Tcl_Obj* const objv[]) {
  // The one place where C++ meets Tcl for this command: the run turns its
  // own exceptions into a status; what is left is the words' copies.
  try {
    return parmix::runCommand(interp, objc, objv);
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
