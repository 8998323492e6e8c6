// Generator arithmetic in unsigned 32 bits: the wrap-around is the point, and the top 24 bits
// are taken as an unsigned value so the result never goes negative.
#include "framework/random.h"

#include <cstdint>

int vg_random_Seed = 1234;

float vg_random_Rnd() {
  uint32_t seed = static_cast<uint32_t>(vg_random_Seed) * 1664525u + 1013904223u;
  vg_random_Seed = static_cast<int32_t>(seed);
  return static_cast<float>(seed >> 8) / 16777216.0f;
}

float vg_random_Rnd2(float a, float b) { return a + (b - a) * vg_random_Rnd(); }

float vg_random_Rnd3(float a) { return vg_random_Rnd() * a; }
