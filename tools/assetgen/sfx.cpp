// The game's sound effects, synthesised: the shot, the enemy's explosion, three hits, the
// power-up, the star pickup, and the menu sounds (click, logo jingle, select, cursor).
// Written by write_sfx as "sfx/" + three digits + ".wav", loaded by the game's loader.
#include <cmath>

#include "tools/assetgen/families.h"
#include "tools/assetgen/synth.h"

namespace {

Wave blank(float seconds) { return Wave(static_cast<size_t>(seconds * kSfxRate), 0.0f); }

// Fired six times a second for minutes: short, soft at the top and without a harsh tail.
Wave shot() {
  Wave w = blank(0.11f);
  OnePole lp;
  float ph = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    float t = static_cast<float>(i) / kSfxRate;
    float f = 1400.0f * std::exp(-t * 22.0f) + 380.0f;
    ph += f / kSfxRate;
    float s = 0.6f * osc_square(ph, f / kSfxRate, 0.3f) + 0.4f * osc_sine(ph * 0.5f);
    w[i] = lp.lp(s, 3200.0f, kSfxRate) * env_ad(t, 0.002f, 0.03f);
  }
  finish(w, 0.5f, 16, 200);
  return w;
}

// The big one: a low boom, a rumbling noise body that darkens as it fades, and crackle.
Wave explosion() {
  Wave w = blank(2.2f);
  Rng r(0xb00au);
  Svf body;
  OnePole crackle_lp;
  float ph = 0, held = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    float t = static_cast<float>(i) / kSfxRate;
    float noise = r.range(-1.0f, 1.0f);
    float cut = 4000.0f * std::exp(-t * 2.2f) + 120.0f;
    float rumble = body.lp(noise, cut, 0.6f, kSfxRate) * env_ad(t, 0.004f, 0.55f);
    ph += (70.0f * std::exp(-t * 2.5f) + 28.0f) / kSfxRate;
    float boom = osc_sine(ph) * env_ad(t, 0.003f, 0.35f);
    if (i % 5 == 0) held = r.unit() < 0.04f * std::exp(-t * 1.5f) ? r.range(-1.0f, 1.0f) : 0.0f;
    float crackle = crackle_lp.lp(held, 5000.0f, kSfxRate);
    w[i] = 0.9f * rumble + 0.8f * boom + 0.5f * crackle;
  }
  finish(w, 0.89f, 32, 4000);
  return w;
}

// Three hits of one family (a knock with a metallic ring) that differ in pitch and grit, so a
// rapid stream of hits does not sound like one sample on repeat.
Wave hit(int variant) {
  Wave w = blank(0.16f);
  Rng r(0x4177u + static_cast<uint32_t>(variant));
  Svf noise_f;
  float ph1 = 0, ph2 = 0;
  const float base[3] = {520.0f, 660.0f, 430.0f};
  const float ring[3] = {1.49f, 1.73f, 2.11f};
  for (size_t i = 0; i < w.size(); ++i) {
    float t = static_cast<float>(i) / kSfxRate;
    float f = base[variant] * (1.0f + 0.6f * std::exp(-t * 60.0f));
    ph1 += f / kSfxRate;
    ph2 += f * ring[variant] / kSfxRate;
    float tone = (0.7f * osc_tri(ph1) + 0.35f * osc_sine(ph2)) * env_ad(t, 0.001f, 0.035f);
    float grit = noise_f.lp(r.range(-1.0f, 1.0f), 2500.0f + variant * 900.0f, 0.8f, kSfxRate) *
                 env_ad(t, 0.0005f, 0.012f);
    w[i] = tone + 1.2f * grit;
  }
  finish(w, 0.75f, 8, 600);
  return w;
}

// Notes played one after another with a square lead and a little echo of the previous note.
Wave arpeggio(const float* notes, int count, float step, float tail, float duty, float peak) {
  Wave w = blank(step * count + tail);
  for (int n = 0; n < count; ++n) {
    float f = midi_hz(notes[n]);
    size_t at = static_cast<size_t>(n * step * kSfxRate);
    float len = n == count - 1 ? step + tail : step * 1.8f;
    OnePole lp;
    float ph = 0;
    for (size_t i = 0; at + i < w.size() && i < static_cast<size_t>(len * kSfxRate); ++i) {
      float t = static_cast<float>(i) / kSfxRate;
      float step = f * (1.0f + 0.004f * std::sin(kTau * 6.0f * t)) / kSfxRate;
      ph += step;
      float s = osc_square(ph, step, duty) * 0.6f + osc_sine(f * 2.0f * t) * 0.25f;
      w[at + i] += lp.lp(s, 5000.0f, kSfxRate) * env_ad(t, 0.003f, n == count - 1 ? tail * 0.4f : step * 0.9f);
    }
  }
  finish(w, peak, 16, 800);
  return w;
}

Wave powerup() {
  const float notes[] = {60, 64, 67, 72, 76, 79, 84};
  return arpeggio(notes, 7, 0.055f, 0.25f, 0.25f, 0.8f);
}

Wave pickup() {
  const float notes[] = {83, 88};
  return arpeggio(notes, 2, 0.06f, 0.2f, 0.5f, 0.7f);
}

Wave select() {
  const float notes[] = {76, 83};
  return arpeggio(notes, 2, 0.05f, 0.09f, 0.25f, 0.7f);
}

Wave cursor() {
  const float notes[] = {81};
  return arpeggio(notes, 1, 0.0f, 0.05f, 0.5f, 0.55f);
}

Wave click() {
  Wave w = blank(0.03f);
  Rng r(0xc11cu);
  OnePole lp;
  for (size_t i = 0; i < w.size(); ++i) {
    float t = static_cast<float>(i) / kSfxRate;
    w[i] = (lp.lp(r.range(-1.0f, 1.0f), 3000.0f, kSfxRate) + 0.5f * osc_sine(1800.0f * t)) * env_ad(t, 0.0005f, 0.004f);
  }
  finish(w, 0.5f, 4, 120);
  return w;
}

// The logo jingle: a rising major arpeggio into a bright bell chord, about 1.5 seconds.
Wave jingle() {
  Wave w = blank(1.55f);
  const float arp[] = {72, 76, 79, 84};
  for (int n = 0; n < 4; ++n) {
    size_t at = static_cast<size_t>(n * 0.09f * kSfxRate);
    float f = midi_hz(arp[n]);
    for (size_t i = 0; at + i < w.size(); ++i) {
      float t = static_cast<float>(i) / kSfxRate;
      w[at + i] += 0.5f * osc_square(f * t, f / kSfxRate, 0.25f) * env_ad(t, 0.002f, 0.08f);
    }
  }
  const float chord[] = {72, 76, 79, 84, 88};
  size_t at = static_cast<size_t>(0.36f * kSfxRate);
  for (float note : chord) {
    float f = midi_hz(note);
    for (size_t i = 0; at + i < w.size(); ++i) {
      float t = static_cast<float>(i) / kSfxRate;
      // Two-operator FM bell: the modulation fades faster than the tone, so it mellows.
      float mod = 2.2f * std::exp(-t * 4.0f) * osc_sine(f * 3.5f * t);
      w[at + i] += 0.3f * std::sin(kTau * f * t + mod) * env_ad(t, 0.004f, 0.45f);
    }
  }
  finish(w, 0.85f, 16, 3000);
  return w;
}

}  // namespace

void write_sfx(Output& out) {
  out.wav("sfx/001.wav", shot(), kSfxRate);
  out.wav("sfx/002.wav", explosion(), kSfxRate);
  for (int v = 0; v < 3; ++v) out.wav("sfx/00" + std::to_string(3 + v) + ".wav", hit(v), kSfxRate);
  out.wav("sfx/006.wav", powerup(), kSfxRate);
  out.wav("sfx/007.wav", pickup(), kSfxRate);
  out.wav("sfx/095.wav", click(), kSfxRate);
  out.wav("sfx/096.wav", jingle(), kSfxRate);
  out.wav("sfx/098.wav", select(), kSfxRate);
  out.wav("sfx/099.wav", cursor(), kSfxRate);
}
