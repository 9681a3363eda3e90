#ifndef PARMIX_INPUT_COMPRESSED_INPUT_HPP
#define PARMIX_INPUT_COMPRESSED_INPUT_HPP

// Input files compressed with gzip or bgzip (several gzip members one after
// another), read as the text they hold, so that every reader sees the same
// records, and gives the same messages and line numbers, as for the plain
// file.  A file is taken as compressed when it starts with the gzip magic
// bytes; every other file is read as it is, by the caller's own stream.

#include <zlib.h>

#include <memory>
#include <streambuf>
#include <string>

namespace parmix {

// True when the file opens and starts with the gzip magic bytes 1f 8b.
bool isGzipFile(const std::string& path);

// A read-only stream buffer over the decompressed text of a gzip or bgzip
// file.  A fault of the compressed data ends the text there, as the end of
// a plain file would.  Owns the open file; closes it when destroyed.
class GzipBuffer : public std::streambuf {
 public:
  explicit GzipBuffer(const std::string& path);
  ~GzipBuffer() override;
  GzipBuffer(const GzipBuffer&) = delete;
  GzipBuffer& operator=(const GzipBuffer&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  // True once reading met a fault of the compressed data (a failed check,
  // data that end early), so a caller can name it rather than its effect.
  bool damaged() const { return damaged_; }

 protected:
  int_type underflow() override;

 private:
  gzFile file_ = nullptr;
  std::unique_ptr<char[]> buffer_;
  bool damaged_ = false;
};

}  // namespace parmix

#endif
