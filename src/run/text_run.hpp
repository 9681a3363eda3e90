#ifndef PARMIX_RUN_TEXT_RUN_HPP
#define PARMIX_RUN_TEXT_RUN_HPP

// One analysis of a parental and an individual file, whatever it is asked
// to estimate: the hybrid index, the joint (h, H) analysis or the genomic
// clines, each with or without the reference samples' counts behind the
// parental frequencies.  The model, the correction, the outputs and the
// treatment of a report after a failure are settings of one request; every
// package command and the program build the request and read the rows.

#include <string>
#include <vector>

#include "estimate/ancestry_image.hpp"
#include "estimate/cline_study.hpp"
#include "estimate/hybrid_classes.hpp"
#include "estimate/individual_study.hpp"
#include "estimate/joint_study.hpp"
#include "estimate/study.hpp"
#include "input/status.hpp"

namespace parmix {

enum class TextModel { kHybridIndex, kJoint, kClines };

// What a failure leaves of the report.  kPartial is the `parmix` command's
// own: the report is opened (truncated) once the inputs are measured,
// written as the run goes, and keeps what the steps before the failure
// wrote; only a report that names an input is refused beforehand.  kWhole:
// every output takes its path only when whole, so a failed run leaves the
// files of those names as they were, and an output that names an input or
// another output is refused before anything is read.
enum class ReportOnFailure { kPartial, kWhole };

struct TextRunRequest {
  std::string parental = "undefined";
  std::string individual = "undefined";
  TextModel model = TextModel::kHybridIndex;
  // The reference samples' counts behind the parental file: with them the
  // parental frequencies' uncertainty is carried into every individual's
  // likelihood (empty: the frequencies are taken as exact).
  std::string referenceCounts;
  ClassThresholds thresholds;  // the joint analysis's classes
  double qThreshold = 0.05;    // the q-value at which a cline departs
  ClineBootstrap bootstrap;    // the clines' bootstrap; none by default
  bool image = false;          // the clines' genotype image too
  std::string report;          // the fixed-width report; empty for none
  std::string tsv;             // the joint or cline table; empty for none
  unsigned threads = 0;        // 0: every core the process may use
  StudyProgress progress;      // after every individual, when set
  ReportOnFailure onFailure = ReportOnFailure::kWhole;
};

// What the run found, in file order.  Every model fills names (one per
// studied individual) and counts (the used loci with and without a
// genotype, counted from the data the run read); the hybrid-index and
// cline analyses fill rows, the joint one jointRows; the cline analysis
// also the locus labels and the fits, and the genotype image if asked.
struct TextRunResult {
  std::vector<std::string> names;
  std::vector<IndividualEstimate> rows;
  std::vector<JointEstimate> jointRows;
  std::vector<DataCount> counts;
  std::vector<std::string> locusNames;
  ClineStudy clines;
  AncestryImage image;  // the cline analysis's, when the request asks for it
};

// Reads the counts file when there is one, loads and checks the data set
// (the steps, messages and fault kinds of the `parmix` command; the
// parental checks' notes go into the report), checks the counts against
// it, studies every individual under the model, then writes the report and
// the table.  An ok status with RESULT filled; otherwise the first
// failure's kind and message (kCounts for the counts file) and RESULT
// empty.  Never throws: running out of memory, or any other exception,
// becomes a failure of its own kind.
Status runTextFiles(const TextRunRequest& request, TextRunResult& result);

}  // namespace parmix

#endif
