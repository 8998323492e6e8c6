// The tune renderer (see music.h): one synthesised voice per instrument of a score, mixed
// with a little echo and a soft limiter, at 44.1 kHz mono.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/music.h"

namespace {

constexpr float kRate = static_cast<float>(kMusicRate);

// Amplitude envelope: attack, decay to sustain, release after `held` seconds.
float adsr(float t, float held, float a, float d, float s, float r) {
  float level = t < a ? t / a : s + (1.0f - s) * std::exp(-(t - a) / d);
  if (t > held) level *= std::exp(-(t - held) / r);
  return level;
}

float tail_of(Voice v) {
  switch (v) {
    case Voice::Pad: return 1.2f;
    case Voice::Bell: return 1.5f;
    case Voice::Crash: return 1.6f;
    case Voice::OpenHat: return 0.4f;
    default: return 0.35f;
  }
}

void play(Wave& out, const Note& n, double spb, Rng& rng) {
  size_t at = static_cast<size_t>(n.beat * spb * kRate);
  float held = static_cast<float>(n.length * spb);
  size_t count = static_cast<size_t>((held + tail_of(n.voice)) * kRate);
  if (out.size() < at + count) out.resize(at + count, 0.0f);
  float f = midi_hz(n.midi), dt = f / kRate, ph = 0, ph2 = 0;
  Svf filter;
  OnePole hp;
  for (size_t i = 0; i < count; ++i) {
    float t = static_cast<float>(i) / kRate, v = 0;
    switch (n.voice) {
      case Voice::Lead: {
        // Pulse lead with a delayed vibrato, the classic arcade melody voice.
        float vib = 1.0f + 0.006f * std::sin(kTau * 5.5f * t) * std::min(1.0f, std::max(0.0f, (t - 0.12f) * 4));
        ph += dt * vib;
        v = filter.lp(0.55f * osc_square(ph, dt, 0.25f) + 0.3f * osc_saw(ph * 1.003f, dt), 4200.0f, 0.7f, kMusicRate);
        v *= adsr(t, held, 0.006f, 0.12f, 0.65f, 0.07f);
        break;
      }
      case Voice::Bass: {
        ph += dt;
        float cut = 300.0f + 1500.0f * std::exp(-t * 14.0f);
        v = filter.lp(0.6f * osc_saw(ph, dt) + 0.5f * osc_square(ph, dt, 0.5f), cut, 0.5f, kMusicRate);
        v = 1.4f * v * adsr(t, held, 0.004f, 0.15f, 0.7f, 0.05f);
        break;
      }
      case Voice::Arp:
        ph += dt;
        v = (0.6f * osc_tri(ph) + 0.25f * osc_square(ph, dt, 0.125f)) * adsr(t, held, 0.003f, 0.07f, 0.3f, 0.06f);
        break;
      case Voice::Pad: {
        // Two saws a few cents apart through a dark filter, slow in and slow out.
        ph += dt * 1.004f;
        ph2 += dt * 0.996f;
        v = filter.lp(0.4f * (osc_saw(ph, dt) + osc_saw(ph2, dt)), 1100.0f, 0.9f, kMusicRate);
        v *= adsr(t, held, 0.35f, 0.8f, 0.8f, 0.6f);
        break;
      }
      case Voice::Bell: {
        float mod = 1.8f * std::exp(-t * 3.0f) * osc_sine(f * 3.5f * t);
        v = std::sin(kTau * f * t + mod) * adsr(t, held, 0.003f, 0.5f, 0.0f, 0.5f);
        break;
      }
      case Voice::Kick:
        ph += (48.0f + 120.0f * std::exp(-t * 32.0f)) / kRate;
        v = osc_sine(ph) * std::exp(-t / 0.18f) * std::min(1.0f, t * 800.0f);
        break;
      case Voice::Snare:
        ph += 185.0f / kRate;
        v = 0.45f * osc_tri(ph) * std::exp(-t / 0.05f) +
            0.7f * hp.hp(rng.range(-1.0f, 1.0f), 1500.0f, kMusicRate) * std::exp(-t / 0.1f);
        v *= std::min(1.0f, t * 2000.0f);
        break;
      case Voice::Hat:
        v = hp.hp(rng.range(-1.0f, 1.0f), 7000.0f, kMusicRate) * std::exp(-t / 0.025f) * std::min(1.0f, t * 4000.0f);
        break;
      case Voice::OpenHat:
        v = hp.hp(rng.range(-1.0f, 1.0f), 6500.0f, kMusicRate) * std::exp(-t / 0.14f) * std::min(1.0f, t * 4000.0f);
        break;
      case Voice::Crash:
        v = hp.hp(rng.range(-1.0f, 1.0f), 4000.0f, kMusicRate) * std::exp(-t / 0.5f) * std::min(1.0f, t * 2000.0f);
        break;
    }
    out[at + i] += v * n.velocity;
  }
}

}  // namespace

Wave render(const Score& s, float peak) {
  double spb = 60.0 / s.bpm;
  Wave dry(static_cast<size_t>((s.beats * spb + 2.0) * kRate), 0.0f);
  Rng rng(0x5a11u);
  for (const Note& n : s.notes) play(dry, n, spb, rng);
  // A dotted-eighth echo gives the mono mix some space without blurring the beat.
  size_t delay = static_cast<size_t>(0.75 * spb * kRate);
  Wave wet = dry;
  for (size_t i = delay; i < wet.size(); ++i) wet[i] += 0.22f * wet[i - delay];
  // Only the loudest peaks reach the limiter's knee: the mix is set so its peak would be 1.4.
  float pk = peak_of(wet);
  for (float& v : wet) v = std::tanh(v * 1.4f / (pk > 0 ? pk : 1.0f));
  finish(wet, peak, 64, static_cast<int>(1.5f * kRate));
  return wet;
}
