// libFuzzer target: the compressed-input reader.  The input is written as
// a file and read through the record scanner, which decompresses gzip and
// bgzip files.  Besides the sanitizers' findings, a crash is: a text the
// scanner takes as whole (not damaged) that differs from what zlib's own
// inflate makes of every member, or a damaged file whose members zlib
// inflates whole and with their checks, where the file is not bgzip.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_support.hpp"
#include "input/compressed_input.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

struct Inflated {
  std::string text;
  bool whole = false;  // every member ended with a good check
};

// Every gzip member of DATA one after another, as gzip -dc reads them;
// stops at bytes after a member that are not gzip data.
Inflated inflateMembers(const std::uint8_t* data, std::size_t size) {
  Inflated out;
  std::size_t at = 0;
  char buffer[16384];
  while (at + 2 <= size && data[at] == 0x1f && data[at + 1] == 0x8b) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) violated("inflateInit2 failed");
    z.next_in = const_cast<Bytef*>(data + at);
    z.avail_in = static_cast<uInt>(size - at);
    int status = Z_OK;
    while (status == Z_OK) {
      z.next_out = reinterpret_cast<Bytef*>(buffer);
      z.avail_out = sizeof buffer;
      status = inflate(&z, Z_NO_FLUSH);
      out.text.append(buffer, sizeof buffer - z.avail_out);
    }
    at = size - z.avail_in;
    inflateEnd(&z);
    if (status != Z_STREAM_END) return out;
  }
  out.whole = at > 0;
  return out;
}

std::string readThrough(parmix::GzipBuffer& buffer) {
  std::istream in(&buffer);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = Workspace::get().write("input.gz", data, size);
  if (!parmix::isGzipFile(path)) return 0;
  parmix::GzipBuffer buffer(path);
  if (!buffer.isOpen()) violated("a gzip file that does not open");
  const std::string text = readThrough(buffer);
  const Inflated expected = inflateMembers(data, size);
  if (!buffer.damaged() && text != expected.text)
    violated("a text taken as whole that is not the members' text");
  if (!buffer.damaged() && !expected.whole)
    violated("a file whose members do not inflate whole taken as whole");
  const parmix::GzipFraming framing = parmix::gzipFraming(path);
  if (buffer.damaged() && expected.whole && !framing.bgzip && expected.text == text)
    violated("a whole gzip file taken as damaged");
  return 0;
}
