// The game object's life and its controls through the headless harness: the keys that end
// the program, the measured update rate and pointer, the sequencer switch; abstract keys
// from keyboard and pads with the player rules, and the back key's latches.
#include <gtest/gtest.h>

#include "framework/app.h"
#include "framework/input.h"
#include "game/myapp.h"
#include "sequencer/zqplayer.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::OnLoadedGame;

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

TEST(GameCore, PointerAndUpdateRateAreMeasuredWithoutUndefinedArithmetic) {
  Harness::Options wide;
  wide.width = 1280;
  wide.height = 720;
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.clock().now = 10.0, h.host()->UpdateGame();
    h.clock().now = 10.02, h.host()->UpdateGame();
    EXPECT_EQ(50, app->m_FpsNow);
    h.host()->UpdateGame();  // the clock stood still: no division by zero
    EXPECT_EQ(50, app->m_FpsNow);

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

TEST(Controls, KeyboardLayoutsServePlayersZeroAndMinusOneAndPadsTheirOwn) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    const struct { int code, key; } cases[] = {
        {38, 0}, {87, 0}, {37, 3}, {65, 3}, {39, 5}, {68, 5}, {40, 8}, {83, 8}, {90, 10},
        {74, 10}, {32, 10}, {13, 10}, {88, 11}, {75, 11}, {17, 11}, {67, 12}, {76, 12}, {16, 12},
        {86, 13}, {73, 13}, {66, 14}, {85, 14}, {78, 15}, {79, 15}, {27, 99}, {192, 99}, {46, 99}, {8, 99}};
    for (const auto& c : cases) {
      h.Press(c.code);
      EXPECT_EQ(std::vector<int>({1, 1, 0, 4}),
                std::vector<int>({app->p_PlayKey(c.key, 0, 0), app->p_PlayKey(c.key, 1, -1),
                                  app->p_PlayKey(c.key, 0, -2), app->p_PlayKeyAll(c.key, 0)}))
          << "code " << c.code;
      h.Release(c.code);
      EXPECT_EQ(0, app->p_PlayKey(c.key, 0, 0)) << "code " << c.code;
    }
    app->m_PadKeys[16] = 2;  // entry 16 is a source of back, not key 16
    EXPECT_EQ(0, app->p_PlayKey(16, 0, 0) + app->p_PlayKey(7, 0, 0));
    EXPECT_EQ(1, app->p_PlayKey(99, 0, 0));
    app->m_PadKeys[16] = 0;

    std::vector<unsigned char> buttons(16, 0);
    h.Joystick(0, {0.5f, -1, 0, 0}, buttons);  // right half way, fully up (GLFW's y is down)
    h.Update();
    EXPECT_EQ(std::vector<int>({0, 1, 0, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(0, 0, 0), app->p_PlayKey(0, 1, 0), app->p_PlayKey(8, 1, 0),
                                app->p_PlayKey(5, 1, 0), app->p_PlayKey(0, 1, 1), app->p_PlayKey(0, 1, -1)}))
        << "the stick counts in mode 1, for its own player, never for the keyboard's";
    buttons[9] = buttons[14] = 1;  // up, back
    h.Joystick(0, {0, 0, 0, 0}, buttons);
    h.Update();
    EXPECT_EQ(std::vector<int>({1, 0, 1, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(0, 0, 0), app->p_PlayKey(0, 0, -1), app->p_PlayKey(99, 0, 0),
                                app->p_PlayKeyAll(0, 0), app->p_PlayKey(0, 0, 4), app->p_PlayKey(0, 0, 9)}))
        << "pad buttons serve their own player; there is no fifth pad";
  });
}

TEST(Controls, BackOnTheCreditsBoxWaitsForEverythingToBeReleased) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.Frame(40);
    ASSERT_EQ(1, app->m_Screen);
    app->m_CreditsOpen = app->m_BadgesOpen = 1;
    h.Press(27);
    h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen + app->m_BadgesOpen);
    app->m_CreditsOpen = 1;
    h.Frame(5);
    EXPECT_EQ(1, app->m_CreditsOpen) << "back still held";
    h.Release(27);
    h.Frame();
    EXPECT_EQ(0, app->m_KeyLatch);
    h.MouseDown(100, 60);  // clear of every menu item
    h.Frame();
    app->m_BackLatch = app->m_CreditsOpen = 1;
    h.Press(27);
    h.Frame();
    EXPECT_EQ(1, app->m_CreditsOpen) << "a held pointer holds back the key too";
    h.Release(27);
    h.MouseUp();
    h.Frame();
    EXPECT_EQ(0, app->m_KeyLatch + app->m_BackLatch);
    h.Press(27);
    h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen);
  });
}
