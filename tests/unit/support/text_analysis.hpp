#ifndef PARMIX_TESTS_TEXT_ANALYSIS_HPP
#define PARMIX_TESTS_TEXT_ANALYSIS_HPP

// The `parmix` command's analysis of two text files without an
// interpreter: the one run of text files with the report written as it
// goes (a failure leaves what was written before it).  The status is the
// run's: ok, or the first failure's kind and message.

#include <string>

#include "input/status.hpp"
#include "run/text_run.hpp"

namespace parmix::test {

inline Status analyseTextFiles(const std::string& parental, const std::string& individual,
                               const std::string& report, unsigned threads = 0) {
  TextRunRequest request;
  request.parental = parental;
  request.individual = individual;
  request.report = report;
  request.threads = threads;
  request.onFailure = ReportOnFailure::kPartial;
  TextRunResult result;
  return runTextFiles(request, result);
}

}  // namespace parmix::test

#endif
