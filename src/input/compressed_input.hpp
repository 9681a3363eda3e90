#ifndef PARMIX_INPUT_COMPRESSED_INPUT_HPP
#define PARMIX_INPUT_COMPRESSED_INPUT_HPP

// Input files compressed with gzip or bgzip (several gzip members one after
// another), read as the text they hold, so that every reader sees the same
// records, and gives the same messages and line numbers, as for the plain
// file.  A file is taken as compressed when it starts with the gzip magic
// bytes; every other file is read as it is, by the caller's own stream.
//
// Compressed data that end early, fail a member's CRC or length check, or
// (bgzip) lack the empty block that ends every whole bgzip file, end the
// text there and mark the buffer damaged: a reader that reaches the end of
// the text asks damaged() before it takes the text as whole.

#include <zlib.h>

#include <memory>
#include <streambuf>
#include <string>

namespace parmix {

// True when the file opens and starts with the gzip magic bytes 1f 8b.
bool isGzipFile(const std::string& path);

// What the start and the end of a gzip file tell of it: whether its first
// member is a bgzip block (a gzip header with the BC extra field), and
// whether its last 28 bytes are bgzip's end-of-file block.  A file that is
// not a regular file (a pipe) has no end to look at: atEnd stays unknown.
struct GzipFraming {
  bool bgzip = false;
  bool endKnown = false;
  bool endBlock = false;
};
GzipFraming gzipFraming(const std::string& path);

// A read-only stream buffer over the decompressed text of a gzip or bgzip
// file.  Owns the open file; closes it when destroyed.
class GzipBuffer : public std::streambuf {
 public:
  explicit GzipBuffer(const std::string& path);
  ~GzipBuffer() override;
  GzipBuffer(const GzipBuffer&) = delete;
  GzipBuffer& operator=(const GzipBuffer&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  // True once the text has ended at a fault of the compressed data rather
  // than at its true end (see above).  Known only when the end was read.
  bool damaged() const { return damaged_; }

 protected:
  int_type underflow() override;

 private:
  void noteEnd(int readResult);

  gzFile file_ = nullptr;
  std::unique_ptr<char[]> buffer_;
  bool missingEndBlock_ = false;
  bool damaged_ = false;
};

}  // namespace parmix

#endif
