// Oscillators, envelopes, filters and finishing of synth.h.
#include "tools/assetgen/synth.h"

#include <algorithm>
#include <cmath>

float midi_hz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

static float wrap(float p) { return p - std::floor(p); }

float osc_sine(float p) { return std::sin(kTau * p); }
static float blep(float t, float dt) {
  if (t < dt) { t /= dt; return t + t - t * t - 1.0f; }
  if (t > 1.0f - dt) { t = (t - 1.0f) / dt; return t * t + t + t + 1.0f; }
  return 0.0f;
}
float osc_saw(float p, float dt) {
  float q = wrap(p);
  return 2.0f * q - 1.0f - blep(q, std::fabs(dt));
}
// The difference of two saws a duty apart is a pulse, low for the first `duty` of the cycle.
// It is left centred on zero (levels 2 duty - 2 and 2 duty) rather than shifted to +-1: a
// narrow pulse at +-1 carries an offset of 1 - 2 duty, which every envelope turns into a thump.
float osc_square(float p, float dt, float duty) { return osc_saw(p, dt) - osc_saw(p - duty, dt); }
float osc_tri(float p) {
  float q = wrap(p + 0.25f);
  return q < 0.5f ? 4.0f * q - 1.0f : 3.0f - 4.0f * q;
}

float env_ad(float t, float attack, float decay) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / decay);
}

float OnePole::lp(float x, float cut, int rate) {
  float a = 1.0f - std::exp(-kTau * cut / static_cast<float>(rate));
  z += a * (x - z);
  return z;
}

float OnePole::hp(float x, float cut, int rate) { return x - lp(x, cut, rate); }

float Svf::lp(float x, float cut, float q, int rate) {
  float f = 2.0f * std::sin(3.14159265f * std::min(cut, rate / 6.0f) / static_cast<float>(rate));
  low += f * band;
  float high = x - low - q * band;
  band += f * high;
  return low;
}

float peak_of(const Wave& w) {
  float p = 0;
  for (float v : w) p = std::max(p, std::fabs(v));
  return p;
}

void finish(Wave& w, float peak, int in, int out) {
  size_t n = w.size();
  if (n == 0) return;
  // Centre first, so the fades close on the true zero line; then take out what the fades
  // left off centre, shaped like the fades themselves so the ends stay exactly silent.
  double sum = 0;
  for (float v : w) sum += v;
  for (float& v : w) v -= static_cast<float>(sum / static_cast<double>(n));
  std::vector<float> shape(n, 1.0f);
  for (size_t i = 0; i < static_cast<size_t>(in) && i < n; ++i) shape[i] = static_cast<float>(i) / static_cast<float>(in);
  for (size_t i = 0; i < static_cast<size_t>(out) && i < n; ++i)
    shape[n - 1 - i] = std::min(shape[n - 1 - i], static_cast<float>(i) / static_cast<float>(out));
  double rest = 0, area = 0;
  for (size_t i = 0; i < n; ++i) {
    w[i] *= shape[i];
    rest += w[i];
    area += shape[i];
  }
  if (area > 0)
    for (size_t i = 0; i < n; ++i) w[i] -= static_cast<float>(rest / area) * shape[i];
  float p = peak_of(w);
  if (p > 0)
    for (float& v : w) v *= peak / p;
}

void mix_into(Wave& dst, const Wave& src, size_t at, float gain) {
  if (dst.size() < at + src.size()) dst.resize(at + src.size(), 0.0f);
  for (size_t i = 0; i < src.size(); ++i) dst[at + i] += src[i] * gain;
}
