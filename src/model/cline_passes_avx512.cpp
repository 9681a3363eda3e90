// The passes built for processors with AVX-512 (F and DQ), eight
// individuals at a time; only cline_passes.cpp, after asking the
// processor, hands them out.
#define PARMIX_PASSES_NAMESPACE avx512_build
#define PARMIX_PASSES_WIDTH 8
#include "model/cline_passes_body.hpp"
