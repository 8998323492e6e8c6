// The audio device against the simulated OpenAL of the AL recorder: the channel state
// machine, what each call asks of a source, suspend and resume, music on channel 32, the
// discarded-buffer list, the collector hook, and the silent device when OpenAL is missing.
#include <gtest/gtest.h>

#include <cmath>

#include "devices/audio.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "tests/devices/device_env.h"
#include "tests/support/al_recorder.h"

namespace {

constexpr int kPlaying = 0x1012, kPaused = 0x1013, kStopped = 0x1014;

class AudioChannels : public ::testing::Test {
 protected:
  void SetUp() override {
    device_env::Host();
    gxtkAudio::discarded.clear();
    wav = String(device_env::WriteFile("blip.wav", device_env::PcmWav(1, 16, 8000, 80)).c_str());
    audio = new gxtkAudio();
    sample = audio->LoadSample(wav);
    ASSERT_NE(sample, nullptr);
    al.calls.clear();
  }
  AlRecorder::Source& SourceOf(int channel) { return al.sources.at(audio->channels[channel].source); }

  AlRecorder al;
  String wav;
  gxtkAudio* audio = nullptr;
  gxtkSample* sample = nullptr;
};

TEST_F(AudioChannels, LoadSampleFillsOneBufferWithTheWholeSound) {
  EXPECT_NE(sample->buffer, 0u);
  EXPECT_TRUE(al.BufferLive(sample->buffer));
  EXPECT_EQ(al.bufferBytes[sample->buffer], 160);

  String deep(device_env::WriteFile("deep.wav", device_env::PcmWav(1, 24, 8000, 10)).c_str());
  EXPECT_EQ(audio->LoadSample(deep), nullptr) << "24-bit samples have no OpenAL format";
  EXPECT_EQ(audio->LoadSample(String("tarvik://data/none.wav")), nullptr);
}

TEST_F(AudioChannels, ChannelStatesFollowPlayPauseResumeStopAndTheSoundsEnd) {
  EXPECT_EQ(audio->ChannelState(3), 0);
  audio->PlaySample(sample, 3, 0);
  EXPECT_EQ(audio->ChannelState(3), 1);
  EXPECT_EQ(SourceOf(3).state, kPlaying);
  EXPECT_EQ(SourceOf(3).buffer, sample->buffer);
  EXPECT_FALSE(SourceOf(3).looping);

  audio->PauseChannel(3);
  EXPECT_EQ(audio->ChannelState(3), 2);
  EXPECT_EQ(SourceOf(3).state, kPaused);
  audio->ResumeChannel(3);
  EXPECT_EQ(audio->ChannelState(3), 1);
  EXPECT_EQ(SourceOf(3).state, kPlaying);
  audio->StopChannel(3);
  EXPECT_EQ(audio->ChannelState(3), 0);
  EXPECT_EQ(SourceOf(3).state, kStopped);

  al.calls.clear();
  audio->StopChannel(3);
  audio->PauseChannel(3);
  audio->ResumeChannel(3);
  EXPECT_EQ(al.calls.size(), 0u) << "a stopped channel asks nothing of its source";

  audio->PlaySample(sample, 3, 1);
  EXPECT_TRUE(SourceOf(3).looping);
  al.Finish(audio->channels[3].source);
  EXPECT_EQ(audio->ChannelState(3), 0) << "a sound that ended reads as stopped";

  audio->PlaySample(sample, 4, 0);
  al.Finish(audio->channels[4].source);
  audio->PauseChannel(4);
  EXPECT_EQ(audio->ChannelState(4), 0) << "pausing an ended sound leaves it stopped";
  al.calls.clear();
  audio->ResumeChannel(4);
  EXPECT_EQ(al.Count("SourcePlay"), 0);
  EXPECT_EQ(audio->ChannelState(4), 0);
}

TEST_F(AudioChannels, ChannelSettingsMakeTheSourceFirst) {
  audio->SetPan(7, 0);
  ASSERT_NE(audio->channels[7].source, 0u);
  const float* p = SourceOf(7).position;
  EXPECT_FLOAT_EQ(p[0], 0);
  EXPECT_FLOAT_EQ(p[1], 0);
  EXPECT_FLOAT_EQ(p[2], -1) << "straight ahead";
  audio->SetPan(7, static_cast<float>(M_PI / 2));
  EXPECT_FLOAT_EQ(p[0], 1);
  EXPECT_NEAR(p[2], 0, 1e-6);

  audio->SetVolume(8, 0.25f);
  audio->SetRate(9, 1.5f);
  EXPECT_FLOAT_EQ(SourceOf(8).gain, 0.25f);
  EXPECT_FLOAT_EQ(SourceOf(9).pitch, 1.5f);
  EXPECT_EQ(audio->ChannelState(8), 0);
  unsigned int made = audio->channels[8].source;
  audio->PlaySample(sample, 8, 0);
  EXPECT_EQ(audio->channels[8].source, made) << "the channel keeps its source";
}

TEST_F(AudioChannels, ChannelsOutsideTheThirtyThreeAreIgnored) {
  for (int bad : {-1, 33, 1000}) {
    audio->PlaySample(sample, bad, 0);
    audio->SetPan(bad, 1);
    audio->PauseChannel(bad);
    EXPECT_EQ(audio->ChannelState(bad), 0);
  }
  EXPECT_EQ(al.sources.size(), 0u);
  audio->PlaySample(nullptr, 0, 0);
  EXPECT_EQ(audio->ChannelState(0), 0);
}

TEST_F(AudioChannels, SuspendPausesOnlyPlayingSourcesAndResumeRestartsThem) {
  audio->PlaySample(sample, 0, 0);
  audio->PlaySample(sample, 1, 0);
  audio->PauseChannel(1);
  audio->PlaySample(sample, 2, 0);
  al.Finish(audio->channels[2].source);

  audio->Suspend();
  EXPECT_EQ(SourceOf(0).state, kPaused);
  EXPECT_EQ(audio->channels[0].state, 1) << "channel states are left alone";
  audio->Resume();
  EXPECT_EQ(SourceOf(0).state, kPlaying);
  EXPECT_EQ(SourceOf(1).state, kPaused) << "a channel the game paused stays paused";
  EXPECT_EQ(SourceOf(2).state, kStopped);
}

TEST_F(AudioChannels, MusicPlaysWholeOnChannelThirtyTwo) {
  EXPECT_EQ(audio->PlayMusic(wav, 1), 0);
  EXPECT_EQ(audio->MusicState(), 1);
  EXPECT_TRUE(SourceOf(32).looping);
  audio->SetMusicVolume(0.5f);
  EXPECT_FLOAT_EQ(SourceOf(32).gain, 0.5f);
  audio->PauseMusic();
  EXPECT_EQ(audio->MusicState(), 2);
  audio->ResumeMusic();
  EXPECT_EQ(audio->MusicState(), 1);

  EXPECT_EQ(audio->PlayMusic(String("tarvik://data/sfx/none.ogg"), 1), -1);
  EXPECT_EQ(audio->MusicState(), 0) << "the old tune was stopped before the load";
  EXPECT_EQ(SourceOf(32).state, kStopped);
}

TEST_F(AudioChannels, DiscardedBuffersWaitUntilNoSourceHoldsThem) {
  audio->PlaySample(sample, 5, 0);
  unsigned int name = sample->buffer;
  sample->Discard();
  EXPECT_EQ(sample->buffer, 0u);
  EXPECT_EQ(gxtkAudio::discarded, (std::vector<unsigned int>{name}));

  audio->LoadSample(wav);  // flushes while channel 5 still plays the buffer
  EXPECT_TRUE(al.BufferLive(name));
  EXPECT_EQ(gxtkAudio::discarded, (std::vector<unsigned int>{name}));

  al.Finish(audio->channels[5].source);
  audio->PlaySample(audio->LoadSample(wav), 6, 0);
  EXPECT_FALSE(al.BufferLive(name)) << "detached from the finished source, then deleted";
  EXPECT_TRUE(gxtkAudio::discarded.empty());
  EXPECT_EQ(SourceOf(5).buffer, 0u);

  al.calls.clear();
  audio->FlushDiscarded();
  EXPECT_EQ(al.calls.size(), 0u) << "an empty list costs nothing";
}

gxtkAudio* rootedAudio = nullptr;
gxtkSample* rootedSample = nullptr;

// Finishes the collector's cycle and sweeps, then destroys what the sweep found.
void CollectFully() {
  for (int i = 0; i < 2; ++i) {
    gc_new_bytes = gc_step_bytes + 1;
    gc_collect();
  }
  Array<int> sink(gc_free_bytes / static_cast<int>(sizeof(int)) + 1);
}

TEST_F(AudioChannels, TheCollectorKeepsOnlySamplesStillSounding) {
  gc_clear_roots();
  gc_root(rootedAudio);
  gc_root(rootedSample);
  gc_assign(rootedAudio, audio);
  gc_assign(rootedSample, sample);
  CollectFully();  // earlier tests' garbage goes now, not in the cycle under test
  gxtkAudio::discarded.clear();
  rootedSample = nullptr;

  gxtkSample* ended = audio->LoadSample(wav);
  unsigned int soundingBuffer = sample->buffer;
  unsigned int endedBuffer = ended->buffer;
  audio->PlaySample(sample, 0, 0);
  audio->PlaySample(ended, 1, 0);
  al.Finish(audio->channels[1].source);
  ended = nullptr;

  CollectFully();
  // A collected sample hands its buffer to the discarded list.
  EXPECT_EQ(gxtkAudio::discarded, (std::vector<unsigned int>{endedBuffer}));
  EXPECT_EQ(sample->buffer, soundingBuffer) << "the sounding sample is alive and keeps its buffer";

  gc_clear_roots();
  rootedAudio = nullptr;
}

struct SilentCase {
  AlRecorder::Failure failure;
  const char* line;
};
void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.line; }
std::string SilentCaseName(const ::testing::TestParamInfo<SilentCase>& info) {
  static const char* const names[] = {"None", "OpenDevice", "CreateContext", "MakeContextCurrent"};
  return names[info.param.failure];
}

class SilentAudio : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentAudio, PrintsWhyAndThenAsksNothingOfOpenAl) {
  device_env::Host();
  AlRecorder al(GetParam().failure);
  String wav(device_env::WriteFile("quiet.wav", device_env::PcmWav(1, 8, 8000, 8)).c_str());
  ::testing::internal::CaptureStdout();
  gxtkAudio* audio = new gxtkAudio();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string(GetParam().line) + "\n");
  EXPECT_FALSE(audio->Live());
  if (GetParam().failure != AlRecorder::kOpenDevice) {
    EXPECT_EQ(al.Count("CloseDevice"), 1) << "what was opened is closed again";
  }

  al.calls.clear();
  gxtkSample* s = audio->LoadSample(wav);
  ASSERT_NE(s, nullptr) << "the file still reads; it just has no buffer";
  EXPECT_EQ(s->buffer, 0u);
  audio->PlaySample(s, 0, 1);
  audio->SetVolume(0, 1);
  audio->SetPan(0, 1);
  audio->SetRate(0, 1);
  audio->PauseChannel(0);
  audio->ResumeChannel(0);
  audio->Suspend();
  audio->Resume();
  EXPECT_EQ(audio->PlayMusic(wav, 1), 0);
  EXPECT_EQ(audio->PlayMusic(String("tarvik://data/none.ogg"), 1), -1);
  EXPECT_EQ(audio->MusicState(), 0);
  EXPECT_EQ(audio->ChannelState(0), 0);
  audio->StopChannel(0);
  audio->mark();
  EXPECT_EQ(al.calls.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EachFailure, SilentAudio,
    ::testing::Values(SilentCase{AlRecorder::kOpenDevice, "OpenAl error: alcOpenDevice failed"},
                      SilentCase{AlRecorder::kCreateContext, "OpenAl error: alcCreateContext failed"},
                      SilentCase{AlRecorder::kMakeCurrent,
                                 "OpenAl error: alcMakeContextCurrent failed"}),
    SilentCaseName);

}  // namespace
