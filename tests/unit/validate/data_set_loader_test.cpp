// A locus the parental check takes out keeps its type as read; only its
// "used" flag changes, and that flag alone decides what the reader tests,
// what the individual check looks at and what the studies count.

#include "validate/data_set_loader.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "estimate/joint_study.hpp"
#include "estimate/study.hpp"
#include "input/data_set.hpp"
#include "support/temp_files.hpp"

namespace parmix {
namespace {

using test::TempDir;

// Loci 1 (codominant) and 2 (dominant) do not differ between the parents;
// their designations would fail the reader's zero test (0/0) and the
// individual check (allele 2, which neither parent has) if they were used.
const char kParental[] =
    "Parental # two loci out\n"
    "L1 # C 1 0 1 0\n"
    "L2 # D 0.3 0.3\n"
    "L3 # C 0.9 0.1 0.2 0.8\n"
    "L4 # D 0.8 0.1\n";
const char kIndividual[] =
    "Individual # A B C\n"
    "L1 # 0/0 1/2 2/2\n"
    "L2 # 1 0 1\n"
    "L3 # 1/1 1/2 2/2\n"
    "L4 # 1 0 NA\n";
// The same individuals at the two loci that are used.
const char kParentalUsed[] =
    "Parental # the loci used\n"
    "L3 # C 0.9 0.1 0.2 0.8\n"
    "L4 # D 0.8 0.1\n";
const char kIndividualUsed[] =
    "Individual # A B C\n"
    "L3 # 1/1 1/2 2/2\n"
    "L4 # 1 0 NA\n";

std::string exclusionNote(int row) {
  return "\nThe locus in row " + std::to_string(row) +
         " (of the parental file) was not used in the calculation\n"
         "of the hybrid index, because its parental allele frequencies do not\n"
         "differ by more than 1e-06.";
}

struct Loaded {
  DataSet data;
  std::ostringstream notes;
  Status status;
  int result = -1;
};

void load(const TempDir& dir, const char* parental, const char* individual, Loaded& out) {
  const std::string p = dir.write("p" + std::to_string(std::strlen(parental)), parental);
  const std::string i = dir.write("i" + std::to_string(std::strlen(individual)), individual);
  out.result = loadDataSet({p, i}, out.data,
                           [&out](Status&) -> std::ostream* { return &out.notes; }, out.status);
}

TEST(LoadDataSet, ExclusionClearsTheFlagAndKeepsTheTypesAsRead) {
  TempDir dir;
  Loaded all;
  load(dir, kParental, kIndividual, all);
  ASSERT_EQ(all.result, 0) << all.status.message();
  EXPECT_EQ(std::string(all.data.locusType.begin(), all.data.locusType.end()), "CDCD");
  EXPECT_EQ(all.data.locusUsed, (std::vector<char>{0, 0, 1, 1}));
  EXPECT_EQ(all.notes.str(), exclusionNote(1) + "\n\n" + exclusionNote(2) + "\n");
  // The excluded dominant locus is still read one token per individual.
  EXPECT_EQ(all.data.genotypes.rows()[1][2], 0);
  EXPECT_EQ(all.data.genotypes.rows()[1][3], kMissing);
  const std::vector<char> effective = effectiveLocusTypes(all.data);
  EXPECT_EQ(std::string(effective.begin(), effective.end()), "BBCD");
}

TEST(LoadDataSet, ExcludedLociCountAsIfAbsentInEveryStudy) {
  TempDir dir;
  Loaded all, used;
  load(dir, kParental, kIndividual, all);
  load(dir, kParentalUsed, kIndividualUsed, used);
  ASSERT_EQ(all.result, 0) << all.status.message();
  ASSERT_EQ(used.result, 0) << used.status.message();
  const std::vector<char> allTypes = effectiveLocusTypes(all.data);
  const std::vector<char> usedTypes = effectiveLocusTypes(used.data);
  const ParentalModel allParents(allTypes.data(), all.data.freqR.rows(), all.data.freqS.rows());
  const ParentalModel usedParents(usedTypes.data(), used.data.freqR.rows(),
                                  used.data.freqS.rows());
  const MatrixIndividuals allIndividuals(all.data), usedIndividuals(used.data);
  const std::vector<IndividualEstimate> rows =
      studyIndividuals(allIndividuals, allParents, HybridIndexModel(), StudySettings(2));
  const std::vector<IndividualEstimate> expected =
      studyIndividuals(usedIndividuals, usedParents, HybridIndexModel(), StudySettings(1));
  const std::vector<JointEstimate> joint =
      studyIndividuals(allIndividuals, allParents, JointModel(), StudySettings(2));
  const std::vector<JointEstimate> jointExpected =
      studyIndividuals(usedIndividuals, usedParents, JointModel(), StudySettings(1));
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_EQ(joint.size(), 3u);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    SCOPED_TRACE("individual " + std::to_string(k + 1));
    EXPECT_FALSE(std::isnan(rows[k].h));
    EXPECT_NEAR(rows[k].h, expected[k].h, 1e-12);
    EXPECT_NEAR(rows[k].lowerBound, expected[k].lowerBound, 1e-12);
    EXPECT_NEAR(rows[k].upperBound, expected[k].upperBound, 1e-12);
    EXPECT_NEAR(joint[k].h, jointExpected[k].h, 1e-12);
    EXPECT_NEAR(joint[k].het, jointExpected[k].het, 1e-12);
  }
}

}  // namespace
}  // namespace parmix
