// The steps that report through an interpreter: each returns what its core
// step returns and, on failure, leaves the step's message as the
// interpreter's result; on success the result stays as it was.

#include "tclpkg/interp_steps.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "input/data_set.hpp"
#include "support/tcl_fixture.hpp"
#include "support/temp_files.hpp"
#include "tclpkg/tcl_result.hpp"

namespace parmix {
namespace {

using test::TclInterp;
using test::TempDir;

// The arrays of one locus of two alleles and two individuals, and the paths
// of the case's two files.
struct StepRun {
  std::string parental;
  std::string individual;
  RowTable<double> freqR{1, 2};
  RowTable<double> freqS{1, 2};
  RowTable<int> genotypes{1, 4};
  char type[1] = {'C'};
  std::string names[2];
  unsigned int width = 10;
  std::ostringstream notes;

  int readParental(Tcl_Interp* interp) {
    return getParentalData(freqS.rows(), freqR.rows(), type, 1, 2, parental, interp, '\n');
  }
  int readIndividuals(Tcl_Interp* interp) {
    return getIndData(genotypes.rows(), names, individual, 1, 4, 2, 2, type, &width, interp,
                      '\n', type);
  }
};

struct StepCase {
  const char* step;
  const char* parental;    // file contents
  const char* individual;
  std::function<int(StepRun&, Tcl_Interp*)> call;
  const char* message;  // "" for a step that passes
};

const char kParental[] = "Parental #\n# C 0.6 0.4 0.4 0.6\n";
const char kIndividual[] = "Individual # A B\n# 1/2 2/2\n";

const StepCase kCases[] = {
    {"checkFileType", kParental, kIndividual,
     [](StepRun& r, Tcl_Interp* i) { return checkFileType(r.parental, "Parental", i); }, ""},
    {"findNumberColumns", kParental, "Individual # A B\n# 1/2 2/2 1/1\n",
     [](StepRun& r, Tcl_Interp* i) {
       int nInd = 0, nCols = 0;
       return findNumberColumns(r.individual, &nInd, &nCols, i, '\n');
     },
     "The number of column headings in the individual file (2) disagrees with the number of "
     "genotypes (6) on line 2 of the same file."},
    {"findMaxAlleles", "Parental #\n# C 0.6 0.4 0.4\n", kIndividual,
     [](StepRun& r, Tcl_Interp* i) {
       int maxAlleles = 0;
       return findMaxAlleles(r.parental, 1, &maxAlleles, i, '\n');
     },
     "On line 1 of the parental file, there is an uneven number of genotype frequencies, "
     "meaning that the frequency of one of the alleles is missing for one of the populations."},
    {"getParentalData", "Parental #\n# X 0.6 0.4 0.4 0.6\n", kIndividual,
     [](StepRun& r, Tcl_Interp* i) { return r.readParental(i); },
     "On line 1 of the parental file, the locus type designation is not C or D."},
    {"verifyParentalData", "Parental #\n# C 0.9 0.4 0.4 0.6\n", kIndividual,
     [](StepRun& r, Tcl_Interp* i) {
       r.readParental(i);
       return verifyParentalData(r.freqS.rows(), r.freqR.rows(), r.type, 1, 2, i, r.notes);
     },
     "For one of the parental species, the allele frequences in row 1 (of the parental file) "
     "sum to greater than 1."},
    {"getIndData", kParental, "Individual # A B\n# 1/0 2/2\n",
     [](StepRun& r, Tcl_Interp* i) { return r.readParental(i) || r.readIndividuals(i); },
     "On line 1 of the individual file, an allele at a codominant locus is designated with a "
     "zero."},
    {"verifyIndData", "Parental #\n# C 0.6 0.0 0.4 0.0\n", kIndividual,
     [](StepRun& r, Tcl_Interp* i) {
       return r.readParental(i) || r.readIndividuals(i) ||
              verifyIndData(r.genotypes.rows(), r.freqR.rows(), r.freqS.rows(), r.type, 1, 4, i);
     },
     "The allele 2 for individual number 1 at locus number 1 refers to an allele that does not "
     "exist in the parental populations."},
};

class InterpSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(InterpSteps, PlaceTheStepsMessageOrLeaveTheResult) {
  const StepCase& c = GetParam();
  TempDir dir;
  TclInterp interp;
  StepRun run;
  run.parental = dir.write("parental.txt", c.parental);
  run.individual = dir.write("individual.txt", c.individual);
  Tcl_SetResult(interp, const_cast<char*>("untouched"), TCL_STATIC);
  const int failed = c.call(run, interp);
  if (*c.message == '\0') {
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(interp.result(), "untouched");
  } else {
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(interp.result(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(EachStep, InterpSteps, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.step); });

// The Tcl-facing steps keep 'B' in the type array as the mark of a locus
// taken out: the parental step writes it, and the reading and checking
// steps that follow then leave designations at that locus untested.
TEST(InterpSteps, ExcludedLocusIsMarkedAndLeftUntestedDownstream) {
  TempDir dir;
  TclInterp interp;
  StepRun run;
  run.parental = dir.write("parental.txt", "Parental #\n# C 0.5 0.5 0.5 0.5\n");
  run.individual = dir.write("individual.txt", "Individual # A B\n# 0/0 1/2\n");
  ASSERT_EQ(run.readParental(interp), 0) << interp.result();
  ASSERT_EQ(verifyParentalData(run.freqS.rows(), run.freqR.rows(), run.type, 1, 2, interp,
                               run.notes),
            0)
      << interp.result();
  EXPECT_EQ(run.type[0], 'B');
  EXPECT_NE(run.notes.str().find("was not used in the calculation"), std::string::npos);
  ASSERT_EQ(run.readIndividuals(interp), 0) << interp.result();
  EXPECT_EQ(run.genotypes.rows()[0][0], 0);  // read, not refused
  EXPECT_EQ(verifyIndData(run.genotypes.rows(), run.freqR.rows(), run.freqS.rows(), run.type, 1,
                          4, interp),
            0)
      << interp.result();
}

// The -errorcode of the interpreter's return options.
std::string errorCode(Tcl_Interp* interp) {
  Tcl_Obj* options = Tcl_GetReturnOptions(interp, TCL_ERROR);
  Tcl_IncrRefCount(options);
  Tcl_Obj* key = Tcl_NewStringObj("-errorcode", -1);
  Tcl_IncrRefCount(key);
  Tcl_Obj* value = nullptr;
  Tcl_DictObjGet(nullptr, options, key, &value);
  const std::string code = value != nullptr ? Tcl_GetString(value) : "";
  Tcl_DecrRefCount(key);
  Tcl_DecrRefCount(options);
  return code;
}

// The error code of each kind of fault, and a passing status that leaves
// the interpreter as it was.
TEST(PlaceStatus, EveryKindHasItsErrorCode) {
  const struct {
    Fault fault;
    const char* code;
  } cases[] = {
      {Fault::kParental, "PARMIX INPUT PARENTAL"}, {Fault::kIndividual, "PARMIX INPUT INDIVIDUAL"},
      {Fault::kLoci, "PARMIX INPUT LOCI"},         {Fault::kReport, "PARMIX REPORT WRITE"},
      {Fault::kMemory, "PARMIX MEMORY"},           {Fault::kInternal, "PARMIX INTERNAL"},
  };
  for (const auto& c : cases) {
    TclInterp interp;
    Status status;
    status.fail("message %d", 7);
    status.setFault(c.fault);
    EXPECT_EQ(placeStatus(interp, status), TCL_ERROR);
    EXPECT_EQ(interp.result(), "message 7");
    EXPECT_EQ(errorCode(interp), c.code);
  }
  TclInterp interp;
  Tcl_SetResult(interp, const_cast<char*>("untouched"), TCL_STATIC);
  EXPECT_EQ(placeStatus(interp, Status()), TCL_OK);
  EXPECT_EQ(interp.result(), "untouched");
}

}  // namespace
}  // namespace parmix
