// The result screens on the real game in a child process: the rank ordinal and "New
// Highscore" while the game is on screen and once the menu has filed the score, and the
// overlay's hand-over to the menu.
#include "tests/game/menu_testing.h"

using namespace menutest;

namespace {
void Draw(c_MyApp* app, int (c_MyApp::*screen)()) {
  app->p_CLS2D(0, 0, 80, 1);
  (app->*screen)();
}
}  // namespace

TEST(Results, OnlyAScoreThatEntersTheTableIsANewHighscoreAndATieShowsTheRankReached) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    app->m_TuneChoice = 1;
    app->m_Screen = kScreenLoadGame;  // a game whose end has just been reached, on an empty table
    h.Update();
    app->m_GameOver = 1;
    app->p_MyNth();
    EXPECT_EQ(app->m_i, 0) << "a zero score on an empty table enters nothing";
    app->m_Score = 1;
    EXPECT_EQ(app->p_MyNth(), String("1st!"));
    SetTop(app, 1000, 100);
    app->m_Score = 100;  // equal to the tenth best: stays out
    app->p_MyNth();
    EXPECT_EQ(app->m_i, 0);
    app->m_Score = 300;  // equal to the eighth best: enters, and shows the rank it reached
    EXPECT_EQ(app->p_MyNth(), String("8th"));
    h.Frame(20);
    h.Tap(vgtest::kKeyEscape);
    EXPECT_EQ(app->m_Paused, 0) << "no pause opens under the overlay";
    h.Frame(120);
    EXPECT_TRUE(app->m_Screen == kScreenMenu && app->m_Paused == 0) << "the title menu starts unpaused";

    SetTop(app, 900, 100);
    app->m_Score = 700;  // equal to the third best: the table files it fourth
    app->p_LoadMenu();
    EXPECT_EQ(app->m_NewRank, 3);
    app->m_GameOverTimer = 60;
    Draw(app, &c_MyApp::p_GameOver);
    EXPECT_NE(AllText(app).find("/NewHighscore/3rd/"), std::string::npos) << AllText(app);
    app->m_Score = 50;
    Draw(app, &c_MyApp::p_GameOver);
    EXPECT_TRUE(Shows(app, "GAME") && !Shows(app, "New Highscore")) << AllText(app);
  });
}
