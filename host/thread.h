// VgThread: a one-shot worker thread for game code. A subclass puts its work in
// Run__UNSAFE__(), which runs on the new thread and must not allocate collected objects or
// touch collected state; only the state word is shared between the two threads.
#pragma once
#include <atomic>
#include <thread>

#include "runtime/object.h"

class VgThread : public Object {
 public:
  enum { kIdle = 0, kRunning = 1, kFinished = 2 };

  VgThread() {}
  // Waits for a worker still running: the worker runs on this object.
  ~VgThread() override;
  void mark() override;

  // Nothing while running; otherwise joins a finished worker and starts a new one. A page
  // has no threads: there the work runs to its end before Start returns.
  virtual void Start();
  virtual bool IsRunning();
  virtual Object* Result();
  virtual void SetResult(Object* result);
  virtual void Run__UNSAFE__() {}
  // Blocks until the worker ends (at once when idle), then the thread is idle again.
  virtual void Wait();

 private:
  std::atomic<int> _state{kIdle};
  Object* _result = nullptr;
  std::thread _thread;
};
