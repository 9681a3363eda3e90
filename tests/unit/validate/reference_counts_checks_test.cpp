#include "validate/reference_counts_checks.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace parmix {
namespace {

// A loaded parental side of two loci: a codominant one of three alleles
// and a dominant one, the frequencies those of the counts below.
struct Parental {
  Parental() {
    data.nLoci = 2;
    data.maxAlleles = 3;
    data.freqR = RowTable<double>(2, 3);
    data.freqS = RowTable<double>(2, 3);
    data.locusType = {'C', 'D'};
    // Pseudo-count 0.5; allele 2 seen nowhere: R 3+.5, 0, 1+.5 of 5;
    // S .5, 0, 3+.5 of 4.
    const double r[] = {3.5 / 5, 0, 1.5 / 5}, s[] = {0.5 / 4, 0, 3.5 / 4};
    for (int a = 0; a < 3; ++a) {
      data.freqR.rows()[0][a] = r[a];
      data.freqS.rows()[0][a] = s[a];
    }
    // Band present 2 of 3 in R, 1 of 3 in S: g = 2.5/4, 1.5/4.
    data.freqR.rows()[1][0] = 1 - std::sqrt(1 - 2.5 / 4);
    data.freqS.rows()[1][0] = 1 - std::sqrt(1 - 1.5 / 4);
  }
  DataSet data;
};

ReferenceCounts countsOf(std::vector<LocusCounts> loci) {
  ReferenceCounts counts;
  counts.path = "c.tsv";
  counts.pseudoCount = 0.5;
  counts.loci = std::move(loci);
  return counts;
}

const LocusCounts kAdh{7, "Adh", 'C', {3, kSeenNowhere, 1}, {0, kSeenNowhere, 3}};
const LocusCounts kRapd{8, "RAPD", 'D', {2, 1}, {1, 2}};

TEST(ReferenceCountsChecks, CountsOfTheParentalFilePass) {
  Parental p;
  Status status;
  EXPECT_EQ(checkReferenceCounts(countsOf({kAdh, kRapd}), p.data, "p.txt", status), 0)
      << status.message();
  // A last allele left out of the counts has frequency 0 in the file.
  Parental shorter;
  shorter.data.freqR.rows()[0][2] = 0;
  shorter.data.freqS.rows()[0][2] = 0;
  shorter.data.freqR.rows()[0][0] = 1;
  shorter.data.freqS.rows()[0][0] = 1;
  const LocusCounts one{7, "Adh", 'C', {4}, {4}};
  EXPECT_EQ(checkReferenceCounts(countsOf({one, kRapd}), shorter.data, "p.txt", status), 0)
      << status.message();
}

// Counts of other samples or another file are refused, naming both files,
// the counts' line and what disagrees.
TEST(ReferenceCountsChecks, CountsOfOtherSamplesAreRefused) {
  LocusCounts moreR = kAdh;
  moreR.r[0] = 4;
  LocusCounts swapped = kRapd;
  std::swap(swapped.s[0], swapped.s[1]);
  LocusCounts asDominant = kAdh;
  asDominant.type = 'D';
  LocusCounts fourAlleles = kAdh;
  fourAlleles.r.push_back(1);
  fourAlleles.s.push_back(1);
  // Without the pseudo-count, the counts alone give the frequencies.
  ReferenceCounts plain = countsOf({kAdh, kRapd});
  plain.pseudoCount = 0;
  LocusCounts uncounted = kAdh;
  uncounted.r = {0, kSeenNowhere, 0};
  ReferenceCounts none = countsOf({uncounted, kRapd});
  none.pseudoCount = 0;
  const struct {
    ReferenceCounts counts;
    const char* message;
  } cases[] = {
      {countsOf({kAdh}), "The reference counts file c.tsv holds 1 locus rows, but the parental "
                         "file p.txt holds 2 loci."},
      {countsOf({moreR, kRapd}),
       "The reference counts file c.tsv does not belong to the parental file p.txt: on line 7 "
       "(locus 1, Adh), the counts give allele 1 the frequency 0.75 in R, the parental file 0.7."},
      {countsOf({kAdh, swapped}), "on line 8 (locus 2, RAPD), the counts give allele 1 the "
                                  "frequency 0.3876275643 in S, the parental file 0.209430585."},
      {countsOf({asDominant, kRapd}),
       "(locus 1, Adh), the locus is of type D in the counts and C in the parental file."},
      {countsOf({fourAlleles, kRapd}),
       "the counts name 4 alleles, more than the parental file gives any locus."},
      {none, "(locus 1, Adh), no sample of R is counted."},
      {plain, "(locus 1, Adh), the counts give allele 1 the frequency 0.75 in R"},
  };
  for (const auto& c : cases) {
    Parental p;
    Status status;
    EXPECT_EQ(checkReferenceCounts(c.counts, p.data, "p.txt", status), 1);
    EXPECT_EQ(status.fault(), Fault::kCounts);
    EXPECT_NE(status.message().find(c.message), std::string::npos) << status.message();
  }
}

}  // namespace
}  // namespace parmix
