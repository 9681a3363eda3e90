// Microbenchmarks of the log-likelihood per locus term: the straightforward
// Likelihood() over the run's arrays, and the compact layout the run uses.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "input/data_set.hpp"
#include "model/compact_likelihood.hpp"
#include "model/likelihood.hpp"

namespace {

// A reproducible individual: nine codominant loci in ten (two or three
// alleles), one dominant; 5% missing.  Linear congruential draws keep it
// the same everywhere.
struct Panel {
  explicit Panel(int nLoci)
      : n(nLoci), genotype(nLoci, 2), freqR(nLoci, 3, 0.0), freqS(nLoci, 3, 0.0),
        type(static_cast<std::size_t>(nLoci)) {
    std::uint64_t state = 12345;
    auto draw = [&state](int range) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(range));
    };
    for (int i = 0; i < n; ++i) {
      const bool dominant = draw(10) == 0;
      type[i] = dominant ? 'D' : 'C';
      const double a = 0.05 + 0.9 * draw(1000) / 1000.0;
      const double b = 0.05 + 0.9 * draw(1000) / 1000.0;
      freqR.rows()[i][0] = a;
      freqR.rows()[i][1] = 1 - a;
      freqS.rows()[i][0] = b;
      freqS.rows()[i][1] = 1 - b;
      const bool missing = draw(20) == 0;
      genotype.rows()[i][0] = missing ? parmix::kMissing : (dominant ? draw(2) : 1 + draw(2));
      genotype.rows()[i][1] = missing || dominant ? parmix::kMissing : 1 + draw(2);
    }
    layout.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
      layout.addLocus(type[i], genotype.rows()[i][0], genotype.rows()[i][1], freqR.rows()[i],
                      freqS.rows()[i]);
  }
  int n;
  parmix::RowTable<int> genotype;
  parmix::RowTable<double> freqR, freqS;
  std::vector<char> type;
  parmix::CompactIndividual layout;
};

void BM_Likelihood(benchmark::State& state) {
  Panel panel(static_cast<int>(state.range(0)));
  double h = 0.3;
  for (auto _ : state) {
    benchmark::DoNotOptimize(parmix::Likelihood(h, panel.genotype.rows(), panel.freqR.rows(),
                                                panel.freqS.rows(), panel.type.data(), panel.n));
    h = h < 0.9 ? h + 0.01 : 0.1;
  }
  state.SetItemsProcessed(state.iterations() * panel.n);
  state.SetLabel("items: loci");
}
BENCHMARK(BM_Likelihood)->Arg(1000)->Arg(50000);

void BM_CompactLikelihood(benchmark::State& state) {
  Panel panel(static_cast<int>(state.range(0)));
  double h = 0.3;
  for (auto _ : state) {
    benchmark::DoNotOptimize(panel.layout.logLikelihood(h));
    h = h < 0.9 ? h + 0.01 : 0.1;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(panel.layout.terms()));
  state.SetLabel("items: contributing loci");
}
BENCHMARK(BM_CompactLikelihood)->Arg(1000)->Arg(50000);

}  // namespace
