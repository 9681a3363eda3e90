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

std::string shortenedValue(const std::string& text) {
  constexpr std::size_t kMostShown = 60;
  std::size_t end = 0;
  for (std::size_t shown = 0; end < text.size() && shown < kMostShown; ++shown) {
    ++end;  // past one character: its first byte and its continuation bytes
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return end == text.size() ? text : text.substr(0, end) + "\u2026";
}

std::string quotedValue(const std::string& text) { return "\"" + shortenedValue(text) + "\""; }

}  // namespace parmix
