// The memory of a genome-scale run, measured as the peak resident size of
// the parmix program run as a child process: on a generated panel of 10^7 study
// genotypes it may exceed that of the same run on a panel of a few loci by
// no more than the two-byte store itself, the one block being filled and a
// fixed margin for the reader's buffers.  Four bytes a genotype (an int
// per allele, as the text path keeps them) would exceed it fourfold.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/compact_genotypes.hpp"
#include "support/temp_files.hpp"

namespace parmix::genome {
namespace {

struct ChildRun {
  int status = -1;
  long peakKilobytes = 0;
};

ChildRun runChild(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ChildRun run;
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  struct rusage usage {};
  if (child < 0 || wait4(child, &run.status, 0, &usage) != child) return run;
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

ChildRun simulate(const parmix::test::TempDir& dir, const std::string& prefix, int individuals,
                  int loci) {
  return runChild({PARMIX_SIM_PROGRAM, "--individuals", std::to_string(individuals), "--loci",
                   std::to_string(loci), "--vcf", "--references", "10", "--missing-share", "0.01",
                   "--prefix", dir.file(prefix)});
}

ChildRun analyse(const parmix::test::TempDir& dir, const std::string& prefix) {
  return runChild({PARMIX_PROGRAM, "--vcf", dir.file(prefix + ".vcf.gz"), "--popmap",
                   dir.file(prefix + ".popmap.txt"), "--r", "R", "--s", "S", "--threads", "2",
                   "--quiet", "-o", dir.file(prefix + ".report.txt")});
}

TEST(MemoryBound, PeakGrowsByTheTwoByteStoreAndNoMore) {
#ifdef PARMIX_SANITIZED
  GTEST_SKIP() << "the sanitizers' shadow memory and quarantine swamp the resident size";
#endif
  constexpr int kIndividuals = 1000;
  constexpr int kLoci = 10000;  // 10^7 study genotypes
  const parmix::test::TempDir dir;
  ASSERT_EQ(simulate(dir, "small", kIndividuals, 10).status, 0);
  ASSERT_EQ(simulate(dir, "large", kIndividuals, kLoci).status, 0);
  const ChildRun small = analyse(dir, "small");
  const ChildRun large = analyse(dir, "large");
  ASSERT_EQ(small.status, 0);
  ASSERT_EQ(large.status, 0);
  const double genotypes = static_cast<double>(kIndividuals) * kLoci;
  const double store = 2.0 * genotypes;
  const double fillingBlock = 2.0 * kIndividuals * CompactGenotypes::kBlockLoci;
  const double margin = 16e6;  // reader buffers, frequencies, per-thread layouts
  const double growth = (large.peakKilobytes - small.peakKilobytes) * 1024.0;
  EXPECT_LE(growth, store + fillingBlock + margin)
      << "peak " << large.peakKilobytes << " kB against " << small.peakKilobytes << " kB";
  EXPECT_GE(growth, store * 0.5) << "the panel was not held at all";
}

}  // namespace
}  // namespace parmix::genome
