// Record texts of the written files and the progress line: a '#' never
// reaches a label (it would start a record), allele numbers of several
// digits are written whole.

#include "input/writers.hpp"

#include <gtest/gtest.h>

#include "run/progress.hpp"

namespace parmix::importer::test {
namespace {

TEST(ImportWriters, RecordsCarryNoHashAndWholeAlleleNumbers) {
  Site site;
  site.label = "scaffold#7:12";
  site.alleleCount = 12;
  site.alleles = {12, 10, kMissingAllele, 3, 1, 1};
  std::string line;
  individualRecord(site, {0, 1, 2}, line);
  EXPECT_EQ(line, "scaffold_7:12 # 12/10 NA/NA 1/1\n");
  individualRecord(site, {2}, line);
  EXPECT_EQ(line, "scaffold_7:12 # 1/1\n");
  EXPECT_EQ(parentalRecord("a#b", {1.0 / 3, 2.0 / 3}, {1e-12, 1}),
            "a_b # C 0.3333333333 0.6666666667   1e-12 1\n");
  EXPECT_EQ(individualHeader("run#2.vcf", {"x#1", "y"}),
            "Individual\nIndividuals to study, imported from run_2.vcf\nnames # x#1 y\n");
  EXPECT_EQ(parentalHeader("n#1", "s", 0.25),
            "Parental\nFrequencies counted from reference samples: R = n_1, S = s\n(pseudo-count "
            "0.25)\nlocus # type, frequencies in R, then in S\n");
}

TEST(ImportProgress, TellsSitesShareAndSpeed) {
  EXPECT_EQ(progressText(1234, "sites", 50000000, 200000000, 2.0),
            "1234 sites, 25% of 200.0 MB, 25.0 MB/s");
  EXPECT_EQ(progressText(7, "rows", 3000000, 0, 0.5), "7 rows, 3.0 MB, 6.0 MB/s");
}

}  // namespace
}  // namespace parmix::importer::test
