#include "tclpkg/corrected_cmd.hpp"

#include <cmath>
#include <cstring>

#include "report/corrected_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

constexpr const char* kCommand = "parmix::corrected";
constexpr const char* kOptionList = "-referencecounts, -report, -threads";

int takeOption(const CommandOptions& words, const char* name, Tcl_Obj* value,
               CorrectedRequest& request) {
  if (std::strcmp(name, "-referencecounts") == 0)
    return words.takeFileName(name, value, request.counts);
  if (std::strcmp(name, "-report") == 0) return words.takeFileName(name, value, request.report);
  if (std::strcmp(name, "-threads") == 0) return words.takeThreads(value, request.threads);
  return words.unknown(name);
}

int takeWords(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], CorrectedRequest& request) {
  const CommandOptions words(interp, kCommand, kOptionList);
  if (words.takeFilesAndOptions(
          objc, objv, "PARENTAL INDIVIDUAL -referencecounts COUNTS ?-option value ...?",
          request.parental, request.individual, [&](const char* name, Tcl_Obj* value) {
            return takeOption(words, name, value, request);
          }) != TCL_OK)
    return TCL_ERROR;
  // The counts are what the correction is made of; there is no default.
  if (request.counts.empty())
    return words.usageError("-referencecounts COUNTS is needed: the reference samples' counts "
                            "that parmix::parentalFromReference -counts writes");
  return TCL_OK;
}

Tcl_Obj* cutObj(const IndividualEstimate& row, int side) {
  const double limit = side == 0 ? row.lowerBound : row.upperBound;
  return std::isnan(limit) ? Tcl_NewObj() : Tcl_NewBooleanObj(row.truncated[side]);
}

Tcl_Obj* rowObj(const std::string& name, const IndividualEstimate& row) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  const auto put = [dict](const char* key, Tcl_Obj* value) {
    Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
  };
  put("name", Tcl_NewStringObj(name.c_str(), static_cast<Tcl_Size>(name.size())));
  put("h", numberOrEmptyObj(row.h));
  put("lower", numberOrEmptyObj(row.lowerBound));
  put("upper", numberOrEmptyObj(row.upperBound));
  put("lowerCut", cutObj(row, 0));
  put("upperCut", cutObj(row, 1));
  return dict;
}

int runCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  CorrectedRequest request;
  request.threads = configuredThreads(interp);  // unless -threads says otherwise
  if (takeWords(interp, objc, objv, request) != TCL_OK) return TCL_ERROR;
  CorrectedRows result;
  const Status status = runCorrectedAnalysis(request, result);
  if (!status.ok()) return placeStatus(interp, status);
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (std::size_t j = 0; j < result.rows.size(); ++j)
    Tcl_ListObjAppendElement(nullptr, list, rowObj(result.names[j], result.rows[j]));
  Tcl_SetObjResult(interp, list);
  return TCL_OK;
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_CorrectedObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                      Tcl_Obj* const objv[]) {
  try {
    return parmix::runCommand(interp, objc, objv);
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
