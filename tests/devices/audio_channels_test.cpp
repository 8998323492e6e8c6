// The audio device against the simulated OpenAL of the AL recorder: the channel state
// machine, sources made on first use, suspend and resume, music, a lost device, the collector
// hook and buffers OpenAL refuses to delete yet, and the silent device when OpenAL cannot be had.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>

#include "devices/audio.h"
#include "runtime/gc.h"
#include "tests/devices/device_env.h"
#include "tests/support/al_recorder.h"

namespace {

constexpr int kPlaying = 0x1012, kPaused = 0x1013, kStopped = 0x1014;

String File(const char* name, const std::vector<uint8_t>& bytes) {
  return String(device_env::WriteFile(name, bytes).c_str());
}

class AudioChannels : public ::testing::Test {
 protected:
  void SetUp() override {
    device_env::Host();
    gxtkAudio::discarded.clear();
    audio = new gxtkAudio();
    sample = audio->LoadSample(wav);
    ASSERT_NE(sample, nullptr);
    EXPECT_TRUE(al.bufferBytes[sample->buffer] == 160 && al.bufferFormats[sample->buffer] == 0x1101)
        << "one buffer holds the whole sound, as 16-bit mono";
  }
  AlRecorder::Source& SourceOf(int channel) { return al.sources.at(audio->channels[channel].source); }
  // The channel's state as the device reports it and the state of its source.
  std::pair<int, int> States(int channel) {
    return {audio->ChannelState(channel), SourceOf(channel).state};
  }

  AlRecorder al;
  String wav = File("blip.wav", device_env::PcmWav(1, 16, 8000, 80));
  gxtkAudio* audio = nullptr;
  gxtkSample* sample = nullptr;
};

TEST_F(AudioChannels, ChannelStatesFollowPlayPauseResumeStopAndSettingsReachTheSource) {
  audio->PlaySample(sample, 3, 1);
  EXPECT_EQ(States(3), std::make_pair(1, kPlaying));
  EXPECT_TRUE(SourceOf(3).looping);
  const struct { int (gxtkAudio::*call)(int); int channel, source; } steps[] = {
      {&gxtkAudio::PauseChannel, 2, kPaused}, {&gxtkAudio::ResumeChannel, 1, kPlaying},
      {&gxtkAudio::StopChannel, 0, kStopped}, {&gxtkAudio::PauseChannel, 0, kStopped},
      {&gxtkAudio::ResumeChannel, 0, kStopped}};
  for (const auto& step : steps) {
    (audio->*step.call)(3);
    EXPECT_EQ(States(3), std::make_pair(step.channel, step.source));
  }
  for (int bad : {-1, 33, 1000}) {
    audio->PlaySample(sample, bad, 0);
    audio->SetPan(bad, 1);
    EXPECT_EQ(audio->ChannelState(bad), 0);
  }
  audio->PlaySample(nullptr, 0, 0);
  EXPECT_EQ(al.sources.size(), 1u) << "bad channels and no sample touch nothing";
  EXPECT_EQ(audio->LoadSample(File("deep.wav", device_env::PcmWav(1, 24, 8000, 10))), nullptr)
      << "24-bit samples have no OpenAL format";

  // Settings make the channel's source first; pan turns it around the listener.
  audio->SetPan(6, 0);
  EXPECT_EQ(std::vector<float>(SourceOf(6).position, SourceOf(6).position + 3), (std::vector<float>{0, 0, -1}))
      << "straight ahead";
  audio->SetPan(7, static_cast<float>(M_PI / 2));
  EXPECT_FLOAT_EQ(SourceOf(7).position[0], 1);
  EXPECT_NEAR(SourceOf(7).position[2], 0, 1e-6);
  audio->SetVolume(8, 0.25f);
  audio->SetRate(8, 1.5f);
  EXPECT_EQ(std::make_pair(SourceOf(8).gain, SourceOf(8).pitch), std::make_pair(0.25f, 1.5f));
  unsigned int made = audio->channels[8].source;
  audio->PlaySample(sample, 8, 0);
  EXPECT_EQ(audio->channels[8].source, made) << "the channel keeps its source";
}

TEST_F(AudioChannels, SuspendPausesOnlyWhatPlaysAndMusicHasItsOwnChannel) {
  audio->PlaySample(sample, 0, 0);
  audio->PlaySample(sample, 1, 0);
  audio->PauseChannel(1);
  audio->Suspend();
  EXPECT_EQ(al.calls.back(), "DevicePause") << "the whole device pauses too, so it mixes nothing";
  EXPECT_EQ(States(0), std::make_pair(1, kPaused)) << "channel states are left alone";
  audio->Resume();
  EXPECT_EQ(al.Count("DeviceResume"), 1);
  EXPECT_EQ(SourceOf(0).state, kPlaying);
  EXPECT_EQ(SourceOf(1).state, kPaused) << "a channel the game paused stays paused";

  EXPECT_EQ(audio->PlayMusic(wav, 1), 0);
  EXPECT_TRUE(SourceOf(32).looping);
  audio->PauseMusic();
  EXPECT_EQ(audio->MusicState(), 2);
  audio->ResumeMusic();
  EXPECT_EQ(audio->MusicState(), 1);
  EXPECT_EQ(audio->PlayMusic(String("tarvik://data/none.ogg"), 1), -1);
  EXPECT_EQ(States(32), std::make_pair(0, kStopped)) << "the old tune stopped before the load";
}

TEST_F(AudioChannels, ALostDeviceIsReplacedAndLoopsAndMusicPlayOnFromWhereTheyWouldBe) {
  String tune = File("tune.ogg", device_env::OggTone(1, 8000, 30)), other = File("other.ogg", device_env::OggTone(1, 8000, 1));
  audio->PrefetchMusic(tune);
  // Short sounds decoded here while the worker decodes the tune.
  gxtkSample* idle = nullptr;
  for (int i = 0; i < 40; ++i, usleep(2000)) idle = audio->LoadSample(other);
  ASSERT_NE(idle, nullptr);
  audio->PlaySample(sample, 2, 1);
  audio->SetVolume(2, 0.5f);
  audio->PlaySample(sample, 3, 0);
  ASSERT_EQ(audio->PlayMusic(tune, 0), 0);
  ::testing::internal::CaptureStdout();
  audio->Service(0.5);
  al.connected = false;  // the output went; no update sees it yet
  al.failure = AlRecorder::kOpenDevice;
  for (int i = 0; i < 3; ++i) audio->Service(0.5);  // found at 1 s, a failed try at 1.5 s
  EXPECT_FALSE(audio->Live());
  EXPECT_EQ(audio->ChannelState(2) * 10 + audio->MusicState(), 11) << "no difference but silence";
  al.failure = AlRecorder::kNone, al.connected = true;
  al.calls.clear();
  audio->Service(2);  // 4 s
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "OpenAl error: device lost, trying to open another\nOpenAl: device opened, sound is back\n");
  ASSERT_TRUE(audio->Live());
  for (int i = 0; i < 5; ++i) audio->Service(0);
  EXPECT_EQ(al.Count("SourcePlay"), 0) << "a render (at most four updates apart) between opening and uploads";
  audio->Service(0);
  EXPECT_EQ(al.Count("Reload"), 1) << "the library looks for outputs afresh";
  EXPECT_EQ(States(2), std::make_pair(1, kPlaying));
  EXPECT_TRUE(SourceOf(2).looping && SourceOf(2).gain == 0.5f && al.BufferLive(SourceOf(2).buffer));
  EXPECT_EQ(audio->ChannelState(3), 0) << "a one-shot cut off is dropped";
  EXPECT_EQ(idle->buffer, 0u) << "a sample nothing plays is decoded again only when played";
  audio->PlaySample(idle, 5, 0);
  EXPECT_TRUE(audio->channels[5].waiting) << "an Ogg file is decoded again on the worker";

  // Updates go on meanwhile; each sound then plays on from where it would be by then.
  double at = 4, played = 0, musicAt = audio->channels[32].waiting ? 0 : at;
  for (int i = 0; i < 5000 && (audio->channels[32].waiting || audio->channels[5].waiting); ++i) {
    EXPECT_EQ(audio->MusicState(), 1) << "a tune being decoded again is still playing";
    usleep(1000);
    audio->Service(0.001);
    at += 0.001, played += 0.001;
    if (!musicAt && !audio->channels[32].waiting) musicAt = at;
  }
  ASSERT_FALSE(audio->channels[32].waiting || audio->channels[5].waiting);
  EXPECT_EQ(States(32), std::make_pair(1, kPlaying));
  EXPECT_NEAR(SourceOf(32).offset, musicAt * 8000, 1);
  EXPECT_TRUE(al.BufferLive(idle->buffer) && SourceOf(5).buffer == idle->buffer);
  EXPECT_EQ(SourceOf(5).state, kPlaying);
  EXPECT_NEAR(SourceOf(5).offset, played * 8000, 1);
}

gxtkAudio* rootedAudio = nullptr;

void CollectFully() {
  for (int i = 0; i < 2; ++i) gc_new_bytes = gc_step_bytes + 1, gc_collect();
  Array<int> sink(gc_free_bytes / static_cast<int>(sizeof(int)) + 1);  // runs the sweep
}

TEST_F(AudioChannels, TheCollectorKeepsOnlySamplesStillSoundingAndRefusedBuffersGoLater) {
  gc_clear_roots();
  gc_root(rootedAudio);
  gc_assign(rootedAudio, audio);
  audio->PlaySample(sample, 0, 0);  // unrooted: only its channel keeps it
  CollectFully();  // earlier garbage goes now, not in the cycle under test
  gxtkAudio::discarded.clear();
  gxtkSample* ended = audio->LoadSample(wav);
  unsigned int endedBuffer = ended->buffer, soundingBuffer = sample->buffer;
  audio->PlaySample(ended, 1, 0);
  al.Finish(audio->channels[1].source);
  CollectFully();
  EXPECT_TRUE(gxtkAudio::discarded.empty()) << "kept until the channel knows its sound ended";
  audio->Service(1);  // the once-a-second look finds it finished
  EXPECT_EQ(audio->channels[1].state, 0);
  CollectFully();
  EXPECT_EQ(gxtkAudio::discarded, (std::vector<unsigned int>{endedBuffer}));
  EXPECT_EQ(sample->buffer, soundingBuffer);
  gc_clear_roots();
  // OpenAL refuses to delete a buffer a playing source holds: it is tried again later.
  gxtkSample* playing = audio->LoadSample(wav);
  unsigned int name = playing->buffer;
  audio->PlaySample(playing, 2, 0);
  playing->Discard();
  audio->Service(0);
  EXPECT_TRUE(al.BufferLive(name));
  al.Finish(audio->channels[2].source);
  audio->Service(0);
  EXPECT_FALSE(al.BufferLive(name)) << "deleted once its sound has ended";
}

// A one-shot that has ended still says "playing" until someone asks; a reload then drops the
// game's last reference to its sample. Whatever the collector decides about that sample, a
// device lost before the next destroy slice must not leave a channel reading it afterwards.
TEST_F(AudioChannels, AnEndedOneShotsSampleIsNeverReadAfterTheCollectorFreesIt) {
  gc_clear_roots();
  gc_root(rootedAudio);
  gc_assign(rootedAudio, audio);
  CollectFully();
  gxtkSample* old = audio->LoadSample(wav);
  audio->PlaySample(old, 4, 0);
  audio->Service(0.5);
  al.Finish(audio->channels[4].source);
  // Two cycles end (the first still sees the write barrier's mark); nothing is allocated, so
  // what they found unreachable waits on the free list.
  for (int i = 0; i < 2; ++i) gc_new_bytes = gc_step_bytes + 1, gc_collect();
  al.connected = false;
  al.failure = AlRecorder::kOpenDevice;
  ::testing::internal::CaptureStdout();
  audio->Service(0.5);  // a second since the last check: the loss is found
  EXPECT_FALSE(audio->Live());
  Array<int> sink(gc_free_bytes / static_cast<int>(sizeof(int)) + 1);  // destroys the garbage
  for (int i = 0; i < 3; ++i) audio->Service(0.1);
  EXPECT_EQ(audio->ChannelState(4), 0) << "the sound had ended";
  CollectFully();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "OpenAl error: device lost, trying to open another\n");
  gc_clear_roots();
}

// Without a device the game runs silent after one line saying why (it comes back as above).
TEST(SilentAudio, EachFailedStepOfTheOpeningPrintsWhyAndLeavesTheDeviceSilent) {
  device_env::Host();
  const char* why[] = {"alcOpenDevice", "alcCreateContext", "alcMakeContextCurrent"};
  for (auto failure : {AlRecorder::kOpenDevice, AlRecorder::kCreateContext, AlRecorder::kMakeCurrent}) {
    AlRecorder al(failure);
    ::testing::internal::CaptureStdout();
    gxtkAudio* audio = new gxtkAudio();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string("OpenAl error: ") + why[failure - 1] + " failed\n");
    EXPECT_FALSE(audio->Live());
  }
}

}  // namespace
