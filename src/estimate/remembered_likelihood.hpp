#ifndef PARMIX_ESTIMATE_REMEMBERED_LIKELIHOOD_HPP
#define PARMIX_ESTIMATE_REMEMBERED_LIKELIHOOD_HPP

// The points of one individual's log-likelihood of h evaluated so far, bit
// for bit, whatever layout evaluates them (certain genotypes, genotype
// likelihoods, uncertain frequencies).  The steps of a study (flatness,
// estimate, both limits) return to the same points (the ends, 0.5, the
// estimate) a dozen times in some fifty; a value at a given h is the same
// bits whichever step asks, so remembering it changes no result.
//
// The layout is reached through one function pointer per point, never per
// locus, so the loop over the loci stays the layout's own.  The owner (a
// worker of the study, a test) keeps one per thread; nothing is shared.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/likelihood_derivatives.hpp"

namespace parmix {

class RememberedLikelihood {
 public:
  RememberedLikelihood() = default;
  RememberedLikelihood(const RememberedLikelihood&) = delete;
  RememberedLikelihood& operator=(const RememberedLikelihood&) = delete;

  // Forgets the points of the previous individual and answers from now on
  // with LAYOUT's logLikelihood(h), whose terms() are its log calls, and
  // its derivatives(h, withValue).  The layout must outlive the calls to
  // at() and derivativesAt() until the next rememberFor().
  template <typename Layout>
  void rememberFor(const Layout& layout) {
    layout_ = &layout;
    evaluate_ = [](const void* l, double h) { return static_cast<const Layout*>(l)->logLikelihood(h); };
    derive_ = [](const void* l, double h, bool withValue) {
      return static_cast<const Layout*>(l)->derivatives(h, withValue);
    };
    terms_ = layout.terms();
    derived_.clear();
    undefined_ = false;
    seen_.clear();
  }
  // From now until the next rememberFor(), every value is NaN, as the
  // likelihood gives for a locus type it does not know.
  void rememberUndefined() {
    undefined_ = true;
    seen_.clear();
    derived_.clear();
  }

  // The log-likelihood at h, computed at most once per point and
  // individual (the first 512 points are kept).
  double at(double h);
  // The slope and curvature at h, with the value when WITHVALUE, in one
  // pass; the first 64 points are remembered (a search's limits start
  // where its estimate ended).  All NaN while undefined.
  LikelihoodDerivatives derivativesAt(double h, bool withValue);

  // Over the object's whole life: points at which the log-likelihood was
  // actually computed, and the log calls they took.
  std::size_t evaluations() const { return evaluations_; }
  std::uint64_t logCalls() const { return logCalls_; }
  // Passes over the loci of either kind: values and derivatives.
  std::size_t passes() const { return evaluations_ + derivativePasses_; }

 private:

  const void* layout_ = nullptr;
  double (*evaluate_)(const void*, double) = nullptr;
  LikelihoodDerivatives (*derive_)(const void*, double, bool) = nullptr;
  std::size_t terms_ = 0;
  bool undefined_ = false;
  std::vector<std::pair<std::uint64_t, double>> seen_;
  struct Derived {
    std::uint64_t key;
    bool withValue;
    LikelihoodDerivatives at;
  };
  std::vector<Derived> derived_;
  std::size_t evaluations_ = 0;
  std::size_t derivativePasses_ = 0;
  std::uint64_t logCalls_ = 0;
};

}  // namespace parmix

#endif
