#ifndef PARMIX_SIM_READS_HPP
#define PARMIX_SIM_READS_HPP

// Sequencing reads at a biallelic SNP and the genotype likelihoods a caller
// would write for them, and reference samples drawn from the true parental
// frequencies.  No I/O here.
//
// Read model: the depth is Poisson with mean D; each read carries one of
// the genotype's two alleles with chance 1/2 each, and shows it with chance
// 1 - e, otherwise one of the three other bases, each with chance e/3.  Reads
// showing neither REF nor ALT carry the same chance under every genotype,
// so AD (REF and ALT reads) holds all the information and PL is computed
// from it with the same model:
//   L(0/0) = (1-e)^n0 (e/3)^n1,  L(1/1) = (e/3)^n0 (1-e)^n1,
//   L(0/1) = ((1-e)/2 + e/6)^(n0+n1),
// PL = round(-10 log10(L / max L)), at most kPhredCap (as callers cap it).
// The draws use integer arithmetic and + * / alone, like every draw of the
// simulator; PL takes logarithms, whose last bits could differ between C
// libraries only where a value lies within a rounding of a half, and
// rounding to whole phred units hides everything else.

#include <array>
#include <vector>

#include "draws/random.hpp"

namespace parmix::sim {

constexpr int kPhredCap = 255;

// e^-x for x >= 0 from the series of e^x, by + * / alone, so the same bits
// come out with every C library (the simulator's rule for its draws).
double exactExpMinus(double x);

// A Poisson draw with mean MEAN (0 <= MEAN <= 700), by inversion.
int drawPoisson(Random& random, double mean);

struct ReadCounts {
  int ref = 0;  // AD of REF
  int alt = 0;  // AD of ALT
  int other = 0;
};

// The reads of one individual whose genotype holds ALT_COPIES (0, 1 or 2)
// copies of ALT, at mean depth DEPTH and error rate ERROR.
ReadCounts drawReads(Random& random, int altCopies, double depth, double error);

// PL of 0/0, 0/1, 1/1 for the given AD.  All 0 without reads.
std::array<int, 3> phredLikelihoods(const ReadCounts& reads, double error);

// The genotype a caller would call from PL: the one with PL 0, or -1 (no
// call) when two genotypes share PL 0 (no reads, or a tie).  Returns the
// number of ALT copies.
int calledAltCopies(const std::array<int, 3>& pl);

// The allele counts of SAMPLES diploid reference samples drawn from
// frequencies FREQ (k values adding up to 1): 2 * SAMPLES copies in all.
std::vector<int> drawReferenceCounts(Random& random, const std::vector<double>& freq, int samples);

}  // namespace parmix::sim

#endif
