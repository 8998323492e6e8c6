// The game screen's effects on a freshly loaded game in a child process: texts made of
// letter objects, and credit names with their pictures.
#include <gtest/gtest.h>

#include "game/myapp.h"
#include "tests/support/harness.h"

namespace {
// The seed after n more draws, leaving the generator where it was.
int SeedAfter(int n) {
  int keep = vg_random_Seed;
  for (int i = 0; i < n; ++i) vg_random_Rnd();
  std::swap(keep, vg_random_Seed);
  return keep;
}
// The live objects in pool order, after clearing the pool and running add.
template <class F> std::vector<const float*> Added(c_MyApp* a, F add) {
  for (int i = 0; i < 501; ++i) a->m_Objects[i * 10] = 0;
  add();
  std::vector<const float*> out;
  for (int i = 0; i < 501; ++i)
    if (a->m_Objects[i * 10] != 0) out.push_back(&a->m_Objects[i * 10]);
  return out;
}
#define VG_LOADED_GAME(a) vgtest::Harness h; h.Start(); h.FinishLoading(); c_MyApp* a = h.app()
}  // namespace

TEST(Effects, TextLettersBreakLinesBySizeAndCreditLinesBringStars) {
  VG_IN_CHILD([] {
    VG_LOADED_GAME(a);
    a->m_Phase = 1;
    auto objs = Added(a, [&] { a->p_AddTXT(320, 200, "A\\nB", 2); });
    ASSERT_EQ(objs.size(), 2u) << "the backslash and the n make no letters";
    EXPECT_TRUE(objs[0][7] == 'A' - 32 && objs[1][7] == 'B' - 32);
    EXPECT_EQ(objs[1][2] - objs[0][2], 20) << "one line of the 10-pixel font at size 2";
    EXPECT_GE(objs[0][3], 640) << "sizes up to 3 fly in from the right";
    objs = Added(a, [&] { a->p_AddTXT(320, 200, "Hi!", 4); });
    ASSERT_EQ(objs.size(), 3u);
    for (auto* o : objs) EXPECT_EQ(o[3], 0) << "size 4 letters appear in place";
    EXPECT_TRUE(objs[0][1] < 320 && objs[2][1] > 320) << "centred";
    objs = Added(a, [&] { a->p_AddTXT(320, 200, "end\\", 4); });
    ASSERT_EQ(objs.size(), 4u) << "a backslash at the very end is an ordinary letter";
    EXPECT_EQ(objs[3][7], '\\' - 32);
    int expected = SeedAfter(1);
    EXPECT_TRUE(Added(a, [&] { a->p_AddTXT(320, 200, "Nothing", 5); }).empty());
    EXPECT_EQ(vg_random_Seed, expected) << "size 5 still draws its one random number";
    for (int phase : {1, 3}) {
      a->m_Phase = phase;
      a->m_PhaseTimer = 500;
      int stars = 0;
      for (auto* o : Added(a, [&] { for (int i = 0; i < 60; ++i) a->p_AddTXT(320, 100, "x", 2); }))
        stars += o[0] == 2;
      EXPECT_TRUE(phase == 1 ? stars == 0 : stars > 40 && stars < 60) << stars << " stars in phase " << phase;
    }
  });
}

TEST(Effects, ACreditNameComesWithItsOwnPicture) {
  VG_IN_CHILD([] {
    VG_LOADED_GAME(a);
    a->m_Phase = 3;
    a->m_PhaseTimer = 2400;
    for (int k = 0; k < 40; ++k) {
      auto objs = Added(a, [&] { a->p_AddTwitter(); });
      int n = objs.empty() ? 0 : static_cast<int>(objs[0][7]);
      ASSERT_TRUE(n >= 1 && n <= 1438) << n;
      EXPECT_EQ(objs[0][0], n > 1024 ? 10 : 9) << "the picture of sheet output or outputb";
      std::string shown, visible;
      for (size_t i = 1; i < objs.size(); ++i)
        if (objs[i][0] == 1) shown += static_cast<char>(objs[i][7] + 32);
      for (char c : vg_Vantorell_TwitterName[n].ToUtf8()) if (c > 32) visible += c;
      EXPECT_EQ(shown, visible);
    }
  });
}
