// The title menu (kScreenMenu) of c_MyApp: title art, the score panel, the two-item
// carousel (play, options) driven by keys, pads, taps and drags, and the credits icon; plus
// kScreenEnterMenu, which files the last score into the tables. Both run from the update's
// dispatcher.
#include <algorithm>
#include <cmath>

#include "framework/app.h"
#include "framework/input.h"
#include "game/myapp.h"

namespace {

constexpr float kItemStep = 88;  // carousel spacing between the two items
constexpr float kSceneW = 256;   // width of the title scene (kImgMenu) at size 1
constexpr int kItems = 2;

// Score-table offset of a game mode: its top ten there, its last ten just after. Modes whose
// last ten would run past the 50 entries read the first table instead.
int vg_menu_TableBase(int mode) { return mode >= 1 && mode <= 4 ? 10 * (mode - 1) : 0; }

}  // namespace

int c_MyApp::p_LoadMenu() {
  int base = vg_menu_TableBase(m_TuneChoice);
  m_NewRank = -1;
  for (int i = 0; i < 10; ++i) {
    // Strictly below: a tie goes under the older score.
    if (m_HighScores[base + i] < m_Score) {
      m_NewRank = i;
      for (int k = 9; k > i; --k) m_HighScores[base + k] = m_HighScores[base + k - 1];
      m_HighScores[base + i] = m_Score;
      break;
    }
  }
  int last = base + 10;
  for (int k = 9; k > 0; --k) m_HighScores[last + k] = m_HighScores[last + k - 1];
  m_HighScores[last] = m_Score;
  p_Save();
  return 0;
}

int c_MyApp::p_Menu() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  // New picture.
  p_CLS2D(0, 0, 80, 1);
  m_ClipX = 0;
  m_ClipY = 0;
  m_ClipW = W;
  m_ClipH = H;
  if (m_MenuSlide < 0) m_MenuSlide += 1;
  m_PanelW = 140;
  float slide = static_cast<float>(m_MenuSlide);
  bool boxOpen = m_OptionsOpen || m_CreditsOpen || m_BadgesOpen;

  // Back key: leaves the program; the television console asks first.
  if (!m_BackLatch && !m_KeyLatch) {
    bool back = p_PlayKeyAll(kGameBack, 1) > 0;
    if (vg_Vantorell_isOuya == 0) {
      if (back) vg_app_EndApp();
    } else if (back || vg_input_KeyDown(27)) {
      m_Screen = kScreenQuitPrompt;
      m_BackLatch = 1;
      m_KeyLatch = 1;
    }
  }

  // Backdrop and title.
  for (int img = kImgSprites; img <= kImgNamesB; ++img) p_DrawImg(img, -64, -64, 0);
  // The scene is 768 wide at its size of 3; a wider screen (a 20:9 phone) stretches it
  // sideways to the edges rather than show bare ground beside it.
  p_SetSize(std::max(3.0f, W / kSceneW), 3);
  p_DrawImg(kImgMenu, W / 2, H / 2 + 16 * slide, 0);
  p_SetSize(2);
  p_DrawImg(kImgLogo, 0.4f * W, 128 + 12 * slide, 0);
  p_SetSize(1);

  // Side panel.
  float panelX = W - m_PanelW - 4 * slide;
  p_SetCol(0, 0, 0, 0.4f);
  p_Rect(panelX, 0, m_PanelW, H);

  // Score tables. Without a loaded font the line height is 0; one pixel keeps the count
  // defined and the clamp below brings it back to ten lines.
  int lineH = static_cast<int>(1.5f * static_cast<float>(m_ImageInfo[3 * m_CurFont + 1]));
  if (lineH < 1) lineH = 1;
  float fit = std::floor((H - 90 - H / 2) / static_cast<float>(lineH));
  m_ScoreLines = static_cast<int>(fit < 1 ? 1 : (fit > 10 ? 10 : fit));
  if (m_MenuItem == 1 && !boxOpen) {
    int base = vg_menu_TableBase(m_TuneChoice);
    String top = m_ScoreLines == 1 ? String("Highscore") : String("Top ") + String(m_ScoreLines);
    String last = m_ScoreLines == 1 ? String("Last") : String("Last ") + String(m_ScoreLines);
    for (int i = 0; i < m_ScoreLines; ++i) {
      top += String("\\n") + p_rstr(m_HighScores[base + i], 11, String(" "));
      last += String("\\n") + p_rstr(m_HighScores[base + 10 + i], 11, String(" "));
    }
    p_SetSize(1.5f);
    p_SetCol(255, 200, 100, 1);
    p_Text(panelX + 20, 60, top, 0, 0);
    p_SetCol(200, 255, 100, 1);
    p_Text(panelX + 20, H / 2 + 20, last, 0, 0);
  }
  p_ResetDraw();

  // Selection.
  if (m_MenuItem != 1 && m_MenuItem != 2) m_MenuItem = 1;
  if (m_MenuItem == 1) m_TuneChoice = 1;
  if (m_MenuItem == 2) m_GearAngle += 0.5f;

  // Eased scroll and a fling that dies away.
  if (!m_PointerDown) m_DragSpeed = 0;
  m_ScrollTarget += m_Fling;
  m_Scroll += (m_ScrollTarget - m_Scroll) / 8;
  if (m_Fling != 0) {
    m_Fling *= 0.2f;
    if (std::fabs(m_Fling) < 3) m_Fling = 0;
  }

  // Layout.
  m_MenuVertical = 1 - m_Landscape;
  float refX = (W - m_PanelW) / 2, refY;
  float itemX[kItems + 1], itemY[kItems + 1];
  for (int k = 1; k <= kItems; ++k) {
    if (m_MenuVertical) {
      itemX[k] = refX;
      itemY[k] = m_Scroll + H - 96 + (k - 1) * kItemStep;
    } else {
      itemX[k] = refX + m_Scroll + (k - 1) * kItemStep;
      itemY[k] = H - 96;
    }
  }
  refY = m_MenuVertical ? 0.6f * H : H - 96;

  // Carousel edges pull the row back.
  if (m_MenuVertical) {
    if (itemY[1] > 0.75f * H) {
      m_MenuItem = 1;
      m_ScrollTarget -= 8;
    }
    if (itemY[2] < 0.45f * H) {
      m_MenuItem = 2;
      m_ScrollTarget += 8;
    }
  } else {
    if (itemX[1] > 0.75f * (W - m_PanelW)) {
      m_MenuItem = 1;
      m_ScrollTarget -= 8;
    }
    if (itemX[2] < 0.25f * W) {
      m_MenuItem = 2;
      m_ScrollTarget += 8;
    }
  }

  // Items and taps on them.
  float imgW = m_ImageInfo[3 * kImgButtons] * m_ImageScale;
  float imgH = m_ImageInfo[3 * kImgButtons + 1] * m_ImageScale;
  int nearest = 1;
  float nearestD = 0;
  bool tapSelected = false;
  for (int k = 1; k <= kItems; ++k) {
    bool selected = k == m_MenuItem;
    float scale = selected ? 1.75f : 1;
    float d = std::hypot(itemX[k] - refX, itemY[k] - refY);
    if (k == 1 || d < nearestD) {
      nearest = k;
      nearestD = d;
    }
    float alpha = selected ? 1 : std::fmax(0.5f, 1 - d / 480);
    p_SetSize(scale);
    p_SetCol(255, 255, 255, alpha);
    if (k == 1) {
      p_DrawImg(kImgButtons, itemX[k], itemY[k], 0);
    } else {
      p_DrawGear(itemX[k], itemY[k]);
    }
    if (m_PointerDown && p_MouseIn_Centered(itemX[k], itemY[k], imgW * scale, imgH * scale)) {
      if (selected) {
        tapSelected = true;
      } else if (!m_BackLatch && !m_KeyLatch) {
        m_MenuItem = k;
        m_ScrollTarget = (1 - k) * kItemStep;
        m_Fling = 0;
        m_DragSpeed = 0;
        m_ItemLock = k;
        m_BackLatch = 1;
        m_KeyLatch = 1;
        p_PlaySFX(kSfxCursor, 1);
      }
    }
  }
  p_ResetDraw();

  // Confirm button under the play item.
  if (m_MenuItem == 1) {
    p_SetSize(3, 2.5f);
    p_SetCol(100, 255, 100, 0.3f);
    if (p_Button(kImgIcons, W - 70, H - 48 - 4 * slide, 3)) tapSelected = true;
    p_ResetDraw();
  }

  // Activation.
  bool pressed = tapSelected;
  const int kFireKeys[4] = {kGameFire, kGameB, kGameC, kGameD};
  for (int key : kFireKeys) pressed = pressed || p_PlayKeyAll(key, 1) > 0;
  if (pressed && !m_BackLatch && !m_KeyLatch && !boxOpen) {
    m_BackLatch = 1;
    m_KeyLatch = 1;
    p_PlaySFX(kSfxSelect, 1);
    if (m_MenuItem == 1) {
      m_TuneChoice = 1;
      m_Screen = kScreenLoadGame;
    } else {
      m_OptionsOpen = 1;
      m_OptionsCursor = 0;
    }
    boxOpen = m_OptionsOpen != 0;
  }

  // The item nearest the middle becomes the selection unless a key or tap chose one.
  if (nearest != m_MenuItem && m_ItemLock == 0) {
    m_MenuItem = nearest;
    p_PlaySFX(kSfxCursor, 1);
  }
  if (std::fabs(m_Scroll - m_ScrollTarget) < 32) m_ItemLock = 0;

  // Keyboard and pad moves.
  if (!m_KeyLatch && !boxOpen) {
    int move = 0;
    if (m_MenuItem == 2 && (p_PlayKeyAll(kGameUp, 1) > 0 || p_PlayKeyAll(kGameLeft, 1) > 0)) move = 1;
    if (m_MenuItem == 1 && (p_PlayKeyAll(kGameDown, 1) > 0 || p_PlayKeyAll(kGameRight, 1) > 0)) move = 2;
    if (move) {
      m_MenuItem = move;
      m_KeyLatch = 1;
      m_ItemLock = move;
      m_ScrollTarget = (1 - move) * kItemStep;
      m_Fling = 0;
      m_DragSpeed = 0;
      p_PlaySFX(kSfxCursor, 1);
    } else if (p_PlayKeyAll(kGameR1, 1) > 0) {
      m_CreditsOpen = 1;
      m_KeyLatch = 1;
      p_PlaySFX(kSfxCursor, 1);
      boxOpen = true;
    }
  }

  // Credits icon.
  float iconY = 32 + 4 * slide;
  p_SetSize(0.35f);
  p_DrawImg(kImgStudioMark, W - 70, iconY, 0);
  float iconW = m_ImageInfo[3 * kImgStudioMark] * m_ImageScale * 0.35f;
  float iconH = m_ImageInfo[3 * kImgStudioMark + 1] * m_ImageScale * 0.35f;
  if (m_PointerDown && !m_BackLatch && !boxOpen &&
      p_MouseIn_Centered(W - 70, iconY, iconW, iconH)) {
    m_CreditsOpen = 1;
    m_BackLatch = 1;
    p_PlaySFX(kSfxCursor, 1);
    boxOpen = true;
  }
  p_ResetDraw();

  // Dragging the carousel; a real drag no longer counts as a tap.
  if (!boxOpen && m_PointerDown) {
    int moved = m_MenuVertical ? m_MouseY - m_PrevMouseY : m_MouseX - m_PrevMouseX;
    m_DragSpeed = 1.5f * static_cast<float>(moved);
    if (std::fabs(m_DragSpeed) > 2) {
      m_BackLatch = 2;
      m_Fling += m_DragSpeed;
    }
  }
  return 0;
}
