// Audio module: sounds loaded from data paths and played on numbered channels (0 to 31;
// the device keeps 32 for music), and one music track. A thin layer over the audio device
// that game code and the sequencer call; a missing sound is null and plays as silence.
#pragma once
#include "runtime/object.h"
#include "runtime/string.h"

class gxtkAudio;
class gxtkSample;

class c_Sound : public Object {
 public:
  gxtkSample* m_sample = nullptr;

  c_Sound* m_new() { return this; }
  c_Sound* m_new(gxtkSample* sample);

  void mark() override;
};

extern gxtkAudio* vg_audio_device;

int vg_audio_SetAudioDevice(gxtkAudio* device);
c_Sound* vg_audio_LoadSound(String path);
// flags bit value 1 loops the sound.
int vg_audio_PlaySound(c_Sound* sound, int channel = 0, int flags = 0);
int vg_audio_StopChannel(int channel);
int vg_audio_SetChannelVolume(int channel, float volume);
// pan is an angle in radians.
int vg_audio_SetChannelPan(int channel, float pan);
int vg_audio_SetChannelRate(int channel, float rate);
// 0 playing, -1 when the file could not be loaded.
int vg_audio_PlayMusic(String path, int flags = 1);
// Decodes a tune ahead of its vg_audio_PlayMusic, off the main thread, so it starts at once.
int vg_audio_PrefetchMusic(String path);
int vg_audio_StopMusic();
int vg_audio_PauseMusic();
int vg_audio_ResumeMusic();
