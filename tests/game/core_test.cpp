// The game object's life through the headless harness: suspend and resume, the keys that
// end the program, the measured update rate, pointer bookkeeping, the collector, the
// sequencer switch.
#include <gtest/gtest.h>

#include "framework/app.h"
#include "game/myapp.h"
#include "sequencer/zqplayer.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::OnLoadedGame;

TEST(GameCore, SuspendingInAGameComesBackPausedHalfWayDown) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.Suspend();  // on the title menu nothing pauses
    EXPECT_EQ(0, app->m_Paused + app->m_PauseStage + app->m_PauseSlide);
    h.Resume();
    app->m_Screen = 11;
    h.Update();
    ASSERT_EQ(10, app->m_Screen);
    app->m_PadKeys[3] = 2;
    vg_Vantorell_iCadeControls = 1;
    h.Suspend();
    EXPECT_EQ(std::vector<int>({1, 1, 240, 5, 0, 0}),
              std::vector<int>({app->m_Paused, app->m_PauseStage, app->m_PauseSlide, vg_app__updateRate,
                                app->m_PadKeys[3], vg_Vantorell_iCadeControls}));
    EXPECT_FALSE(h.host()->KeyboardEnabled());
    h.Resume();
    EXPECT_EQ(1, app->m_Paused);
    EXPECT_EQ(60, vg_app__updateRate);
  });
}

TEST(GameCore, F4AndTheCloseKeyEvenWhileLoadingAndBackOnTheTitleMenuEndTheProgramWithStatusZero) {
  for (int key : {vgtest::kKeyF4, vgtest::kKeyClose, vgtest::kKeyEscape}) {
    EXPECT_EQ(0, vgtest::RunInChild([key] {
      Harness h;
      h.Start();
      h.Frame(2);
      if (key == vgtest::kKeyEscape) h.FinishLoading(), h.Frame(40);
      h.Tap(key), h.Frame(5);
      _exit(3);  // the program carried on past the key
    })) << key;
  }
}

TEST(GameCore, UpdateRateIsMeasuredWithoutDividingByZero) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.clock().now = 10.0;
    h.host()->UpdateGame();
    h.clock().now = 10.02;
    h.host()->UpdateGame();
    EXPECT_EQ(50, app->m_FpsNow);
    h.host()->UpdateGame();  // the clock stood still
    EXPECT_EQ(50, app->m_FpsNow);
  });
}

TEST(GameCore, PointerIsTrackedInTruncatedVirtualPixels) {
  Harness::Options wide;
  wide.width = 1280;
  wide.height = 720;
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.MouseMove(101, 101);
    h.Frame();
    EXPECT_EQ(50, app->m_MouseX) << "50.5, truncated";
    h.MouseDown(601, 401);  // a new press is not a jump from the last position
    h.Update();
    EXPECT_EQ(std::vector<int>({300, 300, 200, 1, 1, 1, 300}),
              std::vector<int>({app->m_MouseX, app->m_PrevMouseX, app->m_PrevMouseY, app->m_PointerDown,
                                app->m_MouseHit, app->m_TouchDown[0], app->m_TouchX[0]}));
    h.MouseMove(621, 401);
    h.Update();
    EXPECT_EQ(310, app->m_MouseX);
    EXPECT_EQ(300, app->m_PrevMouseX) << "held: the previous position is last update's";
    EXPECT_EQ(0, app->m_MouseHit);
    EXPECT_EQ(-3717, app->m_TouchX[1]) << "fingers that are up sit far off screen";
    h.MouseUp();
    h.Update();
    EXPECT_EQ(-3717, app->m_TouchX[0]);

    vg_Vantorell_overscan = 64;  // the vertical border is 64 scaled by the aspect: 36
    h.Render();
    h.MouseMove(64 + 18, 36 + 18);
    h.Update();
    EXPECT_EQ(10, app->m_MouseX);
    EXPECT_EQ(10, app->m_MouseY);
    app->m_ScaleX = app->m_ScaleY = 0;  // as before any render
    h.MouseMove(1e12f, -1e12f);
    h.Update();
    EXPECT_EQ(1000000000, app->m_MouseX) << "no undefined float to int conversion";
    EXPECT_EQ(-1000000000, app->m_MouseY);
  }, wide);
}

TEST(GameCore, CollectionKeepsTheGameObjectsFieldsAlive) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    app->m_Objects[5099] = 42;
    app->m_HighScores[49] = 9;
    c_Image* logo = app->m_Images[93];
    for (int round = 0; round < 40; ++round) {  // several whole collection cycles
      Array<float> junk(1 << 20);
      h.Frame();
    }
    EXPECT_FLOAT_EQ(42, app->m_Objects[5099]);
    EXPECT_EQ(9, app->m_HighScores[49]);
    EXPECT_EQ(logo, app->m_Images[93]);
  });
}

TEST(GameCore, SequencerMusicRunsWhenSwitchedOn) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    ASSERT_NE(nullptr, app->m_Music);
    vg_Vantorell_HasMusic = 1;  // this configuration plays the streamed tunes instead
    app->m_Music->p_Zq_Init(32, 4, 3, 3, 4);
    app->m_TuneChoice = 2;
    app->m_Screen = 11;
    h.Update();
    EXPECT_EQ(2, app->m_Music->m_state);
    EXPECT_TRUE(app->m_Music->m_tuneFile.EndsWith("Retro/Glimmerpit.png"));
    for (int i = 0; i < 30 && app->m_Music->m_loadStage > 0; ++i) h.Frame();
    EXPECT_EQ(0, app->m_Music->m_loadStage) << "decoded a few stages per render";
    h.Frame(30);
    EXPECT_EQ(10, app->m_Screen);
  });
}
