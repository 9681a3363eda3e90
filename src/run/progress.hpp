#ifndef PARMIX_IMPORT_PROGRESS_HPP
#define PARMIX_IMPORT_PROGRESS_HPP

// The progress indicator on standard error.  A quick import prints nothing;
// one that runs for more than a couple of seconds shows the sites read, the
// share of the input and the speed: on a terminal as one line rewritten in
// place, elsewhere (a log file) as a new line every little while.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace parmix::importer {

// "12345 sites, 40% of 512.0 MB, 85.3 MB/s" (UNIT "sites"); the share is
// left out when TOTAL is unknown (0).
std::string progressText(std::size_t count, const char* unit, std::uint64_t bytes,
                         std::uint64_t total, double seconds);

class Progress {
 public:
  using Clock = std::chrono::steady_clock;
  // UNIT names what is counted: sites, or the rows of a STRUCTURE file.
  Progress(std::FILE* out, bool enabled, const char* unit);
  // Called for every site or row; looks at the clock only now and then.
  void update(std::size_t count, std::uint64_t bytes, std::uint64_t total);
  // Ends a line left open on a terminal.
  void finish();

 private:
  std::FILE* out_;
  bool enabled_;
  const char* unit_;
  bool terminal_;
  bool lineOpen_ = false;
  Clock::time_point start_;
  Clock::time_point nextShow_;
  std::size_t calls_ = 0;
};

}  // namespace parmix::importer

#endif
