// The result screens on the real game in a child process: the rank ordinal and "New
// Highscore", the credits box's lines, and how a finished game hands over to the menu.
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
// A running game whose end has just been reached, with every score entry at `entry`.
c_MyApp* EndedGame(Harness& h, int entry, int score) {
  h.Start();
  h.FinishLoading();
  c_MyApp* app = h.app();
  app->m_TuneChoice = 1;
  for (int i = 0; i < 20; ++i) app->m_HighScores[i] = entry;
  app->m_Screen = 11;
  h.Update();
  app->m_Score = score;
  app->m_GameOver = 1;
  return app;
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

TEST(Results, CreditLinesWrapAroundAndNeverShowTheLast) {
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
  });
}

TEST(GameOver, NoPauseOpensUnderTheOverlay) {
  VG_IN_CHILD([] {
    Harness h;
    c_MyApp* app = EndedGame(h, 0, 300);
    h.Frame(20);
    h.Tap(vgtest::kKeyEscape);
    EXPECT_EQ(app->m_Paused, 0);
    h.Frame(120);
    EXPECT_EQ(app->m_Screen, 1);
    EXPECT_EQ(app->m_Paused, 0) << "the title menu starts unpaused";
  });
}

TEST(GameOver, OnlyAScoreThatEntersTheTableIsANewHighscore) {
  VG_IN_CHILD([] {
    Harness h;
    c_MyApp* app = EndedGame(h, 0, 0);
    app->p_MyNth();
    EXPECT_EQ(app->m_i, 0) << "a zero score on an empty table enters nothing";
    app->m_Score = 1;
    EXPECT_EQ(app->p_MyNth(), String("1st!"));
    for (int i = 0; i < 10; ++i) app->m_HighScores[i] = 1000 - 100 * i;
    app->m_Score = 100;  // equal to the tenth best: stays out
    app->p_MyNth();
    EXPECT_EQ(app->m_i, 0);
    app->m_Score = 300;  // equal to the eighth best: enters, and shows the rank it reached
    EXPECT_EQ(app->p_MyNth(), String("8th"));
  });
}
