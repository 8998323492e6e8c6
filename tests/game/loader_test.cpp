// Resource loading: the loader's stages and their order, the resolution rule, the logo
// jingle, reloading after a resize, missing files, the sound-effect channel cycle, the sound
// setting's gate, the start gate, the window switch and the set-up of a new game.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "devices/audio.h"
#include "framework/app.h"
#include "framework/audio.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The files each loader stage asks for, one entry per stage, with the image suffix given.
std::vector<std::vector<std::string>> ExpectedStages(const std::string& sfx) {
  auto img = [&](const char* name) { return std::string(name) + sfx + ".png"; };
  return {
      {img("common/icons"), "sfx/096.wav"},
      {img("common/Buttons")},
      {img("common/dpad")},
      {img("common/ZOLTLogo")},
      {img("common/Testcard_Circle")},
      {img("fonts/quilbent")},
      {"sfx/001.wav"},
      {"sfx/095.wav"},
      {"sfx/098.wav"},
      {"sfx/099.wav"},
      {img("menu")},
      {img("logo")},
      {img("parts")},
      {img("BadgesA")},
      {img("gfx")},
      {"sfx/002.wav"},
      {"sfx/003.wav"},
      {"sfx/004.wav"},
      {"sfx/005.wav"},
      {"sfx/006.wav"},
      {"sfx/007.wav"},
      {"output.png"},
      {"outputb.png"},
      {},
  };
}

// Runs the loader to its end one update at a time and checks each stage's requests.
void ExpectStagesInOrder(Harness& h, const std::string& suffix) {
  auto expected = ExpectedStages(suffix);
  for (size_t stage = 0; stage < expected.size(); ++stage) {
    ASSERT_EQ(static_cast<int>(stage) + 1, h.app()->m_Loading);
    h.Update();
    std::vector<std::string> opened = h.host()->TakeOpened();
    ASSERT_EQ(expected[stage].size(), opened.size()) << "stage " << stage + 1;
    for (size_t i = 0; i < opened.size(); ++i) {
      EXPECT_TRUE(EndsWith(opened[i], "/" + expected[stage][i]))
          << "stage " << stage + 1 << " opened " << opened[i];
    }
    h.Render();
  }
  EXPECT_EQ(0, h.app()->m_Loading);
}

void CheckResolution(int width, int height, const std::string& suffix, int level) {
  Harness::Options options;
  options.width = width;
  options.height = height;
  Harness h(options);
  h.Start();
  EXPECT_EQ(level, h.app()->m_ImgLevel);
  EXPECT_FLOAT_EQ(1.0f / static_cast<float>(level), h.app()->m_ImageScale);
  // After the framework's default font, OnCreate's reload fetched the loading screen's logo
  // and font.
  std::vector<std::string> first = h.host()->TakeOpened();
  ASSERT_EQ(3u, first.size());
  EXPECT_TRUE(EndsWith(first[1], "common/ZOLTLogo" + suffix + ".png")) << first[1];
  EXPECT_TRUE(EndsWith(first[2], "fonts/quilbent" + suffix + ".png")) << first[2];
  ExpectStagesInOrder(h, suffix);
  // Frame sizes are stored at the loaded resolution; fonts keep their design metrics.
  EXPECT_EQ(32 * level, h.app()->m_ImageInfo[3 * 97]);
  EXPECT_EQ(7, h.app()->m_ImageInfo[3 * 90]);
  EXPECT_EQ(10, h.app()->m_ImageInfo[3 * 90 + 1]);
  EXPECT_EQ(128, h.app()->m_ImageInfo[3 * 90 + 2]);
  EXPECT_EQ(32, h.app()->m_ImageInfo[3 * 2]);  // raw images are never scaled
  EXPECT_EQ(90, h.app()->m_CurFont);
}

// A short 16-bit mono WAV, so the channel tests do not depend on the generated sounds.
void WriteBeep(const std::string& path) {
  std::vector<int16_t> samples(800, 0);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 10) % 2 ? 8000 : -8000;
  uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
  f.write("RIFF", 4);
  u32(36 + dataBytes);
  f.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(8000);
  u32(16000);
  u16(2);
  u16(16);
  f.write("data", 4);
  u32(dataBytes);
  f.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

}  // namespace

TEST(Loader, ResolutionRuleChoosesTheImageSet) {
  VG_IN_CHILD([] { CheckResolution(1280, 720, "-hd2", 4); });
  VG_IN_CHILD([] { CheckResolution(800, 600, "-hd", 2); });
  VG_IN_CHILD([] { CheckResolution(640, 480, "", 1); });
  VG_IN_CHILD([] { CheckResolution(641, 480, "-hd", 2); });
  VG_IN_CHILD([] { CheckResolution(600, 1231, "-hd2", 4); });
}

TEST(Loader, JinglePlaysOnlyOnTheFirstPassAndAResizeReloadsOnce) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    h.Frame(3);
    EXPECT_EQ(0, app->m_JinglePlayed);
    EXPECT_EQ(0, app->m_SfxChan);
    h.Frame();  // stage 4: the logo and its jingle, the first effect of the run
    EXPECT_EQ(1, app->m_JinglePlayed);
    EXPECT_EQ(1, app->m_SfxChan);
    h.FinishLoading();
    h.Frame(10);
    ASSERT_EQ(0, app->m_Loading);

    h.Resize(800, 600);
    h.host()->TakeOpened();
    h.Render();  // the render notices the new size
    EXPECT_EQ(1, app->m_Loading);
    EXPECT_EQ(800, app->m_DevW);
    int sfx = app->m_SfxChan;
    EXPECT_EQ(24, h.FinishLoading());
    EXPECT_EQ(sfx, app->m_SfxChan);  // no jingle the second time
    std::vector<std::string> opened = h.host()->TakeOpened();
    EXPECT_EQ(24u, opened.size());  // every stage's files once, nothing twice
    h.Frame(30);
    EXPECT_EQ(0, app->m_Loading);
    EXPECT_TRUE(h.host()->TakeOpened().empty());
  });
}

TEST(Loader, MissingFilesLeaveEmptySlotsAndTheMenuStillRuns) {
  VG_IN_CHILD([] {
    Harness::Options options;
    options.removeData = {"menu-hd.png", "logo-hd.png", "common/icons-hd.png",
                          "fonts/quilbent-hd.png", "gfx-hd.png", "parts-hd.png"};
    Harness h(options);
    h.Start();
    EXPECT_EQ(24, h.FinishLoading());
    c_MyApp* app = h.app();
    EXPECT_EQ(nullptr, app->m_Images[99]);
    EXPECT_EQ(nullptr, app->m_Images[90]);
    EXPECT_EQ(nullptr, app->m_Images[97]);
    EXPECT_EQ(1, app->m_Screen);
    h.Frame(120);
    EXPECT_EQ(1, app->m_Screen);
    EXPECT_EQ(0, app->m_Loading);
  });
  VG_IN_CHILD([] {
    if (Harness::DataDir().empty()) GTEST_SKIP() << "no generated data";
    Harness h;
    h.Start();
    h.FinishLoading();
    EXPECT_NE(nullptr, h.app()->m_Images[93]);
    EXPECT_NE(nullptr, h.app()->m_Images[90]);
  });
}

TEST(Loader, SoundFileNamesHaveThreeDigits) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.host()->TakeOpened();
    for (int n : {7, 12, 99}) {
      h.app()->p_LoadSFX(n);
      std::vector<std::string> opened = h.host()->TakeOpened();
      char name[32];
      std::snprintf(name, sizeof name, "sfx/%03d.wav", n);
      ASSERT_EQ(1u, opened.size());
      EXPECT_TRUE(EndsWith(opened[0], name)) << opened[0];
    }
    // There are 100 sound slots; a number past them is refused rather than written past
    // the table.
    h.app()->p_LoadSFX(123);
    h.app()->p_LoadSFX(-1);
    EXPECT_TRUE(h.host()->TakeOpened().empty());
  });
}

TEST(Loader, EffectsCycleThroughTwentyFourChannelsAdvancingFirst) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    WriteBeep(h.workDir() + "/beep.wav");
    gc_assign(app->m_Sounds[50], vg_audio_LoadSound("./beep.wav"));
    ASSERT_NE(nullptr, app->m_Sounds[50]);
    app->m_Settings[5] = 1;
    app->m_SfxChan = 0;
    gxtkAudio* audio = vg_audio_device;
    for (int k = 1; k <= 25; ++k) {
      for (int c = 0; c < 32; ++c) audio->StopChannel(c);
      app->p_PlaySFX(50, 1, 1, 0);
      int expected = k % 24;
      EXPECT_EQ(expected, app->m_SfxChan) << "effect " << k;
      if (audio->Live()) {
        for (int c = 0; c < 32; ++c) {
          EXPECT_EQ(c == expected ? 1 : 0, audio->channels[c].state)
              << "effect " << k << " channel " << c;
        }
      }
    }
    // A position outside the cycle is folded back into it, a negative one restarts it.
    app->m_SfxChan = 40;
    app->p_PlaySFX(50, 1);
    EXPECT_EQ(17, app->m_SfxChan);
    app->m_SfxChan = -5;
    app->p_PlaySFX(50, 1);
    EXPECT_EQ(0, app->m_SfxChan);
    // An empty slot still takes its turn, silently.
    app->p_PlaySFX(60, 1);
    EXPECT_EQ(1, app->m_SfxChan);
  });
}

TEST(Loader, SoundSettingGatesEffectsAndTunes) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    struct Case {
      int setting;
      bool effects, music;
    };
    for (Case c : {Case{0, false, false}, Case{1, true, true}, Case{2, true, false},
                   Case{3, false, true}}) {
      app->m_Settings[5] = c.setting;
      app->m_SfxChan = 5;
      app->p_PlaySFX(1, 1, 1, 0);
      app->p_PlaySFX(1, 1);
      EXPECT_EQ(c.effects ? 7 : 5, app->m_SfxChan) << "setting " << c.setting;
      app->m_MusicOn = 0;
      app->p_PlayTune("Brisklet", 0);
      EXPECT_EQ(c.music ? 1 : 0, app->m_MusicOn) << "setting " << c.setting;
      // The form for callers that tested the setting themselves plays regardless.
      app->p_PlaySFXRaw(1, 1, 1, 0);
      EXPECT_EQ(c.effects ? 8 : 6, app->m_SfxChan);
    }
    // A new tune stops the old one even when the setting forbids the new one.
    app->m_Settings[5] = 1;
    app->p_PlayTune("Brisklet", 0);
    EXPECT_EQ(1, app->m_MusicOn);
    app->m_Settings[5] = 2;
    app->p_PlayTune("Sollenmark", 0);
    EXPECT_EQ(0, app->m_MusicOn);
    app->m_MusicOn = 1;
    app->p_StopTune();
    EXPECT_EQ(0, app->m_MusicOn);
  });
}

TEST(Loader, StartGateTakesAClickInTheMiddleHalfOnly) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    app->m_Screen = 5;
    h.Frame();
    EXPECT_EQ(5, app->m_Screen);
    for (auto p : {std::pair<float, float>{100, 240}, {320, 100}, {500, 240}, {320, 380}}) {
      h.MouseDown(p.first, p.second);
      h.Frame();
      h.MouseUp();
      h.Frame();
      EXPECT_EQ(5, app->m_Screen) << p.first << "," << p.second;
      EXPECT_EQ(0, app->m_Loading);
    }
    h.MouseDown(320, 240);
    h.Frame();
    h.MouseUp();
    EXPECT_EQ(1, app->m_Screen);
    EXPECT_EQ(1, app->m_PointerMode);
    EXPECT_GT(app->m_Loading, 0);
    EXPECT_EQ(60, vg_app__updateRate);
  });
}

TEST(Loader, F11SwitchesToTheDesktopSizeAndBack) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    h.Tap(vgtest::kKeyF11);
    ASSERT_EQ(1u, h.host()->windowRequests.size());
    EXPECT_TRUE(h.host()->windowRequests[0].fullscreen);
    EXPECT_GT(h.host()->windowRequests[0].width, 640);
    EXPECT_EQ(1, app->m_Fullscreen);
    h.Render();
    EXPECT_EQ(h.host()->windowRequests[0].width, app->m_DevW);
    EXPECT_EQ(1, app->m_Loading);  // images reload for the new size
    h.FinishLoading();
    h.Tap(vgtest::kKeyF11);
    ASSERT_EQ(2u, h.host()->windowRequests.size());
    EXPECT_FALSE(h.host()->windowRequests[1].fullscreen);
    EXPECT_EQ(640, h.host()->windowRequests[1].width);
    EXPECT_EQ(480, h.host()->windowRequests[1].height);
    EXPECT_EQ(0, app->m_Fullscreen);
  });
}

TEST(Loader, LoadGameSetsUpANewGameWithNothingLeftFromTheLast) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    // The remains of a game quit during its credits.
    app->m_Score = app->m_ShownScore = 1234;
    app->m_GameOver = app->m_GameOverTimer = app->m_Paused = 1;
    app->m_Coins = 99;
    app->m_Bullets[30] = app->m_Particles[2500] = app->m_Objects[5000] = 1;
    app->m_Screen = 11;
    h.Update();
    EXPECT_EQ(10, app->m_Screen);
    EXPECT_EQ(0, app->m_Score + app->m_ShownScore + app->m_GameOver + app->m_GameOverTimer +
                     app->m_Paused + app->m_Phase);
    EXPECT_EQ(5000, app->m_Bonus);
    EXPECT_EQ(6, app->m_Coins);
    EXPECT_FLOAT_EQ(-650, app->m_Actors[1]) << "the ship flies in from the left";
    EXPECT_FLOAT_EQ(0, app->m_Bullets[30] + app->m_Particles[2500] + app->m_Objects[5000]);
  });
}
