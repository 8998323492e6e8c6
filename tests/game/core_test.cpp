// The game object's life and its controls through the headless harness: the keys that end
// the program, the measured update rate and pointer; abstract keys from keyboard and pads
// with the player rules.
#include <gtest/gtest.h>

#include "framework/app.h"
#include "framework/input.h"
#include "game/myapp.h"
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

TEST(GameCore, UpdateRateAndPointerAreMeasuredWithoutUndefinedArithmetic) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.clock().now = 10.0, h.host()->UpdateGame();
    h.clock().now = 10.02, h.host()->UpdateGame();
    h.host()->UpdateGame();  // the clock stood still
    EXPECT_EQ(50, app->m_FpsNow);
    app->m_ScaleX = app->m_ScaleY = 0;  // as before any render
    h.MouseMove(1e12f, -1e12f), h.Update();
    EXPECT_TRUE(app->m_MouseX == 1000000000 && app->m_MouseY == -1000000000) << "no undefined float to int conversion";
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
