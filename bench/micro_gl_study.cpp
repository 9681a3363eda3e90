// Microbenchmarks of one individual's whole study (flatness test, estimate,
// both support limits, with the layout built first) at the M tier's 5,000
// biallelic loci: the run's study of certain genotypes, and the studies
// with genotype likelihoods, with uncertain parental frequencies, and with
// both.  Each iteration is one individual.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "draws/random.hpp"
#include "draws/reads.hpp"
#include "estimate/gl_estimate.hpp"
#include "estimate/individual_context.hpp"
#include "model/gl_likelihood.hpp"

namespace {

constexpr int kLoci = 5000;
constexpr int kReferenceSamples = 5;

// A reproducible individual at h = 0.37: true frequencies, 5 reference
// samples per parent, its genotypes, and reads at depth 3 with 1% error.
struct Panel {
  Panel() {
    parmix::sim::Random random(5000);
    const double h = 0.37;
    for (int l = 0; l < kLoci; ++l) {
      const double r = 0.05 + 0.9 * random.unit(), s = 0.05 + 0.9 * random.unit();
      const std::vector<int> cr = parmix::sim::drawReferenceCounts(random, {r, 1 - r}, kReferenceSamples);
      const std::vector<int> cs = parmix::sim::drawReferenceCounts(random, {s, 1 - s}, kReferenceSamples);
      const double countsR[] = {double(cr[0]), double(cr[1])};
      const double countsS[] = {double(cs[0]), double(cs[1])};
      const parmix::FrequencyMoments mr = parmix::dirichletMoments(countsR, 2, 1.0);
      const parmix::FrequencyMoments ms = parmix::dirichletMoments(countsS, 2, 1.0);
      freqR.push_back({mr.mean[0], mr.mean[1]});
      freqS.push_back({ms.mean[0], ms.mean[1]});
      exact.push_back(parmix::SiteGenotypes::fromFrequencies(mr.mean.data(), ms.mean.data(), 2));
      uncertain.emplace_back(mr, ms);
      const double p = h * r + (1 - h) * s;
      const int first = random.unit() < p ? 0 : 1, second = random.unit() < p ? 0 : 1;
      genotypes.push_back({first, second});
      pl.push_back(parmix::sim::phredLikelihoods(
          parmix::sim::drawReads(random, first + second, 3.0, 0.01), 0.01));
    }
  }
  std::vector<std::array<double, 2>> freqR, freqS;
  std::vector<parmix::SiteGenotypes> exact, uncertain;
  std::vector<std::array<int, 2>> genotypes;
  std::vector<std::array<int, 3>> pl;
};

const Panel& panel() {
  static const Panel instance;
  return instance;
}

// The run's own study: the individual laid out in its context, then every
// step through that context.
void BM_PlainStudy(benchmark::State& state) {
  const Panel& p = panel();
  std::vector<int*> genotypeRows;
  std::vector<double*> rowsR, rowsS;
  std::vector<std::array<int, 2>> designations(kLoci);
  std::vector<std::array<double, 2>> freqR = p.freqR, freqS = p.freqS;
  for (int l = 0; l < kLoci; ++l) {
    designations[l] = {p.genotypes[l][0] + 1, p.genotypes[l][1] + 1};
    genotypeRows.push_back(designations[l].data());
    rowsR.push_back(freqR[l].data());
    rowsS.push_back(freqS[l].data());
  }
  std::vector<char> types(kLoci, 'C');
  parmix::IndividualContext context;
  for (auto _ : state) {
    context.layOut(genotypeRows.data(), rowsR.data(), rowsS.data(), types.data(), kLoci);
    benchmark::DoNotOptimize(parmix::studyLikelihood(context.points()));
  }
  state.SetLabel("one individual, 5,000 loci");
}
BENCHMARK(BM_PlainStudy);

// SITES: exact or uncertain frequencies; reads: PL or the certain genotype.
void glStudy(benchmark::State& state, const std::vector<parmix::SiteGenotypes>& sites, bool reads) {
  const Panel& p = panel();
  parmix::GlIndividual layout;
  layout.reserve(kLoci);
  double likelihoods[3];
  for (auto _ : state) {
    layout.clear();
    for (int l = 0; l < kLoci; ++l) {
      bool known = true;
      if (reads)
        known = parmix::likelihoodsFromPL(p.pl[l].data(), 3, likelihoods);
      else
        parmix::calledGenotypeLikelihoods(p.genotypes[l][0], p.genotypes[l][1], 2, likelihoods);
      layout.addSite(sites[l], known ? likelihoods : nullptr);
    }
    parmix::RememberedLikelihood points;
    benchmark::DoNotOptimize(parmix::studyGlIndividual(layout, points));
  }
  state.SetLabel("one individual, 5,000 loci");
}

void BM_CertainGenotypeLayoutStudy(benchmark::State& state) { glStudy(state, panel().exact, false); }
void BM_GenotypeLikelihoodStudy(benchmark::State& state) { glStudy(state, panel().exact, true); }
void BM_ReferenceUncertaintyStudy(benchmark::State& state) {
  glStudy(state, panel().uncertain, false);
}
void BM_BothCorrectionsStudy(benchmark::State& state) { glStudy(state, panel().uncertain, true); }
BENCHMARK(BM_CertainGenotypeLayoutStudy);
BENCHMARK(BM_GenotypeLikelihoodStudy);
BENCHMARK(BM_ReferenceUncertaintyStudy);
BENCHMARK(BM_BothCorrectionsStudy);

}  // namespace
