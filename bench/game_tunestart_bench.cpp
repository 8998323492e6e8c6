// The updates around each tune start, through the headless harness with OpenAL Soft's null
// output and the built data: the game started from the title menu (its tune starts in that
// update) and the credits tune. Reports the longest update in wall and thread-CPU time over
// the three seconds after each start. Run by hand; figures in README.md.
#include <benchmark/benchmark.h>
#include <limits.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "bench/timing.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

namespace {

double WallMicros() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

vgtest::Harness& Game() {
  static std::unique_ptr<vgtest::Harness> harness;
  if (harness) return *harness;
  vgbench::FindBuildDir();
  harness = std::make_unique<vgtest::Harness>();
  harness->Start();
  harness->FinishLoading();
  harness->Frame(60);
  // The program spends at least this long on its loading screen and menu before a game.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  return *harness;
}

// Runs `start` inside the first of 180 timed updates (each followed by a render, as the main
// loop does when it keeps up) and reports the longest.
template <typename Start>
void TimeAround(benchmark::State& state, Start start) {
  vgtest::Harness& h = Game();
  double wall = 0, cpu = 0;
  for (auto _ : state) {
    for (int i = 0; i < 180; ++i) {
      double w0 = WallMicros(), c0 = vgbench::ThreadCpuMicros();
      if (i == 0) start(h);
      h.Update();
      h.Render();
      wall = std::max(wall, WallMicros() - w0);
      cpu = std::max(cpu, vgbench::ThreadCpuMicros() - c0);
    }
  }
  state.counters["longest_wall_ms"] = wall / 1000;
  state.counters["longest_cpu_ms"] = cpu / 1000;
}

void BM_GameStartFromMenu(benchmark::State& state) {
  TimeAround(state, [](vgtest::Harness& h) { h.Press(vgtest::kKeyEnter); });
  benchmark::DoNotOptimize(Game().app()->m_Screen);
}
BENCHMARK(BM_GameStartFromMenu)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CreditsTuneStart(benchmark::State& state) {
  Game().Release(vgtest::kKeyEnter);
  TimeAround(state, [](vgtest::Harness& h) { h.app()->p_PlayTune("Sollenmark", 0); });
}
BENCHMARK(BM_CreditsTuneStart)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
