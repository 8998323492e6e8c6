// Tests of the result screens (game/results.cpp): the rank ordinal and the "New Highscore"
// line, the game-over bars and timer, badge pop-up timing, and the credits box's line fading
// and wrapping, on the real game in child processes through the headless harness.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/myapp.h"
#include "tests/game/menu_testing.h"
#include "tests/support/harness.h"

using menutest::InChild;
using vgtest::Harness;

namespace {

void SetTop(c_MyApp* app, int first, int step) {
  for (int i = 0; i < 10; ++i) app->m_HighScores[i] = first - step * i;
}

// One game-over picture on the title menu with the given timer.
void DrawGameOver(c_MyApp* app, int timer) {
  app->m_Screen = 1;
  app->m_GameOverTimer = timer;
  app->p_CLS2D(0, 0, 80, 1);
  app->p_GameOver();
}

}  // namespace

TEST(Results, RankCountsTiesAsReachedWhileTheTableKeepsThemBelow) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    app->m_TuneChoice = 1;
    const char* const names[10] = {"1st!", "2nd", "3rd", "4th", "5th",
                                   "6th",  "7th", "8th", "9th", "10th"};
    for (int k = 0; k < 10; ++k) {
      SetTop(app, 1000, 100);
      app->m_Score = 1000 - 100 * k;  // equal to entry k
      EXPECT_EQ(std::string(app->p_MyNth().ToUtf8()), names[k]);
      EXPECT_EQ(app->m_i, k + 1);
    }
    app->m_Score = 99;
    EXPECT_EQ(app->p_MyNth().ToUtf8(), "");
    EXPECT_EQ(app->m_i, 0);

    // Equal to the third best: "3rd", though the table puts it fourth.
    SetTop(app, 900, 100);
    app->m_Score = 700;
    EXPECT_EQ(app->p_MyNth().ToUtf8(), "3rd");
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, 3);
    EXPECT_EQ(app->p_MyNth().ToUtf8(), "3rd");

    // The game-over picture names the rank, and only for a ranked score.
    DrawGameOver(app, 60);
    EXPECT_NE(menutest::AllText(app).find("NewHighscore/3rd/"), std::string::npos);
    EXPECT_EQ(menutest::Rects(app, 0, 125, 255).size(), 1u);
    app->m_Score = 50;
    DrawGameOver(app, 60);
    std::string text = menutest::AllText(app);
    EXPECT_NE(text.find("GAME/"), std::string::npos) << text;
    EXPECT_EQ(text.find("NewHighscore"), std::string::npos) << text;
    EXPECT_TRUE(menutest::Rects(app, 0, 125, 255).empty());
  });
}

TEST(Results, GameOverBarsReachFullLengthAtTimerEighteen) {
  InChild([] {
    Harness h;
    h.Start();
    h.Frame();
    c_MyApp* app = h.app();
    ASSERT_EQ(vg_Vantorell_jscrh, 480.0f);
    struct Step {
      int timer;
      float half, dim;
    };
    for (Step s : {Step{1, 12, 1 / 40.0f}, Step{17, 204, 17 / 40.0f}, Step{18, 216, 18 / 40.0f},
                   Step{40, 216, 0.7f}, Step{75, 216, 0.7f}}) {
      SCOPED_TRACE(s.timer);
      DrawGameOver(app, s.timer);
      auto yellow = menutest::Rects(app, 255, 255, 0);
      auto orange = menutest::Rects(app, 255, 128, 0);
      auto black = menutest::Rects(app, 0, 0, 0);
      ASSERT_EQ(yellow.size(), 1u);
      ASSERT_EQ(orange.size(), 1u);
      ASSERT_EQ(black.size(), 1u);
      EXPECT_EQ(yellow[0].w, 2 * s.half);
      EXPECT_EQ(orange[0].w, 2 * s.half + 1);
      EXPECT_EQ(orange[0].x, 640 - 2 * s.half);
      EXPECT_NEAR(black[0].alpha, s.dim, 1e-6);
    }
    DrawGameOver(app, 0);
    EXPECT_TRUE(menutest::Rects(app, 255, 255, 0).empty());
  });
}

TEST(Results, BadgePopupSlidesInStaysAndLeaves) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    EXPECT_EQ(app->p_BadgeName(0).ToUtf8(), "Test Badge");
    EXPECT_EQ(app->p_BadgeDetail(0).ToUtf8(), "This is a Test Badge which has no purpose.");
    EXPECT_EQ(app->p_BadgeName(1).ToUtf8(), "");
    EXPECT_EQ(app->p_BadgeDetail(-5).ToUtf8(), "");

    app->m_BadgePopupId[2] = 0;
    app->m_BadgePopupTimer[2] = 1;
    float y = 480 - 34 * 3;
    for (int age = 2; age <= 242; ++age) {
      app->p_CLS2D(0, 0, 80, 1);
      app->p_ShowBadges();
      auto box = menutest::Rects(app, 0, 0, 80);
      if (age > 241) {
        EXPECT_TRUE(box.empty()) << age;
        continue;
      }
      ASSERT_EQ(box.size(), 1u) << age;
      EXPECT_EQ(box[0].y, y);
      if (age >= 10 && age <= 230) {
        EXPECT_EQ(box[0].x, 0) << age;
      }
      if (age < 10) {
        EXPECT_EQ(box[0].x, age * 16 - 160) << age;
      }
      if (age > 230) {
        EXPECT_EQ(box[0].x, (240 - age) * 16 - 160) << age;
      }
      if (age >= 240) {
        EXPECT_LE(box[0].x + 160, 0) << "off screen at " << age;
      }
    }
    EXPECT_EQ(app->m_BadgePopupTimer[2], 0);
  });
}

TEST(Results, CreditLinesFadeWithDistanceFromTheMiddle) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    const int lines = vg_Vantorell_CreditText.Length();
    ASSERT_EQ(lines, 49);
    auto lineText = [&](int i) {
      return menutest::NoSpaces(vg_Vantorell_CreditText[i].ToUtf8());
    };
    // Pick a start whose middle line and the line three below are distinct and drawn.
    int first = -1;
    for (int f = 0; f < lines - 1 && first < 0; ++f) {
      std::string a = lineText(f), b = lineText((f + 3) % 48);
      if (!a.empty() && !b.empty() && a != b) first = f;
    }
    ASSERT_GE(first, 0);
    app->m_CreditsOpen = 1;
    app->m_CreditsFade = 30;
    app->m_CreditFirst = first;
    app->m_CreditScroll = -7.7f;  // -8 once this update's drift is applied
    app->p_CLS2D(0, 0, 80, 1);
    app->p_CreditBox();
    EXPECT_NEAR(app->m_CreditScroll, -8.0f, 1e-4);
    float middle = -1, far = -1;
    for (const menutest::TextRun& run : menutest::Texts(app)) {
      if (run.text == lineText(first)) middle = run.alpha;       // 8 px off: fully shown
      if (run.text == lineText((first + 3) % 48)) far = run.alpha;  // 40 px off
    }
    EXPECT_NEAR(middle, 1.0f, 1e-4);
    EXPECT_NEAR(far, 0.3f, 1e-4);
  });
}

TEST(Results, CreditLinesWrapAroundAndNeverShowTheLast) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    app->m_CreditsOpen = 1;
    app->m_CreditsFade = 30;
    std::string shown;
    for (int step = 0; step < 48 * 60; ++step) {
      app->p_CLS2D(0, 0, 80, 1);
      app->p_CreditBox();
      if (step == 0) shown = "/" + menutest::AllText(app);
      ASSERT_EQ(("/" + menutest::AllText(app)).find("/End/"), std::string::npos) << step;
    }
    // From the first line the three above it are the last lines before "End".
    std::string above = menutest::NoSpaces(vg_Vantorell_CreditText[45].ToUtf8());
    if (!above.empty()) {
      EXPECT_NE(shown.find("/" + above + "/"), std::string::npos) << shown;
    }
    EXPECT_GT(app->m_CreditFirst, 48);
    EXPECT_EQ(menutest::NoSpaces(vg_Vantorell_CreditText[48].ToUtf8()), "End");
  });
}
