// Microbenchmarks of the clines' passes over a locus's individuals, in
// each build the processor runs: ln L, ln L with its gradient and Hessian,
// and the upper bound over a rectangle.  The time per pass divided by the
// individuals is the cost of one individual's term.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "model/cline_passes.hpp"

namespace {

using parmix::cline_passes::Table;
using parmix::cline_passes::Terms;

// A reproducible locus of 1,000 individuals: logit h spread over the
// hybrids' range, the coefficients of two allele frequencies' products.
struct Columns {
  std::vector<double> logitH, rr, rs2, ss;
  Columns() {
    std::uint64_t state = 2026;
    auto unit = [&state] {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return 0.05 + 0.9 * static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int i = 0; i < 1000; ++i) {
      const double x = unit(), y = unit(), x2 = unit(), y2 = unit();
      logitH.push_back(12 * unit() - 6.6);
      rr.push_back(x * x2), rs2.push_back(x * y2 + x2 * y), ss.push_back(y * y2);
    }
  }
  Terms terms() const { return {logitH.data(), rr.data(), rs2.data(), ss.data(), logitH.size()}; }
};

const Table* build(int which) {
  if (which == 0) return &parmix::cline_passes::portable();
  return which == 1 ? parmix::cline_passes::avx2() : parmix::cline_passes::avx512();
}

const char* const kBuilds[] = {"portable", "avx2", "avx512"};

template <typename Pass>
void timePass(benchmark::State& state, Pass pass) {
  const Table* table = build(static_cast<int>(state.range(0)));
  if (table == nullptr) {
    state.SkipWithError("this processor has no such build");
    return;
  }
  state.SetLabel(kBuilds[state.range(0)]);
  const Columns columns;
  double v = 1.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(pass(*table, columns.terms(), v));
    v = v < 50 ? v * 1.5 : 1.0;  // a new point each pass, as a search asks
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(columns.logitH.size()));
}

void BM_ClineLogLikelihood(benchmark::State& state) {
  timePass(state, [](const Table& t, const Terms& terms, double v) {
    return t.logLikelihood(terms, v, 0.3);
  });
}
BENCHMARK(BM_ClineLogLikelihood)->DenseRange(0, 2);

void BM_ClineCurvature(benchmark::State& state) {
  timePass(state, [](const Table& t, const Terms& terms, double v) {
    return t.curvature(terms, v, 0.3).value;
  });
}
BENCHMARK(BM_ClineCurvature)->DenseRange(0, 2);

void BM_ClineUpperBound(benchmark::State& state) {
  timePass(state, [](const Table& t, const Terms& terms, double v) {
    return t.upperBound(terms, v, 2 * v, 0.1, 0.4);
  });
}
BENCHMARK(BM_ClineUpperBound)->DenseRange(0, 2);

}  // namespace
