// Control mapping: abstract keys from keyboard, pads and the iCade cabinet with the player
// rules, the keyboard ramps and touch stick, the strict button and touch boxes, and the
// latches that keep one press from acting twice.
#include <gtest/gtest.h>

#include <tuple>

#include "framework/input.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::OnLoadedGame;

namespace {

// Pointer state as the update leaves it, set directly for exact edge positions: one finger
// down at x, y and every other lifted.
void TouchAt(c_MyApp* app, int finger, int x, int y) {
  for (int i = 0; i < 10; ++i) app->m_TouchDown[i] = 0, app->m_TouchX[i] = app->m_TouchY[i] = int(kNoValue);
  app->m_TouchDown[finger] = app->m_PointerDown = 1, app->m_TouchX[finger] = x, app->m_TouchY[finger] = y;
}

}  // namespace

TEST(Controls, KeyboardLayoutsServePlayersZeroAndMinusOneOnly) {
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
  });
}

TEST(Controls, PadButtonsAndStickObeyModeAndPlayer) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    std::vector<unsigned char> none(16, 0), buttons = none;
    h.Joystick(0, {0.5f, -1, 0, 0}, none);  // right half way, fully up (GLFW's y is down)
    h.Update();
    EXPECT_EQ(std::vector<int>({0, 1, 0, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(0, 0, 0), app->p_PlayKey(0, 1, 0), app->p_PlayKey(8, 1, 0),
                                app->p_PlayKey(5, 1, 0), app->p_PlayKey(0, 1, 1), app->p_PlayKey(0, 1, -1)}))
        << "the stick counts in mode 1, for its own player, never for the keyboard's";
    EXPECT_FLOAT_EQ(-1, app->p_StickY(0, 0));
    EXPECT_FLOAT_EQ(0.5f, app->p_StickX(0, 0));
    EXPECT_FLOAT_EQ(0, app->p_StickY(0, -1));
    app->p_iCade(1);
    EXPECT_EQ(0, app->p_PlayKey(5, 1, 0)) << "the cabinet owns the stick too";
    app->p_iCade(0);
    h.Joystick(0, {0.3f, -0.35f, 0, 0}, none);
    h.Update();
    EXPECT_EQ(0, app->p_PlayKey(0, 1, 0) + app->p_PlayKey(5, 1, 0)) << "not past 0.4";

    buttons[9] = buttons[14] = 1;  // up, back
    h.Joystick(0, {0, 0, 0, 0}, buttons);
    h.Update();
    EXPECT_EQ(std::vector<int>({1, 0, 1, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(0, 0, 0), app->p_PlayKey(0, 0, -1), app->p_PlayKey(99, 0, 0),
                                app->p_PlayKeyAll(0, 0), app->p_PlayKey(0, 0, 4), app->p_PlayKey(0, 0, 9)}))
        << "there is no fifth pad";
  });
}

TEST(Controls, ICadeLettersHoldUntilTheirReleaseLetter) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.Press(87);  // "W" on the keyboard moves the player while the cabinet is off
    app->p_iCade(1);
    EXPECT_TRUE(h.host()->KeyboardEnabled());
    EXPECT_EQ(0, app->p_PlayKey(0, 0, 0)) << "letters belong to the cabinet now";
    h.Release(87), h.Press(38);
    EXPECT_EQ(1, app->p_PlayKey(0, 0, 0)) << "the arrows still count";
    h.Release(38);
    // Up (W, E) in both cases, and O, G: entry 16, a source of back.
    for (auto [press, release, entry, key] : {std::tuple{'W', 'E', 0, 0}, {'w', 'e', 0, 0}, {'O', 'G', 16, 99}}) {
      h.Type(press), h.Update(4);
      EXPECT_EQ(1, app->p_PlayKey(key, 0, 0)) << press;
      h.Type(release), h.Update();
      EXPECT_EQ(0, app->m_PadKeys[entry]) << release;
    }
    h.Type('W'), h.Update();
    app->p_iCade(0);
    EXPECT_EQ(0, app->m_PadKeys[0]) << "turning the cabinet off forgets held entries";
    h.Type('W'), h.Update();
    EXPECT_EQ(0, app->m_PadKeys[0]) << "and letters are no longer decoded";
  });
}

TEST(Controls, KeyboardRampsAndTheTouchStickMeasuredFromWhereTheFingerLanded) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    h.Press(39);
    for (int i = 1; i <= 12; ++i) {
      if (i == 8) h.Release(39);
      app->p_AnalogueControl();
      EXPECT_EQ(i == 7 || i == 12, i < 8 ? app->m_AnalogX >= 1 : app->m_AnalogX <= 0)
          << "full in seven frames, back in five: " << i;
    }
    EXPECT_TRUE(app->m_AnalogX == 0 && app->m_RampX == 0) << "settled despite float remainders";
    h.Press(38);
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(-0.15f, app->m_AnalogY) << "up is negative";
    h.Release(38), app->p_AnalogueControl(), app->p_AnalogueControl();

    app->m_PointerDown = 1;
    const struct { int x, y; float ax, ay; int anchor; } steps[] = {
        {200, 200, 0, 0, 200}, {236, 205, 0.5f, 5.0f / 72, 200},  // y alone would be dead
        {205, 205, 0, 0, 200}, {300, 205, 1, 5.0f / 72, 204}};    // clamped; the anchor trails
    for (const auto& s : steps) {
      app->m_MouseX = s.x, app->m_MouseY = s.y;
      app->p_AnalogueControl();
      EXPECT_TRUE(app->m_AnalogX == s.ax && std::abs(app->m_AnalogY - s.ay) < 1e-6f && app->m_StickAnchorX == s.anchor)
          << s.x << ": " << app->m_AnalogX << " " << app->m_AnalogY << " " << app->m_StickAnchorX;
    }
    app->m_PointerDown = 0;
    app->p_AnalogueControl();
    EXPECT_EQ(-1, app->m_StickAnchorX);
  });
}

TEST(Controls, ButtonAndTouchBoxesAreStrictWithTouchsWiderMarginRightAndBelow) {
  OnLoadedGame([](Harness&, c_MyApp* app) {
    // Image 97 is 32 x 32 at design size: half a box is 16 at draw size 1. Finger 0 alone
    // counts for the single-finger button.
    const struct { int finger, x, y, button, button0; } buttons[] = {
        {0, 116, 100, 0, 0}, {0, 115, 85, 1, 1}, {0, 100, 84, 0, 0}, {3, 100, 100, 1, 0}};
    for (const auto& b : buttons) {
      TouchAt(app, b.finger, b.x, b.y);
      EXPECT_TRUE(app->p_Button(97, 100, 100, 0) == b.button && app->m_ButtonHit == b.button &&
                  app->p_Button0(97, 100, 100, 0) == b.button0) << b.x << "," << b.y;
    }
    app->m_PointerDown = 0;
    EXPECT_EQ(0, app->p_Button(97, 100, 100, 0)) << "nothing counts with no pointer down";
    TouchAt(app, 1, 120, 100);
    EXPECT_EQ(1, app->p_MouseIn_Centered(100, 100, 41, 10) - app->p_MouseIn_Centered(100, 100, 40, 10));
    // The touch rectangle is (100, 100) to (150, 120).
    const struct { int x, y, hit; } touches[] = {
        {95, 110, 1},  {94, 110, 0},  {161, 110, 1}, {162, 110, 0}, {120, 95, 1},
        {120, 94, 0},  {120, 131, 1}, {120, 132, 0}, {161, 131, 1}, {125, 110, 1}};
    for (const auto& t : touches) {
      TouchAt(app, 2, t.x, t.y);
      EXPECT_EQ(t.hit, app->p_Touch(100, 100, 50, 20)) << t.x << "," << t.y;
    }
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
