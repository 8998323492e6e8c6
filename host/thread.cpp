// VgThread over std::thread. The worker's only write the owner sees is the final state,
// stored with release order, so whatever Run__UNSAFE__ wrote is visible once the owner
// reads "finished" (or returns from Wait).
#include "host/thread.h"

#include "host/platform.h"

VgThread::~VgThread() {
  if (_thread.joinable()) _thread.join();
}

void VgThread::mark() { gc_mark_q(_result); }

void VgThread::Start() {
  if (_state.load(std::memory_order_acquire) == kRunning) return;
  if (!vg_platform::HasThreads()) {
    // The work runs to its end here, and the owner finds it finished at its first look.
    _state.store(kRunning, std::memory_order_relaxed);
    Run__UNSAFE__();
    _state.store(kFinished, std::memory_order_release);
    return;
  }
  if (_thread.joinable()) _thread.join();
  _state.store(kRunning, std::memory_order_relaxed);
  _thread = std::thread([this] {
    Run__UNSAFE__();
    _state.store(kFinished, std::memory_order_release);
  });
}

bool VgThread::IsRunning() { return _state.load(std::memory_order_acquire) == kRunning; }

Object* VgThread::Result() { return _result; }

void VgThread::SetResult(Object* result) { gc_assign(_result, result); }

void VgThread::Wait() {
  if (_state.load(std::memory_order_acquire) == kIdle) return;
  if (_thread.joinable()) _thread.join();
  _state.store(kIdle, std::memory_order_relaxed);
}
