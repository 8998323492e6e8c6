// The pause menu and the options box on the real game, driven by keys, one scenario per child
// process: resuming, the fade that gates input, the sound row's modes, the rows while paused.
// Quitting through the pause menu is played by the end-to-end test.
#include "tests/game/menu_testing.h"

using namespace menutest;

namespace {
// The options box opened from the title menu and fully faded in.
void ToOptions(Harness& h, bool music = true) {
  ToMenu(h);
  if (!music) vg_Vantorell_HasMusic = vg_Vantorell_HasMusicStream = 0;
  TapAndSettle(h, vgtest::kKeyDown), TapAndSettle(h, vgtest::kKeyEnter), h.Frame(31);
  ASSERT_EQ(h.app()->m_OptionsOpen, 1);
}
}  // namespace

TEST(Pause, HeldBackResumesOnceAndPausesAgainOnlyAfterARelease) {
  VG_IN_CHILD([] {
    Harness h;
    ToPause(h);
    c_MyApp* app = h.app();
    h.Press(vgtest::kKeyEscape), h.Frame(60);
    EXPECT_TRUE(app->m_Paused == 0 && app->m_PauseSlide < -32) << "resumed once, panel gone";
    h.Release(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(app->m_Paused, 0);
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(app->m_Paused, 1);
  });
}

TEST(Options, InputWaitsUntilTheBoxHasFadedIn) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyDown), TapAndSettle(h, vgtest::kKeyEnter);
    ASSERT_EQ(app->m_OptionsOpen, 1);
    while (app->m_OptionsFade < 30) {
      TapAndSettle(h, vgtest::kKeyDown);
      ASSERT_EQ(app->m_OptionsCursor, 0) << "fade " << app->m_OptionsFade;
    }
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_TRUE(app->m_OptionsCursor == 1 && app->m_MenuItem == 2) << "the menu underneath saw none of it";
  });
}

TEST(Options, SoundRowCyclesFourModesStopsTheTuneInSilentOnesAndSavesOnClose) {
  VG_IN_CHILD([] {
    Harness h;
    ToOptions(h);
    c_MyApp* app = h.app();
    ASSERT_EQ(vg_Vantorell_HasMusicStream, 1);
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_TRUE(Shows(app, "Sound : SFX + Music")) << AllText(app);
    struct Step { int mode, musicOn; const char* text; };
    for (Step s : {Step{2, 0, "Sound : SFX"}, Step{3, 1, "Sound : Music"}, Step{0, 0, "Sound : Off"},
                   Step{1, 1, "Sound : SFX + Music"}}) {
      app->m_MusicOn = 1, TapAndSettle(h, vgtest::kKeyEnter);
      EXPECT_TRUE(app->m_Settings[5] == s.mode && app->m_MusicOn == s.musicOn) << s.text;
      EXPECT_TRUE(Shows(app, s.text)) << AllText(app);
    }
    app->m_Settings[5] = 3;
    TapAndSettle(h, vgtest::kKeyUp), TapAndSettle(h, vgtest::kKeyEnter);  // the back row
    EXPECT_TRUE(app->m_OptionsOpen == 0 && Fields(Saved(h))[5] == "3") << "closing saves";
  });
}

TEST(Options, WithoutMusicTheSoundRowSwitchesOnAndOff) {
  VG_IN_CHILD([] {
    Harness h;
    ToOptions(h, false);
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_TRUE(Shows(app, "Sound : On")) << AllText(app);
    for (int mode : {0, 1}) {
      TapAndSettle(h, vgtest::kKeyEnter);
      EXPECT_EQ(app->m_Settings[5], mode);
      EXPECT_TRUE(Shows(app, mode ? "Sound : On" : "Sound : Off")) << AllText(app);
    }
    app->m_Settings[5] = 3;  // valid only with music: reads as off here
    h.Frame();
    EXPECT_EQ(app->m_Settings[5], 0);
  });
}

TEST(Options, CreditsRowOnlyFromTheTitleMenu) {
  VG_IN_CHILD([] {
    Harness h;
    ToOptions(h);
    c_MyApp* app = h.app();
    EXPECT_EQ(app->m_OptionsRows, 4);
    for (int i = 0; i < 6; ++i) TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 4);
    app->m_Settings[5] = 2, TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_TRUE(app->m_OptionsOpen == 0 && app->m_CreditsOpen == 1);
    EXPECT_EQ(Fields(Saved(h))[5], "2") << "leaving through the credits row saves too";
  });
  VG_IN_CHILD([] {
    Harness h;
    ToPause(h);
    c_MyApp* app = h.app();
    app->m_OptionsCursor = 4;  // left on the credits row by a visit from the title menu
    TapAndSettle(h, vgtest::kKeyRight), TapAndSettle(h, vgtest::kKeyEnter), h.Frame(31);
    EXPECT_EQ(app->m_OptionsRows, 3);
    EXPECT_FALSE(Shows(app, "Credits")) << AllText(app);
    EXPECT_EQ(app->m_OptionsCursor, 3) << "the cursor stays on the rows drawn";
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 3);
    TapAndSettle(h, vgtest::kKeyEscape);
    EXPECT_TRUE(app->m_OptionsOpen == 0 && app->m_Paused == 1);
  });
}
