// c_ZqPlayer: the generative music sequencer. A tune is an image whose pixels hold note
// patterns for five voices; starting one picks instruments and patterns from the shared
// random generator, a staged loader decodes it during renders, and the update plays it.
// Owned by the game object (its m_Music), called only while vg_Vantorell_HasMusic is 1.
#pragma once
#include "framework/audio.h"
#include "framework/graphics.h"
#include "runtime/array.h"
#include "runtime/object.h"

class c_ZqPlayer : public Object {
 public:
  // Note table geometry: 64 patterns of 8 voices x 64 steps x 8 values.
  enum { kPatterns = 64, kPatternSize = 4096, kVoiceSize = 512, kCellSize = 8, kLoadStages = 70 };

  int m_firstChannel = 0;
  Array<int> m_variantCount;
  int m_loadStage = 0;
  Array<int> m_variant;
  Array<c_Sound*> m_kitA;
  Array<c_Sound*> m_kitB;
  Array<c_Sound*> m_voiceSound;
  String m_tuneFile;
  c_Image* m_tuneImage = nullptr;
  Array<int> m_notes;
  Array<int> m_lastPattern;
  int m_nextStepTime = 0;
  int m_state = 0;
  int m_voices = 5;
  Array<int> m_channel;
  Array<int> m_sounding;
  Array<int> m_pattern;
  int m_step = 0;
  int m_passesLeft = 0;
  Array<int> m_mute;
  Array<int> m_leadIn;
  Array<int> m_nextMute;
  float m_transpose = 0;
  String m_chords;
  Array<float> m_rate;
  Array<float> m_envelope;
  float m_masterVolume = 0.5f;
  Array<float> m_level;
  int m_loopFlags = 1;
  int m_tempo = 95;
  int m_tuneSeed = 0;
  int m_section = 0;

  c_ZqPlayer* m_new();
  void mark() override;

  // Tune start, staged loading and the render hook.
  int p_Zq_Init(int firstChannel, int kits, int leads, int accompaniments, int basses);
  int p_Zq_StartTune(String name, int seed, int tempo);
  int p_Zq_LoadChunk();
  int p_Zq_Alive_R();
  String p_Zq_GetChord(int n);
  int p_Rand(float low, float high);

  // Playback from the update.
  int p_Zq_Alive_U(int paused, int musicOn);
  int p_Zq_MusicPlay();
  int p_Zq_PlayNote(int voice, int note, int volume, int effect, int amount);
  int p_Zq_Stop(int all);
  float p_GetPitch(int note);
  float p_GetPitch_Alpha(int letter);

 private:
  void p_Reseed(int seed, int discard);
  void p_DecodeFrame(int frame);
  void p_Silence();
};
