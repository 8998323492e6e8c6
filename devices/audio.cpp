// gxtkAudio and gxtkSample: samples decoded whole by the host into OpenAL buffers, 33 channels
// with their play/pause/stop state machine, music on channel 32, and the discarded-buffer list
// that defers deleting a buffer until no source holds it. Driven by the audio module; the
// framework's delegate calls Service every update, which finds a lost device and a new one.
#include "devices/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#if __has_include(<AL/alext.h>)
#include <AL/alext.h>
#endif
// A page's OpenAL headers stop at the core; the disconnect extension's query.
#ifndef ALC_CONNECTED
#define ALC_CONNECTED 0x313
#endif

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "devices/al_api.h"
#include "host/game.h"
#include "runtime/console.h"
#include "runtime/gc.h"

std::vector<unsigned int> gxtkAudio::discarded;
gxtkSample* gxtkSample::first = nullptr;

// ----- gxtkSample -----

gxtkSample::gxtkSample() : gxtkSample(0) {}

gxtkSample::gxtkSample(unsigned int name) : buffer(name), next(first) {
  if (first) first->prev = this;
  first = this;
}

gxtkSample::~gxtkSample() {
  Discard();
  (prev ? prev->next : first) = next;
  if (next) next->prev = prev;
}

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
  path = String();
  return 0;
}

// ----- gxtkChannel -----

unsigned int gxtkChannel::AL_Source() {
  if (!source) {
    vgAl.GenSources(1, &source);
    // A source made again on a new device takes what the channel's old one was given.
    if (gain != 1) vgAl.Sourcef(source, AL_GAIN, gain);
    if (pitch != 1) vgAl.Sourcef(source, AL_PITCH, pitch);
    if (panned) vgAl.Source3f(source, AL_POSITION, std::sin(pan), 0, -std::cos(pan));
  }
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

int AlFormat(int chans, int format) {
  if (format == 1 && chans == 1) return AL_FORMAT_MONO8;
  if (format == 1 && chans == 2) return AL_FORMAT_STEREO8;
  if (format == 2 && chans == 1) return AL_FORMAT_MONO16;
  if (format == 2 && chans == 2) return AL_FORMAT_STEREO16;
  return 0;
}

}  // namespace

gxtkAudio::gxtkAudio() {
  std::memset(channels, 0, sizeof(channels));
  for (gxtkChannel& chan : channels) chan.gain = chan.pitch = 1;
  Open(true);
}

bool gxtkAudio::Open(bool report) {
  alcDevice = vgAl.OpenDevice(nullptr);
  if (!alcDevice) {
    if (report) vgPrint("OpenAl error: alcOpenDevice failed");
    return false;
  }
  alcContext = vgAl.CreateContext(alcDevice, nullptr);
  if (!alcContext) {
    if (report) vgPrint("OpenAl error: alcCreateContext failed");
    vgAl.CloseDevice(alcDevice);
    alcDevice = nullptr;
    return false;
  }
  if (!vgAl.MakeContextCurrent(alcContext)) {
    if (report) vgPrint("OpenAl error: alcMakeContextCurrent failed");
    Close();
    return false;
  }
  vgAl.DistanceModel(AL_NONE);
  return true;
}

void gxtkAudio::Close() {
  vgAl.MakeContextCurrent(nullptr);
  vgAl.DestroyContext(alcContext);
  vgAl.CloseDevice(alcDevice);
  alcContext = nullptr;
  alcDevice = nullptr;
}

bool gxtkAudio::Connected() {
  int connected = 1;
  vgAl.GetIntegerv(alcDevice, ALC_CONNECTED, 1, &connected);
  return connected != 0;
}

// The device stopped every source when its output went; the buffers go with it. Channels
// keep their state and keep time, so looped sounds and the music can go on later.
void gxtkAudio::Lose() {
  vgPrint("OpenAl error: device lost, trying to open another");
  for (gxtkChannel& chan : channels) {
    chan.source = 0;
    chan.waiting = false;
  }
  for (gxtkSample* s = gxtkSample::first; s; s = s->next) {
    gc_external_free(s->bytes);
    s->buffer = 0;
    s->bytes = 0;
  }
  discarded.clear();
  Close();
  retryClock_ = 2;  // the first try at the next update
  failedOpens_ = 0;
}

void gxtkAudio::Upload(gxtkSample* sample, unsigned char* data, int chans, int format, int length, int hertz) {
  unsigned int name = 0;
  int size = format * chans * length;
  vgAl.GenBuffers(1, &name);
  vgAl.BufferData(name, AlFormat(chans, format), data, size, hertz);
  sample->Hold(name, size);
}

// On a new device: looped sounds and unfinished music wait for their data and then play on
// (a few updates later: opening the device is enough for one render's time); cut-off
// one-shots are dropped. Other samples are decoded again only when next played, so nothing the game has
// let go of is decoded, and no update decodes them all at once.
void gxtkAudio::Rebuild() {
  for (int i = 0; i < kChannels; ++i) {
    gxtkChannel& chan = channels[i];
    if (chan.state == 0) continue;
    if (!(chan.flags != 0 || i == kMusicChannel) || chan.sample->path.Length() == 0) {
      chan.state = 0;
    } else {
      chan.waiting = true;
    }
  }
}

// Gives a sample that came from a file its buffer again: a short sound at once, a tune from
// the host's worker. True while the worker still has it.
bool gxtkAudio::Restore(gxtkSample* sample) {
  VgGame* host = VgGame::_game;
  if (!host || sample->buffer || sample->path.Length() == 0) return false;
  int length = 0, chans = 0, format = 0, hertz = 0;
  bool waiting = false;
  unsigned char* data =
      host->FetchAudioData(sample->path, &length, &chans, &format, &hertz, &waiting);
  if (waiting) return true;
  if (data && AlFormat(chans, format)) Upload(sample, data, chans, format, length, hertz);
  std::free(data);
  // The tune's ahead-decoded copy was used up; the next start of it wants another.
  for (const String& tune : prefetched_) {
    if (tune == sample->path) host->PrefetchAudioData(tune);
  }
  return false;
}

// Channels waiting for their data start once it is in, from where their time has got to.
void gxtkAudio::PlayOn() {
  for (gxtkChannel& chan : channels) {
    if (!chan.waiting) continue;
    if (chan.state == 0) {
      chan.waiting = false;
      continue;
    }
    gxtkSample* sample = chan.sample;
    if (Restore(sample)) continue;
    chan.waiting = false;
    bool loops = chan.flags != 0;
    double length = sample->Seconds();
    if (!sample->buffer || (!loops && chan.offset >= length)) {
      chan.state = 0;
      continue;
    }
    if (loops && length > 0) chan.offset = std::fmod(chan.offset, length);
    unsigned int source = chan.AL_Source();
    vgAl.Sourcei(source, AL_BUFFER, static_cast<int>(sample->buffer));
    vgAl.Sourcei(source, AL_LOOPING, loops ? AL_TRUE : AL_FALSE);
    vgAl.Sourcei(source, AL_SAMPLE_OFFSET, static_cast<int>(chan.offset * sample->hertz));
    if (chan.state == 1) vgAl.SourcePlay(source);
  }
}

void gxtkAudio::Service(double seconds) {
  // Buffers of samples the collector destroyed since the last update go back to OpenAL now,
  // not at the next sound played, which on a quiet screen may be hours away.
  FlushDiscarded();
  for (gxtkChannel& chan : channels) {
    if (chan.state == 1) chan.offset += seconds * chan.pitch;
  }
  if (Live()) {
    if (settle_ > 0) {
      --settle_;
    } else {
      PlayOn();
    }
    if ((checkClock_ += seconds) < 1) return;
    checkClock_ = 0;
    if (!Connected()) return Lose();
    for (gxtkChannel& chan : channels) {
      if (chan.state != 1 || chan.waiting) continue;
      int state = SourceState(chan.source);
      if (state == AL_PLAYING && chan.sample->hertz > 0) {
        // Updates can fall behind the clock; the sources cannot.
        int at = 0;
        vgAl.GetSourcei(chan.source, AL_SAMPLE_OFFSET, &at);
        chan.offset = static_cast<double>(at) / chan.sample->hertz;
      } else if (state == AL_STOPPED && chan.flags == 0) {
        // Its sound has ended on a connected device. Until the channel says so it keeps its
        // sample alive, which it must for as long as it may read it.
        chan.state = 0;
      }
    }
    return;
  }
  for (gxtkChannel& chan : channels) {
    if (chan.state == 1 && Ended(chan)) chan.state = 0;
  }
  if ((retryClock_ += seconds) < 2) return;
  retryClock_ = 0;
  // The library gives up for good on an output whose server was not there when it started,
  // so it is loaded afresh before a try; after the first minute only now and then, as some
  // outputs keep a little memory with each load.
  if (failedOpens_ < 30 || (failedOpens_ & (failedOpens_ - 1)) == 0) vgAl.Reload();
  if (!Open(false)) {
    ++failedOpens_;
    return;
  }
  failedOpens_ = 0;
  vgPrint("OpenAl: device opened, sound is back");
  Rebuild();
  settle_ = 5;
}

// Whether a playing channel's sound has finished. A stopped source on a device that has lost
// its output did not finish; without a device a sound finishes when its time is up.
// A channel waiting for its data keeps time as without a device.
bool gxtkAudio::Ended(gxtkChannel& chan) {
  if (Live() && !chan.waiting) {
    if (SourceState(chan.source) != AL_STOPPED) return false;
    if (Connected()) return true;
    Lose();
  }
  return chan.state == 0 || (chan.flags == 0 && chan.offset >= chan.sample->Seconds());
}

void gxtkAudio::mark() {
  // A channel reads its sample for as long as its state is not 0 (to keep time, to play it
  // on after a device change), so that alone keeps the sample; the state of a one-shot goes
  // to 0 once it is found finished.
  for (gxtkChannel& chan : channels) {
    if (chan.state != 0) gc_mark_q(chan.sample);
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

// Pausing the device as well stops its mixing thread, so a minimised game takes no CPU.
int gxtkAudio::Suspend() {
  if (!Live()) return 0;
  for (gxtkChannel& chan : channels) {
    if (chan.state == 1 && SourceState(chan.source) == AL_PLAYING) vgAl.SourcePause(chan.source);
  }
  vgAl.DevicePause(alcDevice);
  return 0;
}

int gxtkAudio::Resume() {
  if (!Live()) return 0;
  vgAl.DeviceResume(alcDevice);
  for (gxtkChannel& chan : channels) {
    if (chan.state == 1 && SourceState(chan.source) == AL_PAUSED) vgAl.SourcePlay(chan.source);
  }
  return 0;
}

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
  VgGame* host = VgGame::_game;
  if (!host) return nullptr;
  int length = 0, chans = 0, format = 0, hertz = 0;
  unsigned char* data = host->TakeAudioData(path, &length, &chans, &format, &hertz);
  if (!data) return nullptr;
  // OpenAL would refuse the data and leave an empty buffer that plays nothing; a layout it
  // cannot play is reported like an unreadable file instead.
  if (!AlFormat(chans, format)) {
    std::free(data);
    return nullptr;
  }
  sample->path = path;
  sample->frames = length;
  sample->hertz = hertz;
  if (Live()) Upload(sample, data, chans, format, length, hertz);
  std::free(data);
  return sample;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
  FlushDiscarded();
  return LoadSample__UNSAFE__(new gxtkSample(), path);
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
  if (!sample || !ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  chan.waiting = false;
  if (Live()) {
    FlushDiscarded();
    unsigned int source = chan.AL_Source();
    vgAl.SourceStop(source);
    // A sample not played since the device changed gets its buffer again first.
    chan.waiting = Restore(sample);
    if (!chan.waiting) {
      vgAl.Sourcei(source, AL_BUFFER, static_cast<int>(sample->buffer));
      vgAl.Sourcei(source, AL_LOOPING, flags ? AL_TRUE : AL_FALSE);
      vgAl.SourcePlay(source);
    }
  }
  if (channel == kMusicChannel && sample != music) ReleaseMusic();
  gc_assign(chan.sample, sample);
  chan.state = 1;
  chan.flags = flags;
  chan.offset = 0;
  return 0;
}

int gxtkAudio::StopChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state != 0) {
    if (Live() && !chan.waiting) vgAl.SourceStop(chan.source);
    chan.state = 0;
  }
  chan.waiting = false;
  if (channel == kMusicChannel) ReleaseMusic();
  return 0;
}

int gxtkAudio::PauseChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state == 1) {
    if (Ended(chan)) {
      chan.state = 0;
    } else {
      if (Live() && !chan.waiting) vgAl.SourcePause(chan.source);
      chan.state = 2;
    }
  }
  return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state == 2) {
    if (Live() && !chan.waiting) vgAl.SourcePlay(chan.source);
    chan.state = 1;
  }
  return 0;
}

int gxtkAudio::ChannelState(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (chan.state == 1 && Ended(chan)) chan.state = 0;
  return chan.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (Live()) vgAl.Sourcef(chan.AL_Source(), AL_GAIN, volume);
  chan.gain = volume;
  return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (Live()) vgAl.Source3f(chan.AL_Source(), AL_POSITION, std::sin(pan), 0, -std::cos(pan));
  chan.pan = pan;
  chan.panned = true;
  return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& chan = channels[channel];
  if (Live()) vgAl.Sourcef(chan.AL_Source(), AL_PITCH, rate);
  chan.pitch = rate;
  return 0;
}

int gxtkAudio::PrefetchMusic(String path) {
  if (VgGame* host = VgGame::_game) host->PrefetchAudioData(path);
  // Asked again at every game's start: the tune stays on the list once.
  for (const String& tune : prefetched_) {
    if (tune == path) return 0;
  }
  prefetched_.push_back(path);
  return 0;
}

int gxtkAudio::PlayMusic(String path, int flags) {
  StopMusic();
  gxtkSample* sample = LoadSample(path);
  // Decoded again at once, off the main thread, for the next time the tune starts.
  for (const String& tune : prefetched_) {
    if (tune == path && VgGame::_game) VgGame::_game->PrefetchAudioData(path);
  }
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
