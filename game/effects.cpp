// Effects of the game screen: the shared colour palette, debris and floating-number
// particles, the parallax starfield, shootable letter texts and the credit names.
// Called by p_Game (gameplay.cpp) every frame and by p_LoadGame when a game starts.
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

// Letter spacing of the game font, the same table the text layout uses.
int Kerning(int c) {
  switch (c) {
    case 'w': case 'm': return 2;
    case 'W': case 'M': return 1;
    case 'i': case 'f': case 'l': return -3;
    case 'j': case 's': case 'k': case 'r': case 'z': case 't': case 'n': return -1;
    default: return 0;
  }
}

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
  for (int i = 0; i <= m_ParticleMax; ++i) m_Particles[i * 10] = 0;
  return 0;
}

int c_MyApp::p_FreeParticle() {
  for (int i = m_ParticleMax; i >= 0; --i) {
    if (m_Particles[i * 10] == 0) return i * 10;
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
  r[0] = static_cast<float>(kind);
  r[1] = x;
  r[2] = y;
  r[3] = std::sin(Degrees(angle)) * speed;
  r[4] = -std::cos(Degrees(angle)) * speed;
  r[5] = vg_random_Rnd() * 360;
  r[6] = vg_random_Rnd() * 16 - 8;
  r[7] = vg_random_Rnd() * 0.6f + 0.7f;
  r[8] = static_cast<float>(colour);
  r[9] = std::floor(vg_random_Rnd() * 255.99f);
  return 0;
}

int c_MyApp::p_AddParticle(int kind, float x, float y, float dx, float dy, int frame, int colour,
                           float life) {
  int p = p_FreeParticle();
  if (p < 0) return 0;
  float* r = &m_Particles[p];
  r[0] = static_cast<float>(kind);
  r[1] = x;
  r[2] = y;
  r[3] = dx;
  r[4] = dy;
  r[5] = std::floor(vg_random_Rnd() * 360.99f);
  r[6] = vg_random_Rnd() * 14 - 7;
  r[7] = life + 1;
  r[8] = static_cast<float>(colour);
  r[9] = static_cast<float>(frame);
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
    float* r = &m_Particles[i * 10];
    int kind = static_cast<int>(r[0]);
    if (kind <= 0) continue;
    r[1] += r[3];
    r[2] += r[4];
    r[5] += r[6];
    if (kind == 2) {
      r[3] *= 0.95f;
      r[4] += 0.2f;
    }
    p_SetRot(kind == 99 ? 0 : r[5]);
    p_SetSize(1, 1);
    p_Ink(static_cast<int>(r[8]), 1);
    p_Alpha(r[7] > 1 ? 1 : r[7]);
    float x = r[1] - m_ViewX;
    float y = r[2] - m_ViewY;
    if (kind == 99) {
      p_Text(x, y, String(static_cast<int>(r[9])), 1, 1);
    } else if (kind <= 9) {
      p_DrawImg(96, x, y, static_cast<int>(r[9]));
    }
    r[7] -= 0.01f;
    if (r[7] < 0) r[0] = 0;
  }
  p_ResetDraw();
  return 0;
}

int c_MyApp::p_ResetStars(int n) {
  if (n >= 1 && n < 500) m_StarCount = n;
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i <= m_StarCount; ++i) {
    float* s = &m_Stars[i * 10];
    s[0] = std::floor(vg_random_Rnd() * 255.99f);
    s[1] = vg_random_Rnd() * (w + 16) - 8;
    s[2] = vg_random_Rnd() * (h + 16) - 8;
    s[3] = vg_random_Rnd() * 0.6f + 0.2f;
    s[5] = vg_random_Rnd() * 360;
    s[6] = vg_random_Rnd() - 0.5f;
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
    float* s = &m_Stars[i * 10];
    s[1] += vx * s[3];
    s[2] += vy * s[3];
    // A star that wraps comes back as a new one: a fresh height (or column), depth and bit,
    // so the field never shows the same pattern twice.
    if (s[1] < -margin || s[1] > w + margin) {
      s[1] += s[1] < -margin ? spanX : -spanX;
      s[2] = vg_random_Rnd() * (h + 16) - 8;
      s[3] = vg_random_Rnd() * 0.6f + 0.2f;
      s[0] = std::floor(vg_random_Rnd() * 255.99f);
    }
    if (s[2] < -margin || s[2] > h + margin) {
      s[2] += s[2] < -margin ? spanY : -spanY;
      s[1] = vg_random_Rnd() * (w + 16) - 8;
      s[3] = vg_random_Rnd() * 0.6f + 0.2f;
      s[0] = std::floor(vg_random_Rnd() * 255.99f);
    }
    s[5] += s[6];
    p_Alpha(s[3]);
    p_DrawImg(96, s[1], s[2], static_cast<int>(s[0]));
  }
  p_ResetDraw();
  return 0;
}

int c_MyApp::p_AddTXT(float x, float y, String text, float size) {
  p_SetSize(size, size);
  String t = String(" ") + text;
  int slot = m_CurFont;
  float gw = 0, gh = 0;
  if (slot >= 0 && slot < 100) {
    gw = static_cast<float>(m_ImageInfo[slot * 3]);
    gh = static_cast<float>(m_ImageInfo[slot * 3 + 1]);
  }
  int n = t.Length();
  int width = 0;
  for (int i = 0; i < n - 1; ++i) {
    width = static_cast<int>(width + (gw + Kerning(t[i])) * size);
  }
  // The layout follows the draw rotation: (ax, ay) is the writing direction and (dx, dy)
  // points down a line, both exact at rotation 0.
  float r = Degrees(m_DrawRot);
  float ax = std::cos(r), ay = -std::sin(r);
  float dx = std::sin(r), dy = std::cos(r);
  float x0 = x - ax * width * 0.5f, y0 = y - ay * width * 0.5f;
  float px = x0, py = y0;
  int lines = 0;
  for (int i = 0; i < n; ++i) {
    int c = t[i];
    // A line break is a backslash and an n; a backslash that ends the text is a letter,
    // so nothing past the text is read.
    if (c == '\\' && i + 1 < n && t[i + 1] == 'n') {
      ++lines;
      float d = gh * size * lines;
      px = x0 + dx * d;
      py = y0 + dy * d;
      ++i;
      continue;
    }
    if (c == 0) continue;
    if (c > 32 && c < 160) {
      if (size <= 3) {
        p_AddObj(2, px, py, c - 32);
      } else if (size < 5) {
        p_AddObj(1, px, py, c - 32);
      }
    }
    float a = (gw + Kerning(c)) * size;
    px += ax * a;
    py += ay * a;
  }
  if (vg_random_Rnd() * 3 < 2.5f && m_Phase == 3) {
    p_SetSize(1.5f, 1.5f);
    p_AddObj(3, px, py, 10);
  }
  return 0;
}

int c_MyApp::p_AddTwitter() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  int n = static_cast<int>(vg_random_Rnd() * 1437.9f + 1);
  int x = static_cast<int>(0.3f * w + vg_random_Rnd() * 0.4f * w);
  int y = static_cast<int>(0.25f * h + vg_random_Rnd() * 0.5f * h);
  p_AddObj(9, static_cast<float>(x), static_cast<float>(y), n);
  p_AddTXT(static_cast<float>(x), static_cast<float>(y + 20), vg_Vantorell_TwitterName[n], 2);
  return 0;
}
