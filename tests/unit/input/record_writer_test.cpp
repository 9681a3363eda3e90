// The shared writer of the record format: what it writes must read back
// through the run's loader as the values it was given, and a file takes its
// path only when committed.

#include "input/record_writer.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "input/data_set.hpp"
#include "input/output_file.hpp"
#include "support/temp_files.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {
namespace {

using test::readFile;
using test::TempDir;

TEST(RecordWriter, DesignationsAsTheReaderTakesThem) {
  const struct {
    int first, second;
    const char* pair;
  } pairs[] = {{1, 2, "1/2"}, {12, 3, "12/3"}, {kMissing, 2, "NA/NA"}, {4, kMissing, "NA/NA"}};
  for (const auto& c : pairs) {
    std::string line;
    appendAllelePair(line, c.first, c.second);
    EXPECT_EQ(line, c.pair);
  }
  const struct {
    int phenotype;
    const char* text;
  } phenotypes[] = {{1, "1"}, {0, "0"}, {kMissing, "NA"}};
  for (const auto& c : phenotypes) {
    std::string line;
    appendPhenotype(line, c.phenotype);
    EXPECT_EQ(line, c.text);
  }
}

TEST(RecordWriter, AHashInALabelOrDescriptionCannotStartARecord) {
  EXPECT_EQ(parentalRecord("L#1", 'C', {"0.5", "0.5"}, {"0.25", "0.75"}, "   "),
            "L_1 # C 0.5 0.5   0.25 0.75\n");
  EXPECT_EQ(headerRecord("Individual", "from a#b", "names #", {"A", "B"}),
            "Individual\nfrom a_b\nnames # A B\n");
  std::string line;
  startIndividualRecord(line, "x#y");
  EXPECT_EQ(line, "x_y #");
}

TEST(RecordWriter, WrittenFilesLoadBackAsWritten) {
  TempDir dir;
  OutputFile parental(dir.file("p.txt"));
  parental.write(headerRecord("Parental", "two loci", "locus # type, R, S"));
  parental.write(parentalRecord("L1", 'C', {"0.6", "0.4"}, {"0.3", "0.7"}));
  parental.write(parentalRecord("L2", 'D', {"0.75"}, {"0.19"}));
  parental.commit();
  OutputFile individual(dir.file("i.txt"));
  individual.write(headerRecord("Individual", "two individuals", "names #", {"A", "B"}));
  std::string line;
  startIndividualRecord(line, "L1");
  line += ' ';
  appendAllelePair(line, 1, 2);
  line += ' ';
  appendAllelePair(line, 2, 2);
  individual.write(line + "\n");
  startIndividualRecord(line, "L2");
  line += ' ';
  appendPhenotype(line, 1);
  line += ' ';
  appendPhenotype(line, kMissing);
  individual.write(line + "\n");
  individual.commit();

  DataSet d;
  Status status;
  std::ostringstream notes;
  ASSERT_EQ(loadDataSet({dir.file("p.txt"), dir.file("i.txt")}, d,
                        [&notes](Status&) -> std::ostream* { return &notes; }, status),
            0)
      << status.message();
  EXPECT_EQ(d.nLoci, 2);
  EXPECT_EQ(d.indNames[1], "B");
  EXPECT_EQ(d.freqS.rows()[0][1], 0.7);
  EXPECT_DOUBLE_EQ(d.freqR.rows()[1][0], 0.5);  // 1 - sqrt(1 - 0.75)
  const int expected[2][4] = {{1, 2, 2, 2}, {1, kMissing, kMissing, kMissing}};
  for (int i = 0; i < 2; ++i)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(d.genotypes.rows()[i][c], expected[i][c]);
}

TEST(RecordWriter, AFileTakesItsPathOnlyWhenCommitted) {
  TempDir dir;
  const std::string path = dir.write("kept.txt", "earlier\n");
  {
    OutputFile file(path);
    file.write("later\n");
  }  // never committed
  EXPECT_EQ(readFile(path), "earlier\n");
  OutputFile file(path);
  file.write("later\n");
  file.commit();
  EXPECT_EQ(readFile(path), "later\n");
  
}

}  // namespace
}  // namespace parmix
