// The audio device over the real OpenAL Soft with its null output, which plays in real time
// without a sound card: sounds end by themselves, pan reaches the source, buffers are really
// deleted, and a driver list naming nothing usable leaves a harmless silent device.
#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "devices/al_api.h"
#include "devices/audio.h"
#include "tests/devices/device_env.h"

namespace {

// Before OpenAL Soft first reads its configuration, for runs outside ctest.
const int kNullDriver = setenv("ALSOFT_DRIVERS", "null", 0);

class OpenAlDevice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    (void)kNullDriver;
    device_env::Host();
    vgAlBindSystem();
    audio = new gxtkAudio();  // one device and context for the suite, as in the game
  }
  void SetUp() override { ASSERT_TRUE(audio->Live()); }
  static int SourceState(int channel) {
    ALint state = 0;
    alGetSourcei(audio->channels[channel].source, AL_SOURCE_STATE, &state);
    return state;
  }
  static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  static gxtkAudio* audio;
  // 40 ms at 8 kHz: ends quickly, but not before the next call looks at it.
  String blip{device_env::WriteFile("blip.wav", device_env::PcmWav(1, 16, 8000, 320)).c_str()};
};
gxtkAudio* OpenAlDevice::audio = nullptr;

TEST_F(OpenAlDevice, AnEndedSoundReadsStoppedAndPauseOrResumeLeaveIt) {
  gxtkSample* s = audio->LoadSample(blip);
  ASSERT_NE(s, nullptr);
  audio->PlaySample(s, 0, 0);
  audio->PlaySample(s, 1, 1);
  audio->PlaySample(s, 2, 0);
  EXPECT_EQ(audio->ChannelState(0), 1);
  // 40 ms of sound, but a loaded machine may run the mixer late: wait for OpenAL to say so.
  for (int i = 0; i < 150 && (SourceState(0) != AL_STOPPED || SourceState(2) != AL_STOPPED); ++i) Wait(20);
  EXPECT_EQ(audio->ChannelState(0), 0) << "no StopChannel was needed";
  EXPECT_EQ(audio->ChannelState(1), 1) << "a looping sound plays on";
  audio->PauseChannel(2);  // ended, and not seen to end
  audio->ResumeChannel(2);
  EXPECT_EQ(audio->channels[2].state, 0);
  EXPECT_EQ(SourceState(2), AL_STOPPED) << "resume did not restart it";
  audio->PauseChannel(1);
  EXPECT_EQ(SourceState(1), AL_PAUSED);
  audio->StopChannel(1);
}

TEST_F(OpenAlDevice, PanZeroIsStraightAhead) {
  audio->SetPan(9, 0);
  float x = 9, y = 9, z = 9;
  alGetSource3f(audio->channels[9].source, AL_POSITION, &x, &y, &z);
  EXPECT_EQ(std::vector<float>({x, y, z}), (std::vector<float>{0, 0, -1}));
}

TEST_F(OpenAlDevice, ADiscardedBufferStillPlayingIsDeletedAtALaterFlush) {
  gxtkSample* s = audio->LoadSample(blip);
  unsigned int name = s->buffer;
  audio->PlaySample(s, 4, 0);
  s->Discard();
  gxtkSample* other = audio->LoadSample(blip);  // a flush while the buffer plays
  EXPECT_TRUE(alIsBuffer(name));
  Wait(300);  // the sound ends unobserved
  // Flushed by a play, not a load, whose new buffer could reuse the freed name.
  audio->PlaySample(other, 5, 0);
  EXPECT_FALSE(alIsBuffer(name));
  EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

// The driver list is read once per process, so this runs in a child.
TEST(OpenAlMissing, NoUsableDriverPrintsTheFirstLineAndRunsSilently) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("ALSOFT_DRIVERS", "nosuchdriver", 1);
        dup2(2, 1);  // the device prints on stdout; the death test reads stderr
        device_env::Host();
        vgAlBindSystem();
        gxtkAudio* silent = new gxtkAudio();
        String wav(device_env::WriteFile("m.wav", device_env::PcmWav(1, 8, 8000, 8)).c_str());
        silent->PlaySample(silent->LoadSample(wav), 0, 1);
        silent->Suspend();
        std::exit(!silent->Live() && silent->PlayMusic(wav, 1) == 0 && silent->ChannelState(0) == 1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "OpenAl error: alcOpenDevice failed");
}

}  // namespace
