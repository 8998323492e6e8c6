// Sound synthesis helpers of the asset generator: oscillators, envelopes, filters and the
// finishing steps (peak level, fades) shared by the effects, instrument samples and music.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/canvas.h"

using Wave = std::vector<float>;

constexpr float kTau = 6.28318530718f;
constexpr int kSfxRate = 22050;
constexpr int kMusicRate = 44100;

float midi_hz(float note);  // 69 = A 440

// Classic shapes for phase p in cycles (any real; wraps). Square and saw take the phase step
// per sample `dt` and smooth their jumps (polyBLEP), so high notes and vibrato do not alias.
float osc_sine(float p);
float osc_square(float p, float dt, float duty);
float osc_saw(float p, float dt);
float osc_tri(float p);

// Exponential decay from 1 toward 0 with the given time constant, after an attack ramp.
float env_ad(float t, float attack, float decay);

// One-pole low-pass and high-pass, per sample; `cut` in Hz.
struct OnePole {
  float z = 0;
  float lp(float x, float cut, int rate);
  float hp(float x, float cut, int rate);
};

// A resonant state-variable low-pass (Chamberlin), stable for cut below rate / 6.
struct Svf {
  float low = 0, band = 0;
  float lp(float x, float cut, float q, int rate);
};

// Centres the wave on zero (no offset left, to float precision), fades the first `in` and last
// `out` samples so it starts and ends on silence, and sets its peak to `peak` (fraction of
// full scale).
void finish(Wave& w, float peak, int in, int out);
float peak_of(const Wave& w);

// Adds `src` into `dst` starting at sample `at`, times `gain`, growing `dst` if needed.
void mix_into(Wave& dst, const Wave& src, size_t at, float gain);
