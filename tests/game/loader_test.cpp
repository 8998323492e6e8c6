// Resource loading: the loader's stages and the resolution rule, the logo jingle, the reload
// after a resize that changes the image set (and none after one that keeps it), missing files,
// and the sound setting's gate on effects and tunes.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "framework/app.h"
#include "framework/audio.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;

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
      Harness h({c.w, c.h, {}});
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
      EXPECT_EQ(32 * c.level, h.app()->m_ImageInfo[3 * kImgIcons]) << "frames at the loaded resolution";
      EXPECT_EQ(7, h.app()->m_ImageInfo[3 * kImgFont]) << "fonts keep their design metrics";
    });
  }
}

TEST(Loader, AResizeReloadsOnceWithoutTheJingleMissingFilesLeaveEmptySlotsAndSoundSettingsGate) {
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
    h.Frame(10);
    h.Resize(800, 600);
    h.host()->TakeOpened();
    h.Render();  // the render notices the new size
    EXPECT_TRUE(app->m_Loading == 1 && app->m_DevW == 800);
    EXPECT_EQ(24, h.FinishLoading());
    EXPECT_EQ(1, app->m_SfxChan) << "no jingle the second time";
    EXPECT_EQ(24u, h.host()->TakeOpened().size()) << "every stage's files once";
    EXPECT_TRUE(app->m_Images[kImgMenu] == nullptr && app->m_Images[kImgFont] == nullptr) << "missing files leave empty slots";
    EXPECT_NE(nullptr, app->m_Images[kImgStudioMark]) << "files still there load";
    h.Frame(120);
    EXPECT_TRUE(h.host()->TakeOpened().empty());
    EXPECT_EQ(kScreenMenu, app->m_Screen) << "the menu still runs";
    // A size that keeps the image set (a phone turned, its address bar hidden) reloads nothing.
    for (auto [w, hh] : {std::pair{600, 800}, std::pair{1230, 700}}) {
      h.Resize(w, hh);
      h.Frame(2);
      EXPECT_TRUE(app->m_Loading == 0 && app->m_DevW == w && h.host()->TakeOpened().empty()) << w << " x " << hh;
    }

    // The sound setting gates effects and tunes.
    const struct { int setting; bool effects, music; } cases[] = {
        {kSoundOff, false, false}, {kSoundAll, true, true}, {kSoundEffects, true, false}, {kSoundMusic, false, true}};
    for (const auto& c : cases) {
      app->m_Settings[kSoundMode] = c.setting;
      app->m_SfxChan = 5;
      app->p_PlaySFX(kSfxShot, 1, 1, 0);
      app->p_PlaySFX(kSfxShot, 1);
      app->p_PlaySFXRaw(kSfxShot, 1, 1, 0);  // for callers that tested the setting themselves
      EXPECT_EQ(c.effects ? 8 : 6, app->m_SfxChan) << "setting " << c.setting;
      app->m_MusicOn = 0;
      app->p_PlayTune("Brisklet", 0);
      EXPECT_EQ(c.music, app->m_MusicOn == 1) << "setting " << c.setting;
    }
    app->m_Settings[kSoundMode] = kSoundAll;
    app->p_PlayTune("Brisklet", 0);
    app->m_Settings[kSoundMode] = kSoundEffects;
    app->p_PlayTune("Sollenmark", 0);
    EXPECT_EQ(0, app->m_MusicOn) << "a new tune stops the old one even when it may not play";
  });
}

TEST(Render, WhereTheWindowKeepsItsPictureAStillScreenIsDrawnOnceASecondAndAChangeAtOnce) {
  vgtest::OnLoadedGame([](vgtest::Harness& h, c_MyApp* app) {
    auto draws = [&h] {
      h.gl().Clear(), h.Render();
      return h.gl().DrawCalls() + h.gl().Count("Clear") + h.gl().Count("BlitFramebuffer");
    };
    h.Frame(40);
    ASSERT_EQ(app->m_Screen, kScreenMenu);
    for (int i = 0; i < 3; ++i) EXPECT_GT(draws(), 0) << "a desktop window draws every render";
    glfw2_testing::SetHeadlessKeepsLastPicture(true);
    int drawn = 0;
    for (int i = 0; i < 120; ++i) drawn += draws() > 0;
    EXPECT_EQ(drawn, 2) << "the still title menu drawn once in 60 renders";
    app->p_Rect(0, 0, 1, 1);
    EXPECT_GT(draws(), 0) << "a changed list is drawn at once";
    EXPECT_GT((app->m_ClsR += 1, draws()), 0) << "and so is a new background";
  });
}
