// Whole imports of a small VCF whose frequencies are counted by hand: the
// written files byte for byte, from plain, bgzipped and BCF input alike,
// every filter with its count in the summary, and what a failed import
// leaves on disk.

#include "import_run.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "import_files.hpp"
#include "input/reference_counts.hpp"
#include "support/temp_files.hpp"

namespace parmix::importer::test {
namespace {

using parmix::test::readFile;
using parmix::test::TempDir;

// By hand, over complete genotypes:
//   chr1:101  R 0/0 0/1 0/0 -> 5 1 of 6;  S 1/1 1/1 0/1 -> 1 5 of 6
//   chr1:202  R 0/0 0/2 (./.) -> 3 0 1 of 4;  S 1/1 1/2 2/2 -> 0 3 3 of 6
//   chr2:303  R all 0/0 -> 6 0;  S 1/1 1/1 (1/.) -> 0 4 of 4
//   chr2:404  R and S 3 3 of 6
//   chr2:505  h1 carries allele 2, which neither R nor S has: dropped
const char* kExpectedParental =
    "Parental\n"
    "Frequencies counted from reference samples: R = north, S = south\n"
    "(pseudo-count 0)\n"
    "locus # type, frequencies in R, then in S\n"
    "chr1:101 # C 0.8333333333 0.1666666667   0.1666666667 0.8333333333\n"
    "chr1:202 # C 0.75 0 0.25   0 0.5 0.5\n"
    "chr2:303 # C 1 0   0 1\n"
    "chr2:404 # C 0.5 0.5   0.5 0.5\n";

const char* kExpectedIndividuals =
    "Individual\n"
    "Individuals to study, imported from calls.vcf\n"
    "names # h1 h2\n"
    "chr1:101 # 1/2 2/2\n"
    "chr1:202 # 1/3 NA/NA\n"
    "chr2:303 # 1/2 1/2\n"
    "chr2:404 # 1/1 2/2\n";

class VcfImport : public ::testing::Test {
 protected:
  TempDir dir;
  std::string vcf = dir.write("calls.vcf", std::string(kVcfHeader) + kVcfSites);
  Options options = vcfOptions(dir, vcf);
  std::string parental() const { return readFile(dir.file("out.parental.txt")); }
  std::string individuals() const { return readFile(dir.file("out.individuals.txt")); }
};

TEST_F(VcfImport, WritesBothFilesByteForByteFromPlainBgzipAndBcf) {
  ASSERT_TRUE(convertVcf(vcf, dir.file("calls.vcf.gz"), "wz"));
  ASSERT_TRUE(convertVcf(vcf, dir.file("calls.bcf"), "wb"));
  for (const std::string name : {"calls.vcf", "calls.vcf.gz", "calls.bcf"}) {
    options.input = dir.file(name);
    const ImportOutcome outcome = importWith(options);
    ASSERT_FALSE(outcome.failed) << name << ": " << outcome.message;
    EXPECT_EQ(parental(), kExpectedParental) << name;
    std::string expected = kExpectedIndividuals;
    expected.replace(expected.find("calls.vcf"), 9, name);
    EXPECT_EQ(individuals(), expected) << name;
  }
}

TEST_F(VcfImport, SummaryCountsTheSitesTheRolesAndEveryDrop) {
  const ImportOutcome outcome = importWith(options);
  ASSERT_FALSE(outcome.failed) << outcome.message;
  EXPECT_NE(outcome.message.find("5 sites read from " + vcf +
                                 "; 3 individuals in R, 3 in S, 2 studied"),
            std::string::npos)
      << outcome.message;
  EXPECT_NE(outcome.message.find("1 dropped: a studied individual carries an allele absent"),
            std::string::npos);
  EXPECT_NE(outcome.message.find("4 loci written to"), std::string::npos);
  // Filters left at their defaults drop nothing and are not listed.
  EXPECT_EQ(outcome.message.find("lack a genotype"), std::string::npos) << outcome.message;
  EXPECT_EQ(outcome.message.find("differ by less than"), std::string::npos) << outcome.message;
  EXPECT_NE(outcome.message.find("0 dropped: fewer than 1 called alleles"), std::string::npos);
}

// Each filter alone, with the sites it must drop named by hand.
TEST_F(VcfImport, EachFilterDropsExactlyTheSitesThatFailIt) {
  struct Case {
    void (*set)(Options&);
    std::string summaryLine;
    std::vector<std::string> kept;
  };
  const std::vector<Case> cases = {
      {[](Options& o) { o.filters.biallelicSnpsOnly = true; },
       "2 dropped: not a biallelic SNP", {"chr1:101", "chr2:404"}},
      // chr1:202 lacks r3 and h2 (2 of 8), chr2:303 s3 (1 of 8).
      {[](Options& o) { o.filters.maxMissingShare = 0.2; },
       "1 dropped: more than 20% of the individuals used lack a genotype",
       {"chr1:101", "chr2:303", "chr2:404"}},
      // chr1:202 has 4 called alleles in R; chr2:303 and chr2:505 have 4 in S.
      {[](Options& o) { o.filters.minCalledAlleles = 5; },
       "3 dropped: fewer than 5 called alleles in R or in S", {"chr1:101", "chr2:404"}},
      // Differences: 4/6, 0.75, 1, 0.
      {[](Options& o) { o.filters.minDifference = 0.7; },
       "2 dropped: frequencies of R and S differ by less than 0.7", {"chr1:202", "chr2:303"}},
  };
  for (const Case& c : cases) {
    Options filtered = options;
    c.set(filtered);
    const ImportOutcome outcome = importWith(filtered);
    ASSERT_FALSE(outcome.failed) << outcome.message;
    EXPECT_NE(outcome.message.find(c.summaryLine), std::string::npos) << outcome.message;
    std::vector<std::string> labels;
    for (const std::string& file : {parental(), individuals()}) {
      labels.clear();
      std::size_t at = 0;
      while ((at = file.find(" # ", at)) != std::string::npos) {
        const std::size_t start = file.rfind('\n', at) + 1;
        const std::string label = file.substr(start, at - start);
        if (label != "locus" && label != "names") labels.push_back(label);
        at += 3;
      }
      EXPECT_EQ(labels, c.kept) << c.summaryLine;
    }
  }
}

TEST_F(VcfImport, ADropIsCountedUnderTheFirstFilterItFails) {
  options.filters.maxMissingShare = 0.2;
  options.filters.minCalledAlleles = 5;
  const ImportOutcome outcome = importWith(options);
  ASSERT_FALSE(outcome.failed) << outcome.message;
  EXPECT_NE(outcome.message.find("1 dropped: more than 20%"), std::string::npos);
  EXPECT_NE(outcome.message.find("2 dropped: fewer than 5 called"), std::string::npos);
}

// (copies + 0.5) / (called + k * 0.5); the allele absent from R and S keeps
// its locus now.
TEST_F(VcfImport, PseudoCountIsAddedToEveryAlleleOfEachSample) {
  options.pseudoCount = 0.5;
  const ImportOutcome outcome = importWith(options);
  ASSERT_FALSE(outcome.failed) << outcome.message;
  const std::string text = parental();
  EXPECT_NE(text.find("(pseudo-count 0.5)\n"), std::string::npos);
  EXPECT_NE(text.find("chr1:101 # C 0.7857142857 0.2142857143   0.2142857143 0.7857142857\n"),
            std::string::npos) << text;
  // R 3 0 1 of 4 -> 3.5 0.5 1.5 of 5.5; S 0 3 3 of 6 -> 0.5 3.5 3.5 of 7.5
  EXPECT_NE(text.find("chr1:202 # C 0.6363636364 0.09090909091 0.2727272727   "
                      "0.06666666667 0.4666666667 0.4666666667\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("chr2:505 # C 0.9285714286 0.07142857143   0.9 0.1\n"), std::string::npos)
      << text;
  EXPECT_EQ(outcome.message.find("absent from R and S"), std::string::npos);
}

TEST_F(VcfImport, StudyPopulationsChooseTheIndividualFile) {
  options.studyPopulations = {"zone", "north"};
  const ImportOutcome outcome = importWith(options);
  ASSERT_FALSE(outcome.failed) << outcome.message;
  EXPECT_NE(individuals().find("names # r1 r2 r3 h1\nchr1:101 # 1/1 1/2 1/1 1/2\n"),
            std::string::npos) << individuals();
}

// The counts behind the frequencies (by hand above) and both reference
// samples as individual files, for the kept loci only; the counts read back
// with the package's reader.
TEST_F(VcfImport, CountsAndReferenceFilesHoldTheKeptLociOfTheReferenceSamples) {
  options.countsFile = dir.file("out.counts.tsv");
  options.referenceFiles = true;
  const ImportOutcome outcome = importWith(options);
  ASSERT_FALSE(outcome.failed) << outcome.message;
  EXPECT_NE(outcome.message.find("reference counts written to " + options.countsFile),
            std::string::npos) << outcome.message;
  const std::string counts = readFile(options.countsFile);
  EXPECT_NE(counts.find("pseudo-count\t0\nlocus\ttype\tR\tS\n"
                        "chr1:101\tC\t5 1\t1 5\n"
                        "chr1:202\tC\t3 0 1\t0 3 3\n"
                        "chr2:303\tC\t6 0\t0 4\n"
                        "chr2:404\tC\t3 3\t3 3\n"),
            std::string::npos) << counts;
  EXPECT_EQ(counts.find("chr2:505"), std::string::npos);
  const ReferenceCounts read = readReferenceCounts(options.countsFile);
  ASSERT_EQ(read.loci.size(), 4u);
  EXPECT_EQ(read.loci[1].s, (std::vector<double>{0, 3, 3}));
  EXPECT_EQ(readFile(dir.file("out.R.txt")),
            "Individual\nReference sample R (population north), imported from calls.vcf\n"
            "names # r1 r2 r3\n"
            "chr1:101 # 1/1 1/2 1/1\nchr1:202 # 1/1 1/3 NA/NA\n"
            "chr2:303 # 1/1 1/1 1/1\nchr2:404 # 1/2 1/2 2/1\n");
  EXPECT_NE(readFile(dir.file("out.S.txt")).find("names # s1 s2 s3\nchr1:101 # 2/2 2/2 1/2\n"),
            std::string::npos);
  // The frequencies' file is the same as without the extra outputs.
  EXPECT_EQ(parental(), kExpectedParental);
}

TEST_F(VcfImport, ACountsFileNamingAnotherOutputIsRefused) {
  options.countsFile = dir.file("out.parental.txt");
  const ImportOutcome outcome = importWith(options);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "The counts file " + options.countsFile +
                                 " is another output of the import; give it another name.");
  EXPECT_FALSE(std::filesystem::exists(options.countsFile));
}

TEST_F(VcfImport, AFailedImportWritesNothingAndKeepsEarlierFiles) {
  dir.write("out.parental.txt", "earlier parental\n");
  options.filters.minCalledAlleles = 7;
  options.countsFile = dir.file("out.counts.tsv");
  options.referenceFiles = true;
  const ImportOutcome outcome = importWith(options);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "No locus of " + vcf + " passed the filters; nothing was written.");
  EXPECT_EQ(parental(), "earlier parental\n");
  EXPECT_EQ(individuals(), "");
  for (const char* name : {"out.counts.tsv", "out.R.txt", "out.S.txt"})
    EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
  // No temporary file is left behind either.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    entries += entry.path().filename().string().find(".tmp") == std::string::npos ? 0 : 1;
  }
  EXPECT_EQ(entries, 0);
}

TEST_F(VcfImport, AnInputWithoutSitesIsAnErrorOfItsOwn) {
  options.input = dir.write("empty.vcf", kVcfHeader);
  const ImportOutcome outcome = importWith(options);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "File " + options.input + " holds no site; nothing was written.");
}

TEST_F(VcfImport, AnOutputNamingAnInputIsRefusedAndTheInputKept) {
  const std::string before = readFile(options.populationMap);
  std::filesystem::create_symlink(options.populationMap, dir.file("out.individuals.txt"));
  const ImportOutcome outcome = importWith(options);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "The individual file " + dir.file("out.individuals.txt") +
                                 " is the population map " + options.populationMap +
                                 "; give it another name.");
  EXPECT_EQ(readFile(options.populationMap), before);
}

}  // namespace
}  // namespace parmix::importer::test
