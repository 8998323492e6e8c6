// The cost of one update of the game's two resting screens, the title menu and the loading
// screen, through the headless harness: median and p99 thread-CPU time of p_OnUpdate over
// 10 000 updates, and heap allocations per update on the main thread (every malloc counts:
// strings, collected objects, the C++ runtime). Run by hand; figures in README.md.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/input.h"
#include "game/myapp.h"
#include "bench/timing.h"
#include "runtime/gc.h"
#include "tests/support/harness.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t n, size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);

namespace {
// Only the game's thread is counted: OpenAL's mixer thread allocates on its own schedule.
thread_local bool tCounting = false;
long gAllocations = 0;
}  // namespace

extern "C" void* malloc(size_t size) {
  if (tCounting) ++gAllocations;
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t n, size_t size) {
  if (tCounting) ++gAllocations;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size) {
  if (tCounting) ++gAllocations;
  return __libc_realloc(p, size);
}

namespace {

constexpr int kUpdates = 10000;

vgtest::Harness& Game() {
  static std::unique_ptr<vgtest::Harness> harness;
  if (harness) return *harness;
  vgbench::FindBuildDir();
  harness = std::make_unique<vgtest::Harness>();
  harness->Start();
  harness->FinishLoading();
  harness->Frame(60);  // the menu has slid in
  return *harness;
}

using vgbench::Percentile;
using vgbench::ThreadCpuMicros;

// One update as the delegate runs it, with only p_OnUpdate timed and counted; the collector
// step the host runs afterwards is outside both.
void TimedUpdate(vgtest::Harness& h, std::vector<double>& cpu, long& allocations) {
  h.clock().now += 1.0 / 60.0;
  vg_input_device->p_BeginUpdate();
  long before = gAllocations;
  tCounting = true;
  double c0 = ThreadCpuMicros();
  h.app()->p_OnUpdate();
  double c1 = ThreadCpuMicros();
  tCounting = false;
  allocations += gAllocations - before;
  cpu.push_back(c1 - c0);
  vg_input_device->p_EndUpdate();
  gc_collect();
}

void Report(benchmark::State& state, const std::vector<double>& cpu, long allocations,
            int updates) {
  state.counters["cpu_med_us"] = Percentile(cpu, 0.5);
  state.counters["cpu_p99_us"] = Percentile(cpu, 0.99);
  state.counters["allocs_per_update"] = static_cast<double>(allocations) / updates;
}

void BM_TitleMenuUpdate(benchmark::State& state) {
  vgtest::Harness& h = Game();
  h.app()->m_Screen = kScreenMenu;
  std::vector<double> cpu;
  long allocations = 0;
  for (auto _ : state) TimedUpdate(h, cpu, allocations);
  Report(state, cpu, allocations, static_cast<int>(state.iterations()));
  state.counters["records"] = h.app()->m_DrawCount / kDrawRecord;
}
BENCHMARK(BM_TitleMenuUpdate)->Iterations(kUpdates)->Unit(benchmark::kMicrosecond);

// The loading screen without file work: the last stage only ends loading and draws, which
// is what every stage's frame costs apart from its one file.
void BM_LoadingScreenUpdate(benchmark::State& state) {
  vgtest::Harness& h = Game();
  std::vector<double> cpu;
  long allocations = 0;
  for (auto _ : state) {
    h.app()->m_Loading = 24;
    TimedUpdate(h, cpu, allocations);
  }
  Report(state, cpu, allocations, static_cast<int>(state.iterations()));
  state.counters["records"] = h.app()->m_DrawCount / kDrawRecord;
}
BENCHMARK(BM_LoadingScreenUpdate)->Iterations(kUpdates)->Unit(benchmark::kMicrosecond);

// Whole loader passes, 24 updates each, file decoding included (the window size stays, so
// every pass loads the same "-hd" set). The p99 is the heaviest files.
void BM_LoaderPassUpdates(benchmark::State& state) {
  vgtest::Harness& h = Game();
  std::vector<double> cpu;
  long allocations = 0;
  int updates = 0;
  for (auto _ : state) {
    h.app()->m_Loading = 1;
    while (h.app()->m_Loading > 0) {
      TimedUpdate(h, cpu, allocations);
      ++updates;
    }
  }
  Report(state, cpu, allocations, updates);
}
BENCHMARK(BM_LoaderPassUpdates)->Iterations(kUpdates / 24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
