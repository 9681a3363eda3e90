#include "pedigree_run.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "files.hpp"
#include "pedigree.hpp"
#include "simulation.hpp"

namespace parmix::sim {

namespace {

struct Population {
  std::vector<PedigreeIndividual> individuals;
  std::unique_ptr<Swarm> swarm;  // none when no individual is of a later generation
  std::vector<Origins> swarmOrigins;
};

void simulateLocus(Random& random, const Options& options, int index, bool dominant,
                   Population& population, OutputFile& parental, OutputFile& sample) {
  const int alleles = dominant ? 2 : drawAlleleCount(random, options);
  const Locus locus = drawLocus(random, dominant, alleles, options.differentiation);
  const std::string name = locusName(index, options.loci);
  parental.write(parentalLine(name, locus));
  const std::vector<int> cumR = cumulative(locus, true);
  const std::vector<int> cumS = cumulative(locus, false);
  if (population.swarm) population.swarm->drawLocus(random, population.swarmOrigins);
  std::string line = name + " #";
  for (PedigreeIndividual& individual : population.individuals) {
    const Origins origins = individual.lineage == Lineage::Later
                                ? population.swarmOrigins[individual.swarmMember]
                                : drawOrigins(random, individual.lineage);
    line += ' ';
    appendDesignation(line, locus,
                      drawPedigreeDesignation(random, locus, cumR, cumS, origins,
                                              options.missingShare, individual));
  }
  sample.write(line + "\n");
}

std::string header(const Options& options, const std::vector<PedigreeIndividual>& individuals) {
  std::vector<Individual> named(individuals.size());
  for (std::size_t j = 0; j < individuals.size(); ++j) named[j].name = individuals[j].name;
  return individualHeader(options, named);
}

}  // namespace

int simulatePedigree(const Options& options) {
  const std::string paths[] = {options.prefix + ".parental.txt",
                               options.prefix + ".individuals.txt", options.prefix + ".truth.tsv"};
  OutputFile parental(paths[0]);
  OutputFile sample(paths[1]);
  OutputFile truth(paths[2]);
  OutputFile* files[] = {&parental, &sample, &truth};
  for (int f = 0; f < 3; ++f) {
    if (!files[f]->isOpen()) {
      std::fprintf(stderr, "parmix-sim: cannot open %s for writing\n", paths[f].c_str());
      return 1;
    }
  }
  Random random(options.seed);
  Population population;
  population.individuals = drawPedigreeIndividuals(random, options);
  int members = 0;
  for (const PedigreeIndividual& individual : population.individuals)
    members += individual.lineage == Lineage::Later;
  if (members > 0) population.swarm = std::make_unique<Swarm>(random, members, options.generations);
  const std::vector<bool> dominant = drawDominantLoci(random, options.loci, options.dominantShare);
  parental.write(parentalHeader(options));
  sample.write(header(options, population.individuals));
  for (int i = 0; i < options.loci; ++i)
    simulateLocus(random, options, i, dominant[i], population, parental, sample);
  // The realised values are known only once every locus is drawn.
  truth.write("name\th\thet\tkind\n");
  for (const PedigreeIndividual& individual : population.individuals)
    truth.write(pedigreeTruthLine(individual, options.loci));
  bool ok = true;
  for (int f = 0; f < 3; ++f) {
    if (!files[f]->close()) {
      std::fprintf(stderr, "parmix-sim: %s could not be written completely\n", paths[f].c_str());
      ok = false;
    }
  }
  return ok ? 0 : 1;
}

}  // namespace parmix::sim
