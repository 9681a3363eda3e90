#include "tclpkg/genome_cmd.hpp"

#include <htslib/hts_log.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "estimate/worker_pool.hpp"
#include "input/errors.hpp"
#include "input/status.hpp"
#include "model/corrections.hpp"
#include "run/genome_options.hpp"
#include "run/genome_run.hpp"
#include "report/report_merge.hpp"
#include "tclpkg/ancestry_cmd.hpp"
#include "tclpkg/clines_cmd.hpp"
#include "tclpkg/command_options.hpp"
#include "tclpkg/corrected_cmd.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

int fail(Tcl_Interp* interp, const char* kind, const std::string& message) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(message.c_str(), -1));
  Tcl_SetErrorCode(interp, "PARMIX", kind, nullptr);
  return TCL_ERROR;
}

// How an option of the command goes into the request: a boolean, a value
// of the run's own, or a value of the input, the references and the
// filters, set by parmix-import's own setter (IMPORTKEY) so that both
// check it alike.
enum class Takes { kBoolean, kRunValue, kInputValue };

struct GenomeOption {
  const char* name;
  Takes takes;
  const char* importKey;
};

constexpr GenomeOption kOptions[] = {
    {"-vcf", Takes::kInputValue, "--vcf"},
    {"-bfile", Takes::kInputValue, "--bfile"},
    {"-popmap", Takes::kInputValue, "--popmap"},
    {"-r", Takes::kInputValue, "--r"},
    {"-s", Takes::kInputValue, "--s"},
    {"-study", Takes::kInputValue, "--study"},
    {"-pseudocount", Takes::kInputValue, "--pseudo-count"},
    {"-mincalled", Takes::kInputValue, "--min-called"},
    {"-mindifference", Takes::kInputValue, "--min-difference"},
    {"-maxmissing", Takes::kInputValue, "--max-missing"},
    {"-biallelicsnps", Takes::kBoolean, nullptr},
    {"-progress", Takes::kBoolean, nullptr},
    {"-ancestry", Takes::kBoolean, nullptr},
    {"-clines", Takes::kBoolean, nullptr},
    {"-referenceuncertainty", Takes::kBoolean, nullptr},
    {"-rows", Takes::kBoolean, nullptr},
    {"-clinerows", Takes::kBoolean, nullptr},
    {"-image", Takes::kBoolean, nullptr},
    {"-report", Takes::kRunValue, nullptr},
    {"-threads", Takes::kRunValue, nullptr},
    {"-samples", Takes::kRunValue, nullptr},
    {"-shard", Takes::kRunValue, nullptr},
    {"-tsv", Takes::kRunValue, nullptr},
    {"-margin", Takes::kRunValue, nullptr},
    {"-drop", Takes::kRunValue, nullptr},
    {"-qvalue", Takes::kRunValue, nullptr},
    {"-genotypelikelihoods", Takes::kRunValue, nullptr},
    {"-referencefrequencies", Takes::kRunValue, nullptr},
};

const GenomeOption* findOption(const std::string& name) {
  for (const GenomeOption& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

// The options with values, in the order given; the booleans are set at once.
// ROWS: the result is to hold the hybrid-index rows (the joint analysis's
// are always there).
struct GivenValues {
  bool rows = false;
  std::vector<std::pair<const GenomeOption*, std::string>> run;
  std::vector<std::pair<const GenomeOption*, std::string>> input;
  bool has(const char* name) const {
    for (const auto& [option, value] : run)
      if (std::string(option->name) == name) return true;
    return false;
  }
};

void setBoolean(const std::string& name, bool on, genome::GenomeOptions& options) {
  if (name == "-biallelicsnps") options.input.filters.biallelicSnpsOnly = on;
  if (name == "-progress") options.input.quiet = !on;
  if (name == "-ancestry") options.ancestry = on;
  if (name == "-clines") options.clines = on;
  if (name == "-referenceuncertainty") options.corrections.referenceUncertainty = on;
  if (name == "-clinerows") options.keepClineRows = on;
  if (name == "-image") options.keepImage = on;
}

// Every word is a known option with a value, every boolean a boolean,
// before any value is looked at.
int takeWords(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], GivenValues& given,
              genome::GenomeOptions& options) {
  const CommandOptions words = CommandOptions::unnamed(interp);
  // An unknown word is told as such, even the last one, which has no value.
  for (int i = 1; i < objc; i += 2)
    if (findOption(Tcl_GetString(objv[i])) == nullptr) return words.unknown(Tcl_GetString(objv[i]));
  return words.takeOptions(objc, objv, 1, [&](const char* name, Tcl_Obj* value) {
    const GenomeOption* option = findOption(name);
    if (option->takes == Takes::kBoolean) {
      bool on = false;
      if (words.takeBoolean(name, value, on) != TCL_OK) return TCL_ERROR;
      if (std::string(name) == "-rows") given.rows = on;
      setBoolean(name, on, options);
    } else {
      (option->takes == Takes::kRunValue ? given.run : given.input)
          .emplace_back(option, Tcl_GetString(value));
    }
    return TCL_OK;
  });
}

using importer::UsageError;

// A class threshold in log-likelihood units: finite and at least 0, or
// above 0 when OPEN.
double thresholdUnits(const std::string& option, const std::string& text, bool open) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  const bool fits = *end == '\0' && errno == 0 && std::isfinite(value) &&
                    (open ? value > 0 : value >= 0);
  if (!fits) {
    throw UsageError("option " + option + " must be " +
                     (open ? "a number above 0" : "a number of at least 0") + ", not " +
                     quotedValue(text));
  }
  return value;
}

// The q-value at which a locus departs from the neutral cline.
double qThreshold(const std::string& option, const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || errno != 0 || !(value > 0 && value <= 1))
    throw UsageError("option " + option + " must be a number above 0 and at most 1, not " +
                     quotedValue(text));
  return value;
}

// Likelihoods come from PL or GL; the reference frequencies by EM from them
// (the default with likelihoods) or from the calls.
void setCorrection(const std::string& name, const std::string& value, Corrections& c) {
  if (name == "-genotypelikelihoods") {
    if (value != "PL" && value != "GL")
      throw UsageError("option " + name + " needs PL or GL, not " + quotedValue(value));
    c.likelihoodField = value;
  }
  if (name == "-referencefrequencies") {
    if (value != "gl" && value != "gt")
      throw UsageError("option " + name + " needs gl or gt, not " + quotedValue(value));
    c.referenceFromCalls = value == "gt";
  }
}

void setRunValue(const std::string& name, const std::string& value,
                 genome::GenomeOptions& options) {
  if (value.empty()) throw UsageError("option " + name + " needs a non-empty value");
  if (name == "-report") options.report = value;
  if (name == "-threads") {
    const int n = threadCountOf(value);
    if (n < 1) throw UsageError(threadCountProblem(name, value));
    options.threads = static_cast<unsigned>(n);
  }
  if (name == "-samples") options.selection.samplesFile = value;
  if (name == "-shard") genome::parseShard(name, value, options.selection);
  if (name == "-tsv") options.tsv = value;
  if (name == "-margin") options.thresholds.minMargin = thresholdUnits(name, value, false);
  if (name == "-drop") options.thresholds.maxDrop = thresholdUnits(name, value, true);
  if (name == "-qvalue") options.qThreshold = qThreshold(name, value);
  setCorrection(name, value, options.corrections);
}

// The clines are no joint analysis.  A shard of them fits a part of the
// loci, whose q-values and categories need every locus: the merge of the
// shards' reports gives them, and what is made from them.
void checkClineShard(const GivenValues& given, const genome::GenomeOptions& options) {
  if (!options.clines || !given.has("-shard")) return;
  if (given.has("-tsv"))
    throw UsageError("option -tsv does not go with -clines and -shard K/N: the merge of the "
                     "shards' reports writes the table");
  if (options.keepClineRows || options.keepImage)
    throw UsageError(std::string("option ") + (options.keepImage ? "-image" : "-clinerows") +
                     " does not go with -shard K/N: a shard's rows have no q-values and "
                     "categories before the merge");
}

void checkClines(const GivenValues& given, const genome::GenomeOptions& options) {
  if (options.clines && options.ancestry)
    throw UsageError("option -clines does not go with -ancestry");
  checkClineShard(given, options);
  if (given.has("-qvalue") && !options.clines) throw UsageError("option -qvalue needs -clines");
  if (options.keepClineRows && !options.clines)
    throw UsageError("option -clinerows needs -clines");
  if (options.keepImage && !options.clines) throw UsageError("option -image needs -clines");
}

// The run's options together: one selection, the frequencies' source only
// with likelihoods to take them from, the joint analysis's own options only
// with it (the corrections go with either analysis).
void checkRunValues(const GivenValues& given, genome::GenomeOptions& options) {
  if (given.has("-samples") && given.has("-shard"))
    throw UsageError("give at most one of -samples FILE and -shard K/N");
  const Corrections& c = options.corrections;
  if (given.has("-referencefrequencies") && c.likelihoodField.empty() && !c.referenceFromCalls)
    throw UsageError("option -referencefrequencies gl needs -genotypelikelihoods PL|GL");
  checkClines(given, options);
  for (const auto& [option, value] : given.run) {
    const std::string name = option->name;
    if (name == "-tsv" && options.clines) continue;
    if (!options.ancestry && (name == "-tsv" || name == "-margin" || name == "-drop"))
      throw UsageError("option " + name + " needs -ancestry");
  }
  if (options.ancestry && !given.has("-report")) options.report = "parmix_ancestry.txt";
  if (options.clines && !given.has("-report")) options.report = "parmix_clines.txt";
}

// The input's options by parmix-import's own rules, named as the command
// names them.
void setInput(const GivenValues& given, genome::GenomeOptions& options) {
  std::map<std::string, int> counted;
  for (const auto& [option, value] : given.input) {
    importer::setValueOption(option->importKey, option->name, value, options.input);
    ++counted[option->importKey];
  }
  importer::InputOptionNames names;
  names.vcf = "-vcf";
  names.bfile = "-bfile";
  names.popmap = "-popmap";
  names.r = "-r";
  names.s = "-s";
  importer::checkInputCall(options.input, counted, names);
  if (options.input.format == importer::InputFormat::Plink &&
      !options.corrections.likelihoodField.empty())
    throw UsageError("option -genotypelikelihoods goes with -vcf only: a .bed holds "
                     "genotype calls, no likelihoods");
}

// The words of a call straight into the run request; TCL_OK, or TCL_ERROR
// with the wrong call's {PARMIX USAGE} placed.
int takeRequest(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[],
                genome::GenomeOptions& options, bool& rows) {
  options.input.quiet = true;  // unless -progress says otherwise
  GivenValues given;
  if (takeWords(interp, objc, objv, given, options) != TCL_OK) return TCL_ERROR;
  rows = given.rows;
  try {
    for (const auto& [option, value] : given.run) setRunValue(option->name, value, options);
    checkRunValues(given, options);
    setInput(given, options);
  } catch (const UsageError& error) {
    return fail(interp, "USAGE", error.what());
  }
  return TCL_OK;
}

Tcl_Obj* figuresDict(const genome::RunFigures& f) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  const auto put = [&](const char* key, Tcl_Obj* value) {
    Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
  };
  put("sites", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(f.sites)));
  put("loci", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(f.loci)));
  put("individuals", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(f.individuals)));
  put("genotypeBytes", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(f.genotypeBytes)));
  put("threads", Tcl_NewWideIntObj(f.threads));
  put("readSeconds", Tcl_NewDoubleObj(f.readSeconds));
  put("studySeconds", Tcl_NewDoubleObj(f.studySeconds));
  return dict;
}

// The pairs {loci_with_data missing_share} of the table of a text-file run:
// the share with four decimals, NA where no locus is used.
Tcl_Obj* dataCountsObj(const std::vector<DataCount>& counts) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const DataCount& c : counts) {
    const int used = c.loci + c.missing;
    char share[32] = "NA";
    if (used > 0)
      std::snprintf(share, sizeof share, "%.4f", static_cast<double>(c.missing) / used);
    Tcl_Obj* pair[2] = {Tcl_NewIntObj(c.loci), Tcl_NewStringObj(share, -1)};
    Tcl_ListObjAppendElement(nullptr, list, Tcl_NewListObj(2, pair));
  }
  return list;
}

// The corrections' tags, as the tables' corrections column has them.
Tcl_Obj* correctionTagsObj(const Corrections& corrections) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  std::string tags = correctionTags(corrections);
  for (std::size_t start = 0; start < tags.size();) {
    const std::size_t comma = std::min(tags.find(',', start), tags.size());
    const std::string tag = tags.substr(start, comma - start);
    Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(tag.c_str(), -1));
    start = comma + 1;
  }
  return list;
}

void putKey(Tcl_Obj* dict, const char* key, Tcl_Obj* value) {
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
}

Tcl_Obj* stringObj(const std::string& text) {
  return Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
}

// The clines' rows as parmix::clines returns them, one dict per fitted locus.
Tcl_Obj* clineRowsObj(const genome::RunFigures& f) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (std::size_t k = 0; k < f.clines.rows.size(); ++k) {
    const int locus = f.clines.loci[k];
    Tcl_ListObjAppendElement(
        nullptr, list,
        clineRowObj(f.locusLabels[static_cast<std::size_t>(locus)], locus, f.clines.rows[k], false));
  }
  return list;
}

// The level (0 to 8, quarters of a copy) of a drawn cell's mean count of
// R-derived copies, "" where every genotype is missing: the figure's own
// rounding, half away from zero.
Tcl_Obj* levelObj(int copies, int counted) {
  if (counted == 0) return Tcl_NewObj();
  return Tcl_NewIntObj(static_cast<int>(std::round(4.0 * copies / counted)));
}

// Every cell drawn alone: a string a row, a character a locus (0, 1, 2 or -),
// as parmix::clines gives it.
Tcl_Obj* imageRowsObj(const BinnedImage& image) {
  Tcl_Obj* rows = Tcl_NewListObj(0, nullptr);
  for (std::size_t row = 0; row < image.rows(); ++row) {
    std::string text(image.columns, '-');
    for (std::size_t column = 0; column < image.columns; ++column) {
      const std::size_t cell = image.cell(row, column);
      if (image.counted[cell] > 0) text[column] = static_cast<char>('0' + image.copies[cell]);
    }
    Tcl_ListObjAppendElement(nullptr, rows, stringObj(text));
  }
  return rows;
}

// Bins: a list of levels for each drawn row.
Tcl_Obj* imageLevelsObj(const BinnedImage& image) {
  Tcl_Obj* rows = Tcl_NewListObj(0, nullptr);
  for (std::size_t row = 0; row < image.rows(); ++row) {
    Tcl_Obj* levels = Tcl_NewListObj(0, nullptr);
    for (std::size_t column = 0; column < image.columns; ++column) {
      const std::size_t cell = image.cell(row, column);
      Tcl_ListObjAppendElement(nullptr, levels,
                               levelObj(image.copies[cell], image.counted[cell]));
    }
    Tcl_ListObjAppendElement(nullptr, rows, levels);
  }
  return rows;
}

// The genotype image as parmix::genotypeImage draws it: the lists of
// parmix::clines's image, with the rows of every cell where nothing is
// binned, else rowBin, columnBin and the levels of the drawn cells.
Tcl_Obj* imageObj(const genome::RunFigures& f) {
  const BinnedImage& image = f.image;
  Tcl_Obj* names = Tcl_NewListObj(0, nullptr);
  Tcl_Obj* h = Tcl_NewListObj(0, nullptr);
  for (const int j : image.individuals) {
    Tcl_ListObjAppendElement(nullptr, names, stringObj(f.names[static_cast<std::size_t>(j)]));
    Tcl_ListObjAppendElement(nullptr, h, numberOrEmptyObj(f.rows[static_cast<std::size_t>(j)].h));
  }
  Tcl_Obj* loci = Tcl_NewListObj(0, nullptr);
  Tcl_Obj* categories = Tcl_NewListObj(0, nullptr);
  for (std::size_t k = 0; k < image.loci.size(); ++k) {
    Tcl_ListObjAppendElement(nullptr, loci,
                             stringObj(f.locusLabels[static_cast<std::size_t>(image.loci[k])]));
    Tcl_ListObjAppendElement(nullptr, categories,
                             Tcl_NewStringObj(clineCategoryName(f.clines.rows[k].category), -1));
  }
  Tcl_Obj* dict = Tcl_NewDictObj();
  putKey(dict, "individuals", names);
  putKey(dict, "h", h);
  putKey(dict, "loci", loci);
  putKey(dict, "categories", categories);
  if (image.rowBin == 1 && image.columnBin == 1) {
    putKey(dict, "rows", imageRowsObj(image));
    return dict;
  }
  putKey(dict, "rowBin", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(image.rowBin)));
  putKey(dict, "columnBin", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(image.columnBin)));
  putKey(dict, "levels", imageLevelsObj(image));
  return dict;
}

// The joint analysis adds its rows, as parmix::ancestry returns them; the
// hybrid-index analysis the pairs of its data counts (counts) and, when
// asked (ROWS), its rows as parmix::hybridIndex returns them: a panel of
// millions is not made into a dict an individual unless a table needs it.
// Both add the tags of the corrections used.
Tcl_Obj* resultObj(const genome::GenomeOptions& options, const genome::RunFigures& f,
                   bool rows) {
  Tcl_Obj* dict = figuresDict(f);
  const auto put = [dict](const char* key, Tcl_Obj* value) {
    Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
  };
  if (options.ancestry) {
    put("rows", ancestryRowsObj(f.names, f.ancestryRows, f.counts));
  } else {
    put("counts", dataCountsObj(f.counts));
    if (rows) put("rows", hybridIndexRowsObj(f.names, f.rows, f.counts));
  }
  if (options.clines)
    put("lociFitted", Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(f.lociFitted)));
  if (options.keepClineRows) put("clines", clineRowsObj(f));
  if (options.keepImage) put("image", imageObj(f));
  put("corrections", correctionTagsObj(options.corrections));
  return dict;
}

int genomeCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  genome::GenomeOptions options;
  options.threads = configuredThreads(interp);
  bool rows = false;
  if (takeRequest(interp, objc, objv, options, rows) != TCL_OK) return TCL_ERROR;
  genome::RunFigures figures;
  const Status status = genome::runGenome(options, stderr, figures);
  if (!status.ok()) return placeStatus(interp, status);
  Tcl_SetObjResult(interp, resultObj(options, figures, rows));
  return TCL_OK;
}

// The merge's options after -report FILE: -tsv FILE and -clinerows BOOL,
// which go with the shards of the clines; the index of the first shard.
int takeMergeOptions(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], std::string& tsv,
                     bool& rows, int& first) {
  for (first = 3; first + 1 < objc; first += 2) {
    const std::string name = Tcl_GetString(objv[first]);
    if (name == "-tsv") {
      tsv = Tcl_GetString(objv[first + 1]);
      if (tsv.empty()) return fail(interp, "USAGE", "option -tsv needs a non-empty value");
    } else if (name == "-clinerows") {
      if (CommandOptions::unnamed(interp).takeBoolean("-clinerows", objv[first + 1], rows) !=
          TCL_OK)
        return TCL_ERROR;
    } else {
      break;
    }
  }
  if (first < objc) return TCL_OK;
  return fail(interp, "USAGE",
              "wrong # args: should be \"parmix::mergeReports -report FILE ?-tsv FILE? "
              "?-clinerows BOOL? SHARD_REPORT ?SHARD_REPORT ...?\"");
}

// The result of a merge of the clines' shards: the loci fitted and, when
// asked, their rows as parmix::clines returns them.
Tcl_Obj* mergedClinesObj(const genome::MergedClines& merged, bool rows) {
  Tcl_Obj* dict = Tcl_NewDictObj();
  putKey(dict, "lociFitted",
         Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(merged.study.rows.size())));
  if (!rows) return dict;
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (std::size_t k = 0; k < merged.study.rows.size(); ++k)
    Tcl_ListObjAppendElement(nullptr, list,
                             clineRowObj(merged.names[k], merged.study.loci[k],
                                         merged.study.rows[k], false));
  putKey(dict, "clines", list);
  return dict;
}

// parmix::mergeReports -report FILE ?-tsv FILE? ?-clinerows BOOL? SHARD ...:
// nothing for the shards of the hybrid index, a dict for the clines'.
int mergeCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc < 4 || std::string(Tcl_GetString(objv[1])) != "-report")
    return fail(interp, "USAGE",
                "wrong # args: should be \"parmix::mergeReports -report FILE SHARD_REPORT "
                "?SHARD_REPORT ...?\"");
  std::string tsv;
  bool rows = false;
  int first = 3;
  if (takeMergeOptions(interp, objc, objv, tsv, rows, first) != TCL_OK) return TCL_ERROR;
  std::vector<std::string> shards;
  for (int i = first; i < objc; ++i) shards.emplace_back(Tcl_GetString(objv[i]));
  genome::MergedClines merged;
  try {
    merged = genome::mergeShardReports(Tcl_GetString(objv[2]), tsv, shards, rows);
  } catch (const UsageError& error) {
    return fail(interp, "USAGE", error.what());
  } catch (const InputError& error) {
    return fail(interp, "INPUT", error.what());
  }
  if (merged.clines) Tcl_SetObjResult(interp, mergedClinesObj(merged, rows));
  return TCL_OK;
}

const std::map<std::string, htsLogLevel>& logLevels() {
  static const std::map<std::string, htsLogLevel> levels{
      {"off", HTS_LOG_OFF}, {"error", HTS_LOG_ERROR}, {"warning", HTS_LOG_WARNING}};
  return levels;
}

int logLevelCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc > 2)
    return fail(interp, "USAGE", "wrong # args: should be \"parmix::htslibLogLevel ?level?\"");
  if (objc == 2) {
    const auto level = logLevels().find(Tcl_GetString(objv[1]));
    if (level == logLevels().end())
      return fail(interp, "USAGE", std::string("unknown level \"") + Tcl_GetString(objv[1]) +
                                       "\": must be off, error or warning");
    hts_set_log_level(level->second);
  }
  const int level = hts_get_log_level();
  const char* current = level == HTS_LOG_OFF ? "off" : level < HTS_LOG_WARNING ? "error" : "warning";
  Tcl_SetObjResult(interp, Tcl_NewStringObj(current, -1));
  return TCL_OK;
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_HtslibLogLevelObjCmd(ClientData /*clientData*/, Tcl_Interp* interp,
                                           int objc, Tcl_Obj* const objv[]) {
  return parmix::logLevelCommand(interp, objc, objv);
}

// No exception crosses into the interpreter: the commands turn the ones of
// their own into results, and what is left is a lack of memory.
extern "C" int Parmix_GenomeObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]) {
  try {
    return parmix::genomeCommand(interp, objc, objv);
  } catch (const std::bad_alloc&) {
    return parmix::placeMemoryFailure(interp);
  } catch (const std::exception& error) {
    return parmix::fail(interp, "INTERNAL", error.what());
  }
}

extern "C" int Parmix_MergeReportsObjCmd(ClientData /*clientData*/, Tcl_Interp* interp, int objc,
                                         Tcl_Obj* const objv[]) {
  try {
    return parmix::mergeCommand(interp, objc, objv);
  } catch (const std::bad_alloc&) {
    return parmix::placeMemoryFailure(interp);
  } catch (const std::exception& error) {
    return parmix::fail(interp, "INTERNAL", error.what());
  }
}
