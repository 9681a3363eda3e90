#include "estimate/worker_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace parmix {
namespace {

// Every task runs exactly once whatever the number of threads, including
// more threads than tasks and no tasks at all.
TEST(WorkerPool, EveryTaskRunsExactlyOnce) {
  const struct {
    int tasks;
    unsigned workers;
  } cases[] = {{0, 4}, {1, 1}, {1, 8}, {7, 3}, {1000, 2}, {1000, 16}, {5, 0}};
  for (const auto& c : cases) {
    std::vector<std::atomic<int>> runs(static_cast<std::size_t>(c.tasks));
    runOnWorkers(c.tasks, c.workers, [&] { return [&](int task) { ++runs[task]; }; });
    for (int t = 0; t < c.tasks; ++t)
      EXPECT_EQ(runs[t].load(), 1) << c.tasks << " tasks, " << c.workers << " workers, task " << t;
  }
}

// Each thread builds its body once, so no two threads share its scratch.
TEST(WorkerPool, EachThreadMakesItsOwnBody) {
  std::atomic<int> bodies{0};
  std::atomic<int> threadsSeen{0};
  runOnWorkers(64, 4, [&] {
    ++bodies;
    auto owner = std::make_shared<std::thread::id>(std::this_thread::get_id());
    return [owner, &threadsSeen](int) {
      if (*owner != std::this_thread::get_id()) ++threadsSeen;  // a body crossed threads
    };
  });
  EXPECT_GE(bodies.load(), 1);
  EXPECT_LE(bodies.load(), 4);
  EXPECT_EQ(threadsSeen.load(), 0);
}

// A failure in a body, on a helper or the calling thread, reaches the
// caller as the exception thrown, after every helper thread has ended.
TEST(WorkerPool, AFailureReachesTheCaller) {
  for (const int failing : {0, 1, 499}) {
    EXPECT_THROW(runOnWorkers(100000, 3,
                              [&] {
                                return [failing](int task) {
                                  if (task == failing) throw std::runtime_error("task failed");
                                };
                              }),
                 std::runtime_error);
  }
}

}  // namespace
}  // namespace parmix
