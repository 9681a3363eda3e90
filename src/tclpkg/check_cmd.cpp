// The command ::parmix::check, which reports what parmix understands of a
// parental and an individual file without estimating: the core's diagnosis
// (validate/diagnosis.hpp) turned into a dict.

#include "tclpkg/check_cmd.hpp"

#include <tcl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "input/status.hpp"
#include "tclpkg/tcl_result.hpp"
#include "validate/diagnosis.hpp"

namespace parmix {

namespace {

// The objects that recur in every locus's and individual's dict: the keys,
// the type letters and small counts.  A check of a million loci would
// otherwise make millions of copies of the same few words, each an object
// of its own; shared, each dict holds references.  Owns one reference to
// each object it made, released when it goes.
class SharedObjects {
 public:
  SharedObjects() = default;
  SharedObjects(const SharedObjects&) = delete;
  SharedObjects& operator=(const SharedObjects&) = delete;
  ~SharedObjects() {
    for (auto& entry : words_) Tcl_DecrRefCount(entry.second);
    for (Tcl_Obj* number : numbers_)
      if (number != nullptr) Tcl_DecrRefCount(number);
  }

  Tcl_Obj* word(const std::string& text) {
    const auto found = words_.find(text);
    if (found != words_.end()) return found->second;
    Tcl_Obj* obj = Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
    Tcl_IncrRefCount(obj);
    words_.emplace(text, obj);
    return obj;
  }

  Tcl_Obj* number(int value) {
    if (value < 0 || value >= kSharedNumbers) return Tcl_NewIntObj(value);
    Tcl_Obj*& obj = numbers_[static_cast<std::size_t>(value)];
    if (obj == nullptr) {
      obj = Tcl_NewIntObj(value);
      Tcl_IncrRefCount(obj);
    }
    return obj;
  }

 private:
  static constexpr int kSharedNumbers = 1024;
  std::map<std::string, Tcl_Obj*> words_;
  std::vector<Tcl_Obj*> numbers_ = std::vector<Tcl_Obj*>(kSharedNumbers, nullptr);
};

// A dict built key by key; the caller owns the object until it is placed.
class DictBuilder {
 public:
  explicit DictBuilder(SharedObjects& shared) : shared_(shared), dict_(Tcl_NewDictObj()) {}
  DictBuilder& put(const char* key, Tcl_Obj* value) {
    Tcl_DictObjPut(nullptr, dict_, shared_.word(key), value);
    return *this;
  }
  DictBuilder& put(const char* key, int value) { return put(key, shared_.number(value)); }
  DictBuilder& put(const char* key, double value) { return put(key, Tcl_NewDoubleObj(value)); }
  DictBuilder& put(const char* key, const std::string& value) {
    return put(key, Tcl_NewStringObj(value.data(), static_cast<Tcl_Size>(value.size())));
  }
  // A value of a few known words (a type letter, a kind).
  DictBuilder& putWord(const char* key, const std::string& value) {
    return put(key, shared_.word(value));
  }
  Tcl_Obj* obj() const { return dict_; }

 private:
  SharedObjects& shared_;
  Tcl_Obj* dict_;
};

// Which loci the dict lists: all of them, or only those a warning of a run
// can name (see isNotable), each then with its line.
enum class LociShown { kAll, kNotable };

// A locus that a warning of a run can name: one with refused genotypes,
// a used one without data in any individual, or a used dominant one whose
// band count lies outside the parental range.
bool isNotable(const LocusDiagnosis& l, int individuals) {
  if (l.unknown + l.outOfRange > 0) return true;
  if (l.excluded) return false;
  return (individuals > 0 && l.missing == individuals) || (l.type == 'D' && l.bandPlace != 0);
}

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

// One locus as a flat list of keys and values: a dict by value, but a
// list's few bytes rather than a hash table's, for files of a million loci.
Tcl_Obj* locusEntry(const LocusDiagnosis& l, int line, SharedObjects& shared) {
  std::vector<Tcl_Obj*> words;
  const auto put = [&](const char* key, Tcl_Obj* value) {
    words.push_back(shared.word(key));
    words.push_back(value);
  };
  put("label", Tcl_NewStringObj(l.label.data(), static_cast<int>(l.label.size())));
  put("type", shared.word(std::string(1, l.type)));
  put("alleles", shared.number(l.alleles));
  put("excluded", shared.number(l.excluded ? 1 : 0));
  put("weak", shared.number(l.weak ? 1 : 0));
  put("missing", shared.number(l.missing));
  put("unknown", shared.number(l.unknown));
  put("outOfRange", shared.number(l.outOfRange));
  if (l.type == 'D') {
    put("bands", shared.number(l.bands));
    put("scored", shared.number(l.scored));
    put("bandR", Tcl_NewDoubleObj(l.bandR));
    put("bandS", Tcl_NewDoubleObj(l.bandS));
    put("bandPlace", Tcl_NewIntObj(l.bandPlace));
  }
  if (line > 0) put("line", Tcl_NewIntObj(line));
  return Tcl_NewListObj(static_cast<int>(words.size()), words.data());
}

Tcl_Obj* lociList(const Diagnosis& d, LociShown shown, SharedObjects& shared) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  const int individuals = static_cast<int>(d.individuals.size());
  for (std::size_t i = 0; i < d.loci.size(); ++i) {
    const LocusDiagnosis& l = d.loci[i];
    if (shown == LociShown::kNotable && !isNotable(l, individuals)) continue;
    const int line = shown == LociShown::kNotable ? static_cast<int>(i) + 1 : 0;
    Tcl_ListObjAppendElement(nullptr, list, locusEntry(l, line, shared));
  }
  return list;
}

int mostAlleles(const Diagnosis& d) {
  int most = 0;
  for (const LocusDiagnosis& l : d.loci) most = std::max(most, l.alleles);
  return most;
}

Tcl_Obj* individualsList(const Diagnosis& d, SharedObjects& shared) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const IndividualDiagnosis& ind : d.individuals) {
    DictBuilder b(shared);
    b.put("name", ind.name).put("loci", ind.loci).put("missing", ind.missing);
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* refusedList(const Diagnosis& d, SharedObjects& shared) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const RefusedGenotype& r : d.refused) {
    DictBuilder b(shared);
    b.put("individual", individualName(d, r.individual)).put("position", r.individual + 1);
    b.put("locus", locusName(d, r.locus)).put("line", r.locus + 1).put("column", r.column);
    b.put("designation", r.token).putWord("kind", r.outOfRange ? "range" : "unknown");
    b.putWord("type", std::string(1, d.loci[r.locus].type));
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* tokensList(const Diagnosis& d, SharedObjects& shared) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const UnusualToken& t : d.unusualTokens) {
    DictBuilder b(shared);
    b.put("token", t.token).put("count", t.count).put("line", t.firstLocus + 1);
    b.put("locus", locusName(d, t.firstLocus));
    b.put("individual", individualName(d, t.firstIndividual));
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* breaksList(const Diagnosis& d, SharedObjects& shared) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const PairingBreak& p : d.pairingBreaks) {
    DictBuilder b(shared);
    b.put("line", p.locus + 1).put("locus", locusName(d, p.locus));
    b.put("designations", p.designations).put("individual", individualName(d, p.individual));
    b.put("token", p.token);
    Tcl_ListObjAppendElement(nullptr, list, b.obj());
  }
  return list;
}

Tcl_Obj* diagnosisDict(const Diagnosis& d, LociShown shown) {
  SharedObjects shared;
  DictBuilder b(shared);
  b.put("ok", d.firstError.ok() ? 1 : 0).put("error", d.firstError.message());
  b.put("fault", std::string(faultWord(d.firstError.fault())));
  DictBuilder records(shared);
  records.put("parental", d.parentalRecords).put("individual", d.individualRecords);
  b.put("records", records.obj());
  b.put("parentalRead", d.parentalRead ? 1 : 0).put("individualsRead", d.individualsRead ? 1 : 0);
  b.put("loci", lociList(d, shown, shared)).put("mostAlleles", mostAlleles(d));
  b.put("individuals", individualsList(d, shared));
  b.put("refused", refusedList(d, shared)).put("unusualTokens", tokensList(d, shared));
  b.put("unusualTotal", d.unusualTotal).put("designations", d.designationsRead);
  b.put("pairingBreaks", breaksList(d, shared));
  b.put("alleleFrequencySign", d.alleleFrequencySign ? 1 : 0);
  return b.obj();
}

// The words after the two files: -firsterror BOOLEAN and -loci all|notable,
// each at most once.
int takeCheckOptions(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], int& findFirstError,
                     LociShown& shown) {
  const auto usage = [interp](const std::string& message) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(message.c_str(), -1));
    Tcl_SetErrorCode(interp, "PARMIX", "USAGE", static_cast<char*>(nullptr));
    return TCL_ERROR;
  };
  if (objc < 3 || objc % 2 == 0) {
    Tcl_WrongNumArgs(interp, 1, objv,
                     "parental individual ?-firsterror boolean? ?-loci all|notable?");
    Tcl_SetErrorCode(interp, "PARMIX", "USAGE", static_cast<char*>(nullptr));
    return TCL_ERROR;
  }
  for (int i = 3; i < objc; i += 2) {
    const std::string name = Tcl_GetString(objv[i]);
    const std::string value = Tcl_GetString(objv[i + 1]);
    if (name == "-firsterror") {
      if (Tcl_GetBooleanFromObj(nullptr, objv[i + 1], &findFirstError) != TCL_OK)
        return usage("parmix::check: -firsterror must be a boolean, not " + quotedValue(value));
    } else if (name == "-loci") {
      if (value != "all" && value != "notable")
        return usage("parmix::check: -loci must be all or notable, not " + quotedValue(value));
      shown = value == "all" ? LociShown::kAll : LociShown::kNotable;
    } else {
      return usage("parmix::check: unknown option " + quotedValue(name) +
                   "; the options are -firsterror, -loci");
    }
  }
  return TCL_OK;
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_CheckCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                               Tcl_Obj* const objv[]) {
  try {
    int findFirstError = 1;
    parmix::LociShown shown = parmix::LociShown::kAll;
    if (parmix::takeCheckOptions(interp, objc, objv, findFirstError, shown) != TCL_OK)
      return TCL_ERROR;
    parmix::Diagnosis diagnosis;
    parmix::diagnose(parmix::InputPaths{Tcl_GetString(objv[1]), Tcl_GetString(objv[2])},
                     diagnosis, findFirstError != 0);
    Tcl_SetObjResult(interp, parmix::diagnosisDict(diagnosis, shown));
    return TCL_OK;
  } catch (...) {
    Tcl_SetResult(interp, const_cast<char*>("Not enough memory to check these files."),
                  TCL_STATIC);
    Tcl_SetErrorCode(interp, "PARMIX", "MEMORY", static_cast<char*>(nullptr));
    return TCL_ERROR;
  }
}
