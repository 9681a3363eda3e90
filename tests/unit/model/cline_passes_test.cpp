#include "model/cline_passes.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace parmix::cline_passes {
namespace {

// Terms as columns, drawn at random: logit h over the range hybrids take,
// the coefficients of products of two probabilities.
struct Columns {
  std::vector<double> logitH, rr, rs2, ss;
  Terms terms() const { return {logitH.data(), rr.data(), rs2.data(), ss.data(), logitH.size()}; }
};

Columns randomColumns(std::size_t count, unsigned seed) {
  std::mt19937_64 draw(seed);
  std::uniform_real_distribution<double> logitH(-9, 9), frequency(0.001, 0.999);
  Columns c;
  for (std::size_t i = 0; i < count; ++i) {
    const double x = frequency(draw), y = frequency(draw), x2 = frequency(draw), y2 = frequency(draw);
    c.logitH.push_back(logitH(draw));
    c.rr.push_back(x * x2);
    c.rs2.push_back(x * y2 + x2 * y);
    c.ss.push_back(y * y2);
  }
  return c;
}

// ln L term by term, with the library's exp and log: what the passes must
// give whatever their order of work.
double directLogLikelihood(const Columns& c, double v, double logitCentre) {
  double sum = 0;
  for (std::size_t i = 0; i < c.logitH.size(); ++i) {
    const double phi = 1.0 / (1.0 + std::exp(-v * (c.logitH[i] - logitCentre)));
    const double rest = 1.0 / (1.0 + std::exp(v * (c.logitH[i] - logitCentre)));
    sum += std::log(c.rr[i] * phi * phi + c.rs2[i] * phi * rest + c.ss[i] * rest * rest);
  }
  return sum;
}

std::uint64_t bitsOf(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

TEST(ClinePassesExponential, WithinTwoUlpsDownToTheSubnormals) {
  std::mt19937_64 draw(7);
  std::uniform_real_distribution<double> x(-760, 0);
  std::vector<double> points = {0.0, -1e-300, -1e-10, -0.3465, -0.3466, -1, -10, -100, -700,
                                -708.39, -708.4, -709, -740, -745.1, -745.2, -746, -760, -2000};
  for (int k = 0; k < 100000; ++k) points.push_back(x(draw));
  for (double p : points) {
    const double expected = std::exp(p), got = exponential(p);
    if (expected >= DBL_MIN)
      EXPECT_NEAR(got, expected, 2 * DBL_EPSILON * expected) << p;
    else  // a subnormal has an absolute grid: at most one step of it off
      EXPECT_LE(std::fabs(got - expected), 4.95e-324) << p;
  }
  EXPECT_EQ(exponential(0.0), 1.0);
  EXPECT_EQ(exponential(-2000.0), 0.0);
}

// Counts below, at and above a multiple of the lanes, and points from the
// neutral cline to the box's corners.
TEST(ClinePasses, AgreeWithTermByTermSums) {
  const double points[][2] = {{1, 0}, {0.01, -6.9}, {100, 6.9}, {3.7, -0.4}, {100, -6.9}};
  for (std::size_t count : {1u, 3u, 4u, 5u, 8u, 1001u}) {
    const Columns c = randomColumns(count, static_cast<unsigned>(count));
    for (const auto& p : points) {
      const double expected = directLogLikelihood(c, p[0], p[1]);
      const double tolerance = 1e-13 * (1 + std::fabs(expected));
      EXPECT_NEAR(portable().logLikelihood(c.terms(), p[0], p[1]), expected, tolerance)
          << count << " terms at v " << p[0] << ", c " << p[1];
      EXPECT_NEAR(portable().curvature(c.terms(), p[0], p[1]).value, expected, tolerance);
    }
  }
  EXPECT_EQ(portable().logLikelihood(Terms{nullptr, nullptr, nullptr, nullptr, 0}, 2, 0), 0.0);
}

// The gradient and Hessian on (ln v, logit centre) against central
// differences of ln L and of the gradient.
TEST(ClinePasses, DerivativesMatchDifferences) {
  const Columns c = randomColumns(203, 11);
  const double step = 1e-5;
  for (const auto& p : {std::pair<double, double>{0.3, 0.2}, {-1.2, -1.5}, {2.5, 0.7}}) {
    const auto at = [&](double s, double centre) { return portable().curvature(c.terms(), std::exp(s), centre); };
    const Curvature here = at(p.first, p.second);
    const Curvature sUp = at(p.first + step, p.second), sDown = at(p.first - step, p.second);
    const Curvature cUp = at(p.first, p.second + step), cDown = at(p.first, p.second - step);
    const double gs = (sUp.value - sDown.value) / (2 * step);
    const double gc = (cUp.value - cDown.value) / (2 * step);
    EXPECT_NEAR(here.gradient[0], gs, 1e-5 * (1 + std::fabs(gs)));
    EXPECT_NEAR(here.gradient[1], gc, 1e-5 * (1 + std::fabs(gc)));
    const double hss = (sUp.gradient[0] - sDown.gradient[0]) / (2 * step);
    const double hsc = (cUp.gradient[0] - cDown.gradient[0]) / (2 * step);
    const double hcc = (cUp.gradient[1] - cDown.gradient[1]) / (2 * step);
    EXPECT_NEAR(here.hessian[0][0], hss, 1e-5 * (1 + std::fabs(hss)));
    EXPECT_NEAR(here.hessian[0][1], hsc, 1e-5 * (1 + std::fabs(hsc)));
    EXPECT_EQ(here.hessian[1][0], here.hessian[0][1]);
    EXPECT_NEAR(here.hessian[1][1], hcc, 1e-5 * (1 + std::fabs(hcc)));
  }
}

// The bound holds at every point of its rectangle, corners included, and
// is reached where the rectangle is a point.
TEST(ClinePasses, UpperBoundHoldsOverItsRectangle) {
  const Columns c = randomColumns(157, 3);
  std::mt19937_64 draw(5);
  std::uniform_real_distribution<double> unit(0, 1);
  const double rectangles[][4] = {{-4.6, 4.6, -6.9, 6.9}, {0, 0.5, -0.2, 0.3}, {4.6, 4.6, 1, 1.1}};
  for (const auto& r : rectangles) {
    const double bound = portable().upperBound(c.terms(), std::exp(r[0]), std::exp(r[1]), r[2], r[3]);
    for (int k = 0; k < 200; ++k) {
      const double s = r[0] + (r[1] - r[0]) * (k < 4 ? k / 2 : unit(draw));
      const double centre = r[2] + (r[3] - r[2]) * (k < 4 ? k % 2 : unit(draw));
      EXPECT_GE(bound, portable().logLikelihood(c.terms(), std::exp(s), centre) - 1e-12)
          << "s " << s << " centre " << centre;
    }
  }
  EXPECT_NEAR(portable().upperBound(c.terms(), 2, 2, 0.5, 0.5),
              portable().logLikelihood(c.terms(), 2, 0.5), 1e-12);
}

// A probability too small for the running products is summed by its own
// logarithm, its derivatives by plain quotients; a zero one makes ln L
// -inf.
TEST(ClinePasses, ProbabilitiesBeyondTheProductsRange) {
  Columns c = randomColumns(6, 9);
  c.logitH[2] = 8, c.rr[2] = 1e-315, c.rs2[2] = 0, c.ss[2] = 0;  // P a subnormal
  // A subnormal holds some 30 bits: the order of its products moves its
  // logarithm by up to 2^-30.
  const double expected = directLogLikelihood(c, 1, 0);
  EXPECT_NEAR(portable().logLikelihood(c.terms(), 1, 0), expected, 1e-8);
  const Curvature at = portable().curvature(c.terms(), 1, 0);
  EXPECT_NEAR(at.value, expected, 1e-8);
  EXPECT_TRUE(std::isfinite(at.gradient[0]) && std::isfinite(at.hessian[1][1]));
  c.rr[2] = 0;
  c.logitH[2] = 800;  // phi is 1 exactly: the term's probability is 0
  EXPECT_EQ(portable().logLikelihood(c.terms(), 1, 0), -INFINITY);
}

// The AVX2 and AVX-512 builds must give the portable build's bits: a
// result may not depend on the processor it was computed on.
class EveryBuild : public testing::TestWithParam<const char*> {};

TEST_P(EveryBuild, GivesThePortableBuildsBits) {
  const Table* wide = GetParam() == std::string("avx2") ? avx2() : avx512();
  if (!wide) GTEST_SKIP() << "no " << GetParam() << " build or processor here";
  for (std::size_t count : {1u, 7u, 64u, 999u}) {
    Columns c = randomColumns(count, 100 + static_cast<unsigned>(count));
    if (count == 7) c.rr[3] = 1e-310, c.logitH[3] = 30;  // an unusual probability
    for (const auto& p : {std::pair<double, double>{1, 0}, {0.01, 3}, {100, -0.2}}) {
      EXPECT_EQ(bitsOf(wide->logLikelihood(c.terms(), p.first, p.second)),
                bitsOf(portable().logLikelihood(c.terms(), p.first, p.second)));
      const Curvature a = wide->curvature(c.terms(), p.first, p.second);
      const Curvature b = portable().curvature(c.terms(), p.first, p.second);
      EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << count << " terms";
      EXPECT_EQ(bitsOf(wide->upperBound(c.terms(), p.first, 2 * p.first, p.second, p.second + 1)),
                bitsOf(portable().upperBound(c.terms(), p.first, 2 * p.first, p.second, p.second + 1)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ClinePasses, EveryBuild, testing::Values("avx2", "avx512"));

}  // namespace
}  // namespace parmix::cline_passes
