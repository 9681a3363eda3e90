#ifndef PARMIX_SIM_SIMULATION_HPP
#define PARMIX_SIM_SIMULATION_HPP

// The draws of a simulated data set: parental frequencies per locus, the
// individuals with their true hybrid index, and their genotypes drawn from
// the model that parmix fits.  No I/O here.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "options.hpp"
#include "draws/random.hpp"

namespace parmix::sim {

// One locus.  Frequencies are in 1/kScale.  A codominant locus lists every
// allele's frequency in R and in S (each list sums to kScale); a dominant
// locus lists one number per population, the frequency of the dominant
// allele.
struct Locus {
  bool dominant = false;
  std::vector<int> freqR;
  std::vector<int> freqS;
};

// The difference between R and S at one locus, in 1/kScale.
int drawDifference(Random& random, const Differentiation& spread);

// A locus whose best-separating allele differs by a drawn difference D: both
// populations share a random background composition of kScale - D, and each
// puts D on an allele of its own (a dominant locus: the dominant allele's
// frequency is higher by D in one population, chosen at random).
Locus drawLocus(Random& random, bool dominant, int alleles, const Differentiation& spread);

// The name of locus `index` (from 0) of `loci`: "L" and its number from 1,
// zero-padded to at least 5 digits, so every kind of data set reads alike.
std::string locusName(int index, int loci);

// A codominant locus's number of alleles, uniform between the options'
// least and greatest.
int drawAlleleCount(Random& random, const Options& options);

// Which loci are dominant: exactly round(share * loci) of them, at random
// positions.
std::vector<bool> drawDominantLoci(Random& random, int loci, double share);

// Numbers of individuals of each kind: n apportioned to the weights by
// largest remainders, so the counts add up to n exactly.
std::array<int, kAncestryKinds> apportion(int n, const std::array<double, kAncestryKinds>& weights);
// The same for any number of kinds.
std::vector<int> apportionWeights(int n, const std::vector<double>& weights);

// One locus's true cline: v = 1 and centre 1/2 follow the genome.
struct LocusCline {
  double v = 1.0;
  double centre = 0.5;
};

// Every locus's cline under SETTINGS, from a stream of draws of its own so
// that the other draws of a seed stay as they are without clines.
std::vector<LocusCline> drawClines(std::uint64_t seed, int loci, const ClineSettings& settings);

// The chance that an allele comes from R at a locus of cline C in an
// individual of hybrid index H: exactly H under the genome's cline.
double chanceFromR(double h, const LocusCline& c);

struct Individual {
  std::string name;
  Ancestry kind = Ancestry::Uniform;
  int hMillionths = 0;  // the true h, exact in millionths
};

// The individuals in random order, kinds apportioned by options.mix.
std::vector<Individual> drawIndividuals(Random& random, const Options& options);

// The chance that an allele comes from R: the individual's h.
inline double chanceFromR(const Individual& individual) {
  return individual.hMillionths / 1e6;
}

// One allele number (from 1) drawn from the gamete pool of an individual
// whose alleles come from R with chance fromR; cumR and cumS are the
// running sums of the locus's frequencies.
int drawAllele(Random& random, double fromR, const std::vector<int>& cumR,
               const std::vector<int>& cumS);

// Running sums of one population's frequencies at a locus, ending at
// kScale; at a dominant locus {dominant allele, kScale}.
std::vector<int> cumulative(const Locus& locus, bool ofR);

// The designations of one individual at one locus: two allele numbers at a
// codominant locus, or at a dominant locus the phenotype in `first` (1 band
// present, 0 absent).
struct Designation {
  bool missing = false;
  int first = 0;
  int second = 0;
};

Designation drawDesignation(Random& random, const Locus& locus, const std::vector<int>& cumR,
                            const std::vector<int>& cumS, const Individual& individual,
                            double missingShare);
// The same with the chance FROMR that an allele comes from R.
Designation drawDesignation(Random& random, const Locus& locus, const std::vector<int>& cumR,
                            const std::vector<int>& cumS, double fromR, double missingShare);

// Every individual's designations at a biallelic codominant locus, the
// same draws in the same order as drawDesignation makes them one by one,
// in one tight loop: genome-scale panels draw 10^10 of them.  fromR holds
// chanceFromR of each individual.
void drawBiallelicRow(Random& random, const Locus& locus, const std::vector<double>& fromR,
                      double missingShare, std::vector<Designation>& drawn);

}  // namespace parmix::sim

#endif
