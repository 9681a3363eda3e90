// parmix-floors PARENTAL INDIVIDUAL: the two floors a run is measured
// against, on this machine and in this moment.
//
//   read: the time to read both input files once, in 1 MB reads, as bytes
//         (no parsing at all);
//   log:  the time of as many log() calls as the run's likelihood
//         evaluations make, in a tight loop, divided by the cores the run
//         uses.  The count comes from studying every individual exactly as
//         a run does; the loop is timed on a sample of calls and scaled.
//
// Prints "name value" lines for the benchmark script.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "data_loader.hpp"
#include "estimate/study.hpp"
#include "estimate/worker_pool.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads the file start to end; returns the bytes read, or -1.
long long readWhole(const std::string& path, std::vector<char>& buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  long long total = 0;
  ssize_t got;
  while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) total += got;
  ::close(fd);
  return got < 0 ? -1 : total;
}

// Fastest of several reads of both files (the page cache is warm after the
// runs, as it is for them).
double readFloor(const std::string& parental, const std::string& individual) {
  std::vector<char> buffer(1 << 20);
  double best = 1e300;
  for (int rep = 0; rep < 5; ++rep) {
    const Clock::time_point start = Clock::now();
    if (readWhole(parental, buffer) < 0 || readWhole(individual, buffer) < 0) return -1.0;
    best = std::min(best, secondsSince(start));
  }
  return best;
}

// Seconds per log() call in a tight loop over probabilities like the
// run's (spread over (0, 1]); the fastest of several timings.
double secondsPerLog(std::uint64_t calls) {
  std::vector<double> x(4096);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = (i + 0.5) / x.size();
  double best = 1e300;
  double sink = 0.0;
  for (int rep = 0; rep < 3; ++rep) {
    const Clock::time_point start = Clock::now();
    double sum = 0.0;
    for (std::uint64_t n = 0; n < calls; n += x.size())
      for (double v : x) sum += std::log(v);
    best = std::min(best, secondsSince(start));
    sink += sum;
  }
  if (sink == 1.0) std::puts("");  // keeps the loop from being optimised away
  const std::uint64_t done = (calls + x.size() - 1) / x.size() * x.size();
  return best / static_cast<double>(done);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: parmix-floors PARENTAL INDIVIDUAL\n");
    return 2;
  }
  const std::string parental = argv[1], individual = argv[2];
  const double read = readFloor(parental, individual);
  parmix::DataSet data;
  std::string message;
  if (read < 0 || !parmix::bench::loadDataSet(parental, individual, data, message)) {
    std::fprintf(stderr, "parmix-floors: %s\n", read < 0 ? "cannot read the files" : message.c_str());
    return 1;
  }
  const unsigned cores = parmix::usableCores();
  std::uint64_t logCalls = 0;
  const std::vector<char> types = parmix::effectiveLocusTypes(data);
  parmix::studyIndividuals(parmix::MatrixIndividuals(data),
                           parmix::ParentalModel(types.data(), data.freqR.rows(), data.freqS.rows()),
                           parmix::HybridIndexModel(),
                           parmix::StudySettings(cores, nullptr, nullptr, &logCalls));
  const std::uint64_t sample = std::min<std::uint64_t>(logCalls, 400000000);
  const double perLog = secondsPerLog(std::max<std::uint64_t>(sample, 1));
  std::printf("read_seconds %.6f\n", read);
  std::printf("log_calls %llu\n", static_cast<unsigned long long>(logCalls));
  std::printf("log_ns_per_call %.4f\n", perLog * 1e9);
  std::printf("cores %u\n", cores);
  std::printf("log_seconds %.6f\n", perLog * static_cast<double>(logCalls) / cores);
  return 0;
}
