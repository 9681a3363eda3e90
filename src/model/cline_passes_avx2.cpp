// The passes built for processors with AVX2, four individuals at a time;
// only cline_passes.cpp, after asking the processor, hands them out.
#define PARMIX_PASSES_NAMESPACE avx2_build
#define PARMIX_PASSES_WIDTH 4
#include "model/cline_passes_body.hpp"
