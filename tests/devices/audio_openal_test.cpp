// The audio device over the real OpenAL Soft with its null output, which plays in real time
// without a sound card: sounds end by themselves, and a discarded buffer that still plays is
// really deleted once it has ended, which the recorder only simulates.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "devices/al_api.h"
#include "devices/audio.h"
#include "tests/devices/device_env.h"

namespace {

// Before OpenAL Soft first reads its configuration, for runs outside ctest.
const int kNullDriver = setenv("ALSOFT_DRIVERS", "null", 0);

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(OpenAlDevice, SoundsEndByThemselvesAndADiscardedBufferGoesOnceItHasEnded) {
  (void)kNullDriver;
  device_env::Host();
  vgAlBindSystem();
  gxtkAudio* audio = new gxtkAudio();
  ASSERT_TRUE(audio->Live());
  auto state = [audio](int channel) {
    ALint s = 0;
    alGetSourcei(audio->channels[channel].source, AL_SOURCE_STATE, &s);
    return s;
  };
  // 40 ms at 8 kHz: ends quickly, but not before the next call looks at it.
  String blip(device_env::WriteFile("blip.wav", device_env::PcmWav(1, 16, 8000, 320)).c_str());
  gxtkSample* s = audio->LoadSample(blip);
  ASSERT_NE(s, nullptr);
  audio->PlaySample(s, 0, 0);
  audio->PlaySample(s, 1, 1);
  audio->PlaySample(s, 2, 0);
  EXPECT_EQ(audio->ChannelState(0), 1);
  // A loaded machine may run the mixer late: wait for OpenAL to say the sounds ended.
  for (int i = 0; i < 150 && (state(0) != AL_STOPPED || state(2) != AL_STOPPED); ++i) Wait(20);
  EXPECT_EQ(audio->ChannelState(0), 0) << "no StopChannel was needed";
  EXPECT_EQ(audio->ChannelState(1), 1) << "a looping sound plays on";
  audio->PauseChannel(2);  // ended, and not seen to end
  audio->ResumeChannel(2);
  EXPECT_EQ(audio->channels[2].state, 0);
  EXPECT_EQ(state(2), AL_STOPPED) << "resume did not restart it";
  audio->StopChannel(1);

  gxtkSample* discarded = audio->LoadSample(blip);
  unsigned int name = discarded->buffer;
  audio->PlaySample(discarded, 4, 0);
  discarded->Discard();
  gxtkSample* other = audio->LoadSample(blip);  // a flush while the buffer plays
  EXPECT_TRUE(alIsBuffer(name));
  Wait(300);  // the sound ends unobserved
  // Flushed by a play, not a load, whose new buffer could reuse the freed name.
  audio->PlaySample(other, 5, 0);
  EXPECT_FALSE(alIsBuffer(name));
  EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

}  // namespace
