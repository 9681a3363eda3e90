#ifndef PARMIX_TCLPKG_ANCESTRY_CMD_HPP
#define PARMIX_TCLPKG_ANCESTRY_CMD_HPP

// The command `parmix::ancestry PARENTAL INDIVIDUAL ?-option value ...?`:
// one call is one whole joint analysis of ancestry and interclass
// heterozygosity.  Options: -report FILE, -tsv FILE, -margin UNITS,
// -drop UNITS, -threads N.

#include <tcl.h>

#include <string>
#include <vector>

#include "estimate/joint_study.hpp"
#include "estimate/study.hpp"

namespace parmix {

// The rows as the command returns them: a list of dicts, one per row, with
// NAMES[j] the name of ROWS[j] and COUNTS[j] its data counts (lociWithData
// and missingShare, as the hybrid-index rows have them).  The new object
// has no references yet.
Tcl_Obj* ancestryRowsObj(const std::vector<std::string>& names,
                         const std::vector<JointEstimate>& rows,
                         const std::vector<DataCount>& counts);

}  // namespace parmix

// Tcl's object-based command procedure.  Returns TCL_OK with the rows as a
// list of dicts, one per individual in file order, or TCL_ERROR with the
// message and error code of the failure: those of `parmix` for the inputs
// and the report, {PARMIX USAGE} for a wrong option.  No C++ exception
// leaves it.
extern "C" int Parmix_AncestryObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                     Tcl_Obj* const objv[]);

#endif
