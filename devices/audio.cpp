// gxtkAudio and gxtkSample: samples decoded whole by the host into OpenAL buffers, 33 channels
// with their play/pause/stop state machine, music on channel 32, and the discarded-buffer list
// that defers deleting a buffer until no source holds it. Driven by the audio module.
#include "devices/audio.h"

#include <AL/al.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "devices/al_api.h"
#include "host/glfw_game.h"
#include "runtime/console.h"

std::vector<unsigned int> gxtkAudio::discarded;

// ----- gxtkSample -----

gxtkSample::gxtkSample() {}

gxtkSample::gxtkSample(unsigned int name) : buffer(name) {}

gxtkSample::~gxtkSample() { Discard(); }

void gxtkSample::SetBuffer(unsigned int name) { buffer = name; }

void gxtkSample::Hold(unsigned int name, int size) {
  buffer = name;
  bytes = size;
  gc_external_alloc(size);
}

int gxtkSample::Discard() {
  if (buffer) {
    gxtkAudio::discarded.push_back(buffer);
    buffer = 0;
  }
  gc_external_free(bytes);
  bytes = 0;
  return 0;
}

// ----- gxtkChannel -----

unsigned int gxtkChannel::AL_Source() {
  if (!source) vgAl.GenSources(1, &source);
  return source;
}

// ----- gxtkAudio -----

namespace {

// A source that was never made has never played, so it counts as stopped.
int SourceState(unsigned int source) {
  int state = AL_STOPPED;
  if (source) vgAl.GetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

bool ValidChannel(int channel) { return channel >= 0 && channel < gxtkAudio::kChannels; }

}  // namespace

gxtkAudio::gxtkAudio() {
  std::memset(channels, 0, sizeof(channels));
  alcDevice = vgAl.OpenDevice(nullptr);
  if (!alcDevice) {
    vgPrint("OpenAl error: alcOpenDevice failed");
    return;
  }
  alcContext = vgAl.CreateContext(alcDevice, nullptr);
  if (!alcContext) {
    vgPrint("OpenAl error: alcCreateContext failed");
    vgAl.CloseDevice(alcDevice);
    alcDevice = nullptr;
    return;
  }
  if (!vgAl.MakeContextCurrent(alcContext)) {
    vgPrint("OpenAl error: alcMakeContextCurrent failed");
    vgAl.DestroyContext(alcContext);
    vgAl.CloseDevice(alcDevice);
    alcContext = nullptr;
    alcDevice = nullptr;
    return;
  }
  vgAl.DistanceModel(AL_NONE);
}

void gxtkAudio::mark() {
  for (gxtkChannel& chan : channels) {
    if (chan.state != 0 && SourceState(chan.source) != AL_STOPPED) gc_mark_q(chan.sample);
  }
  gc_mark_q(music);
}

void gxtkAudio::FlushDiscarded() {
  if (discarded.empty() || !Live()) return;
  // A stopped source keeps its buffer attached whatever its channel's state says (a stopped
  // channel too), and an attached buffer cannot be deleted. Detaching it changes nothing
  // audible; the next play attaches a buffer again.
  for (gxtkChannel& chan : channels) {
    if (chan.source && SourceState(chan.source) == AL_STOPPED) vgAl.Sourcei(chan.source, AL_BUFFER, 0);
  }
  std::vector<unsigned int> kept;
  for (unsigned int name : discarded) {
    vgAl.GetError();  // an earlier call's error must not be taken for this delete's
    vgAl.DeleteBuffers(1, &name);
    if (vgAl.GetError() != AL_NO_ERROR) kept.push_back(name);
  }
  discarded.swap(kept);
}

int gxtkAudio::Suspend() {
  if (!Live()) return 0;
  for (gxtkChannel& chan : channels) {
    if (chan.state == 1 && SourceState(chan.source) == AL_PLAYING) vgAl.SourcePause(chan.source);
  }
  return 0;
}

int gxtkAudio::Resume() {
  if (!Live()) return 0;
  for (gxtkChannel& chan : channels) {
    if (chan.state == 1 && SourceState(chan.source) == AL_PAUSED) vgAl.SourcePlay(chan.source);
  }
  return 0;
}

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
  VgGlfwGame* host = VgGlfwGame::_glfwGame;
  if (!host) return nullptr;
  int length = 0, chans = 0, format = 0, hertz = 0;
  unsigned char* data = host->LoadAudioData(path, &length, &chans, &format, &hertz);
  if (!data) return nullptr;

  int alFormat = 0;
  if (format == 1 && chans == 1) alFormat = AL_FORMAT_MONO8;
  if (format == 1 && chans == 2) alFormat = AL_FORMAT_STEREO8;
  if (format == 2 && chans == 1) alFormat = AL_FORMAT_MONO16;
  if (format == 2 && chans == 2) alFormat = AL_FORMAT_STEREO16;
  // OpenAL would refuse the data and leave an empty buffer that plays nothing; a layout it
  // cannot play is reported like an unreadable file instead.
  if (!alFormat) {
    std::free(data);
    return nullptr;
  }
  if (Live()) {
    unsigned int buffer = 0;
    int size = format * chans * length;
    vgAl.GenBuffers(1, &buffer);
    vgAl.BufferData(buffer, alFormat, data, size, hertz);
    sample->Hold(buffer, size);
  }
  std::free(data);
  return sample;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
  FlushDiscarded();
  return LoadSample__UNSAFE__(new gxtkSample(), path);
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
  if (!sample || !ValidChannel(channel) || !Live()) return 0;
  FlushDiscarded();
  gxtkChannel& chan = channels[channel];
  unsigned int source = chan.AL_Source();
  vgAl.SourceStop(source);
  vgAl.Sourcei(source, AL_BUFFER, static_cast<int>(sample->buffer));
  vgAl.Sourcei(source, AL_LOOPING, flags ? AL_TRUE : AL_FALSE);
  vgAl.SourcePlay(source);
  if (channel == kMusicChannel && sample != music) ReleaseMusic();
  gc_assign(chan.sample, sample);
  chan.state = 1;
  chan.flags = flags;
  return 0;
}

int gxtkAudio::StopChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state != 0) {
    vgAl.SourceStop(chan.source);
    chan.state = 0;
  }
  if (channel == kMusicChannel) ReleaseMusic();
  return 0;
}

int gxtkAudio::PauseChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state == 1) {
    if (SourceState(chan.source) == AL_STOPPED) {
      chan.state = 0;
    } else {
      vgAl.SourcePause(chan.source);
      chan.state = 2;
    }
  }
  return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state == 2) {
    vgAl.SourcePlay(chan.source);
    chan.state = 1;
  }
  return 0;
}

int gxtkAudio::ChannelState(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state == 1 && SourceState(chan.source) == AL_STOPPED) chan.state = 0;
  return chan.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
  if (!ValidChannel(channel) || !Live()) return 0;
  vgAl.Sourcef(channels[channel].AL_Source(), AL_GAIN, volume);
  return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
  if (!ValidChannel(channel) || !Live()) return 0;
  vgAl.Source3f(channels[channel].AL_Source(), AL_POSITION, std::sin(pan), 0, -std::cos(pan));
  return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
  if (!ValidChannel(channel) || !Live()) return 0;
  vgAl.Sourcef(channels[channel].AL_Source(), AL_PITCH, rate);
  return 0;
}

int gxtkAudio::PlayMusic(String path, int flags) {
  StopMusic();
  gxtkSample* sample = LoadSample(path);
  if (!sample) return -1;
  PlaySample(sample, kMusicChannel, flags);
  gc_assign(music, sample);
  return 0;
}

void gxtkAudio::ReleaseMusic() {
  if (!music) return;
  music->Discard();
  music = nullptr;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }
