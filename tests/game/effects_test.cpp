// The game screen's effects on a real game object: the starfield's wrap and renewal, letter
// texts built from objects, credit names with their pictures, and the particle pool.
// Each group runs in a child process (one game per process) on a freshly loaded game.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::RunInChild;

namespace {

c_MyApp* Loaded(Harness& h) {
  h.Start();
  h.FinishLoading();
  return h.app();
}

// The seed after n more draws, leaving the generator where it was.
int SeedAfter(int n) {
  int keep = vg_random_Seed;
  for (int i = 0; i < n; ++i) vg_random_Rnd();
  int after = vg_random_Seed;
  vg_random_Seed = keep;
  return after;
}

void ClearObjects(c_MyApp* a) {
  for (int i = 0; i < 501; ++i) a->m_Objects[i * 10] = 0;
}

// The records of live objects, in pool order.
std::vector<const float*> Objects(c_MyApp* a) {
  std::vector<const float*> out;
  for (int i = 0; i < 501; ++i) {
    if (a->m_Objects[i * 10] != 0) out.push_back(&a->m_Objects[i * 10]);
  }
  return out;
}

}  // namespace

TEST(EffectsStars, StarsWrapToTheOppositeEdgeAsNewStars) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = Loaded(h);
    a->p_ResetStars(100);
    for (int i = 0; i <= 100; ++i) a->m_Stars[i * 10 + 1] = 300, a->m_Stars[i * 10 + 2] = 200;
    float* left = &a->m_Stars[0];
    float* right = &a->m_Stars[10];
    float* top = &a->m_Stars[20];
    left[0] = 7, left[1] = -15, left[2] = 100, left[3] = 0.5f;
    right[1] = 655, right[3] = 0.5f;
    top[0] = 7, top[1] = 123, top[2] = -15, top[3] = 0.5f;

    a->m_DrawCount = 0;
    a->p_DoStars(-4, 0);
    EXPECT_FLOAT_EQ(left[1], 655);  // -17 is past the 16-pixel margin: one span further right
    EXPECT_NE(left[2], 100);
    EXPECT_TRUE(left[2] >= -8 && left[2] < 488);
    EXPECT_TRUE(left[3] >= 0.2f && left[3] <= 0.8f && left[3] != 0.5f);
    EXPECT_TRUE(left[0] >= 0 && left[0] <= 255);
    EXPECT_EQ(a->m_DrawCount, 101 * 15) << "one draw per star";
    const float* r = &a->m_DrawList[0];
    EXPECT_EQ(r[0], 96);
    EXPECT_FLOAT_EQ(r[1], 655);
    EXPECT_EQ(r[6], left[0]);
    EXPECT_EQ(r[7], left[3]) << "deeper stars are dimmer";
    EXPECT_FLOAT_EQ(right[1], 653);

    a->p_DoStars(4, 0);
    a->p_DoStars(4, 0);
    EXPECT_FLOAT_EQ(right[1], 657 - 672);  // right edge comes back on the left

    a->p_DoStars(0, -4);
    EXPECT_TRUE(top[2] > 480 && top[2] < 497) << top[2];
    EXPECT_NE(top[1], 125);
    EXPECT_TRUE(top[1] >= -8 && top[1] < 648);
  }), 0);
}

TEST(EffectsText, LettersLineBreaksSizesAndCreditStars) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = Loaded(h);
    a->m_Phase = 1;
    ClearObjects(a);
    a->p_AddTXT(320, 200, "A\\nB", 2);
    auto objs = Objects(a);
    ASSERT_EQ(objs.size(), 2u) << "the backslash and the n make no letters";
    EXPECT_EQ(objs[0][7], 'A' - 32);
    EXPECT_EQ(objs[1][7], 'B' - 32);
    EXPECT_EQ(objs[0][2], 200);
    EXPECT_EQ(objs[1][2], 220) << "one line of the 10-pixel font at size 2";
    EXPECT_GE(objs[0][3], 640) << "sizes up to 3 fly in from the right";
    EXPECT_EQ(objs[0][8], 2);

    ClearObjects(a);
    a->p_AddTXT(320, 200, "Hi!", 4);
    objs = Objects(a);
    ASSERT_EQ(objs.size(), 3u);
    for (auto* o : objs) EXPECT_EQ(o[3], 0) << "size 4 letters appear in place";
    EXPECT_LT(objs[0][1], 320);
    EXPECT_GT(objs[2][1], 320);

    ClearObjects(a);
    a->p_AddTXT(320, 200, "end\\", 4);
    objs = Objects(a);
    ASSERT_EQ(objs.size(), 4u) << "a backslash at the very end is an ordinary letter";
    EXPECT_EQ(objs[3][7], '\\' - 32);

    ClearObjects(a);
    int expected = SeedAfter(1);
    a->p_AddTXT(320, 200, "Nothing", 5);
    EXPECT_TRUE(Objects(a).empty());
    EXPECT_EQ(vg_random_Seed, expected) << "size 5 still draws its one random number";
    EXPECT_EQ(a->m_DrawSizeX, 5);

    // A star follows a credit line five times in six, and never outside the credits.
    int stars = 0;
    for (int i = 0; i < 60; ++i) a->p_AddTXT(320, 100, "x", 2);
    for (auto* o : Objects(a)) stars += o[0] == 2;
    EXPECT_EQ(stars, 0);
    ClearObjects(a);
    a->m_Phase = 3;
    a->m_PhaseTimer = 500;
    for (int i = 0; i < 60; ++i) a->p_AddTXT(320, 100, "x", 2);
    for (auto* o : Objects(a)) {
      if (o[0] != 2) continue;
      ++stars;
      EXPECT_EQ(o[7], 10);
      EXPECT_EQ(o[8], 1.5f);
      EXPECT_EQ(o[9], 1) << "everything added in the credits falls to one hit";
    }
    EXPECT_GT(stars, 40);
    EXPECT_LT(stars, 60);
  }), 0);
}

TEST(EffectsText, ACreditNameComesWithItsOwnPicture) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = Loaded(h);
    a->m_Phase = 3;
    a->m_PhaseTimer = 2400;
    for (int k = 0; k < 40; ++k) {
      ClearObjects(a);
      a->p_AddTwitter();
      auto objs = Objects(a);
      ASSERT_FALSE(objs.empty());
      const float* pic = objs[0];
      int n = static_cast<int>(pic[7]);
      ASSERT_TRUE(n >= 1 && n <= 1438);
      EXPECT_EQ(pic[0], n > 1024 ? 10 : 9);
      std::string shown, name = vg_Vantorell_TwitterName[n].ToUtf8();
      for (size_t i = 1; i < objs.size(); ++i) {
        if (objs[i][0] == 1) shown += static_cast<char>(objs[i][7] + 32);
        EXPECT_EQ(objs[i][2], pic[2] + 20);
      }
      std::string visible;
      for (char c : name) if (c > 32) visible += c;
      EXPECT_EQ(shown, visible);
    }
  }), 0);
}

TEST(EffectsParticles, PoolLimitsLifetimesAndFloatingNumbers) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = Loaded(h);
    a->m_Particles[200] = 1;
    a->p_ResetParticles(10);
    EXPECT_EQ(a->m_ParticleMax, 10);
    EXPECT_EQ(a->m_Particles[200], 1) << "records past the limit are not touched";
    EXPECT_EQ(a->p_FreeParticle(), 100);
    for (int n : {0, -5, 500}) {
      a->m_Particles[50] = 1;
      a->p_ResetParticles(n);
      EXPECT_TRUE(a->m_ParticleMax == 10 && a->m_Particles[50] == 0) << n;
    }
    for (int i = 0; i <= 10; ++i) a->m_Particles[i * 10] = 1;
    EXPECT_EQ(a->p_FreeParticle(), -1);
    int expected = SeedAfter(2);
    a->p_ThrowParticle(1, 1, 1, 9, -3717, -3717);
    EXPECT_EQ(vg_random_Seed, expected) << "a full pool still draws the angle and speed";

    a->m_Particles[200] = 0;
    a->p_ResetParticles(250);
    int score = a->m_Score;
    a->p_Gimme(250, 100, 100);
    EXPECT_EQ(a->m_Score, score + 250);
    a->m_DrawCount = 0;
    a->p_DoParticles();
    ASSERT_EQ(a->m_DrawCount, 3 * 15) << "the number is drawn as three glyphs";
    for (int i = 0; i < 3; ++i) {
      const float* r = &a->m_DrawList[i * 15];
      EXPECT_EQ(r[0], a->m_CurFont);
      EXPECT_EQ(r[6], "250"[i] - 32);
      EXPECT_EQ(r[3], 0) << "floating numbers do not turn";
      EXPECT_TRUE(r[10] == 255 && r[11] == 255 && r[12] < 26) << "yellow";
    }

    a->p_ResetParticles(250);
    a->p_Debris(100, 100, 20);
    auto alive = [&] {
      int n = 0;
      for (int i = 0; i <= 250; ++i) n += a->m_Particles[i * 10] == 1 || a->m_Particles[i * 10] == 2;
      return n;
    };
    EXPECT_EQ(alive(), 20);
    for (int f = 0; f < 69; ++f) a->p_DoParticles();
    EXPECT_EQ(alive(), 20) << "debris lives at least 70 frames";
    for (int f = 69; f < 132; ++f) a->p_DoParticles();
    EXPECT_EQ(alive(), 0) << "and at most 131";
  }), 0);
}
