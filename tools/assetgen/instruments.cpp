// Instrument samples of the music sequencer: four drum kits of eight ("inst/d1-1.wav" to
// "inst/d4-8.wav": kick, snare, closed hat, open hat, clap, low tom, high tom, crash) and the
// looped melodic voices (lead, accompaniment, bass), each pitched at the sequencer's note 13.
// Written by write_instruments.
#include <cmath>
#include <string>

#include "tools/assetgen/families.h"
#include "tools/assetgen/synth.h"

namespace {

// Melodic samples loop as a whole, so they hold an exact number of cycles of a fixed
// timbre and start on a zero crossing: the seam is as smooth as any other point.
constexpr int kInstRate = 44100;
constexpr int kLoopLength = 20000;

struct Partial {
  float harmonic, amplitude;
};

// Each partial is a sine starting at phase 0, so the sum starts at 0 and, because every
// partial completes whole cycles, the last sample leads smoothly back into the first. The
// partials' signs (which do not change the timbre) are chosen so the wave leaves zero as
// gently as possible, which keeps the samples at both ends of the loop near zero. A second
// set `detune_cycles` apart over the loop adds a slow chorus that loops as well.
Wave looped(int period, const Partial* parts, int count, int detune_cycles, float detune_mix) {
  int best_signs = 0;
  float best_slope = 1e9f;
  for (int signs = 0; signs < (1 << count); signs += 2) {  // the fundamental stays positive
    float slope = 0;
    for (int k = 0; k < count; ++k) slope += (signs >> k & 1 ? -1.0f : 1.0f) * parts[k].harmonic * parts[k].amplitude;
    if (std::fabs(slope) < best_slope) { best_slope = std::fabs(slope); best_signs = signs; }
  }
  Wave w(kLoopLength, 0.0f);
  int cycles = kLoopLength / period;
  for (int i = 0; i < kLoopLength; ++i) {
    float t = static_cast<float>(i) / kLoopLength;
    float v = 0;
    for (int k = 0; k < count; ++k) {
      float a = (best_signs >> k & 1 ? -1.0f : 1.0f) * parts[k].amplitude;
      v += a * std::sin(kTau * parts[k].harmonic * cycles * t);
      v += detune_mix * a * std::sin(kTau * parts[k].harmonic * (cycles + detune_cycles) * t);
    }
    w[i] = v;
  }
  finish(w, 0.7f, 0, 0);
  return w;
}

// Note 13 of the lead is A 441 Hz (100 samples a cycle), of the accompaniment an octave
// lower and of the bass two octaves lower, so all three sit in one key.
Wave lead(int v) {
  static const Partial square[] = {{1, 1}, {3, 0.33f}, {5, 0.2f}, {7, 0.14f}, {9, 0.09f}};
  static const Partial saw[] = {{1, 1}, {2, 0.5f}, {3, 0.33f}, {4, 0.25f}, {5, 0.2f}, {6, 0.12f}};
  static const Partial flute[] = {{1, 1}, {2, 0.25f}, {3, 0.12f}, {4, 0.05f}};
  if (v == 1) return looped(100, square, 5, 1, 0.5f);
  if (v == 2) return looped(100, saw, 6, 2, 0.4f);
  return looped(100, flute, 4, 1, 0.3f);
}

Wave accompany(int v) {
  static const Partial organ[] = {{1, 1}, {2, 0.6f}, {4, 0.3f}, {8, 0.1f}};
  static const Partial strings[] = {{1, 1}, {2, 0.45f}, {3, 0.3f}, {4, 0.2f}, {5, 0.12f}};
  static const Partial glass[] = {{1, 1}, {3, 0.2f}, {6, 0.15f}};
  if (v == 1) return looped(200, organ, 4, 1, 0.35f);
  if (v == 2) return looped(200, strings, 5, 2, 0.6f);
  return looped(200, glass, 3, 1, 0.25f);
}

Wave bass(int v) {
  static const Partial round[] = {{1, 1}, {2, 0.3f}, {3, 0.1f}};
  static const Partial reed[] = {{1, 1}, {2, 0.6f}, {3, 0.45f}, {4, 0.3f}, {5, 0.2f}, {6, 0.1f}};
  static const Partial hollow[] = {{1, 1}, {3, 0.4f}, {5, 0.2f}};
  static const Partial sub[] = {{1, 1}, {2, 0.12f}};
  switch (v) {
    case 1: return looped(400, round, 3, 0, 0.0f);
    case 2: return looped(400, reed, 6, 1, 0.2f);
    case 3: return looped(400, hollow, 3, 0, 0.0f);
    default: return looped(400, sub, 2, 0, 0.0f);
  }
}

// Kit character: pitch scale, noise colour, decay scale and a bit-crush step (0 = clean).
struct Kit {
  float pitch, bright, decay, crush;
};
const Kit kKits[4] = {{1.0f, 1.0f, 1.0f, 0}, {1.25f, 1.4f, 0.7f, 0}, {0.85f, 0.7f, 1.2f, 1.0f / 24}, {1.1f, 1.2f, 0.9f, 0}};

Wave drum(int kit, int n) {
  const Kit& k = kKits[kit];
  const float lengths[8] = {0.45f, 0.3f, 0.08f, 0.4f, 0.3f, 0.5f, 0.4f, 1.2f};
  Wave w(static_cast<size_t>(lengths[n] * k.decay * kSfxRate), 0.0f);
  Rng r(0xd7u + static_cast<uint32_t>(kit * 16 + n));
  Svf f1, f2;
  OnePole hp;
  float ph = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    float t = static_cast<float>(i) / kSfxRate;
    float noise = r.range(-1.0f, 1.0f), v = 0;
    switch (n) {
      case 0:  // kick: falling sine with a click
        ph += (50.0f * k.pitch + 110.0f * std::exp(-t * 30.0f)) / kSfxRate;
        v = osc_sine(ph) * env_ad(t, 0.001f, 0.16f * k.decay) + 0.3f * noise * env_ad(t, 0.0005f, 0.003f);
        break;
      case 1:  // snare: body tone and bright noise
        ph += 190.0f * k.pitch / kSfxRate;
        v = 0.5f * osc_tri(ph) * env_ad(t, 0.001f, 0.05f) +
            0.8f * hp.hp(noise, 1200.0f * k.bright, kSfxRate) * env_ad(t, 0.001f, 0.09f * k.decay);
        break;
      case 2:  // closed hat
        v = hp.hp(noise, 6000.0f * k.bright, kSfxRate) * env_ad(t, 0.0005f, 0.018f * k.decay);
        break;
      case 3:  // open hat
        v = hp.hp(noise, 5500.0f * k.bright, kSfxRate) * env_ad(t, 0.001f, 0.14f * k.decay);
        break;
      case 4: {  // clap: three quick bursts then a tail
        float burst = std::fmod(t, 0.011f) < 0.004f && t < 0.033f ? 1.0f : 0.0f;
        v = f1.lp(noise, 2200.0f * k.bright, 0.5f, kSfxRate) * (t < 0.033f ? burst : env_ad(t - 0.033f, 0.0005f, 0.07f));
        break;
      }
      case 5:  // low tom
      case 6:  // high tom
        ph += ((n == 5 ? 95.0f : 150.0f) * k.pitch * (1.0f + 0.5f * std::exp(-t * 20.0f))) / kSfxRate;
        v = osc_sine(ph) * env_ad(t, 0.001f, 0.14f * k.decay) + 0.1f * noise * env_ad(t, 0.0005f, 0.01f);
        break;
      default:  // crash: long bright noise with a ringing band
        v = (hp.hp(noise, 3500.0f * k.bright, kSfxRate) + 0.6f * f2.lp(noise, 7000.0f, 0.2f, kSfxRate)) *
            env_ad(t, 0.002f, 0.35f * k.decay);
        break;
    }
    if (k.crush > 0) v = std::round(v / k.crush) * k.crush;
    w[i] = v;
  }
  finish(w, 0.8f, 8, static_cast<int>(w.size() / 4));
  return w;
}

}  // namespace

void write_instruments(Output& out) {
  for (int kit = 0; kit < 4; ++kit)
    for (int n = 0; n < 8; ++n)
      out.wav("inst/d" + std::to_string(kit + 1) + "-" + std::to_string(n + 1) + ".wav", drum(kit, n), kSfxRate);
  for (int v = 1; v <= 3; ++v) {
    out.wav("inst/lead" + std::to_string(v) + ".wav", lead(v), kInstRate);
    out.wav("inst/accompany" + std::to_string(v) + ".wav", accompany(v), kInstRate);
  }
  for (int v = 1; v <= 4; ++v) out.wav("inst/bass" + std::to_string(v) + ".wav", bass(v), kInstRate);
}
