// The random module: one linear congruential generator with one global seed, shared by the
// game and the music sequencer, so a replay with the same input unfolds the same way.
#pragma once

extern int vg_random_Seed;

// A float in [0, 1): the seed advances as seed * 1664525 + 1013904223 (mod 2^32).
float vg_random_Rnd();
// a + (b - a) * Rnd.
float vg_random_Rnd2(float a, float b);
// Rnd * a.
float vg_random_Rnd3(float a);
