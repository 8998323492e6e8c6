// Measures the host's real main loop on an X display: process CPU at 60 updates per second
// with a trivial application, CPU while suspended (focus moved away), and the pacing of
// updates. Run under a private server, e.g. `xvfb-run -a host_loop_bench` (see README.md);
// --seconds=N changes each phase's length (20 by default). Without a display it runs only
// the micro benchmarks of the entry points and key translation.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw_game.h"

namespace {

double CpuSeconds() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
         u.ru_stime.tv_usec / 1e6;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The application: nothing per update but a time stamp; each render shows the frame. After
// the running phase it moves the keyboard focus to the root window, which suspends the game
// as losing focus does on a desktop, and has the focus given back a phase later; on resume
// it closes the window, which ends Run().
class TrivialApp : public VgGameDelegate {
 public:
  double seconds = 20;
  std::vector<double> updates;
  int renders = 0, suspendedRenders = 0;
  bool running = true;
  double cpuMark = 0, wallMark = 0;
  double runningCpu = 0, runningWall = 0, suspendedCpu = 0, suspendedWall = 0;

  void StartGame() override {
    VgGame::_game->SetUpdateRate(60);
    wallMark = Now();
    cpuMark = CpuSeconds();
  }
  void UpdateGame() override {
    double t = Now();
    if (!running) return;
    updates.push_back(t);
    if (t - wallMark < seconds) return;
    runningCpu = CpuSeconds() - cpuMark;
    runningWall = t - wallMark;
    running = false;
    std::string command =
        "xdotool windowfocus $(xwininfo -root | awk '/Window id:/{print $4}'); "
        "(sleep " + std::to_string(seconds) +
        "; xdotool search --name '^Vantorell$' windowfocus) >/dev/null 2>&1 &";
    if (std::system(command.c_str()) != 0) std::printf("could not move the focus\n");
  }
  void SuspendGame() override {
    cpuMark = CpuSeconds();
    wallMark = Now();
  }
  void ResumeGame() override {
    if (running) return;
    suspendedCpu = CpuSeconds() - cpuMark;
    suspendedWall = Now() - wallMark;
    glfw2::glfwCloseWindow();
  }
  void RenderGame() override {
    ++renders;
    if (VgGame::_game->Suspended()) ++suspendedRenders;
    double t = Now();
    glfw2::glfwSwapBuffers();
    if (running) renderTimes.push_back(Now() - t);
  }
  std::vector<double> renderTimes;
};

// The machine's own sleep jitter for comparison: absolute 1/60 s deadlines with
// clock_nanosleep, nothing else. Returns the std-dev of the intervals in seconds.
double SleepBaseline(double seconds) {
  const double period = 1.0 / 60;
  std::vector<double> stamps;
  timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (int i = 0; i < static_cast<int>(seconds / period); ++i) {
    next.tv_nsec += static_cast<long>(period * 1e9);
    if (next.tv_nsec >= 1000000000) {
      next.tv_nsec -= 1000000000;
      ++next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    stamps.push_back(Now());
  }
  double mean = 0, var = 0;
  for (size_t i = 1; i < stamps.size(); ++i) mean += stamps[i] - stamps[i - 1];
  mean /= stamps.size() - 1;
  for (size_t i = 1; i < stamps.size(); ++i) {
    double d = stamps[i] - stamps[i - 1] - mean;
    var += d * d;
  }
  return std::sqrt(var / (stamps.size() - 1));
}

void BM_KeyEventWithCollectorStep(benchmark::State& state) {
  VgGlfwGame host;
  host.SetDelegate(new VgGameDelegate);
  host.StartGame();
  for (auto _ : state) host.KeyEvent(1, 65);
}
BENCHMARK(BM_KeyEventWithCollectorStep);

void BM_TransKeyWholeTable(benchmark::State& state) {
  for (auto _ : state) {
    int sum = 0;
    for (int k = 0; k <= glfw2::GLFW_KEY_LAST; ++k) sum += VgGlfwGame::TransKey(k);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_TransKeyWholeTable);

}  // namespace

int main(int argc, char** argv) {
  double seconds = 20;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
      seconds = std::atof(argv[i] + 10);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  benchmark::RunSpecifiedBenchmarks();

  if (!std::getenv("DISPLAY") || !glfw2::glfwInit()) {
    std::printf("no display: loop measurements skipped\n");
    return 0;
  }
  VgGlfwGame* host = new VgGlfwGame;
  TrivialApp* app = new TrivialApp;
  app->seconds = seconds;
  host->SetDelegate(app);
  std::printf("running the loop at 60 Hz for %.0f s, then suspended for %.0f s\n", seconds,
              seconds);
  std::fflush(stdout);
  host->Run();
  glfw2::glfwTerminate();

  const double period = 1.0 / 60;
  std::vector<double> gaps;
  for (size_t i = 1; i < app->updates.size(); ++i) {
    gaps.push_back(app->updates[i] - app->updates[i - 1]);
  }
  double mean = 0, var = 0, lo = 1e9, hi = 0;
  int doubled = 0, skipped = 0;
  for (double g : gaps) {
    mean += g;
    lo = g < lo ? g : lo;
    hi = g > hi ? g : hi;
    doubled += g < 0.5 * period;
    skipped += g > 1.5 * period;
  }
  if (!gaps.empty()) mean /= gaps.size();
  for (double g : gaps) var += (g - mean) * (g - mean);
  if (!gaps.empty()) var /= gaps.size();

  std::printf("running:   %.1f s wall, %.3f s CPU = %.2f %% of one core, %zu updates, %d renders\n",
              app->runningWall, app->runningCpu, 100 * app->runningCpu / app->runningWall,
              app->updates.size(), app->renders - app->suspendedRenders);
  std::printf("suspended: %.1f s wall, %.3f s CPU = %.3f %% of one core, %d renders\n",
              app->suspendedWall, app->suspendedCpu,
              app->suspendedWall > 0 ? 100 * app->suspendedCpu / app->suspendedWall : 0.0,
              app->suspendedRenders);
  std::printf("pacing:    mean interval %.3f ms, std-dev %.3f ms, min %.3f ms, max %.3f ms\n",
              1000 * mean, 1000 * std::sqrt(var), 1000 * lo, 1000 * hi);
  std::vector<double> dev;
  for (double g : gaps) dev.push_back(std::fabs(g - period));
  std::sort(dev.begin(), dev.end());
  if (!dev.empty()) {
    std::printf("           deviation from the period: median %.3f ms, p99 %.3f ms\n",
                1000 * dev[dev.size() / 2], 1000 * dev[dev.size() * 99 / 100]);
  }
  std::printf("           intervals under half a period %d, over one and a half %d\n", doubled,
              skipped);
  std::vector<double>& rt = app->renderTimes;
  std::sort(rt.begin(), rt.end());
  int slow = 0;
  for (double t : rt) slow += t > period;
  if (!rt.empty()) {
    std::printf("renders:   median %.3f ms, p99 %.3f ms, max %.3f ms, %d longer than a period\n",
                1000 * rt[rt.size() / 2], 1000 * rt[rt.size() * 99 / 100], 1000 * rt.back(),
                slow);
  }
  std::printf("baseline:  plain 60 Hz sleeps on this machine now: std-dev %.3f ms\n",
              1000 * SleepBaseline(5));
  return 0;
}
