#ifndef PARMIX_REPORT_CLINE_MERGE_HPP
#define PARMIX_REPORT_CLINE_MERGE_HPP

// The reports of the shards of a run of the genomic clines, and their
// joining.  A shard fits a consecutive part of the loci the run fits; each
// locus's q-value and category need every locus's p-value, so its report
// shows them as pending and holds, after its readable rows, every value of
// each row at full precision (%.17g, which reads back to the same double)
// with a check of the row's text, and a line of what ties the shard to its
// run.  Reading a shard back and joining the shards in order gives the
// rows, names and counts of the whole run, unjudged: the caller takes the
// q-values and categories from them as the run does.  No numerics.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "estimate/cline_study.hpp"

namespace parmix {

// A check of content: 64-bit FNV-1a over the bytes given, in order.
class ContentCheck {
 public:
  void add(const void* data, std::size_t size);
  void add(const std::string& text) { add(text.data(), text.size()); }
  std::uint64_t value() const { return state_; }
  // The check so far as 16 lower-case hexadecimal digits.
  std::string hex() const;

 private:
  std::uint64_t state_ = 0xcbf29ce484222325ULL;
};

// The check of the loci a run fits, given in order: each one's row (from
// 0) and label.
class LociCheck {
 public:
  void add(int locus, const std::string& name);
  std::string hex() const { return check_.hex(); }

 private:
  ContentCheck check_;
};

// Where a shard lies in its run and what ties it to the run.  All but
// index, rows and after are the same in every shard of one run.
struct ClineShardRun {
  long index = 0;  // shard K of N, from 1
  long count = 0;
  long rows = 0;                 // loci this shard fitted
  long fitted = 0;               // loci the run fits
  long after = 0;                // the run's fitted loci before this shard's
  long loci = 0;                 // the panel's loci, fitted or left out
  double threshold = 0.05;       // the q-value of a category other than neutral
  std::string individualsCheck;  // of the study individuals' names and h
  std::string lociCheck;         // the LociCheck of the run
};

// The shard's report after its time stamp: the paragraph of its place,
// NOTES (the run's, as the report of the whole run has them), the rows of
// STUDY (this shard's loci; the counts of individuals and of loci left out
// are the run's) with q-values pending, then the exact values.  RUN's
// rows is STUDY's.  NAMES has one label per locus of the panel.
void writeClineShardReport(std::ostream& report, const std::string& notes,
                           const std::vector<std::string>& names, const ClineStudy& study,
                           const ClineShardRun& run);

// True when TEXT, a report's first lines, opens as a shard of the clines
// does: the time stamp, an empty line, then the note of its place.
bool startsClineShardReport(const std::string& text);

// A shard's report read back: its place, the run's line, its notes and its
// rows (loci from 0, values as fitted, q-values NaN) with their labels.
struct ClineShard {
  ClineShardRun run;
  std::string runLine;
  std::string notes;
  std::vector<std::string> names;  // one per row
  ClineStudy study;
};

// Reads the shard report IN, the file PATH.  Throws importer::InputError
// naming PATH, and the line where one is at fault, when it is not such a
// report whole and as written: cut, a row edited, rows added or lost.
ClineShard readClineShard(std::istream& in, const std::string& path);

// The whole run from its shards, given one at a time in shard order.
class ClineShardJoin {
 public:
  // GIVEN: how many reports are to come, which must be the shards' count.
  explicit ClineShardJoin(std::size_t given) : given_(given) {}
  // Takes SHARD, read from PATH; throws importer::InputError naming the
  // file when it is not the next shard of the run of those before it.
  void add(ClineShard shard, const std::string& path);
  // The run's notes, labels (one per row) and rows, unjudged; its q-value
  // threshold.  Throws importer::InputError when shards are missing.
  void finish();
  const std::string& notes() const { return notes_; }
  std::vector<std::string>& names() { return names_; }
  ClineStudy& study() { return study_; }
  double threshold() const { return first_.threshold; }

 private:
  ClineShardRun first_;
  std::string firstPath_;
  std::string runLine_;
  std::string notes_;
  std::vector<std::string> names_;
  ClineStudy study_;
  std::size_t given_;
  long shards_ = 0;
  std::string lastPath_;
};

}  // namespace parmix

#endif
