// libFuzzer target: the reader of the shard reports that --merge joins.
// The input holds up to three reports separated by lines "%%".  Each is
// split into its parts and the parts merged, in memory.  Besides the
// sanitizers' findings, a crash is: a failure without a message naming a
// shard, or a merge that is not the shared parts with every shard's rows
// in order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/errors.hpp"
#include "fuzz_support.hpp"
#include "report/report_merge.hpp"

using parmix::fuzz::violated;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> texts = parmix::fuzz::splitParts(data, size, 3);
  std::vector<std::string> paths;
  for (std::size_t k = 0; k < texts.size(); ++k) paths.push_back("shard" + std::to_string(k + 1));
  try {
    std::vector<parmix::genome::ReportParts> shards;
    for (std::size_t k = 0; k < texts.size(); ++k) {
      shards.push_back(parmix::genome::splitReport(texts[k], paths[k]));
      const parmix::genome::ReportParts& p = shards.back();
      if (p.timestamp + p.preamble + p.rows + p.ending != texts[k])
        violated("parts that do not make up the report");
    }
    const std::string merged = parmix::genome::mergeReports(shards, paths, "stamp\n");
    std::string expected = "stamp\n" + shards[0].preamble;
    for (const parmix::genome::ReportParts& p : shards) expected += p.rows;
    expected += shards[0].ending;
    if (merged != expected) violated("a merge that is not the shared parts and every shard's rows");
  } catch (const parmix::importer::InputError& error) {
    const std::string message = error.what();
    bool named = false;
    for (const std::string& path : paths) named = named || message.find(path) != std::string::npos;
    if (!named) violated("a message that names no shard", message);
  }
  return 0;
}
