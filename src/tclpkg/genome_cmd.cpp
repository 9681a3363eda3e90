#include "tclpkg/genome_cmd.hpp"

#include <htslib/hts_log.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "input/errors.hpp"
#include "run/genome_options.hpp"
#include "run/genome_run.hpp"
#include "report/report_merge.hpp"
#include "tclpkg/ancestry_cmd.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {

namespace {

// The command's options and the program's words they stand for; the
// program's parser then checks every value, so both refuse the same calls.
const std::map<std::string, std::string>& programWords() {
  static const std::map<std::string, std::string> words{
      {"-vcf", "--vcf"},
      {"-bfile", "--bfile"},
      {"-popmap", "--popmap"},
      {"-r", "--r"},
      {"-s", "--s"},
      {"-study", "--study"},
      {"-report", "-o"},
      {"-threads", "--threads"},
      {"-samples", "--samples"},
      {"-shard", "--shard"},
      {"-pseudocount", "--pseudo-count"},
      {"-mincalled", "--min-called"},
      {"-mindifference", "--min-difference"},
      {"-maxmissing", "--max-missing"},
      {"-biallelicsnps", "--biallelic-snps"},
      {"-progress", "--quiet"},
      {"-genotypelikelihoods", "--genotype-likelihoods"},
      {"-referencefrequencies", "--reference-frequencies"},
      {"-referenceuncertainty", "--reference-uncertainty"},
      {"-ancestry", "--ancestry"},
      {"-tsv", "--tsv"},
      {"-margin", "--margin"},
      {"-drop", "--drop"},
      {"-clines", "--clines"},
      {"-qvalue", "--qvalue"},
  };
  return words;
}

bool isLowerLetter(char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }

// A message of the program's parser in the command's own option names:
// every word that starts with a dash (after a blank, a quote or at the
// start) and is one of the program's option words is replaced.
std::string inCommandWords(const std::string& message) {
  std::map<std::string, std::string> back;
  for (const auto& [option, word] : programWords()) back[word] = option;
  std::string result;
  std::size_t i = 0;
  while (i < message.size()) {
    const bool wordStart = i == 0 || message[i - 1] == ' ' || message[i - 1] == '"';
    if (!wordStart || message[i] != '-') {
      result += message[i++];
      continue;
    }
    std::size_t end = i;
    while (end < message.size() && (message[end] == '-' || isLowerLetter(message[end]))) ++end;
    const auto found = back.find(message.substr(i, end - i));
    result += found == back.end() ? message.substr(i, end - i) : found->second;
    i = end;
  }
  return result;
}

int fail(Tcl_Interp* interp, const char* kind, const std::string& message) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(message.c_str(), -1));
  Tcl_SetErrorCode(interp, "PARMIX", kind, nullptr);
  return TCL_ERROR;
}

// A boolean option becomes its flag word, or nothing.
int addFlag(Tcl_Interp* interp, const std::string& option, Tcl_Obj* value,
            std::vector<std::string>& words) {
  int on = 0;
  if (Tcl_GetBooleanFromObj(nullptr, value, &on) != TCL_OK)
    return fail(interp, "USAGE", "option " + option + " needs a boolean value, not \"" +
                                     Tcl_GetString(value) + "\"");
  const bool wanted = option == "-progress" ? !on : on != 0;
  if (wanted) words.push_back(programWords().at(option));
  return TCL_OK;
}

int programCall(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[],
                std::vector<std::string>& words) {
  words.push_back("--quiet");  // unless -progress says otherwise
  for (int i = 1; i < objc; i += 2) {
    const std::string option = Tcl_GetString(objv[i]);
    const auto known = programWords().find(option);
    if (known == programWords().end())
      return fail(interp, "USAGE", "unknown option \"" + option + "\"");
    if (i + 1 == objc) return fail(interp, "USAGE", "option " + option + " needs a value");
    if (option == "-progress") {
      words.erase(words.begin());
      if (addFlag(interp, option, objv[i + 1], words) != TCL_OK) return TCL_ERROR;
    } else if (option == "-biallelicsnps" || option == "-referenceuncertainty" ||
               option == "-ancestry" || option == "-clines") {
      if (addFlag(interp, option, objv[i + 1], words) != TCL_OK) return TCL_ERROR;
    } else {
      words.push_back(known->second);
      words.push_back(Tcl_GetString(objv[i + 1]));
    }
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

// The hybrid-index analysis adds the data counts of its rows (counts); the
// joint analysis its rows, as parmix::ancestry returns them.
Tcl_Obj* resultObj(const genome::GenomeOptions& options, const genome::RunFigures& f) {
  Tcl_Obj* dict = figuresDict(f);
  if (options.clines)
    Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj("lociFitted", -1),
                   Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(f.lociFitted)));
  if (!options.ancestry)
    Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj("counts", -1), dataCountsObj(f.counts));
  if (options.ancestry)
    Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj("rows", -1),
                   ancestryRowsObj(f.names, f.ancestryRows));
  return dict;
}

int genomeCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  std::vector<std::string> words;
  if (programCall(interp, objc, objv, words) != TCL_OK) return TCL_ERROR;
  genome::GenomeOptions options;
  options.threads = configuredThreads(interp);
  try {
    if (genome::parseGenomeOptions(words, options) != importer::ParseOutcome::Run)
      return fail(interp, "USAGE", "unknown option");
  } catch (const importer::UsageError& error) {
    return fail(interp, "USAGE", inCommandWords(error.what()));
  }
  try {
    Tcl_SetObjResult(interp, resultObj(options, genome::runGenome(options, stderr)));
  } catch (const InputError& error) {
    return fail(interp, "INPUT", error.what());
  }
  return TCL_OK;
}

int mergeCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc < 4 || std::string(Tcl_GetString(objv[1])) != "-report")
    return fail(interp, "USAGE",
                "wrong # args: should be \"parmix::mergeReports -report FILE SHARD_REPORT "
                "?SHARD_REPORT ...?\"");
  std::vector<std::string> shards;
  for (int i = 3; i < objc; ++i) shards.emplace_back(Tcl_GetString(objv[i]));
  try {
    genome::mergeReportFiles(Tcl_GetString(objv[2]), shards);
  } catch (const InputError& error) {
    return fail(interp, "INPUT", error.what());
  }
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
