// Tests of the pause menu and the options box (game/pause.cpp): resuming, quitting into the
// score tables, the options rows and their latches, driven by keys on the real game in child
// processes through the headless harness.
#include <gtest/gtest.h>

#include <string>

#include "game/myapp.h"
#include "tests/game/menu_testing.h"
#include "tests/support/harness.h"

using menutest::InChild;
using menutest::TapAndSettle;
using vgtest::Harness;

namespace {

void ToMenu(Harness& h) {
  h.Start();
  h.FinishLoading();
  h.Frame(40);
  ASSERT_EQ(h.app()->m_Screen, 1);
}

// A game running with the pause panel fully down.
void ToPause(Harness& h) {
  ToMenu(h);
  TapAndSettle(h, vgtest::kKeyEnter);
  h.Frame(5);
  ASSERT_EQ(h.app()->m_Screen, 10);
  TapAndSettle(h, vgtest::kKeyEscape);
  h.Frame(20);
  ASSERT_EQ(h.app()->m_Paused, 1);
  ASSERT_EQ(h.app()->m_PauseChoice, 0);
}

// The options box opened from the title menu and fully faded in.
void ToOptions(Harness& h) {
  ToMenu(h);
  TapAndSettle(h, vgtest::kKeyDown);
  TapAndSettle(h, vgtest::kKeyEnter);
  ASSERT_EQ(h.app()->m_OptionsOpen, 1);
  h.Frame(31);
  ASSERT_EQ(h.app()->m_OptionsFade, 30);
}

bool Shows(c_MyApp* app, const std::string& text) {
  return menutest::AllText(app).find("/" + menutest::NoSpaces(text) + "/") != std::string::npos ||
         menutest::AllText(app).rfind(menutest::NoSpaces(text) + "/", 0) == 0;
}

}  // namespace

TEST(Pause, HeldBackResumesOnceAndPausesAgainOnlyAfterRelease) {
  InChild([] {
    Harness h;
    ToPause(h);
    c_MyApp* app = h.app();
    EXPECT_GE(app->m_PauseSlide, 240);
    h.Press(vgtest::kKeyEscape);
    h.Frame();
    EXPECT_EQ(app->m_PauseStage, -1);
    for (int i = 0; i < 60; ++i) h.Frame();
    EXPECT_EQ(app->m_Paused, 0);
    EXPECT_LT(app->m_PauseSlide, -32);
    h.Release(vgtest::kKeyEscape);
    h.Frame();
    EXPECT_EQ(app->m_Paused, 0);
    h.Press(vgtest::kKeyEscape);
    h.Frame();
    EXPECT_EQ(app->m_Paused, 1);
    EXPECT_EQ(app->m_PauseStage, 1);
  });
}

TEST(Pause, QuitEndsTheGameAndFilesItsScore) {
  InChild([] {
    Harness h;
    ToPause(h);
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyLeft);
    app->m_Score = 4321;
    TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_EQ(app->m_Paused, 0);
    EXPECT_GE(app->m_GameOver, 1);
    EXPECT_EQ(app->m_PauseSlide, -64);
    for (int i = 0; i < 200 && app->m_Screen != 1; ++i) h.Frame();
    ASSERT_EQ(app->m_Screen, 1);
    EXPECT_EQ(app->m_HighScores[0], 4321);
    EXPECT_EQ(app->m_HighScores[10], 4321);
    std::string saved = menutest::ReadFile(h.workDir() + "/.tarvikstate");
    EXPECT_TRUE(menutest::IsValidRecord(saved)) << saved;
    EXPECT_EQ(menutest::Fields(saved)[35], "4321");
  });
}

TEST(Options, InputWaitsUntilTheBoxHasFadedIn) {
  InChild([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyDown);
    h.Press(vgtest::kKeyEnter);
    h.Frame();
    h.Release(vgtest::kKeyEnter);
    ASSERT_EQ(app->m_OptionsOpen, 1);
    while (app->m_OptionsFade < 30) {
      h.Press(vgtest::kKeyDown);
      h.Update();
      h.Release(vgtest::kKeyDown);
      h.Update();
      ASSERT_EQ(app->m_OptionsCursor, 0) << "fade " << app->m_OptionsFade;
    }
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 1);
    // The menu underneath saw none of it.
    EXPECT_EQ(app->m_MenuItem, 2);
    EXPECT_EQ(app->m_Screen, 1);
  });
}

TEST(Options, SoundRowCyclesFourModesAndStopsTheTuneInSilentOnes) {
  InChild([] {
    Harness h;
    ToOptions(h);
    c_MyApp* app = h.app();
    ASSERT_EQ(vg_Vantorell_HasMusicStream, 1);
    TapAndSettle(h, vgtest::kKeyDown);
    ASSERT_EQ(app->m_OptionsCursor, 1);
    EXPECT_TRUE(Shows(app, "Sound : SFX + Music")) << menutest::AllText(app);
    struct Step {
      int mode, musicOn;
      const char* text;
    };
    for (Step s : {Step{2, 0, "Sound : SFX"}, Step{3, 1, "Sound : Music"}, Step{0, 0, "Sound : Off"},
                   Step{1, 1, "Sound : SFX + Music"}}) {
      SCOPED_TRACE(s.text);
      app->m_MusicOn = 1;
      TapAndSettle(h, vgtest::kKeyEnter);
      EXPECT_EQ(app->m_Settings[5], s.mode);
      EXPECT_EQ(app->m_MusicOn, s.musicOn);
      EXPECT_TRUE(Shows(app, s.text)) << menutest::AllText(app);
      EXPECT_EQ(app->m_OptionsOpen, 1);
    }
    // Closing through the back row saves the setting.
    app->m_Settings[5] = 3;
    TapAndSettle(h, vgtest::kKeyUp);
    EXPECT_EQ(app->m_OptionsCursor, 0);
    TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_EQ(app->m_OptionsOpen, 0);
    std::vector<std::string> f =
        menutest::Fields(menutest::ReadFile(h.workDir() + "/.tarvikstate"));
    ASSERT_EQ(f.size(), 56u);
    EXPECT_EQ(f[5], "3");
  });
}

TEST(Options, WithoutMusicTheSoundRowSwitchesOnAndOff) {
  InChild([] {
    Harness h;
    ToMenu(h);
    vg_Vantorell_HasMusic = 0;
    vg_Vantorell_HasMusicStream = 0;
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyDown);
    TapAndSettle(h, vgtest::kKeyEnter);
    h.Frame(31);
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_TRUE(Shows(app, "Sound : On")) << menutest::AllText(app);
    TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_EQ(app->m_Settings[5], 0);
    EXPECT_TRUE(Shows(app, "Sound : Off"));
    TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_EQ(app->m_Settings[5], 1);
    EXPECT_TRUE(Shows(app, "Sound : On"));
    // A mode from the four-mode table is out of range here and reads as off.
    app->m_Settings[5] = 3;
    h.Frame();
    EXPECT_EQ(app->m_Settings[5], 0);
  });
}

TEST(Options, CreditsRowOnlyFromTheTitleMenu) {
  InChild([] {
    Harness h;
    ToOptions(h);
    c_MyApp* app = h.app();
    EXPECT_EQ(app->m_OptionsRows, 4);
    EXPECT_TRUE(Shows(app, "Credits"));
    for (int i = 0; i < 6; ++i) TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 4);
    TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_EQ(app->m_OptionsOpen, 0);
    EXPECT_EQ(app->m_CreditsOpen, 1);
  });
  InChild([] {
    Harness h;
    ToPause(h);
    c_MyApp* app = h.app();
    app->m_OptionsCursor = 4;  // left on the credits row by an earlier visit from the menu
    TapAndSettle(h, vgtest::kKeyRight);
    TapAndSettle(h, vgtest::kKeyEnter);
    ASSERT_EQ(app->m_OptionsOpen, 1);
    h.Frame(31);
    EXPECT_EQ(app->m_OptionsRows, 3);
    EXPECT_FALSE(Shows(app, "Credits"));
    EXPECT_EQ(app->m_OptionsCursor, 3);
    for (int i = 0; i < 4; ++i) TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 3);
    EXPECT_TRUE(Shows(app, "Fullscreen"));
    // Back out: the pause menu is still there and resumes.
    TapAndSettle(h, vgtest::kKeyEscape);
    EXPECT_EQ(app->m_OptionsOpen, 0);
    EXPECT_EQ(app->m_Paused, 1);
  });
}
