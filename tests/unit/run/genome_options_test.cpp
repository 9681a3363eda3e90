// The shards of a genome-scale run: K/N is read whole or refused, and the
// shards split the individuals into consecutive parts that cover everyone
// once.

#include "run/genome_options.hpp"

#include <gtest/gtest.h>

#include "input/errors.hpp"

namespace parmix::genome {
namespace {

TEST(GenomeOptions, ShardsAreKOfNWithOneToN) {
  Selection selection;
  parseShard("-shard", "2/5", selection);
  EXPECT_EQ(selection.shardIndex, 2);
  EXPECT_EQ(selection.shardCount, 5);
  for (const char* wrong : {"3/2", "0/2", "2", "1/", "+1/2", "1/1000001", "/"}) {
    try {
      parseShard("-shard", wrong, selection);
      ADD_FAILURE() << "accepted " << wrong;
    } catch (const importer::UsageError& error) {
      EXPECT_EQ(std::string(error.what()),
                std::string("option -shard needs K/N, shard K of N with 1 <= K <= N, not \"") +
                    wrong + "\"");
    }
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
