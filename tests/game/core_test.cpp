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
        {38, kGameUp},    {87, kGameUp},    {37, kGameLeft},  {65, kGameLeft},  {39, kGameRight},
        {68, kGameRight}, {40, kGameDown},  {83, kGameDown},  {90, kGameFire},  {74, kGameFire},
        {32, kGameFire},  {13, kGameFire},  {88, kGameB},     {75, kGameB},     {17, kGameB},
        {67, kGameC},     {76, kGameC},     {16, kGameC},     {86, kGameD},     {73, kGameD},
        {66, kGameL1},    {85, kGameL1},    {78, kGameR1},    {79, kGameR1},    {27, kGameBack},
        {192, kGameBack}, {46, kGameBack},  {8, kGameBack}};
    for (const auto& c : cases) {
      h.Press(c.code);
      EXPECT_EQ(std::vector<int>({1, 1, 0, 4}),
                std::vector<int>({app->p_PlayKey(c.key, 0, 0), app->p_PlayKey(c.key, 1, -1),
                                  app->p_PlayKey(c.key, 0, -2), app->p_PlayKeyAll(c.key, 0)}))
          << "code " << c.code;
      h.Release(c.code);
      EXPECT_EQ(0, app->p_PlayKey(c.key, 0, 0)) << "code " << c.code;
    }
    app->m_PadKeys[kPadBackO] = 2;  // a source of back, not a key of its own number
    EXPECT_EQ(0, app->p_PlayKey(kPadBackO, 0, 0) + app->p_PlayKey(7, 0, 0));
    EXPECT_EQ(1, app->p_PlayKey(kGameBack, 0, 0));
    app->m_PadKeys[kPadBackO] = 0;

    std::vector<unsigned char> buttons(16, 0);
    h.Joystick(0, {0.5f, -1, 0, 0}, buttons);  // right half way, fully up (GLFW's y is down)
    h.Update();
    EXPECT_EQ(std::vector<int>({0, 1, 0, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(kGameUp, 0, 0), app->p_PlayKey(kGameUp, 1, 0),
                                app->p_PlayKey(kGameDown, 1, 0), app->p_PlayKey(kGameRight, 1, 0),
                                app->p_PlayKey(kGameUp, 1, 1), app->p_PlayKey(kGameUp, 1, -1)}))
        << "the stick counts in mode 1, for its own player, never for the keyboard's";
    buttons[9] = buttons[14] = 1;  // up, back
    h.Joystick(0, {0, 0, 0, 0}, buttons);
    h.Update();
    EXPECT_EQ(std::vector<int>({1, 0, 1, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(kGameUp, 0, 0), app->p_PlayKey(kGameUp, 0, -1),
                                app->p_PlayKey(kGameBack, 0, 0), app->p_PlayKeyAll(kGameUp, 0),
                                app->p_PlayKey(kGameUp, 0, 4), app->p_PlayKey(kGameUp, 0, 9)}))
        << "pad buttons serve their own player; there is no fifth pad";
  });
}
