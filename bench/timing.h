// Timing helpers the game benchmarks share: the calling thread's CPU clock, so figures leave
// out time the process spent descheduled, and a percentile of recorded samples.
#pragma once
#include <time.h>

#include <algorithm>
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

}  // namespace vgbench
