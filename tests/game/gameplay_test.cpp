// The game screen through the headless harness, one game per child process: whole scripted
// games from the title menu to game over (checked along the way and compared for replay
// determinism), the pools at their limits, what shot objects pay, the pause in a fight (by a
// suspend, by its icon), and five games in a row that must not grow.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "framework/app.h"
#include "game/myapp.h"
#include "runtime/gc.h"
#include "tests/support/harness.h"
#include "tests/support/soak.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using vgtest::Harness;
using vgtest::Steer;

namespace {

int Count(c_MyApp* a, int type) {
  int n = 0;
  for (int i = 0; i < kObjects; ++i) n += static_cast<int>(a->m_Objects[i * kPoolRecord + kObjType]) == type;
  return n;
}

// Starts a game from the title menu with the fire key, which stays held.
c_MyApp* EnterGame(Harness& h) {
  h.Start(), h.FinishLoading(), h.Frame(5), h.Press(vgtest::kKeySpace);
  for (int i = 0; i < 10 && h.app()->m_Screen != kScreenGame; ++i) h.Update();
  EXPECT_EQ(h.app()->m_Screen, kScreenGame);
  return h.app();
}

bool AllZero(const float* from, const float* to) {
  return std::all_of(from, to, [](float v) { return v == 0; });
}

struct Outcome { int score, seed; };

// A whole game with fire held (checking the game's rules on the way) or tapped 3 on, 3 off.
Outcome PlayWholeGame(bool tap) {
  Harness h;
  c_MyApp* a = EnterGame(h);
  int lastShot = -1, hits = 0, victoryFrames = 0, gameOverTimer = -1, lowestBonus = 5000;
  int badGaps = 0, shots = 0, powerBefore8 = 0, powerFrom8 = 0, names = 0, stars = 0, tough = 0;
  int wrongPictures = 0;
  for (int f = 0; a->m_Screen == kScreenGame && f < 12000; ++f) {
    Steer(h, a);
    if (tap) (f / 3) % 2 ? h.Release(vgtest::kKeySpace) : h.Press(vgtest::kKeySpace);
    int phase = a->m_Phase, score = a->m_Score, bonus = a->m_Bonus, health = a->m_Actors[kEnemyHealth];
    h.Update();
    if (tap) continue;
    if (a->m_Actors[kCooldown] == 10) {  // a shot left this frame, 20 px in front of the ship
      EXPECT_GT(a->m_Actors[kPlayerX], 30);
      badGaps += lastShot >= 0 && f - lastShot != 10;
      ++shots, lastShot = f;
      for (int i = 0; i < kBullets; ++i)
        if (a->m_Bullets[i * kPoolRecord + kBulActive] && a->m_Bullets[i * kPoolRecord + kBulX] == a->m_Actors[kPlayerX] + 20)
          (a->m_Coins < 8 ? powerBefore8 : powerFrom8) = static_cast<int>(a->m_Bullets[i * kPoolRecord + kBulPower]);
    } else if (a->m_Actors[kPlayerX] <= 30) {
      for (int i = 0; i < kBullets; ++i) EXPECT_EQ(a->m_Bullets[i * kPoolRecord + kBulActive], 0) << "fired before x 30";
    }
    if (phase == 1) hits += static_cast<int>(health - a->m_Actors[kEnemyHealth]);
    if (phase == 1 && a->m_Phase == 2) {
      EXPECT_EQ(hits, 51);
      EXPECT_EQ(a->m_Score - score, 1 + bonus) << "the kill pays the bonus held at that moment";
      std::vector<std::pair<float, char>> letters;
      for (int i = 0; i < kObjects; ++i)
        if (a->m_Objects[i * kPoolRecord + kObjType] == kObjLetter)
          letters.push_back({a->m_Objects[i * kPoolRecord + kObjX], static_cast<char>(a->m_Objects[i * kPoolRecord + kObjFrame] + 32)});
      std::sort(letters.begin(), letters.end());
      std::string word;
      for (auto& l : letters) word += l.second;
      EXPECT_EQ(word, "CONGRATULATIONS!");
    }
    victoryFrames += phase == 2;
    EXPECT_TRUE(a->m_ShownScore <= a->m_Score && (phase != 2 || a->m_Phase != 3 || a->m_ShownScore == a->m_Score))
        << "the score line eases up to the score and has landed by the credits, frame " << f;
    lowestBonus = std::min(lowestBonus, a->m_Bonus);
    names = std::max(names, Count(a, kObjNameA) + Count(a, kObjNameB));
    for (int i = 0; i < kObjects; ++i) {  // a credit name's picture is on sheet output or outputb
      const float* o = &a->m_Objects[i * kPoolRecord];
      wrongPictures += (o[kObjType] == kObjNameA || o[kObjType] == kObjNameB) &&
                       o[kObjType] != (o[kObjFrame] > 1024 ? kObjNameB : kObjNameA);
    }
    stars = std::max(stars, Count(a, kObjStar));
    tough = std::max(tough, Count(a, kObjToughLetter));
    if (gameOverTimer < 0 && a->m_GameOver) gameOverTimer = a->m_PhaseTimer;
  }
  if (!tap) {
    EXPECT_TRUE(badGaps == 0 && shots > 700) << "held fire shoots every 10 frames";
    EXPECT_TRUE(victoryFrames == 120 && lowestBonus == 100) << victoryFrames << " " << lowestBonus;
    EXPECT_TRUE(names > 0 && stars > 0 && tough > 0 && wrongPictures == 0)
        << names << " " << stars << " " << tough << " " << wrongPictures;
    EXPECT_TRUE(powerBefore8 == 1 && powerFrom8 >= 2) << "the 8th coin raises bullet power";
    EXPECT_TRUE(gameOverTimer == 6451 && a->m_Screen == kScreenEnterMenu) << gameOverTimer;
    int onMenu = 0;
    for (int f = 0; f < 60; ++f) h.Update(), onMenu += a->m_Screen == kScreenMenu;
    EXPECT_EQ(onMenu, 60) << "fire held from the game starts no new one";
    h.Release(vgtest::kKeySpace), h.Update();
    h.Tap(vgtest::kKeySpace), h.Update();
    EXPECT_NE(a->m_Screen, kScreenMenu) << "a fresh press starts again";
    for (int i = 0; i < 10 && a->m_Screen != kScreenGame; ++i) h.Update();
    EXPECT_EQ(0, a->m_Score + a->m_ShownScore + a->m_GameOver + a->m_GameOverTimer + a->m_Paused + a->m_Phase);
    EXPECT_TRUE(a->m_Bonus == 5000 && a->m_Coins == 6 && a->m_Actors[kPlayerX] == -650) << "nothing left from the last game";
    EXPECT_EQ(0, Count(a, kObjNameA) + Count(a, kObjNameB)) << "no credit names left on screen";
  }
  return {a->m_Score, vg_random_Seed};
}

// The fight with the ship in front of the enemy and fire let go.
c_MyApp* InFight(Harness& h) {
  c_MyApp* a = EnterGame(h);
  a->m_Actors[kPlayerX] = 32;
  a->m_Actors[kEnemyX] = 448;
  a->m_Actors[kPlayerY] = a->m_Actors[kTargetY] = a->m_Actors[kEnemyY];
  h.Release(vgtest::kKeySpace), h.Update();
  return a;
}

}  // namespace

TEST(Gameplay, WholeGameFromTheTitleMenuToGameOverReplaysTheSameForTheSameInput) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  auto run = [&](bool tap) {
    VG_IN_CHILD([&] {
      Outcome o = PlayWholeGame(tap);
      EXPECT_EQ(write(fds[1], &o, sizeof o), static_cast<ssize_t>(sizeof o));
    });
    Outcome o{};
    EXPECT_EQ(read(fds[0], &o, sizeof o), static_cast<ssize_t>(sizeof o));
    return o;
  };
  Outcome first = run(false), second = run(false), tapped = run(true);
  close(fds[0]), close(fds[1]);
  EXPECT_TRUE(first.score == second.score && first.seed == second.seed) << first.score << " " << second.score;
  EXPECT_NE(first.score, tapped.score);
}

TEST(Gameplay, FullPoolsDropOrReplaceWithoutStrayWritesAndShotObjectsPayByType) {
  VG_IN_CHILD([] {
    Harness h;
    c_MyApp* a = InFight(h);
    for (int i = 0; i < kBullets; ++i) a->m_Bullets[i * kPoolRecord + kBulActive] = 1;
    int seed = vg_random_Seed;
    a->p_Fire(100, 100);
    EXPECT_TRUE(a->m_Bullets[24 * kPoolRecord + kBulX] == 0 && vg_random_Seed == seed) << "a full pool fires nothing, draws no number";
    a->m_Bullets[7 * kPoolRecord] = a->m_Bullets[12 * kPoolRecord] = 0;
    a->p_Fire(100, 90);
    EXPECT_TRUE(a->m_Bullets[12 * kPoolRecord + kBulX] == 100 && a->m_Bullets[7 * kPoolRecord] == 0) << "the highest-numbered free bullet is taken";
    for (int i = 0; i < kObjects; ++i) a->m_Objects[i * kPoolRecord + kObjType] = 1, a->m_Objects[i * kPoolRecord + kObjX] = 5;
    a->p_AddObj(kObjLetter, 77, 88, 5);
    EXPECT_TRUE(a->m_Objects[kObjX] == 77 && a->m_Objects[kPoolRecord + kObjX] == 5) << "the newest object replaces record 0";
    EXPECT_TRUE(AllZero(a->m_Objects.Data() + kObjects * kPoolRecord, a->m_Objects.Data() + 5100));
    for (int i = 0; i < kObjects; ++i) a->m_Objects[i * kPoolRecord + kObjType] = 0;
    for (int i = 0; i <= 250; ++i) a->m_Particles[i * kPoolRecord + kPartKind] = 1, a->m_Particles[i * kPoolRecord + kPartLife] = 90;
    for (int i = 0; i < kBullets; ++i) a->m_Bullets[i * kPoolRecord + kBulActive] = 0;
    h.Press(vgtest::kKeySpace), h.Update(60);
    EXPECT_LT(a->m_Actors[kEnemyHealth], 50) << "the hits landed";
    int alive = 0;
    for (int i = 0; i <= 250; ++i) alive += a->m_Particles[i * kPoolRecord + kPartKind] == 1;
    EXPECT_EQ(alive, 251);
    EXPECT_TRUE(AllZero(a->m_Particles.Data() + 251 * kPoolRecord, a->m_Particles.Data() + 5100));

    h.Release(vgtest::kKeySpace);
    a->m_Phase = 3, a->m_PhaseTimer = 10;  // no enemy in the way, no credit group due for a while
    // Type, health, bullet power, letters stacked in the bullet's path; points, coins, power left.
    struct Case { int type; float health, power; int stacked, points, coins; float left; };
    for (const Case& c : {Case{kObjLetter, 1, 1, 1, 6, 0, 0}, Case{kObjStar, 1, 1, 1, 105, 1, 0},
                          Case{kObjToughLetter, 32, 1, 1, 5, 0, 0}, Case{kObjNameA, 1, 1, 1, 5, 0, 0},
                          Case{kObjNameB, 2, 1, 1, 0, 0, 0}, Case{kObjLetter, 1, 2, 2, 12, 0, 0},
                          Case{kObjLetter, 1, 3, 2, 12, 0, 1}}) {
      for (int i = 0; i < kObjects * kPoolRecord; ++i) a->m_Objects[i] = 0;
      for (int i = 0; i < kBullets * kPoolRecord; ++i) a->m_Bullets[i] = 0;
      for (int k = 0; k < c.stacked; ++k) {
        float* o = &a->m_Objects[k * kPoolRecord];
        o[kObjType] = static_cast<float>(c.type), o[kObjX] = 300, o[kObjY] = 200, o[kObjFlyIn] = o[kObjSpeedY] = 0;
        o[kObjDelay] = 100, o[kObjFrame] = 40, o[kObjSize] = 2, o[kObjHealth] = c.health;
      }
      float* b = &a->m_Bullets[0];
      b[kBulActive] = 1, b[kBulX] = 280, b[kBulY] = 200, b[kBulDX] = 20, b[kBulDY] = 0, b[kBulPower] = c.power;
      int score = a->m_Score, coins = a->m_Coins;
      h.Update();
      EXPECT_TRUE(a->m_Score - score == c.points && a->m_Coins - coins == c.coins &&
                  (a->m_Bullets[kBulActive] != 0 ? a->m_Bullets[kBulPower] : 0) == c.left) << "type " << c.type << " power " << c.power;
    }
  });
}

TEST(Gameplay, SuspendPausesAndThePauseStopsTheVictoryCountButNotTheFightOrTheBonus) {
  VG_IN_CHILD([] {
    Harness h;
    c_MyApp* a = InFight(h);
    a->m_Actors[kEnemyHealth] = 2;
    for (int i = 0; i < 3; ++i) {
      float* b = &a->m_Bullets[i * kPoolRecord];
      b[kBulActive] = 1, b[kBulX] = 200 - 60.0f * i, b[kBulY] = a->m_Actors[kEnemyY], b[kBulDX] = 20, b[kBulPower] = 1;
    }
    a->m_PadKeys[kGameLeft] = 2;
    vg_Vantorell_iCadeControls = 1;
    h.Suspend();  // comes back paused, the panel half way down, the pad and the cabinet let go
    EXPECT_EQ(std::vector<int>({1, 1, 240, 5, 0, 0}),
              std::vector<int>({a->m_Paused, a->m_PauseStage, a->m_PauseSlide, vg_app__updateRate,
                                a->m_PadKeys[kGameLeft], vg_Vantorell_iCadeControls}));
    EXPECT_FALSE(h.host()->KeyboardEnabled());
    h.Resume();
    ASSERT_TRUE(a->m_Paused == 1 && vg_app__updateRate == 60);
    for (int f = 0; f < 200 && a->m_Phase == 1; ++f) h.Update();
    EXPECT_EQ(a->m_Phase, 2) << "bullets kept hitting the enemy under the pause";
    int bonus = a->m_Bonus;
    h.Update(100);
    EXPECT_TRUE(a->m_PhaseTimer == 120 && a->m_Bonus == bonus - 100) << "the count waits, the bonus falls";
    h.Tap(vgtest::kKeyEscape);
    int unpaused = 0;
    for (int f = 0; f < 400 && a->m_Phase == 2; ++f) unpaused += a->m_Paused == 0, h.Update();
    EXPECT_TRUE(a->m_Phase == 3 && unpaused == 120) << unpaused;

    h.Update(30), h.MouseDown(16, 16), h.Update();
    EXPECT_EQ(a->m_Paused, 1) << "the pause icon";
    a->m_Paused = 0;  // as if resumed while the button stays down
    h.Update(5);
    EXPECT_EQ(a->m_Paused, 0) << "the icon needs a fresh touch";
    h.MouseUp(), h.Update(), h.MouseDown(16, 16), h.Update();
    EXPECT_EQ(a->m_Paused, 1);
  });
}

// Long sessions must not grow (menus, options, pause, a resize, full screen and back in each
// game): sound buffers, textures and the collector's heap stay where they were after the
// second game; with the roots let go, everything allocated was owned by something collected.
TEST(LongSession, FiveGamesHoldNoMoreThanTwoAndLeaveNothingOnceTheRootsAreReleased) {
  VG_IN_CHILD([] {
    Harness h;
    vgtest::Soak soak(h);
    std::vector<vgtest::SoakSample> after{soak.Sample()};
    for (int g = 1; g <= 5; ++g) {
      ASSERT_TRUE(soak.PlayGame()) << soak.error();
      after.push_back(soak.Sample());
    }
    for (int g = 3; g <= 5; ++g) {
      const vgtest::SoakSample &s = after[g], &two = after[2];
      EXPECT_TRUE(s.alBuffers == two.alBuffers && s.glTextures == two.glTextures &&
                  s.outsideBytes == two.outsideBytes && s.collectorBytes <= two.collectorBytes * 51 / 50)
          << "game " << g << "\n" << vgtest::Soak::Table(after);
    }
    gc_clear_roots();
    for (int cycle = 0; cycle < 2; ++cycle) gc_new_bytes = gc_step_bytes + 1, gc_collect();
    while (gc_free_bytes > 0) Array<int> sink(gc_free_bytes / 4 + 1);  // destroys the garbage
    EXPECT_EQ(gc_external_bytes, 0) << "pixels or sound buffers reported and never given back";
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "leaks are listed above";
#endif
  });
}
