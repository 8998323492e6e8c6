// Audio module: resolves asset paths, wraps device samples in collected c_Sound objects and
// forwards every call to the one audio device the application framework installs.
#include "framework/audio.h"

#include "devices/audio.h"
#include "host/files.h"

gxtkAudio* vg_audio_device;

namespace {

// The device has channels 0 to 32; anything else would index past them.
bool ValidChannel(int channel) { return channel >= 0 && channel < gxtkAudio::kChannels; }

}  // namespace

c_Sound* c_Sound::m_new(gxtkSample* sample) {
  gc_assign(m_sample, sample);
  return this;
}

void c_Sound::mark() { gc_mark_q(m_sample); }

int vg_audio_SetAudioDevice(gxtkAudio* device) {
  gc_assign(vg_audio_device, device);
  return 0;
}

c_Sound* vg_audio_LoadSound(String path) {
  if (!vg_audio_device) return nullptr;
  gxtkSample* sample = vg_audio_device->LoadSample(vg_data_FixDataPath(path));
  if (!sample) return nullptr;
  return (new c_Sound)->m_new(sample);
}

int vg_audio_PlaySound(c_Sound* sound, int channel, int flags) {
  if (!sound || !sound->m_sample || !vg_audio_device || !ValidChannel(channel)) return 0;
  vg_audio_device->PlaySample(sound->m_sample, channel, flags);
  return 0;
}

int vg_audio_StopChannel(int channel) {
  if (vg_audio_device && ValidChannel(channel)) vg_audio_device->StopChannel(channel);
  return 0;
}

int vg_audio_SetChannelVolume(int channel, float volume) {
  if (vg_audio_device && ValidChannel(channel)) vg_audio_device->SetVolume(channel, volume);
  return 0;
}

int vg_audio_SetChannelPan(int channel, float pan) {
  if (vg_audio_device && ValidChannel(channel)) vg_audio_device->SetPan(channel, pan);
  return 0;
}

int vg_audio_SetChannelRate(int channel, float rate) {
  if (vg_audio_device && ValidChannel(channel)) vg_audio_device->SetRate(channel, rate);
  return 0;
}

int vg_audio_PlayMusic(String path, int flags) {
  if (!vg_audio_device) return -1;
  return vg_audio_device->PlayMusic(vg_data_FixDataPath(path), flags);
}

int vg_audio_PrefetchMusic(String path) {
  if (vg_audio_device) vg_audio_device->PrefetchMusic(vg_data_FixDataPath(path));
  return 0;
}

int vg_audio_StopMusic() {
  if (vg_audio_device) vg_audio_device->StopMusic();
  return 0;
}

int vg_audio_PauseMusic() {
  if (vg_audio_device) vg_audio_device->PauseMusic();
  return 0;
}

int vg_audio_ResumeMusic() {
  if (vg_audio_device) vg_audio_device->ResumeMusic();
  return 0;
}
