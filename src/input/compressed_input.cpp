#include "input/compressed_input.hpp"

#include <fstream>

namespace parmix {

namespace {
constexpr unsigned kBufferSize = 1u << 18;
}  // namespace

bool isGzipFile(const std::string& path) {
  std::ifstream in(path, std::ios::in | std::ios::binary);
  char magic[2] = {0, 0};
  if (!in.read(magic, 2)) return false;
  return static_cast<unsigned char>(magic[0]) == 0x1f &&
         static_cast<unsigned char>(magic[1]) == 0x8b;
}

GzipBuffer::GzipBuffer(const std::string& path)
    : file_(gzopen(path.c_str(), "rb")), buffer_(new char[kBufferSize]) {
  if (file_ != nullptr) gzbuffer(file_, kBufferSize);
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
    // zlib reports data that end early (Z_BUF_ERROR) as an end, not a
    // failure: its error state tells the two apart.
    int error = Z_OK;
    gzerror(file_, &error);
    damaged_ = n < 0 || error != Z_OK;
    return traits_type::eof();
  }
  setg(buffer_.get(), buffer_.get(), buffer_.get() + n);
  return traits_type::to_int_type(*gptr());
}

}  // namespace parmix
