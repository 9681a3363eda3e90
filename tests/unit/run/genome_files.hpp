#ifndef PARMIX_TESTS_GENOME_FILES_HPP
#define PARMIX_TESTS_GENOME_FILES_HPP

// Running both paths on one VCF: the importer's two files analysed by the
// `parmix` command, and the genome-scale run; their reports without the
// time-stamp line.

#include <cstdio>
#include <string>

#include "../import/import_files.hpp"
#include "input/errors.hpp"
#include "run/genome_run.hpp"
#include "support/temp_files.hpp"
#include "support/text_analysis.hpp"

namespace parmix::genome::test {

// The report after its first line, or "" when it cannot be read.
inline std::string withoutTimestamp(const std::string& path) {
  const std::string text = parmix::test::readFile(path);
  const std::size_t end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(end + 1);
}

struct PathOutcome {
  bool failed = false;
  std::string message;  // the failure's message
  std::string report;   // without the time-stamp line
};

// Import into OPTIONS.prefix and run the analysis of the `parmix` command
// on both files.
inline PathOutcome importThenAnalyse(const importer::Options& options, const std::string& report) {
  PathOutcome outcome;
  const importer::test::ImportOutcome imported = importer::test::importWith(options);
  if (imported.failed) return {true, imported.message, ""};
  const Status status = parmix::test::analyseTextFiles(options.prefix + ".parental.txt",
                                                       options.prefix + ".individuals.txt", report);
  if (!status.ok()) return {true, status.message(), ""};
  outcome.report = withoutTimestamp(report);
  return outcome;
}

inline PathOutcome runStraight(const GenomeOptions& options) {
  PathOutcome outcome;
  std::FILE* messages = std::tmpfile();
  RunFigures figures;
  const Status status = runGenome(options, messages, figures);
  if (status.ok()) {
    outcome.report = withoutTimestamp(options.report);
  } else {
    outcome.failed = true;
    outcome.message = status.message();
  }
  std::fclose(messages);
  return outcome;
}

}  // namespace parmix::genome::test

#endif
