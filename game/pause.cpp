// The pause menu shown over a running game (called by p_InGame while paused), the options
// box overlay (run by the update's dispatcher while open or fading) and the quit prompt of the
// television-console variant (kScreenQuitPrompt). All three share the panel look and the input latches.
#include "framework/app.h"
#include "framework/audio.h"
#include "game/myapp.h"

namespace {

float vg_pause_Abs(float v) { return v < 0 ? -v : v; }

}  // namespace

// The overscan slider of the television console, shared by the pause menu and the options;
// each passes the latches that guard its own input.
static void vg_pause_Overscan(c_MyApp* app, float y, int& touchLatch, int& keyLatch) {
  float W = vg_Vantorell_jscrw;
  int& overscan = app->m_Settings[kOverscanSetting];
  app->p_SetSize(2);
  app->p_SetCol(255, 255, 255, 1);
  app->p_Text(W / 2, y, String("L1 <      Overscan      > R1"), 1, 1);
  app->p_SetSize(1);
  float trackY = y + 28;
  app->p_SetCol(0, 0, 0, 0.6f);
  app->p_Rect(W / 2 - 132, trackY - 4, 264, 8);
  app->p_SetCol(255, 255, 0, 1);
  app->p_Rect(overscan * 2.67f + W / 2 - 132 - 4, trackY - 8, 8, 16);
  app->p_SetCol(255, 255, 255, 1);
  if (!touchLatch && app->p_MouseIn_Centered(W / 2, trackY, 256, 16)) {
    touchLatch = 1;
    app->p_PlaySFX(kSfxSelect, 1);
    overscan = overscan >= 32 ? 1 : 96;
  }
  if (!keyLatch) {
    if (app->p_PlayKeyAll(kGameL1, 1) > 0) {
      if (overscan > 0) overscan -= 16;
      keyLatch = 1;
    } else if (app->p_PlayKeyAll(kGameR1, 1) > 0) {
      if (overscan < 96) overscan += 16;
      keyLatch = 1;
    }
  }
  if (overscan < 1) overscan = 1;
  if (overscan > 96) overscan = 96;
  vg_Vantorell_overscan = static_cast<float>(overscan);
}

void c_MyApp::p_DrawGear(float x, float y) {
  const float turn[3] = {0.66f, -0.33f, -1};
  for (int g = 0; g < 3; ++g) {
    p_SetRot(turn[g] * m_GearAngle);
    p_DrawImg(kImgButtons, x, y, static_cast<float>(8 + g));
  }
  p_SetRot(0);
}

int c_MyApp::p_PauseMenu() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  p_ResetDraw();
  p_SetCol(0, 0, 0, vg_pause_Abs(static_cast<float>(m_PauseSlide)) / (0.8f * H));
  p_Rect(0, 0, W, H);

  if (m_PauseStage == 1 && m_PauseSlide < H / 2) m_PauseSlide += 24;
  if (m_PauseStage == -1) {
    if (m_PauseSlide < -63) {
      m_Paused = 0;
    } else {
      m_PauseSlide -= 24;
      if (m_PauseSlide < -32) m_Paused = 0;
    }
  }
  float slide = static_cast<float>(m_PauseSlide);

  bool wide = m_Landscape == 1;
  float barW = wide ? 256 : 192, bodyW = wide ? 280 : 256, bodyH = wide ? 104 : 160;
  float topY = slide - (wide ? 64 : 92);
  p_SetCol(255, 255, 10, 0.6f);
  p_Rect(W / 2 - barW / 2, topY, barW, 8);
  p_SetCol(255, 150, 10, 0.7f);
  p_Rect(W / 2 - bodyW / 2, topY + 12, bodyW, bodyH);
  p_SetCol(10, 150, 255, 0.6f);
  p_Rect(W / 2 - barW / 2, topY + bodyH + 16, barW, 8);

  if (vg_Vantorell_isOuya == 1) vg_pause_Overscan(this, slide - 150, m_BackLatch, m_KeyLatch);

  // Places of the three items: quit -1, resume 0, options 1.
  float side = wide ? 140 : 96, lift = wide ? 64 : 96;
  const float itemX[3] = {W / 2 - side, W / 2, W / 2 + side};
  const float itemY[3] = {slide - lift, slide, slide - lift};
  int act = 2;  // none

  p_SetSize(2);
  p_SetCol(50, 50, 250, 1);
  if (p_Button(kImgIcons, itemX[1], itemY[1], 3) && !m_BackLatch) act = 0;
  p_SetCol(255, 50, 50, 1);
  if (p_Button(kImgIcons, itemX[0], itemY[0], 1) && !m_BackLatch) act = -1;

  if (!m_OptionsOpen) m_GearAngle += 0.2f;
  p_SetSize(1);
  p_SetCol(255, 255, 255, 1);
  p_DrawGear(itemX[2], itemY[2]);
  float gearW = m_ImageInfo[3 * kImgButtons] * m_ImageScale;
  float gearH = m_ImageInfo[3 * kImgButtons + 1] * m_ImageScale;
  if (m_PointerDown && !m_BackLatch && p_MouseIn_Centered(itemX[2], itemY[2], gearW, gearH)) {
    act = 1;
  }

  if (m_PauseChoice < -1 || m_PauseChoice > 1) m_PauseChoice = 0;
  p_SetSize(2.5f);
  p_SetCol(255, 255, 100, 1);
  p_DrawImg(kImgIcons, itemX[m_PauseChoice + 1], itemY[m_PauseChoice + 1], 6);
  p_ResetDraw();

  if (act == 2 && !m_KeyLatch) {
    bool up = p_PlayKeyAll(kGameUp, 1) > 0, left = p_PlayKeyAll(kGameLeft, 1) > 0;
    bool right = p_PlayKeyAll(kGameRight, 1) > 0, down = p_PlayKeyAll(kGameDown, 1) > 0;
    int to = m_PauseChoice;
    if (p_PlayKeyAll(kGameBack, 1) > 0) {
      act = 0;
    } else if (p_PlayKeyAll(kGameFire, 1) > 0) {
      act = m_PauseChoice;
    } else if (m_PauseChoice == 0) {
      to = (left || up) ? -1 : (right ? 1 : 0);
    } else if (m_PauseChoice == -1) {
      if (right || down) to = 0;
    } else if (left || down) {
      to = 0;
    }
    if (act != 2 || to != m_PauseChoice) m_KeyLatch = 1;
    if (to != m_PauseChoice) {
      m_PauseChoice = to;
      p_PlaySFX(kSfxSelect, to == 1 ? 1.2f : 0.8f, 0.5f, 0);
    }
  }

  if (act == 0) {
    // Stays paused while the panel slides away; the slide above unpauses once it is gone.
    m_Paused = 1;
    m_PauseStage = -1;
    m_BackLatch = 1;
    p_PlaySFX(kSfxSelect, 0.5f);
  } else if (act == -1) {
    m_Paused = 0;
    m_PauseStage = -1;
    m_PauseSlide = -64;
    m_GameOver = 1;
    m_BackLatch = 1;
    p_PlaySFX(kSfxSelect, 0.5f, 0.5f, 0);
  } else if (act == 1) {
    m_OptionsOpen = 1;
    m_BackLatch = 1;
    p_PlaySFX(kSfxCursor, 1);
  }
  return 0;
}

int c_MyApp::p_OptionBox() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  float fade = static_cast<float>(m_OptionsFade);
  p_ResetDraw();
  if (vg_Vantorell_isOuya == 1) {
    // Corner marks, so the overscan can be set until they are just visible.
    p_SetCol(255, 255, 255, 1);
    const float cx[2] = {0, W - 16}, cy[2] = {0, H - 16};
    for (int i = 0; i < 2; ++i) {
      for (int j = 0; j < 2; ++j) {
        p_Rect(cx[i], cy[j] + (j ? 8 : 0), 16, 8);
        p_Rect(cx[i] + (i ? 8 : 0), cy[j], 8, 16);
      }
    }
  }

  // The screens below must not see this box's input.
  m_KeyLatch = 1;
  m_BackLatch = 1;
  if (m_OptionsFade != 30) {
    m_OptionsKeyLatch = 1;
    m_OptionsTouchLatch = 1;
  }

  p_SetCol(150, 75, 0, 0.85f);
  p_Rect(50, (30 - fade) * 24, W - 100, H);

  // Back row: the gear icon and its label.
  bool onBack = m_OptionsCursor == 0;
  float gearX = (3 * fade - 90) * 4 + 100, gearY = 60;
  float gearScale = onBack ? 2 : 1.5f;
  m_GearAngle += 0.2f;
  p_SetSize(gearScale);
  p_SetCol(255, 255, 255, 1);
  p_DrawGear(gearX, gearY);
  p_SetSize(2);
  p_Text(gearX + 76, gearY, String("<[BACK]"), 0, 1);
  float gearW = m_ImageInfo[3 * kImgButtons] * m_ImageScale * gearScale;
  float gearH = m_ImageInfo[3 * kImgButtons + 1] * m_ImageScale * gearScale;
  bool close = !m_OptionsTouchLatch && !m_OptionsKeyLatch &&
               ((m_PointerDown && p_MouseIn_Centered(gearX, gearY, gearW, gearH)) ||
                p_PlayKeyAll(kGameBack, 1) > 0);

  bool hasMusic = vg_Vantorell_HasMusic == 1 || vg_Vantorell_HasMusicStream == 1;
  int modes = hasMusic ? 4 : 2;
  int& mode = m_Settings[kSoundMode];
  if (mode < 0 || mode >= modes) mode = kSoundOff;
  static const char* const kSoundText[4] = {"Sound : Off", "Sound : SFX + Music", "Sound : SFX",
                                            "Sound : Music"};  // by SoundMode
  static const char* const kSwitchText[2] = {"Sound : Off", "Sound : On"};

  // The rows shown this time, top to bottom; the cursor counts only these.
  enum { kSound, kICade, kScreen, kCredits };
  int rows[4], count = 0;
  rows[count++] = kSound;
  if (vg_Vantorell_isOuya == 0) rows[count++] = kICade;
  rows[count++] = kScreen;
  if (m_Paused == 0) rows[count++] = kCredits;
  m_OptionsRows = count;
  // The row set shrinks while paused; a cursor left on a vanished row comes back to the last.
  if (m_OptionsCursor > m_OptionsRows) m_OptionsCursor = m_OptionsRows;
  if (m_OptionsCursor < 0) m_OptionsCursor = 0;

  if (vg_Vantorell_isOuya == 1) {
    vg_pause_Overscan(this, 104 + 24 * (30 - fade), m_OptionsTouchLatch, m_OptionsKeyLatch);
  }

  int activate = 0;  // 1-based row to activate
  float y = 130 + 24 * (30 - fade);
  for (int r = 1; r <= count; ++r) {
    int row = rows[r - 1];
    if (row == kCredits) y += 10;
    bool selected = m_OptionsCursor == r;
    if (selected) {
      p_SetCol(0, 180, 255, 0.5f);
    } else {
      p_SetCol(0, 0, 160, 0.5f);
    }
    p_SetSize(1);
    if (p_Touch(84, y - 2, W - 168, 24) && !m_OptionsTouchLatch) {
      m_OptionsCursor = r;
      activate = r;
    }
    String text;
    float textX = 100;
    switch (row) {
      case kSound:
        text = String(hasMusic ? kSoundText[mode] : kSwitchText[mode]);
        break;
      case kICade:
        text = String(vg_Vantorell_iCadeControls == 1 ? "iCade : On" : "iCade : Off");
        break;
      case kScreen:
        text = String(m_Fullscreen == 1 ? "Windowed" : "Fullscreen");
        break;
      default:
        text = String("Credits");
        textX = W - 264;
        break;
    }
    p_SetSize(2);
    p_SetCol(255, 255, 255, 1);
    p_Text(textX, y, text, 0, 0);
    y += 40;
  }
  p_ResetDraw();

  bool face = false;
  for (int key = kGameFire; key <= kGameR1; ++key) face = face || p_PlayKeyAll(key, 1) > 0;
  if (!activate && !close && !m_OptionsKeyLatch) {
    if (m_OptionsCursor == 0) {
      if (p_PlayKeyAll(kGameFire, 1) > 0 || p_PlayKeyAll(kGameB, 1) > 0 ||
          p_PlayKeyAll(kGameR1, 1) > 0) {
        close = true;
      }
    } else if (face) {
      activate = m_OptionsCursor;
    }
  }

  if (close) {
    m_OptionsOpen = 0;
    p_PlaySFX(kSfxCursor, 1);
    p_Save();
    m_OptionsKeyLatch = 1;
    m_OptionsTouchLatch = 1;
  } else if (activate) {
    int row = rows[activate - 1];
    if (row == kCredits) {
      m_CreditsOpen = 1;
      m_OptionsOpen = 0;
      m_OptionsKeyLatch = 0;
      m_OptionsTouchLatch = 0;
      // Leaving through the credits closes the box too, and a closing box keeps its changes.
      p_Save();
    } else {
      if (row == kSound) {
        if (hasMusic) {
          mode = (mode + 1) % 4;
          if (!p_MusicOn()) {
            vg_audio_StopMusic();
            m_MusicOn = 0;
          }
        } else {
          mode = kSoundAll - mode;
        }
      } else if (row == kICade) {
        vg_Vantorell_iCadeControls = 1 - vg_Vantorell_iCadeControls;
        p_iCade(vg_Vantorell_iCadeControls);
        for (int i = 0; i < m_PadKeys.Length(); ++i) m_PadKeys[i] = 0;
      } else {
        p_FullscreenFlip();
      }
      m_OptionsKeyLatch = 1;
      m_OptionsTouchLatch = 1;
      p_PlaySFX(kSfxCursor, 1);
    }
  } else if (!m_OptionsKeyLatch) {
    int move = 0;
    if (p_PlayKeyAll(kGameUp, 1) > 0 || p_PlayKeyAll(kGameLeft, 1) > 0) move = -1;
    if (p_PlayKeyAll(kGameDown, 1) > 0 || p_PlayKeyAll(kGameRight, 1) > 0) move = move ? 0 : 1;
    if (move) {
      int to = m_OptionsCursor + move;
      if (to < 0) to = 0;
      if (to > m_OptionsRows) to = m_OptionsRows;
      m_OptionsCursor = to;
      m_OptionsKeyLatch = 1;
      p_PlaySFX(kSfxCursor, 1);
    }
  }

  if (!m_PointerDown) m_OptionsTouchLatch = 0;
  bool held = false;
  for (int key : kLatchedKeys) held = held || p_PlayKeyAll(key, 1) > 0;
  if (!held) m_OptionsKeyLatch = 0;
  return 0;
}

int c_MyApp::p_OuyaQuit() {
  float W = vg_Vantorell_jscrw, H = vg_Vantorell_jscrh;
  p_CLS2D(180, 180, 180, -1);
  m_ClipX = 0;
  m_ClipY = 0;
  m_ClipW = W;
  m_ClipH = H;
  p_SetSize(3);
  p_DrawImg(kImgTestcard, W / 2, H / 2, 0);

  struct Line {
    const char* text;
    float scale, step;
  };
  static const Line kLines[] = {
      {"It looks like you're", 3, 32},     {"trying to QUIT!", 3, 36},
      {"It'll be a shame to see", 2, 20},  {"you leave, but I guess", 2, 28},
      {"this game's a bit short!", 2, 38}, {"See you again, next week!", 2, 38},
      {"Press (A) to Quit", 2, 20},        {"or (O) to return to the fun!", 2, 20},
  };
  float y = 0.3f * H;
  p_SetCol(40, 40, 70, 1);
  for (const Line& line : kLines) {
    p_SetSize(line.scale);
    p_Text(0.65f * W, y, String(line.text), 1, 1);
    y += line.step;
  }
  p_ResetDraw();

  if (!m_KeyLatch && !m_BackLatch) {
    if (p_PlayKeyAll(kGameFire, 1) > 0) {
      m_Screen = kScreenMenu;
      m_KeyLatch = 1;
      m_BackLatch = 1;
    } else if (p_PlayKeyAll(kGameB, 1) > 0 || p_PlayKeyAll(kGameC, 1) > 0 ||
               p_PlayKeyAll(kGameBack, 1) > 0) {
      vg_app_EndApp();
    }
  }
  return 0;
}
