#include "pedigree.hpp"

#include <algorithm>

#include "files.hpp"

namespace parmix::sim {

namespace {

// One copy handed on by a parent: either of its two, with equal chance.
bool gamete(Random& random, const Origins& parent) {
  return random.below(2) == 0 ? parent.firstFromR : parent.secondFromR;
}

int alleleFrom(Random& random, const std::vector<int>& cum) {
  const int x = static_cast<int>(random.below(kScale));
  int allele = 0;
  while (cum[allele] <= x) ++allele;
  return allele + 1;
}

std::string numbered(int number, int width) {
  std::string digits = std::to_string(number);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return "ind" + digits;
}

// A share of a count, in millionths rounded to nearest (halves up).
int millionths(long long count, long long total) {
  return static_cast<int>((2 * count * 1000000LL + total) / (2 * total));
}

}  // namespace

Swarm::Swarm(Random& random, int members, int generations)
    : members_(std::max(members, 2)),
      parents_(static_cast<std::size_t>(std::max(generations - 1, 0))) {
  for (std::vector<int>& generation : parents_) {
    generation.resize(2 * static_cast<std::size_t>(members_));
    for (int m = 0; m < members_; ++m) {
      const int a = static_cast<int>(random.below(static_cast<std::uint64_t>(members_)));
      int b = static_cast<int>(random.below(static_cast<std::uint64_t>(members_ - 1)));
      if (b >= a) ++b;
      generation[2 * m] = a;
      generation[2 * m + 1] = b;
    }
  }
}

void Swarm::drawLocus(Random& random, std::vector<Origins>& last) const {
  std::vector<Origins> current(static_cast<std::size_t>(members_), Origins{true, false});
  std::vector<Origins> next(current.size());
  for (const std::vector<int>& generation : parents_) {
    for (int m = 0; m < members_; ++m)
      next[m] = {gamete(random, current[generation[2 * m]]),
                 gamete(random, current[generation[2 * m + 1]])};
    current.swap(next);
  }
  last = current;
}

std::vector<PedigreeIndividual> drawPedigreeIndividuals(Random& random, const Options& options) {
  const std::vector<int> counts = apportionWeights(
      options.individuals, std::vector<double>(options.lineages.begin(), options.lineages.end()));
  std::vector<Lineage> lineages;
  for (int k = 0; k < kLineages; ++k)
    lineages.insert(lineages.end(), static_cast<std::size_t>(counts[k]), static_cast<Lineage>(k));
  for (std::size_t i = lineages.size(); i > 1; --i)
    std::swap(lineages[i - 1], lineages[random.below(i)]);
  const int width = std::max(4, static_cast<int>(std::to_string(options.individuals).size()));
  std::vector<PedigreeIndividual> individuals(lineages.size());
  int swarmMembers = 0;
  for (std::size_t j = 0; j < lineages.size(); ++j) {
    individuals[j].name = numbered(static_cast<int>(j) + 1, width);
    individuals[j].lineage = lineages[j];
    if (lineages[j] == Lineage::Later) individuals[j].swarmMember = swarmMembers++;
  }
  return individuals;
}

Origins drawOrigins(Random& random, Lineage lineage) {
  const auto half = [&random] { return random.below(2) == 0; };
  switch (lineage) {
    case Lineage::PureR: return {true, true};
    case Lineage::PureS: return {false, false};
    case Lineage::F1: return {true, false};
    case Lineage::F2: {
      const bool first = half();
      return {first, half()};
    }
    case Lineage::BCR: return {true, half()};
    case Lineage::BCS: return {false, half()};
    case Lineage::Later: break;
  }
  return {};
}

Designation drawPedigreeDesignation(Random& random, const Locus& locus,
                                    const std::vector<int>& cumR, const std::vector<int>& cumS,
                                    const Origins& origins, double missingShare,
                                    PedigreeIndividual& individual) {
  individual.copiesFromR += origins.firstFromR + origins.secondFromR;
  individual.mixedLoci += origins.firstFromR != origins.secondFromR;
  Designation d;
  if (missingShare > 0.0 && random.unit() < missingShare) {
    d.missing = true;
    return d;
  }
  const int a = alleleFrom(random, origins.firstFromR ? cumR : cumS);
  const int b = alleleFrom(random, origins.secondFromR ? cumR : cumS);
  if (locus.dominant) {
    d.first = (a == 1 || b == 1) ? 1 : 0;  // allele 1 is the dominant one
  } else {
    d.first = a;
    d.second = b;
  }
  return d;
}

std::string pedigreeTruthLine(const PedigreeIndividual& individual, int loci) {
  return individual.name + "\t" + formatMillionths(millionths(individual.copiesFromR, 2LL * loci)) +
         "\t" + formatMillionths(millionths(individual.mixedLoci, loci)) + "\t" +
         lineageName(individual.lineage) + "\n";
}

}  // namespace parmix::sim
