// The shards of the genomic clines: a shard's report reads back to the
// very bits it was written from, the shards of one study join into it and
// make its report, and a report that is cut, edited or of another run is
// refused naming the file and the line.

#include "report/cline_merge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "estimate/cline_fit.hpp"
#include "input/errors.hpp"
#include "report/cline_writer.hpp"

namespace parmix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const std::vector<std::string> kNames{"chr1:10", "chr1:20", "chr1:30", "chr2:5", "chr2:77"};
const std::string kNotes = "\n\nSites not used:\n  chr1:20\n\n";

// Rows of loci 0, 2, 3 and 4 (locus 1 left out), with values a report
// must carry exactly: NaN of either sign, infinities, a subnormal, -0,
// the last bit of a double, and each cut mark.
ClineStudy wholeStudy() {
  ClineStudy study;
  study.loci = {0, 2, 3, 4};
  study.lociExcluded = 1;
  study.individualsUsed = 12;
  study.individualsLeftOut = 2;
  const double special[] = {0.1, std::nextafter(1.0, 2.0), -kNaN, kInf, 4.9e-324, -0.0, 1e-300,
                            0.5};
  for (int k = 0; k < 4; ++k) {
    ClineEstimate r;
    r.individuals = 10 + k;
    r.v = special[k];
    r.vLower = special[(k + 1) % 8];
    r.vUpper = special[(k + 2) % 8];
    r.vCut[0] = k % 2 == 0;
    r.vCut[1] = k == 3;
    r.centre = special[(k + 3) % 8];
    r.centreLower = special[(k + 4) % 8];
    r.centreUpper = special[(k + 5) % 8];
    r.centreCut[0] = k == 1;
    r.centreCut[1] = k >= 2;
    r.u = k == 2 ? kNaN : -3.25 * k;
    r.logL = -10.0 / (k + 3);
    r.neutralLogL = r.logL - 1.0 / 3;
    r.lr = 2.0 / 3;
    r.pValue = k == 0 ? kNaN : std::exp(-1.0 / (k + 7));
    r.qValue = kNaN;
    study.rows.push_back(r);
  }
  return study;
}

// Shard K of N holding rows [FROM, TO) of the whole study.
std::string shardText(const ClineStudy& whole, long k, long n, std::size_t from, std::size_t to,
                      double threshold = 0.05, const std::string& renamed = "") {
  ClineStudy part = whole;
  part.loci.assign(whole.loci.begin() + static_cast<long>(from),
                   whole.loci.begin() + static_cast<long>(to));
  part.rows.assign(whole.rows.begin() + static_cast<long>(from),
                   whole.rows.begin() + static_cast<long>(to));
  ClineShardRun run;
  run.index = k;
  run.count = n;
  run.rows = static_cast<long>(to - from);
  run.fitted = static_cast<long>(whole.rows.size());
  run.after = static_cast<long>(from);
  run.loci = static_cast<long>(kNames.size());
  run.threshold = threshold;
  run.individualsCheck = "0123456789abcdef";
  LociCheck loci;
  // RENAMED: the run's check of its loci names another label for the last.
  for (const int locus : whole.loci)
    loci.add(locus,
             locus == 4 && !renamed.empty() ? renamed : kNames[static_cast<std::size_t>(locus)]);
  run.lociCheck = loci.hex();
  std::ostringstream text;
  text << "Time-stamp: Tue Dec  8 12:00:00 2026\n\n";
  writeClineShardReport(text, kNotes, kNames, part, run);
  return text.str();
}

ClineShard read(const std::string& text, const std::string& path = "s.txt") {
  std::istringstream in(text);
  return readClineShard(in, path);
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSameRow(const ClineEstimate& a, const ClineEstimate& b) {
  EXPECT_EQ(a.individuals, b.individuals);
  const double left[] = {a.v, a.vLower, a.vUpper,      a.centre, a.centreLower, a.centreUpper,
                         a.u, a.logL,   a.neutralLogL, a.lr,     a.pValue,      a.bootstrapP};
  const double right[] = {b.v, b.vLower, b.vUpper,      b.centre, b.centreLower, b.centreUpper,
                          b.u, b.logL,   b.neutralLogL, b.lr,     b.pValue,      b.bootstrapP};
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(sameBits(left[i], right[i])) << "value " << i;
  EXPECT_EQ(a.vCut[0], b.vCut[0]);
  EXPECT_EQ(a.vCut[1], b.vCut[1]);
  EXPECT_EQ(a.centreCut[0], b.centreCut[0]);
  EXPECT_EQ(a.centreCut[1], b.centreCut[1]);
}

TEST(ContentCheck, IsSixtyFourBitFnv1a) {
  // The published test vectors of FNV-1a.
  const std::pair<const char*, const char*> cases[] = {
      {"", "cbf29ce484222325"}, {"a", "af63dc4c8601ec8c"}, {"foobar", "85944171f73967e8"}};
  for (const auto& [text, hex] : cases) {
    ContentCheck check;
    check.add(std::string(text));
    EXPECT_EQ(check.hex(), hex) << text;
  }
}

TEST(ClineShard, ReadsBackEveryBitOfItsRows) {
  const ClineStudy whole = wholeStudy();
  const ClineShard shard = read(shardText(whole, 1, 1, 0, 4));
  EXPECT_EQ(shard.run.index, 1);
  EXPECT_EQ(shard.run.fitted, 4);
  EXPECT_EQ(shard.run.loci, 5);
  EXPECT_EQ(shard.notes, kNotes);
  EXPECT_EQ(shard.study.loci, whole.loci);
  EXPECT_EQ(shard.names, (std::vector<std::string>{"chr1:10", "chr1:30", "chr2:5", "chr2:77"}));
  EXPECT_EQ(shard.study.lociExcluded, 1);
  EXPECT_EQ(shard.study.individualsUsed, 12);
  EXPECT_EQ(shard.study.individualsLeftOut, 2);
  ASSERT_EQ(shard.study.rows.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) expectSameRow(shard.study.rows[k], whole.rows[k]);
}

TEST(ClineShard, ItsRowsAwaitTheMerge) {
  const std::string text = shardText(wholeStudy(), 2, 3, 1, 3);
  EXPECT_NE(text.find("\nShard 2 of 3 of the genomic clines: 2 of the 4 loci fitted, after the "
                      "first 1.\n"),
            std::string::npos);
  EXPECT_NE(text.find("     pending  pending\n"), std::string::npos);
  EXPECT_TRUE(startsClineShardReport(text.substr(0, 200)));
  EXPECT_FALSE(startsClineShardReport("Time-stamp: x\n\n\nShard 1 of 2: 3 of 6 study"));
}

// Shards in every split of the study join into the study itself, and
// its report is the report of the whole study judged at once.
TEST(ClineShardJoin, JoinsTheShardsIntoTheWholeRun) {
  const ClineStudy whole = wholeStudy();
  ClineStudy judged = whole;
  judgeClines(judged.rows, 0.3);
  std::ostringstream expected;
  writeClineReport(expected, kNames, judged, 0.3);
  const std::vector<std::vector<std::size_t>> splits{
      {0, 4}, {0, 0, 4}, {0, 1, 3, 4}, {0, 1, 2, 3, 4, 4, 4}};
  for (const auto& bounds : splits) {
    const long n = static_cast<long>(bounds.size()) - 1;
    ClineShardJoin join(static_cast<std::size_t>(n));
    for (long k = 0; k < n; ++k)
      join.add(read(shardText(whole, k + 1, n, bounds[k], bounds[k + 1], 0.3)),
               "s" + std::to_string(k + 1));
    join.finish();
    EXPECT_EQ(join.notes(), kNotes);
    EXPECT_EQ(join.threshold(), 0.3);
    judgeClines(join.study().rows, join.threshold());
    std::ostringstream merged;
    writeClineReportByRow(merged, join.names(), join.study(), join.threshold());
    EXPECT_EQ(merged.str(), expected.str()) << n << " shards";
  }
}

// An edit: the text of a shard made from the good one.
struct Edit {
  const char* what;
  std::string (*apply)(const std::string&);
  const char* message;  // the start of the refusal
};

std::string replaceFirst(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The text with the line starting with PREFIX and the next line swapped.
std::string swapLines(const std::string& text, const std::string& prefix) {
  const std::size_t first = text.find("\n" + prefix) + 1;
  const std::size_t second = text.find('\n', first) + 1;
  const std::size_t end = text.find('\n', second) + 1;
  return text.substr(0, first) + text.substr(second, end - second) +
         text.substr(first, second - first) + text.substr(end);
}

TEST(ClineShard, RefusesWhatIsCutOrEdited) {
  // Lines 1-2 the time stamp, 3-8 the place, 9-13 the notes, 14 the
  // header, 15-18 the rows, 20-22 the exact values' title, run and header,
  // 23-26 their rows, 27 their end.
  const std::string good = shardText(wholeStudy(), 1, 1, 0, 4);
  const Edit edits[] = {
      {"no time stamp", [](const std::string& t) { return t.substr(1); },
       "File s.txt is not a parmix report"},
      {"cut in the notes", [](const std::string& t) { return t.substr(0, t.find("chr1:20")); },
       "File s.txt is not a complete shard report of the genomic clines: it ends at line"},
      {"cut before the last line break",
       [](const std::string& t) { return t.substr(0, t.size() - 1); },
       "File s.txt is not a complete shard report of the genomic clines: it ends at line"},
      {"text after the end", [](const std::string& t) { return t + "more\n"; },
       "Line 28 of s.txt follows the end of the exact values"},
      {"place",
       [](const std::string& t) {
         return replaceFirst(t, "after the first 0", "after the first 00");
       },
       "Line 3 of s.txt is not the note of a shard's place"},
      {"notes", [](const std::string& t) { return replaceFirst(t, "Sites not", "Sites now"); },
       "Line 21 of s.txt is not the line of the run of a shard of the genomic clines, or the "
       "notes"},
      {"readable row",
       [](const std::string& t) { return replaceFirst(t, "chr1:30   ", "chr1:31   "); },
       "Line 16 of s.txt is not the row that the exact values below give"},
      {"readable row split",
       [](const std::string& t) { return replaceFirst(t, "\nchr2:77 ", "\nchr2:77\n"); },
       "Line 18 of s.txt is not the row"},
      {"exact value", [](const std::string& t) { return replaceFirst(t, "\t-3.25\t", "\t-3.5\t"); },
       "Line 24 of s.txt is not an exact row as parmix writes it: its check does not match"},
      {"exact rows swapped", [](const std::string& t) { return swapLines(t, "chr1:30\t"); },
       "Line 25 of s.txt is not an exact row as parmix writes it, its locus after the row before"},
      {"exact row renamed",
       [](const std::string& t) { return replaceFirst(t, "\nchr2:5\t", "\nx\t"); },
       "Line 25 of s.txt is not an exact row as parmix writes it: its check"},
      {"threshold",
       [](const std::string& t) { return replaceFirst(t, "threshold=0.05", "threshold=2"); },
       "Line 21 of s.txt is not the line of the run"},
  };
  for (const Edit& edit : edits) {
    try {
      read(edit.apply(good));
      ADD_FAILURE() << edit.what << ": accepted";
    } catch (const InputError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(edit.message, 0), 0u)
          << edit.what << ": " << error.what();
    }
  }
}

TEST(ClineShardJoin, RefusesShardsNotOfOneRunInOrder) {
  const ClineStudy whole = wholeStudy();
  const std::string a = shardText(whole, 1, 2, 0, 2);
  const std::string b = shardText(whole, 2, 2, 2, 4);
  const std::string bOtherRun = shardText(whole, 2, 2, 2, 4, 0.1);
  const std::string bAfterOne = shardText(whole, 2, 2, 1, 4);
  const std::string aRenamed = shardText(whole, 1, 2, 0, 2, 0.05, "chr2:78");
  const std::string bRenamed = shardText(whole, 2, 2, 2, 4, 0.05, "chr2:78");
  const struct {
    std::vector<const std::string*> shards;
    const char* message;
  } cases[] = {
      {{&a}, "File s1 is shard 1 of 2, but 1 reports were given"},
      {{&b, &a}, "File s1 is shard 2 of 2 where shard 1 belongs"},
      {{&a, &a}, "File s2 is shard 1 of 2 where shard 2 belongs"},
      {{&a, &bOtherRun}, "The notes or the run of s2 differ from those of s1"},
      {{&aRenamed, &bRenamed},
       "The loci of the shards' reports are not those of the run that s1 names"},
      {{&a, &bAfterOne},
       "File s2 is shard 2 of 2 of the loci after the first 1, which does not "
       "follow shard 1 of s1"},
  };
  for (const auto& c : cases) {
    try {
      ClineShardJoin join(c.shards.size());
      for (std::size_t k = 0; k < c.shards.size(); ++k)
        join.add(read(*c.shards[k]), "s" + std::to_string(k + 1));
      join.finish();
      ADD_FAILURE() << c.message << ": accepted";
    } catch (const InputError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
    }
  }
}

}  // namespace
}  // namespace parmix
