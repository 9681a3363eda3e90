#ifndef PARMIX_ESTIMATE_WORKER_POOL_HPP
#define PARMIX_ESTIMATE_WORKER_POOL_HPP

// The thread pool behind every study of many individuals: numbered tasks
// handed out one at a time to at most `workers` threads, the calling one
// included.  Each thread gets its own task body from `makeWorker`, so the
// scratch memory a body needs (an individual's layout, say) is made once
// per thread and never shared.  A failure in any body stops the others
// from taking new tasks and is rethrown on the calling thread, after every
// helper thread has ended.

#include <functional>
#include <string>

namespace parmix {

// Cores this process may run on (its CPU affinity), at least 1.
unsigned usableCores();

// The most threads a study may be asked for.
constexpr int kMostThreads = 4096;

// A thread count as every command and program option takes it: plain
// decimal digits for a number from 1 to kMostThreads.  Returns the count,
// or 0 for anything else (hex, blanks, signs, fractions, larger numbers).
int threadCountOf(const std::string& text);

// The one message for a refused thread count: "option OPTION needs a whole
// number from 1 to 4096, not "TEXT"" (TEXT cut when long).
std::string threadCountProblem(const std::string& option, const std::string& text);

using TaskBody = std::function<void(int task)>;

// Runs the body of some thread on every task 0 .. tasks-1, each exactly
// once unless a body throws.  Fewer threads start when the system refuses
// more; the calling thread always works.
void runOnWorkers(int tasks, unsigned workers, const std::function<TaskBody()>& makeWorker);

}  // namespace parmix

#endif
