// VgThread's one-shot life: start, run, finish, wait, start again; and its states as the
// owning thread sees them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/thread.h"

namespace {
// A worker that holds until released, so tests can look at a thread while it runs.
struct Gate : VgThread {
  std::atomic<bool> open{false};
  std::atomic<int> runs{0};
  int value = 0;  // written by the worker, read by the owner after Wait
  void Run__UNSAFE__() override {
    while (!open.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    value = 1000 + runs.load();
    runs.fetch_add(1);
  }
};
}  // namespace

TEST(Thread, WorkersResultIsSeenAfterWait) {
  Gate* g = new Gate();
  g->Start();
  EXPECT_TRUE(g->IsRunning());
  g->open = true;
  g->Wait();
  EXPECT_FALSE(g->IsRunning());
  EXPECT_EQ(g->runs.load(), 1);
  EXPECT_EQ(g->value, 1000);
  Object* result = new Object();
  g->SetResult(result);
  EXPECT_EQ(g->Result(), result);
}

TEST(Thread, StartWhileRunningDoesNothing) {
  Gate* g = new Gate();
  g->Start();
  g->Start();
  g->Start();
  g->open = true;
  g->Wait();
  EXPECT_EQ(g->runs.load(), 1);
}

TEST(Thread, WaitOnAnIdleThreadReturnsAtOnce) {
  VgThread* t = new VgThread();
  auto t0 = std::chrono::steady_clock::now();
  t->Wait();
  t->Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(100));
  EXPECT_FALSE(t->IsRunning());
  EXPECT_EQ(t->Result(), nullptr);
}

TEST(Thread, FinishedThreadStartsAgain) {
  Gate* g = new Gate();
  g->open = true;
  g->Start();
  // Finished but not waited for: the state says so, and Start joins the old worker.
  for (int i = 0; i < 2000 && g->IsRunning(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(g->IsRunning());
  g->Start();
  g->Wait();
  EXPECT_EQ(g->runs.load(), 2);
  EXPECT_EQ(g->value, 1001);
  // A plain VgThread runs its empty body and finishes.
  VgThread* t = new VgThread();
  t->Start();
  t->Wait();
  EXPECT_FALSE(t->IsRunning());
}
