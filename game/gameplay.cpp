// The game screen's frame: the ship, its bullets, the one enemy, the bonus and the score
// line, and the pause request. p_OnUpdate calls p_Game then p_InGame on kScreenGame; the
// letter objects are in objects.cpp, the credits phase in credits_roll.cpp, the effects in
// effects.cpp.
#include <cmath>
#include <cstdlib>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/random.h"
#include "game/myapp.h"

namespace {

const char* const kStory[8] = {
    "We join our hero as",  "he nears the end of",   "his epic adventure.",    "",
    "With only one enemy",  "left to defeat, will", "he return home in time", "for supper?"};
// How much faster than line 1 each following line spreads out (lines 2 to 8).
constexpr float kStorySpread[8] = {0, 2, 2.2f, 2.4f, 2.6f, 2.8f, 3, 3.2f};

}  // namespace

int c_MyApp::p_Rand(float lo, float hi) {
  return static_cast<int>(std::floor(lo + (hi + 0.99f - lo) * vg_random_Rnd()));
}

int c_MyApp::p_ResetPlayers() {
  for (int i = 0; i < 500; ++i) m_Actors[i] = 0;
  m_i = 500;
  return 0;
}

int c_MyApp::p_Fire(float x, float y) {
  int slot = -1;
  for (int i = 0; i < kBullets; ++i) {
    if (m_Bullets[i * kPoolRecord + kBulActive] == 0) slot = i;
  }
  if (slot < 0) return 0;
  float* b = &m_Bullets[slot * kPoolRecord];
  b[kBulActive] = 1;
  b[kBulX] = x;
  b[kBulY] = y;
  b[kBulDX] = 20;
  b[kBulDY] = 0;
  b[kBulAngle] = vg_random_Rnd() * 360;
  b[kBulSpin] = vg_random_Rnd() * 24 - 12;
  b[kBulPower] = static_cast<float>(m_Coins / 4);
  return 0;
}

int c_MyApp::p_Gimme(int points, float x, float y) {
  m_Score += points;
  if (m_ParticleMax < 0) return 0;
  int p = p_FreeParticle();
  if (p < 0) return 0;
  float* r = &m_Particles[p];
  r[kPartKind] = kPartNumber;
  r[kPartX] = x;
  r[kPartY] = y;
  r[kPartDX] = 0;
  r[kPartDY] = -0.25f;
  r[kPartAngle] = std::floor(vg_random_Rnd() * 360.99f);
  r[kPartSpin] = vg_random_Rnd() * 14 - 7;
  r[kPartLife] = 1;
  r[kPartColour] = 3;
  r[kPartFrame] = static_cast<float>(points);
  return 0;
}

int c_MyApp::p_Game() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  p_CLS2D(0, 0, 80, 1);
  m_ClipX = 0;
  m_ClipY = 0;
  m_ClipW = w;
  m_ClipH = h;
  m_ViewX += (m_ViewTargetX - m_ViewX) / 8;
  m_ViewY += (m_ViewTargetY - m_ViewY) / 8;
  p_ResetDraw();

  p_AnalogueControl();
  p_DoStars(m_Actors[kStarDriftX], m_Actors[kStarDriftY]);

  // The ship eases toward its target; only the stored target is clamped, so a frame's
  // easing may start from beyond the edge margin.
  float t = m_Actors[kTargetY] + m_AnalogY * 10;
  m_Actors[kPlayerY] += (t - m_Actors[kPlayerY]) * 0.0625f;
  m_Actors[kTargetY] = t < 32 ? 32 : (t > h - 32 ? h - 32 : t);

  p_DrawImg(kImgSprites, m_Actors[kPlayerX], m_Actors[kPlayerY], 0);

  if (m_Actors[kPlayerX] < 32) m_Actors[kPlayerX] += 1;
  if (m_Actors[kPlayerX] > 30 && m_Phase == 0) m_Phase = 1;
  if (m_GameOver == 1) m_Actors[kPlayerX] += 8;

  p_FireControl();

  if (m_Phase == 3) {
    if (!m_Paused) {
      ++m_PhaseTimer;
      p_CreditsRoll();
      if (m_PhaseTimer > 6450) m_GameOver = 1;
    }
  } else if (m_Phase == 2) {
    if (!m_Paused) p_VictoryPause();
  } else if (m_Phase == 1) {
    p_DrawEnemy();
  } else if (m_Phase == 0) {
    p_Story();
  }

  p_DoParticles();
  p_DoBullets();
  if (m_Bonus >= 101) --m_Bonus;
  p_DoObjects();
  p_ScoreLine();
  return 0;
}

void c_MyApp::p_FireControl() {
  bool held = m_PointerDown > 0 || p_PlayKey(kGameFire, 1, 0) || p_PlayKey(kGameB, 1, 0);
  if (m_Actors[kCooldown] > 0) m_Actors[kCooldown] -= 1;
  if (!held) {
    // Releasing re-arms fire, so every new press shoots at once.
    m_Actors[kCooldown] = 0;
    return;
  }
  if (m_Actors[kCooldown] < 1 && m_Actors[kPlayerX] > 30) {
    m_Actors[kCooldown] = 10;
    p_PlaySFX(kSfxShot, 1);
    p_Fire(m_Actors[kPlayerX], m_Actors[kPlayerY]);
  }
}

void c_MyApp::p_VictoryPause() {
  --m_PhaseTimer;
  // The starfield turns from drifting left to drifting up over the pause.
  float& vx = m_Actors[kStarDriftX];
  float& vy = m_Actors[kStarDriftY];
  if (vx < 0) {
    vx += 0.02f;
    if (vx > 0) vx = 0;
  }
  if (vy > -2) vy -= 0.02f;
  if (m_PhaseTimer <= 0) {
    m_Phase = 3;
    p_PlayTune("Sollenmark", 0);
    m_PhaseTimer = 0;
    m_CredAt = 0;
    m_CredStep = 240;
  }
}

void c_MyApp::p_DrawEnemy() {
  float w = vg_Vantorell_jscrw;
  float& ex = m_Actors[kEnemyX];
  float ey = m_Actors[kEnemyY];
  if (ex > 0.7f * w) ex -= 2;
  int tick = (vg_app_Millisecs() / 300) % 6;
  if (tick < 0) tick += 6;
  p_ResetDraw();
  p_DrawImg(kImgSprites, ex, ey, static_cast<float>(8 + tick));
  p_SetCol(255, 255, 0);
  p_Text(ex, ey + 32, String(m_Bonus), 1, 1);
  p_SetCol(180, 0, 0);
  p_Rect(ex - 26, ey - 32, 52, 8);
  m_BarW = static_cast<int>(m_Actors[kEnemyHealth]);
  if (m_BarW > 0) {
    p_SetCol(0, 255, 0);
    p_Rect(ex - 25, ey - 31, static_cast<float>(m_BarW), 6);
  }
  p_ResetDraw();
}

void c_MyApp::p_Story() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  float px = m_Actors[kPlayerX];
  // The lines arrive spread out, rest while the ship crosses, and fly apart as it arrives.
  int k = 0;
  if (px < -500) {
    k = static_cast<int>(std::fabs(px + 500));
  } else if (px > -60) {
    k = static_cast<int>(-(px + 60));
  }
  p_ResetDraw();
  p_SetSize(2);
  int y = static_cast<int>(h / 2 - 70) + 3 * k;
  for (int i = 0; i < 8; ++i) {
    if (i > 0) y = static_cast<int>(y + 20 + k * kStorySpread[i]);
    p_Text(w / 2, static_cast<float>(y), kStory[i], 1, 1);
  }
  p_ResetDraw();
}

void c_MyApp::p_DoBullets() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i < kBullets; ++i) {
    float* b = &m_Bullets[i * kPoolRecord];
    if (b[kBulActive] == 0) continue;
    b[kBulX] += b[kBulDX];
    b[kBulY] += b[kBulDY];
    b[kBulAngle] += b[kBulSpin];
    p_SetSize(1);
    p_SetRot(-b[kBulAngle]);
    p_DrawImg(kImgSprites, b[kBulX], b[kBulY], 1);
    p_SetRot(0);
    p_DrawImg(kImgSprites, b[kBulX], b[kBulY], 2);
    if (b[kBulX] > w + 32) {
      b[kBulActive] = 0;
      continue;
    }
    if (m_Phase != 1) continue;
    float ex = m_Actors[kEnemyX], ey = m_Actors[kEnemyY];
    if (std::fabs(b[kBulX] - ex) >= 24 || std::fabs(b[kBulY] - ey) >= 24) continue;
    m_Actors[kEnemyHealth] -= 1;
    b[kBulActive] = 0;
    m_Score += 1;
    p_Debris(b[kBulX], b[kBulY], 10);
    if (p_EffectsOn()) p_PlaySFXRaw(kSfxHit + static_cast<int>(vg_random_Rnd() * 2.9f), 1, 1, 0);
    // Tested at the hit itself: the phase changes at once, so the enemy falls exactly once
    // and later bullets of this frame fly on.
    if (m_Actors[kEnemyHealth] < 0) {
      m_Phase = 2;
      p_PlaySFX(kSfxExplosion, 1);
      vg_audio_StopMusic();
      m_MusicOn = 0;
      m_PhaseTimer = 120;
      p_Gimme(m_Bonus, ex, ey);
      p_AddTXT(w / 2, h / 2, "CONGRATULATIONS!", 4);
    }
  }
  p_ResetDraw();
}

void c_MyApp::p_ScoreLine() {
  m_ShownScore -= (m_ShownScore - m_Score) / 6;
  if (std::abs(m_ShownScore - m_Score) <= 5) m_ShownScore = m_Score;
  if (m_HideHud) return;
  p_ResetDraw();
  p_SetCol(100, 255, 100, 0.8f);
  p_SetSize(2);
  p_Text(vg_Vantorell_jscrw / 2, 32, p_rstr(m_ShownScore, 8, "0"), 1, 1);
  p_ResetDraw();
}

int c_MyApp::p_InGame() {
  p_ResetDraw();
  m_MenuSlide = -32;
  bool request = p_PlayKeyAll(kGameBack, 0) > 0 || (vg_Vantorell_isOuya == 1 && p_PlayKeyAll(kGameD, 0) > 0);
  if (request && !m_Paused && !m_KeyLatch) {
    m_KeyLatch = 1;
    p_RequestPause();
  }
  if (!m_HideHud) {
    // The icon needs a fresh touch (m_BackLatch clears when the pointer lifts), so the
    // press that resumes the game cannot pause it again at once.
    if (p_Button(kImgIcons, 16, 16, 0) && !m_Paused && !m_BackLatch) {
      m_BackLatch = 1;
      p_RequestPause();
    }
  }
  if (m_Paused == 1) p_PauseMenu();
  return 0;
}

void c_MyApp::p_RequestPause() {
  // A finished game runs its overlay into the title menu; a pause opened now would outlive it.
  if (m_GameOver > 0) return;
  m_Paused = 1;
  m_PauseStage = 1;
  m_PauseChoice = 0;
  p_PlaySFX(kSfxSelect, 0.5f);
}
