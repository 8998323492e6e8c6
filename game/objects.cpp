// The shootable objects of the game screen: letters, stars and name pictures that fly in,
// drift up and take hits from the bullets, and the texts and names laid out as such objects.
// p_Game (gameplay.cpp) runs them every frame; the credits and the victory add them.
#include <cmath>

#include "framework/random.h"
#include "game/myapp.h"

int c_MyApp::p_AddObj(int type, float x, float y, int frame) {
  int slot = 0;  // a full pool gives up record 0
  for (int i = 0; i < kObjects; ++i) {
    if (m_Objects[i * kPoolRecord + kObjType] == 0) {
      slot = i;
      break;
    }
  }
  int stored = type;
  if (type == kAddFlyingLetter) stored = kObjLetter;
  if (type == kAddStar) stored = kObjStar;
  if (type == kObjNameA && frame > 1024) stored = kObjNameB;
  float w = vg_Vantorell_jscrw;
  float offset = 0;
  if (type == kAddFlyingLetter || type == kAddStar || type == kObjNameA) offset = w + w * vg_random_Rnd();
  float health = 1 + 2 * vg_random_Rnd();
  if (m_Phase == 3) health = 1;
  if (m_Phase == 3 && m_PhaseTimer >= 6051) {
    health = 32;
    stored = kObjToughLetter;
  }
  float* o = &m_Objects[slot * kPoolRecord];
  o[kObjType] = static_cast<float>(stored);
  o[kObjX] = x;
  o[kObjY] = y;
  o[kObjFlyIn] = offset;
  o[kObjSpeedY] = 0;
  o[kObjDelay] = 160;
  o[kObjZero] = 0;
  o[kObjFrame] = static_cast<float>(frame);
  o[kObjSize] = m_DrawSizeX;
  o[kObjHealth] = health;
  return 0;
}

int c_MyApp::p_AddTXT(float x, float y, String text, float size) {
  p_SetSize(size, size);
  String t = String(" ") + text;
  int slot = m_CurFont;
  float gw = 0, gh = 0;
  if (slot >= 0 && slot < kImageSlots) {
    gw = static_cast<float>(m_ImageInfo[slot * 3]);
    gh = static_cast<float>(m_ImageInfo[slot * 3 + 1]);
  }
  int n = t.Length();
  int width = 0;
  for (int i = 0; i < n - 1; ++i) {
    width = static_cast<int>(width + (gw + vg_Vantorell_Kerning(t[i])) * size);
  }
  // The layout follows the draw rotation: (ax, ay) is the writing direction and (dx, dy)
  // points down a line, both exact at rotation 0.
  float r = m_DrawRot * 0.0174532925f;
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
        p_AddObj(kAddFlyingLetter, px, py, c - 32);
      } else if (size < 5) {
        p_AddObj(kObjLetter, px, py, c - 32);
      }
    }
    float a = (gw + vg_Vantorell_Kerning(c)) * size;
    px += ax * a;
    py += ay * a;
  }
  if (vg_random_Rnd() * 3 < 2.5f && m_Phase == 3) {
    p_SetSize(1.5f, 1.5f);
    p_AddObj(kAddStar, px, py, 10);
  }
  return 0;
}

int c_MyApp::p_AddTwitter() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  int n = static_cast<int>(vg_random_Rnd() * 1437.9f + 1);
  int x = static_cast<int>(0.3f * w + vg_random_Rnd() * 0.4f * w);
  int y = static_cast<int>(0.25f * h + vg_random_Rnd() * 0.5f * h);
  p_AddObj(kObjNameA, static_cast<float>(x), static_cast<float>(y), n);
  p_AddTXT(static_cast<float>(x), static_cast<float>(y + 20), vg_Vantorell_TwitterName[n], 2);
  return 0;
}

void c_MyApp::p_DoObjects() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i < kObjects; ++i) {
    float* o = &m_Objects[i * kPoolRecord];
    int type = static_cast<int>(o[kObjType]);
    if (type <= 0) continue;
    if (o[kObjFlyIn] > 0) {
      o[kObjFlyIn] *= 0.93f;
      o[kObjSpeedY] = 0;
    }
    if (o[kObjFlyIn] < 4) o[kObjFlyIn] -= 0.5f;
    if (o[kObjFlyIn] < 0) o[kObjFlyIn] = 0;

    if (o[kObjDelay] > 0) o[kObjDelay] -= 1;
    if (o[kObjDelay] < 1) {
      o[kObjY] += o[kObjSpeedY];
      if (type == kObjLetter || type == kObjStar || type == kObjToughLetter || type == kObjNameA ||
          type == kObjNameB) {
        o[kObjSpeedY] -= vg_random_Rnd() * 0.025f;
      }
    }
    if (m_Phase == 2) o[kObjSpeedY] = 0;

    float x = o[kObjX] + o[kObjFlyIn], y = o[kObjY], size = o[kObjSize];
    int frame = static_cast<int>(o[kObjFrame]);
    p_SetSize(size);
    if (type == kObjLetter || type == kObjStar || type == kObjToughLetter) {
      if (type == kObjLetter) {
        p_SetCol(255, 255, 255);
      } else {
        p_SetCol(240, 240, 60);
      }
      if (frame > 0 && frame < 128) p_DrawImg(m_CurFont, x, y, static_cast<float>(frame));
    } else if (type == kObjNameA || type == kObjNameB) {
      // Name pictures are loaded unscaled, so the draw size undoes the image scale.
      p_SetSize(m_ImgLevel == 2 ? 2.0f : (m_ImgLevel == 4 ? 4.0f : 1.0f));
      p_SetCol(255, 255, 255);
      p_DrawImg(kImgNamesA + type - kObjNameA, x, y, static_cast<float>(frame % 1024));
    }
    m_HitW = (type == kObjNameA || type == kObjNameB) ? 12 : 6;

    for (int j = 0; j < kBullets; ++j) {
      float* b = &m_Bullets[j * kPoolRecord];
      if (b[kBulActive] == 0) continue;
      if (std::fabs(b[kBulX] - x) >= size * 8 + 6 || std::fabs(b[kBulY] - y) >= m_HitW * size + 12) {
        continue;
      }
      o[kObjHealth] -= 1;
      b[kBulPower] -= 1;
      if (b[kBulPower] < 1) b[kBulActive] = 0;
      if (type == kObjLetter) {
        m_Score += 1;
      } else if (type == kObjStar) {
        m_Score += 100;
        m_Coins += 1;
        p_PlaySFX(kSfxPickup, 1);
        if (m_Coins % 4 == 0) p_PlaySFX(kSfxPowerUp, 1);
      } else if (type == kObjToughLetter) {
        m_Score += 5;
      }
      p_Debris(b[kBulX], b[kBulY], 4);
      if (p_EffectsOn()) p_PlaySFXRaw(kSfxHit + static_cast<int>(vg_random_Rnd() * 2.9f), 1, 1, 0);
    }

    if (o[kObjHealth] < 1) {
      o[kObjType] = 0;
      m_Score += 5;
    } else if (o[kObjX] < -256 || o[kObjY] < -128 || o[kObjX] > w + 256 || o[kObjY] > h + 128) {
      o[kObjType] = 0;
    }
  }
  p_ResetDraw();
}
