// Helpers the game benchmarks share: the calling thread's CPU clock, so figures leave out
// time the process spent descheduled, a percentile of recorded samples, and the way to the
// build tree whose game/data the harness plays from.
#pragma once
#include <limits.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace vgbench {

inline double ThreadCpuMicros() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

inline double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1) + 0.5))];
}

// The build tree this program was built in (its grandparent folder), unless VG_BUILD_DIR
// names one; set in VG_BUILD_DIR for the harness.
inline std::string FindBuildDir() {
  if (const char* dir = std::getenv("VG_BUILD_DIR")) return dir;
  char exe[PATH_MAX] = {};
  if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return std::string();
  std::string dir(exe);
  dir = dir.substr(0, dir.rfind('/'));
  dir = dir.substr(0, dir.rfind('/'));
  setenv("VG_BUILD_DIR", dir.c_str(), 0);
  return dir;
}

}  // namespace vgbench
