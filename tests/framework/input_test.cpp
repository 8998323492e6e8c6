// The input module's key space, hit and character queues, pointer mirroring, joystick
// polling and the range rules of its queries, driven as the delegate and the game drive it.
#include "framework/input.h"

#include "framework/app.h"
#include "tests/framework/framework_fixture.h"

namespace {

class InputTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    input = (new c_InputDevice)->m_new();
    vg_input_SetInputDevice(input);
  }
  c_InputDevice* input = nullptr;
};

TEST_F(InputTest, LeftButtonAndFirstFingerPressAndReleaseEachOther) {
  input->p_MouseEvent(c_VgGameEvent::MouseDown, 0, 10, 20);
  EXPECT_EQ(vg_input_KeyHit(1), 1);
  EXPECT_EQ(vg_input_KeyHit(384), 1);
  EXPECT_EQ(vg_input_MouseDown(0), 1);
  EXPECT_EQ(vg_input_TouchDown(0), 1);
  EXPECT_EQ(vg_input_MouseHit(0), 1);

  input->p_MouseEvent(c_VgGameEvent::MouseUp, 0, 0, 0);
  EXPECT_EQ(vg_input_KeyDown(1), 0);
  EXPECT_EQ(vg_input_TouchDown(0), 0);
  EXPECT_EQ(vg_input_KeyHit(1), 1) << "a release records no hit";
  input->p_EndUpdate();

  input->p_TouchEvent(c_VgGameEvent::TouchDown, 0, 5, 6);
  EXPECT_EQ(vg_input_MouseDown(0), 1);
  EXPECT_EQ(vg_input_MouseHit(0), 1);
  input->p_TouchEvent(c_VgGameEvent::TouchUp, 0, 0, 0);
  EXPECT_EQ(vg_input_MouseDown(0), 0);

  // Other buttons and fingers stand alone.
  input->p_MouseEvent(c_VgGameEvent::MouseDown, 1, 0, 0);
  EXPECT_EQ(vg_input_KeyDown(2), 1);
  EXPECT_EQ(vg_input_TouchDown(1), 0);
  input->p_TouchEvent(c_VgGameEvent::TouchDown, 1, 0, 0);
  EXPECT_EQ(vg_input_KeyDown(385), 1);
  EXPECT_EQ(vg_input_KeyDown(1), 0);
}

TEST_F(InputTest, PointerPositionsMirrorOnlyBetweenMouseAndFirstFinger) {
  input->p_MouseEvent(c_VgGameEvent::MouseMove, 0, 30, 40);
  EXPECT_EQ(vg_input_MouseX(), 30);
  EXPECT_EQ(vg_input_TouchY(0), 40);
  input->p_MouseEvent(c_VgGameEvent::MouseUp, 0, 99, 99);
  EXPECT_EQ(vg_input_MouseX(), 30) << "button up carries no position";

  input->p_TouchEvent(c_VgGameEvent::TouchMove, 0, 7, 8);
  EXPECT_EQ(vg_input_MouseX(), 7);
  EXPECT_EQ(vg_input_MouseY(), 8);
  input->p_TouchEvent(c_VgGameEvent::TouchDown, 3, 50, 60);
  EXPECT_EQ(vg_input_TouchX(3), 50);
  EXPECT_EQ(vg_input_MouseX(), 7);

  input->p_MotionEvent(c_VgGameEvent::MotionAccel, 0, 0.25f, -0.5f, 1);
  EXPECT_EQ(vg_input_AccelX(), 0.25f);
  EXPECT_EQ(vg_input_AccelY(), -0.5f);
  EXPECT_EQ(input->m__accelZ, 1);
}

TEST_F(InputTest, HitsCountPressesBetweenUpdatesAndAutoRepeatIsNoHit) {
  const int kA = 65;
  input->p_KeyEvent(c_VgGameEvent::KeyDown, kA);
  input->p_KeyEvent(c_VgGameEvent::KeyDown, kA);  // auto-repeat
  EXPECT_EQ(vg_input_KeyHit(kA), 1);
  input->p_KeyEvent(c_VgGameEvent::KeyUp, kA);
  input->p_KeyEvent(c_VgGameEvent::KeyDown, kA);
  EXPECT_EQ(vg_input_KeyHit(kA), 2);
  EXPECT_EQ(vg_input_KeyDown(kA), 1);

  input->p_EndUpdate();
  EXPECT_EQ(vg_input_KeyHit(kA), 0);
  EXPECT_EQ(vg_input_KeyDown(kA), 1) << "held keys stay held across updates";
}

TEST_F(InputTest, HitQueueHolds33AndCharacterQueue32PerUpdate) {
  for (int k = 100; k < 140; ++k) input->p_KeyEvent(c_VgGameEvent::KeyDown, k);
  EXPECT_EQ(vg_input_KeyHit(132), 1);
  EXPECT_EQ(vg_input_KeyHit(133), 0) << "the 34th hit is dropped";
  EXPECT_EQ(vg_input_KeyDown(139), 1) << "a dropped hit still holds the key";

  for (int c = 0; c < 40; ++c) input->p_KeyEvent(c_VgGameEvent::KeyChar, 'a' + c);
  for (int c = 0; c < 32; ++c) ASSERT_EQ(vg_input_GetChar(), 'a' + c);
  EXPECT_EQ(vg_input_GetChar(), 0);

  input->p_EndUpdate();
  for (int k = 100; k < 133; ++k) ASSERT_EQ(vg_input_KeyHit(k), 0);
  EXPECT_EQ(vg_input_GetChar(), 0);
  input->p_KeyEvent(c_VgGameEvent::KeyChar, 'z');
  EXPECT_EQ(vg_input_GetChar(), 'z');
}

TEST_F(InputTest, JoystickButtonsArePolledAndHitOncePerPress) {
  std::vector<bool> buttons(32, false);
  buttons[3] = true;
  host->joysticks[0] = std::vector<bool>(32, false);
  host->joysticks[1] = buttons;

  input->p_BeginUpdate();
  EXPECT_EQ(vg_input_KeyHit(291), 1);
  EXPECT_EQ(vg_input_JoyHit(3, 1), 1);
  EXPECT_EQ(vg_input_JoyDown(3, 1), 1);
  EXPECT_EQ(vg_input_JoyX(0, 1), 0.5f);
  input->p_EndUpdate();

  input->p_BeginUpdate();
  EXPECT_EQ(vg_input_JoyHit(3, 1), 0) << "a held button is hit once";
  EXPECT_EQ(vg_input_JoyDown(3, 1), 1);
  input->p_EndUpdate();

  host->joysticks[1][3] = false;
  input->p_BeginUpdate();
  EXPECT_EQ(vg_input_JoyDown(3, 1), 0);
}

TEST_F(InputTest, PollingStopsAtTheFirstAbsentUnit) {
  host->joysticks[0] = std::vector<bool>(32, false);
  host->joysticks[1] = std::vector<bool>(32, false);
  host->joysticks[3] = std::vector<bool>(32, true);  // unreachable behind absent unit 2
  input->m__keyDown[256 + 3 * 32] = true;

  input->p_BeginUpdate();
  EXPECT_EQ(host->polls, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(vg_input_JoyDown(0, 3), 1) << "unit 3 keeps its last state";
  EXPECT_EQ(vg_input_JoyHit(1, 3), 0);

  host->joysticks.erase(0);
  host->polls.clear();
  input->p_BeginUpdate();
  EXPECT_EQ(host->polls, (std::vector<int>{0}));
}

TEST_F(InputTest, QueriesOutsideTheirRangesGiveZero) {
  input->p_KeyEvent(c_VgGameEvent::KeyDown, 511);
  input->p_KeyEvent(c_VgGameEvent::KeyDown, 416);
  EXPECT_EQ(vg_input_KeyDown(511), 1);
  for (int key : {0, -1, 512, 100000}) {
    EXPECT_EQ(vg_input_KeyDown(key), 0) << key;
    EXPECT_EQ(vg_input_KeyHit(key), 0) << key;
  }
  EXPECT_EQ(vg_input_MouseDown(510), 1);
  EXPECT_EQ(vg_input_MouseDown(511), 0);
  EXPECT_EQ(vg_input_MouseHit(-1), 0);
  EXPECT_EQ(vg_input_MouseDown(2147483647), 0);
  EXPECT_EQ(vg_input_TouchDown(32), 1) << "finger 32 reads key 416, still a key code";
  EXPECT_EQ(vg_input_TouchDown(128), 0);
  EXPECT_EQ(vg_input_TouchDown(-385), 0);
  EXPECT_EQ(vg_input_JoyDown(0, 16), 0) << "256 | 512 is past the key space";
  EXPECT_EQ(vg_input_JoyDown(-1, 0), 0);
  EXPECT_EQ(vg_input_JoyX(2, 0), 0);
  EXPECT_EQ(vg_input_JoyY(0, 4), 0);
  EXPECT_EQ(vg_input_JoyY(-1, -1), 0);
  EXPECT_EQ(vg_input_TouchX(32), 0);
  EXPECT_EQ(vg_input_TouchY(-1), 0);
}

TEST_F(InputTest, EventsOutsideTheKeySpaceAreIgnored) {
  input->p_KeyEvent(c_VgGameEvent::KeyDown, 512);
  input->p_KeyEvent(c_VgGameEvent::KeyDown, -7);
  input->p_KeyEvent(c_VgGameEvent::KeyUp, 9999);
  input->p_MouseEvent(c_VgGameEvent::MouseDown, -2, 1, 1);
  input->p_TouchEvent(c_VgGameEvent::TouchDown, 40, 1, 1);
  input->p_TouchEvent(c_VgGameEvent::TouchMove, -1, 1, 1);
  input->p_PutKeyHit(600);
  EXPECT_EQ(input->m__keyHitPut, 0);
  EXPECT_EQ(vg_input_TouchX(0), 1) << "a bad button still moves the pointer";
}

TEST_F(InputTest, KeyboardSwitchReachesTheHost) {
  vg_input_DisableKeyboard();
  EXPECT_FALSE(host->KeyboardEnabled());
  vg_input_EnableKeyboard();
  EXPECT_TRUE(host->KeyboardEnabled());
}

}  // namespace
