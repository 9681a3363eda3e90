// The joint study of h and H (estimate, four profile limits, the test of
// the hybrid-index model and the six classes) against the hybrid-index
// study (estimate and two limits), per individual, on the same panels: the
// ratio of the two is what the joint analysis costs over the plain one.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "estimate/gl_estimate.hpp"
#include "estimate/individual_context.hpp"
#include "estimate/joint_study.hpp"
#include "input/data_set.hpp"
#include "model/joint_likelihood.hpp"

namespace {

// Reproducible draws, the same everywhere.
class Draws {
 public:
  int below(int range) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(range));
  }
  double unit() { return below(1 << 30) / double(1 << 30); }

 private:
  std::uint64_t state_ = 2024;
};

// Sixteen individuals of the six early-generation classes and of random
// ancestry, on one panel of two-allele codominant loci (one in ten
// dominant, 5% missing): each held in its own designations, as the
// hybrid-index study takes it, and laid out for the joint study.
struct Panel {
  explicit Panel(int loci)
      : freqR(loci, 2), freqS(loci, 2), locusType(static_cast<std::size_t>(loci)), joint(16) {
    for (int k = 0; k < 16; ++k) indGenotype.emplace_back(loci, 2);
    Draws draw;
    // Shares of loci with both copies from R and with one from each.
    const double states[16][2] = {{1, 0},       {0, 0},       {0, 1},     {0.25, 0.5},
                                  {0.5, 0.5},   {0, 0.5},     {0.3, 0.4}, {0.1, 0.2},
                                  {0.6, 0.3},   {0.2, 0.6},   {0.36, 0.48}, {0.04, 0.32},
                                  {0.81, 0.18}, {0.45, 0.1},  {0.15, 0.7}, {0.5, 0.25}};
    for (int i = 0; i < loci; ++i) {
      const bool dominant = draw.below(10) == 0;
      const char type = dominant ? 'D' : 'C';
      const double r = 0.02 + 0.96 * draw.unit(), s = 0.02 + 0.96 * draw.unit();
      locusType[static_cast<std::size_t>(i)] = type;
      double* rowR = freqR.rows()[i];
      double* rowS = freqS.rows()[i];
      rowR[0] = r, rowR[1] = 1 - r, rowS[0] = s, rowS[1] = 1 - s;
      for (int k = 0; k < 16; ++k) {
        const double u = draw.unit();
        const int fromR = u < states[k][0] ? 2 : (u < states[k][0] + states[k][1] ? 1 : 0);
        const int a = draw.unit() < (fromR >= 1 ? r : s) ? 1 : 2;
        const int b = draw.unit() < (fromR == 2 ? r : s) ? 1 : 2;
        int first = a, second = b;
        if (dominant) {
          first = (a == 1 || b == 1) ? 1 : 0;
          second = -9999;
        }
        if (draw.below(20) == 0) first = second = -9999;
        indGenotype[k].rows()[i][0] = first;
        indGenotype[k].rows()[i][1] = second;
        joint[k].addLocus(type, first, second, rowR, rowS);
      }
    }
  }
  parmix::RowTable<double> freqR, freqS;
  std::vector<char> locusType;
  std::vector<parmix::RowTable<int>> indGenotype;
  std::vector<parmix::JointIndividual> joint;
};

void BM_HybridIndexStudy(benchmark::State& state) {
  Panel panel(static_cast<int>(state.range(0)));
  const int loci = static_cast<int>(state.range(0));
  parmix::IndividualContext context;
  std::size_t k = 0;
  for (auto _ : state) {
    // As a worker takes each individual: its layout, then the study.
    int** g = panel.indGenotype[k].rows();
    context.layOut(g, panel.freqR.rows(), panel.freqS.rows(), panel.locusType.data(), loci);
    benchmark::DoNotOptimize(parmix::studyLikelihood(context.points()));
    k = (k + 1) % panel.indGenotype.size();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items: individuals");
}
BENCHMARK(BM_HybridIndexStudy)->Arg(500)->Arg(5000);

void BM_JointStudy(benchmark::State& state) {
  const Panel panel(static_cast<int>(state.range(0)));
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(parmix::studyJointIndividual(panel.joint[k]));
    k = (k + 1) % panel.joint.size();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items: individuals");
}
BENCHMARK(BM_JointStudy)->Arg(500)->Arg(5000);

}  // namespace
