// The audio module over a real audio device on the AL recorder: path fixing, null sounds
// that play as silence, music results, and channels the device does not have.
#include "framework/audio.h"

#include "devices/audio.h"
#include "tests/framework/framework_fixture.h"

namespace {

class AudioTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    device = new gxtkAudio;
    vg_audio_SetAudioDevice(device);
    host->sounds["tarvik://data/sfx/001.wav"] = 100;
  }
  gxtkAudio* device = nullptr;
};

TEST_F(AudioTest, SoundsLoadFromDataPathsAndPlayOnTheirChannel) {
  c_Sound* sound = vg_audio_LoadSound(String("sfx/001.wav"));
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(sound->m_sample, nullptr);
  EXPECT_EQ(vg_audio_LoadSound(String("sfx/002.wav")), nullptr);

  vg_audio_PlaySound(sound, 5, 1);
  EXPECT_EQ(al->Count("SourcePlay"), 1);
  EXPECT_EQ(device->channels[5].state, 1);
  EXPECT_EQ(device->channels[5].flags, 1);
  EXPECT_TRUE(al->sources[device->channels[5].source].looping);

  vg_audio_SetChannelVolume(5, 0.25f);
  vg_audio_SetChannelRate(5, 2);
  EXPECT_EQ(al->sources[device->channels[5].source].gain, 0.25f);
  EXPECT_EQ(al->sources[device->channels[5].source].pitch, 2);
  vg_audio_StopChannel(5);
  EXPECT_EQ(device->channels[5].state, 0);
}

TEST_F(AudioTest, NullSoundsAndMissingChannelsDoNothing) {
  vg_audio_PlaySound(nullptr, 0, 0);
  vg_audio_PlaySound((new c_Sound)->m_new(), 0, 0);
  c_Sound* sound = vg_audio_LoadSound(String("sfx/001.wav"));
  for (int channel : {-1, 33, 1000}) {
    vg_audio_PlaySound(sound, channel, 0);
    vg_audio_StopChannel(channel);
    vg_audio_SetChannelVolume(channel, 1);
    vg_audio_SetChannelPan(channel, 1);
    vg_audio_SetChannelRate(channel, 1);
  }
  EXPECT_EQ(al->Count("SourcePlay"), 0);
  EXPECT_EQ(al->Count("GenSources"), 0);
}

TEST_F(AudioTest, MusicReportsWhetherItLoaded) {
  host->sounds["tarvik://data/sfx/tune.ogg"] = 1000;
  EXPECT_EQ(vg_audio_PlayMusic(String("sfx/tune.ogg"), 1), 0);
  EXPECT_EQ(device->channels[32].state, 1);
  vg_audio_PauseMusic();
  EXPECT_EQ(device->channels[32].state, 2);
  vg_audio_ResumeMusic();
  EXPECT_EQ(device->channels[32].state, 1);

  EXPECT_EQ(vg_audio_PlayMusic(String("sfx/none.ogg"), 1), -1);
  EXPECT_EQ(device->channels[32].state, 0) << "the old tune stops before the load";
}

TEST_F(AudioTest, NoDeviceYetMeansSilence) {
  vg_audio_SetAudioDevice(nullptr);
  EXPECT_EQ(vg_audio_LoadSound(String("sfx/001.wav")), nullptr);
  EXPECT_EQ(vg_audio_PlayMusic(String("sfx/001.wav"), 0), -1);
  vg_audio_StopMusic();
  EXPECT_EQ(al->Count("SourcePlay"), 0);
}

}  // namespace
