#include "tclpkg/ancestry_cmd.hpp"

#include <string>

#include "run/text_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

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

Tcl_Obj* rowObj(const std::string& name, const JointEstimate& row, const DataCount& count) {
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
  putDataCount(dict, count);
  return dict;
}

Tcl_Obj* jointRowsObj(const TextRunRequest& /*request*/, const TextRunResult& result) {
  return ancestryRowsObj(result.names, result.jointRows, result.counts);
}

int runCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  const TextCommand command{"parmix::ancestry",
                      "-report, -tsv, -margin, -drop, -threads, -referencecounts", jointRowsObj};
  TextRunRequest request;
  request.model = TextModel::kJoint;
  return runTextCommand(interp, command, request, objc, objv);
}

}  // namespace

Tcl_Obj* ancestryRowsObj(const std::vector<std::string>& names,
                         const std::vector<JointEstimate>& rows,
                         const std::vector<DataCount>& counts) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (std::size_t j = 0; j < rows.size(); ++j)
    Tcl_ListObjAppendElement(nullptr, list, rowObj(names[j], rows[j], counts[j]));
  return list;
}

}  // namespace parmix

extern "C" int Parmix_AncestryObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                     Tcl_Obj* const objv[]) {
  return parmix::withinCommand(interp, [&] { return parmix::runCommand(interp, objc, objv); });
}
