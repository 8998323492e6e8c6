// The audio device: 33 OpenAL channels (0..31 for effects, 32 for music) with a small
// play/pause/stop state machine, samples loaded whole from WAV or Ogg files, and the list of
// discarded buffers deleted once no source holds them. Created by the application framework;
// driven by the audio module. Runs silently when no OpenAL device or context can be had.
#pragma once
#include <vector>

#include "runtime/object.h"
#include "runtime/string.h"

class gxtkSample : public Object {
 public:
  unsigned int buffer = 0;
  int bytes = 0;  // the buffer's size, reported to the collector as held outside its heap

  gxtkSample();
  explicit gxtkSample(unsigned int buffer);
  ~gxtkSample() override;

  void SetBuffer(unsigned int buffer);
  // Stores a filled buffer of the given size.
  void Hold(unsigned int buffer, int bytes);
  virtual int Discard();
};

struct gxtkChannel {
  unsigned int source;
  gxtkSample* sample;
  int flags;
  int state;  // 0 stopped, 1 playing, 2 paused

  // The channel's source, generated on first use.
  unsigned int AL_Source();
};

class gxtkAudio : public Object {
 public:
  enum { kChannels = 33, kMusicChannel = 32 };

  void* alcDevice = nullptr;
  void* alcContext = nullptr;
  gxtkChannel channels[kChannels];
  // The sample PlayMusic made. Nothing else can reach it, so its buffer is given up as soon as
  // the music channel stops or plays something else, rather than when it is collected.
  gxtkSample* music = nullptr;

  // Buffer names of discarded samples, deleted once no source holds them.
  static std::vector<unsigned int> discarded;

  gxtkAudio();

  void mark() override;

  virtual int Suspend();
  virtual int Resume();
  virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, String path);
  virtual gxtkSample* LoadSample(String path);
  virtual int PlaySample(gxtkSample* sample, int channel, int flags);
  virtual int StopChannel(int channel);
  virtual int PauseChannel(int channel);
  virtual int ResumeChannel(int channel);
  virtual int ChannelState(int channel);
  virtual int SetVolume(int channel, float volume);
  virtual int SetPan(int channel, float pan);
  virtual int SetRate(int channel, float rate);
  virtual int PlayMusic(String path, int flags);
  virtual int StopMusic();
  virtual int PauseMusic();
  virtual int ResumeMusic();
  virtual int MusicState();
  virtual int SetMusicVolume(float volume);

  // Deletes the discarded buffers no source holds any more; keeps the rest for later. Runs
  // before loads and plays, and once per update so buffers go back while nothing plays.
  void FlushDiscarded();
  // Gives up the buffer of the sample PlayMusic made, which nothing else can play.
  void ReleaseMusic();
  // False when construction failed to get a device and context: every call is then a no-op.
  bool Live() const { return alcContext != nullptr; }
};
