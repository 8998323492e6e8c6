// Time from process start to the first title-menu frame of the real program under a private
// Xvfb (Mesa software OpenGL, OpenAL's null output): start-up, the first window, and all 23
// loader stages at 60 updates a second. The frame is seen by sampling one pixel of the
// window until it leaves the loading screen's colours. Run by hand; figures in README.md.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/timing.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;

namespace {

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

std::string BuildDir() { return vgbench::FindBuildDir(); }

// The colour of one window pixel as 0xRRGGBB, or -1 while it cannot be read.
long PixelAt(Display* d, unsigned long window, int x, int y) {
  XErrorHandler old = XSetErrorHandler(IgnoreXErrors);
  long colour = -1;
  XWindowAttributes attrs;
  if (XGetWindowAttributes(d, window, &attrs) && attrs.map_state == IsViewable) {
    if (XImage* image = XGetImage(d, window, x, y, 1, 1, AllPlanes, ZPixmap)) {
      colour = static_cast<long>(XGetPixel(image, 0, 0) & 0xffffff);
      XDestroyImage(image);
    }
  }
  XSync(d, False);
  XSetErrorHandler(old);
  return colour;
}

struct Run {
  double window_ms = 0, loading_ms = 0, title_ms = 0;
  bool ok = false;
};

Run StartOnce(const std::string& build) {
  Run run;
  char pattern[] = "/tmp/vantorell-startup-XXXXXX";
  if (!mkdtemp(pattern)) return run;
  std::string work = pattern;
  fs::create_directory_symlink(build + "/game/data", work + "/data");
  std::string binary = build + "/game/vantorell";

  auto t0 = std::chrono::steady_clock::now();
  auto since = [&] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
        .count();
  };
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work.c_str()) != 0) _exit(126);
    setenv("ALSOFT_DRIVERS", "null", 1);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Display* d = XOpenDisplay(nullptr);
  unsigned long window = 0;
  bool sawLoading = false;
  while (d && since() < 20000) {
    if (!window) {
      window = vgtest::FindWindowByTitle("Vantorell", 0.001);
      if (window) run.window_ms = since();
      continue;
    }
    long c = PixelAt(d, window, 4, 4);
    if (c == 0x282850) {
      if (!sawLoading) run.loading_ms = since();
      sawLoading = true;
    } else if (sawLoading && c > 0) {
      run.title_ms = since();
      run.ok = true;
      break;
    }
  }
  if (d) XCloseDisplay(d);
  if (window) vgtest::SendDeleteWindow(window);
  int status = 0;
  for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  fs::remove_all(work);
  return run;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_StartToTitleMenu(benchmark::State& state) {
  static vgtest::XvfbServer server;
  if (!server.Start()) {
    state.SkipWithError(server.error().c_str());
    return;
  }
  std::string build = BuildDir();
  std::vector<double> window, loading, title;
  for (auto _ : state) {
    Run run = StartOnce(build);
    if (!run.ok) {
      state.SkipWithError("the title menu never appeared");
      return;
    }
    window.push_back(run.window_ms);
    loading.push_back(run.loading_ms);
    title.push_back(run.title_ms);
    state.SetIterationTime(run.title_ms / 1000);
  }
  state.counters["window_med_ms"] = Median(window);
  state.counters["loading_med_ms"] = Median(loading);
  state.counters["title_med_ms"] = Median(title);
  state.counters["title_max_ms"] = *std::max_element(title.begin(), title.end());
}
BENCHMARK(BM_StartToTitleMenu)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
