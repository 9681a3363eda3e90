#include "estimate/worker_pool.hpp"

#include "input/status.hpp"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace parmix {

namespace {

// What the threads of one pool share.  Only `next`, `failed` and `error`
// change, and only through atomics or the mutex.
struct SharedTasks {
  explicit SharedTasks(int n) : tasks(n) {}
  int tasks;
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::mutex errorLock;
  std::exception_ptr error;
};

void work(SharedTasks& shared, const std::function<TaskBody()>& makeWorker) {
  try {
    const TaskBody body = makeWorker();
    while (!shared.failed.load(std::memory_order_relaxed)) {
      const int task = shared.next.fetch_add(1);
      if (task >= shared.tasks) break;
      body(task);
    }
  } catch (...) {
    const std::lock_guard<std::mutex> lock(shared.errorLock);
    if (!shared.error) shared.error = std::current_exception();
    shared.failed = true;
  }
}

// Starts up to `extra` helper threads; fewer when the system refuses more.
void startHelpers(SharedTasks& shared, const std::function<TaskBody()>& makeWorker,
                  unsigned extra, std::vector<std::thread>& helpers) {
  for (unsigned t = 0; t < extra; ++t) {
    try {
      helpers.emplace_back(work, std::ref(shared), std::cref(makeWorker));
    } catch (const std::system_error&) {
      break;  // the threads already running, and this one, do the work
    }
  }
}

}  // namespace

int threadCountOf(const std::string& text) {
  if (text.empty() || text.size() > 4) return 0;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = 10 * n + (c - '0');
  }
  return n <= kMostThreads ? n : 0;
}

std::string threadCountProblem(const std::string& option, const std::string& text) {
  return "option " + option + " needs a whole number from 1 to " + std::to_string(kMostThreads) +
         ", not " + quotedValue(text);
}

unsigned usableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  const unsigned reported = std::thread::hardware_concurrency();
  return reported > 0 ? reported : 1;
}

void runOnWorkers(int tasks, unsigned workers, const std::function<TaskBody()>& makeWorker) {
  SharedTasks shared(tasks);
  const unsigned useful =
      std::min<unsigned>(std::max(workers, 1u), static_cast<unsigned>(std::max(tasks, 1)));
  std::vector<std::thread> helpers;
  helpers.reserve(useful - 1);  // so starting a helper never reallocates
  startHelpers(shared, makeWorker, useful - 1, helpers);
  work(shared, makeWorker);
  for (std::thread& helper : helpers) helper.join();
  if (shared.error) std::rethrow_exception(shared.error);
}

}  // namespace parmix
