// Effects of the game screen: the shared colour palette, debris and floating-number
// particles and the parallax starfield. Called by p_Game (gameplay.cpp) and the objects
// every frame, and by p_LoadGame when a game starts.
#include <cmath>

#include "framework/random.h"
#include "game/myapp.h"

namespace {

// Marks an angle or a speed that the particle code chooses at random.
constexpr float kRandom = -3717.0f;

// Fractions of 255 per channel; index 0 stands for every colour outside 1 to 9.
constexpr float kPalette[10][3] = {
    {0.3f, 0.3f, 0.3f}, {1.0f, 0.1f, 0.1f}, {1.0f, 0.5f, 0.1f}, {1.0f, 1.0f, 0.1f},
    {0.1f, 1.0f, 0.1f}, {0.1f, 1.0f, 1.0f}, {0.1f, 0.1f, 1.0f}, {0.5f, 0.1f, 1.0f},
    {1.0f, 0.1f, 0.5f}, {1.0f, 1.0f, 1.0f}};

float Clamp255(float v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

float Degrees(float deg) { return deg * 0.0174532925f; }

}  // namespace

int c_MyApp::p_Ink(int colour, float brightness) {
  const float* c = kPalette[(colour >= 1 && colour <= 9) ? colour : 0];
  m_DrawR = Clamp255(c[0] * brightness * 255);
  m_DrawG = Clamp255(c[1] * brightness * 255);
  m_DrawB = Clamp255(c[2] * brightness * 255);
  return 0;
}

int c_MyApp::p_ResetParticles(int n) {
  if (n >= 1 && n < 500) m_ParticleMax = n;
  for (int i = 0; i <= m_ParticleMax; ++i) m_Particles[i * kPoolRecord + kPartKind] = 0;
  return 0;
}

int c_MyApp::p_FreeParticle() {
  for (int i = m_ParticleMax; i >= 0; --i) {
    if (m_Particles[i * kPoolRecord + kPartKind] == 0) return i * kPoolRecord;
  }
  return -1;
}

int c_MyApp::p_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed) {
  // The random angle and speed are drawn before the slot search, so a full pool still
  // advances the generator the same way.
  if (angle == kRandom) angle = vg_random_Rnd() * 360;
  if (speed == kRandom) speed = vg_random_Rnd() * 5 + 3;
  int p = p_FreeParticle();
  if (p < 0) return 0;
  float* r = &m_Particles[p];
  r[kPartKind] = static_cast<float>(kind);
  r[kPartX] = x;
  r[kPartY] = y;
  r[kPartDX] = std::sin(Degrees(angle)) * speed;
  r[kPartDY] = -std::cos(Degrees(angle)) * speed;
  r[kPartAngle] = vg_random_Rnd() * 360;
  r[kPartSpin] = vg_random_Rnd() * 16 - 8;
  r[kPartLife] = vg_random_Rnd() * 0.6f + 0.7f;
  r[kPartColour] = static_cast<float>(colour);
  r[kPartFrame] = std::floor(vg_random_Rnd() * 255.99f);
  return 0;
}

int c_MyApp::p_AddParticle(int kind, float x, float y, float dx, float dy, int frame, int colour,
                           float life) {
  int p = p_FreeParticle();
  if (p < 0) return 0;
  float* r = &m_Particles[p];
  r[kPartKind] = static_cast<float>(kind);
  r[kPartX] = x;
  r[kPartY] = y;
  r[kPartDX] = dx;
  r[kPartDY] = dy;
  r[kPartAngle] = std::floor(vg_random_Rnd() * 360.99f);
  r[kPartSpin] = vg_random_Rnd() * 14 - 7;
  r[kPartLife] = life + 1;
  r[kPartColour] = static_cast<float>(colour);
  r[kPartFrame] = static_cast<float>(frame);
  return 0;
}

int c_MyApp::p_Debris(float x, float y, int count) {
  for (int i = 0; i < count; ++i) {
    int kind = static_cast<int>(1 + vg_random_Rnd() * 1.9f);
    p_ThrowParticle(x, y, kind, 9, kRandom, kRandom);
  }
  return 0;
}

int c_MyApp::p_DoParticles() {
  p_ResetDraw();
  for (int i = 0; i <= m_ParticleMax; ++i) {
    float* r = &m_Particles[i * kPoolRecord];
    int kind = static_cast<int>(r[kPartKind]);
    if (kind <= 0) continue;
    r[kPartX] += r[kPartDX];
    r[kPartY] += r[kPartDY];
    r[kPartAngle] += r[kPartSpin];
    if (kind == 2) {
      r[kPartDX] *= 0.95f;
      r[kPartDY] += 0.2f;
    }
    p_SetRot(kind == kPartNumber ? 0 : r[kPartAngle]);
    p_SetSize(1, 1);
    p_Ink(static_cast<int>(r[kPartColour]), 1);
    p_Alpha(r[kPartLife] > 1 ? 1 : r[kPartLife]);
    float x = r[kPartX] - m_ViewX;
    float y = r[kPartY] - m_ViewY;
    if (kind == kPartNumber) {
      p_Text(x, y, String(static_cast<int>(r[kPartFrame])), 1, 1);
    } else if (kind <= 9) {
      p_DrawImg(kImgParts, x, y, static_cast<int>(r[kPartFrame]));
    }
    r[kPartLife] -= 0.01f;
    if (r[kPartLife] < 0) r[kPartKind] = 0;
  }
  p_ResetDraw();
  return 0;
}

int c_MyApp::p_ResetStars(int n) {
  if (n >= 1 && n < 500) m_StarCount = n;
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i <= m_StarCount; ++i) {
    float* s = &m_Stars[i * kPoolRecord];
    s[kStarFrame] = std::floor(vg_random_Rnd() * 255.99f);
    s[kStarX] = vg_random_Rnd() * (w + 16) - 8;
    s[kStarY] = vg_random_Rnd() * (h + 16) - 8;
    s[kStarDepth] = vg_random_Rnd() * 0.6f + 0.2f;
    s[kStarAngle] = vg_random_Rnd() * 360;
    s[kStarSpin] = vg_random_Rnd() - 0.5f;
  }
  return 0;
}

int c_MyApp::p_DoStars(float vx, float vy) {
  p_ResetDraw();
  if (m_StarCount < 0) return 0;
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  float margin = 16 + vg_Vantorell_overscan;
  float spanX = w + 32 + 2 * vg_Vantorell_overscan;
  float spanY = h + 32 + 2 * vg_Vantorell_overscan;
  for (int i = 0; i <= m_StarCount; ++i) {
    float* s = &m_Stars[i * kPoolRecord];
    s[kStarX] += vx * s[kStarDepth];
    s[kStarY] += vy * s[kStarDepth];
    // A star that wraps comes back as a new one: a fresh height (or column), depth and bit,
    // so the field never shows the same pattern twice.
    if (s[kStarX] < -margin || s[kStarX] > w + margin) {
      s[kStarX] += s[kStarX] < -margin ? spanX : -spanX;
      s[kStarY] = vg_random_Rnd() * (h + 16) - 8;
      s[kStarDepth] = vg_random_Rnd() * 0.6f + 0.2f;
      s[kStarFrame] = std::floor(vg_random_Rnd() * 255.99f);
    }
    if (s[kStarY] < -margin || s[kStarY] > h + margin) {
      s[kStarY] += s[kStarY] < -margin ? spanY : -spanY;
      s[kStarX] = vg_random_Rnd() * (w + 16) - 8;
      s[kStarDepth] = vg_random_Rnd() * 0.6f + 0.2f;
      s[kStarFrame] = std::floor(vg_random_Rnd() * 255.99f);
    }
    s[kStarAngle] += s[kStarSpin];
    p_Alpha(s[kStarDepth]);
    p_DrawImg(kImgParts, s[kStarX], s[kStarY], static_cast<int>(s[kStarFrame]));
  }
  p_ResetDraw();
  return 0;
}
