// The genome-scale run's command line: its own options, the importer's
// options passed through with their own checks, and a table of wrong calls
// with their messages.  Shards split the individuals into consecutive parts
// that cover everyone once.

#include "run/genome_options.hpp"

#include <gtest/gtest.h>

#include "input/errors.hpp"

namespace parmix::genome {
namespace {

const std::vector<std::string> kBase = {"--vcf", "calls.vcf", "--popmap", "map.txt",
                                        "--r",   "north",     "--s",      "south"};

std::vector<std::string> with(std::vector<std::string> extra) {
  std::vector<std::string> words = kBase;
  words.insert(words.end(), extra.begin(), extra.end());
  return words;
}

TEST(GenomeOptions, TakesItsOwnOptionsAndPassesTheImportersThrough) {
  GenomeOptions options;
  ASSERT_EQ(parseGenomeOptions(with({"-o", "r.txt", "--threads=3", "--shard", "2/5",
                                     "--pseudo-count", "0.5", "--biallelic-snps", "--quiet"}),
                               options),
            importer::ParseOutcome::Run);
  EXPECT_EQ(options.report, "r.txt");
  EXPECT_EQ(options.threads, 3u);
  EXPECT_EQ(options.selection.shardIndex, 2);
  EXPECT_EQ(options.selection.shardCount, 5);
  EXPECT_EQ(options.input.input, "calls.vcf");
  EXPECT_EQ(options.input.pseudoCount, 0.5);
  EXPECT_TRUE(options.input.filters.biallelicSnpsOnly);
  EXPECT_TRUE(options.input.quiet);
  GenomeOptions defaults;
  parseGenomeOptions(kBase, defaults);
  EXPECT_EQ(defaults.report, "parmix_output.txt");
  EXPECT_EQ(defaults.threads, 0u);
  EXPECT_EQ(defaults.selection.shardCount, 0);
}

TEST(GenomeOptions, WrongCallsAreRefusedWithTheirReason) {
  struct Wrong {
    std::vector<std::string> extra;
    const char* message;
  };
  const Wrong cases[] = {
      {{"--threads", "0"}, "option --threads needs a whole number from 1 to 4096, not \"0\""},
      {{"--threads", "two"}, "option --threads needs a whole number from 1 to 4096, not \"two\""},
      {{"--threads", "1.5"}, "option --threads needs a whole number from 1 to 4096, not \"1.5\""},
      {{"--threads", "-2"}, "option --threads needs a whole number from 1 to 4096, not \"-2\""},
      {{"--threads", "4097"}, "option --threads needs a whole number from 1 to 4096, not \"4097\""},
      {{"--threads"}, "option --threads needs a value"},
      {{"--shard", "3/2"}, "option --shard needs K/N, shard K of N with 1 <= K <= N, not \"3/2\""},
      {{"--shard", "0/2"}, "option --shard needs K/N, shard K of N with 1 <= K <= N, not \"0/2\""},
      {{"--shard", "2"}, "option --shard needs K/N, shard K of N with 1 <= K <= N, not \"2\""},
      {{"--shard", "1/"}, "option --shard needs K/N, shard K of N with 1 <= K <= N, not \"1/\""},
      {{"--shard", "+1/2"}, "option --shard needs K/N, shard K of N with 1 <= K <= N, not \"+1/2\""},
      {{"--samples", ""}, "option --samples needs a non-empty value"},
      {{"-o", ""}, "option -o needs a non-empty value"},
      {{"--samples", "a.txt", "--shard", "1/2"}, "give at most one of --samples FILE and --shard K/N"},
      {{"--prefix", "out"}, "option --prefix goes with parmix-import only"},
      {{"--pseudo-count", "-1"}, "option --pseudo-count needs a number from 0 to 1e9, not \"-1\""},
      {{"--max-missing", "2"}, "option --max-missing needs a number from 0 to 1, not \"2\""},
      {{"--bogus"}, "unknown option --bogus"},
  };
  for (const Wrong& wrong : cases) {
    GenomeOptions options;
    try {
      parseGenomeOptions(with(wrong.extra), options);
      ADD_FAILURE() << "accepted: " << wrong.message;
    } catch (const importer::UsageError& error) {
      EXPECT_STREQ(error.what(), wrong.message);
    }
  }
  GenomeOptions options;
  EXPECT_THROW(parseGenomeOptions({"--structure", "x.str", "--popmap", "m", "--r", "a", "--s", "b"},
                                  options),
               importer::UsageError);
}

// The corrections go with the joint analysis as with the hybrid index;
// their own checks still hold there.
TEST(GenomeOptions, CorrectionsGoWithTheJointAnalysis) {
  GenomeOptions options;
  ASSERT_EQ(parseGenomeOptions(with({"--ancestry", "--genotype-likelihoods", "GL",
                                     "--reference-frequencies", "gt", "--reference-uncertainty",
                                     "--tsv", "t.tsv"}),
                               options),
            importer::ParseOutcome::Run);
  EXPECT_TRUE(options.ancestry);
  EXPECT_EQ(options.corrections.likelihoodField, "GL");
  EXPECT_TRUE(options.corrections.referenceFromCalls);
  EXPECT_TRUE(options.corrections.referenceUncertainty);
  EXPECT_EQ(options.report, "parmix_ancestry.txt");
  GenomeOptions unpaired;
  try {
    parseGenomeOptions(with({"--ancestry", "--reference-frequencies", "gl"}), unpaired);
    ADD_FAILURE() << "accepted --reference-frequencies gl without likelihoods";
  } catch (const importer::UsageError& error) {
    EXPECT_STREQ(error.what(),
                 "option --reference-frequencies gl needs --genotype-likelihoods PL|GL");
  }
}

TEST(GenomeOptions, ShardsAreConsecutivePartsCoveringEveryoneOnce) {
  for (int people : {0, 1, 7, 100}) {
    const std::vector<std::string> names(static_cast<std::size_t>(people), "x");
    for (int parts : {1, 3, 8}) {
      std::size_t next = 0;
      for (int k = 1; k <= parts; ++k) {
        Selection selection;
        selection.shardIndex = k;
        selection.shardCount = parts;
        const std::vector<std::size_t> kept = selectIndividuals(names, selection);
        // Sizes differ by at most one between shards.
        EXPECT_LE(kept.size(), static_cast<std::size_t>(people / parts + 1));
        EXPECT_GE(kept.size(), static_cast<std::size_t>(people / parts));
        for (std::size_t j : kept) EXPECT_EQ(j, next++);
      }
      EXPECT_EQ(next, static_cast<std::size_t>(people)) << people << " in " << parts;
    }
  }
}

}  // namespace
}  // namespace parmix::genome
