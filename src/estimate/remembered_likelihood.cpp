#include "estimate/remembered_likelihood.hpp"

#include <cstring>
#include <limits>

namespace parmix {

namespace {

// An individual takes a hundred points or so; only a solver that runs to
// its iteration limit takes thousands, and those are not worth remembering.
constexpr std::size_t kRemembered = 512;
// A Newton search takes some five points a step of the study.
constexpr std::size_t kDerivedRemembered = 64;

std::uint64_t bitsOf(double h) {
  std::uint64_t bits;
  std::memcpy(&bits, &h, sizeof bits);
  return bits;
}

}  // namespace

double RememberedLikelihood::at(double h) {
  if (undefined_ || evaluate_ == nullptr) return std::numeric_limits<double>::quiet_NaN();
  const std::uint64_t key = bitsOf(h);
  for (const auto& entry : seen_)
    if (entry.first == key) return entry.second;
  const double value = evaluate_(layout_, h);
  ++evaluations_;
  logCalls_ += terms_;
  if (seen_.size() < kRemembered) {
    if (seen_.capacity() == 0) seen_.reserve(128);
    seen_.emplace_back(key, value);
  }
  return value;
}

LikelihoodDerivatives RememberedLikelihood::derivativesAt(double h, bool withValue) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  if (undefined_ || derive_ == nullptr) return {nan, nan, nan, nan};
  const std::uint64_t key = bitsOf(h);
  for (const Derived& entry : derived_)
    if (entry.key == key && (entry.withValue || !withValue)) return entry.at;
  const LikelihoodDerivatives d = derive_(layout_, h, withValue);
  ++derivativePasses_;
  if (withValue) logCalls_ += terms_;
  if (derived_.size() < kDerivedRemembered) {
    if (derived_.capacity() == 0) derived_.reserve(kDerivedRemembered);
    derived_.push_back({key, withValue, d});
  }
  return d;
}

}  // namespace parmix
