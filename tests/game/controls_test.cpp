// Control mapping: abstract keys from keyboard, pads and the iCade cabinet, the player rules,
// the keyboard ramps and touch stick of the analogue direction, the strict button and touch
// boxes, and the latches that keep one press from acting twice.
#include <gtest/gtest.h>

#include "framework/input.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;

namespace {

int Records(c_MyApp* app) { return app->m_DrawCount / 15; }

void StartLoaded(Harness& h) {
  h.Start();
  h.FinishLoading();
}

// Pointer state as the update leaves it, set directly for exact edge positions.
void TouchAt(c_MyApp* app, int finger, int x, int y) {
  app->m_TouchDown[finger] = 1;
  app->m_TouchX[finger] = x;
  app->m_TouchY[finger] = y;
  app->m_PointerDown = 1;
}

void NoTouches(c_MyApp* app) {
  for (int i = 0; i < 10; ++i) {
    app->m_TouchDown[i] = 0;
    app->m_TouchX[i] = static_cast<int>(kNoValue);
    app->m_TouchY[i] = static_cast<int>(kNoValue);
  }
  app->m_PointerDown = 0;
}

}  // namespace

TEST(Controls, KeyboardLayoutsAndPlayers) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    struct Case {
      int code, key;
    };
    const Case cases[] = {{38, 0}, {87, 0}, {37, 3}, {65, 3}, {39, 5}, {68, 5}, {40, 8},
                          {83, 8}, {90, 10}, {74, 10}, {32, 10}, {13, 10}, {88, 11}, {75, 11},
                          {17, 11}, {67, 12}, {76, 12}, {16, 12}, {86, 13}, {73, 13}, {66, 14},
                          {85, 14}, {78, 15}, {79, 15}, {27, 99}, {192, 99}, {46, 99}, {8, 99}};
    for (const Case& c : cases) {
      h.Press(c.code);
      EXPECT_EQ(1, app->p_PlayKey(c.key, 0, 0)) << "code " << c.code;
      EXPECT_EQ(1, app->p_PlayKey(c.key, 1, -1)) << "code " << c.code;
      EXPECT_EQ(0, app->p_PlayKey(c.key, 0, -2)) << "code " << c.code;
      EXPECT_EQ(4, app->p_PlayKeyAll(c.key, 0)) << "code " << c.code;
      h.Release(c.code);
      EXPECT_EQ(0, app->p_PlayKey(c.key, 0, 0)) << "code " << c.code;
    }
    // Keys outside the table, 16 and 17 included, are never pressed.
    app->m_PadKeys[16] = 2;
    EXPECT_EQ(0, app->p_PlayKey(16, 0, 0));
    EXPECT_EQ(0, app->p_PlayKey(7, 0, 0));
    EXPECT_EQ(1, app->p_PlayKey(99, 0, 0));  // entry 16 is a source of back
    EXPECT_EQ(1, app->p_PlayKey(99, 0, -1));
    EXPECT_EQ(0, app->p_PlayKey(99, 0, -2));
    app->m_PadKeys[16] = 0;
  });
}

TEST(Controls, PadButtonsAndStickObeyModeAndPlayer) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    std::vector<unsigned char> none(16, 0);
    // Fully up, the way a pad reports it to the window library (y negative up).
    h.Joystick(0, {0, -1, 0, 0}, none);
    h.Update();
    ASSERT_FLOAT_EQ(1, vg_input_JoyY(0, 0));
    EXPECT_EQ(0, app->p_PlayKey(0, 0, 0));
    EXPECT_EQ(1, app->p_PlayKey(0, 1, 0));
    EXPECT_EQ(0, app->p_PlayKey(8, 1, 0));
    EXPECT_EQ(0, app->p_PlayKey(0, 1, 1));   // another player's pad
    EXPECT_EQ(0, app->p_PlayKey(0, 1, -1));  // the keyboard player has no pad
    EXPECT_FLOAT_EQ(-1, app->p_StickY(0, 0));
    EXPECT_FLOAT_EQ(0, app->p_StickY(0, -1));
    h.Joystick(0, {0.3f, -0.35f, 0, 0}, none);
    h.Update();
    EXPECT_EQ(0, app->p_PlayKey(0, 1, 0));
    EXPECT_EQ(0, app->p_PlayKey(5, 1, 0));
    h.Joystick(0, {0.5f, 0, 0, 0}, none);
    h.Update();
    EXPECT_EQ(1, app->p_PlayKey(5, 1, 0));
    EXPECT_FLOAT_EQ(0.5f, app->p_StickX(0, 0));
    app->p_iCade(1);
    EXPECT_EQ(0, app->p_PlayKey(5, 1, 0));  // the cabinet owns the stick too
    app->p_iCade(0);

    std::vector<unsigned char> buttons(16, 0);
    buttons[9] = 1;   // up
    buttons[14] = 1;  // back
    h.Joystick(0, {0, 0, 0, 0}, buttons);
    h.Update();
    EXPECT_EQ(1, app->p_PlayKey(0, 0, 0));
    EXPECT_EQ(0, app->p_PlayKey(0, 0, -1));
    EXPECT_EQ(1, app->p_PlayKey(99, 0, 0));
    EXPECT_EQ(1, app->p_PlayKeyAll(0, 0));
    EXPECT_EQ(0, app->p_PlayKey(0, 0, 4));  // there is no fifth pad
  });
}

TEST(Controls, ICadeLettersHoldUntilTheirReleaseLetter) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    h.Press(87);  // "W" on the keyboard moves the player while the cabinet is off
    EXPECT_EQ(1, app->p_PlayKey(0, 0, 0));
    app->p_iCade(1);
    EXPECT_EQ(1, vg_Vantorell_iCadeControls);
    EXPECT_TRUE(h.host()->KeyboardEnabled());
    EXPECT_EQ(0, app->p_PlayKey(0, 0, 0));  // letters belong to the cabinet now
    h.Release(87);
    h.Press(192);
    EXPECT_EQ(0, app->p_PlayKey(99, 0, 0));
    h.Release(192);
    h.Press(38);  // the arrows still count
    EXPECT_EQ(1, app->p_PlayKey(0, 0, 0));
    h.Release(38);

    struct Pair {
      char press, release;
      int entry, key;
    };
    const Pair pairs[] = {{'W', 'E', 0, 0},   {'X', 'Z', 8, 8},   {'A', 'Q', 3, 3},
                          {'D', 'C', 5, 5},   {'Y', 'T', 13, 13}, {'U', 'F', 14, 14},
                          {'I', 'M', 15, 15}, {'O', 'G', 16, 99}, {'H', 'R', 10, 10},
                          {'J', 'N', 11, 11}, {'K', 'P', 12, 12}, {'L', 'V', 17, 99}};
    for (const Pair& p : pairs) {
      for (int lower = 0; lower < 2; ++lower) {
        int press = lower ? p.press - 'A' + 'a' : p.press;
        int release = lower ? p.release - 'A' + 'a' : p.release;
        h.Type(press);
        h.Update();
        EXPECT_EQ(2, app->m_PadKeys[p.entry]) << static_cast<char>(press);
        h.Update(3);
        EXPECT_EQ(1, app->p_PlayKey(p.key, 0, 0)) << static_cast<char>(press);
        h.Type(release);
        h.Update();
        EXPECT_EQ(0, app->m_PadKeys[p.entry]) << static_cast<char>(release);
      }
    }
    h.Type('!');
    h.Update();
    for (int i = 0; i < 19; ++i) EXPECT_EQ(0, app->m_PadKeys[i]);

    // Turning the cabinet off forgets held entries; entry 19 is the update's own.
    h.Type('W');
    h.Update();
    app->p_iCade(0);
    EXPECT_EQ(0, app->m_PadKeys[0]);
    EXPECT_FALSE(h.host()->KeyboardEnabled());
    // With the cabinet off, typed letters are not decoded.
    h.Type('W');
    h.Update();
    EXPECT_EQ(0, app->m_PadKeys[0]);
  });
}

TEST(Controls, KeyboardRampsReachFullInSevenFramesAndReturnInFive) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    h.Press(39);
    for (int i = 1; i <= 6; ++i) {
      app->p_AnalogueControl();
      EXPECT_LT(app->m_AnalogX, 1) << "frame " << i;
    }
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(1, app->m_AnalogX);
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(1, app->m_RampX);
    h.Release(39);
    for (int i = 1; i <= 4; ++i) {
      app->p_AnalogueControl();
      EXPECT_GT(app->m_AnalogX, 0) << "frame " << i;
    }
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(0, app->m_AnalogX);
    EXPECT_FLOAT_EQ(0, app->m_RampX);
    // Up makes the direction negative (y grows downward).
    h.Press(38);
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(-0.15f, app->m_AnalogY);
    h.Release(38);
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(0, app->m_AnalogY);
  });
}

TEST(Controls, TouchStickMeasuresFromWhereTheFingerLanded) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    app->m_PointerDown = 1;
    app->m_MouseX = 200;
    app->m_MouseY = 200;
    app->p_CLS2D(0, 0, 0, 1);
    app->p_AnalogueControl();
    EXPECT_EQ(200, app->m_StickAnchorX);
    EXPECT_FLOAT_EQ(0, app->m_AnalogX);
    EXPECT_EQ(30, app->m_DrawCount);  // the anchor and the finger
    app->m_MouseX = 236;
    app->m_MouseY = 205;  // 5 / 72 alone would be a dead zone, but x is past it
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(0.5f, app->m_AnalogX);
    EXPECT_FLOAT_EQ(5.0f / 72, app->m_AnalogY);
    app->m_MouseX = 205;
    app->p_AnalogueControl();
    EXPECT_FLOAT_EQ(0, app->m_AnalogX);
    EXPECT_FLOAT_EQ(0, app->m_AnalogY);
    app->m_MouseX = 300;
    app->p_AnalogueControl();
    EXPECT_EQ(204, app->m_StickAnchorX);  // trails a finger that strays past 64
    EXPECT_FLOAT_EQ(1, app->m_AnalogX);   // clamped
    app->m_PointerDown = 0;
    app->p_AnalogueControl();
    EXPECT_EQ(-1, app->m_StickAnchorX);
  });
}

TEST(Controls, ButtonBoxesAreStrict) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    // Image 97 is 32 x 32 at design size: half a box is 16 at draw size 1, 32 at size 2.
    app->p_CLS2D(0, 0, 0, 1);
    NoTouches(app);
    EXPECT_EQ(0, app->p_Button(97, 100, 100, 0));
    EXPECT_EQ(1, Records(app));
    TouchAt(app, 0, 116, 100);
    EXPECT_EQ(0, app->p_Button(97, 100, 100, 0));
    TouchAt(app, 0, 115, 84 + 1);
    EXPECT_EQ(1, app->p_Button(97, 100, 100, 0));
    EXPECT_EQ(1, app->m_ButtonHit);
    TouchAt(app, 0, 100, 84);
    EXPECT_EQ(0, app->p_Button(97, 100, 100, 0));
    EXPECT_EQ(0, app->m_ButtonHit);
    app->p_SetSize(2);
    TouchAt(app, 0, 131, 100);
    EXPECT_EQ(1, app->p_Button(97, 100, 100, 0));
    app->p_SetSize(1);
    // Another finger counts for p_Button, only finger 0 for p_Button0.
    NoTouches(app);
    TouchAt(app, 3, 100, 100);
    EXPECT_EQ(1, app->p_Button(97, 100, 100, 0));
    EXPECT_EQ(0, app->p_Button0(97, 100, 100, 0));
    TouchAt(app, 0, 110, 110);
    EXPECT_EQ(1, app->p_Button0(97, 100, 100, 0));
    // Nothing counts while no pointer is down.
    app->m_PointerDown = 0;
    EXPECT_EQ(0, app->p_Button(97, 100, 100, 0));

    NoTouches(app);
    TouchAt(app, 1, 120, 100);
    EXPECT_EQ(1, app->p_MouseIn_Centered(100, 100, 41, 10));
    EXPECT_EQ(0, app->p_MouseIn_Centered(100, 100, 40, 10));
    TouchAt(app, 1, 100, 105);
    EXPECT_EQ(0, app->p_MouseIn_Centered(100, 100, 40, 10));
  });
}

TEST(Controls, TouchRectangleHasAWiderMarginRightAndBelow) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    app->p_CLS2D(0, 0, 0, 1);
    struct Case {
      int x, y, hit;
    };
    // The rectangle is (100, 100) to (150, 120).
    const Case cases[] = {{160, 110, 1}, {90, 110, 0},  {95, 110, 1},  {94, 110, 0},
                          {161, 110, 1}, {162, 110, 0}, {120, 95, 1},  {120, 94, 0},
                          {120, 131, 1}, {120, 132, 0}, {161, 131, 1}, {125, 110, 1}};
    for (const Case& c : cases) {
      NoTouches(app);
      TouchAt(app, 2, c.x, c.y);
      EXPECT_EQ(c.hit, app->p_Touch(100, 100, 50, 20)) << c.x << "," << c.y;
    }
    EXPECT_EQ(12, Records(app));
    EXPECT_FLOAT_EQ(kNoValue, app->m_DrawList[0]);
  });
}

TEST(Controls, BackOnTheCreditsBoxWaitsForEverythingToBeReleased) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    h.Frame(40);
    ASSERT_EQ(1, app->m_Screen);
    app->m_CreditsOpen = 1;
    app->m_BadgesOpen = 1;
    h.Press(27);
    h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen);
    EXPECT_EQ(0, app->m_BadgesOpen);
    EXPECT_EQ(1, app->m_KeyLatch);
    // Still held: reopening the box and holding back does nothing.
    app->m_CreditsOpen = 1;
    h.Frame(5);
    EXPECT_EQ(1, app->m_CreditsOpen);
    EXPECT_EQ(1, app->m_KeyLatch);
    h.Release(27);
    h.Frame();
    EXPECT_EQ(0, app->m_KeyLatch);
    // A held pointer keeps the back latch, which also holds back the key.
    h.MouseDown(100, 60);  // clear of every menu item
    h.Frame();
    app->m_BackLatch = 1;
    app->m_CreditsOpen = 1;
    h.Press(27);
    h.Frame();
    EXPECT_EQ(1, app->m_CreditsOpen);
    h.Release(27);
    h.MouseUp();
    h.Frame();
    EXPECT_EQ(0, app->m_BackLatch);
    h.Press(27);
    h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen);
    h.Release(27);
    h.Frame();

    // The open options box keeps both latches set every update.
    app->m_OptionsOpen = 1;
    h.Frame();
    EXPECT_EQ(1, app->m_KeyLatch);
    EXPECT_EQ(1, app->m_BackLatch);
  });
}
