#include "model/cline_passes.hpp"

#define PARMIX_PASSES_NAMESPACE portable_build
#include "model/cline_passes_body.hpp"

namespace parmix::cline_passes {

#ifdef PARMIX_PASSES_AVX2
namespace avx2_build {
extern const Table table;
}
#endif

const Table& portable() { return portable_build::table; }

// Asked each time rather than remembered: the answer is read from what the
// C runtime found out about the processor at start-up, so it costs a load.
const Table* avx2() {
#ifdef PARMIX_PASSES_AVX2
  if (__builtin_cpu_supports("avx2")) return &avx2_build::table;
#endif
  return nullptr;
}

const Table& fastest() {
  const Table* wide = avx2();
  return wide ? *wide : portable();
}

double exponential(double x) { return portable_build::exponentialForTests(x); }

}  // namespace parmix::cline_passes
