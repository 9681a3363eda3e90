// parmix-import: turns a VCF/BCF or STRUCTURE file and a population map
// into the parental file and the individual file that parmix analyses.

#include <htslib/hts_log.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "input/errors.hpp"
#include "import_run.hpp"
#include "input/options.hpp"
#include "parmix_version.hpp"

#ifndef PARMIX_VERSION
#define PARMIX_VERSION "unknown"
#endif

namespace {

using namespace parmix::importer;

int run(const std::vector<std::string>& words) {
  Options options;
  try {
    switch (parseOptions(words, options)) {
      case ParseOutcome::Help:
        std::fputs(usageText(), stdout);
        std::fputs(helpText(), stdout);
        return 0;
      case ParseOutcome::Version:
        std::printf("parmix-import %s\n", PARMIX_VERSION);
        return 0;
      case ParseOutcome::Run:
        break;
    }
  } catch (const UsageError& error) {
    std::fprintf(stderr, "parmix-import: %s\n%sTry 'parmix-import --help' for more.\n",
                 error.what(), usageText());
    return 2;
  }
  // htslib's own warnings (a FORMAT field declared oddly, say) follow the
  // program's verbosity; its errors come before the one message of ours
  // that names the record.
  hts_set_log_level(options.quiet ? HTS_LOG_OFF : HTS_LOG_WARNING);
  try {
    runImport(options, stderr);
  } catch (const InputError& error) {
    std::fprintf(stderr, "parmix-import: %s\n", error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "parmix-import: there is not enough memory for this import\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
