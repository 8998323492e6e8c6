// Game screen behaviour driven through the headless harness: a scripted game from the title
// menu to the game-over screen, replay determinism, the pools at their limits, and the pause.
// Each scenario runs in its own child process because a process holds one game.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::RunInChild;

namespace {

int ActiveBullets(c_MyApp* a) {
  int n = 0;
  for (int i = 0; i < 25; ++i) n += a->m_Bullets[i * 10] != 0;
  return n;
}

int CountObjects(c_MyApp* a, int type) {
  int n = 0;
  for (int i = 0; i < 501; ++i) n += static_cast<int>(a->m_Objects[i * 10]) == type;
  return n;
}

// Starts the game from the title menu with the fire key, which stays held.
c_MyApp* EnterGame(Harness& h) {
  h.Start();
  h.FinishLoading();
  h.Frame(5);
  h.Press(vgtest::kKeySpace);
  for (int i = 0; i < 10 && h.app()->m_Screen != 10; ++i) h.Update();
  EXPECT_EQ(h.app()->m_Screen, 10);
  return h.app();
}

// Steers the ship toward the enemy in the fight and toward the nearest arrived star in the
// credits, with the arrow keys only.
void Steer(Harness& h, c_MyApp* a) {
  float target = a->m_Actors[2];
  if (a->m_Phase == 1) target = a->m_Actors[6];
  if (a->m_Phase == 3) {
    float best = 1e9f;
    for (int i = 0; i < 501; ++i) {
      const float* o = &a->m_Objects[i * 10];
      if (o[0] != 2 || o[1] + o[3] > 600 || o[1] + o[3] < 80) continue;
      float d = std::abs(o[2] - a->m_Actors[2]);
      if (d < best) best = d, target = o[2];
    }
  }
  float y = a->m_Actors[2];
  if (y < target - 4) h.Press(vgtest::kKeyDown); else h.Release(vgtest::kKeyDown);
  if (y > target + 4) h.Press(vgtest::kKeyUp); else h.Release(vgtest::kKeyUp);
}

struct Outcome {
  int score;
  int seed;
};

// Plays a whole game; fire is held throughout, or tapped (3 frames down, 3 up) when tap is set.
Outcome PlayWholeGame(bool tap) {
  Harness h;
  c_MyApp* a = EnterGame(h);
  for (int f = 0; a->m_Screen == 10 && f < 12000; ++f) {
    Steer(h, a);
    if (tap) (f / 3) % 2 ? h.Release(vgtest::kKeySpace) : h.Press(vgtest::kKeySpace);
    h.Update();
  }
  EXPECT_NE(a->m_Screen, 10);
  return {a->m_Score, vg_random_Seed};
}

}  // namespace

TEST(GameplayPlaythrough, StoryFightVictoryCreditsAndGameOverFromTheTitleMenu) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = EnterGame(h);
    std::vector<int> shotGaps;
    int lastShot = -1, hits = 0, victoryFrames = 0, gameOverTimer = -1;
    int powerBefore8 = 0, powerFrom8 = 0, lowestBonus = 5000, maxNames = 0, maxStars = 0;
    bool sawTough = false;
    for (int f = 0; a->m_Screen == 10 && f < 12000; ++f) {
      Steer(h, a);
      int phase = a->m_Phase, score = a->m_Score, bonus = a->m_Bonus;
      float health = a->m_Actors[7];
      h.Update();
      if (a->m_Actors[3] == 10) {  // a shot left this frame
        EXPECT_GT(a->m_Actors[1], 30);
        if (lastShot >= 0) shotGaps.push_back(f - lastShot);
        lastShot = f;
        // The newest bullet is the only one 20 px in front of the ship.
        for (int i = 0; i < 25; ++i) {
          if (a->m_Bullets[i * 10] && a->m_Bullets[i * 10 + 1] == a->m_Actors[1] + 20) {
            (a->m_Coins < 8 ? powerBefore8 : powerFrom8) = static_cast<int>(a->m_Bullets[i * 10 + 9]);
          }
        }
      } else if (a->m_Actors[1] <= 30) {
        EXPECT_EQ(ActiveBullets(a), 0) << "fired before the ship arrived, frame " << f;
      }
      if (phase == 1) hits += static_cast<int>(health - a->m_Actors[7]);
      if (phase == 1 && a->m_Phase == 2) {
        EXPECT_EQ(hits, 51);
        EXPECT_EQ(a->m_Actors[7], -1);
        EXPECT_EQ(a->m_Score - score, 1 + bonus) << "the kill pays the bonus held at that moment";
        std::vector<std::pair<float, int>> letters;
        for (int i = 0; i < 501; ++i) {
          if (a->m_Objects[i * 10] == 1) letters.push_back({a->m_Objects[i * 10 + 1], i});
        }
        std::sort(letters.begin(), letters.end());
        std::string word;
        for (auto& l : letters) word += static_cast<char>(a->m_Objects[l.second * 10 + 7] + 32);
        EXPECT_EQ(word, "CONGRATULATIONS!");
      }
      if (phase == 2) ++victoryFrames;
      if (phase == 2 && a->m_Phase == 3) {
        EXPECT_EQ(a->m_Score, a->m_ShownScore) << "the score line has landed on the score";
      }
      if (a->m_ShownScore > a->m_Score) ADD_FAILURE() << "score line overshot";
      lowestBonus = std::min(lowestBonus, a->m_Bonus);
      maxNames = std::max(maxNames, CountObjects(a, 9) + CountObjects(a, 10));
      maxStars = std::max(maxStars, CountObjects(a, 2));
      sawTough = sawTough || CountObjects(a, 4) > 0;
      if (gameOverTimer < 0 && a->m_GameOver) gameOverTimer = a->m_PhaseTimer;
    }
    EXPECT_TRUE(std::all_of(shotGaps.begin(), shotGaps.end(), [](int g) { return g == 10; }));
    EXPECT_GT(shotGaps.size(), 700u);
    EXPECT_EQ(victoryFrames, 120);
    EXPECT_EQ(lowestBonus, 100);
    EXPECT_GT(maxNames, 0);
    EXPECT_GT(maxStars, 0);
    EXPECT_TRUE(sawTough) << "the final thanks are tough yellow letters";
    EXPECT_GE(a->m_Coins, 8);
    EXPECT_EQ(powerBefore8, 1);
    EXPECT_GE(powerFrom8, 2);
    EXPECT_EQ(gameOverTimer, 6451);
    EXPECT_EQ(a->m_Screen, 2);
    h.Update();
    EXPECT_EQ(a->m_Screen, 1);
  }), 0);
}

TEST(GameplayPlaythrough, SameInputGivesTheSameGameAndOtherInputAnother) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  auto run = [&](bool tap) {
    EXPECT_EQ(RunInChild([&] {
      Outcome o = PlayWholeGame(tap);
      EXPECT_EQ(write(fds[1], &o, sizeof o), static_cast<ssize_t>(sizeof o));
    }), 0);
    Outcome o{};
    EXPECT_EQ(read(fds[0], &o, sizeof o), static_cast<ssize_t>(sizeof o));
    return o;
  };
  Outcome first = run(false), second = run(false), tapped = run(true);
  close(fds[0]);
  close(fds[1]);
  EXPECT_EQ(first.score, second.score);
  EXPECT_EQ(first.seed, second.seed);
  EXPECT_NE(first.score, tapped.score);
}

TEST(GameplayPools, FullPoolsDropOrReplaceWithoutStrayWrites) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = EnterGame(h);
    h.Release(vgtest::kKeySpace);
    h.Update();

    // All 25 bullets in flight: fire changes nothing and draws no random number.
    for (int i = 0; i < 25; ++i) a->m_Bullets[i * 10] = 1;
    int seed = vg_random_Seed;
    a->p_Fire(100, 100);
    EXPECT_EQ(a->m_Bullets[241], 0);
    EXPECT_EQ(vg_random_Seed, seed);
    a->m_Bullets[70] = a->m_Bullets[120] = 0;
    a->p_Fire(100, 90);
    EXPECT_EQ(a->m_Bullets[121], 100) << "the highest-numbered free bullet is taken";
    EXPECT_EQ(a->m_Bullets[70], 0);
    EXPECT_EQ(a->m_Bullets[129], 1);

    // All 501 object records in use: the newest object replaces record 0.
    for (int i = 0; i < 501; ++i) a->m_Objects[i * 10] = 1, a->m_Objects[i * 10 + 1] = 5;
    a->p_AddObj(1, 77, 88, 5);
    EXPECT_EQ(a->m_Objects[1], 77);
    EXPECT_EQ(a->m_Objects[11], 5);
    EXPECT_TRUE(std::all_of(a->m_Objects.Data() + 5010, a->m_Objects.Data() + 5100,
                            [](float v) { return v == 0; }));
    for (int i = 0; i < 501; ++i) a->m_Objects[i * 10] = 0;

    // All 251 particles alive: hits on the enemy add no debris and the fight goes on.
    for (int i = 0; i <= 250; ++i) a->m_Particles[i * 10] = 1, a->m_Particles[i * 10 + 7] = 90;
    a->m_Actors[1] = 32;
    a->m_Actors[5] = 448;
    a->m_Actors[2] = a->m_Actors[4] = a->m_Actors[6];
    for (int i = 0; i < 25; ++i) a->m_Bullets[i * 10] = 0;
    h.Press(vgtest::kKeySpace);
    h.Update(60);
    EXPECT_LT(a->m_Actors[7], 50);
    int alive = 0;
    for (int i = 0; i <= 250; ++i) alive += a->m_Particles[i * 10] == 1;
    EXPECT_EQ(alive, 251);
    EXPECT_TRUE(std::all_of(a->m_Particles.Data() + 2510, a->m_Particles.Data() + 5100,
                            [](float v) { return v == 0; }));
  }), 0);
}

TEST(GameplayPause, PauseStopsTheVictoryCountButNotTheFight) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = EnterGame(h);
    a->m_Actors[1] = 32;
    a->m_Actors[5] = 448;
    a->m_Actors[2] = a->m_Actors[4] = a->m_Actors[6];
    a->m_Actors[7] = 2;
    // Three bullets on their way; fire is let go so the key latch clears before the pause.
    for (int i = 0; i < 3; ++i) {
      float* b = &a->m_Bullets[i * 10];
      b[0] = 1, b[1] = 200 - 60.0f * i, b[2] = a->m_Actors[6], b[3] = 20, b[9] = 1;
    }
    h.Release(vgtest::kKeySpace);
    h.Update();
    h.Tap(vgtest::kKeyEscape);
    ASSERT_EQ(a->m_Paused, 1);
    for (int f = 0; f < 200 && a->m_Phase == 1; ++f) h.Update();
    EXPECT_EQ(a->m_Phase, 2) << "bullets kept hitting the enemy under the pause";
    EXPECT_EQ(a->m_Paused, 1);
    int bonus = a->m_Bonus;
    h.Update(100);
    EXPECT_EQ(a->m_PhaseTimer, 120);
    EXPECT_LT(a->m_Actors[7], 0);
    EXPECT_EQ(a->m_Bonus, bonus - 100);

    h.Tap(vgtest::kKeyEscape);  // resume from the pause menu
    int unpaused = 0;
    for (int f = 0; f < 400 && a->m_Phase == 2; ++f) {
      unpaused += a->m_Paused == 0;
      h.Update();
    }
    EXPECT_EQ(a->m_Phase, 3);
    EXPECT_EQ(unpaused, 120);
  }), 0);
}

TEST(GameplayPause, PauseIconNeedsAFreshTouch) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = EnterGame(h);
    h.Release(vgtest::kKeySpace);
    h.Update(30);
    h.MouseDown(16, 16);
    h.Update();
    EXPECT_EQ(a->m_Paused, 1);
    EXPECT_EQ(a->m_BackLatch, 1);
    a->m_Paused = 0;  // as if resumed while the button stays down
    h.Update(5);
    EXPECT_EQ(a->m_Paused, 0);
    h.MouseUp();
    h.Update();
    h.MouseDown(16, 16);
    h.Update();
    EXPECT_EQ(a->m_Paused, 1);
  }), 0);
}

TEST(GameplayObjects, ShotObjectsPayByTypeAndPowerPiercesLetters) {
  EXPECT_EQ(RunInChild([] {
    Harness h;
    c_MyApp* a = EnterGame(h);
    h.Release(vgtest::kKeySpace);
    h.Update();
    a->m_Phase = 3;  // no enemy in the way, and no credit group due for a while
    a->m_PhaseTimer = 10;
    // Type, health, bullet power, letters stacked in the bullet's path, then the outcome.
    struct Case { int type; float health; float power; int stacked; int points, coins; float left; };
    const Case cases[] = {{1, 1, 1, 1, 6, 0, 0},   {2, 1, 1, 1, 105, 1, 0}, {4, 32, 1, 1, 5, 0, 0},
                          {9, 1, 1, 1, 5, 0, 0},   {10, 2, 1, 1, 0, 0, 0},  {1, 1, 2, 2, 12, 0, 0},
                          {1, 1, 3, 2, 12, 0, 1}};
    for (const Case& c : cases) {
      for (int i = 0; i < 501; ++i) a->m_Objects[i * 10] = 0;
      for (int k = 0; k < c.stacked; ++k) {
        float* o = &a->m_Objects[k * 10];
        o[0] = static_cast<float>(c.type), o[1] = 300, o[2] = 200, o[3] = 0, o[4] = 0;
        o[5] = 100, o[7] = 40, o[8] = 2, o[9] = c.health;
      }
      float* b = &a->m_Bullets[0];
      b[0] = 1, b[1] = 280, b[2] = 200, b[3] = 20, b[4] = 0, b[9] = c.power;
      int score = a->m_Score, coins = a->m_Coins;
      h.Update();
      EXPECT_EQ(a->m_Score - score, c.points) << "type " << c.type << " power " << c.power;
      EXPECT_EQ(a->m_Coins - coins, c.coins) << "type " << c.type;
      EXPECT_EQ(a->m_Bullets[0] != 0 ? a->m_Bullets[9] : 0, c.left) << "power " << c.power;
    }
  }), 0);
}
