// The genome-scale path against import-then-analyse: the same VCF gives the
// same report byte for byte (apart from the time-stamp and the note on the
// loci left out, which names rows there and sites here) with multi-allelic
// sites, missing and half-missing calls, phased calls, loci the parental
// checks exclude, every filter and from plain, bgzipped and BCF input;
// haploid calls are refused by both with the same message; the rows do not
// depend on the threads, and shards merged are the whole run.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "genome_files.hpp"
#include "report/report_merge.hpp"

namespace parmix::genome::test {
namespace {

using parmix::test::readFile;
using parmix::test::TempDir;

const char* kHeader =
    "##fileformat=VCFv4.2\n##contig=<ID=chr1>\n##contig=<ID=chr2>\n"
    "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
    "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT"
    "\tr1\tr2\tr3\ts1\ts2\ts3\th1\th2\ta_much_longer_name\th4\n";

// Multi-allelic sites, missing (./. and a lone .), half-missing (1/. ./1),
// phased calls, a locus both references share (excluded, with its note), a
// weak one and one with an allele the references lack.
const char* kSites =
    "chr1\t101\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\t0/0\t1/1\t1/1\t0/1\t0/1\t1|1\t0|0\t1/0\n"
    "chr1\t202\t.\tC\tT,G\t.\t.\t.\tGT\t0/0\t0/2\t./.\t1/1\t1/2\t2/2\t0/2\t./.\t.\t2|1\n"
    "chr1\t303\t.\tG\tGA\t.\t.\t.\tGT\t0/0\t0/0\t0/0\t1/1\t1/1\t1/.\t0/1\t./1\t1/.\t1/1\n"
    "chr2\t404\t.\tT\tC\t.\t.\t.\tGT\t0/1\t0/1\t1/0\t0/1\t1/0\t0/1\t0/0\t1/1\t0/1\t0/0\n"
    "chr2\t505\t.\tA\tC\t.\t.\t.\tGT\t0/0\t0/0\t0/0\t0/0\t0/0\t./.\t0/1\t0/0\t0/0\t0/0\n"
    "chr2\t606\t.\tT\tC,A,G\t.\t.\t.\tGT\t0/0\t0/3\t3/3\t1/1\t1/2\t2/2\t3/2\t0|3\t1/1\t2/2\n"
    "chr2\t707\t.\tA\tT\t.\t.\t.\tGT\t0/0\t0/0\t0/1\t0/0\t0/1\t0/0\t0/1\t1/1\t0/0\t0/1\n";

const char* kMap = "r1 north\nr2 north\nr3 north\ns1 south\ns2 south\ns3 south\n"
                   "h1 zone\nh2 zone\na_much_longer_name zone\nh4 edge\n";

class StraightThrough : public ::testing::Test {
 protected:
  TempDir dir;
  std::string vcf = dir.write("calls.vcf", std::string(kHeader) + kSites);

  importer::Options importOptions(const std::string& input) const {
    importer::Options options;
    options.input = input;
    options.populationMap = dir.file("map.txt");
    options.populationR = "north";
    options.populationS = "south";
    options.prefix = dir.file("imported");
    options.quiet = true;
    return options;
  }
  GenomeOptions genomeOptions(const importer::Options& input, const std::string& report) const {
    GenomeOptions options;
    options.input = input;
    options.report = dir.file(report);
    return options;
  }
  void SetUp() override { dir.write("map.txt", kMap); }
};

// The text path's report in the VCF path's words: its notes on the loci
// left out, one per row of the parental file PARENTAL, become one note that
// names those rows' labels (CHROM:POS), as the VCF path names the sites.
std::string siteWorded(const std::string& report, const std::string& parental) {
  std::vector<std::string> labels;
  std::istringstream in(readFile(parental));
  bool header = true;
  for (std::string line; std::getline(in, line);) {
    const std::size_t hash = line.find(" # ");
    if (hash == std::string::npos) continue;
    if (!header) labels.push_back(line.substr(0, hash));
    header = false;
  }
  const std::string head = "\nThe locus in row ";
  const std::string tail =
      " (of the parental file) was not used in the calculation\n"
      "of the hybrid index, because its parental allele frequencies do not\n"
      "differ by more than 1e-06.\n\n";
  std::string kept = report, sites;
  std::size_t first = std::string::npos;
  for (std::size_t at; (at = kept.find(head)) != std::string::npos;) {
    const std::size_t end = kept.find(tail, at);
    if (end == std::string::npos) break;
    const std::string row = kept.substr(at + head.size(), end - at - head.size());
    sites += "  " + labels.at(std::stoul(row) - 1) + "\n";
    if (first == std::string::npos) first = at;
    kept.erase(at, end + tail.size() - at);
  }
  if (first == std::string::npos) return report;
  return kept.insert(first, "\nSites not used in the calculation of the hybrid index, because "
                            "their\nparental allele frequencies do not differ by more than "
                            "1e-06:\n" + sites + "\n");
}

struct Case {
  const char* what;
  void (*adjust)(importer::Options&);
};

const Case kCases[] = {
    {"defaults", [](importer::Options&) {}},
    {"pseudo-count", [](importer::Options& o) { o.pseudoCount = 0.5; }},
    {"biallelic SNPs only", [](importer::Options& o) { o.filters.biallelicSnpsOnly = true; }},
    {"min-called 5", [](importer::Options& o) { o.filters.minCalledAlleles = 5; }},
    {"min-difference", [](importer::Options& o) { o.filters.minDifference = 0.4; }},
    {"max-missing", [](importer::Options& o) { o.filters.maxMissingShare = 0.1; }},
    {"study one population", [](importer::Options& o) { o.studyPopulations = {"zone"}; }},
};

TEST_F(StraightThrough, SameReportAsImportThenAnalyseForEveryFilterAndInputForm) {
  ASSERT_TRUE(importer::test::convertVcf(vcf, dir.file("calls.vcf.gz"), "wz"));
  ASSERT_TRUE(importer::test::convertVcf(vcf, dir.file("calls.bcf"), "wb"));
  for (const char* input : {"calls.vcf", "calls.vcf.gz", "calls.bcf"}) {
    for (const Case& c : kCases) {
      importer::Options options = importOptions(dir.file(input));
      c.adjust(options);
      const PathOutcome text = importThenAnalyse(options, dir.file("text.txt"));
      const PathOutcome straight = runStraight(genomeOptions(options, "straight.txt"));
      ASSERT_FALSE(text.failed) << c.what << ": " << text.message;
      ASSERT_FALSE(straight.failed) << c.what << ": " << straight.message;
      EXPECT_EQ(straight.report, siteWorded(text.report, options.prefix + ".parental.txt"))
          << input << ", " << c.what;
      EXPECT_NE(text.report.find("Individual"), std::string::npos);
    }
  }
}

TEST_F(StraightThrough, TheChecksNotesAndTheWideNameColumnAreThere) {
  const PathOutcome straight = runStraight(genomeOptions(importOptions(vcf), "r.txt"));
  ASSERT_FALSE(straight.failed) << straight.message;
  // chr2:404 and chr2:707 have the same frequencies in both references:
  // named by their sites, as there is no parental file whose rows could.
  EXPECT_NE(straight.report.find("parental allele frequencies do not differ by more than "
                                 "1e-06:\n  chr2:404\n  chr2:707\n\n"),
            std::string::npos)
      << straight.report;
  EXPECT_EQ(straight.report.find("parental file"), std::string::npos);
  EXPECT_NE(straight.report.find("\na_much_longer_name "), std::string::npos);
  EXPECT_NE(straight.report.find("\n                h4 "), std::string::npos);
}

TEST_F(StraightThrough, HaploidCallsAreRefusedByBothPathsWithOneMessage) {
  const std::string haploid = dir.write(
      "haploid.vcf", std::string(kHeader) +
                         "chr1\t101\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\t0/0\t1/1\t1/1\t0/1\t1\t1|1\t0/0\t0/0\n");
  const importer::Options options = importOptions(haploid);
  const PathOutcome text = importThenAnalyse(options, dir.file("text.txt"));
  const PathOutcome straight = runStraight(genomeOptions(options, "straight.txt"));
  ASSERT_TRUE(text.failed);
  ASSERT_TRUE(straight.failed);
  EXPECT_EQ(straight.message, text.message);
  EXPECT_NE(straight.message.find("record 1 (chr1:101): sample h1 has ploidy 1"), std::string::npos)
      << straight.message;
}

TEST_F(StraightThrough, AFailedRunLeavesTheReportAsItWas) {
  const std::string report = dir.write("kept.txt", "earlier report\n");
  importer::Options options = importOptions(dir.file("missing.vcf"));
  GenomeOptions genome = genomeOptions(options, "kept.txt");
  const PathOutcome straight = runStraight(genome);
  ASSERT_TRUE(straight.failed);
  EXPECT_EQ(straight.message, "File " + dir.file("missing.vcf") + " could not be read");
  EXPECT_EQ(readFile(report), "earlier report\n");
}

TEST_F(StraightThrough, ASiteOfMoreAllelesThanTwoBytesHoldIsRefusedNamingIt) {
  std::string alts = "C";
  for (int k = 2; k <= 256; ++k) alts += ",A" + std::string(static_cast<std::size_t>(k), 'C');
  std::string row = "chr1\t9\t.\tA\t" + alts + "\t.\t.\t.\tGT";
  for (int s = 0; s < 10; ++s) row += "\t0/1";
  importer::Options options = importOptions(dir.write("wide.vcf", std::string(kHeader) + row + "\n"));
  options.pseudoCount = 1;
  const PathOutcome straight = runStraight(genomeOptions(options, "wide.txt"));
  ASSERT_TRUE(straight.failed);
  EXPECT_EQ(straight.message, dir.file("wide.vcf") +
                                  ", record 1 (chr1:9): the site has 257 alleles; at most 255 "
                                  "can be studied");
}

TEST_F(StraightThrough, RowsDoNotDependOnTheThreads) {
  GenomeOptions options = genomeOptions(importOptions(vcf), "one.txt");
  options.threads = 1;
  const PathOutcome one = runStraight(options);
  options.threads = 7;
  options.report = dir.file("seven.txt");
  const PathOutcome seven = runStraight(options);
  ASSERT_FALSE(one.failed) << one.message;
  EXPECT_EQ(seven.report, one.report);
}

TEST_F(StraightThrough, ShardsMergedAreTheWholeRunAndAListPicksItsRows) {
  const PathOutcome whole = runStraight(genomeOptions(importOptions(vcf), "whole.txt"));
  ASSERT_FALSE(whole.failed) << whole.message;
  for (int n : {1, 3, 6}) {
    std::vector<ReportParts> parts;
    std::vector<std::string> paths;
    for (int k = 1; k <= n; ++k) {
      GenomeOptions options = genomeOptions(importOptions(vcf), "shard" + std::to_string(k));
      options.selection.shardIndex = k;
      options.selection.shardCount = n;
      ASSERT_FALSE(runStraight(options).failed);
      paths.push_back(options.report);
      parts.push_back(splitReport(readFile(options.report), options.report));
    }
    EXPECT_EQ(mergeReports(parts, paths, "Time-stamp: now\n"), "Time-stamp: now\n" + whole.report)
        << n << " shards";
  }
  GenomeOptions listed = genomeOptions(importOptions(vcf), "listed.txt");
  // A byte-order mark from the editor does not hide the first line.
  listed.selection.samplesFile = dir.write("list.txt", "\xEF\xBB\xBF" "h4\n# chosen\n\nh1\n");
  const PathOutcome chosen = runStraight(listed);
  ASSERT_FALSE(chosen.failed) << chosen.message;
  const ReportParts all = splitReport("Time-stamp: x\n" + whole.report, "whole");
  const ReportParts some = splitReport("Time-stamp: x\n" + chosen.report, "listed");
  EXPECT_EQ(some.preamble, all.preamble);
  const std::string h1 = all.rows.substr(0, all.rows.find('\n') + 1);
  const std::string h4 = all.rows.substr(all.rows.rfind('\n', all.rows.size() - 2) + 1);
  EXPECT_EQ(some.rows, h1 + h4);
}

TEST_F(StraightThrough, ASampleListNamingSomeoneNotStudiedIsRefused) {
  GenomeOptions options = genomeOptions(importOptions(vcf), "r.txt");
  options.selection.samplesFile = dir.write("list.txt", "h1\nr2\n");
  const PathOutcome straight = runStraight(options);
  ASSERT_TRUE(straight.failed);
  EXPECT_EQ(straight.message, "The sample list " + dir.file("list.txt") +
                                  " names r2, who is not among the individuals to study");
}


// The run's boundary is a status, as the text run's: a file at fault is
// its own kind, the report's path keeps what it held and no figures come
// back; a run that succeeds gives a row and a data count per individual.
TEST_F(StraightThrough, AFailureIsAStatusOfItsKindAndLeavesTheReport) {
  GenomeOptions options = genomeOptions(importOptions(dir.file("absent.vcf")), "kept.txt");
  dir.write("kept.txt", "kept\n");
  RunFigures figures;
  figures.individuals = 7;
  std::FILE* messages = std::tmpfile();
  ASSERT_NE(messages, nullptr);
  const Status failed = runGenome(options, messages, figures);
  EXPECT_EQ(failed.fault(), Fault::kPanelFile);
  EXPECT_NE(failed.message().find("absent.vcf"), std::string::npos) << failed.message();
  EXPECT_EQ(figures.individuals, 0u);
  EXPECT_EQ(readFile(dir.file("kept.txt")), "kept\n");
  const Status ran = runGenome(genomeOptions(importOptions(vcf), "r.txt"), messages, figures);
  std::fclose(messages);
  ASSERT_TRUE(ran.ok()) << ran.message();
  EXPECT_EQ(figures.rows.size(), 4u);
  EXPECT_EQ(figures.counts.size(), 4u);
  EXPECT_EQ(figures.names.size(), 4u);
}

}  // namespace
}  // namespace parmix::genome::test
