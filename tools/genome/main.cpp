// parmix-genome: the hybrid index of every individual to study, straight
// from a VCF/BCF panel and a population map.

#include <htslib/hts_log.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "errors.hpp"
#include "genome_options.hpp"
#include "genome_run.hpp"

#ifndef PARMIX_VERSION
#define PARMIX_VERSION "unknown"
#endif

namespace {

using namespace parmix;

int run(const std::vector<std::string>& words) {
  genome::GenomeOptions options;
  try {
    switch (genome::parseGenomeOptions(words, options)) {
      case importer::ParseOutcome::Help:
        std::fputs(genome::genomeUsageText(), stdout);
        std::fputs(genome::genomeHelpText(), stdout);
        return 0;
      case importer::ParseOutcome::Version:
        std::printf("parmix-genome %s\n", PARMIX_VERSION);
        return 0;
      case importer::ParseOutcome::Run:
        break;
    }
  } catch (const importer::UsageError& error) {
    std::fprintf(stderr, "parmix-genome: %s\n%sTry 'parmix-genome --help' for more.\n",
                 error.what(), genome::genomeUsageText());
    return 2;
  }
  try {
    genome::runGenome(options, stderr);
  } catch (const importer::InputError& error) {
    std::fprintf(stderr, "parmix-genome: %s\n", error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "parmix-genome: there is not enough memory for this analysis\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // htslib's own diagnostics would come before ours and say less.
  hts_set_log_level(HTS_LOG_OFF);
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
