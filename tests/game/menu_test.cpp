// Tests of the title menu (game/menu.cpp): score entry into the tables, the score panel's
// line count, the carousel's moves by keys and taps, the fire-key latch and the back key,
// each on the real game in a child process through the headless harness.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/myapp.h"
#include "tests/game/menu_testing.h"
#include "tests/support/harness.h"

using menutest::InChild;
using menutest::TapAndSettle;
using vgtest::Harness;

namespace {

// The game started and its menu fully slid in.
void ToMenu(Harness& h) {
  h.Start();
  h.FinishLoading();
  h.Frame(40);
  ASSERT_EQ(h.app()->m_Screen, 1);
  ASSERT_EQ(h.app()->m_MenuSlide, 0);
}

void SetTop(c_MyApp* app, int first, int step) {
  for (int i = 0; i < 10; ++i) app->m_HighScores[i] = first - step * i;
}

}  // namespace

TEST(Menu, ScoreEntersTablesBelowEqualScores) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    app->m_TuneChoice = 1;
    SetTop(app, 1000, 100);  // 1000 .. 100
    for (int i = 0; i < 10; ++i) app->m_HighScores[10 + i] = i + 1;

    // Equal to the tenth best: stays out of the top ten, enters the last ten.
    app->m_Score = 100;
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, -1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(app->m_HighScores[i], 1000 - 100 * i);
    EXPECT_EQ(app->m_HighScores[10], 100);
    for (int i = 1; i < 10; ++i) EXPECT_EQ(app->m_HighScores[10 + i], i) << "last " << i;

    // A new best moves everything down and drops the tenth.
    app->m_Score = 5000;
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, 0);
    EXPECT_EQ(app->m_HighScores[0], 5000);
    for (int i = 1; i < 10; ++i) EXPECT_EQ(app->m_HighScores[i], 1100 - 100 * i);
    EXPECT_EQ(app->m_HighScores[10], 5000);
    EXPECT_EQ(app->m_HighScores[11], 100);

    // A tie goes under the older score.
    app->m_Score = 800;
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, 4);
    EXPECT_EQ(app->m_HighScores[3], 800);
    EXPECT_EQ(app->m_HighScores[4], 800);
    EXPECT_EQ(app->m_HighScores[5], 700);

    // A mode without a table of its own files into the first one rather than past the end.
    app->m_TuneChoice = 9;
    app->m_Score = 6000;
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, 0);
    EXPECT_EQ(app->m_HighScores[0], 6000);
    EXPECT_EQ(app->m_HighScores[10], 6000);

    // Every entry is saved at once.
    std::vector<std::string> f = menutest::Fields(menutest::ReadFile(h.workDir() + "/.tarvikstate"));
    ASSERT_EQ(f.size(), 56u);
    EXPECT_EQ(f[35], "6000");
    EXPECT_EQ(f[36], "6000");
  });
}

TEST(Menu, PanelShowsAsManyScoreLinesAsFitTheScreen) {
  struct Size {
    int height, lines;
  };
  for (Size s : {Size{480, 10}, Size{400, 7}, Size{200, 1}}) {
    SCOPED_TRACE(s.height);
    InChild([s] {
      Harness::Options o;
      o.height = s.height;
      Harness h(o);
      ToMenu(h);
      c_MyApp* app = h.app();
      ASSERT_EQ(vg_Vantorell_jscrh, static_cast<float>(s.height));
      for (int i = 0; i < 10; ++i) app->m_HighScores[i] = 20 - i;
      h.Frame();
      EXPECT_EQ(app->m_ScoreLines, s.lines);
      std::string expected = s.lines == 1 ? "Highscore/" : "Top" + std::to_string(s.lines) + "/";
      for (int i = 0; i < s.lines; ++i) expected += std::to_string(20 - i) + "/";
      std::string top;
      for (const menutest::TextRun& run : menutest::Texts(app)) {
        if (run.r == 255 && run.g == 200 && run.b == 100) top += run.text + "/";
      }
      EXPECT_EQ(top, expected) << menutest::AllText(app);
    });
  }
}

TEST(Menu, KeysMoveBetweenTheTwoItemsOnly) {
  InChild([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    EXPECT_EQ(app->m_MenuItem, 1);
    EXPECT_EQ(app->m_TuneChoice, 1);

    TapAndSettle(h, vgtest::kKeyRight);
    EXPECT_EQ(app->m_MenuItem, 2);
    EXPECT_EQ(app->m_ScrollTarget, -88.0f);
    h.Frame(60);
    EXPECT_EQ(app->m_MenuItem, 2);

    // Right on the last item does nothing.
    float scroll = app->m_ScrollTarget;
    TapAndSettle(h, vgtest::kKeyRight);
    h.Frame(10);
    EXPECT_EQ(app->m_MenuItem, 2);
    EXPECT_EQ(app->m_ScrollTarget, scroll);
    EXPECT_EQ(app->m_OptionsOpen, 0);

    TapAndSettle(h, vgtest::kKeyUp);
    EXPECT_EQ(app->m_MenuItem, 1);
    EXPECT_EQ(app->m_ScrollTarget, 0.0f);

    // The selected play item shows the tables; the options item hides them.
    h.Frame(30);
    EXPECT_NE(menutest::AllText(app).find("Top10/"), std::string::npos);
    TapAndSettle(h, vgtest::kKeyDown);
    h.Frame(30);
    EXPECT_EQ(menutest::AllText(app).find("Top10/"), std::string::npos);
  });
}

TEST(Menu, HeldFireStartsOneGameOnly) {
  InChild([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    h.Press(vgtest::kKeyEnter);
    h.Frame();
    EXPECT_EQ(app->m_Screen, 11);
    h.Frame();
    EXPECT_EQ(app->m_Screen, 10);

    // The game ends while fire is still held: back on the menu nothing restarts.
    app->m_GameOver = 1;
    for (int i = 0; i < 200 && app->m_Screen != 1; ++i) h.Frame();
    ASSERT_EQ(app->m_Screen, 1);
    for (int i = 0; i < 60; ++i) {
      h.Frame();
      ASSERT_EQ(app->m_Screen, 1) << "update " << i;
    }
    h.Release(vgtest::kKeyEnter);
    h.Frame();
    h.Press(vgtest::kKeyEnter);
    h.Frame();
    EXPECT_EQ(app->m_Screen, 11);
  });
}

TEST(Menu, TapSelectsAnItemAndASecondTapActivatesIt) {
  InChild([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    // The options item sits one step right of the middle of the free area.
    float x = (640 - 140) / 2.0f + 88, y = 480 - 96;
    h.MouseDown(x, y);
    h.Frame(5);
    EXPECT_EQ(app->m_MenuItem, 2);
    EXPECT_EQ(app->m_OptionsOpen, 0) << "the selecting press must not also activate";
    h.MouseUp();
    h.Frame(60);
    EXPECT_EQ(app->m_MenuItem, 2);

    h.MouseDown(x - 88, y);
    h.Frame();
    EXPECT_EQ(app->m_OptionsOpen, 1);
    EXPECT_EQ(app->m_OptionsCursor, 0);
    h.MouseUp();
    h.Frame();
  });
}

TEST(Menu, BackKeyEndsTheProgram) {
  int status = vgtest::RunInChild([] {
    Harness h;
    ToMenu(h);
    h.Tap(vgtest::kKeyEscape);
    h.Frame(5);
    std::_Exit(7);  // only reached when the back key did not end the program
  });
  EXPECT_EQ(status, 0);
}
