#include "input/status.hpp"

#include <cstdarg>
#include <cstdio>

namespace parmix {

int Status::fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string message(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  std::vsnprintf(message.data(), message.size() + 1, format, again);
  va_end(again);
  message_ = std::move(message);
  return 1;
}

}  // namespace parmix
