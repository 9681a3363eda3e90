#include "support/listings.hpp"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "input/data_set.hpp"
#include "input/parental_file.hpp"
#include "input/status.hpp"
#include "support/temp_files.hpp"

namespace parmix {
namespace {

constexpr int M = kMissing;

// Sends std::cerr into a string for as long as it lives.
class CaptureCerr {
 public:
  CaptureCerr() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CaptureCerr() { std::cerr.rdbuf(saved_); }
  std::string str() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* saved_;
};

void fill(RowTable<double>& t, const std::vector<std::vector<double>>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < rows[i].size(); ++j) t.rows()[i][j] = rows[i][j];
}

// -------------------------------------------------------------- printParental

TEST(PrintParental, EverySlotOfEveryLocus) {
  RowTable<double> r(3, 4, 0.0);
  RowTable<double> s(3, 4, 0.0);
  fill(r, {{0.1, 0.9}, {0.5}, {0.2, 0.8}});
  fill(s, {{0.125, 0.25, 0.625}, {1.0 / 3}, {0.5, 0.5}});
  const char types[] = {'C', 'B', 'C'};
  std::ostringstream out;
  printParental(s.rows(), r.rows(), types, 3, 4, out);
  EXPECT_EQ(out.str(),
            "Parental allele frequencies\n"
            "Max number of alleles: 4\n"
            "Locus 1C  R: 0.1 0.9 0 0    S: 0.125 0.25 0.625 0 \n"
            "Locus 2B  R: 0.5 0 0 0    S: 0.333333 0 0 0 \n"
            "Locus 3C  R: 0.2 0.8 0 0    S: 0.5 0.5 0 0 \n");
}

TEST(PrintParental, NoLociGivesTheHeadingsOnly) {
  std::ostringstream out;
  printParental(nullptr, nullptr, nullptr, 0, 2, out);
  EXPECT_EQ(out.str(), "Parental allele frequencies\nMax number of alleles: 2\n");
}

TEST(PrintParental, GoesToTheErrorStreamByDefault) {
  RowTable<double> r(1, 1, 0.75);
  RowTable<double> s(1, 1, 0.25);
  const char types[] = {'D'};
  CaptureCerr capture;
  printParental(s.rows(), r.rows(), types, 1, 1);
  EXPECT_EQ(capture.str(),
            "Parental allele frequencies\nMax number of alleles: 1\n"
            "Locus 1D  R: 0.75    S: 0.25 \n");
}

TEST(PrintParental, DominantLocusAsReadShowsDefinedSlots) {
  // The unused slots of a dominant locus read back as 0, never as leftovers.
  test::TempDir dir;
  Status status;
  const std::string path = dir.write(
      "p", "Parental\n# h\nL1 # C 0.5 0.3 0.2 0.1 0.1 0.8\nL2 # D 0.75 0.36\n");
  DataSet d;
  d.nLoci = 2;
  d.maxAlleles = 3;
  d.allocateTheRest();
  ASSERT_EQ(readParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), 2, 3, path, status,
                             '\n'),
            0)
      << status.message();
  std::ostringstream out;
  printParental(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), 2, 3, out);
  EXPECT_EQ(out.str(),
            "Parental allele frequencies\n"
            "Max number of alleles: 3\n"
            "Locus 1C  R: 0.5 0.3 0.2    S: 0.1 0.1 0.8 \n"
            "Locus 2D  R: 0.5 0 0    S: 0.2 0 0 \n");
}

// ------------------------------------------------------------ printIndividual

TEST(PrintIndividual, FirstEntriesOfEveryRow) {
  RowTable<int> g(2, 6, 0);
  const int values[2][6] = {{1, 2, 1, 1, 3, 3}, {1, M, 0, M, M, M}};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 6; ++j) g.rows()[i][j] = values[i][j];
  const std::string names[] = {"A1", "A2", "B7"};
  std::ostringstream out;
  printIndividual(g.rows(), names, 2, 6, out);
  EXPECT_EQ(out.str(),
            "Individuals:\n"
            "nLoci: 2\n"
            "nAlleles: 6\n"
            "Locus 1:   1 2 1 1 3 3 \n"
            "Locus 2:   1 -9999 0 -9999 -9999 -9999 \n");

  std::ostringstream part;
  printIndividual(g.rows(), names, 2, 3, part);
  EXPECT_EQ(part.str(),
            "Individuals:\nnLoci: 2\nnAlleles: 3\nLocus 1:   1 2 1 \nLocus 2:   1 -9999 0 \n");
}

TEST(PrintIndividual, NoLociGivesTheHeadingsOnly) {
  std::ostringstream out;
  printIndividual(nullptr, nullptr, 0, 4, out);
  EXPECT_EQ(out.str(), "Individuals:\nnLoci: 0\nnAlleles: 4\n");
}

TEST(PrintIndividual, GoesToTheErrorStreamByDefault) {
  RowTable<int> g(1, 2, M);
  CaptureCerr capture;
  printIndividual(g.rows(), nullptr, 1, 2);
  EXPECT_EQ(capture.str(), "Individuals:\nnLoci: 1\nnAlleles: 2\nLocus 1:   -9999 -9999 \n");
}

}  // namespace
}  // namespace parmix
