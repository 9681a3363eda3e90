#include "tclpkg/tcl_result.hpp"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace parmix {

int failWith(Tcl_Interp* interp, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string message(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  std::vsnprintf(message.data(), message.size() + 1, format, again);
  va_end(again);
  Tcl_SetResult(interp, message.data(), TCL_VOLATILE);
  return 1;
}

int setErrorCode(Tcl_Interp* interp, const char* kind, const char* what) {
  // The list ends at the first null, so a null what gives {PARMIX kind}.
  Tcl_SetErrorCode(interp, "PARMIX", kind, what, static_cast<char*>(nullptr));
  return 1;
}

}  // namespace parmix
