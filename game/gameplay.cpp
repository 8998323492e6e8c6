// The game screen's frame: the ship, its bullets, the one enemy, the letter objects, the
// bonus and the score line, and the pause request. p_OnUpdate calls p_Game then p_InGame on
// screen 10; the credits phase lives in credits_roll.cpp, the effects in effects.cpp.
#include <cmath>
#include <cstdlib>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/random.h"
#include "game/myapp.h"

namespace {

// m_Actors entries.
enum {
  kPlayerX = 1,
  kPlayerY = 2,
  kCooldown = 3,
  kTargetY = 4,
  kEnemyX = 5,
  kEnemyY = 6,
  kEnemyHealth = 7,
  kStarDriftX = 51,
  kStarDriftY = 52,
};

constexpr int kBullets = 25;
constexpr int kObjects = 501;

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
    if (m_Bullets[i * 10] == 0) slot = i;
  }
  if (slot < 0) return 0;
  float* b = &m_Bullets[slot * 10];
  b[0] = 1;
  b[1] = x;
  b[2] = y;
  b[3] = 20;
  b[4] = 0;
  b[5] = vg_random_Rnd() * 360;
  b[6] = vg_random_Rnd() * 24 - 12;
  b[9] = static_cast<float>(m_Coins / 4);
  return 0;
}

int c_MyApp::p_AddObj(int type, float x, float y, int frame) {
  int slot = 0;  // a full pool gives up record 0
  for (int i = 0; i < kObjects; ++i) {
    if (m_Objects[i * 10] == 0) {
      slot = i;
      break;
    }
  }
  int stored = type;
  if (type == 2) stored = 1;
  if (type == 3) stored = 2;
  if (type == 9 && frame > 1024) stored = 10;
  float w = vg_Vantorell_jscrw;
  float offset = 0;
  if (type == 2 || type == 3 || type == 9) offset = w + w * vg_random_Rnd();
  float health = 1 + 2 * vg_random_Rnd();
  if (m_Phase == 3) health = 1;
  if (m_Phase == 3 && m_PhaseTimer >= 6051) {
    health = 32;
    stored = 4;
  }
  float* o = &m_Objects[slot * 10];
  o[0] = static_cast<float>(stored);
  o[1] = x;
  o[2] = y;
  o[3] = offset;
  o[4] = 0;
  o[5] = 160;
  o[6] = 0;
  o[7] = static_cast<float>(frame);
  o[8] = m_DrawSizeX;
  o[9] = health;
  return 0;
}

int c_MyApp::p_Gimme(int points, float x, float y) {
  m_Score += points;
  if (m_ParticleMax < 0) return 0;
  int p = p_FreeParticle();
  if (p < 0) return 0;
  float* r = &m_Particles[p];
  r[0] = 99;
  r[1] = x;
  r[2] = y;
  r[3] = 0;
  r[4] = -0.25f;
  r[5] = std::floor(vg_random_Rnd() * 360.99f);
  r[6] = vg_random_Rnd() * 14 - 7;
  r[7] = 1;
  r[8] = 3;
  r[9] = static_cast<float>(points);
  return 0;
}

bool c_MyApp::p_EffectsOn() { return m_Settings[5] == 1 || m_Settings[5] == 2; }

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

  p_DrawImg(1, m_Actors[kPlayerX], m_Actors[kPlayerY], 0);

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
  bool held = m_PointerDown > 0 || p_PlayKey(10, 1, 0) || p_PlayKey(11, 1, 0);
  if (m_Actors[kCooldown] > 0) m_Actors[kCooldown] -= 1;
  if (!held) {
    // Releasing re-arms fire, so every new press shoots at once.
    m_Actors[kCooldown] = 0;
    return;
  }
  if (m_Actors[kCooldown] < 1 && m_Actors[kPlayerX] > 30) {
    m_Actors[kCooldown] = 10;
    p_PlaySFX(1, 1);
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
  p_DrawImg(1, ex, ey, static_cast<float>(8 + tick));
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
    float* b = &m_Bullets[i * 10];
    if (b[0] == 0) continue;
    b[1] += b[3];
    b[2] += b[4];
    b[5] += b[6];
    p_SetSize(1);
    p_SetRot(-b[5]);
    p_DrawImg(1, b[1], b[2], 1);
    p_SetRot(0);
    p_DrawImg(1, b[1], b[2], 2);
    if (b[1] > w + 32) {
      b[0] = 0;
      continue;
    }
    if (m_Phase != 1) continue;
    float ex = m_Actors[kEnemyX], ey = m_Actors[kEnemyY];
    if (std::fabs(b[1] - ex) >= 24 || std::fabs(b[2] - ey) >= 24) continue;
    m_Actors[kEnemyHealth] -= 1;
    b[0] = 0;
    m_Score += 1;
    p_Debris(b[1], b[2], 10);
    if (p_EffectsOn()) p_PlaySFXRaw(3 + static_cast<int>(vg_random_Rnd() * 2.9f), 1, 1, 0);
    // Tested at the hit itself: the phase changes at once, so the enemy falls exactly once
    // and later bullets of this frame fly on.
    if (m_Actors[kEnemyHealth] < 0) {
      m_Phase = 2;
      p_PlaySFX(2, 1);
      vg_audio_StopMusic();
      m_MusicOn = 0;
      m_PhaseTimer = 120;
      p_Gimme(m_Bonus, ex, ey);
      p_AddTXT(w / 2, h / 2, "CONGRATULATIONS!", 4);
    }
  }
  p_ResetDraw();
}

void c_MyApp::p_DoObjects() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i < kObjects; ++i) {
    float* o = &m_Objects[i * 10];
    int type = static_cast<int>(o[0]);
    if (type <= 0) continue;
    if (o[3] > 0) {
      o[3] *= 0.93f;
      o[4] = 0;
    }
    if (o[3] < 4) o[3] -= 0.5f;
    if (o[3] < 0) o[3] = 0;

    if (o[5] > 0) o[5] -= 1;
    if (o[5] < 1) {
      o[2] += o[4];
      if (type == 1 || type == 2 || type == 4 || type == 9 || type == 10) {
        o[4] -= vg_random_Rnd() * 0.025f;
      }
    }
    if (m_Phase == 2) o[4] = 0;

    float x = o[1] + o[3], y = o[2], size = o[8];
    int frame = static_cast<int>(o[7]);
    p_SetSize(size);
    if (type == 1 || type == 2 || type == 4) {
      if (type == 1) {
        p_SetCol(255, 255, 255);
      } else {
        p_SetCol(240, 240, 60);
      }
      if (frame > 0 && frame < 128) p_DrawImg(m_CurFont, x, y, static_cast<float>(frame));
    } else if (type == 9 || type == 10) {
      // Name pictures are loaded unscaled, so the draw size undoes the image scale.
      p_SetSize(m_ImgLevel == 2 ? 2.0f : (m_ImgLevel == 4 ? 4.0f : 1.0f));
      p_SetCol(255, 255, 255);
      p_DrawImg(type - 7, x, y, static_cast<float>(frame % 1024));
    }
    m_HitW = (type == 9 || type == 10) ? 12 : 6;

    for (int j = 0; j < kBullets; ++j) {
      float* b = &m_Bullets[j * 10];
      if (b[0] == 0) continue;
      if (std::fabs(b[1] - x) >= size * 8 + 6 || std::fabs(b[2] - y) >= m_HitW * size + 12) {
        continue;
      }
      o[9] -= 1;
      b[9] -= 1;
      if (b[9] < 1) b[0] = 0;
      if (type == 1) {
        m_Score += 1;
      } else if (type == 2) {
        m_Score += 100;
        m_Coins += 1;
        p_PlaySFX(7, 1);
        if (m_Coins % 4 == 0) p_PlaySFX(6, 1);
      } else if (type == 4) {
        m_Score += 5;
      }
      p_Debris(b[1], b[2], 4);
      if (p_EffectsOn()) p_PlaySFXRaw(3 + static_cast<int>(vg_random_Rnd() * 2.9f), 1, 1, 0);
    }

    if (o[9] < 1) {
      o[0] = 0;
      m_Score += 5;
    } else if (o[1] < -256 || o[2] < -128 || o[1] > w + 256 || o[2] > h + 128) {
      o[0] = 0;
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
  bool request = p_PlayKeyAll(99, 0) > 0 || (vg_Vantorell_isOuya == 1 && p_PlayKeyAll(13, 0) > 0);
  if (request && !m_Paused && !m_KeyLatch) {
    m_KeyLatch = 1;
    p_RequestPause();
  }
  if (!m_HideHud) {
    // The icon needs a fresh touch (m_BackLatch clears when the pointer lifts), so the
    // press that resumes the game cannot pause it again at once.
    if (p_Button(97, 16, 16, 0) && !m_Paused && !m_BackLatch) {
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
  p_PlaySFX(98, 0.5f);
}
