#include "validate/reference_counts_checks.hpp"

#include <cmath>
#include <cstdio>
#include <numeric>

namespace parmix {

namespace {

// The Dirichlet parameter of each allele: its count plus the pseudo-count,
// none for an allele seen nowhere.
std::vector<double> parametersOf(const std::vector<double>& counts, double pseudo) {
  std::vector<double> alpha;
  for (double c : counts) alpha.push_back(c == kSeenNowhere ? 0.0 : c + pseudo);
  return alpha;
}

// The frequencies the counts give, as the parental file's row holds them:
// per allele at a codominant locus, the dominant allele's 1 - sqrt(1 - g)
// at a dominant one (g the share with the band).  Empty when the counts
// give no frequency (no sample counted).
std::vector<double> frequenciesOf(const std::vector<double>& counts, char type, double pseudo) {
  const std::vector<double> alpha = parametersOf(counts, pseudo);
  const double total = std::accumulate(alpha.begin(), alpha.end(), 0.0);
  if (!(total > 0)) return {};
  if (type == 'D') return {1 - std::sqrt(1 - alpha[0] / total)};
  std::vector<double> frequencies;
  for (double a : alpha) frequencies.push_back(a / total);
  return frequencies;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

struct Where {
  const ReferenceCounts& counts;
  const LocusCounts& row;
  int locus;
  const std::string& parental;
};

int mismatch(Status& status, const Where& at, const std::string& what) {
  status.fail("The reference counts file %s does not belong to the parental file %s: on line %d "
              "(locus %d, %s), %s.",
              at.counts.path.c_str(), at.parental.c_str(), at.row.line, at.locus + 1,
              at.row.label.c_str(), what.c_str());
  return status.setFault(Fault::kCounts);
}

int checkPopulation(const Where& at, const std::vector<double>& counts, const double* row,
                    int width, const char* population, Status& status) {
  const std::vector<double> f = frequenciesOf(counts, at.row.type, at.counts.pseudoCount);
  if (f.empty()) return mismatch(status, at, std::string("no sample of ") + population + " is counted");
  if (static_cast<int>(f.size()) > width)
    return mismatch(status, at, "the counts name " + std::to_string(f.size()) +
                                    " alleles, more than the parental file gives any locus");
  for (int a = 0; a < width; ++a) {
    const double counted = a < static_cast<int>(f.size()) ? f[a] : 0.0;
    if (std::fabs(counted - row[a]) > kCountsFrequencyTolerance)
      return mismatch(status, at, std::string("the counts give allele ") + std::to_string(a + 1) +
                                      " the frequency " + number(counted) + " in " + population +
                                      ", the parental file " + number(row[a]));
  }
  return 0;
}

}  // namespace

int checkReferenceCounts(const ReferenceCounts& counts, DataSet& data, const std::string& parental,
                         Status& status) {
  if (static_cast<int>(counts.loci.size()) != data.nLoci) {
    status.fail("The reference counts file %s holds %zu locus rows, but the parental file %s "
                "holds %d loci.",
                counts.path.c_str(), counts.loci.size(), parental.c_str(), data.nLoci);
    return status.setFault(Fault::kCounts);
  }
  for (int i = 0; i < data.nLoci; ++i) {
    const LocusCounts& row = counts.loci[static_cast<std::size_t>(i)];
    const Where at{counts, row, i, parental};
    if (row.type != data.locusType[static_cast<std::size_t>(i)])
      return mismatch(status, at, std::string("the locus is of type ") + row.type +
                                      " in the counts and " +
                                      data.locusType[static_cast<std::size_t>(i)] +
                                      " in the parental file");
    // A dominant row holds one frequency; the rest of it is zero.
    const int width = row.type == 'D' ? 1 : data.maxAlleles;
    if (checkPopulation(at, row.r, data.freqR.rows()[i], width, "R", status) ||
        checkPopulation(at, row.s, data.freqS.rows()[i], width, "S", status))
      return 1;
  }
  return 0;
}

}  // namespace parmix
