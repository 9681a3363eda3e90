// The command ::parmix::check, which reports what parmix understands of a
// parental and an individual file without estimating: the core's diagnosis
// (validate/diagnosis.hpp) turned into a dict.

#include "tclpkg/check_cmd.hpp"

#include <tcl.h>

#include <string>

#include "tclpkg/tcl_result.hpp"
#include "validate/diagnosis.hpp"

namespace parmix {

namespace {

// A dict built key by key; the caller owns the object until it is placed.
class DictBuilder {
 public:
  DictBuilder() : dict_(Tcl_NewDictObj()) {}
  DictBuilder& put(const char* key, Tcl_Obj* value) {
    Tcl_DictObjPut(nullptr, dict_, Tcl_NewStringObj(key, -1), value);
    return *this;
  }
  DictBuilder& put(const char* key, int value) { return put(key, Tcl_NewIntObj(value)); }
  DictBuilder& put(const char* key, double value) { return put(key, Tcl_NewDoubleObj(value)); }
  DictBuilder& put(const char* key, const std::string& value) {
    return put(key, Tcl_NewStringObj(value.data(), static_cast<Tcl_Size>(value.size())));
  }
  Tcl_Obj* obj() const { return dict_; }

 private:
  Tcl_Obj* dict_;
};


const char* faultWord(Fault fault) {
  switch (fault) {
    case Fault::kParental: return "PARENTAL";
    case Fault::kIndividual: return "INDIVIDUAL";
    case Fault::kLoci: return "LOCI";
    case Fault::kReport: return "REPORT";
    case Fault::kMemory: return "MEMORY";
    default: return "";
  }
}

std::string locusName(const Diagnosis& d, int i) {
  return d.loci[i].label.empty() ? "row " + std::to_string(i + 1) : d.loci[i].label;
}

std::string individualName(const Diagnosis& d, int j) {
  if (j < 0 || j >= static_cast<int>(d.individuals.size())) return "";
  return d.individuals[j].name;
}

Tcl_Obj* lociList(const Diagnosis& d) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const LocusDiagnosis& l : d.loci) {
    DictBuilder b;
    b.put("label", l.label).put("type", std::string(1, l.type)).put("alleles", l.alleles);
    b.put("excluded", l.excluded ? 1 : 0).put("weak", l.weak ? 1 : 0);
    b.put("missing", l.missing).put("unknown", l.unknown).put("outOfRange", l.outOfRange);
    if (l.type == 'D')
      b.put("bands", l.bands).put("scored", l.scored).put("bandR", l.bandR)
          .put("bandS", l.bandS).put("bandPlace", l.bandPlace);
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* individualsList(const Diagnosis& d) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const IndividualDiagnosis& ind : d.individuals) {
    DictBuilder b;
    b.put("name", ind.name).put("loci", ind.loci).put("missing", ind.missing);
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* refusedList(const Diagnosis& d) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const RefusedGenotype& r : d.refused) {
    DictBuilder b;
    b.put("individual", individualName(d, r.individual)).put("position", r.individual + 1);
    b.put("locus", locusName(d, r.locus)).put("line", r.locus + 1).put("column", r.column);
    b.put("designation", r.token).put("kind", std::string(r.outOfRange ? "range" : "unknown"));
    b.put("type", std::string(1, d.loci[r.locus].type));
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* tokensList(const Diagnosis& d) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const UnusualToken& t : d.unusualTokens) {
    DictBuilder b;
    b.put("token", t.token).put("count", t.count).put("line", t.firstLocus + 1);
    b.put("locus", locusName(d, t.firstLocus));
    b.put("individual", individualName(d, t.firstIndividual));
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* breaksList(const Diagnosis& d) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const PairingBreak& p : d.pairingBreaks) {
    DictBuilder b;
    b.put("line", p.locus + 1).put("locus", locusName(d, p.locus));
    b.put("designations", p.designations).put("individual", individualName(d, p.individual));
    b.put("token", p.token);
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* diagnosisDict(const Diagnosis& d) {
  DictBuilder b;
  b.put("ok", d.firstError.ok() ? 1 : 0).put("error", d.firstError.message());
  b.put("fault", std::string(faultWord(d.firstError.fault())));
  DictBuilder records;
  records.put("parental", d.parentalRecords).put("individual", d.individualRecords);
  b.put("records", records.obj());
  b.put("parentalRead", d.parentalRead ? 1 : 0).put("individualsRead", d.individualsRead ? 1 : 0);
  b.put("loci", lociList(d)).put("individuals", individualsList(d));
  b.put("refused", refusedList(d)).put("unusualTokens", tokensList(d));
  b.put("unusualTotal", d.unusualTotal).put("designations", d.designationsRead);
  b.put("pairingBreaks", breaksList(d));
  b.put("alleleFrequencySign", d.alleleFrequencySign ? 1 : 0);
  return b.obj();
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_CheckCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                               Tcl_Obj* const objv[]) {
  int findFirstError = 1;
  const bool optionGiven = objc == 5 && std::string(Tcl_GetString(objv[3])) == "-firsterror";
  if ((objc != 3 && !optionGiven) ||
      (optionGiven && Tcl_GetBooleanFromObj(interp, objv[4], &findFirstError) != TCL_OK)) {
    if (!optionGiven) Tcl_WrongNumArgs(interp, 1, objv, "parental individual ?-firsterror boolean?");
    return TCL_ERROR;
  }
  try {
    parmix::Diagnosis diagnosis;
    parmix::diagnose(parmix::InputPaths{Tcl_GetString(objv[1]), Tcl_GetString(objv[2])},
                     diagnosis, findFirstError != 0);
    Tcl_SetObjResult(interp, parmix::diagnosisDict(diagnosis));
    return TCL_OK;
  } catch (...) {
    Tcl_SetResult(interp, const_cast<char*>("Not enough memory to check these files."),
                  TCL_STATIC);
    Tcl_SetErrorCode(interp, "PARMIX", "MEMORY", static_cast<char*>(nullptr));
    return TCL_ERROR;
  }
}
