#include "input/compressed_input.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace parmix {

namespace {
constexpr unsigned kBufferSize = 1u << 18;

// The empty block bgzip ends every file with; a bgzip file cut at a block
// boundary lacks it, and nothing else tells that the text is incomplete.
constexpr unsigned char kBgzfEndBlock[28] = {
    0x1f, 0x8b, 0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0x06, 0x00, 0x42, 0x43,
    0x02, 0x00, 0x1b, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// True when the gzip header in HEAD (N bytes) carries the BC extra field
// of a bgzip block.
bool hasBgzfField(const unsigned char* head, std::size_t n) {
  if (n < 12 || head[0] != 0x1f || head[1] != 0x8b || (head[3] & 4) == 0) return false;
  const std::size_t extraEnd = std::min<std::size_t>(n, 12 + (head[10] | head[11] << 8));
  for (std::size_t at = 12; at + 4 <= extraEnd;) {
    const std::size_t length = head[at + 2] | head[at + 3] << 8;
    if (head[at] == 'B' && head[at + 1] == 'C' && length == 2) return true;
    at += 4 + length;
  }
  return false;
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool isGzipFile(const std::string& path) {
  std::ifstream in(path, std::ios::in | std::ios::binary);
  char magic[2] = {0, 0};
  if (!in.read(magic, 2)) return false;
  return static_cast<unsigned char>(magic[0]) == 0x1f &&
         static_cast<unsigned char>(magic[1]) == 0x8b;
}

GzipFraming gzipFraming(const std::string& path) {
  GzipFraming framing;
  // Only a regular file is opened twice: a pipe would lose what the probe read.
  if (!isRegularFile(path)) return framing;
  std::ifstream in(path, std::ios::in | std::ios::binary);
  unsigned char head[64] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  framing.bgzip = hasBgzfField(head, static_cast<std::size_t>(in.gcount()));
  in.clear();
  unsigned char tail[sizeof kBgzfEndBlock] = {};
  if (in.seekg(-static_cast<std::streamoff>(sizeof tail), std::ios::end) &&
      in.read(reinterpret_cast<char*>(tail), sizeof tail)) {
    framing.endBlock = std::memcmp(tail, kBgzfEndBlock, sizeof tail) == 0;
  }
  framing.endKnown = true;
  return framing;
}

GzipBuffer::GzipBuffer(const std::string& path)
    : file_(gzopen(path.c_str(), "rb")), buffer_(new char[kBufferSize]) {
  if (file_ != nullptr) gzbuffer(file_, kBufferSize);
  const GzipFraming framing = gzipFraming(path);
  missingEndBlock_ = framing.bgzip && framing.endKnown && !framing.endBlock;
  setg(buffer_.get(), buffer_.get(), buffer_.get());
}

GzipBuffer::~GzipBuffer() {
  if (file_ != nullptr) gzclose(file_);
}

GzipBuffer::int_type GzipBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (file_ == nullptr) return traits_type::eof();
  const int n = gzread(file_, buffer_.get(), kBufferSize);
  if (n <= 0) {
    noteEnd(n);
    return traits_type::eof();
  }
  setg(buffer_.get(), buffer_.get(), buffer_.get() + n);
  return traits_type::to_int_type(*gptr());
}

// zlib returns -1 for data that fail to inflate or fail a member's check,
// and ends the text quietly, with Z_BUF_ERROR kept, where the data stop
// inside a member (its trailer included).
void GzipBuffer::noteEnd(int readResult) {
  int error = Z_OK;
  gzerror(file_, &error);
  damaged_ = damaged_ || readResult < 0 || error == Z_BUF_ERROR || error == Z_DATA_ERROR ||
             missingEndBlock_;
}

}  // namespace parmix
