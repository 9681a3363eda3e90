#include "run/progress.hpp"

#include <unistd.h>

namespace parmix::importer {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(2);
constexpr auto kTerminalEvery = std::chrono::milliseconds(500);
constexpr auto kLogEvery = std::chrono::seconds(10);
constexpr std::size_t kCallsPerClockLook = 256;

}  // namespace

std::string progressText(std::size_t count, const char* unit, std::uint64_t bytes,
                         std::uint64_t total, double seconds) {
  const double megabytes = static_cast<double>(bytes) / 1e6;
  char text[128];
  if (total > 0) {
    std::snprintf(text, sizeof text, "%zu %s, %.0f%% of %.1f MB, %.1f MB/s", count, unit,
                  100.0 * static_cast<double>(bytes) / static_cast<double>(total),
                  static_cast<double>(total) / 1e6, seconds > 0 ? megabytes / seconds : 0.0);
  } else {
    std::snprintf(text, sizeof text, "%zu %s, %.1f MB, %.1f MB/s", count, unit, megabytes,
                  seconds > 0 ? megabytes / seconds : 0.0);
  }
  return text;
}

Progress::Progress(std::FILE* out, bool enabled, const char* unit)
    : out_(out),
      enabled_(enabled),
      unit_(unit),
      terminal_(::isatty(::fileno(out)) != 0),
      start_(Clock::now()),
      nextShow_(start_ + kQuietStart) {}

void Progress::update(std::size_t count, std::uint64_t bytes, std::uint64_t total) {
  if (!enabled_ || ++calls_ % kCallsPerClockLook != 0) return;
  const Clock::time_point now = Clock::now();
  if (now < nextShow_) return;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const std::string text = progressText(count, unit_, bytes, total, seconds);
  if (terminal_) {
    std::fprintf(out_, "\rparmix-import: %s   ", text.c_str());
    lineOpen_ = true;
    nextShow_ = now + kTerminalEvery;
  } else {
    std::fprintf(out_, "parmix-import: %s\n", text.c_str());
    nextShow_ = now + kLogEvery;
  }
  std::fflush(out_);
}

void Progress::finish() {
  if (lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
}

}  // namespace parmix::importer
