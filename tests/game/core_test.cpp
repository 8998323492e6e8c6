// The game object's life and state machine, driven through the headless harness: start-up
// values, the screen dispatcher, global keys, pointer bookkeeping, latches, suspend/resume.
#include <gtest/gtest.h>

#include "framework/app.h"
#include "game/myapp.h"
#include "sequencer/zqplayer.h"
#include "tests/support/harness.h"

using vgtest::Harness;

TEST(GameCore, StartsOnTheLoaderThenReachesTheTitleMenu) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    EXPECT_EQ(1, app->m_Screen);
    EXPECT_EQ(1, app->m_Loading);
    EXPECT_EQ(60, vg_app__updateRate);
    EXPECT_EQ(2, app->m_TuneChoice);
    EXPECT_EQ(-32, app->m_MenuSlide);
    EXPECT_EQ(-1, app->m_PauseStage);
    EXPECT_EQ(-64, app->m_PauseSlide);
    EXPECT_EQ(1, app->m_Settings[5]);
    EXPECT_EQ(640, app->m_DevW);
    EXPECT_EQ(480, app->m_DevH);
    for (int i = 0; i < 33; ++i) EXPECT_EQ(i, app->m_ChanMap[i]);
    int updates = h.FinishLoading();
    EXPECT_EQ(24, updates);
    EXPECT_EQ(0, app->m_Loading);
    EXPECT_EQ(1, app->m_Screen);
  });
}

TEST(GameCore, EnteringTheMenuTakesOneUpdateAndOneMenuSound) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    app->m_Screen = 2;
    int before = app->m_SfxChan;
    h.Update();
    EXPECT_EQ(1, app->m_Screen);
    EXPECT_EQ((before + 1) % 24, app->m_SfxChan);
  });
}

TEST(GameCore, SuspendingInAGameComesBackPausedHalfWayDown) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    app->m_Screen = 11;
    h.Update();
    ASSERT_EQ(10, app->m_Screen);
    app->m_PadKeys[3] = 2;
    app->m_PadKeys[19] = 1;
    vg_Vantorell_iCadeControls = 1;
    h.Suspend();
    EXPECT_EQ(1, app->m_Paused);
    EXPECT_EQ(1, app->m_PauseStage);
    EXPECT_EQ(240, app->m_PauseSlide);
    EXPECT_EQ(5, vg_app__updateRate);
    EXPECT_EQ(0, app->m_PadKeys[3]);
    EXPECT_EQ(1, app->m_PadKeys[19]);
    EXPECT_EQ(0, vg_Vantorell_iCadeControls);
    EXPECT_FALSE(h.host()->KeyboardEnabled());
    h.Resume();
    EXPECT_EQ(1, app->m_Paused);
    EXPECT_EQ(240, app->m_PauseSlide);
    EXPECT_EQ(60, vg_app__updateRate);
  });
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    ASSERT_EQ(1, app->m_Screen);
    h.Suspend();
    EXPECT_EQ(0, app->m_Paused);
    EXPECT_EQ(0, app->m_PauseStage);
    EXPECT_EQ(0, app->m_PauseSlide);
    h.Resume();
    EXPECT_EQ(0, app->m_Paused);
  });
}

TEST(GameCore, F4AndTheCloseBoxEndTheProgramWithStatusZero) {
  // Exit code 3 would mean the program carried on past the key.
  EXPECT_EQ(0, vgtest::RunInChild([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    h.Press(vgtest::kKeyF4);
    h.Update();
    _exit(3);
  }));
  EXPECT_EQ(0, vgtest::RunInChild([] {
    Harness h;
    h.Start();
    h.Press(vgtest::kKeyClose);
    h.Update();
    _exit(3);
  }));
  // F4 during loading ends it too: the global keys come before the screens.
  EXPECT_EQ(0, vgtest::RunInChild([] {
    Harness h;
    h.Start();
    h.Frame(2);
    h.Tap(vgtest::kKeyF4);
    _exit(3);
  }));
}

TEST(GameCore, F1ShowsTheDebugLineAndF2HidesTheHud) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    h.Tap(vgtest::kKeyF1);
    EXPECT_EQ(1, vg_Vantorell_DebugMode);
    h.Update();
    // The scales and the render rate, as text at the bottom left.
    int found = 0;
    for (int at = 0; at < app->m_DrawCount; at += 15) {
      const float* rec = app->m_DrawList.Data() + at;
      if (rec[0] == 90 && rec[2] > 460 && rec[1] < 200) ++found;
    }
    EXPECT_GE(found, 5);  // "1,1:0" and more
    h.Tap(vgtest::kKeyF1);
    EXPECT_EQ(0, vg_Vantorell_DebugMode);
    h.Tap(vgtest::kKeyF2);
    EXPECT_EQ(1, app->m_HideHud);
    h.Tap(vgtest::kKeyF2);
    EXPECT_EQ(0, app->m_HideHud);
  });
}

TEST(GameCore, UpdateRateIsMeasuredWithoutDividingByZero) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    h.clock().now = 10.0;
    h.host()->UpdateGame();
    h.clock().now = 10.0 + 0.02;  // 20 ms later
    h.host()->UpdateGame();
    EXPECT_EQ(50, app->m_FpsNow);
    h.host()->UpdateGame();  // the clock stood still
    EXPECT_EQ(50, app->m_FpsNow);
    EXPECT_GT(app->m_Fps, 0);
  });
}

TEST(GameCore, PointerIsTrackedInVirtualPixels) {
  VG_IN_CHILD([] {
    Harness::Options options;
    options.width = 1280;
    options.height = 960;
    Harness h(options);
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    h.MouseMove(101, 101);
    h.Frame();
    EXPECT_EQ(50, app->m_MouseX);  // 50.5, truncated
    EXPECT_EQ(50, app->m_MouseY);
    EXPECT_EQ(0, app->m_PointerDown);
    // A new press does not read as a jump from the last position.
    h.MouseDown(601, 401);
    h.Update();
    EXPECT_EQ(300, app->m_MouseX);
    EXPECT_EQ(300, app->m_PrevMouseX);
    EXPECT_EQ(200, app->m_PrevMouseY);
    EXPECT_EQ(1, app->m_PointerDown);
    EXPECT_EQ(1, app->m_MouseHit);
    EXPECT_EQ(1, app->m_TouchDown[0]);
    EXPECT_EQ(300, app->m_TouchX[0]);
    // Held and moved: the previous position is last update's.
    h.MouseMove(621, 401);
    h.Update();
    EXPECT_EQ(310, app->m_MouseX);
    EXPECT_EQ(300, app->m_PrevMouseX);
    EXPECT_EQ(0, app->m_MouseHit);
    // Fingers that are up sit far outside the screen.
    for (int i = 1; i < 10; ++i) {
      EXPECT_EQ(0, app->m_TouchDown[i]);
      EXPECT_EQ(-3717, app->m_TouchX[i]);
      EXPECT_EQ(-3717, app->m_TouchY[i]);
    }
    h.MouseUp();
    h.Update();
    EXPECT_EQ(0, app->m_PointerDown);
    EXPECT_EQ(-3717, app->m_TouchX[0]);
    EXPECT_EQ(0, app->m_BackLatch);
  });
}

TEST(GameCore, OverscanShiftsThePointerByTheBorder) {
  VG_IN_CHILD([] {
    Harness::Options options;
    options.width = 1280;
    options.height = 720;
    Harness h(options);
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    vg_Vantorell_overscan = 64;
    h.Render();
    ASSERT_FLOAT_EQ(1.8f, app->m_ScaleX);
    // The vertical border is the horizontal one scaled by the window's aspect: 36.
    h.MouseMove(64 + 18, 36 + 18);
    h.Update();
    EXPECT_EQ(10, app->m_MouseX);
    EXPECT_EQ(10, app->m_MouseY);
  });
}

TEST(GameCore, CollectionKeepsTheGameObjectsPoolsAlive) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    app->m_Objects[5099] = 42;
    app->m_Stars[7] = 3;
    app->m_HighScores[49] = 9;
    c_Image* logo = app->m_Images[93];
    // Enough garbage to force several whole collection cycles.
    for (int round = 0; round < 40; ++round) {
      Array<float> junk(1 << 20);
      junk[0] = static_cast<float>(round);
      h.Frame();
    }
    EXPECT_FLOAT_EQ(42, app->m_Objects[5099]);
    EXPECT_FLOAT_EQ(3, app->m_Stars[7]);
    EXPECT_EQ(9, app->m_HighScores[49]);
    EXPECT_EQ(logo, app->m_Images[93]);
    EXPECT_EQ(37500, app->m_DrawList.Length());
    EXPECT_EQ(1443, vg_Vantorell_TwitterName.Length());
    EXPECT_EQ(49, vg_Vantorell_CreditText.Length());
    EXPECT_TRUE(vg_Vantorell_TwitterName[1442].IsEmpty());
    EXPECT_FALSE(vg_Vantorell_TwitterName[1].IsEmpty());
    EXPECT_EQ(String("End"), vg_Vantorell_CreditText[48]);
    h.Frame(10);
  });
}

TEST(GameCore, SequencerMusicRunsWhenSwitchedOn) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    h.FinishLoading();
    c_MyApp* app = h.app();
    ASSERT_NE(nullptr, app->m_Music);
    EXPECT_EQ(0, vg_Vantorell_HasMusic);  // this configuration plays the streamed tunes
    vg_Vantorell_HasMusic = 1;
    app->m_Music->p_Zq_Init(32, 4, 3, 3, 4);
    app->m_TuneChoice = 2;
    app->m_Screen = 11;
    h.Update();
    EXPECT_EQ(2, app->m_Music->m_state);
    EXPECT_TRUE(app->m_Music->m_tuneFile.EndsWith("Retro/Glimmerpit.png"));
    // Each render decodes up to three stages of the tune: 70 stages in 24 renders.
    for (int i = 0; i < 30 && app->m_Music->m_loadStage > 0; ++i) h.Frame();
    EXPECT_EQ(0, app->m_Music->m_loadStage);
    h.Frame(30);
    EXPECT_EQ(10, app->m_Screen);
  });
}
