// parmix-merge: the reports of the shards of one genome-scale run joined
// into the report of the whole run.

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "errors.hpp"
#include "report_merge.hpp"

namespace {

using namespace parmix;

const char* kUsage =
    "usage: parmix-merge -o REPORT SHARD_REPORT...\n"
    "  Joins the reports of parmix-genome --shard 1/N ... N/N, given in that order,\n"
    "  into the report of one run over all the individuals.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "parmix-merge: %s\n%s", message.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  std::string output;
  std::vector<std::string> shards;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--help" || words[i] == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (words[i] == "-o") {
      if (i + 1 == words.size() || words[i + 1].empty()) return usageError("option -o needs a value");
      output = words[++i];
    } else if (words[i].size() > 1 && words[i][0] == '-') {
      return usageError("unknown option " + words[i]);
    } else {
      shards.push_back(words[i]);
    }
  }
  if (output.empty()) return usageError("give the merged report with -o REPORT");
  if (shards.empty()) return usageError("give the shards' reports to merge");
  try {
    genome::mergeReportFiles(output, shards);
  } catch (const importer::InputError& error) {
    std::fprintf(stderr, "parmix-merge: %s\n", error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "parmix-merge: there is not enough memory to merge the reports\n");
    return 1;
  }
  return 0;
}
