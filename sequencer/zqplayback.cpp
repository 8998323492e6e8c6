// The sequencer's playback: the per-update hook, one step of the five voices, each cell's
// drum hit or looped melodic note with its envelope and slides, and the pitch tables.
// Sections, mutes and chord letters are drawn from the shared generator reseeded from the
// tune seed, so a tune always unfolds the same way.
#include <algorithm>
#include <cstring>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/random.h"
#include "sequencer/zqplayer.h"

namespace {
// Equal-tempered semitone ratios for notes 1 to 32; note 13 is a sample's own pitch.
const float kRates[32] = {0.5f,   0.5295f, 0.561f, 0.5945f, 0.63f,  0.6675f, 0.707f, 0.749f,
                          0.7935f, 0.841f, 0.891f, 0.944f,  1.0f,   1.059f,  1.122f, 1.189f,
                          1.26f,   1.335f, 1.414f, 1.498f,  1.587f, 1.682f,  1.782f, 1.888f,
                          2.0f,    2.118f, 2.244f, 2.378f,  2.52f,  2.67f,   2.828f, 2.996f};
// The same ratios keyed by two rows of a keyboard played as a piano.
const char kLetters[] = "zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";

// Drum keys are the white keys of one octave: key -> drum sound 1 to 8, 0 for none.
int drum_sound(int key) {
  static const int keys[8] = {13, 15, 17, 18, 20, 22, 24, 25};
  for (int i = 0; i < 8; ++i) {
    if (keys[i] == key) return i + 1;
  }
  return 0;
}
}  // namespace

float c_ZqPlayer::p_GetPitch(int note) { return note >= 1 && note <= 32 ? kRates[note - 1] : 0.0f; }

float c_ZqPlayer::p_GetPitch_Alpha(int letter) {
  if (letter <= 0 || letter > 127) return 0.0f;
  const char* p = std::strchr(kLetters, letter);
  return p ? kRates[p - kLetters] : 0.0f;
}

void c_ZqPlayer::p_Silence() {
  for (int v = 0; v < m_voices; ++v) {
    if (m_channel[v] > 0 && m_sounding[v] == 1) {
      vg_audio_StopChannel(m_channel[v]);
      m_sounding[v] = 0;
    }
  }
}

int c_ZqPlayer::p_Zq_Stop(int all) {
  p_Silence();
  if (all == 1) m_state = 0;
  return 0;
}

int c_ZqPlayer::p_Zq_Alive_U(int paused, int musicOn) {
  if (m_state == 0) p_Silence();
  if (m_state == 2 && paused == 0 && m_loadStage == 0 && musicOn == 1) {
    p_Zq_MusicPlay();
    return 0;
  }
  if (paused == 1) m_nextStepTime = vg_app_Millisecs() + 150;
  if (m_state == 2 && (paused == 1 || musicOn == 0)) p_Silence();
  return 0;
}

int c_ZqPlayer::p_Zq_MusicPlay() {
  int now = vg_app_Millisecs();
  bool due = m_nextStepTime < now || m_nextStepTime > now + 123456;
  if (!due) return 0;

  const int* notes = m_notes.Data();
  for (int v = 0; v < m_voices; ++v) {
    int p = m_pattern[v];
    int c = p * kPatternSize + v * kVoiceSize + m_step * kCellSize;
    if (notes[c + 2] == 27) {
      int amount = notes[c + 3];
      int to = p;
      if (amount == 1 && (m_passesLeft & 1)) to = p + 1;
      if (amount == 2 && !(m_passesLeft & 1)) to = p - 1;
      // The note table holds patterns 0 to 63 only; a branch past either end is ignored.
      if (to != p && to >= 0 && to < kPatterns) {
        m_pattern[v] = to;
        c = to * kPatternSize + v * kVoiceSize + m_step * kCellSize;
      }
    }
    p_Zq_PlayNote(v, notes[c], notes[c + 1], notes[c + 2], notes[c + 3]);
    if (notes[c + 2] == 8) m_step = 63;
  }

  m_nextStepTime = static_cast<int>(m_nextStepTime + 8000.0 / m_tempo);
  m_step = (m_step + 1) % 64;
  if (m_step != 0) return 0;

  p_Reseed(m_section * 9 + m_tuneSeed, 16);
  if (m_chords.Length() == 1) m_chords = String(" ") + p_Zq_GetChord(p_Rand(0, 4));
  if (m_chords.Length() > 1) m_chords = m_chords.Slice(1);
  m_passesLeft -= 1;
  if (m_passesLeft > 0) return 0;

  vg_random_Seed = m_section * 9 + m_tuneSeed;
  for (int i = 0; i < 11; ++i) p_Rand(1, 5);
  m_passesLeft = p_Rand(1, 2) * 2;
  m_section += 1;
  for (int v = 0; v < m_voices; ++v) {
    p_Reseed(m_section * 9 + m_tuneSeed + v * 7, 11);
    m_pattern[v] = p_Rand(0, static_cast<float>(m_lastPattern[v]));
    m_mute[v] = m_nextMute[v];
    m_nextMute[v] = p_Rand(0, 1);
    m_leadIn[v] = p_Rand(0, 1);
  }
  if (m_mute[0] == 1 && m_mute[1] == 1) m_mute[0] = 0;
  return 0;
}

int c_ZqPlayer::p_Zq_PlayNote(int v, int note, int volume, int effect, int amount) {
  int muted = m_mute[v];
  if (m_state >= 2) {
    if (m_passesLeft <= 1 && m_step > 55 && m_leadIn[v] == 1 && m_nextMute[v] == 0) muted = 0;
    m_transpose = 1.0f;
    if (m_chords.Length()) m_transpose = p_GetPitch_Alpha(m_chords[0]);
  } else {
    m_transpose = 1.0f;
  }
  for (int u = 0; u < m_voices; ++u) m_channel[u] = m_firstChannel - 1 - u;
  int ch = m_channel[v];

  if ((v == 0 || v == 1) && note > 0 && !muted && ch > 0) {
    vg_audio_StopChannel(ch);
    Array<c_Sound*>& kit = v == 0 ? m_kitA : m_kitB;
    int k = drum_sound(note);
    if (k && kit[k]) {
      m_sounding[v] = 1;
      vg_audio_PlaySound(kit[k], ch, 0);
      vg_audio_SetChannelPan(ch, v == 0 ? -0.35f : 0.35f);
    }
    m_rate[v] = 1.0f;
    m_envelope[v] = 4.0f;
  }

  float x = static_cast<float>(volume - 1) / 29.0f;
  if (x > 1) {
    x = 0;
    m_envelope[v] = 0;
  }
  if (x < 0) x = 0;
  float level;
  if (volume >= 1 && !muted && ch > 0) {
    m_envelope[v] = 1.5f;
    vg_audio_SetChannelVolume(ch, x * m_masterVolume);
    m_level[v] = x;
    level = x;
  } else {
    level = m_level[v];
  }

  float e = m_envelope[v] - 0.1f;
  m_envelope[v] = e;
  bool changed = false;
  if (e < 0) {
    m_envelope[v] = 0;
    level = 0;
    changed = true;
  } else if (e < 1) {
    level = e * level;
    changed = true;
  }
  if (changed && ch > 0) {
    vg_audio_SetChannelVolume(ch, level * m_masterVolume);
    m_level[v] = level;
  }

  if (v >= 2 && v <= 4 && note > 0 && !muted && ch > 0) {
    vg_audio_StopChannel(ch);
    float rate = p_GetPitch(note) * m_transpose;
    m_rate[v] = rate;
    m_envelope[v] = 1.5f;
    vg_audio_SetChannelRate(ch, rate);
    if (m_voiceSound[v]) {
      m_sounding[v] = 1;
      vg_audio_PlaySound(m_voiceSound[v], ch, m_loopFlags);
    }
  }

  if (muted || ch <= 0) return 0;
  // Effects 1 to 4 slide slowly up, slowly down, fast up, fast down, within 0.25 to 4.
  if (effect < 1 || effect > 4) return 0;
  float step = amount / (effect <= 2 ? 180.0f : 15.0f);
  float rate = m_rate[v];
  if (effect & 1) {
    rate = std::min(rate + step, 4.0f);
  } else {
    rate = std::max(rate - step, 0.25f);
  }
  m_rate[v] = rate;
  vg_audio_SetChannelRate(ch, rate);
  return 0;
}
