#include "tclpkg/output_cmd.hpp"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "input/output_file.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

int fail(Tcl_Interp* interp, const char* kind, const std::string& message) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(message.c_str(), -1));
  Tcl_SetErrorCode(interp, "PARMIX", kind, static_cast<char*>(nullptr));
  return TCL_ERROR;
}

// The pairs {role path} of LIST; false when it is no list of pairs.
bool namedPaths(Tcl_Obj* list, std::vector<NamedPath>& paths) {
  Tcl_Size n = 0;
  Tcl_Obj** pairs = nullptr;
  if (Tcl_ListObjGetElements(nullptr, list, &n, &pairs) != TCL_OK) return false;
  for (Tcl_Size k = 0; k < n; ++k) {
    Tcl_Size words = 0;
    Tcl_Obj** pair = nullptr;
    if (Tcl_ListObjGetElements(nullptr, pairs[k], &words, &pair) != TCL_OK || words != 2)
      return false;
    paths.push_back({Tcl_GetString(pair[0]), Tcl_GetString(pair[1])});
  }
  return true;
}

int refuseClashesCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  std::vector<NamedPath> outputs, inputs;
  if (objc != 3 || !namedPaths(objv[1], outputs) || !namedPaths(objv[2], inputs))
    return fail(interp, "USAGE",
                "wrong # args: should be \"parmix::RefuseOutputClashes OUTPUTS INPUTS\", each a "
                "list of pairs {role path}");
  try {
    refuseOutputClashes(outputs, inputs);
  } catch (const InputError& error) {
    return fail(interp, "OUTPUT", error.what());
  }
  return TCL_OK;
}

int writeBytesCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc != 4)
    return fail(interp, "USAGE",
                "wrong # args: should be \"parmix::WriteOutputBytes ROLE PATH BYTES\"");
  Tcl_Size length = 0;
  const unsigned char* bytes = Tcl_GetByteArrayFromObj(objv[3], &length);
  // Tcl 9 has no bytes for a text holding a character beyond \xFF.
  if (bytes == nullptr)
    return fail(interp, "USAGE", "parmix::WriteOutputBytes: BYTES holds a character that is no byte");
  try {
    OutputFile file(Tcl_GetString(objv[2]), Tcl_GetString(objv[1]));
    file.write(std::string_view(reinterpret_cast<const char*>(bytes),
                                static_cast<std::size_t>(length)));
    file.commit();
  } catch (const InputError& error) {
    return fail(interp, "OUTPUT", error.what());
  }
  return TCL_OK;
}

template <int (*Command)(Tcl_Interp*, int, Tcl_Obj* const[])>
int guarded(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  try {
    return Command(interp, objc, objv);
  } catch (const std::bad_alloc&) {
    return placeMemoryFailure(interp);
  } catch (const std::exception& error) {
    return fail(interp, "INTERNAL", error.what());
  }
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_RefuseOutputClashesObjCmd(ClientData /*clientData*/, Tcl_Interp* interp,
                                                int objc, Tcl_Obj* const objv[]) {
  return parmix::guarded<parmix::refuseClashesCommand>(interp, objc, objv);
}

extern "C" int Parmix_WriteOutputBytesObjCmd(ClientData /*clientData*/, Tcl_Interp* interp,
                                             int objc, Tcl_Obj* const objv[]) {
  return parmix::guarded<parmix::writeBytesCommand>(interp, objc, objv);
}
