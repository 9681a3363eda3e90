#ifndef PARMIX_SIM_RANDOM_HPP
#define PARMIX_SIM_RANDOM_HPP

// The simulator's only source of chance is the package's own generator,
// the one the clines' bootstrap draws with: the same seed gives the same
// files on every machine and with every standard library.

#include "estimate/random.hpp"

namespace parmix::sim {

using Random = parmix::Random;

}  // namespace parmix::sim

#endif
