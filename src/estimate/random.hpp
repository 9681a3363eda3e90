#ifndef PARMIX_ESTIMATE_RANDOM_HPP
#define PARMIX_ESTIMATE_RANDOM_HPP

// The only source of chance of the package (the clines' bootstrap) and of
// the simulator, the tests and the benchmarks (through lib/draws).  The
// same seed must give the same draws on every machine and with every
// standard library, so nothing here leans on std::*_distribution (whose
// algorithms the library chooses) or on transcendental functions (whose
// last bits the C library chooses): draws are 64-bit integers, turned into
// numbers by exact integer arithmetic.

#include <cstdint>

namespace parmix {

// xoshiro256** seeded through splitmix64: small, fast and fully specified.
class Random {
 public:
  explicit Random(std::uint64_t seed) {
    for (std::uint64_t& word : state_) word = splitMix(seed);
  }

  std::uint64_t next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

  // Uniform in 0 .. n-1 (n > 0), without the bias of a bare modulo.
  std::uint64_t below(std::uint64_t n) {
    const std::uint64_t threshold = (0 - n) % n;
    for (;;) {
      const std::uint64_t x = next();
      if (x >= threshold) return x % n;
    }
  }

  // Uniform in [0, 1) on the grid of 2^-53: exact, so comparing it with a
  // probability gives the same answer everywhere.
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  static std::uint64_t splitMix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  std::uint64_t state_[4];
};

}  // namespace parmix

#endif
