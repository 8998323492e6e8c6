// The result screens on the real game in a child process: the rank ordinal and "New
// Highscore", the game-over bars, the badge pop-up's timing, and the credits box's lines.
#include "tests/game/menu_testing.h"

using namespace menutest;

namespace {
void Draw(c_MyApp* app, int (c_MyApp::*screen)()) {
  app->p_CLS2D(0, 0, 80, 1);
  (app->*screen)();
}
void DrawGameOver(c_MyApp* app, int timer) {
  app->m_Screen = 1;
  app->m_GameOverTimer = timer;
  Draw(app, &c_MyApp::p_GameOver);
}
}  // namespace

TEST(Results, RankCountsTiesAsReachedAndOnlyARankedScoreShowsNewHighscore) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    app->m_TuneChoice = 1;
    const char* names[11] = {"1st!", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th", ""};
    SetTop(app, 1000, 100);
    for (int k = 0; k <= 10; ++k) {
      app->m_Score = k < 10 ? 1000 - 100 * k : 99;  // equal to entry k, then below all
      EXPECT_EQ(app->p_MyNth().ToUtf8(), names[k]);
    }
    SetTop(app, 900, 100);
    app->m_Score = 700;  // equal to the third best: the table puts it fourth
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, 3);
    DrawGameOver(app, 60);
    EXPECT_NE(AllText(app).find("/NewHighscore/3rd/"), std::string::npos) << AllText(app);
    app->m_Score = 50;
    DrawGameOver(app, 60);
    EXPECT_TRUE(Shows(app, "GAME") && !Shows(app, "New Highscore")) << AllText(app);
  });
}

TEST(Results, GameOverBarsReachFullLengthAtTimerEighteen) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.Frame();
    c_MyApp* app = h.app();
    ASSERT_EQ(vg_Vantorell_jscrh, 480.0f);
    struct Step { int timer; float half, dim; };
    for (Step s : {Step{1, 12, 1 / 40.0f}, Step{17, 204, 17 / 40.0f}, Step{18, 216, 18 / 40.0f},
                   Step{40, 216, 0.7f}, Step{75, 216, 0.7f}}) {
      DrawGameOver(app, s.timer);
      auto yellow = Rects(app, 255, 255, 0), orange = Rects(app, 255, 128, 0), black = Rects(app, 0, 0, 0);
      ASSERT_TRUE(yellow.size() == 1 && orange.size() == 1 && black.size() == 1) << s.timer;
      EXPECT_EQ(yellow[0].w, 2 * s.half) << s.timer;
      EXPECT_EQ(orange[0].w, 2 * s.half + 1) << s.timer;
      EXPECT_EQ(orange[0].x, 640 - 2 * s.half) << s.timer;
      EXPECT_NEAR(black[0].alpha, s.dim, 1e-6) << s.timer;
    }
  });
}

TEST(Results, BadgePopupIsFullyInFromAge10To230AndGoneAfter240) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    app->m_BadgePopupId[2] = 0;
    app->m_BadgePopupTimer[2] = 1;
    for (int age = 2; age <= 242; ++age) {
      Draw(app, &c_MyApp::p_ShowBadges);
      auto box = Rects(app, 0, 0, 80);
      ASSERT_EQ(box.size(), age > 241 ? 0u : 1u) << age;
      if (box.empty()) continue;
      EXPECT_EQ(box[0].y, 480 - 34 * 3) << "the third slot";
      EXPECT_EQ(box[0].x, age < 10 ? age * 16 - 160 : age <= 230 ? 0 : (240 - age) * 16 - 160) << age;
    }
    EXPECT_EQ(app->m_BadgePopupTimer[2], 0);
  });
}

TEST(Results, CreditLinesFadeWithDistanceWrapAroundAndNeverShowTheLast) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    ASSERT_EQ(vg_Vantorell_CreditText.Length(), 49);
    auto line = [](int i) { return NoSpaces(vg_Vantorell_CreditText[i].ToUtf8()); };
    app->m_CreditsOpen = 1;
    app->m_CreditsFade = 30;
    Draw(app, &c_MyApp::p_CreditBox);  // the first frame also draws the three lines above
    EXPECT_TRUE(line(45).empty() || Shows(app, line(45))) << AllText(app);
    for (int step = 0; step < 48 * 60; ++step) {
      Draw(app, &c_MyApp::p_CreditBox);
      ASSERT_FALSE(Shows(app, "End")) << step;
    }
    EXPECT_GT(app->m_CreditFirst, 48);
    int first = 0;  // a middle line with a distinct, drawn line three below it
    while (line(first).empty() || line((first + 3) % 48).empty() || line(first) == line((first + 3) % 48)) ++first;
    app->m_CreditFirst = first;
    app->m_CreditScroll = -7.7f;  // -8 once this update's drift is applied
    Draw(app, &c_MyApp::p_CreditBox);
    float middle = -1, far = -1;
    for (const TextRun& run : Texts(app)) {
      if (run.text == line(first)) middle = run.alpha;             // 8 px off: fully shown
      if (run.text == line((first + 3) % 48)) far = run.alpha;  // 40 px off
    }
    EXPECT_NEAR(middle, 1.0f, 1e-4);
    EXPECT_NEAR(far, 0.3f, 1e-4);
  });
}
