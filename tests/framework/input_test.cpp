// The input module driven as the delegate and the game drive it: the left button and first
// finger mirroring each other, hit and character queues per update, joystick polling, and the
// range rules of events and queries.
#include "framework/input.h"

#include "framework/app.h"
#include "tests/framework/framework_fixture.h"

namespace {

class InputTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    vg_input_SetInputDevice(in = (new c_InputDevice)->m_new());
  }
  c_InputDevice* in = nullptr;
};

TEST_F(InputTest, LeftButtonAndFirstFingerPressReleaseAndMoveEachOtherOnly) {
  in->p_MouseEvent(c_VgGameEvent::MouseDown, 0, 10, 20);
  EXPECT_TRUE(vg_input_KeyHit(1) == 1 && vg_input_KeyHit(384) == 1 && vg_input_TouchDown(0) == 1);
  EXPECT_EQ(vg_input_TouchY(0), 20);
  in->p_MouseEvent(c_VgGameEvent::MouseUp, 0, 99, 99);
  EXPECT_TRUE(vg_input_KeyDown(1) == 0 && vg_input_TouchDown(0) == 0 && vg_input_MouseX() == 10)
      << "a release records no hit and carries no position";
  in->p_EndUpdate();
  in->p_TouchEvent(c_VgGameEvent::TouchDown, 0, 5, 6);
  EXPECT_TRUE(vg_input_MouseHit(0) == 1 && vg_input_MouseX() == 5);
  in->p_TouchEvent(c_VgGameEvent::TouchDown, 3, 50, 60);
  EXPECT_TRUE(vg_input_TouchX(3) == 50 && vg_input_MouseX() == 5);
  in->p_MouseEvent(c_VgGameEvent::MouseDown, 1, 0, 0);
  EXPECT_TRUE(vg_input_KeyDown(2) == 1 && vg_input_TouchDown(1) == 0);
}

TEST_F(InputTest, HitsCountPressesBetweenUpdatesUpTo33AndCharacters32) {
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 65);
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 65);  // auto-repeat is no hit
  in->p_KeyEvent(c_VgGameEvent::KeyUp, 65);
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 65);
  EXPECT_TRUE(vg_input_KeyHit(65) == 2 && vg_input_KeyDown(65) == 1);
  in->p_EndUpdate();
  EXPECT_TRUE(vg_input_KeyHit(65) == 0 && vg_input_KeyDown(65) == 1) << "held across updates";
  for (int k = 100; k < 140; ++k) in->p_KeyEvent(c_VgGameEvent::KeyDown, k);
  EXPECT_TRUE(vg_input_KeyHit(132) == 1 && vg_input_KeyHit(133) == 0) << "the 34th hit is dropped";
  EXPECT_EQ(vg_input_KeyDown(139), 1) << "a dropped hit still holds the key";
  for (int c = 0; c < 40; ++c) in->p_KeyEvent(c_VgGameEvent::KeyChar, 'a' + c);
  for (int c = 0; c < 32; ++c) ASSERT_EQ(vg_input_GetChar(), 'a' + c);
  EXPECT_EQ(vg_input_GetChar(), 0);
  in->p_EndUpdate();
  in->p_KeyEvent(c_VgGameEvent::KeyChar, 'z');
  EXPECT_TRUE(vg_input_KeyHit(100) == 0 && vg_input_GetChar() == 'z');
}

TEST_F(InputTest, JoysticksArePolledUpToTheFirstAbsentUnitAndAHeldButtonHitsOnce) {
  host->joysticks[0] = std::vector<bool>(32, false);
  host->joysticks[1] = host->joysticks[0];
  host->joysticks[1][3] = true;
  host->joysticks[3] = std::vector<bool>(32, true);  // unreachable behind absent unit 2
  in->m__keyDown[256 + 3 * 32] = true;
  in->p_BeginUpdate();
  EXPECT_EQ(host->log, (std::vector<std::string>{"poll0", "poll1", "poll2"}));
  EXPECT_TRUE(vg_input_KeyHit(291) == 1 && vg_input_JoyHit(3, 1) == 1 && vg_input_JoyX(0, 1) == 0.5f);
  EXPECT_TRUE(vg_input_JoyDown(0, 3) == 1 && vg_input_JoyHit(1, 3) == 0) << "unit 3 keeps its state";
  in->p_EndUpdate();
  in->p_BeginUpdate();
  EXPECT_TRUE(vg_input_JoyHit(3, 1) == 0 && vg_input_JoyDown(3, 1) == 1);
  host->joysticks.erase(0);
  host->log.clear();
  in->p_BeginUpdate();
  EXPECT_EQ(host->log, std::vector<std::string>{"poll0"});
}

TEST_F(InputTest, EventsAndQueriesOutsideTheirRangesAreIgnoredOrGiveZero) {
  for (int key : {512, -7}) in->p_KeyEvent(c_VgGameEvent::KeyDown, key);
  in->p_MouseEvent(c_VgGameEvent::MouseDown, -2, 1, 1);
  in->p_TouchEvent(c_VgGameEvent::TouchDown, 40, 1, 1);
  in->p_PutKeyHit(600);
  EXPECT_EQ(in->m__keyHitPut, 0);
  EXPECT_EQ(vg_input_TouchX(0), 1) << "a bad button still moves the pointer";
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 511);
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 416);
  EXPECT_TRUE(vg_input_KeyDown(511) == 1 && vg_input_MouseDown(510) == 1);
  EXPECT_EQ(vg_input_TouchDown(32), 1) << "finger 32 reads key 416, still a key code";
  for (int key : {0, -1, 512, 100000}) EXPECT_TRUE(vg_input_KeyDown(key) == 0 && vg_input_KeyHit(key) == 0) << key;
  float zeros[] = {float(vg_input_MouseDown(511)), float(vg_input_MouseHit(-1)),
                   float(vg_input_MouseDown(2147483647)), float(vg_input_TouchDown(128)),
                   float(vg_input_TouchDown(-385)), float(vg_input_JoyDown(0, 16)),
                   float(vg_input_JoyDown(-1, 0)), vg_input_JoyX(2, 0), vg_input_JoyY(0, 4),
                   vg_input_JoyY(-1, -1), vg_input_TouchX(32), vg_input_TouchY(-1)};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(zeros[i], 0) << "query " << i;
}

}  // namespace
