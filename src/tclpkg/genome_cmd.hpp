#ifndef PARMIX_TCLPKG_GENOME_CMD_HPP
#define PARMIX_TCLPKG_GENOME_CMD_HPP

// The package's commands of the genome-scale path: an analysis straight
// from VCF/BCF, and the joining of shard reports.  Options the Tcl way;
// nothing is written to standard error unless -progress asks for it.

#include <tcl.h>

// parmix::genome (-vcf FILE | -bfile PREFIX) -popmap FILE -r POP -s POP
//   ?-study POPS? ?-report FILE? ?-threads N? ?-samples FILE | -shard K/N?
//   ?-pseudocount X? ?-biallelicsnps BOOL? ?-mincalled N?
//   ?-mindifference D? ?-maxmissing F? ?-progress BOOL?
//   ?-genotypelikelihoods PL|GL? ?-referencefrequencies gl|gt?
//   ?-referenceuncertainty BOOL? ?-ancestry BOOL? ?-tsv FILE? ?-margin U?
//   ?-drop U? ?-rows BOOL?
// The words go straight into the run's request; every refusal names the
// command's own options.  Result: a dict of the run's figures (sites, loci,
// individuals, genotypeBytes, threads, readSeconds, studySeconds), rows
// (one per studied individual in report order, as parmix::hybridIndex or,
// with -ancestry, parmix::ancestry returns them, data counts included; the
// hybrid-index rows only with -rows 1) and corrections (the tags of the corrections used, as the tables' last
// column has them); but for the joint analysis also counts: the pairs
// {loci_with_data missing_share} of writeTsv's -counts.  Errors: a wrong
// call {PARMIX USAGE}, a faulty input or report {PARMIX INPUT}.
extern "C" int Parmix_GenomeObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]);

// parmix::mergeReports -report FILE SHARD_REPORT ?SHARD_REPORT ...?
extern "C" int Parmix_MergeReportsObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                         Tcl_Obj* const objv[]);

// parmix::htslibLogLevel ?off|error|warning?
// htslib, which reads the VCF/BCF files, writes its own diagnostics to
// standard error at the level set here; the level is one for the whole
// process (htslib keeps it so), which is why a program sets it once from its
// verbosity rather than a command per call.  Result: the level in force.
extern "C" int Parmix_HtslibLogLevelObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                           Tcl_Obj* const objv[]);

#endif
