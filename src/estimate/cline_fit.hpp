#ifndef PARMIX_ESTIMATE_CLINE_FIT_HPP
#define PARMIX_ESTIMATE_CLINE_FIT_HPP

// The maximum-likelihood fit of one locus's genomic cline (v and centre,
// model/cline_likelihood.hpp), its 2-unit profile support limits, the test
// against the neutral cline, and over many loci the false discovery rate
// and each locus's category.  No I/O.
//
// The fit works on the unbounded scale ln v, logit(centre), within a box:
// v in [kClineMinV, kClineMaxV], centre in [kClineMinCentre, 1 -
// kClineMinCentre].  An estimate or a limit that would lie beyond the box
// is its end, with a cut mark.

#include <limits>
#include <string>
#include <vector>

#include "model/cline_likelihood.hpp"

namespace parmix {

constexpr double kClineMinV = 0.01;
constexpr double kClineMaxV = 100.0;
constexpr double kClineMinCentre = 0.001;
// The fall of ln L that defines a support limit.
constexpr double kClineSupportDrop = 2.0;
// A profile that changes by less than this over the whole box is flat.
constexpr double kClineFlatChange = 1e-9;

// What a locus departs by, judged at a q-value threshold.
enum class ClineCategory {
  kNeutral,   // not significant at the threshold
  kSteep,     // v's limits lie above 1: a narrower transition than the genome's
  kShallow,   // v's limits lie below 1
  kTowardR,   // centre's limits below 1/2: excess R ancestry
  kTowardS,   // centre's limits above 1/2: excess S ancestry
  kSteepTowardR,
  kSteepTowardS,
  kShallowTowardR,
  kShallowTowardS,
  kOutlier    // significant, but neither parameter's limits exclude neutral
};

// "neutral", "steep", "shallow", "R-shift", "S-shift", "steep+R-shift", ...
const char* clineCategoryName(ClineCategory category);

// One locus's row.  Values that the data do not determine are NaN: all of
// them without informing individuals; v or the centre (with its limits and
// u) where the likelihood is flat in it.
struct ClineEstimate {
  int individuals = 0;  // individuals informing the locus
  double v;             // steepness, > 0 (1: the genome's)
  double vLower;
  double vUpper;
  bool vCut[2] = {false, false};  // [0] lower limit at the box, [1] upper
  double centre;        // h at which phi = 1/2
  double centreLower;
  double centreUpper;
  bool centreCut[2] = {false, false};
  double u;             // v logit(centre), the form's other parameter
  double logL;          // ln L at the estimate
  double neutralLogL;   // ln L of the neutral cline, phi = h
  double lr;            // 2 (logL - neutralLogL), at least 0
  double pValue;        // chi-square, 2 degrees of freedom: exp(-lr / 2)
  double qValue;        // Benjamini-Hochberg over the loci with a p-value
  double bootstrapP = std::numeric_limits<double>::quiet_NaN();  // when asked for
  ClineCategory category = ClineCategory::kNeutral;
};

// Fits the cline of LOCUS, starting at the neutral cline.  qValue is left
// NaN and the category neutral: they need every locus (below).
ClineEstimate fitCline(const ClineLocus& locus);

// The likelihood-ratio statistic of LOCUS against the neutral cline, as
// fitCline gives it, without the limits: what a bootstrap replicate needs.
// NaN where fitCline's is.
double clineLikelihoodRatio(const ClineLocus& locus);

// The Benjamini-Hochberg q-values of the p-values given (NaN ones are left
// out of the count and get NaN), in the same order.
std::vector<double> benjaminiHochberg(const std::vector<double>& pValues);

// The q-values of every row, then each row's category at THRESHOLD.
void judgeClines(std::vector<ClineEstimate>& rows, double threshold);

}  // namespace parmix

#endif
