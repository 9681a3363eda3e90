#include "tclpkg/corrected_cmd.hpp"

#include <cmath>

#include "run/text_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

// The two commands differ in their name and in whether the counts of the
// reference samples are needed: the correction is a setting of one run.
struct CommandKind {
  const char* name;
  const char* optionList;
  const char* synopsis;
  bool countsNeeded;
};

constexpr CommandKind kCorrected{"parmix::corrected", "-referencecounts, -report, -threads",
                                 "PARENTAL INDIVIDUAL -referencecounts COUNTS ?-option value ...?",
                                 true};
constexpr CommandKind kHybridIndex{"parmix::hybridIndex", "-report, -threads, -referencecounts",
                                   "PARENTAL INDIVIDUAL ?-option value ...?", false};

int takeWords(Tcl_Interp* interp, const CommandKind& kind, int objc, Tcl_Obj* const objv[],
              TextRunRequest& request) {
  if (takeAnalysisWords(interp, kind.name, kind.optionList, kind.synopsis, objc, objv, request) !=
      TCL_OK)
    return TCL_ERROR;
  // The counts are what the correction is made of; there is no default.
  if (kind.countsNeeded && request.referenceCounts.empty())
    return CommandOptions(interp, kind.name, kind.optionList)
        .usageError("-referencecounts COUNTS is needed: the reference samples' counts that "
                    "parmix::parentalFromReference -counts writes");
  return TCL_OK;
}

Tcl_Obj* cutObj(const IndividualEstimate& row, int side) {
  const double limit = side == 0 ? row.lowerBound : row.upperBound;
  return std::isnan(limit) ? Tcl_NewObj() : Tcl_NewBooleanObj(row.truncated[side]);
}

Tcl_Obj* rowObj(const std::string& name, const IndividualEstimate& row, const DataCount& count) {
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
  putDataCount(dict, count);
  return dict;
}

int runCommand(Tcl_Interp* interp, const CommandKind& kind, int objc, Tcl_Obj* const objv[]) {
  TextRunRequest request;
  request.report = "parmix_output.txt";
  request.threads = configuredThreads(interp);  // unless -threads says otherwise
  if (takeWords(interp, kind, objc, objv, request) != TCL_OK) return TCL_ERROR;
  // Without the counts of the reference samples the run is the command
  // `parmix`'s own, report and all.
  if (request.referenceCounts.empty()) request.onFailure = ReportOnFailure::kPartial;
  TextRunResult result;
  const Status status = runTextFiles(request, result);
  if (!status.ok()) return placeStatus(interp, status);
  Tcl_SetObjResult(interp, hybridIndexRowsObj(result.names, result.rows, result.counts));
  return TCL_OK;
}

}  // namespace

Tcl_Obj* hybridIndexRowsObj(const std::vector<std::string>& names,
                            const std::vector<IndividualEstimate>& rows,
                            const std::vector<DataCount>& counts) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (std::size_t j = 0; j < rows.size(); ++j)
    Tcl_ListObjAppendElement(nullptr, list, rowObj(names[j], rows[j], counts[j]));
  return list;
}

}  // namespace parmix

extern "C" int Parmix_CorrectedObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                      Tcl_Obj* const objv[]) {
  try {
    return parmix::runCommand(interp, parmix::kCorrected, objc, objv);
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}

extern "C" int Parmix_HybridIndexObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                        Tcl_Obj* const objv[]) {
  try {
    return parmix::runCommand(interp, parmix::kHybridIndex, objc, objv);
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
