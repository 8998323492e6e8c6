// The audio device: 33 OpenAL channels (0..31 for effects, 32 for music) with a small
// play/pause/stop state machine, samples loaded whole from WAV or Ogg files, and the list of
// discarded buffers deleted once no source holds them. Created by the application framework;
// driven by the audio module. Runs silently when no OpenAL device or context can be had, and
// gets its sound back when one can be had again (Service).
#pragma once
#include <vector>

#include "runtime/object.h"
#include "runtime/string.h"

class gxtkSample : public Object {
 public:
  unsigned int buffer = 0;
  int bytes = 0;  // the buffer's size, reported to the collector as held outside its heap
  // Where the sound came from, so its buffer can be made again on a new device (empty for a
  // sample made from a buffer, or once discarded), and how long it plays.
  String path;
  int frames = 0, hertz = 0;

  gxtkSample();
  explicit gxtkSample(unsigned int buffer);
  ~gxtkSample() override;

  void SetBuffer(unsigned int buffer);
  // Stores a filled buffer of the given size.
  void Hold(unsigned int buffer, int bytes);
  virtual int Discard();

  double Seconds() const { return hertz > 0 ? static_cast<double>(frames) / hertz : 0; }

  // Every sample not yet destroyed, linked through the samples themselves.
  static gxtkSample* first;
  gxtkSample* prev = nullptr;
  gxtkSample* next = nullptr;
};

struct gxtkChannel {
  unsigned int source;
  gxtkSample* sample;
  int flags;
  int state;  // 0 stopped, 1 playing, 2 paused
  // What the source was given, to give a new source after a device change, and how far
  // into its sample the channel has played (seconds of sample time, kept while playing).
  float gain, pitch, pan;
  bool panned;
  double offset;
  // On a new device, until its sample's data has been decoded again: the channel keeps time
  // as without a device and plays on from there once the data is in.
  bool waiting;

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
  // Unsafe as a way in: it fills a sample the caller made and skips LoadSample's flush of the
  // discarded buffers. It uploads to OpenAL, so unlike its graphics namesake it stays on the
  // main thread.
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

  // Has the host decode a tune ahead of its PlayMusic, off the main thread, and again after
  // each time it has been played, so a tune starts without a long decode in the update.
  int PrefetchMusic(String path);
  // Called once per update with its length: deletes discarded buffers, moves the channels'
  // positions on, checks about once a second that the device is still connected (and lets
  // one-shots found finished go), and while there is none tries every two seconds or so to
  // open one. On a new device looped sounds and the music play on from about where they
  // would be once their data is decoded again (tunes on the host's worker); every other
  // sample gets its buffer again when it is next played.
  void Service(double seconds);

  // Deletes the discarded buffers no source holds any more; keeps the rest for later. Runs
  // before loads and plays, and once per update so buffers go back while nothing plays.
  void FlushDiscarded();
  // Gives up the buffer of the sample PlayMusic made, which nothing else can play.
  void ReleaseMusic();
  // False while there is no device and context: the channels then only keep time.
  bool Live() const { return alcContext != nullptr; }

 private:
  bool Open(bool report);
  void Close();
  void Lose();
  void Rebuild();
  bool Restore(gxtkSample* sample);
  void PlayOn();
  bool Connected();
  bool Ended(gxtkChannel& chan);
  void Upload(gxtkSample* sample, unsigned char* data, int chans, int format, int length, int hertz);

  double checkClock_ = 0, retryClock_ = 0;
  int failedOpens_ = 0;
  // Updates left before waiting channels are served after a device opened: more than the
  // host runs between two renders, so opening and uploading never delay the same render.
  int settle_ = 0;
  std::vector<String> prefetched_;
};
