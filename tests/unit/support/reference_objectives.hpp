#ifndef PARMIX_TESTS_REFERENCE_OBJECTIVES_HPP
#define PARMIX_TESTS_REFERENCE_OBJECTIVES_HPP

// The straightforward objectives of the searches, maxFunction and
// ciFunction of the model: the run evaluates an individual's compact layout
// instead; the tests run the same searches on these to show that the
// layout changes no point asked for and no bit of a result.

#include "model/likelihood.hpp"

#endif
