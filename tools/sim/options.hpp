#ifndef PARMIX_SIM_OPTIONS_HPP
#define PARMIX_SIM_OPTIONS_HPP

// What one run of parmix-sim is asked to make, from its command line.

#include <array>
#include <cstdint>
#include <string>

namespace parmix::sim {

// Frequencies are whole multiples of 1/kScale, so they print exactly and
// every draw from them is integer arithmetic.
constexpr int kScale = 10000;

// The kinds of individual, in the order of --mix and of the truth file.
enum class Ancestry { PureR, PureS, F1, BCR, BCS, Uniform };
constexpr int kAncestryKinds = 6;
const char* ancestryName(Ancestry kind);

// Pedigrees of --pedigree, in its order and that of the truth file: pure,
// first and second filial generations, backcrosses to R and to S, and the
// last generation of a hybrid swarm mating at random (--generations).
enum class Lineage { PureR, PureS, F1, F2, BCR, BCS, Later };
constexpr int kLineages = 7;
const char* lineageName(Lineage lineage);

// How far apart R and S lie at a locus: the difference, in 1/kScale, of the
// allele that tells them apart best.  Drawn uniformly from [low, high], or,
// when skewed, with weak differences far more common than strong ones.
struct Differentiation {
  int low = 200;
  int high = 9800;
  bool skewed = true;
};

// Loci that depart from the genome: a share of them (exactly round(share
// * loci), at random positions) draws each allele copy from R with chance
// phi(h; v, centre) = logistic(v (logit h - logit centre)) instead of h.
// Each of v and the centre is fixed (low = high) or drawn per locus, v
// log-uniform and the centre uniform in [low, high].
struct ClineSettings {
  double share = 0.0;
  double vLow = 1.0;
  double vHigh = 1.0;
  double centreLow = 0.5;
  double centreHigh = 0.5;
};

struct Options {
  int individuals = 100;
  int loci = 100;
  int minAlleles = 2;  // alleles of a codominant locus, drawn per locus
  int maxAlleles = 2;
  double dominantShare = 0.0;
  double missingShare = 0.0;
  std::uint64_t seed = 1;
  std::string prefix = "sim";
  // Relative weights of the kinds of individual, by Ancestry.
  std::array<double, kAncestryKinds> mix{{1, 1, 1, 1, 1, 1}};
  Differentiation differentiation;
  // Also OUT.vcf.gz and OUT.popmap.txt, with this many reference samples of
  // each parental population.
  bool vcf = false;
  // Also OUT.bed, OUT.bim and OUT.fam (and OUT.popmap.txt): the VCF's
  // samples and genotypes as PLINK 1 binary files, biallelic loci only.
  bool plink = false;
  // With --plink the parental and individual files are left out (at genome
  // scale they are hundreds of times the .bed); this asks for them again.
  bool textFiles = false;
  int references = 50;
  // Also OUT.R.txt and OUT.S.txt: the same reference samples as individual
  // files, for counting a parental file from them.
  bool referenceFiles = false;
  // Sequencing reads in the VCF: mean depth per genotype (Poisson; 0: calls
  // only) and the per-read error rate.  With reads every genotype carries
  // AD and PL, and GT is the genotype those reads make most likely.
  double depth = 0.0;
  double error = 0.01;
  // With --pedigree: individuals drawn from ancestry states, in these
  // relative numbers by Lineage, instead of from their h alone.
  bool pedigree = false;
  std::array<double, kLineages> lineages{};
  // Generations of the hybrid swarm, the F1s being the first.
  int generations = 3;
  // With a share above 0, also OUT.clines.tsv: every locus's true v and
  // centre (1 and 0.5 where it follows the genome).
  ClineSettings clines;
};

enum class ParseOutcome { Run, Help, Error };

// Reads argv into options; on Error, message says what is wrong.
ParseOutcome parseOptions(int argc, const char* const argv[], Options& options,
                          std::string& message);

// The --help text.
const char* usageText();

}  // namespace parmix::sim

#endif
