// The joint analysis under the corrections.  A joint layout taken from the
// corrected terms is checked against the plain layout and the model written
// out in the test (certain calls, exact frequencies), and against the
// hybrid-index model on the curve H = 2h(1 - h) (uncertain likelihoods,
// Dirichlet and Beta posteriors).  The corrected estimates with nothing
// uncertain are checked against the plain analyses, dominant loci included.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "estimate/study.hpp"
#include "input/compact_genotypes.hpp"
#include "model/joint_likelihood.hpp"
#include "support/expected_genotypes.hpp"
#include "support/joint_reference.hpp"

namespace parmix {
namespace {

using test::Locus;

constexpr double kRelative = 1e-12;
constexpr double kEstimateTolerance = 1e-6;

// The site of a locus with its frequencies taken as exact; an excluded
// locus gets one too, as the panel holds a site for every locus.
SiteGenotypes exactSite(const Locus& l) {
  if (l.type == 'D')
    return SiteGenotypes::dominant(exactPhenotypeMoments(l.r[0]), exactPhenotypeMoments(l.s[0]));
  return SiteGenotypes::fromFrequencies(l.r.data(), l.s.data(), static_cast<int>(l.r.size()));
}

// One individual's loci as both analyses take them: the corrected panel's
// sites and types, and the plain analysis's frequency rows, with the
// individual's designations.
class LociPanel {
 public:
  explicit LociPanel(const std::vector<Locus>& loci) {
    const int n = static_cast<int>(loci.size());
    std::size_t width = 1;
    for (const Locus& l : loci) width = std::max(width, l.r.size());
    genotype_ = RowTable<int>(n, 2, kMissing);
    freqR_ = RowTable<double>(n, static_cast<int>(width), 0.0);
    freqS_ = RowTable<double>(n, static_cast<int>(width), 0.0);
    for (int i = 0; i < n; ++i) {
      const Locus& l = loci[static_cast<std::size_t>(i)];
      types_.push_back(l.type);
      sites_.push_back(exactSite(l));
      genotype_.rows()[i][0] = l.first;
      genotype_.rows()[i][1] = l.second;
      std::copy(l.r.begin(), l.r.end(), freqR_.rows()[i]);
      std::copy(l.s.begin(), l.s.end(), freqS_.rows()[i]);
    }
  }

  int loci() const { return static_cast<int>(types_.size()); }
  int** designations() { return genotype_.rows(); }
  ParentalModel corrected() { return ParentalModel(types_.data(), nullptr, nullptr, &sites_); }
  ParentalModel parents() { return ParentalModel(types_.data(), freqR_.rows(), freqS_.rows()); }
  // The individual as the study takes it: a matrix of one.
  MatrixIndividuals individual() { return MatrixIndividuals(genotype_.rows(), loci(), 1); }

  // The one row of the study of the individual under MODEL.
  template <typename Model>
  typename Model::Row study(const ParentalModel& parents, const Model& model) {
    return studyIndividuals(individual(), parents, model, StudySettings(1)).at(0);
  }

 private:
  std::vector<SiteGenotypes> sites_;
  std::vector<char> types_;
  RowTable<int> genotype_;
  RowTable<double> freqR_;
  RowTable<double> freqS_;
};

// Points spread over the triangle, its sides and corners included.
std::vector<std::pair<double, double>> trianglePoints() {
  std::vector<std::pair<double, double>> points;
  for (int j = 0; j <= 8; ++j)
    for (int i = 0; i <= 8; ++i) {
      const double het = j / 8.0;
      points.emplace_back(het / 2 + (1 - het) * i / 8.0, het);
    }
  return points;
}

void expectRelativelyNear(double expected, double actual, const char* what, double h, double het) {
  EXPECT_NEAR(actual, expected, kRelative * std::fabs(expected))
      << what << " at (" << h << ", " << het << ")";
}

struct LayoutCase {
  const char* name;
  std::vector<Locus> loci;
  std::size_t terms;
  bool hasData;
};

std::vector<LayoutCase> layoutCases() {
  using test::codominant;
  using test::dominant;
  return {
      {"codominant",
       {codominant(1, 1, {0.3, 0.7}, {0.9, 0.1}), codominant(2, 1, {0.2, 0.5, 0.3}, {0.6, 0.1, 0.3}),
        codominant(3, 3, {0.2, 0.5, 0.3}, {0.05, 0.05, 0.9}),
        codominant(1, 4, {0.1, 0.2, 0.3, 0.4}, {0.4, 0.3, 0.2, 0.1})},
       4,
       true},
      {"dominant",
       {dominant(1, 0.8, 0.2), dominant(0, 0.8, 0.2), dominant(1, 0.05, 0.6), dominant(0, 0.3, 0.9)},
       4,
       true},
      {"mixed, with missing and excluded loci",
       {codominant(1, 2, {0.3, 0.7}, {0.9, 0.1}), dominant(kMissing, 0.5, 0.1),
        {'B', 1, 2, {0.5, 0.5}, {0.5, 0.5}}, dominant(0, 0.7, 0.15),
        codominant(kMissing, kMissing, {0.5, 0.5}, {0.1, 0.9}),
        codominant(3, 1, {0.1, 0.1, 0.8}, {0.4, 0.4, 0.2})},
       3,
       true},
      {"nothing but missing designations",
       {dominant(kMissing, 0.5, 0.1), codominant(kMissing, kMissing, {0.5, 0.5}, {0.1, 0.9})},
       0,
       false},
  };
}

// With certain calls and exact frequencies every term is the plain
// layout's: the genotype's Hardy-Weinberg probability under each state.
TEST(CorrectedJoint, LayoutFromCertainCallsIsThePlainLayout) {
  GlIndividual terms;
  JointIndividual joint;
  std::vector<double> scratch;
  for (const LayoutCase& c : layoutCases()) {
    SCOPED_TRACE(c.name);
    LociPanel panel(c.loci);
    layOutCorrectedIndividual(panel.designations(), 0, panel.corrected(), nullptr, terms, scratch);
    layOutJointFromTerms(terms, joint);
    const JointIndividual plain = test::layOutJoint(c.loci);
    EXPECT_EQ(joint.terms(), c.terms);
    EXPECT_EQ(joint.terms(), plain.terms());
    EXPECT_EQ(joint.hasData(), c.hasData);
    EXPECT_EQ(terms.hasData(), c.hasData);
    for (const auto& [h, het] : trianglePoints()) {
      const double expected = test::referenceJointLogL(h, het, c.loci);
      expectRelativelyNear(expected, joint.logLikelihood(h, het), "joint", h, het);
      expectRelativelyNear(plain.logLikelihood(h, het), joint.logLikelihood(h, het), "plain", h,
                           het);
    }
  }
}

// Random genotype likelihoods with some genotypes ruled out (likelihood
// 0), never all zero.
std::vector<double> randomLikelihoods(std::mt19937_64& rng, int genotypes) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<double> out(static_cast<std::size_t>(genotypes));
  for (double& x : out) x = u(rng) < 0.2 ? 0.0 : u(rng);
  out[static_cast<std::size_t>(rng() % out.size())] = 1.0;
  return out;
}

// Allele counts of a small reference sample.
std::vector<double> randomCounts(std::mt19937_64& rng, int alleles) {
  std::vector<double> counts(static_cast<std::size_t>(alleles));
  for (double& c : counts) c = static_cast<double>(rng() % 7);
  return counts;
}

struct CurveCase {
  const char* name;
  int alleles;  // 0: dominant loci
  int sites;
};

// E[P(g | h)] = h^2 E[P(g|RR)] + 2h(1 - h) E[P(g|RS)] + (1 - h)^2 E[P(g|SS)]
// for every genotype (the squares of h r + (1 - h) s expanded, r and s
// independent), so on H = 2h(1 - h) the joint term is the hybrid-index term
// under the same likelihoods and posteriors.
TEST(CorrectedJoint, OnTheCurveTheJointLayoutIsTheHybridIndexModel) {
  const CurveCase cases[] = {{"two alleles", 2, 60}, {"three alleles", 3, 40},
                             {"four alleles", 4, 30}, {"dominant", 0, 60}};
  std::mt19937_64 rng(11);
  GlIndividual terms;
  JointIndividual joint;
  for (const CurveCase& c : cases) {
    SCOPED_TRACE(c.name);
    terms.clear();
    for (int i = 0; i < c.sites; ++i) {
      if (c.alleles == 0) {
        const SiteGenotypes site = SiteGenotypes::dominant(
            betaPhenotypeMoments(static_cast<double>(rng() % 9), static_cast<double>(rng() % 9), 0.5),
            betaPhenotypeMoments(static_cast<double>(rng() % 9), static_cast<double>(rng() % 9), 0.5));
        std::vector<double> phenotype(3);
        phenotypeLikelihoods(rng() % 2 == 0, phenotype.data());
        terms.addSite(site, phenotype.data());
        continue;
      }
      const SiteGenotypes site(dirichletMoments(randomCounts(rng, c.alleles).data(), c.alleles, 0.5),
                               dirichletMoments(randomCounts(rng, c.alleles).data(), c.alleles, 0.5));
      terms.addSite(site, randomLikelihoods(rng, genotypeCount(c.alleles)).data());
    }
    layOutJointFromTerms(terms, joint);
    ASSERT_EQ(joint.terms(), terms.terms());
    for (double h : {0.02, 0.2, 0.5, 0.63, 0.9, 0.98}) {
      const double het = 2 * h * (1 - h);
      const double expected = terms.logLikelihood(h);
      expectRelativelyNear(expected, joint.logLikelihood(h, het), "on the curve", h, het);
      expectRelativelyNear(expected, joint.hybridIndexLogLikelihood(h), "curve layout", h, het);
    }
    for (const auto& [h, het] : trianglePoints())
      expectRelativelyNear(terms.jointLogLikelihood(h, het), joint.logLikelihood(h, het),
                           "off the curve", h, het);
  }
}

TEST(CorrectedJoint, SitesWithoutReadsAreDataWithoutATerm) {
  const Locus l = test::codominant(1, 2, {0.3, 0.7}, {0.9, 0.1});
  const SiteGenotypes site = exactSite(l);
  const double flat[3] = {1.0, 1.0, 1.0};
  GlIndividual terms;
  terms.addSite(site, flat);
  JointIndividual joint;
  layOutJointFromTerms(terms, joint);
  EXPECT_TRUE(joint.hasData());
  EXPECT_EQ(joint.terms(), 0u);
  // A layout used before keeps nothing of it.
  terms.clear();
  layOutJointFromTerms(terms, joint);
  EXPECT_FALSE(joint.hasData());
}

// Loci of two to four alleles and dominant ones, every eighth excluded.
std::vector<Locus> randomLoci(std::mt19937_64& rng, int n, bool withDominant) {
  std::uniform_real_distribution<double> u(0.03, 1.0);
  std::vector<Locus> loci;
  for (int i = 0; i < n; ++i) {
    if (withDominant && i % 3 == 0) {
      loci.push_back(test::dominant(kMissing, u(rng), u(rng)));
      continue;
    }
    const int k = 2 + i % 3;
    std::vector<double> r(static_cast<std::size_t>(k)), s(r.size());
    double sumR = 0.0, sumS = 0.0;
    for (std::size_t a = 0; a < r.size(); ++a) {
      sumR += r[a] = u(rng);
      sumS += s[a] = u(rng);
    }
    for (std::size_t a = 0; a < r.size(); ++a) {
      r[a] /= sumR;
      s[a] /= sumS;
    }
    loci.push_back({i % 8 == 7 ? 'B' : 'C', kMissing, kMissing, r, s});
  }
  return loci;
}

// An individual drawn at (h, H), some of its designations missing.
void drawIndividual(std::mt19937_64& rng, double h, double het, std::vector<Locus>& loci) {
  const test::StateWeights w = test::weightsOf(h, het);
  for (Locus& l : loci) {
    test::drawGenotype(rng, test::drawState(rng, w), l);
    if (rng() % 20 == 0) l.first = l.second = kMissing;
  }
}

bool sameOrBothNaN(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::fabs(a - b) <= kEstimateTolerance;
}

void expectSameJointRow(const JointEstimate& expected, const JointEstimate& actual) {
  const double pairs[][2] = {{expected.h, actual.h},
                             {expected.hLower, actual.hLower},
                             {expected.hUpper, actual.hUpper},
                             {expected.het, actual.het},
                             {expected.hetLower, actual.hetLower},
                             {expected.hetUpper, actual.hetUpper},
                             {expected.maxLogL, actual.maxLogL},
                             {expected.hybridIndexH, actual.hybridIndexH},
                             {expected.hybridIndexLogL, actual.hybridIndexLogL}};
  for (const auto& pair : pairs)
    EXPECT_TRUE(sameOrBothNaN(pair[0], pair[1])) << pair[0] << " against " << pair[1];
  for (std::size_t k = 0; k < expected.classLogL.size(); ++k)
    EXPECT_TRUE(sameOrBothNaN(expected.classLogL[k], actual.classLogL[k]) ||
                expected.classLogL[k] == actual.classLogL[k])
        << "class " << k;
  for (int side : {0, 1}) {
    EXPECT_EQ(expected.hCut[side], actual.hCut[side]);
    EXPECT_EQ(expected.hetCut[side], actual.hetCut[side]);
  }
  EXPECT_EQ(expected.bestClass, actual.bestClass);
  EXPECT_EQ(expected.assigned, actual.assigned);
}

// The class points, a point inside and one near a side.
const std::pair<double, double> kDrawPoints[] = {{1.0, 0.0}, {0.0, 0.0},  {0.5, 1.0}, {0.5, 0.5},
                                                 {0.75, 0.5}, {0.25, 0.5}, {0.4, 0.3}, {0.85, 0.05}};

TEST(CorrectedJoint, CertainCallsAndExactFrequenciesGiveThePlainJointEstimate) {
  std::mt19937_64 rng(7);
  for (bool withDominant : {false, true}) {
    for (const auto& [h, het] : kDrawPoints) {
      SCOPED_TRACE(::testing::Message() << "drawn at (" << h << ", " << het << ")"
                                        << (withDominant ? " with dominant loci" : ""));
      std::vector<Locus> loci = randomLoci(rng, 150, withDominant);
      drawIndividual(rng, h, het, loci);
      LociPanel panel(loci);
      const JointEstimate expected = panel.study(panel.parents(), JointModel());
      const JointEstimate actual = panel.study(panel.corrected(), JointModel());
      ASSERT_FALSE(std::isnan(expected.h));
      expectSameJointRow(expected, actual);
    }
  }
}

// The dominant loci alone, and with codominant ones, drawn under the
// hybrid-index model at several h.
TEST(CorrectedJoint, DominantLociOfTheCorrectedLayoutGiveThePlainHybridIndex) {
  std::mt19937_64 rng(3);
  for (bool onlyDominant : {true, false}) {
    for (double h : {0.0, 0.15, 0.5, 0.8, 1.0}) {
      SCOPED_TRACE(::testing::Message() << "h " << h << (onlyDominant ? ", dominant only" : ""));
      std::vector<Locus> loci = randomLoci(rng, 120, true);
      if (onlyDominant) {
        std::vector<Locus> dominant;
        for (const Locus& l : loci)
          if (l.type == 'D') dominant.push_back(l);
        loci = dominant;
      }
      drawIndividual(rng, h, 2 * h * (1 - h), loci);
      LociPanel panel(loci);
      const IndividualEstimate expected = panel.study(panel.parents(), HybridIndexModel());
      const IndividualEstimate actual = panel.study(panel.corrected(), HybridIndexModel());
      ASSERT_FALSE(std::isnan(expected.h));
      EXPECT_NEAR(actual.h, expected.h, kEstimateTolerance);
      EXPECT_NEAR(actual.lowerBound, expected.lowerBound, kEstimateTolerance);
      EXPECT_NEAR(actual.upperBound, expected.upperBound, kEstimateTolerance);
      EXPECT_EQ(actual.truncated[0], expected.truncated[0]);
      EXPECT_EQ(actual.truncated[1], expected.truncated[1]);
    }
  }
}

}  // namespace
}  // namespace parmix
