// Resource loading: the loader's stages in order, the resolution rule, the logo jingle, the
// reload after a resize, missing files, the effect channel cycle and the sound setting's
// gate, the start gate, the window switch and the set-up of a new game.
#include <gtest/gtest.h>

#include <fstream>

#include "devices/audio.h"
#include "framework/app.h"
#include "framework/audio.h"
#include "game/myapp.h"
#include "tests/devices/device_env.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::OnLoadedGame;

namespace {

// The files opened since the last look, relative to the data folder, space-separated.
std::string Opened(Harness& h) {
  std::string out;
  for (const std::string& path : h.host()->TakeOpened()) {
    out += (out.empty() ? "" : " ") + path.substr(path.rfind("/data/") == std::string::npos ? 0 : path.rfind("/data/") + 6);
  }
  return out;
}

// Checks the files each stage asks for, one update at a time, with the image suffix given.
void ExpectStagesInOrder(Harness& h, const std::string& suffix) {
  const char* stages[] = {"common/icons* sfx/096.wav", "common/Buttons*", "common/dpad*",
                          "common/ZOLTLogo*", "common/Testcard_Circle*", "fonts/quilbent*",
                          "sfx/001.wav", "sfx/095.wav", "sfx/098.wav", "sfx/099.wav", "menu*",
                          "logo*", "parts*", "BadgesA*", "gfx*", "sfx/002.wav", "sfx/003.wav",
                          "sfx/004.wav", "sfx/005.wav", "sfx/006.wav", "sfx/007.wav", "output.png",
                          "outputb.png", ""};
  for (int stage = 0; stage < 24; ++stage) {
    ASSERT_EQ(stage + 1, h.app()->m_Loading);
    h.Update();
    std::string expected = stages[stage];
    for (size_t at; (at = expected.find('*')) != std::string::npos;) expected.replace(at, 1, suffix + ".png");
    EXPECT_EQ(expected, Opened(h)) << "stage " << stage + 1;
    h.Render();
  }
  EXPECT_EQ(0, h.app()->m_Loading);
}

}  // namespace

TEST(Loader, ResolutionRuleChoosesTheImageSetForEveryStage) {
  const struct { int w, h; const char* suffix; int level; } cases[] = {
      {1280, 720, "-hd2", 4}, {800, 600, "-hd", 2}, {640, 480, "", 1}, {641, 480, "-hd", 2}};
  for (const auto& c : cases) {
    VG_IN_CHILD([&c] {
      Harness::Options options;
      options.width = c.w;
      options.height = c.h;
      Harness h(options);
      h.Start();
      EXPECT_EQ(c.level, h.app()->m_ImgLevel);
      std::string first = Opened(h), own = std::string("common/ZOLTLogo") + c.suffix + ".png fonts/quilbent";
      EXPECT_NE(std::string::npos, first.find(own + c.suffix + ".png")) << "the loading screen's own: " << first;
      ExpectStagesInOrder(h, c.suffix);
      EXPECT_EQ(32 * c.level, h.app()->m_ImageInfo[3 * 97]) << "frames at the loaded resolution";
      EXPECT_EQ(7, h.app()->m_ImageInfo[3 * 90]) << "fonts keep their design metrics";
    });
  }
}

TEST(Loader, JinglePlaysOnlyOnTheFirstPassAndAResizeReloadsOnce) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    h.Frame(3);
    EXPECT_EQ(0, app->m_JinglePlayed + app->m_SfxChan);
    h.Frame();  // stage 4: the logo and its jingle, the first effect of the run
    EXPECT_EQ(1, app->m_JinglePlayed);
    EXPECT_EQ(1, app->m_SfxChan);
    h.FinishLoading();
    h.Frame(10);
    h.Resize(800, 600);
    h.host()->TakeOpened();
    h.Render();  // the render notices the new size
    EXPECT_EQ(1, app->m_Loading);
    EXPECT_EQ(800, app->m_DevW);
    EXPECT_EQ(24, h.FinishLoading());
    EXPECT_EQ(1, app->m_SfxChan) << "no jingle the second time";
    EXPECT_EQ(24u, h.host()->TakeOpened().size()) << "every stage's files once";
    h.Frame(30);
    EXPECT_TRUE(h.host()->TakeOpened().empty());
  });
}

TEST(Loader, MissingFilesLeaveEmptySlotsAndTheMenuStillRuns) {
  VG_IN_CHILD([] {
    Harness::Options options;
    options.removeData = {"menu-hd.png", "logo-hd.png", "common/icons-hd.png",
                          "fonts/quilbent-hd.png", "gfx-hd.png", "parts-hd.png"};
    options.width = 800;
    options.height = 600;
    Harness h(options);
    h.Start();
    EXPECT_EQ(24, h.FinishLoading());
    c_MyApp* app = h.app();
    EXPECT_EQ(nullptr, app->m_Images[99]);
    EXPECT_EQ(nullptr, app->m_Images[90]);
    EXPECT_NE(nullptr, app->m_Images[93]) << "files still there load";
    h.Frame(120);
    EXPECT_EQ(1, app->m_Screen);
  });
}

TEST(Loader, EffectsCycleThroughTwentyFourChannelsAdvancingFirst) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    std::vector<uint8_t> beep = device_env::PcmWav(1, 16, 8000, 800);
    std::ofstream(h.workDir() + "/beep.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(beep.data()), static_cast<std::streamsize>(beep.size()));
    gc_assign(app->m_Sounds[50], vg_audio_LoadSound("./beep.wav"));
    ASSERT_NE(nullptr, app->m_Sounds[50]);
    gxtkAudio* audio = vg_audio_device;
    app->m_SfxChan = 0;
    for (int k = 1; k <= 25; ++k) {
      for (int c = 0; c < 32; ++c) audio->StopChannel(c);
      app->p_PlaySFX(50, 1, 1, 0);
      EXPECT_EQ(k % 24, app->m_SfxChan) << "effect " << k;
      for (int c = 0; c < 32 && audio->Live(); ++c) {
        EXPECT_EQ(c == k % 24, audio->channels[c].state == 1) << "effect " << k << " channel " << c;
      }
    }
    for (auto from : {std::pair<int, int>{40, 17}, {-5, 0}}) {  // folded back, restarted
      app->m_SfxChan = from.first;
      app->p_PlaySFX(50, 1);
      EXPECT_EQ(from.second, app->m_SfxChan);
    }
    app->p_PlaySFX(60, 1);
    EXPECT_EQ(1, app->m_SfxChan) << "an empty slot still takes its turn";
  });
}

TEST(Loader, SoundSettingGatesEffectsAndTunes) {
  OnLoadedGame([](Harness&, c_MyApp* app) {
    const struct { int setting; bool effects, music; } cases[] = {
        {0, false, false}, {1, true, true}, {2, true, false}, {3, false, true}};
    for (const auto& c : cases) {
      app->m_Settings[5] = c.setting;
      app->m_SfxChan = 5;
      app->p_PlaySFX(1, 1, 1, 0);
      app->p_PlaySFX(1, 1);
      app->p_PlaySFXRaw(1, 1, 1, 0);  // for callers that tested the setting themselves
      EXPECT_EQ(c.effects ? 8 : 6, app->m_SfxChan) << "setting " << c.setting;
      app->m_MusicOn = 0;
      app->p_PlayTune("Brisklet", 0);
      EXPECT_EQ(c.music, app->m_MusicOn == 1) << "setting " << c.setting;
    }
    app->m_Settings[5] = 1;
    app->p_PlayTune("Brisklet", 0);
    app->m_Settings[5] = 2;
    app->p_PlayTune("Sollenmark", 0);
    EXPECT_EQ(0, app->m_MusicOn) << "a new tune stops the old one even when it may not play";
  });
}

TEST(Loader, StartGateTakesAClickInTheMiddleHalfOnly) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    app->m_Screen = 5;
    for (auto p : {std::pair<float, float>{100, 240}, {320, 100}, {500, 240}, {320, 380}, {320, 240}}) {
      h.MouseDown(p.first, p.second);
      h.Frame();
      h.MouseUp();
      h.Frame();
      EXPECT_EQ(p.second == 240 && p.first == 320 ? 1 : 5, app->m_Screen) << p.first << "," << p.second;
    }
    EXPECT_EQ(1, app->m_PointerMode);
    EXPECT_GT(app->m_Loading, 0);
  });
}

TEST(Loader, F11SwitchesToTheDesktopSizeAndBackWithoutAWindow) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    auto& requests = h.host()->windowRequests;
    h.Tap(vgtest::kKeyF11);
    ASSERT_EQ(1u, requests.size());
    EXPECT_TRUE(requests[0].fullscreen);
    EXPECT_GT(requests[0].width, 640);
    h.Render();
    EXPECT_EQ(requests[0].width, app->m_DevW);
    EXPECT_EQ(1, app->m_Loading) << "images reload for the new size";
    h.FinishLoading();
    h.Tap(vgtest::kKeyF11);
    ASSERT_EQ(2u, requests.size());
    EXPECT_FALSE(requests[1].fullscreen);
    EXPECT_EQ(std::vector<int>({640, 480, 0}), std::vector<int>({requests[1].width, requests[1].height, app->m_Fullscreen}));
  });
}

TEST(Loader, LoadGameSetsUpANewGameWithNothingLeftFromTheLast) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
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
