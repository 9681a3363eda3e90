// The study of every individual of a run, over every source of individuals,
// description of the parents and model.  Each row is checked against the
// log-likelihood written out here from the model itself: each allele copy
// drawn from its population with weights h - H/2, H and 1 - h - H/2 (the
// hybrid index on H = 2h(1 - h)), the frequencies exact or under their
// Dirichlet posteriors, the genotypes certain or weighed by their
// likelihoods.  Nothing here calls the layouts under test.

#include "estimate/study.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace parmix {
namespace {

constexpr double kPseudoCount = 0.5;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What the parents of a locus say about a pair of alleles: the means and
// E[x_i x_j] of the frequencies.
struct Moments {
  std::vector<double> mean;
  std::vector<std::vector<double>> second;
};

Moments exactOf(const std::vector<double>& f) {
  Moments m{f, {}};
  for (double x : f) {
    m.second.emplace_back();
    for (double y : f) m.second.back().push_back(x * y);
  }
  return m;
}

// Dirichlet(count + pseudo-count): E x_i = a_i / A, E[x_i x_j] =
// a_i (a_j + [i = j]) / (A (A + 1)).
Moments dirichletOf(const std::vector<double>& counts) {
  std::vector<double> alpha;
  double total = 0.0;
  for (double c : counts) total += alpha.emplace_back(c + kPseudoCount);
  Moments m;
  for (std::size_t i = 0; i < alpha.size(); ++i) {
    m.mean.push_back(alpha[i] / total);
    m.second.emplace_back();
    for (std::size_t j = 0; j < alpha.size(); ++j)
      m.second.back().push_back(alpha[i] * (alpha[j] + (i == j)) / (total * (total + 1)));
  }
  return m;
}

struct TestLocus {
  char type;  // 'C', 'D' (one frequency: the band's allele) or 'B' (taken out)
  std::vector<double> freqR, freqS;
  std::vector<double> countR, countS;
  bool withLikelihoods;
};

// A panel of individuals drawn at h from 0 to 1; individual kEmpty has no
// data at all, and a few genotypes are missing.
struct TestPanel {
  static constexpr int kEmpty = 4;
  std::vector<TestLocus> loci;
  int individuals = 0;
  // [locus][individual]: the two designations (a band score and kMissing
  // at a dominant locus), and the phred of every genotype in VCF order
  // (empty when missing).
  std::vector<std::vector<std::pair<int, int>>> calls;
  std::vector<std::vector<std::vector<int>>> phred;
};

int vcfIndex(int a, int b) { return a > b ? a * (a + 1) / 2 + b : b * (b + 1) / 2 + a; }

TestPanel drawPanel(int loci, int individuals, bool withDominant, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  TestPanel p;
  p.individuals = individuals;
  for (int i = 0; i < loci; ++i) {
    TestLocus l;
    l.type = withDominant && i % 5 == 2 ? 'D' : (i % 9 == 8 ? 'B' : 'C');
    const int k = l.type == 'D' ? 1 : 2 + i % 2;
    double sumR = 0.0, sumS = 0.0;
    for (int a = 0; a < k; ++a) {
      sumR += l.freqR.emplace_back(0.05 + unit(rng));
      sumS += l.freqS.emplace_back(0.05 + unit(rng));
    }
    // Reference samples of some thirty allele copies drawn near the
    // frequencies, so the posteriors say much the same.
    for (int a = 0; a < k && l.type != 'D'; ++a) {
      l.freqR[a] /= sumR;
      l.freqS[a] /= sumS;
      l.countR.push_back(std::round(30 * l.freqR[a] + 2 * unit(rng)));
      l.countS.push_back(std::round(30 * l.freqS[a] + 2 * unit(rng)));
    }
    if (l.type == 'D') l.freqR[0] = 0.1 + 0.8 * unit(rng), l.freqS[0] = 0.1 + 0.8 * unit(rng);
    l.withLikelihoods = i % 3 != 0;
    p.calls.emplace_back();
    p.phred.emplace_back();
    for (int j = 0; j < individuals; ++j) {
      const double h = double(j) / (individuals - 1);
      const auto allele = [&] {
        const std::vector<double>& f = unit(rng) < h ? l.freqR : l.freqS;
        if (l.type == 'D') return unit(rng) < f[0] ? 0 : 1;
        double x = unit(rng);
        for (int a = 0; a < k - 1; ++a)
          if ((x -= f[a]) < 0) return a;
        return k - 1;
      };
      const int a = allele(), b = allele();
      const bool missing = j == TestPanel::kEmpty || unit(rng) < 0.06;
      std::pair<int, int> call{a + 1, b + 1};
      if (l.type == 'D') call = {a == 0 || b == 0 ? 1 : 0, kMissing};
      p.calls.back().push_back(missing ? std::pair<int, int>{kMissing, kMissing} : call);
      std::vector<int> q;
      if (!missing || (j != TestPanel::kEmpty && unit(rng) < 0.5)) {
        // A dominant locus is a site of two alleles.
        const int alleles = l.type == 'D' ? 2 : k;
        for (int g = 0; g < (alleles + 1) * alleles / 2; ++g)
          q.push_back(5 + static_cast<int>(rng() % 50));
        q[static_cast<std::size_t>(vcfIndex(a, b))] = 0;
      }
      p.phred.back().push_back(q);
    }
    p.loci.push_back(l);
  }
  return p;
}

enum class Source { kTextFile, kVcfCalls, kVcfLikelihoods };
enum class Parents { kFrequencies, kReferenceCounts, kFrequenciesAsSites };

struct Cell {
  const char* name;
  Source source;
  Parents parents;
  bool withDominant;  // the text file alone holds band scores
};

const Cell kCells[] = {
    {"text file, frequencies", Source::kTextFile, Parents::kFrequencies, true},
    {"text file, reference counts", Source::kTextFile, Parents::kReferenceCounts, false},
    {"VCF calls, frequencies", Source::kVcfCalls, Parents::kFrequencies, false},
    {"VCF calls, reference counts", Source::kVcfCalls, Parents::kReferenceCounts, false},
    {"VCF likelihoods, reference counts", Source::kVcfLikelihoods, Parents::kReferenceCounts, false},
    {"VCF likelihoods, frequencies as sites", Source::kVcfLikelihoods, Parents::kFrequenciesAsSites,
     false},
};

// ln L(h, H) of individual j as the cell reads the panel.
double referenceLogL(const TestPanel& p, const Cell& cell, int j, double h, double het) {
  const double wRR = std::max(0.0, h - het / 2), wRS = std::max(0.0, het),
               wSS = std::max(0.0, 1 - h - het / 2);
  double sum = 0.0;
  for (std::size_t i = 0; i < p.loci.size(); ++i) {
    const TestLocus& l = p.loci[i];
    if (l.type == 'B') continue;
    const bool dominant = l.type == 'D';
    const bool counted = cell.parents == Parents::kReferenceCounts;
    const Moments r = counted ? dirichletOf(l.countR)
                              : exactOf(dominant ? std::vector<double>{l.freqR[0], 1 - l.freqR[0]}
                                                 : l.freqR);
    const Moments s = counted ? dirichletOf(l.countS)
                              : exactOf(dominant ? std::vector<double>{l.freqS[0], 1 - l.freqS[0]}
                                                 : l.freqS);
    const int k = static_cast<int>(r.mean.size());
    std::vector<double> weight(static_cast<std::size_t>(k * (k + 1) / 2), 0.0);
    const auto [first, second] = p.calls[i][static_cast<std::size_t>(j)];
    if (cell.source == Source::kVcfLikelihoods && l.withLikelihoods) {
      const std::vector<int>& q = p.phred[i][static_cast<std::size_t>(j)];
      if (q.empty()) continue;
      for (std::size_t g = 0; g < q.size(); ++g) weight[g] = std::pow(10.0, -q[g] / 10.0);
    } else if (dominant) {
      if (first == kMissing) continue;
      weight = first == 1 ? std::vector<double>{1, 1, 0} : std::vector<double>{0, 0, 1};
    } else {
      if (first == kMissing) continue;
      weight[static_cast<std::size_t>(vcfIndex(first - 1, second - 1))] = 1.0;
    }
    double probability = 0.0;
    for (int b = 0; b < k; ++b)
      for (int a = 0; a <= b; ++a) {
        const double copies = a == b ? 1.0 : 2.0;
        const double rr = copies * r.second[a][b], ss = copies * s.second[a][b];
        const double rs = a == b ? r.mean[a] * s.mean[a] : r.mean[a] * s.mean[b] + r.mean[b] * s.mean[a];
        probability += weight[static_cast<std::size_t>(vcfIndex(a, b))] * (wRR * rr + wRS * rs + wSS * ss);
      }
    sum += std::log(probability);
  }
  return sum;
}

double referenceH(const TestPanel& p, const Cell& cell, int j, double h) {
  return referenceLogL(p, cell, j, h, 2 * h * (1 - h));
}

// What the study reads for a cell, built from the panel.
class CellInput {
 public:
  CellInput(const TestPanel& p, const Cell& cell)
      : matrix_(static_cast<int>(p.loci.size()), 2 * p.individuals),
        freqR_(static_cast<int>(p.loci.size()), 3), freqS_(static_cast<int>(p.loci.size()), 3),
        stored_(p.individuals), likelihoods_(p.individuals) {
    ReferenceCounts counts;
    counts.pseudoCount = kPseudoCount;
    for (std::size_t i = 0; i < p.loci.size(); ++i) addLocus(p, static_cast<int>(i), counts);
    if (cell.parents == Parents::kReferenceCounts) sites_ = countedSites(counts);
    if (cell.source == Source::kTextFile) {
      source_ = std::make_unique<MatrixIndividuals>(matrix_.rows(), matrix_.rowCount(),
                                                    p.individuals);
    } else {
      source_ = std::make_unique<StoredIndividuals>(
          stored_, cell.source == Source::kVcfLikelihoods ? &likelihoods_ : nullptr);
    }
    useSites_ = cell.parents != Parents::kFrequencies;
  }

  const IndividualSource& source() const { return *source_; }
  ParentalModel parents() {
    return ParentalModel(types_.data(), freqR_.rows(), freqS_.rows(), useSites_ ? &sites_ : nullptr);
  }

 private:
  void addLocus(const TestPanel& p, int i, ReferenceCounts& counts) {
    const TestLocus& l = p.loci[static_cast<std::size_t>(i)];
    types_.push_back(l.type);
    std::copy(l.freqR.begin(), l.freqR.end(), freqR_.rows()[i]);
    std::copy(l.freqS.begin(), l.freqS.end(), freqS_.rows()[i]);
    const int k = static_cast<int>(l.freqR.size());
    if (l.type != 'D') {
      sites_.push_back(SiteGenotypes::fromFrequencies(l.freqR.data(), l.freqS.data(), k));
      counts.loci.push_back({i + 1, "", 'C', l.countR, l.countS});
    }
    std::vector<std::uint8_t> pairs;
    std::vector<double> phred;
    const int genotypes = k * (k + 1) / 2;
    for (int j = 0; j < p.individuals; ++j) {
      const auto [first, second] = p.calls[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      matrix_.rows()[i][2 * j] = first;
      matrix_.rows()[i][2 * j + 1] = second;
      pairs.push_back(static_cast<std::uint8_t>(first == kMissing ? 0 : first));
      pairs.push_back(static_cast<std::uint8_t>(second == kMissing ? 0 : second));
      const std::vector<int>& q = p.phred[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      for (int g = 0; g < genotypes; ++g)
        phred.push_back(q.empty() ? NAN : q[static_cast<std::size_t>(g)]);
    }
    stored_.appendLocus(pairs.data());
    if (l.withLikelihoods && l.type != 'D') {
      likelihoods_.appendLocus(genotypes, phred.data());
    } else {
      likelihoods_.appendCalledLocus();
    }
  }

  std::vector<char> types_;
  RowTable<int> matrix_;
  RowTable<double> freqR_, freqS_;
  CompactGenotypes stored_;
  CompactLikelihoods likelihoods_;
  std::vector<SiteGenotypes> sites_;
  bool useSites_ = false;
  std::unique_ptr<IndividualSource> source_;
};

// Where the reference falls by 2 from its value at h, between h and END.
double referenceLimit(const TestPanel& p, const Cell& cell, int j, double h, double end) {
  const double level = referenceH(p, cell, j, h) - 2.0;
  double inside = h, outside = end;
  for (int step = 0; step < 60; ++step) {
    const double middle = (inside + outside) / 2;
    (referenceH(p, cell, j, middle) > level ? inside : outside) = middle;
  }
  return inside;
}

void expectHybridIndexRow(const TestPanel& p, const Cell& cell, int j, const IndividualEstimate& row) {
  if (j == TestPanel::kEmpty) {
    EXPECT_TRUE(std::isnan(row.h) && std::isnan(row.lowerBound) && std::isnan(row.upperBound));
    return;
  }
  ASSERT_FALSE(std::isnan(row.h));
  const double maxLogL = referenceH(p, cell, j, row.h);
  double best = -INFINITY;
  for (int g = 0; g <= 400; ++g) best = std::max(best, referenceH(p, cell, j, g / 400.0));
  EXPECT_GE(maxLogL, best - 1e-7) << "h " << row.h;
  const double limit[2] = {row.lowerBound, row.upperBound};
  for (int side : {0, 1}) {
    const double end = side;
    if (row.truncated[side]) {
      EXPECT_GT(referenceH(p, cell, j, end), maxLogL - 2.0 - 1e-9) << "side " << side;
      EXPECT_EQ(limit[side], end);
    } else {
      EXPECT_NEAR(limit[side], referenceLimit(p, cell, j, row.h, end), 1e-5) << "side " << side;
    }
  }
}

void expectJointRow(const TestPanel& p, const Cell& cell, int j, const JointEstimate& row) {
  if (j == TestPanel::kEmpty) {
    EXPECT_TRUE(std::isnan(row.h) && std::isnan(row.het) && std::isnan(row.maxLogL));
    EXPECT_FALSE(row.assigned);
    return;
  }
  ASSERT_FALSE(std::isnan(row.h));
  const double maxLogL = referenceLogL(p, cell, j, row.h, row.het);
  EXPECT_NEAR(row.maxLogL, maxLogL, 1e-9 * std::fabs(maxLogL));
  double best = -INFINITY;
  for (int b = 0; b <= 24; ++b)
    for (int a = 0; a <= 24; ++a) {
      const double het = b / 24.0;
      best = std::max(best, referenceLogL(p, cell, j, het / 2 + (1 - het) * a / 24.0, het));
    }
  EXPECT_GE(maxLogL, best - 1e-6) << "at (" << row.h << ", " << row.het << ")";
  EXPECT_NEAR(row.hybridIndexLogL, referenceH(p, cell, j, row.hybridIndexH),
              1e-9 * std::fabs(row.hybridIndexLogL));
  for (int g = 0; g <= 50; ++g)
    EXPECT_GE(row.hybridIndexLogL, referenceH(p, cell, j, g / 50.0) - 1e-7);
  for (int k = 0; k < kHybridClasses; ++k) {
    const ClassPoint point = classPoint(static_cast<HybridClass>(k));
    const double expected = referenceLogL(p, cell, j, point.h, point.het);
    if (std::isinf(expected)) {
      EXPECT_EQ(row.classLogL[k], expected) << "class " << k;
    } else {
      EXPECT_NEAR(row.classLogL[k], expected, 1e-9 * std::fabs(expected)) << "class " << k;
    }
  }
}

bool sameRow(const IndividualEstimate& a, const IndividualEstimate& b) {
  return sameBits(a.h, b.h) && sameBits(a.lowerBound, b.lowerBound) &&
         sameBits(a.upperBound, b.upperBound) && a.truncated[0] == b.truncated[0] &&
         a.truncated[1] == b.truncated[1];
}

bool sameRow(const JointEstimate& a, const JointEstimate& b) {
  const double x[] = {a.h, a.hLower, a.hUpper, a.het, a.hetLower, a.hetUpper, a.maxLogL,
                      a.hybridIndexH, a.hybridIndexLogL, a.lrStatistic, a.lrPValue, a.classMargin};
  const double y[] = {b.h, b.hLower, b.hUpper, b.het, b.hetLower, b.hetUpper, b.maxLogL,
                      b.hybridIndexH, b.hybridIndexLogL, b.lrStatistic, b.lrPValue, b.classMargin};
  for (std::size_t k = 0; k < std::size(x); ++k)
    if (!sameBits(x[k], y[k])) return false;
  for (int k = 0; k < kHybridClasses; ++k)
    if (!sameBits(a.classLogL[k], b.classLogL[k])) return false;
  return a.hCut[0] == b.hCut[0] && a.hCut[1] == b.hCut[1] && a.hetCut[0] == b.hetCut[0] &&
         a.hetCut[1] == b.hetCut[1] && a.bestClass == b.bestClass && a.assigned == b.assigned;
}

// The rows of a cell on one thread, after checking that other numbers of
// threads give the same bits.
template <typename Model>
std::vector<typename Model::Row> studyCell(CellInput& input, const Model& model) {
  const std::vector<typename Model::Row> rows =
      studyIndividuals(input.source(), input.parents(), model, StudySettings(1));
  for (unsigned workers : {3u, 40u}) {
    const std::vector<typename Model::Row> again =
        studyIndividuals(input.source(), input.parents(), model, StudySettings(workers));
    EXPECT_EQ(again.size(), rows.size());
    for (std::size_t j = 0; j < std::min(rows.size(), again.size()); ++j)
      EXPECT_TRUE(sameRow(rows[j], again[j])) << workers << " threads, individual " << j;
  }
  return rows;
}

TEST(Study, EverySourceParentsAndModelGiveTheModelsOwnEstimates) {
  for (const Cell& cell : kCells) {
    SCOPED_TRACE(cell.name);
    // Not a whole number of the text file's blocks.
    const TestPanel panel = drawPanel(45, 19, cell.withDominant, 17);
    CellInput input(panel, cell);
    const std::vector<IndividualEstimate> rows = studyCell(input, HybridIndexModel());
    const std::vector<JointEstimate> joint = studyCell(input, JointModel());
    ASSERT_EQ(rows.size(), 19u);
    ASSERT_EQ(joint.size(), 19u);
    for (int j = 0; j < 19; ++j) {
      SCOPED_TRACE("individual " + std::to_string(j));
      expectHybridIndexRow(panel, cell, j, rows[static_cast<std::size_t>(j)]);
      expectJointRow(panel, cell, j, joint[static_cast<std::size_t>(j)]);
    }
  }
}

// The genome run's searches in every combination of source and parents:
// the model's own estimates, the decisions of the bracketing searches, the
// same bits on any number of threads, and fewer passes over the loci.
TEST(Study, NewtonSearchesGiveTheModelsOwnEstimatesInFewerPasses) {
  for (const Cell& cell : kCells) {
    SCOPED_TRACE(cell.name);
    const TestPanel panel = drawPanel(45, 19, cell.withDominant, 17);
    CellInput input(panel, cell);
    std::vector<IndividualEstimate> rows[2];
    std::uint64_t passes[2] = {0, 0};
    for (const Search search : {Search::Bracketing, Search::Newton}) {
      const int s = search == Search::Newton ? 1 : 0;
      for (unsigned workers : {1u, 3u}) {
        std::uint64_t counted = 0;
        StudySettings settings(workers);
        settings.passes = &counted;
        settings.search = search;
        const std::vector<IndividualEstimate> got =
            studyIndividuals(input.source(), input.parents(), HybridIndexModel(), settings);
        if (workers == 1) {
          rows[s] = got;
          passes[s] = counted;
          continue;
        }
        EXPECT_EQ(passes[s], counted);
        for (std::size_t j = 0; j < got.size(); ++j) EXPECT_TRUE(sameRow(rows[s][j], got[j]));
      }
    }
    ASSERT_EQ(rows[1].size(), 19u);
    for (std::size_t j = 0; j < rows[1].size(); ++j) {
      SCOPED_TRACE("individual " + std::to_string(j));
      const IndividualEstimate &brent = rows[0][j], &newton = rows[1][j];
      expectHybridIndexRow(panel, cell, static_cast<int>(j), newton);
      EXPECT_EQ(std::isnan(brent.h), std::isnan(newton.h));
      EXPECT_EQ(brent.h == 0.0 || brent.h == 1.0, newton.h == 0.0 || newton.h == 1.0);
      EXPECT_EQ(brent.truncated[0], newton.truncated[0]);
      EXPECT_EQ(brent.truncated[1], newton.truncated[1]);
    }
    EXPECT_LT(passes[1], passes[0]);
  }
}

// An analysis that needs only the estimates gets the same estimates in
// fewer passes, with its limits left undefined, never made up.
TEST(Study, SkippingTheLimitsLeavesTheEstimatesAsTheyAre) {
  for (const Cell& cell : kCells) {
    SCOPED_TRACE(cell.name);
    const TestPanel panel = drawPanel(40, 15, cell.withDominant, 23);
    CellInput input(panel, cell);
    for (const Search search : {Search::Bracketing, Search::Newton}) {
      std::uint64_t passes[2] = {0, 0};
      std::vector<IndividualEstimate> rows[2];
      for (const Limits limits : {Limits::kFind, Limits::kSkip}) {
        const int k = limits == Limits::kSkip ? 1 : 0;
        StudySettings settings(2);
        settings.passes = &passes[k];
        settings.search = search;
        settings.limits = limits;
        rows[k] = studyIndividuals(input.source(), input.parents(), HybridIndexModel(), settings);
      }
      ASSERT_EQ(rows[0].size(), rows[1].size());
      for (std::size_t j = 0; j < rows[0].size(); ++j) {
        EXPECT_EQ(std::isnan(rows[0][j].h), std::isnan(rows[1][j].h)) << j;
        if (!std::isnan(rows[0][j].h)) {
          EXPECT_EQ(rows[0][j].h, rows[1][j].h) << j;
        }
        EXPECT_TRUE(std::isnan(rows[1][j].lowerBound) && std::isnan(rows[1][j].upperBound)) << j;
      }
      EXPECT_LT(passes[1], passes[0]);
    }
  }
}

TEST(Study, ThresholdsReachEveryJointRow) {
  const TestPanel panel = drawPanel(60, 12, false, 8);
  CellInput input(panel, kCells[0]);
  JointModel never;
  never.thresholds.minMargin = INFINITY;
  never.thresholds.maxDrop = -1.0;
  int assigned = 0;
  for (const JointEstimate& row : studyCell(input, JointModel())) assigned += row.assigned;
  EXPECT_GT(assigned, 0);
  for (const JointEstimate& row : studyCell(input, never)) EXPECT_FALSE(row.assigned);
}

// The data counts from the panel's own calls: a used locus with its call
// (a band score at a dominant one) is data, any other used locus missing.
TEST(Study, CountsEachIndividualsDataOverTheUsedLociFromEverySource) {
  for (const Cell& cell : {kCells[0], kCells[2], kCells[4]}) {
    SCOPED_TRACE(cell.name);
    const TestPanel panel = drawPanel(40, 21, cell.withDominant, 3);
    CellInput input(panel, cell);
    std::vector<DataCount> expected(21);
    for (std::size_t i = 0; i < panel.loci.size(); ++i)
      for (std::size_t j = 0; j < expected.size(); ++j)
        if (panel.loci[i].type != 'B')
          ++(panel.calls[i][j].first != kMissing ? expected[j].loci : expected[j].missing);
    EXPECT_EQ(expected[TestPanel::kEmpty].loci, 0);
    for (unsigned workers : {1u, 4u}) {
      std::vector<DataCount> counts;
      studyIndividuals(input.source(), input.parents(), HybridIndexModel(),
                       StudySettings(workers, nullptr, &counts));
      ASSERT_EQ(counts.size(), expected.size());
      for (std::size_t j = 0; j < counts.size(); ++j) {
        EXPECT_EQ(counts[j].loci, expected[j].loci) << workers << " threads, individual " << j;
        EXPECT_EQ(counts[j].missing, expected[j].missing) << workers << " threads, individual " << j;
      }
    }
  }
}

TEST(Study, ADominantLocusNeedsOnlyItsBandScore) {
  int scored[2] = {1, kMissing};
  int unscored[2] = {kMissing, kMissing};
  int half[2] = {2, kMissing};
  int* rows[4] = {scored, unscored, half, scored};
  const char types[4] = {'D', 'D', 'C', 'B'};
  const DataCount count = countIndividualData(rows, 4, types);
  EXPECT_EQ(count.loci, 1);
  EXPECT_EQ(count.missing, 2);
}

TEST(Study, ReportsProgressAfterEveryIndividualInTurn) {
  const TestPanel panel = drawPanel(20, 37, false, 2);
  for (const Cell& cell : {kCells[0], kCells[2]}) {
    CellInput input(panel, cell);
    for (unsigned workers : {1u, 4u}) {
      std::size_t last = 0;
      studyIndividuals(input.source(), input.parents(), JointModel(),
                       StudySettings(workers, [&](std::size_t done) {
                         EXPECT_EQ(done, last + 1);
                         last = done;
                       }));
      EXPECT_EQ(last, 37u) << cell.name << ", " << workers << " threads";
    }
  }
}

TEST(Study, AFailureInAnyWorkerReachesTheCaller) {
  const TestPanel panel = drawPanel(10, 40, false, 1);
  for (const Cell& cell : {kCells[0], kCells[4]}) {
    CellInput input(panel, cell);
    EXPECT_THROW(studyIndividuals(input.source(), input.parents(), HybridIndexModel(),
                                  StudySettings(2, [](std::size_t done) {
                                    if (done == 20) throw std::runtime_error("x");
                                  })),
                 std::runtime_error)
        << cell.name;
  }
}

TEST(Study, NoIndividualsNoRows) {
  const TestPanel panel = drawPanel(10, 0, false, 1);
  for (const Cell& cell : kCells) {
    CellInput input(panel, cell);
    EXPECT_TRUE(studyIndividuals(input.source(), input.parents(), HybridIndexModel(),
                                 StudySettings(4)).empty());
    EXPECT_TRUE(studyIndividuals(input.source(), input.parents(), JointModel(),
                                 StudySettings(4)).empty());
  }
}

// Each evaluation of the hybrid-index model takes a log per term, so the
// log calls are a whole multiple of the individual's terms, whatever the
// layout and the number of threads.
TEST(Study, CountsTheLogCallsOfTheHybridIndexModel) {
  const TestPanel panel = drawPanel(30, 5, false, 9);
  for (const Cell& cell : {kCells[0], kCells[4]}) {
    CellInput input(panel, cell);
    std::uint64_t one = 0, two = 0;
    studyIndividuals(input.source(), input.parents(), HybridIndexModel(),
                     StudySettings(1, nullptr, nullptr, &one));
    studyIndividuals(input.source(), input.parents(), HybridIndexModel(),
                     StudySettings(2, nullptr, nullptr, &two));
    EXPECT_EQ(one, two) << cell.name;
    // At least the three points of the flatness test for every individual
    // with data, each at least one term.
    EXPECT_GE(one, 3u * 4u) << cell.name;
  }
}

}  // namespace
}  // namespace parmix
