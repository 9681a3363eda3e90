#ifndef PARMIX_TESTS_IMPORT_FILES_HPP
#define PARMIX_TESTS_IMPORT_FILES_HPP

// Running a whole import of the shared small VCF (support/vcf_files.hpp)
// with its summary captured.

#include <cstdio>
#include <string>

#include "import_run.hpp"
#include "input/options.hpp"
#include "support/temp_files.hpp"
#include "support/vcf_files.hpp"

namespace parmix::importer::test {

struct ImportOutcome {
  bool failed = false;
  std::string message;  // the error's message, or the summary
};

inline ImportOutcome importWith(const Options& options) {
  ImportOutcome outcome;
  std::FILE* messages = std::tmpfile();
  try {
    runImport(options, messages);
  } catch (const std::exception& error) {
    outcome.failed = true;
    outcome.message = error.what();
  }
  if (!outcome.failed) {
    std::rewind(messages);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, messages)) > 0) outcome.message.append(buffer, n);
  }
  std::fclose(messages);
  return outcome;
}

inline Options vcfOptions(const parmix::test::TempDir& dir, const std::string& vcf) {
  Options options;
  options.format = InputFormat::Vcf;
  options.input = vcf;
  options.populationMap = dir.write("map.txt", kPopulationMap);
  options.populationR = "north";
  options.populationS = "south";
  options.prefix = dir.file("out");
  return options;
}

}  // namespace parmix::importer::test

#endif
