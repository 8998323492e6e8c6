// VgThread's one-shot life: start, run, finish, wait, start again; and its states as the
// owning thread sees them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/thread.h"

namespace {
// A worker that holds until released, so the test can look at a thread while it runs.
struct Gate : VgThread {
  std::atomic<bool> open{false};
  std::atomic<int> runs{0};
  int value = 0;  // written by the worker, read by the owner after Wait
  void Run__UNSAFE__() override {
    while (!open.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    value = 1000 + runs.fetch_add(1);
  }
};
}  // namespace

TEST(Thread, OneWorkerRunsPerStartAndItsResultIsSeenAfterWait) {
  VgThread* idle = new VgThread();
  idle->Wait();  // returns at once: there is nothing to wait for
  EXPECT_FALSE(idle->IsRunning());
  EXPECT_EQ(idle->Result(), nullptr);

  Gate* g = new Gate();
  g->Start();
  g->Start();  // already running: nothing happens
  EXPECT_TRUE(g->IsRunning());
  g->open = true;
  g->Wait();
  EXPECT_FALSE(g->IsRunning());
  EXPECT_EQ(g->runs.load(), 1);
  EXPECT_EQ(g->value, 1000);
  Object* result = new Object();
  g->SetResult(result);
  EXPECT_EQ(g->Result(), result);

  g->Start();  // finished but not waited for: the state says so, and Start begins anew
  for (int i = 0; i < 5000 && g->IsRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(g->IsRunning());
  g->Start();
  g->Wait();
  EXPECT_EQ(g->runs.load(), 3);
  EXPECT_EQ(g->value, 1002);
}
