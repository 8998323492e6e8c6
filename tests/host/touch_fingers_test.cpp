// The page's touch bookkeeping (host/web/touch_fingers.cpp), as the page's frame drives it:
// browser touches by identifier in, the game's finger events out, with a short tap held
// until an update has seen it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "host/web/touch_fingers.h"

namespace {

// The events handed over now, e.g. "d0 10,20 m0 12,20 u0 12,20": down, move or up, the
// finger, the position.
std::string Drain(VgTouchFingers& f, bool hold) {
  std::ostringstream out;
  f.Deliver(hold, [&out](const VgTouchFingers::Event& e) {
    out << (out.str().empty() ? "" : " ") << "dum"[e.kind - VgTouchFingers::kDown] << e.finger << " " << e.x << "," << e.y;
  });
  return out.str();
}

TEST(TouchFingers, EachTouchHoldsTheLowestFreeFingerForItsLife) {
  VgTouchFingers f;
  // Browsers number touches as they like; the fingers are 0, 1, 2 in order of arrival.
  f.Begin(907, 10, 20), f.Begin(12, 30, 40), f.Begin(5, 50, 60);
  EXPECT_EQ(Drain(f, false), "d0 10,20 d1 30,40 d2 50,60");
  // The middle touch lifts; the third keeps finger 2, a new touch takes the free finger 1.
  f.End(12, 31, 41), f.Move(5, 55, 66), f.Begin(77, 70, 80);
  EXPECT_EQ(Drain(f, false), "m1 31,41 u1 31,41 m2 55,66 d1 70,80");
  // A cancelled touch is an up; events of a touch that already ended, or never began, are
  // dropped.
  f.End(907, 11, 21), f.End(907, 0, 0), f.Move(907, 0, 0), f.Move(4242, 0, 0);
  EXPECT_EQ(Drain(f, false), "m0 11,21 u0 11,21");
  // Past 32 fingers a touch has nowhere to go: it and all it does are dropped.
  VgTouchFingers full;
  for (int i = 0; i < 33; ++i) full.Begin(1000 + i, static_cast<float>(i), 0);
  std::string downs = Drain(full, false);
  EXPECT_EQ(std::count(downs.begin(), downs.end(), 'd'), 32);
  EXPECT_EQ(downs.substr(downs.rfind('d')), "d31 31,0");
  full.Move(1032, 5, 5), full.End(1032, 5, 5);
  EXPECT_EQ(full.Waiting(), 0u);
}

TEST(TouchFingers, ATapShorterThanAnUpdateIsHeldUntilAnUpdateSawItAndUnreadMovesFold) {
  VgTouchFingers f;
  f.Begin(1, 100, 200), f.End(1, 102, 203), f.Begin(2, 300, 10);
  // The up, and what came after it, wait for an update to have read the finger down.
  EXPECT_EQ(Drain(f, true), "d0 100,200 m0 102,203");
  EXPECT_EQ(Drain(f, true), "");
  f.UpdateRan();
  EXPECT_EQ(Drain(f, true), "u0 102,203 d0 300,10");
  // A finger seen down before it lifted goes up at once.
  f.UpdateRan();
  f.End(2, 300, 10);
  EXPECT_EQ(Drain(f, true), "m0 300,10 u0 300,10");
  // With no updates running (a hidden or suspended page) nothing waits.
  f.Begin(3, 1, 1), f.End(3, 1, 1);
  EXPECT_EQ(Drain(f, false), "d0 1,1 m0 1,1 u0 1,1");
  // Each finger's moves since its down fold into one; the order of downs is kept.
  f.Begin(4, 0, 0), f.Begin(5, 500, 500);
  for (int i = 1; i <= 100; ++i) f.Move(4, static_cast<float>(i), 0), f.Move(5, 500, static_cast<float>(500 - i));
  EXPECT_EQ(Drain(f, true), "d0 0,0 d1 500,500 m0 100,0 m1 500,400");
  f.Move(4, 7, 7), f.Move(4, 8, 8);
  EXPECT_EQ(Drain(f, true), "m0 8,8");
}

}  // namespace
