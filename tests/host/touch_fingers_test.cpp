// The page's touch bookkeeping (host/web/touch_fingers.cpp), as the page's frame drives it:
// browser touches by identifier in, the game's finger events out, with a short tap held
// until an update has seen it.
#include <gtest/gtest.h>

#include <vector>

#include "host/web/touch_fingers.h"

namespace {
using E = VgTouchFingers::Event;
enum { kDown = VgTouchFingers::kDown, kUp = VgTouchFingers::kUp, kMove = VgTouchFingers::kMove };

std::vector<E> Drain(VgTouchFingers& f, bool hold) {
  std::vector<E> out;
  f.Deliver(hold, [&out](const E& e) { out.push_back(e); });
  return out;
}

::testing::AssertionResult Same(const std::vector<E>& got, const std::vector<E>& want) {
  bool same = got.size() == want.size();
  for (size_t i = 0; same && i < got.size(); ++i) {
    same = got[i].kind == want[i].kind && got[i].finger == want[i].finger &&
           got[i].x == want[i].x && got[i].y == want[i].y;
  }
  if (same) return ::testing::AssertionSuccess();
  auto out = ::testing::AssertionFailure();
  for (const E& e : got) out << "(" << e.kind << " " << e.finger << " " << e.x << "," << e.y << ") ";
  return out;
}

TEST(TouchFingers, EachTouchHoldsTheLowestFreeFingerForItsLife) {
  VgTouchFingers f;
  // Browsers number touches as they like; the fingers are 0, 1, 2 in order of arrival.
  f.Begin(907, 10, 20);
  f.Begin(12, 30, 40);
  f.Begin(5, 50, 60);
  EXPECT_TRUE(Same(Drain(f, false), {{kDown, 0, 10, 20}, {kDown, 1, 30, 40}, {kDown, 2, 50, 60}}));
  // The middle touch lifts; the third keeps finger 2, a new touch takes the free finger 1.
  f.End(12, 31, 41);
  f.Move(5, 55, 66);
  f.Begin(77, 70, 80);
  EXPECT_TRUE(Same(Drain(f, false), {{kMove, 1, 31, 41},
                                     {kUp, 1, 31, 41},
                                     {kMove, 2, 55, 66},
                                     {kDown, 1, 70, 80}}));
  // A cancelled touch is an up; events of a touch that already ended, or never began, are
  // dropped.
  f.End(907, 11, 21);
  f.End(907, 0, 0);
  f.Move(907, 0, 0);
  f.Move(4242, 0, 0);
  EXPECT_TRUE(Same(Drain(f, false), {{kMove, 0, 11, 21}, {kUp, 0, 11, 21}}));
  // Past 32 fingers a touch has nowhere to go: it and all it does are dropped.
  VgTouchFingers full;
  for (int i = 0; i < 33; ++i) full.Begin(1000 + i, static_cast<float>(i), 0);
  std::vector<E> downs = Drain(full, false);
  ASSERT_EQ(downs.size(), 32u);
  EXPECT_EQ(downs.back().finger, 31);
  full.Move(1032, 5, 5);
  full.End(1032, 5, 5);
  EXPECT_EQ(full.Waiting(), 0u);
}

TEST(TouchFingers, ATapShorterThanAnUpdateIsHeldUntilAnUpdateSawIt) {
  VgTouchFingers f;
  f.Begin(1, 100, 200);
  f.End(1, 102, 203);
  f.Begin(2, 300, 10);
  // The up, and what came after it, wait for an update to have read the finger down.
  EXPECT_TRUE(Same(Drain(f, true), {{kDown, 0, 100, 200}, {kMove, 0, 102, 203}}));
  EXPECT_TRUE(Same(Drain(f, true), {}));
  f.UpdateRan();
  EXPECT_TRUE(Same(Drain(f, true), {{kUp, 0, 102, 203}, {kDown, 0, 300, 10}}));
  // A finger seen down before it lifted goes up at once.
  f.UpdateRan();
  f.End(2, 300, 10);
  EXPECT_TRUE(Same(Drain(f, true), {{kMove, 0, 300, 10}, {kUp, 0, 300, 10}}));
  // With no updates running (a hidden or suspended page) nothing waits.
  f.Begin(3, 1, 1);
  f.End(3, 1, 1);
  EXPECT_TRUE(Same(Drain(f, false), {{kDown, 0, 1, 1}, {kMove, 0, 1, 1}, {kUp, 0, 1, 1}}));
}

TEST(TouchFingers, ADragBetweenFramesKeepsOnlyItsLatestPosition) {
  VgTouchFingers f;
  f.Begin(1, 0, 0);
  f.Begin(2, 500, 500);
  for (int i = 1; i <= 100; ++i) {
    f.Move(1, static_cast<float>(i), 0);
    f.Move(2, 500, static_cast<float>(500 - i));
  }
  // Each finger's moves since its down fold into one; the order of downs is kept.
  EXPECT_TRUE(Same(Drain(f, true), {{kDown, 0, 0, 0}, {kDown, 1, 500, 500},
                                    {kMove, 0, 100, 0}, {kMove, 1, 500, 400}}));
  f.Move(1, 7, 7);
  f.Move(1, 8, 8);
  EXPECT_TRUE(Same(Drain(f, true), {{kMove, 0, 8, 8}}));
}

}  // namespace
