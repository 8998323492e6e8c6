// The title menu, the pause menu and the options box on the real game, one scenario per child
// process: scores filed into the tables, items moved and activated by keys and taps, the
// latches on a held back key, the fade that gates input and the rows.
#include <tuple>

#include "tests/game/menu_testing.h"

using namespace menutest;

TEST(Menu, ScoreEntersTheTopTenBelowEqualScoresAndAlwaysTheLastTen) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    app->m_TuneChoice = 1, SetTop(app, 1000, 100);
    for (int i = 0; i < 10; ++i) app->m_HighScores[10 + i] = i + 1;
    // Score, rank expected, then the first five entries of the top and last tables.
    struct Case { int score, rank; int top[5], last[5]; };
    const Case cases[] = {{100, -1, {1000, 900, 800, 700, 600}, {100, 1, 2, 3, 4}},  // ties the tenth
                          {5000, 0, {5000, 1000, 900, 800, 700}, {5000, 100, 1, 2, 3}},
                          {800, 4, {5000, 1000, 900, 800, 800}, {800, 5000, 100, 1, 2}}};
    for (const Case& c : cases) {
      app->m_Score = c.score, app->p_LoadMenu();
      EXPECT_EQ(app->m_NewRank, c.rank) << c.score;
      EXPECT_TRUE(std::equal(c.top, c.top + 5, &app->m_HighScores[0])) << c.score << ": top ten";
      EXPECT_TRUE(std::equal(c.last, c.last + 5, &app->m_HighScores[10])) << c.score << ": last ten";
    }
    EXPECT_EQ(app->m_HighScores[9], 300) << "the old tenth dropped out";
    // A mode without a table of its own files into the first one, not past the array's end.
    app->m_TuneChoice = 9, app->m_Score = 6000, app->p_LoadMenu();
    std::vector<std::string> f = Fields(Saved(h));
    EXPECT_TRUE(f.size() == 56 && f[35] == "6000" && f[36] == "6000") << "filed and saved at once: " << Saved(h);
    // The panels' numbers fill their field from the right; a wider one keeps its last digits.
    const struct { int value, width; const char *pad, *text; } numbers[] = {
        {42, 8, "0", "00000042"}, {123456789, 8, "0", "23456789"}, {7, 11, " ", "          7"},
        {-12, 4, "ab", "b-12"},   {12, 3, "", "12"},               {5, 0, "0", ""}};
    for (const auto& n : numbers)
      EXPECT_EQ(app->p_rstr(n.value, n.width, String(n.pad)), String(n.text)) << n.value;
  });
}

TEST(Menu, KeysAndTapsMoveBetweenItemsTheOptionsBoxWaitsForItsFadeAndBackForARelease) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    EXPECT_TRUE(app->m_MenuItem == 1 && AllText(app).find("Top10/") != std::string::npos);
    // Right, right again on the last item (nothing), then up; the options item hides the tables.
    for (auto [key, item, scroll] : {std::tuple{vgtest::kKeyRight, 2, -88.0f}, {vgtest::kKeyRight, 2, -88.0f},
                                     {vgtest::kKeyUp, 1, 0.0f}}) {
      TapAndSettle(h, key), h.Frame(60);
      EXPECT_TRUE(app->m_MenuItem == item && app->m_ScrollTarget == scroll && app->m_OptionsOpen == 0) << item;
      EXPECT_EQ(AllText(app).find("Top10/") != std::string::npos, item == 1);
    }
    float x = (640 - 140) / 2.0f + 88, y = 480 - 96;  // the options item, one step right
    h.MouseDown(x, y), h.Frame(5);
    EXPECT_TRUE(app->m_MenuItem == 2 && app->m_OptionsOpen == 0) << "the selecting press must not also activate";
    h.MouseUp(), h.Frame(60);
    h.MouseDown(x - 88, y), h.Frame(), h.MouseUp();  // it has scrolled into the middle
    ASSERT_EQ(app->m_OptionsOpen, 1);
    while (app->m_OptionsFade < 30) {
      TapAndSettle(h, vgtest::kKeyDown);
      ASSERT_EQ(app->m_OptionsCursor, 0) << "fade " << app->m_OptionsFade;
    }
    for (int i = 0; i < 6; ++i) TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_TRUE(app->m_OptionsRows == 4 && app->m_OptionsCursor == 4 && app->m_MenuItem == 2)
        << "stopped on the last row; the menu underneath saw none of it";
    app->m_Settings[kSoundMode] = kSoundEffects, TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_TRUE(app->m_OptionsOpen == 0 && app->m_CreditsOpen == 1);
    EXPECT_EQ(Fields(Saved(h))[kSoundMode], "2") << "leaving through the credits row saves too";

    // Back closes the boxes, and only once everything is released.
    h.Frame(60);
    app->m_BadgesOpen = 1;
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen + app->m_BadgesOpen);
    app->m_CreditsOpen = 1;
    h.Frame(5);
    EXPECT_EQ(1, app->m_CreditsOpen) << "back still held";
    h.Release(vgtest::kKeyEscape), h.Frame();
    h.MouseDown(100, 60), h.Frame();  // clear of every menu item
    app->m_BackLatch = app->m_CreditsOpen = 1;
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(1, app->m_CreditsOpen) << "a held pointer holds back the key too";
    h.Release(vgtest::kKeyEscape), h.MouseUp(), h.Frame();
    EXPECT_EQ(0, app->m_KeyLatch + app->m_BackLatch);
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen);
  });
}

TEST(Pause, HeldBackResumesOnceAndTheOptionsOpenedThereHaveNoCreditsRow) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyEnter);  // play
    h.Frame(5);
    TapAndSettle(h, vgtest::kKeyEscape);
    h.Frame(20);
    ASSERT_TRUE(app->m_Screen == kScreenGame && app->m_Paused == 1);
    h.Press(vgtest::kKeyEscape), h.Frame(60);
    EXPECT_TRUE(app->m_Paused == 0 && app->m_PauseSlide < -32) << "resumed once, panel gone";
    h.Release(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(app->m_Paused, 0);
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(app->m_Paused, 1);
    h.Release(vgtest::kKeyEscape), h.Frame(20);
    app->m_OptionsCursor = 4;  // left on the credits row by a visit from the title menu
    TapAndSettle(h, vgtest::kKeyRight), TapAndSettle(h, vgtest::kKeyEnter), h.Frame(31);
    EXPECT_TRUE(app->m_OptionsRows == 3 && !Shows(app, "Credits")) << AllText(app);
    EXPECT_EQ(app->m_OptionsCursor, 3) << "the cursor stays on the rows drawn";
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 3);
    TapAndSettle(h, vgtest::kKeyEscape);
    EXPECT_TRUE(app->m_OptionsOpen == 0 && app->m_Paused == 1);
  });
}
