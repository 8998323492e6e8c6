// The title menu on the real game, one scenario per child process: scores filed into the
// tables, the score panel's line count, moving and activating items by keys and taps, the
// fire-key latch and the back key.
#include <cstdlib>
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
  });
}

TEST(Menu, PanelShowsAsManyScoreLinesAsFitTheScreen) {
  for (auto [height, lines] : {std::pair{480, 10}, {400, 7}, {200, 1}}) {
    VG_IN_CHILD([height = height, lines = lines] {
      Harness::Options o;
      o.height = height;
      Harness h(o);
      ToMenu(h);
      c_MyApp* app = h.app();
      for (int i = 0; i < 10; ++i) app->m_HighScores[i] = 20 - i;
      h.Frame();
      EXPECT_EQ(app->m_ScoreLines, lines) << height;
      std::string expected = lines == 1 ? "Highscore/" : "Top" + std::to_string(lines) + "/";
      for (int i = 0; i < lines; ++i) expected += std::to_string(20 - i) + "/";
      std::string top;
      for (const TextRun& run : Texts(app))
        if (run.r == 255 && run.g == 200 && run.b == 100) top += run.text + "/";
      EXPECT_EQ(top, expected) << AllText(app);
    });
  }
}

TEST(Menu, KeysMoveBetweenTheTwoItemsAndRightOnTheLastDoesNothing) {
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
  });
}

TEST(Menu, HeldFireStartsOneGameOnlyAlsoWhenTheGameEndsWithItHeld) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    h.Press(vgtest::kKeyEnter), h.Frame(2);
    EXPECT_EQ(app->m_Screen, 10);
    app->m_GameOver = 1;
    for (int i = 0; i < 200 && app->m_Screen != 1; ++i) h.Frame();
    ASSERT_EQ(app->m_Screen, 1);
    for (int i = 0; i < 60; ++i) {
      h.Frame();
      ASSERT_EQ(app->m_Screen, 1) << "update " << i;
    }
    h.Release(vgtest::kKeyEnter), h.Frame();
    TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_NE(app->m_Screen, 1) << "a fresh press starts again";
  });
}

TEST(Menu, TapSelectsAnItemAndASecondTapActivatesIt) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    float x = (640 - 140) / 2.0f + 88, y = 480 - 96;  // the options item, one step right
    h.MouseDown(x, y), h.Frame(5);
    EXPECT_TRUE(app->m_MenuItem == 2 && app->m_OptionsOpen == 0) << "the selecting press must not also activate";
    h.MouseUp(), h.Frame(60);
    h.MouseDown(x - 88, y), h.Frame();  // it has scrolled into the middle
    EXPECT_EQ(app->m_OptionsOpen, 1);
  });
}

TEST(Menu, BackKeyEndsTheProgram) {
  EXPECT_EQ(vgtest::RunInChild([] {
              Harness h;
              ToMenu(h);
              h.Tap(vgtest::kKeyEscape), h.Frame(5);
              std::_Exit(7);  // reached only when the back key did not end the program
            }),
            0);
}
