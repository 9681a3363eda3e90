#include "tclpkg/package_settings.hpp"

#include <string>

#include "estimate/worker_pool.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

constexpr const char* kSettingsKey = "parmix::settings";

struct Settings {
  unsigned threads = 0;
};

void deleteSettings(ClientData data, Tcl_Interp* /*interp*/) {
  delete static_cast<Settings*>(data);
}

// The settings of INTERP, made on first use; the interpreter frees them.
Settings& settingsOf(Tcl_Interp* interp) {
  void* data = Tcl_GetAssocData(interp, kSettingsKey, nullptr);
  if (data == nullptr) {
    data = new Settings;
    Tcl_SetAssocData(interp, kSettingsKey, deleteSettings, data);
  }
  return *static_cast<Settings*>(data);
}

unsigned effectiveThreads(Tcl_Interp* interp) {
  const unsigned set = configuredThreads(interp);
  return set > 0 ? set : usableCores();
}

int usage(Tcl_Interp* interp, const std::string& message) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(message.c_str(), -1));
  Tcl_SetErrorCode(interp, "PARMIX", "USAGE", nullptr);
  return TCL_ERROR;
}

int setThreads(Tcl_Interp* interp, Tcl_Obj* value) {
  const int n = threadCountOf(Tcl_GetString(value));
  if (n < 1) return usage(interp, threadCountProblem("-threads", Tcl_GetString(value)));
  settingsOf(interp).threads = static_cast<unsigned>(n);
  Tcl_SetObjResult(interp, Tcl_NewIntObj(n));
  return TCL_OK;
}

int configure(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc == 1) {
    Tcl_Obj* list[] = {Tcl_NewStringObj("-threads", -1),
                       Tcl_NewIntObj(static_cast<int>(effectiveThreads(interp)))};
    Tcl_SetObjResult(interp, Tcl_NewListObj(2, list));
    return TCL_OK;
  }
  if (objc > 3)
    return usage(interp, "wrong # args: should be \"parmix::configure ?-threads ?N??\"");
  if (std::string(Tcl_GetString(objv[1])) != "-threads")
    return usage(interp, std::string("unknown option \"") + Tcl_GetString(objv[1]) +
                             "\": should be -threads");
  if (objc == 2) {
    Tcl_SetObjResult(interp, Tcl_NewIntObj(static_cast<int>(effectiveThreads(interp))));
    return TCL_OK;
  }
  return setThreads(interp, objv[2]);
}

}  // namespace

unsigned configuredThreads(Tcl_Interp* interp) {
  const void* data = Tcl_GetAssocData(interp, kSettingsKey, nullptr);
  return data == nullptr ? 0 : static_cast<const Settings*>(data)->threads;
}

}  // namespace parmix

extern "C" int Parmix_ConfigureObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                      Tcl_Obj* const objv[]) {
  return parmix::withinCommand(interp, [&] { return parmix::configure(interp, objc, objv); });
}
