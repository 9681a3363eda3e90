// The passes built for processors with AVX2; only cline_passes.cpp, after
// asking the processor, hands them out.
#define PARMIX_PASSES_NAMESPACE avx2_build
#include "model/cline_passes_body.hpp"
