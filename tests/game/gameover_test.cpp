// How a finished game hands over to the title menu, as a player meets it: fire held through
// the end does not start the next game, a pause cannot open under the overlay, and only a
// score that enters the table is announced as a new highscore.
#include <gtest/gtest.h>

#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;

namespace {

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

TEST(GameOver, FireHeldThroughTheEndWaitsForAFreshPressOnTheMenu) {
  VG_IN_CHILD([] {
    Harness h;
    c_MyApp* app = EndedGame(h, 0, 300);
    h.Press(vgtest::kKeySpace);
    h.Frame(240);
    EXPECT_EQ(app->m_Screen, 1) << "the held key must not start another game";
    h.Release(vgtest::kKeySpace);
    h.Frame(60);
    h.Press(vgtest::kKeySpace);
    h.Frame(10);
    EXPECT_GE(app->m_Screen, 10) << "a fresh press starts one";
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
