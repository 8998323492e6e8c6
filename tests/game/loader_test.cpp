// Resource loading: the loader's stages and the resolution rule, the logo jingle, the reload
// after a resize, missing files, the effect channel cycle and the sound setting's gate, and
// the set-up of a new game.
#include <gtest/gtest.h>

#include <algorithm>
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

// Whether every image among paths is of the set with the given suffix; the name pictures
// (output*.png) come in one size.
bool AllOfSet(const std::vector<std::string>& paths, const std::string& suffix) {
  for (const std::string& path : paths) {
    size_t dot = path.rfind(".png"), dash = path.rfind("-hd");
    if (dot == std::string::npos || path.find("/output") != std::string::npos) continue;
    if ((dash == std::string::npos ? std::string() : path.substr(dash, dot - dash)) != suffix) return false;
  }
  return true;
}

}  // namespace

TEST(Loader, ResolutionRuleChoosesTheImageSetAndEachOfTheStagesOpensItsFilesOnce) {
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
      std::string start;
      for (const std::string& path : h.host()->TakeOpened()) start += path + " ";
      for (std::string own : {"/common/ZOLTLogo", "/fonts/quilbent"})
        EXPECT_NE(start.find(own + c.suffix + ".png "), std::string::npos) << "the loading screen's own: " << start;
      std::vector<std::string> all;
      int stages = 0;
      for (; h.app()->m_Loading > 0 && stages < 30; ++stages) {
        h.Update();
        std::vector<std::string> opened = h.host()->TakeOpened();
        EXPECT_TRUE(!opened.empty() || h.app()->m_Loading == 0) << "stage " << stages + 1 << " opened nothing";
        all.insert(all.end(), opened.begin(), opened.end());
        h.Render();
      }
      EXPECT_EQ(24, stages);
      EXPECT_TRUE(AllOfSet(all, c.suffix)) << c.suffix;
      std::sort(all.begin(), all.end());
      EXPECT_TRUE(std::adjacent_find(all.begin(), all.end()) == all.end()) << "a file opened twice";
      EXPECT_EQ(32 * c.level, h.app()->m_ImageInfo[3 * 97]) << "frames at the loaded resolution";
      EXPECT_EQ(7, h.app()->m_ImageInfo[3 * 90]) << "fonts keep their design metrics";
    });
  }
}

TEST(Loader, JingleOnlyOnTheFirstPassAResizeReloadsOnceAndMissingFilesLeaveEmptySlots) {
  VG_IN_CHILD([] {
    Harness::Options options;  // the larger set, loaded after the resize, lacks some files
    options.removeData = {"menu-hd.png", "logo-hd.png", "common/icons-hd.png",
                          "fonts/quilbent-hd.png", "gfx-hd.png", "parts-hd.png"};
    Harness h(options);
    h.Start();
    c_MyApp* app = h.app();
    h.Frame(3);
    EXPECT_EQ(0, app->m_JinglePlayed + app->m_SfxChan);
    h.Frame();  // stage 4: the logo and its jingle, the first effect of the run
    EXPECT_TRUE(app->m_JinglePlayed == 1 && app->m_SfxChan == 1);
    h.FinishLoading();
    EXPECT_NE(nullptr, app->m_Images[99]);
    h.Frame(10);
    h.Resize(800, 600);
    h.host()->TakeOpened();
    h.Render();  // the render notices the new size
    EXPECT_TRUE(app->m_Loading == 1 && app->m_DevW == 800);
    EXPECT_EQ(24, h.FinishLoading());
    EXPECT_EQ(1, app->m_SfxChan) << "no jingle the second time";
    EXPECT_EQ(24u, h.host()->TakeOpened().size()) << "every stage's files once";
    EXPECT_TRUE(app->m_Images[99] == nullptr && app->m_Images[90] == nullptr) << "missing files leave empty slots";
    EXPECT_NE(nullptr, app->m_Images[93]) << "files still there load";
    h.Frame(120);
    EXPECT_TRUE(h.host()->TakeOpened().empty());
    EXPECT_EQ(1, app->m_Screen) << "the menu still runs";
  });
}

TEST(Loader, EffectsCycleThroughTwentyFourChannelsAdvancingFirstAndTheSoundSettingGatesThemAndTunes) {
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
