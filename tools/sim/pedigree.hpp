#ifndef PARMIX_SIM_PEDIGREE_HPP
#define PARMIX_SIM_PEDIGREE_HPP

// Individuals of known pedigree: pure, F1, F2, the two backcrosses, and
// later generations of random mating in a hybrid swarm.  Each individual's
// two allele copies at a locus are drawn from ancestry states, locus by
// locus (the loci are unlinked), and the alleles then from the population
// each copy comes from.  The realised ancestry h (share of copies from R)
// and interclass heterozygosity H (share of loci with one copy from each)
// are counted as the loci are drawn.  No I/O here.

#include <array>
#include <string>
#include <vector>

#include "options.hpp"
#include "draws/random.hpp"
#include "simulation.hpp"

namespace parmix::sim {

// Where an individual's two copies at one locus come from.
struct Origins {
  bool firstFromR = false;
  bool secondFromR = false;
};

struct PedigreeIndividual {
  std::string name;
  Lineage lineage = Lineage::PureR;
  int swarmMember = -1;  // its place in the swarm's last generation (Later only)
  long long copiesFromR = 0;
  long long mixedLoci = 0;
};

// The mating of a hybrid swarm: generation 1 is `members` F1s; in every
// later generation each member has two distinct parents drawn at random
// from the one before.  Generation g is an F_g population.
class Swarm {
 public:
  Swarm(Random& random, int members, int generations);
  // The origins of the copies of every member of the last generation at
  // one locus, drawn through the whole pedigree.
  void drawLocus(Random& random, std::vector<Origins>& last) const;
  int members() const { return members_; }

 private:
  int members_;
  // parents_[g][2 * m], parents_[g][2 * m + 1]: the parents in generation
  // g of member m of generation g + 1.
  std::vector<std::vector<int>> parents_;
};

// The individuals in random order, lineages apportioned by options.lineages;
// the swarm members are numbered in the order they appear.
std::vector<PedigreeIndividual> drawPedigreeIndividuals(Random& random, const Options& options);

// The origins of one individual's copies at one locus, for the lineages of
// fixed pedigree (all but Later): a pure individual's copies all come from
// its population, an F1's one from each, an F2's each from R with chance
// 1/2, a backcross's one from the recurrent population and the other from
// R with chance 1/2.
Origins drawOrigins(Random& random, Lineage lineage);

// The designation of one individual at one locus, from its origins there;
// counts the origins into the individual's realised h and H.  A missing
// designation still counts: the truth is that of the individual.
Designation drawPedigreeDesignation(Random& random, const Locus& locus,
                                    const std::vector<int>& cumR, const std::vector<int>& cumS,
                                    const Origins& origins, double missingShare,
                                    PedigreeIndividual& individual);

// "name\th\thet\tlineage\n", h and het in millionths rounded to nearest.
std::string pedigreeTruthLine(const PedigreeIndividual& individual, int loci);

}  // namespace parmix::sim

#endif
