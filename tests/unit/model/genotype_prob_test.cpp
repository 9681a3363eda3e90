#include "model/genotype_prob.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace parmix {
namespace {

TEST(GenotypeProb, WorkedValues) {
  EXPECT_NEAR(fCod11(1, 0.3, 0.9), std::log(0.09), 1e-12);
  EXPECT_NEAR(multAlleleHet(0.5, 0.2, 0.4, 0.6, 0.0), std::log(0.16), 1e-12);
}

}  // namespace
}  // namespace parmix
