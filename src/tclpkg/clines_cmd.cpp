#include "tclpkg/clines_cmd.hpp"

#include <cmath>
#include <cstdint>
#include <string>

#include "run/text_run.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

constexpr const char* kCommand = "parmix::clines";
constexpr const char* kOptionList =
    "-report, -tsv, -qvalue, -threads, -image, -bootstrap, -seed, -referencecounts";

void put(Tcl_Obj* dict, const char* key, Tcl_Obj* value) {
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
}

// A cut flag of an undefined limit is undefined too: the empty string.
Tcl_Obj* cutObj(bool cut, double limit) {
  return std::isnan(limit) ? Tcl_NewObj() : Tcl_NewBooleanObj(cut);
}

Tcl_Obj* rowObj(const std::string& name, int locus, const ClineEstimate& row, bool bootstrap) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  put(dict, "locus", Tcl_NewStringObj(name.c_str(), static_cast<int>(name.size())));
  put(dict, "row", Tcl_NewIntObj(locus + 1));
  put(dict, "individuals", Tcl_NewIntObj(row.individuals));
  const struct {
    const char* key;
    double value;
  } numbers[] = {{"v", row.v},           {"vLower", row.vLower},
                 {"vUpper", row.vUpper}, {"centre", row.centre},
                 {"centreLower", row.centreLower}, {"centreUpper", row.centreUpper},
                 {"u", row.u},           {"lnL", row.logL},
                 {"lnLNeutral", row.neutralLogL}, {"lr", row.lr},
                 {"pValue", row.pValue}, {"qValue", row.qValue}};
  for (const auto& number : numbers) put(dict, number.key, numberOrEmptyObj(number.value));
  put(dict, "vLowerCut", cutObj(row.vCut[0], row.vLower));
  put(dict, "vUpperCut", cutObj(row.vCut[1], row.vUpper));
  put(dict, "centreLowerCut", cutObj(row.centreCut[0], row.centreLower));
  put(dict, "centreUpperCut", cutObj(row.centreCut[1], row.centreUpper));
  put(dict, "category", Tcl_NewStringObj(clineCategoryName(row.category), -1));
  if (bootstrap) put(dict, "bootstrapP", numberOrEmptyObj(row.bootstrapP));
  return dict;
}

}  // namespace

Tcl_Obj* clineRowObj(const std::string& name, int locus, const ClineEstimate& row,
                     bool bootstrap) {
  return rowObj(name, locus, row, bootstrap);
}

namespace {

Tcl_Obj* resultObj(const TextRunResult& result) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  const ClineStudy& study = result.clines;
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const int locus = study.loci[k];
    Tcl_ListObjAppendElement(nullptr, list,
                             rowObj(result.locusNames[locus], locus, study.rows[k],
                                    study.bootstrapReplicates > 0));
  }
  return list;
}

// One image row: a character per locus, '0', '1' or '2' copies from R and
// '-' for a missing genotype, so a row costs a byte a locus in Tcl too.
Tcl_Obj* imageRowObj(const AncestryImage& image, std::size_t row) {
  const std::size_t width = image.loci.size();
  std::string text(width, '-');
  for (std::size_t column = 0; column < width; ++column) {
    const std::uint8_t cell = image.at(row, column);
    if (cell != kImageMissing) text[column] = static_cast<char>('0' + cell);
  }
  return Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
}

Tcl_Obj* imageObj(const TextRunResult& result) {
  const AncestryImage& image = result.image;
  Tcl_Obj* names = Tcl_NewListObj(0, nullptr);
  Tcl_Obj* h = Tcl_NewListObj(0, nullptr);
  Tcl_Obj* rows = Tcl_NewListObj(0, nullptr);
  for (std::size_t row = 0; row < image.individuals.size(); ++row) {
    const int j = image.individuals[row];
    const std::string& name = result.names[j];
    Tcl_ListObjAppendElement(nullptr, names,
                             Tcl_NewStringObj(name.data(), static_cast<int>(name.size())));
    Tcl_ListObjAppendElement(nullptr, h, numberOrEmptyObj(result.rows[j].h));
    Tcl_ListObjAppendElement(nullptr, rows, imageRowObj(image, row));
  }
  Tcl_Obj* loci = Tcl_NewListObj(0, nullptr);
  Tcl_Obj* categories = Tcl_NewListObj(0, nullptr);
  for (std::size_t k = 0; k < image.loci.size(); ++k) {
    const std::string& name = result.locusNames[image.loci[k]];
    Tcl_ListObjAppendElement(nullptr, loci,
                             Tcl_NewStringObj(name.data(), static_cast<int>(name.size())));
    Tcl_ListObjAppendElement(
        nullptr, categories, Tcl_NewStringObj(clineCategoryName(result.clines.rows[k].category), -1));
  }
  Tcl_Obj* dict = Tcl_NewDictObj();
  put(dict, "individuals", names);
  put(dict, "h", h);
  put(dict, "loci", loci);
  put(dict, "categories", categories);
  put(dict, "rows", rows);
  return dict;
}

int runCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  TextRunRequest request;
  request.model = TextModel::kClines;
  request.threads = configuredThreads(interp);
  if (takeAnalysisWords(interp, kCommand, kOptionList, "PARENTAL INDIVIDUAL ?-option value ...?",
                        objc, objv, request) != TCL_OK)
    return TCL_ERROR;
  // The bootstrap draws genotypes from point frequencies, which the
  // correction for small reference samples holds uncertain.
  if (request.bootstrap.replicates > 0 && !request.referenceCounts.empty()) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj("parmix::clines: -bootstrap does not go with "
                                              "-referencecounts",
                                              -1));
    Tcl_SetErrorCode(interp, "PARMIX", "USAGE", nullptr);
    return TCL_ERROR;
  }
  TextRunResult result;
  const Status status = runTextFiles(request, result);
  if (!status.ok()) return placeStatus(interp, status);
  if (!request.image) {
    Tcl_SetObjResult(interp, resultObj(result));
    return TCL_OK;
  }
  Tcl_Obj* both = Tcl_NewDictObj();
  put(both, "clines", resultObj(result));
  put(both, "image", imageObj(result));
  Tcl_SetObjResult(interp, both);
  return TCL_OK;
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_ClinesObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]) {
  // The one place where C++ meets Tcl for this command: the run turns its
  // own exceptions into a status; what is left is the words' copies.
  try {
    return parmix::runCommand(interp, objc, objv);
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
