// The command line and the population map: wrong calls are refused with
// their reason, map lines are checked, and every sample gets its role.

#include <gtest/gtest.h>

#include "input/errors.hpp"
#include "input/options.hpp"
#include "input/population_map.hpp"
#include "support/temp_files.hpp"

namespace parmix::importer::test {
namespace {

using parmix::test::TempDir;

std::string usageFailure(const std::vector<std::string>& words) {
  Options options;
  try {
    parseOptions(words, options);
  } catch (const UsageError& error) {
    return error.what();
  }
  return "no error";
}

TEST(ImportOptions, ReadsEveryOptionInBothSpellings) {
  Options options;
  ASSERT_EQ(parseOptions({"--structure=x.str", "--r", "A", "--s=B", "--study", "C,D",
                          "--population-column", "--rows", "1", "--missing-code", "0",
                          "--extra-columns=2", "--marker-names", "--pseudo-count", "0.5",
                          "--min-called", "4", "--min-difference", "0.3", "--max-missing",
                          "0.1", "--prefix", "out", "--quiet"},
                         options),
            ParseOutcome::Run);
  EXPECT_EQ(options.format, InputFormat::Structure);
  EXPECT_EQ(options.input, "x.str");
  EXPECT_EQ(options.studyPopulations, (std::vector<std::string>{"C", "D"}));
  EXPECT_EQ(options.structure.rowsPerIndividual, 1);
  EXPECT_EQ(options.structure.missingCode, "0");
  EXPECT_EQ(options.structure.extraColumns, 2);
  EXPECT_TRUE(options.structure.markerNames && options.structure.populationColumn && options.quiet);
  EXPECT_EQ(options.pseudoCount, 0.5);
  EXPECT_EQ(options.filters.minCalledAlleles, 4);
  EXPECT_EQ(options.filters.minDifference, 0.3);
  EXPECT_EQ(options.filters.maxMissingShare, 0.1);
  EXPECT_EQ(options.prefix, "out");
  EXPECT_EQ(parseOptions({"--vcf", "x", "--help"}, options), ParseOutcome::Help);
}

TEST(ImportOptions, WrongCallsAreRefusedWithTheirReason) {
  const std::vector<std::string> base{"--popmap", "m", "--r", "A", "--s", "B"};
  auto with = [&](std::vector<std::string> extra) {
    extra.insert(extra.end(), base.begin(), base.end());
    return usageFailure(extra);
  };
  EXPECT_EQ(with({}), "give the input as exactly one of --vcf FILE, --bfile PREFIX and --structure FILE");
  EXPECT_EQ(with({"--vcf", "a", "--structure", "b"}),
            "give the input as exactly one of --vcf FILE, --bfile PREFIX and --structure FILE");
  EXPECT_EQ(with({"--vcf", "a", "--rows", "1"}), "option --rows goes with --structure only");
  EXPECT_EQ(with({"--structure", "a", "--biallelic-snps"}),
            "option --biallelic-snps goes with --vcf or --bfile only");
  EXPECT_EQ(with({"--vcf", "a", "--min-called", "0"}),
            "option --min-called needs a whole number of 1 or more, not \"0\"");
  EXPECT_EQ(with({"--vcf", "a", "--min-called", "2.5"}),
            "option --min-called needs a whole number of 1 or more, not \"2.5\"");
  EXPECT_EQ(with({"--vcf", "a", "--max-missing", "1.5"}),
            "option --max-missing needs a number from 0 to 1, not \"1.5\"");
  EXPECT_EQ(with({"--vcf", "a", "--study", "X,,Y"}), "option --study holds an empty name");
  EXPECT_EQ(with({"--vcf", "a", "--bogus"}), "unknown option --bogus");
  EXPECT_EQ(with({"--vcf", "a", "extra"}),
            "unexpected word \"extra\": every input is given by an option");
  EXPECT_EQ(usageFailure({"--vcf", "a", "--r", "A", "--s", "B"}),
            "give the population map with --popmap FILE");
  EXPECT_EQ(usageFailure({"--vcf", "a", "--popmap", "m", "--r", "A", "--s", "A"}),
            "--r and --s name the same population, A");
  EXPECT_EQ(usageFailure({"--vcf", "a", "--popmap", "m", "--r", "A"}),
            "name the reference populations with --r POP and --s POP");
  EXPECT_EQ(usageFailure({"--vcf", "a", "--popmap"}), "option --popmap needs a value");
}

TEST(PopulationMap, ReadsPairsSkippingCommentsAndRefusesFaultyLines) {
  TempDir dir;
  const std::string good = dir.write("map.txt", "# id pop\r\n\na\tP\r\n  b   Q  \n");
  const PopulationMap map = readPopulationMap(good);
  ASSERT_EQ(map.entries.size(), 2u);
  EXPECT_EQ(map.entries[1].individual, "b");
  EXPECT_EQ(map.entries[1].population, "Q");
  EXPECT_EQ(map.entries[1].line, 4);
  // An editor's byte-order mark is not part of the first individual's name.
  const PopulationMap marked = readPopulationMap(dir.write("marked.txt", "\xEF\xBB\xBF" "a P\n"));
  ASSERT_EQ(marked.entries.size(), 1u);
  EXPECT_EQ(marked.entries[0].individual, "a");

  auto failure = [&](const std::string& text) {
    const std::string path = dir.write("bad.txt", text);
    try {
      readPopulationMap(path);
    } catch (const InputError& error) {
      return std::string(error.what()).substr(path.size());
    }
    return std::string("no error");
  };
  EXPECT_EQ(failure("a P\nb Q extra\n"),
            ", line 2: expected an individual and its population, found 3 words");
  EXPECT_EQ(failure("a P\nb\n"), ", line 2: expected an individual and its population, found 1 word");
  EXPECT_EQ(failure("a P\n\na Q\n"), ", line 3: individual a is already mapped on line 1");
  EXPECT_THROW(readPopulationMap(dir.path()), InputError);
}

class Roles : public ::testing::Test {
 protected:
  PopulationMap map{"map.txt", {{"r1", "R", 1}, {"s1", "S", 2}, {"r2", "R", 3}, {"x", "X", 4}}};
  std::vector<std::string> samples{"r1", "u", "s1", "x", "r2"};
  std::string failure(const RoleRequest& request) {
    try {
      assignRoles(map, samples, "in.vcf", request);
    } catch (const InputError& error) {
      return error.what();
    }
    return "no error";
  }
};

TEST_F(Roles, DefaultStudyIsEveryoneOutsideTheReferencesMappedOrNot) {
  const SampleRoles roles = assignRoles(map, samples, "in.vcf", {"R", "S", {}});
  EXPECT_EQ(roles.r, (std::vector<std::size_t>{0, 4}));
  EXPECT_EQ(roles.s, (std::vector<std::size_t>{2}));
  EXPECT_EQ(roles.study, (std::vector<std::size_t>{1, 3}));
  const SampleRoles chosen = assignRoles(map, samples, "in.vcf", {"R", "S", {"X", "R"}});
  EXPECT_EQ(chosen.study, (std::vector<std::size_t>{0, 3, 4}));
}

// A population name of megabytes, given or mapped, is cut in the message
// after 60 characters, not echoed whole.
TEST_F(Roles, LongPopulationNamesAreCutInMessages) {
  const std::string huge(5 << 20, 'p');
  const std::string shown = std::string(60, 'p') + "\u2026";
  EXPECT_EQ(failure({"R", huge, {}}), "population " + shown +
                                          " (--s) has no individual in map.txt; its populations "
                                          "are: R, S, X");
  map.entries.back().population = huge;
  EXPECT_EQ(failure({"R", "T", {}}),
            "population T (--s) has no individual in map.txt; its populations are: R, S, " + shown);
}

TEST_F(Roles, UnknownIndividualsMissingPopulationsAndNobodyToStudyAreErrors) {
  map.entries.push_back({"ghost", "R", 7});
  EXPECT_EQ(failure({"R", "S", {}}), "map.txt, line 7: individual ghost is not in in.vcf");
  map.entries.pop_back();
  EXPECT_EQ(failure({"R", "T", {}}),
            "population T (--s) has no individual in map.txt; its populations are: R, S, X");
  EXPECT_EQ(failure({"R", "S", {"Y"}}),
            "population Y (--study) has no individual in map.txt; its populations are: R, S, X");
  samples = {"r1", "s1", "r2"};
  map.entries.pop_back();
  EXPECT_EQ(failure({"R", "S", {}}),
            "every individual of in.vcf belongs to a reference sample: there is nobody to study");
}

}  // namespace
}  // namespace parmix::importer::test
