// Control mapping for c_MyApp: abstract game keys answered from the keyboard (two layouts),
// four pads, the iCade cabinet and the on-screen pad; the analogue direction; the touch-area
// tests the menus use for buttons. Called by every screen; p_ControlStep runs once per update.
#include <cmath>
#include <cstdlib>

#include "framework/input.h"
#include "game/myapp.h"

namespace {

constexpr int kMaxKeys = 4;
constexpr int kMaxPadButtons = 3;
constexpr int kMaxPadKeys = 3;

struct KeySources {
  int key;
  int plain[kMaxKeys];    // counted always; 0 ends the list
  int letters[kMaxKeys];  // ignored while the iCade types letters; 0 ends the list
  int pad[kMaxPadButtons];  // pad buttons, -1 ends the list
  int padKeys[kMaxPadKeys];  // m_PadKeys entries, -1 ends the list
  int stickAxis;           // 0 none, 1 x, 2 y (mode 1 only)
  float stickSign;         // which way past 0.4 counts
};

const KeySources kSources[] = {
    {kGameUp, {38}, {87}, {9, -1}, {kGameUp, -1}, 2, 1},
    {kGameLeft, {37}, {65}, {8, -1}, {kGameLeft, -1}, 1, -1},
    {kGameRight, {39}, {68}, {10, -1}, {kGameRight, -1}, 1, 1},
    {kGameDown, {40}, {83}, {11, -1}, {kGameDown, -1}, 2, -1},
    {kGameFire, {32, 13}, {90, 74}, {0, -1}, {kGameFire, -1}, 0, 0},
    {kGameB, {17}, {88, 75}, {1, -1}, {kGameB, -1}, 0, 0},
    {kGameC, {16}, {67, 76}, {2, -1}, {kGameC, -1}, 0, 0},
    {kGameD, {0}, {86, 73}, {3, -1}, {kGameD, -1}, 0, 0},
    {kGameL1, {0}, {66, 85}, {4, -1}, {kGameL1, -1}, 0, 0},
    {kGameR1, {0}, {78, 79}, {5, -1}, {kGameR1, -1}, 0, 0},
    // 192 is the key left of 1: not a letter, but the cabinet can type it too.
    {kGameBack, {27, 46, 8}, {192}, {6, 7, 14}, {kPadBackO, kPadBackL, kPadBack}, 0, 0},
};

const KeySources* FindSources(int key) {
  for (const KeySources& s : kSources) {
    if (s.key == key) return &s;
  }
  return nullptr;
}

bool AnyDown(const int* keys) {
  for (int i = 0; i < kMaxKeys && keys[i] != 0; ++i) {
    if (vg_input_KeyDown(keys[i])) return true;
  }
  return false;
}

// iCade letters: a press letter sets its entry to 2 until the release letter clears it.
struct CadeLetter {
  char press, release;
  int entry;
};
const CadeLetter kCade[] = {
    {'W', 'E', kGameUp}, {'X', 'Z', kGameDown}, {'A', 'Q', kGameLeft}, {'D', 'C', kGameRight},
    {'Y', 'T', kGameD},  {'U', 'F', kGameL1},   {'I', 'M', kGameR1},   {'O', 'G', kPadBackO},
    {'H', 'R', kGameFire}, {'J', 'N', kGameB},  {'K', 'P', kGameC},    {'L', 'V', kPadBackL},
};

float Clamp1(float v) { return v < -1 ? -1 : (v > 1 ? 1 : v); }

int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// One keyboard ramp: held moves it 0.15 a frame, released brings it back 0.2 a frame. The
// steps do not add up exactly in floats, so a remainder below a thousandth of a step counts
// as home; otherwise a full ramp would take a sixth frame to settle.
void Ramp(bool held, float dir, float& ramp, float& analog) {
  if (held) {
    ramp += 0.15f * dir;
    analog = ramp;
  } else if (ramp * dir > 0) {
    float back = ramp - 0.2f * dir;
    ramp = back * dir > 0.0002f ? back : 0;
    analog = ramp;
  }
}

}  // namespace

int c_MyApp::p_PlayKey(int key, int mode, int player) {
  if (player < -1) return 0;
  const KeySources* src = FindSources(key);
  if (!src) return 0;
  bool cade = vg_Vantorell_iCadeControls == 1;
  if (key == kGameBack && vg_Vantorell_isOuya == 1 && !cade && player <= 3) {
    return m_PadKeys[kPadBack] != 0 ? 1 : 0;
  }
  if (AnyDown(src->plain)) return 1;
  if (!cade && AnyDown(src->letters)) return 1;
  // Only units 0 to 3 exist: a higher unit's codes would land on the touch keys.
  bool pad = player >= 0 && player <= 3;
  if (pad) {
    for (int i = 0; i < kMaxPadButtons && src->pad[i] >= 0; ++i) {
      if (vg_input_JoyDown(src->pad[i], player)) return 1;
    }
    if (mode == 1 && !cade && src->stickAxis != 0) {
      float v = src->stickAxis == 1 ? vg_input_JoyX(0, player) : vg_input_JoyY(0, player);
      if (v * src->stickSign > 0.4f) return 1;
    }
  }
  for (int i = 0; i < kMaxPadKeys && src->padKeys[i] >= 0; ++i) {
    if (m_PadKeys[src->padKeys[i]] != 0) return 1;
  }
  return 0;
}

int c_MyApp::p_PlayKeyAll(int key, int mode) {
  int n = 0;
  for (int p = 0; p < 4; ++p) n += p_PlayKey(key, mode, p);
  return n;
}

float c_MyApp::p_StickX(int stick, int player) {
  if (player < 0 || player > 3) return 0;
  return vg_input_JoyX(stick, player);
}

float c_MyApp::p_StickY(int stick, int player) {
  if (player < 0 || player > 3) return 0;
  // Stick 0 is turned to y-down, the screen's way; the others stay as the pad reports them.
  if (stick == 0) return -vg_input_JoyY(0, player);
  return vg_input_JoyY(stick, player);
}

int c_MyApp::p_iCade(int on) {
  if (on == 1) {
    vg_input_EnableKeyboard();
    vg_Vantorell_iCadeControls = 1;
    while (vg_input_GetChar() != 0) {
    }
  } else if (on == 0) {
    vg_input_DisableKeyboard();
    vg_Vantorell_iCadeControls = 0;
    for (int i = 0; i < kPadBack; ++i) m_PadKeys[i] = 0;
  }
  return 0;
}

int c_MyApp::p_AnalogueControl() {
  m_AnalogX = 0;
  m_AnalogY = 0;
  if (!m_PointerDown) {
    m_StickAnchorX = -1;
  } else {
    if (m_StickAnchorX == -1) {
      m_StickAnchorX = m_MouseX;
      m_StickAnchorY = m_MouseY;
    }
    m_AnalogX = static_cast<float>(m_MouseX - m_StickAnchorX) / 72.0f;
    m_AnalogY = static_cast<float>(m_MouseY - m_StickAnchorY) / 72.0f;
    if (std::fabs(m_AnalogX) < 0.1f && std::fabs(m_AnalogY) < 0.1f) {
      m_AnalogX = 0;
      m_AnalogY = 0;
    }
    // The anchor trails a finger that strays far, so the stick never needs a long reach back.
    if (m_MouseX < m_StickAnchorX - 64) m_StickAnchorX -= 4;
    if (m_MouseX > m_StickAnchorX + 64) m_StickAnchorX += 4;
    if (m_MouseY < m_StickAnchorY - 64) m_StickAnchorY -= 4;
    if (m_MouseY > m_StickAnchorY + 64) m_StickAnchorY += 4;
    p_SetCol(0, 100, 250, 0.25f);
    p_Oval(static_cast<float>(m_StickAnchorX), static_cast<float>(m_StickAnchorY), 12, 12);
    p_Oval(static_cast<float>(m_MouseX), static_cast<float>(m_MouseY), 8, 8);
  }
  float jx = p_StickX(0, 0);
  float jy = vg_input_JoyY(0, 0);
  if (std::fabs(jx) > 0.2f || std::fabs(jy) > 0.2f) {
    m_AnalogX = jx;
    m_AnalogY = -jy;
  }
  Ramp(p_PlayKey(kGameUp, 0, 0) != 0, -1, m_RampY, m_AnalogY);
  Ramp(p_PlayKey(kGameDown, 0, 0) != 0, 1, m_RampY, m_AnalogY);
  Ramp(p_PlayKey(kGameLeft, 0, 0) != 0, -1, m_RampX, m_AnalogX);
  Ramp(p_PlayKey(kGameRight, 0, 0) != 0, 1, m_RampX, m_AnalogX);
  m_AnalogX = Clamp1(m_AnalogX);
  m_AnalogY = Clamp1(m_AnalogY);
  m_RampX = Clamp1(m_RampX);
  m_RampY = Clamp1(m_RampY);
  if (vg_Vantorell_DebugMode == 1 && (std::fabs(m_AnalogX) >= 0.05f || std::fabs(m_AnalogY) >= 0.05f)) {
    float cx = vg_Vantorell_jscrw - 64, cy = vg_Vantorell_jscrh - 64;
    p_SetCol(0, 180, 250, 0.5f);
    p_Oval(cx, cy, 12, 12);
    p_Oval(cx + 52 * m_AnalogX, cy + 52 * m_AnalogY, 8, 8);
  }
  return 0;
}

namespace {

// Strictly inside the box of half sizes (hw, hh) around (x, y).
bool Inside(int tx, int ty, float x, float y, float hw, float hh) {
  return std::fabs(static_cast<float>(tx) - x) < hw && std::fabs(static_cast<float>(ty) - y) < hh;
}

}  // namespace

int c_MyApp::p_Button(int image, float x, float y, float frame) {
  p_DrawImg(image, x, y, frame);
  m_ButtonHit = 0;
  if (image < 0 || image >= m_Images.Length() || m_PointerDown < 1) return 0;
  float hw = m_ImageInfo[3 * image] * m_ImageScale * m_DrawSizeX / 2;
  float hh = m_ImageInfo[3 * image + 1] * m_ImageScale * m_DrawSizeY / 2;
  for (int i = 0; i < 10; ++i) {
    if (m_TouchDown[i] && Inside(m_TouchX[i], m_TouchY[i], x, y, hw, hh)) {
      m_ButtonHit = 1;
      break;
    }
  }
  return m_ButtonHit;
}

int c_MyApp::p_Button0(int image, float x, float y, float frame) {
  p_DrawImg(image, x, y, frame);
  m_ButtonHit = 0;
  if (image < 0 || image >= m_Images.Length() || m_PointerDown < 1) return 0;
  float hw = m_ImageInfo[3 * image] * m_ImageScale * m_DrawSizeX / 2;
  float hh = m_ImageInfo[3 * image + 1] * m_ImageScale * m_DrawSizeY / 2;
  if (m_TouchDown[0] && Inside(m_TouchX[0], m_TouchY[0], x, y, hw, hh)) m_ButtonHit = 1;
  return m_ButtonHit;
}

int c_MyApp::p_Touch(float x, float y, float w, float h) {
  p_Rect(x, y, w, h);
  // The wider margin right and below lets a thumb that covers the box still hit it.
  for (int i = 0; i < 10; ++i) {
    if (!m_TouchDown[i]) continue;
    float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
    if (x - 6 < tx && tx < x + w + 12 && y - 6 < ty && ty < y + h + 12) return 1;
  }
  return 0;
}

int c_MyApp::p_MouseIn_Centered(float x, float y, float w, float h) {
  for (int i = 0; i < 10; ++i) {
    if (m_TouchDown[i] && Inside(m_TouchX[i], m_TouchY[i], x, y, w / 2, h / 2)) return 1;
  }
  return 0;
}

void c_MyApp::p_ReadICade() {
  for (int c = vg_input_GetChar(); c != 0; c = vg_input_GetChar()) {
    int upper = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    for (const CadeLetter& l : kCade) {
      if (upper == l.press) m_PadKeys[l.entry] = 2;
      if (upper == l.release) m_PadKeys[l.entry] = 0;
    }
  }
}

void c_MyApp::p_ControlStep() {
  bool cade = vg_Vantorell_iCadeControls == 1;
  if (cade) p_ReadICade();
  // On-screen buttons press for one frame (1); iCade entries hold 2 until released.
  for (int i = 0; i < kPadBack; ++i) {
    if (m_PadKeys[i] == 1) m_PadKeys[i] = 0;
  }
  if (vg_Vantorell_OnScreenControls == 1 && m_Screen > kScreenStartGate && !cade) p_OnScreenPad();
  if (vg_Vantorell_AccelerometerControls == 1) {
    if (cade) {
      m_TiltShowX = 0;
      m_TiltShowY = 0;
    } else {
      p_TiltControl();
    }
  }
}

void c_MyApp::p_OnScreenPad() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  m_Settings[kPadCentreX] = ClampInt(m_Settings[kPadCentreX], 32, static_cast<int>(w - 32));
  m_Settings[kPadFromBottom] = ClampInt(m_Settings[kPadFromBottom], 32, static_cast<int>(h - 32));
  m_Settings[kPadTenths] = ClampInt(m_Settings[kPadTenths], 8, 25);
  m_PadX = m_Settings[kPadCentreX];
  m_PadY = static_cast<int>(h - static_cast<float>(m_Settings[kPadFromBottom]));
  m_PadScale = static_cast<float>(m_Settings[kPadTenths]) / 10.0f;
  float px = static_cast<float>(m_PadX), py = static_cast<float>(m_PadY), s = m_PadScale;
  p_SetRot(0);
  p_SetCol(255, 255, 255, 0.6f);
  p_SetSize(s);
  struct Arrow {
    float dx, dy;
    int frame, entry;
  };
  const Arrow arrows[] = {{-32, 0, 4, kGameLeft}, {0, -32, 1, kGameUp}, {0, 32, 9, kGameDown},
                          {32, 0, 6, kGameRight}};
  for (const Arrow& a : arrows) {
    if (p_Button(kImgPad, px + a.dx * s, py + a.dy * s, static_cast<float>(a.frame)) && !m_Paused) {
      m_PadKeys[a.entry] = 1;
    }
  }
  p_DrawImg(kImgPad, px, py, 5);
  if (m_Paused) {
    // While paused the pad is moved with one finger and resized with two.
    p_SetSize(3);
    if (p_Button0(kImgPad, px, py, 0) && !m_TouchDown[1]) {
      m_Settings[kPadCentreX] = m_TouchX[0];
      m_Settings[kPadFromBottom] = static_cast<int>(h - static_cast<float>(m_TouchY[0]));
    }
    if (m_TouchDown[0] && m_TouchDown[1]) {
      int d = std::abs(m_TouchX[0] - m_TouchX[1]) / 16;
      if (m_PinchOn == 1) m_Settings[kPadTenths] += m_PinchPrev - d;
      m_PinchPrev = d;
      m_PinchOn = 1;
    }
    if (!m_TouchDown[1]) {
      m_PinchOn = 0;
      m_PinchPrev = 0;
    }
  }
  p_SetSize(1.5f * s);
  // The fire buttons mirror the pad on the right side of the screen.
  if (p_Button(kImgPad, w - (px - 24 * s), py - 24 * s, 0)) m_PadKeys[kGameFire] = 1;
  if (p_Button(kImgPad, w - (px + 24 * s), py + 24 * s, 0)) m_PadKeys[kGameB] = 1;
}

void c_MyApp::p_TiltControl() {
  float ax = vg_input_AccelX(), ay = vg_input_AccelY();
  float tx = -(m_TiltX0 - ax), ty = -(m_TiltY0 - ay);
  m_TiltShowX += (tx - m_TiltShowX) * 0.25f;
  if (std::fabs(tx - m_TiltShowX) < 0.005f) m_TiltShowX = tx;
  m_TiltShowY += (ty - m_TiltShowY) * 0.25f;
  if (std::fabs(ty - m_TiltShowY) < 0.005f) m_TiltShowY = ty;
  float h = vg_Vantorell_jscrh;
  p_SetRot(0);
  p_SetCol(255, 255, 255, 0.8f);
  p_SetSize(1.5f);
  if (p_Button(kImgIcons, 24, h - 24, 7)) {
    m_TiltX0 = ax;
    m_TiltY0 = ay;
  }
  p_SetSize(1);
  p_SetCol(100, 255, 100, 0.6f);
  p_Oval(24 + 20 * m_TiltShowX, h - 24 + 20 * m_TiltShowY, 4, 4);
}
