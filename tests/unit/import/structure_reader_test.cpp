// The STRUCTURE reader: both row layouts, marker names, the population
// column, the missing-data code, allele numbering by code value, and one
// message naming the line for every faulty row.

#include "structure_reader.hpp"

#include <gtest/gtest.h>

#include "input/errors.hpp"
#include "support/temp_files.hpp"

namespace parmix::importer::test {
namespace {

using parmix::test::TempDir;

constexpr int M = kMissingAllele;

// Codes 100/102/104 at m1 become alleles 1/2/3 whatever order they are met in.
const char* kTwoRows =
    "m1 m2 m3\n"
    "s1 south 104 2 -9\n"
    "s1 south 102 2 3\n"
    "\n"
    "r1 north 100 1 -9\n"
    "r1 north 102 1 -9\n";

const char* kOneRow =
    "m1 m2 m3\n"
    "s1 south 104 102 2 2 -9 3\n"
    "r1 north 100 102 1 1 -9 -9\n";

std::vector<Site> readAll(StructureReader& reader) {
  std::vector<Site> sites;
  for (Site site; reader.next(site);) sites.push_back(site);
  return sites;
}

StructureLayout layout(int rows) {
  StructureLayout layout;
  layout.rowsPerIndividual = rows;
  layout.markerNames = true;
  layout.populationColumn = true;
  return layout;
}

std::string failureOf(const std::string& path, const StructureLayout& layout) {
  try {
    StructureReader reader(path, layout);
    readAll(reader);
  } catch (const InputError& error) {
    return error.what();
  }
  return "no error";
}

TEST(StructureReader, BothLayoutsGiveTheSameSitesNumberedByCodeValue) {
  TempDir dir;
  const std::string files[] = {dir.write("two.str", kTwoRows), dir.write("one.str", kOneRow)};
  for (int rows = 2; rows >= 1; --rows) {
    StructureReader reader(files[2 - rows], layout(rows));
    EXPECT_EQ(reader.sampleNames(), (std::vector<std::string>{"s1", "r1"}));
    const std::vector<Site> sites = readAll(reader);
    ASSERT_EQ(sites.size(), 3u);
    EXPECT_EQ(sites[0].label, "m1");
    EXPECT_EQ(sites[0].alleleCount, 3);
    EXPECT_EQ(sites[0].alleles, (std::vector<int>{3, 2, 1, 2}));
    EXPECT_EQ(sites[1].alleles, (std::vector<int>{2, 2, 1, 1}));
    EXPECT_EQ(sites[2].alleleCount, 1);
    EXPECT_EQ(sites[2].alleles, (std::vector<int>{M, 1, M, M}));
    const PopulationMap& map = reader.populationColumn();
    ASSERT_EQ(map.entries.size(), 2u);
    EXPECT_EQ(map.entries[1].individual, "r1");
    EXPECT_EQ(map.entries[1].population, "north");
    EXPECT_EQ(map.entries[1].line, rows == 2 ? 5 : 3);
  }
}

// The same file as STRUCTURE users write it: blanks, tabs or commas between
// the columns (commas padding a row's end), a byte-order mark from the
// editor, and a row of marker names that names the leading columns too.
TEST(StructureReader, SeparatorsByteOrderMarkAndNamedLeadingColumnsReadAlike) {
  TempDir dir;
  const std::string variants[] = {
      "m1\tm2\tm3\ns1\tsouth\t104\t2\t-9\ns1\tsouth\t102\t2\t3\n"
      "r1\tnorth\t100\t1\t-9\nr1\tnorth\t102\t1\t-9\n",
      "m1,m2,m3\r\ns1,south,104,2,-9\r\ns1, south ,102,2,3,,\r\n"
      "r1,north,100,1,-9\r\nr1,north,102,1,-9\r\n",
      "INDLABEL,POPID,m1,m2,m3\ns1,south,104,2,-9\ns1,south,102,2,3\n"
      "r1,north,100,1,-9\nr1,north,102,1,-9\n",
      "\xEF\xBB\xBF" + std::string(kTwoRows),
  };
  for (const std::string& text : variants) {
    StructureReader reader(dir.write("variant.str", text), layout(2));
    EXPECT_EQ(reader.sampleNames(), (std::vector<std::string>{"s1", "r1"})) << text;
    const std::vector<Site> sites = readAll(reader);
    ASSERT_EQ(sites.size(), 3u) << text;
    EXPECT_EQ(sites[0].label, "m1") << text;
    EXPECT_EQ(sites[2].label, "m3") << text;
    EXPECT_EQ(sites[0].alleles, (std::vector<int>{3, 2, 1, 2})) << text;
    EXPECT_EQ(sites[2].alleles, (std::vector<int>{M, 1, M, M})) << text;
    EXPECT_EQ(reader.populationColumn().entries[0].population, "south") << text;
  }
  // Without marker names the mark would otherwise become part of the first
  // individual's name.
  StructureLayout plain;
  plain.rowsPerIndividual = 1;
  StructureReader reader(dir.write("marked.str", "\xEF\xBB\xBF" "a 1 2\nb 2 2\n"), plain);
  EXPECT_EQ(reader.sampleNames(), (std::vector<std::string>{"a", "b"}));
}

TEST(StructureReader, WithoutMarkerNamesTheFirstRowSetsTheLociAndExtraColumnsAreSkipped) {
  TempDir dir;
  StructureLayout plain;
  plain.rowsPerIndividual = 1;
  plain.missingCode = "0";
  plain.extraColumns = 1;
  const std::string path = dir.write("plain.str", "a 9 1 2 0 0\r\nb 9 2 2 3 1\r\n");
  StructureReader reader(path, plain);
  const std::vector<Site> sites = readAll(reader);
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[1].label, "L2");
  EXPECT_EQ(sites[1].alleles, (std::vector<int>{M, M, 2, 1}));
  EXPECT_TRUE(reader.populationColumn().entries.empty());
}

TEST(StructureReader, EveryFaultyRowIsNamedByItsLine) {
  TempDir dir;
  struct Case {
    int rows;
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {2, "m1 m2\na p 1 2\na p 1\n",
       "line 3: the row of individual a has 3 columns, but 4 are expected: 2 leading columns "
       "and 1 allele column for each of 2 loci"},
      {1, "m1 m2\na p 1 2 3\n",
       "line 2: the row of individual a has 5 columns, but 6 are expected: 2 leading columns "
       "and 2 allele columns for each of the 2 loci named on line 1"},
      // Neither the loci alone nor the leading columns and the loci.
      {1, "id,pop,m1,m2\na,p,1,2,3\n",
       "line 2: the row of individual a has 5 columns, but 10 are expected: 2 leading columns "
       "and 2 allele columns for each of the 4 loci named on line 1 (or 6 if line 1 names the "
       "2 leading columns first)"},
      {2, "m1 m2\na;p;1;2\n",
       "line 2: the row of individual a;p;1;2 has 1 column, but 4 are expected: 2 leading "
       "columns and 1 allele column for each of the 2 loci named on line 1 (columns are "
       "separated by blanks, tabs or commas, and this row has none of them)"},
      {2, "m1,m2\na,p,1,,2\n", "line 2: column 4 is empty (two commas with nothing between them)"},
      {2, "m1\na p 1\nb p 1\n",
       "line 3: the row names b, but individual a (line 2) has only one row so far; two rows "
       "per individual are read (--rows 1 reads one)"},
      {2, "m1\na p 1\na p 1\nb p 2\n",
       "line 4: individual b has one row, but two rows per individual are read (--rows 1 reads "
       "one)"},
      {2, "m1\na p 1\na q 1\n",
       "line 3: the second row of individual a gives another population than its first row"},
      {1, "m1\na p 1 1\na p 2 2\n", "line 3: individual a appears again (first on line 2)"},
      {1, "m1\na p 1 x\n",
       "line 2: column 4 holds x, which is neither an allele code (a whole number) nor the "
       "missing-data code -9"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.write("bad.str", c.text);
    EXPECT_EQ(failureOf(path, layout(c.rows)), path + ", " + c.message);
  }
  StructureLayout noNames;
  noNames.rowsPerIndividual = 1;
  const std::string odd = dir.write("odd.str", "a 1 2 3\n");
  EXPECT_EQ(failureOf(odd, noNames),
            odd + ", line 1: the row of individual a has 4 columns; after 1 leading column one "
                  "row per individual takes two allele columns for each locus");
  const std::string empty = dir.write("empty.str", "m1 m2\n\n");
  EXPECT_EQ(failureOf(empty, layout(2)), "File " + empty + " holds no individual");
  EXPECT_EQ(failureOf(dir.path(), layout(2)), "File " + dir.path() + " could not be read");
}

}  // namespace
}  // namespace parmix::importer::test
