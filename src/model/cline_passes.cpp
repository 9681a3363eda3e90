#include "model/cline_passes.hpp"

#define PARMIX_PASSES_NAMESPACE portable_build
#define PARMIX_PASSES_WIDTH 2
#include "model/cline_passes_body.hpp"

namespace parmix::cline_passes {

#ifdef PARMIX_PASSES_X86
namespace avx2_build {
extern const Table table;
}
namespace avx512_build {
extern const Table table;
}
#endif

const Table& portable() { return portable_build::table; }

// Asked each time rather than remembered: the answer is read from what the
// C runtime found out about the processor at start-up, so it costs a load.
const Table* avx2() {
#ifdef PARMIX_PASSES_X86
  if (__builtin_cpu_supports("avx2")) return &avx2_build::table;
#endif
  return nullptr;
}

const Table* avx512() {
#ifdef PARMIX_PASSES_X86
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq"))
    return &avx512_build::table;
#endif
  return nullptr;
}

const Table& fastest() {
  if (const Table* widest = avx512()) return *widest;
  if (const Table* wide = avx2()) return *wide;
  return portable();
}

double exponential(double x) { return portable_build::exponentialForTests(x); }

}  // namespace parmix::cline_passes
