#ifndef PARMIX_TCLPKG_CLINES_CMD_HPP
#define PARMIX_TCLPKG_CLINES_CMD_HPP

// The command `parmix::clines PARENTAL INDIVIDUAL ?-option value ...?`:
// one call is one whole genomic-cline analysis.  Options: -report FILE,
// -tsv FILE, -qvalue Q, -threads N, -image BOOLEAN, -bootstrap N, -seed S,
// -referencecounts COUNTS.

#include <tcl.h>

#include <string>

#include "estimate/cline_study.hpp"

namespace parmix {

// The dict of one fitted locus as the command returns it: NAME, its row
// (LOCUS, from 0, shown from 1), the estimates, limits and cut marks, the
// test and the category, and the bootstrap's p-value when BOOTSTRAP.
Tcl_Obj* clineRowObj(const std::string& name, int locus, const ClineEstimate& row,
                     bool bootstrap);

}  // namespace parmix

// Tcl's object-based command procedure.  Returns TCL_OK with a list of
// dicts, one per fitted locus in file order (with -image true: a dict of
// that list under "clines" and the genotype image under "image": lists
// individuals, h, loci, categories and rows, the individuals with an
// estimate by falling h, each row a string of one character per locus,
// 0, 1 or 2 copies from R or - for missing), or TCL_ERROR with the message
// and error code of the failure: those of `parmix` for the inputs and the
// report, {PARMIX USAGE} for a wrong option.  No C++ exception leaves it.
extern "C" int Parmix_ClinesObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]);

#endif
