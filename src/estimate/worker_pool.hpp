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

namespace parmix {

// Cores this process may run on (its CPU affinity), at least 1.
unsigned usableCores();

using TaskBody = std::function<void(int task)>;

// Runs the body of some thread on every task 0 .. tasks-1, each exactly
// once unless a body throws.  Fewer threads start when the system refuses
// more; the calling thread always works.
void runOnWorkers(int tasks, unsigned workers, const std::function<TaskBody()>& makeWorker);

}  // namespace parmix

#endif
