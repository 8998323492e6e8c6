// The tune composer's shared vocabulary: notes on a beat grid, the voices that play them,
// the renderer that turns a score into samples, and the Ogg Vorbis writer. Used by songs.cpp
// (which composes the two tunes) and tested through the files it writes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/synth.h"

enum class Voice { Lead, Bass, Arp, Pad, Kick, Snare, Hat, OpenHat, Crash, Bell };

struct Note {
  double beat;    // onset in beats from the start
  double length;  // in beats
  float midi;     // pitch (ignored by the drums)
  float velocity; // 0 to 1
  Voice voice;
};

struct Score {
  double bpm = 120;
  double beats = 0;  // length of the piece; the render adds a short tail
  std::vector<Note> notes;
  void add(double beat, double length, float midi, float velocity, Voice v) {
    notes.push_back(Note{beat, length, midi, velocity, v});
  }
};

// Renders at kMusicRate, mono, peak at `peak` of full scale, faded in and out at the ends.
Wave render(const Score& s, float peak);

// Encodes mono samples as Ogg Vorbis with a fixed stream serial number, so two runs give
// the same bytes.
std::vector<uint8_t> encode_ogg(const Wave& w, int rate, int serial, const char* title);
