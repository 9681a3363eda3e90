#ifndef PARMIX_TESTS_ONE_INDIVIDUAL_HPP
#define PARMIX_TESTS_ONE_INDIVIDUAL_HPP

// One individual and its parental frequencies, written locus by locus in a
// test and laid out in the arrays the model and the estimators take.

#include <gsl/gsl_math.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <utility>
#include <vector>

#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"
#include "input/data_set.hpp"
#include "model/compact_likelihood.hpp"
#include "model/likelihood.hpp"
#include "support/reference_objectives.hpp"

namespace parmix::test {

struct Locus {
  char type;
  int first;   // designations, or the phenotype and -9999 at a dominant locus
  int second;
  std::vector<double> r;  // allele frequencies in R (dominant: one entry)
  std::vector<double> s;  // the same in S
};

// Names a parameterised case in test output.
inline void PrintTo(const Locus& l, std::ostream* os) {
  *os << l.type << " locus with designations " << l.first << ", " << l.second;
}

inline Locus codominant(int a, int b, std::vector<double> r, std::vector<double> s) {
  return {'C', a, b, std::move(r), std::move(s)};
}
inline Locus dominant(int phenotype, double r, double s) {
  return {'D', phenotype, kMissing, {r}, {s}};
}

class Individual {
 public:
  explicit Individual(const std::vector<Locus>& loci) {
    const int n = static_cast<int>(loci.size());
    std::size_t width = 1;
    for (const Locus& l : loci) width = std::max({width, l.r.size(), l.s.size()});
    genotype_ = RowTable<int>(n, 2, kMissing);
    freqR_ = RowTable<double>(n, static_cast<int>(width), 0.0);
    freqS_ = RowTable<double>(n, static_cast<int>(width), 0.0);
    for (int i = 0; i < n; ++i) {
      types_.push_back(loci[i].type);
      genotype_.rows()[i][0] = loci[i].first;
      genotype_.rows()[i][1] = loci[i].second;
      std::copy(loci[i].r.begin(), loci[i].r.end(), freqR_.rows()[i]);
      std::copy(loci[i].s.begin(), loci[i].s.end(), freqS_.rows()[i]);
    }
    params_ = likelihoodParams();
  }
  Individual(const Individual&) = delete;
  Individual& operator=(const Individual&) = delete;

  int flat() { return testSurface(g(), r(), s(), types(), n(), nullptr); }
  double estimate() { return findmaxH(g(), r(), s(), types(), n(), nullptr); }
  double logL(double h) { return Likelihood(h, g(), r(), s(), types(), n()); }
  double bound(double maxLogL, double estimate, int direction, bool* truncated) {
    return findBound(g(), r(), s(), types(), n(), maxLogL, estimate, direction, truncated,
                     nullptr);
  }
  // The function whose root is a limit, with the drop the run uses.
  double ci(double h, double maxLogL) {
    BoundParams params = boundParams(maxLogL, 2.0);
    return ciFunction(h, &params);
  }
  // The objective the estimator minimises; valid while this object lives.
  gsl_function objective() { return {&maxFunction, &params_}; }

  LikelihoodParams likelihoodParams() { return {g(), r(), s(), types(), n()}; }
  BoundParams boundParams(double maxLogL, double supportDrop) {
    return {g(), r(), s(), types(), n(), maxLogL, supportDrop};
  }

 private:
  int** g() { return genotype_.rows(); }
  double** r() { return freqR_.rows(); }
  double** s() { return freqS_.rows(); }
  char* types() { return types_.data(); }
  int n() { return static_cast<int>(types_.size()); }

  RowTable<int> genotype_;
  RowTable<double> freqR_;
  RowTable<double> freqS_;
  std::vector<char> types_;
  LikelihoodParams params_{};
};

// The bits of a double, to compare sums for identity rather than closeness.
inline std::uint64_t bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// The same loci in the compact layout of one individual.
inline CompactIndividual layOut(const std::vector<Locus>& loci) {
  CompactIndividual layout;
  for (const Locus& l : loci) layout.addLocus(l.type, l.first, l.second, l.r.data(), l.s.data());
  return layout;
}

}  // namespace parmix::test

#endif
