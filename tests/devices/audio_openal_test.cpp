// The audio device over the real OpenAL Soft with its null output (ALSOFT_DRIVERS=null),
// which plays in real time without a sound card: sounds end by themselves, sources report
// their positions, buffers are really deleted, and a driver list naming nothing usable
// leaves a silent device whose every call is harmless.
#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "devices/al_api.h"
#include "devices/audio.h"
#include "tests/devices/device_env.h"

namespace {

// Before OpenAL Soft first reads its configuration, when the binary runs outside ctest.
const int kNullDriver = setenv("ALSOFT_DRIVERS", "null", 0);

class OpenAlDevice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    (void)kNullDriver;
    device_env::Host();
    vgAlBindSystem();
    audio = new gxtkAudio();  // one device and context for the suite, as in the game
  }
  void SetUp() override {
    ASSERT_TRUE(audio->Live()) << "OpenAL Soft's null output should always open";
    gxtkAudio::discarded.clear();
    // 40 ms at 8 kHz: ends quickly, but not before the next call looks at it.
    blip = String(device_env::WriteFile("blip.wav", device_env::PcmWav(1, 16, 8000, 320)).c_str());
  }
  // Polls until the channel reads stopped (up to two seconds of real time).
  static bool WaitForEnd(int channel) {
    for (int i = 0; i < 200; ++i) {
      if (audio->ChannelState(channel) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  static gxtkAudio* audio;
  String blip;
};
gxtkAudio* OpenAlDevice::audio = nullptr;

TEST_F(OpenAlDevice, AOneShotSoundsChannelReadsStoppedAfterItEnds) {
  gxtkSample* s = audio->LoadSample(blip);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(alIsBuffer(s->buffer));
  audio->PlaySample(s, 0, 0);
  EXPECT_EQ(audio->ChannelState(0), 1);
  EXPECT_TRUE(WaitForEnd(0)) << "no StopChannel was needed";

  audio->PlaySample(s, 1, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_EQ(audio->ChannelState(1), 1) << "a looping sound keeps playing past its length";
  audio->StopChannel(1);
  EXPECT_EQ(audio->ChannelState(1), 0);
}

TEST_F(OpenAlDevice, PausingAnEndedSoundLeavesItStopped) {
  gxtkSample* s = audio->LoadSample(blip);
  audio->PlaySample(s, 2, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  audio->PauseChannel(2);
  EXPECT_EQ(audio->channels[2].state, 0);
  audio->ResumeChannel(2);
  EXPECT_EQ(audio->channels[2].state, 0);
  ALint state = 0;
  alGetSourcei(audio->channels[2].source, AL_SOURCE_STATE, &state);
  EXPECT_EQ(state, AL_STOPPED) << "resume did not restart it";

  audio->PlaySample(s, 3, 1);
  audio->PauseChannel(3);
  alGetSourcei(audio->channels[3].source, AL_SOURCE_STATE, &state);
  EXPECT_EQ(state, AL_PAUSED);
  audio->ResumeChannel(3);
  alGetSourcei(audio->channels[3].source, AL_SOURCE_STATE, &state);
  EXPECT_EQ(state, AL_PLAYING);
  audio->StopChannel(3);
}

TEST_F(OpenAlDevice, PanZeroIsStraightAhead) {
  audio->SetPan(9, 0);
  ASSERT_TRUE(alIsSource(audio->channels[9].source)) << "made before anything played";
  float x = 9, y = 9, z = 9;
  alGetSource3f(audio->channels[9].source, AL_POSITION, &x, &y, &z);
  EXPECT_FLOAT_EQ(x, 0);
  EXPECT_FLOAT_EQ(y, 0);
  EXPECT_FLOAT_EQ(z, -1);
  audio->SetPan(9, -1.5707964f);
  alGetSource3f(audio->channels[9].source, AL_POSITION, &x, &y, &z);
  EXPECT_FLOAT_EQ(x, -1) << "a quarter turn left";
}

TEST_F(OpenAlDevice, ADiscardedBufferStillPlayingIsDeletedAtALaterFlush) {
  gxtkSample* s = audio->LoadSample(blip);
  unsigned int name = s->buffer;
  audio->PlaySample(s, 4, 0);
  s->Discard();
  gxtkSample* other = audio->LoadSample(blip);  // a flush while the buffer plays
  EXPECT_TRUE(alIsBuffer(name));
  EXPECT_EQ(gxtkAudio::discarded, (std::vector<unsigned int>{name}));

  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the sound ends unobserved
  // Flushed by a play, not a load, whose new buffer could reuse the freed name.
  audio->PlaySample(other, 5, 0);
  EXPECT_FALSE(alIsBuffer(name));
  EXPECT_TRUE(gxtkAudio::discarded.empty());
  EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(OpenAlDevice, MusicIsDecodedWholeAndPlaysOnItsOwnChannel) {
  String tune(device_env::WriteFile("tune.ogg", device_env::OggTone(2, 22050, 0.5)).c_str());
  EXPECT_EQ(audio->PlayMusic(tune, 1), 0);
  EXPECT_EQ(audio->MusicState(), 1);
  ALint size = 0;
  alGetBufferi(audio->channels[32].sample->buffer, AL_SIZE, &size);
  EXPECT_NEAR(size, 22050 * 0.5 * 4, 4096 * 4);
  audio->StopMusic();
  EXPECT_EQ(audio->MusicState(), 0);
}

// A driver list with nothing usable in it: read once per process, so in a child process.
TEST(OpenAlMissing, NoUsableDriverPrintsTheFirstLineAndRunsSilently) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("ALSOFT_DRIVERS", "nosuchdriver", 1);
        dup2(2, 1);  // the device prints on stdout; the death test reads stderr
        device_env::Host();
        vgAlBindSystem();
        gxtkAudio* audio = new gxtkAudio();
        String wav(device_env::WriteFile("m.wav", device_env::PcmWav(1, 8, 8000, 8)).c_str());
        gxtkSample* s = audio->LoadSample(wav);
        audio->PlaySample(s, 0, 1);
        audio->SetPan(0, 1);
        audio->Suspend();
        audio->Resume();
        audio->PlayMusic(wav, 1);
        audio->mark();
        std::exit(!audio->Live() && s && audio->ChannelState(0) == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "OpenAl error: alcOpenDevice failed");
}

}  // namespace
