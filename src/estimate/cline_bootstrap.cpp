#include "estimate/cline_bootstrap.hpp"

#include <cmath>
#include <limits>
#include <vector>

#include "estimate/cline_fit.hpp"
#include "estimate/random.hpp"
#include "input/data_set.hpp"

namespace parmix {

namespace {

// The allele (1-based) of a copy whose parent has frequencies F over
// ALLELES alleles; a rounding shortfall of the row's sum falls to the last
// allele with a frequency above 0.
int drawAllele(const double* f, int alleles, double u) {
  int last = 1;
  for (int a = 0; a < alleles; ++a) {
    if (f[a] <= 0) continue;
    last = a + 1;
    if (u < f[a]) return last;
    u -= f[a];
  }
  return last;
}

// One individual's designations at the locus, each copy from R with
// chance H: a codominant locus's two alleles, a dominant one's band
// (present when either copy carries the dominant allele).
void drawGenotype(const ClineLocus& locus, int alleles, double h, Random& random, int* g) {
  const bool dominant = locus.type() == 'D';
  int copies[2];
  for (int& copy : copies) {
    const double* f = random.unit() < h ? locus.freqR() : locus.freqS();
    copy = dominant ? (random.unit() < f[0] ? 1 : 0) : drawAllele(f, alleles, random.unit());
  }
  if (dominant)
    g[0] = copies[0] == 1 || copies[1] == 1 ? 1 : 0, g[1] = kMissing;
  else
    g[0] = copies[0], g[1] = copies[1];
}

}  // namespace

double neutralBootstrapP(const ClineLocus& locus, int alleles, double lr,
                         const ClineBootstrap& settings, std::uint64_t stream) {
  const bool calls = locus.individuals() == static_cast<int>(locus.hybridIndices().size());
  if (std::isnan(lr) || settings.replicates < 1 || !calls)
    return std::numeric_limits<double>::quiet_NaN();
  Random random(settings.seed ^ (0x9E3779B97F4A7C15ull * (stream + 1)));
  const std::vector<double>& h = locus.hybridIndices();
  std::vector<ClineIndividual> individuals;
  for (double x : h) individuals.push_back(clineIndividual(x));
  std::vector<int> designations(2 * h.size());
  int atLeast = 0;
  for (int r = 0; r < settings.replicates; ++r) {
    ClineLocus replicate(locus.type(), locus.freqR(), locus.freqS());
    replicate.reserve(h.size());
    for (std::size_t i = 0; i < h.size(); ++i) {
      drawGenotype(locus, alleles, h[i], random, &designations[2 * i]);
      replicate.addIndividual(individuals[i], &designations[2 * i]);
    }
    const double replicateLr = clineLikelihoodRatio(replicate);
    if (replicateLr >= lr) ++atLeast;
  }
  return (1.0 + atLeast) / (1.0 + settings.replicates);
}

}  // namespace parmix
