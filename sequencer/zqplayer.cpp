// The sequencer's data, tune start, staged loader and frame decoding. The loader stages run
// from the render hook because decoding draws each 64 x 64 pattern frame and reads it back.
// Called by the game's create, game-start and render steps while sequencer music is on.
#include "sequencer/zqplayer.h"

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/random.h"

c_ZqPlayer* c_ZqPlayer::m_new() {
  gc_assign(m_variantCount, Array<int>(8));
  gc_assign(m_variant, Array<int>(8));
  gc_assign(m_kitA, Array<c_Sound*>(9));
  gc_assign(m_kitB, Array<c_Sound*>(9));
  gc_assign(m_voiceSound, Array<c_Sound*>(8));
  gc_assign(m_notes, Array<int>(kPatterns * kPatternSize + 1));
  gc_assign(m_lastPattern, Array<int>(8));
  gc_assign(m_channel, Array<int>(8));
  gc_assign(m_sounding, Array<int>(8));
  gc_assign(m_pattern, Array<int>(8));
  gc_assign(m_mute, Array<int>(8));
  gc_assign(m_leadIn, Array<int>(8));
  gc_assign(m_nextMute, Array<int>(8));
  gc_assign(m_rate, Array<float>(8));
  gc_assign(m_envelope, Array<float>(8));
  gc_assign(m_level, Array<float>(8));
  return this;
}

void c_ZqPlayer::mark() {
  gc_mark_q(m_variantCount);
  gc_mark_q(m_variant);
  gc_mark_q(m_kitA);
  gc_mark_q(m_kitB);
  gc_mark_q(m_voiceSound);
  gc_mark_q(m_tuneImage);
  gc_mark_q(m_notes);
  gc_mark_q(m_lastPattern);
  gc_mark_q(m_channel);
  gc_mark_q(m_sounding);
  gc_mark_q(m_pattern);
  gc_mark_q(m_mute);
  gc_mark_q(m_leadIn);
  gc_mark_q(m_nextMute);
  gc_mark_q(m_rate);
  gc_mark_q(m_envelope);
  gc_mark_q(m_level);
}

int c_ZqPlayer::p_Zq_Init(int firstChannel, int kits, int leads, int accompaniments, int basses) {
  m_firstChannel = firstChannel;
  m_variantCount[1] = kits;
  m_variantCount[2] = leads;
  m_variantCount[3] = accompaniments;
  m_variantCount[4] = basses;
  return 0;
}

int c_ZqPlayer::p_Rand(float low, float high) {
  float v = low + (high + 0.99f - low) * vg_random_Rnd();
  int i = static_cast<int>(v);
  return (static_cast<float>(i) > v) ? i - 1 : i;
}

void c_ZqPlayer::p_Reseed(int seed, int discard) {
  vg_random_Seed = seed;
  for (int i = 0; i < discard; ++i) vg_random_Rnd();
}

int c_ZqPlayer::p_Zq_StartTune(String name, int seed, int tempo) {
  String path = String("tunes/") + name + String(".png");
  m_section = 0;
  m_tuneSeed = seed;
  m_step = 0;
  m_state = 2;
  m_nextStepTime = vg_app_Millisecs() + 100;
  m_tempo = tempo;
  if (!(path == m_tuneFile)) {
    m_loadStage = 1;
    m_tuneFile = path;
    for (int v = 0; v < m_voices; ++v) {
      m_lastPattern[v] = 0;
      m_pattern[v] = 0;
    }
  }
  for (int v = 0; v < m_voices; ++v) m_channel[v] = m_firstChannel - v;

  p_Reseed(m_tuneSeed + m_section, 11);
  m_variant[1] = p_Rand(1, static_cast<float>(m_variantCount[1]));
  m_variant[2] = p_Rand(1, static_cast<float>(m_variantCount[1]));
  m_variant[3] = p_Rand(1, static_cast<float>(m_variantCount[2]));
  m_variant[4] = p_Rand(1, static_cast<float>(m_variantCount[3]));
  m_variant[5] = p_Rand(1, static_cast<float>(m_variantCount[4]));

  for (int v = 0; v < m_voices; ++v) {
    p_Reseed(m_section * 9 + m_tuneSeed + v * 7, 11);
    m_pattern[v] = p_Rand(0, static_cast<float>(m_lastPattern[v]));
    m_nextMute[v] = p_Rand(0, 1);
    m_leadIn[v] = p_Rand(0, 1);
    m_mute[v] = p_Rand(0, 1);
  }
  if (m_mute[0] == 1 && m_mute[1] == 1) m_mute[0] = 0;
  m_passesLeft = p_Rand(1, 2) * 2;
  m_chords = String("qqjj");
  return 0;
}

namespace {
c_Sound* load_instrument(const String& stem) { return vg_audio_LoadSound(stem + String(".wav")); }
}  // namespace

int c_ZqPlayer::p_Zq_LoadChunk() {
  int s = m_loadStage;
  if (s == 1) {
    gc_assign(m_tuneImage, vg_graphics_LoadImage2(m_tuneFile, 64, 64, 64, 1));
  } else if (s >= 2 && s <= 9) {
    int k = s - 1;
    gc_assign(m_kitA[k], load_instrument(String("inst/d") + String(m_variant[1]) + String("-") + String(k)));
  } else if (s >= 12 && s <= 19) {
    int k = s - 11;
    gc_assign(m_kitB[k], load_instrument(String("inst/d") + String(m_variant[2]) + String("-") + String(k)));
  } else if (s == 21) {
    gc_assign(m_voiceSound[2], load_instrument(String("inst/lead") + String(m_variant[3])));
  } else if (s == 22) {
    gc_assign(m_voiceSound[3], load_instrument(String("inst/accompany") + String(m_variant[4])));
  } else if (s == 23) {
    gc_assign(m_voiceSound[4], load_instrument(String("inst/bass") + String(m_variant[5])));
  }
  if (s >= 5 && s <= 67 && m_tuneImage) p_DecodeFrame(s - 5);

  m_loadStage = s + 1;
  m_nextStepTime = vg_app_Millisecs() + 100;
  if (m_loadStage > kLoadStages) m_loadStage = 0;
  return 0;
}

// The frame is drawn over a red square on black so only the blue channel carries the value;
// a transparent pixel then reads as blue 0.
void c_ZqPlayer::p_DecodeFrame(int f) {
  Array<int> pixels(64 * 64);
  vg_graphics_Cls(1, 0, 0);
  vg_graphics_SetAlpha(1);
  vg_graphics_SetColor(1, 0, 0);
  vg_graphics_DrawRect(0, 0, 64, 64);
  vg_graphics_SetColor(255, 255, 255);
  vg_graphics_DrawImage(m_tuneImage, 32, 32, f);
  vg_graphics_ReadPixels(pixels, 0, 0, 64, 64, 0, 64);
  int* notes = m_notes.Data();
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      int value = (pixels[y * 64 + x] & 0xff) >> 3;
      notes[f * kPatternSize + (x >> 3) * kVoiceSize + y * kCellSize + (x & 7)] = value;
      if (value) m_lastPattern[x >> 3] = f;
    }
  }
}

int c_ZqPlayer::p_Zq_Alive_R() {
  for (int i = 0; i < 3 && m_loadStage > 0; ++i) p_Zq_LoadChunk();
  vg_graphics_Cls(0, 0, 0);
  return 0;
}

String c_ZqPlayer::p_Zq_GetChord(int n) {
  switch (n) {
    case 0:
      return String("qqqq");
    case 2:
      return String("qqbb");
    case 3:
      return String("qbqb");
    case 4:
      return String("qqqj");
    case 5:
      return String("qqzz");
    default:
      return String("qqjj");
  }
}
