#include "run/genome_options.hpp"

#include <cerrno>
#include <cstdlib>

#include "input/errors.hpp"
#include "input/status.hpp"

namespace parmix::genome {

namespace {

constexpr long kMostShards = 1000000;

// A whole number from LOW to HIGH written out in full, or -1.
long wholeNumber(const std::string& text, long low, long high) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return -1;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || value < low || value > high) return -1;
  return value;
}

}  // namespace

void parseShard(const std::string& option, const std::string& text, Selection& selection) {
  const std::size_t slash = text.find('/');
  const long k = slash == std::string::npos ? -1 : wholeNumber(text.substr(0, slash), 1, kMostShards);
  const long n = slash == std::string::npos ? -1 : wholeNumber(text.substr(slash + 1), 1, kMostShards);
  if (k < 0 || n < 0 || k > n) {
    throw importer::UsageError("option " + option +
                               " needs K/N, shard K of N with 1 <= K <= N, not " +
                               quotedValue(text));
  }
  selection.shardIndex = static_cast<int>(k);
  selection.shardCount = static_cast<int>(n);
}

}  // namespace parmix::genome
