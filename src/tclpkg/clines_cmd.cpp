#include "tclpkg/clines_cmd.hpp"

#include <cmath>
#include <string>

#include "run/text_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

constexpr const char* kCommand = "parmix::clines";
constexpr const char* kOptionList = "-report, -tsv, -qvalue, -threads, -bootstrap, -seed";

void put(Tcl_Obj* dict, const char* key, Tcl_Obj* value) {
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
}

// A cut flag of an undefined limit is undefined too: the empty string.
Tcl_Obj* cutObj(bool cut, double limit) {
  return std::isnan(limit) ? Tcl_NewObj() : Tcl_NewBooleanObj(cut);
}

Tcl_Obj* rowObj(const std::string& name, int locus, const ClineEstimate& row, bool bootstrap) {
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
  if (bootstrap) put(dict, "bootstrapP", numberOrEmptyObj(row.bootstrapP));
  return dict;
}

Tcl_Obj* resultObj(const TextRunResult& result) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  const ClineStudy& study = result.clines;
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const int locus = study.loci[k];
    Tcl_ListObjAppendElement(nullptr, list,
                             rowObj(result.locusNames[locus], locus, study.rows[k],
                                    study.bootstrapReplicates > 0));
  }
  return list;
}

int runCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  TextRunRequest request;
  request.model = TextModel::kClines;
  return runTextCommand(interp, kCommand, kOptionList, objc, objv, request, resultObj);
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
