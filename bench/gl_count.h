// Counts the graphics device's draw calls on their way to the real GL entry points, for the
// benchmarks that report draw calls per frame beside their time.
#pragma once
#include "devices/gl_api.h"

namespace vgbench {

inline int drawCalls = 0;
inline void (*realDrawElements)(unsigned int, int, unsigned int, const void*) = nullptr;
inline void (*realDrawArrays)(unsigned int, int, int) = nullptr;

// Puts the counters in front of whatever the device's call table is bound to now.
inline void CountDrawCalls() {
  realDrawElements = vgGl.DrawElements, realDrawArrays = vgGl.DrawArrays;
  vgGl.DrawElements = [](unsigned int m, int n, unsigned int t, const void* i) {
    ++drawCalls, realDrawElements(m, n, t, i);
  };
  vgGl.DrawArrays = [](unsigned int m, int f, int n) { ++drawCalls, realDrawArrays(m, f, n); };
}

}  // namespace vgbench
