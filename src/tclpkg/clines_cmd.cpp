#include "tclpkg/clines_cmd.hpp"

#include <cmath>
#include <cstring>
#include <string>

#include "run/cline_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

constexpr const char* kCommand = "parmix::clines";
constexpr const char* kOptionList = "-report, -tsv, -qvalue, -threads";

int takeThreshold(const CommandOptions& words, const char* option, Tcl_Obj* value, double& q) {
  double x = 0;
  if (Tcl_GetDoubleFromObj(nullptr, value, &x) != TCL_OK || !(x > 0 && x <= 1))
    return words.badValue(option, "a number above 0 and at most 1", value);
  q = x;
  return TCL_OK;
}

int takeOption(const CommandOptions& words, const char* name, Tcl_Obj* value,
               ClineRequest& request) {
  if (std::strcmp(name, "-report") == 0) return words.takeFileName(name, value, request.report);
  if (std::strcmp(name, "-tsv") == 0) return words.takeFileName(name, value, request.tsv);
  if (std::strcmp(name, "-qvalue") == 0)
    return takeThreshold(words, name, value, request.qThreshold);
  if (std::strcmp(name, "-threads") == 0) return words.takeThreads(value, request.threads);
  return words.unknown(name);
}

int takeWords(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], ClineRequest& request) {
  const CommandOptions words(interp, kCommand, kOptionList);
  return words.takeFilesAndOptions(
      objc, objv, "PARENTAL INDIVIDUAL ?-option value ...?", request.parental,
      request.individual,
      [&](const char* name, Tcl_Obj* value) { return takeOption(words, name, value, request); });
}

void put(Tcl_Obj* dict, const char* key, Tcl_Obj* value) {
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
}

// A cut flag of an undefined limit is undefined too: the empty string.
Tcl_Obj* cutObj(bool cut, double limit) {
  return std::isnan(limit) ? Tcl_NewObj() : Tcl_NewBooleanObj(cut);
}

Tcl_Obj* rowObj(const std::string& name, int locus, const ClineEstimate& row) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  put(dict, "locus", Tcl_NewStringObj(name.c_str(), static_cast<int>(name.size())));
  put(dict, "row", Tcl_NewIntObj(locus + 1));
  put(dict, "individuals", Tcl_NewIntObj(row.individuals));
  const struct {
    const char* key;
    double value;
  } numbers[] = {{"v", row.v},           {"vLower", row.vLower},
                 {"vUpper", row.vUpper}, {"centre", row.centre},
                 {"centreLower", row.centreLower}, {"centreUpper", row.centreUpper},
                 {"u", row.u},           {"lnL", row.logL},
                 {"lnLNeutral", row.neutralLogL}, {"lr", row.lr},
                 {"pValue", row.pValue}, {"qValue", row.qValue}};
  for (const auto& number : numbers) put(dict, number.key, numberOrEmptyObj(number.value));
  put(dict, "vLowerCut", cutObj(row.vCut[0], row.vLower));
  put(dict, "vUpperCut", cutObj(row.vCut[1], row.vUpper));
  put(dict, "centreLowerCut", cutObj(row.centreCut[0], row.centreLower));
  put(dict, "centreUpperCut", cutObj(row.centreCut[1], row.centreUpper));
  put(dict, "category", Tcl_NewStringObj(clineCategoryName(row.category), -1));
  return dict;
}

Tcl_Obj* resultObj(const ClineResult& result) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  const ClineStudy& study = result.study;
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const int locus = study.loci[k];
    Tcl_ListObjAppendElement(nullptr, list,
                             rowObj(result.locusNames[locus], locus, study.rows[k]));
  }
  return list;
}

int runCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  ClineRequest request;
  request.threads = configuredThreads(interp);  // unless -threads says otherwise
  if (takeWords(interp, objc, objv, request) != TCL_OK) return TCL_ERROR;
  ClineResult result;
  const Status status = runClines(request, result);
  if (!status.ok()) return placeStatus(interp, status);
  Tcl_SetObjResult(interp, resultObj(result));
  return TCL_OK;
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_ClinesObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]) {
  // The one place where C++ meets Tcl for this command: the run turns its
  // own exceptions into a status; what is left is the words' copies.
  try {
    return parmix::runCommand(interp, objc, objv);
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
