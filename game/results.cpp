// Result screens of c_MyApp: the badge table and its pop-up notices, the badges box, the
// game-over overlay with its "New Highscore" rank, and the animated credits box. Called from
// the update's dispatcher (game/app.cpp) on the screens and overlays that show them.
#include <cmath>

#include "framework/audio.h"
#include "game/myapp.h"
#include "sequencer/zqplayer.h"

namespace {

constexpr int kPopupSlots = 13;   // slots drawn; the arrays hold 15
constexpr int kPopupLife = 240;   // updates a notice lives
constexpr float kPopupW = 160;

float vg_results_Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Score-table offset of the current game mode, as the menu files scores (game/menu.cpp).
int vg_results_TableBase(int mode) { return mode >= 1 && mode <= 4 ? 10 * (mode - 1) : 0; }

// The column (row) index relative to the middle of the grid, with the middle cell counted
// as -1 so that no cell stays put while the others fly in.
int vg_results_FlyIndex(int i, int count) {
  int k = i - count / 2;
  return k == 0 ? -1 : k;
}

}  // namespace

String c_MyApp::p_BadgeID(int n) {
  if (n == 0) return String("Test Badge|This is a Test Badge which has no purpose.");
  return String();
}

String c_MyApp::p_BadgeName(int n) {
  String text = p_BadgeID(n);
  int bar = text.Find(String("|"));
  return bar < 0 ? text : text.Slice(0, bar);
}

String c_MyApp::p_BadgeDetail(int n) {
  String text = p_BadgeID(n);
  int bar = text.Find(String("|"));
  return bar < 0 ? String() : text.Slice(bar + 1);
}

// Hooks for an online score and achievement service; this build has none.
int c_MyApp::p_GC_PostScore(int, int) { return 0; }
int c_MyApp::p_GC_Badges() { return 0; }

int c_MyApp::p_ShowBadges() {
  float H = vg_Vantorell_jscrh;
  for (int i = 0; i < kPopupSlots; ++i) {
    int age = m_BadgePopupTimer[i];
    if (age == 0) continue;
    age += 1;
    float x = age * 16 - kPopupW;
    if (age > kPopupLife - kPopupW / 16) x = (kPopupLife - age) * 16 - kPopupW;
    if (x > 0) x = 0;
    // Freed now, but still drawn once on its way out.
    m_BadgePopupTimer[i] = age > kPopupLife ? 0 : age;

    int id = m_BadgePopupId[i];
    float y = H - 34 * (i + 1);
    p_ResetDraw();
    p_SetCol(0, 0, 80, 0.8f);
    p_Rect(x, y, kPopupW, 32);
    p_SetCol(255, 255, 255, 1);
    p_Text(x + 16, y + 4, p_BadgeName(id), 0, 0);
    if (id >= 0 && id < 64) {
      p_SetSize(0.5f);
      p_DrawImg(kImgBadges, x + 144, y + 16, static_cast<float>(id));
      p_SetSize(1);
    }
  }
  return 0;
}

int c_MyApp::p_BadgesBox() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  p_ResetDraw();
  p_SetCol(255, 125, 0, 0.8f);
  p_Rect(0.1f * W, -1, 0.8f * W, H + 2);
  p_SetCol(100, 0, 0, 0.8f);
  p_Rect(0.12f * W, -1, 0.76f * W, H + 2);
  p_SetCol(255, 255, 255, 1);

  if (p_PlayKeyAll(kGameDown, 1) > 0) m_BadgeScrollTarget -= 16;
  if (p_PlayKeyAll(kGameUp, 1) > 0) m_BadgeScrollTarget += 16;
  if (m_PrevPointerDown && m_MouseX > 0.12f * W) {
    m_BadgeScrollTarget += 1.5f * static_cast<float>(m_MouseY - m_PrevMouseY);
  }
  if (m_BadgeScrollTarget > 0) m_BadgeScrollTarget = 0;
  m_BadgeScroll += (m_BadgeScrollTarget - m_BadgeScroll) / 6;
  if (std::fabs(m_BadgeScroll - m_BadgeScrollTarget) < 6) m_BadgeScroll = m_BadgeScrollTarget;
  // The badge list would start at y = m_BadgeScroll; the one test badge is never listed.
  return 0;
}

String c_MyApp::p_MyNth() {
  static const char* const kOrdinals[11] = {"",    "1st!", "2nd", "3rd", "4th", "5th",
                                            "6th", "7th",  "8th", "9th", "10th"};
  int base = vg_results_TableBase(m_TuneChoice);
  int rank = 0;
  for (int i = 0; i < 10; ++i) {
    if (m_Score >= m_HighScores[base + i]) {
      rank = i + 1;
      break;
    }
  }
  // A tie shows the rank it reached, but only a score that enters the table is a new
  // highscore: while the game is still on screen the table lacks it and some entry must be
  // lower; afterwards the menu has filed it or not.
  bool enters = false;
  if (m_Screen == kScreenGame) {
    for (int i = 0; i < 10 && !enters; ++i) enters = m_HighScores[base + i] < m_Score;
  } else {
    enters = m_NewRank >= 0;
  }
  if (!enters) rank = 0;
  m_i = rank;
  return String(kOrdinals[rank]);
}

int c_MyApp::p_GameOver() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  if (m_GameOverTimer >= 1) {
    p_ResetDraw();
    p_SetCol(0, 0, 0, vg_results_Clamp(m_GameOverTimer / 40.0f, 0, 0.7f));
    p_Rect(-1, -1, W + 2, H + 2);

    float reach = 0.45f * H;
    int y = static_cast<int>(m_GameOverTimer * 12 < reach ? m_GameOverTimer * 12.0f : reach);
    p_SetCol(255, 255, 0, 0.5f);
    p_Rect(-1, 0.45f * H - 8, 2.0f * y, 16);
    p_SetCol(255, 128, 0, 0.5f);
    p_Rect(W - 2.0f * y, 0.55f * H - 8, 2.0f * y + 1, 16);

    p_SetSize(4);
    p_SetCol(255, 180, 180, 1);
    p_Text(0.35f * W, static_cast<float>(y), String("GAME"), 1, 1);
    p_Text(0.65f * W, H - y, String("OVER"), 1, 1);

    String rank = p_MyNth();
    if (m_i > 0) {
      float top = H - y / 1.5f;
      p_SetSize(1);
      p_SetCol(0, 125, 255, 0.5f);
      p_Rect(0.35f * W, top - 16, 0.3f * W, 32);
      p_SetSize(2);
      p_SetCol(100, 255, 100, 1);
      p_Text(0.5f * W, top, String("New Highscore\\n           ") + rank, 0.5f, 2);
    }
    p_ResetDraw();
  }

  if (m_Screen == kScreenGame) {
    m_GameOverTimer += 1;
    if (m_GameOverTimer >= 90) {
      m_Screen = kScreenEnterMenu;
      m_GameOverTimer = 75;
      // Fire or back still held from the game must be released before the menu acts on it,
      // or holding fire through the credits would start the next game at once.
      m_KeyLatch = 1;
      m_BackLatch = 1;
      m_Paused = 0;
      if (m_Music) m_Music->p_Zq_Stop(1);
      if (vg_Vantorell_HasMusicStream == 1) {
        vg_audio_StopMusic();
        m_MusicOn = 0;
      }
    }
  } else if (m_Screen < kScreenGame) {
    m_GameOverTimer -= 2;
    if (m_GameOverTimer < 0) m_GameOverTimer = 0;
  }
  return 0;
}

int c_MyApp::p_CreditBox() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  int f = m_CreditsFade < 0 ? 0 : (m_CreditsFade > 30 ? 30 : m_CreditsFade);
  float a = f / 30.0f;
  float away = static_cast<float>(30 - f);  // how far the pieces still have to fly

  // Frame of square cells, centred; a degenerate window still gets one cell each way.
  float c = W / 12 > H / 12 ? W / 12 : H / 12;
  if (!(c >= 1)) c = 1;
  int n = static_cast<int>(vg_results_Clamp(W / c, 1, 64));
  int m = static_cast<int>(vg_results_Clamp(H / c, 1, 64));
  float left = (W - n * c) / 2, top = (H - m * c) / 2;
  float side = f < 20 ? c * f / 20 : c;
  float across = static_cast<float>(n > 2 ? n - 2 : 1);
  float down = static_cast<float>(m > 2 ? m - 2 : 1);
  p_ResetDraw();
  for (int j = 0; j < m; ++j) {
    for (int i = 0; i < n; ++i) {
      int kx = vg_results_FlyIndex(i, n), ky = vg_results_FlyIndex(j, m);
      float x = left + i * c + (c - side) / 2 + away * kx * std::abs(kx);
      float y = top + j * c + (c - side) / 2 + away * ky * std::abs(ky);
      bool edgeX = i == 0 || i == n - 1, edgeY = j == 0 || j == m - 1;
      if (edgeX || edgeY) {
        p_SetCol(0, 0, 0, a);
        p_Rect(x, y, side, side);
        if (edgeX && edgeY) continue;  // corners stay plain black
        float r = 0, g = 0, b = 0;
        if (j == 0) {
          r = 512 / across * (i - 1);
          g = 512 - r;
        } else if (j == m - 1) {
          r = g = b = 255 / across * (i - 1);
        } else {
          float t = 512 / down * (j - 1);
          b = t;
          (i == 0 ? g : r) = 512 - t;
        }
        if (side > 16) {
          p_SetCol(vg_results_Clamp(r, 0, 255), vg_results_Clamp(g, 0, 255),
                   vg_results_Clamp(b, 0, 255), a);
          p_Rect(x + 8, y + 8, side - 16, side - 16);
        }
      } else {
        p_SetCol(255, 255, 255, a);
        p_Rect(x, y, side, side);
        if (side > 4) {
          p_SetCol(128, 128, 128, a);
          // Second row from the bottom: the squares join into one bar across the frame.
          if (j == m - 2) {
            p_Rect(x, y + 2, side, side - 4);
          } else {
            p_Rect(x + 2, y + 2, side - 4, side - 4);
          }
        }
      }
    }
  }

  p_SetCol(255, 255, 255, a);
  p_DrawImg(kImgTestcard, W / 2, H / 2 - 24 * away, 0);

  m_CreditScroll -= 0.3f;
  if (p_PlayKeyAll(kGameUp, 1) > 0 || p_PlayKeyAll(kGameDown, 1) > 0) m_CreditScroll -= 1.5f;
  if (m_CreditScroll < -16) {
    m_CreditScroll += 16;
    m_CreditFirst += 1;
  }
  // The last line ("End") is never shown, so the lines cycle over all but it. The index is
  // wrapped into range also for the lines above the first one.
  int shown = vg_Vantorell_CreditText.Length() - 1;
  if (shown > 0) {
    for (int k = -3; k <= 4; ++k) {
      int line = ((m_CreditFirst + k) % shown + shown) % shown;
      float dy = 16.0f * k + m_CreditScroll;
      p_SetCol(255, 255, 255, 1 - vg_results_Clamp(std::fabs(dy) / 40 - 0.3f, 0, 1));
      p_Text(W / 2 + 24, H / 2 - 24 * away + dy, vg_Vantorell_CreditText[line], 0.8f, 0.8f);
    }
  }

  p_SetSize(0.4f);
  p_SetCol(255, 255, 255, a);
  p_DrawImg(kImgLogo, W / 2, 4 * away + (m - 1) * c + top, 0);
  p_SetSize(1);

  float leftX = left + 1.5f * c - 6 * away;
  float rightX = left + (n - 1.5f) * c + 6 * away;
  float upperY = top + 1.5f * c - 3 * away;
  float lowerY = top + (m - 1.5f) * c + 3 * away;
  const float dialX[4] = {leftX, rightX, leftX, rightX};
  const float dialY[4] = {upperY, upperY, lowerY, lowerY};
  for (int d = 0; d < 4; ++d) {
    p_SetCol(255, 255, 255, a);
    p_Oval(dialX[d], dialY[d], c / 2, c / 2);
    p_SetCol(128, 128, 128, a);
    p_Oval(dialX[d], dialY[d], (c - 3) / 2, (c - 3) / 2);
  }
  p_SetCol(255, 255, 255, a);
  const int readings[2][3] = {
      {m_DevW, m_DevH, m_Fps},
      {static_cast<int>(W), static_cast<int>(H), m_RenderFps},
  };
  for (int d = 0; d < 2; ++d) {
    for (int r = 0; r < 3; ++r) {
      p_Text(dialX[d], dialY[d] + 16 * (r - 1), String(readings[d][r]), 0.8f, 0.8f);
    }
  }
  p_DrawImg(kImgButtons, leftX, lowerY, 12);
  p_SetSize(0.3f);
  p_DrawImg(kImgStudioMark, rightX, lowerY, 0);
  p_ResetDraw();

  // Only an open box can be closed; while it fades out a press means nothing here.
  if (m_CreditsOpen == 1) {
    if (m_PointerDown && !m_BackLatch) {
      m_BackLatch = 1;
      m_CreditsOpen = 0;
      p_PlaySFX(kSfxCursor, 1);
    } else if (!m_KeyLatch &&
               (p_PlayKeyAll(kGameR1, 1) > 0 || p_PlayKeyAll(kGameFire, 1) > 0 ||
                p_PlayKeyAll(kGameB, 1) > 0)) {
      m_KeyLatch = 1;
      m_CreditsOpen = 0;
      p_PlaySFX(kSfxCursor, 1);
    }
  }
  return 0;
}
