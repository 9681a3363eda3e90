#ifndef PARMIX_TCLPKG_CORRECTED_CMD_HPP
#define PARMIX_TCLPKG_CORRECTED_CMD_HPP

// The command `parmix::corrected PARENTAL INDIVIDUAL -referencecounts COUNTS
// ?-report REPORT? ?-threads N?`: the hybrid-index analysis with the
// parental frequencies' uncertainty, from the counts of the reference
// samples that parmix::parentalFromReference -counts wrote beside the
// parental file.

#include <tcl.h>

#include <string>
#include <vector>

#include "estimate/individual_study.hpp"
#include "estimate/study.hpp"

namespace parmix {

// The hybrid-index rows as the commands return them: a list of dicts, one
// per row (name, h, lower, upper, lowerCut, upperCut, lociWithData,
// missingShare), NAMES[j] and COUNTS[j] those of ROWS[j].  The new object
// has no references yet.
Tcl_Obj* hybridIndexRowsObj(const std::vector<std::string>& names,
                            const std::vector<IndividualEstimate>& rows,
                            const std::vector<DataCount>& counts);

}  // namespace parmix

// Tcl's object-based command procedure.  Returns TCL_OK with one dict per
// individual in file order (name, h, lower, upper as numbers or the empty
// string when undefined, lowerCut and upperCut as booleans, lociWithData
// and missingShare as the table gives them, missingShare empty where it
// has NA), or TCL_ERROR with the message and error code of the failure:
// those of `parmix` for the inputs and the report, {PARMIX INPUT COUNTS}
// for the counts file, {PARMIX USAGE} for a wrong option.  No C++
// exception leaves it.
extern "C" int Parmix_CorrectedObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                      Tcl_Obj* const objv[]);

// `parmix::hybridIndex PARENTAL INDIVIDUAL ?-report REPORT? ?-threads N?
// ?-referencecounts COUNTS?`: the same rows from the run of `parmix` itself
// (the same report, written as it goes), or with -referencecounts the run
// of parmix::corrected.  The rows carry the data counts, counted where the
// run read the data, so that a table needs no second reading of the files.
extern "C" int Parmix_HybridIndexObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                        Tcl_Obj* const objv[]);

#endif
