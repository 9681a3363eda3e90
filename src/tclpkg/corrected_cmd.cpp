#include "tclpkg/corrected_cmd.hpp"

#include <cmath>

#include "run/text_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

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

Tcl_Obj* rowsObj(const TextRunRequest& /*request*/, const TextRunResult& result) {
  return hybridIndexRowsObj(result.names, result.rows, result.counts);
}

// The counts are what the correction is made of; there is no default.
int countsGiven(const CommandOptions& words, const TextRunRequest& request) {
  if (!request.referenceCounts.empty()) return TCL_OK;
  return words.usageError(
      "-referencecounts COUNTS is needed: the reference samples' counts that "
      "parmix::parentalFromReference -counts writes");
}

// The two commands differ in their name and in whether the counts of the
// reference samples are needed: the correction is a setting of one run.
// Without the counts the run is the command `parmix`'s own, report and all.
const TextCommand kCorrected{"parmix::corrected", "-referencecounts, -report, -threads", rowsObj,
                             "PARENTAL INDIVIDUAL -referencecounts COUNTS ?-option value ...?",
                             countsGiven, true};
const TextCommand kHybridIndex{"parmix::hybridIndex", "-report, -threads, -referencecounts",
                               rowsObj, kTextSynopsis, nullptr, true};

int runCommand(Tcl_Interp* interp, const TextCommand& command, int objc, Tcl_Obj* const objv[]) {
  TextRunRequest request;
  request.report = "parmix_output.txt";
  return runTextCommand(interp, command, request, objc, objv);
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
  return parmix::withinCommand(
      interp, [&] { return parmix::runCommand(interp, parmix::kCorrected, objc, objv); });
}

extern "C" int Parmix_HybridIndexObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                        Tcl_Obj* const objv[]) {
  return parmix::withinCommand(
      interp, [&] { return parmix::runCommand(interp, parmix::kHybridIndex, objc, objv); });
}
