#include "estimate/joint_study.hpp"

#include <gsl/gsl_cdf.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "estimate/joint_estimate.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

JointEstimate undefinedRow() {
  JointEstimate row;
  row.h = row.hLower = row.hUpper = kNaN;
  row.het = row.hetLower = row.hetUpper = kNaN;
  row.hCut[0] = row.hCut[1] = row.hetCut[0] = row.hetCut[1] = false;
  row.maxLogL = row.hybridIndexH = row.hybridIndexLogL = kNaN;
  row.lrStatistic = row.lrPValue = kNaN;
  row.classLogL.fill(kNaN);
  row.bestClass = -1;
  row.classMargin = kNaN;
  row.assigned = false;
  return row;
}

void fillLimits(const JointIndividual& individual, const JointMaximum& maximum,
                JointEstimate& row) {
  const ProfileLimit limits[4] = {
      profileLimitOfH(individual, maximum, 0, kJointSupportDrop),
      profileLimitOfH(individual, maximum, 1, kJointSupportDrop),
      profileLimitOfHet(individual, maximum, 0, kJointSupportDrop),
      profileLimitOfHet(individual, maximum, 1, kJointSupportDrop)};
  row.hLower = limits[0].value;
  row.hUpper = limits[1].value;
  row.hetLower = limits[2].value;
  row.hetUpper = limits[3].value;
  row.hCut[0] = limits[0].cut;
  row.hCut[1] = limits[1].cut;
  row.hetCut[0] = limits[2].cut;
  row.hetCut[1] = limits[3].cut;
}

void fillModelTest(const JointIndividual& individual, JointEstimate& row) {
  const CurveMaximum curve = maximiseHybridIndex(individual);
  row.hybridIndexH = curve.h;
  row.hybridIndexLogL = curve.logL;
  // The curve lies in the triangle, so the joint maximum is at least as
  // high; a negative difference is rounding.
  row.lrStatistic = std::max(0.0, 2 * (row.maxLogL - curve.logL));
  row.lrPValue = std::isnan(row.lrStatistic) ? kNaN : gsl_cdf_chisq_Q(row.lrStatistic, 1.0);
}

void fillClasses(const JointIndividual& individual, const ClassThresholds& thresholds,
                 JointEstimate& row) {
  for (int k = 0; k < kHybridClasses; ++k) {
    const ClassPoint point = classPoint(static_cast<HybridClass>(k));
    row.classLogL[k] = individual.logLikelihood(point.h, point.het);
  }
  const ClassVerdict verdict = judgeClasses(row.classLogL, row.maxLogL, thresholds);
  row.bestClass = verdict.bestClass;
  row.classMargin = verdict.margin;
  row.assigned = verdict.assigned;
}

// Individuals laid out together in one pass over the genotype matrix, so
// their columns share the cache lines fetched.
constexpr int kBlock = 16;

struct SharedWork {
  SharedWork(DataSet& d, std::vector<JointEstimate>& r, int n, const ClassThresholds& t)
      : data(d), rows(r), individuals(n), blocks((n + kBlock - 1) / kBlock), thresholds(t) {}
  DataSet& data;
  std::vector<JointEstimate>& rows;
  int individuals;
  int blocks;
  const ClassThresholds& thresholds;
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::mutex errorLock;
  std::exception_ptr error;
};

void layOutBlock(DataSet& d, int first, int count, std::vector<JointIndividual>& layouts) {
  for (int k = 0; k < count; ++k) layouts[k].clear();
  int** genotypes = d.genotypes.rows();
  double** freqR = d.freqR.rows();
  double** freqS = d.freqS.rows();
  for (int i = 0; i < d.nLoci; ++i) {
    const int* cells = genotypes[i] + 2 * first;
    const char type = d.locusType[i];
    for (int k = 0; k < count; ++k)
      layouts[k].addLocus(type, cells[2 * k], cells[2 * k + 1], freqR[i], freqS[i]);
  }
}

void studyBlocks(SharedWork& work) {
  try {
    std::vector<JointIndividual> layouts(kBlock);
    for (JointIndividual& layout : layouts)
      layout.reserve(static_cast<std::size_t>(work.data.nLoci));
    while (!work.failed.load(std::memory_order_relaxed)) {
      const int block = work.next.fetch_add(1);
      if (block >= work.blocks) break;
      const int first = block * kBlock;
      const int count = std::min(kBlock, work.individuals - first);
      layOutBlock(work.data, first, count, layouts);
      for (int k = 0; k < count; ++k)
        work.rows[first + k] = studyJointIndividual(layouts[k], work.thresholds);
    }
  } catch (...) {
    const std::lock_guard<std::mutex> lock(work.errorLock);
    if (!work.error) work.error = std::current_exception();
    work.failed = true;
  }
}

}  // namespace

JointEstimate studyJointIndividual(const JointIndividual& individual,
                                   const ClassThresholds& thresholds) {
  JointEstimate row = undefinedRow();
  if (!individual.hasData() || jointSurfaceIsFlat(individual)) return row;
  const JointMaximum maximum = maximiseJoint(individual);
  if (!maximum.found) return row;
  row.h = maximum.h;
  row.het = maximum.het;
  row.maxLogL = maximum.logL;
  fillLimits(individual, maximum, row);
  fillModelTest(individual, row);
  fillClasses(individual, thresholds, row);
  return row;
}

std::vector<JointEstimate> studyAllJoint(DataSet& data, unsigned workers,
                                         const ClassThresholds& thresholds) {
  const int individuals = data.nCols / 2;
  std::vector<JointEstimate> rows(static_cast<std::size_t>(individuals));
  SharedWork work(data, rows, individuals, thresholds);
  const unsigned useful = std::min<unsigned>(std::max(workers, 1u),
                                             static_cast<unsigned>(std::max(work.blocks, 1)));
  std::vector<std::thread> helpers;
  helpers.reserve(useful - 1);
  for (unsigned t = 0; t + 1 < useful; ++t) {
    try {
      helpers.emplace_back(studyBlocks, std::ref(work));
    } catch (const std::system_error&) {
      break;  // the threads already running, and this one, do the work
    }
  }
  studyBlocks(work);
  for (std::thread& helper : helpers) helper.join();
  if (work.error) std::rethrow_exception(work.error);
  return rows;
}

}  // namespace parmix
