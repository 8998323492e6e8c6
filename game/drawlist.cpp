// Draw list: the game records its whole picture here during the update, as fixed-size
// records in one float array, and the render step replays it fitted to the window.
// Written to by every screen of c_MyApp; read only by p_OnRender.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "framework/app.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "sequencer/zqplayer.h"

namespace {

constexpr float kRectKind = kNoValue;
constexpr float kOvalKind = kNoValue + 1;
constexpr float kDegToRad = 0.017453292f;
// The least height of the visible area: 16:9 of the design screen's width.
constexpr float kLeastHeight = 360;

float SinDeg(float deg) { return std::sin(deg * kDegToRad); }
float CosDeg(float deg) { return std::cos(deg * kDegToRad); }

}  // namespace

int vg_Vantorell_Kerning(int c) {
  switch (c) {
    case 'w': case 'm': return 2;
    case 'W': case 'M': return 1;
    case 'i': case 'f': case 'l': return -3;
    case 'j': case 's': case 'k': case 'r': case 'z': case 't': case 'n': return -1;
    default: return 0;
  }
}

float* c_MyApp::p_NewRecord() {
  // 37484, not 37500 - 15: the list keeps one record of slack, so 2499 records fit.
  if (m_DrawCount > kDrawListLimit) return nullptr;
  float* rec = m_DrawList.Data() + m_DrawCount;
  m_DrawCount += kDrawRecord;
  return rec;
}

int c_MyApp::p_CLS2D(float r, float g, float b, float a) {
  m_DrawCount = 0;
  if (r > kNoValue) {
    m_ClsR = r;
    m_ClsG = g;
    m_ClsB = b;
    m_ClsAlpha = a;
  }
  p_ResetDraw();
  return 0;
}

int c_MyApp::p_ResetDraw() {
  m_DrawSizeX = 1;
  m_DrawSizeY = 1;
  m_DrawRot = 0;
  m_DrawR = 255;
  m_DrawG = 255;
  m_DrawB = 255;
  m_DrawAlpha = 1;
  m_DrawMode = 1;
  return 0;
}

int c_MyApp::p_SetSize(float sx, float sy) {
  m_DrawSizeX = sx;
  m_DrawSizeY = sy <= kNoValue ? sx : sy;
  return 0;
}

int c_MyApp::p_SetCol(float r, float g, float b, float a) {
  m_DrawR = r;
  m_DrawG = g;
  m_DrawB = b;
  if (a > kNoValue) m_DrawAlpha = a;
  return 0;
}

int c_MyApp::p_SetRot(float angle) {
  // Stored negated so that a positive angle turns clockwise on a y-down screen.
  m_DrawRot = -angle;
  return 0;
}

int c_MyApp::p_Alpha(float a) {
  m_DrawAlpha = a;
  return 0;
}

namespace {

void FillRecord(float* rec, float kind, float x, float y, float rot, float a, float b,
                float frame, const c_MyApp& app) {
  rec[kRecKind] = kind;
  rec[kRecX] = x;
  rec[kRecY] = y;
  rec[kRecRot] = rot;
  rec[kRecW] = a;
  rec[kRecH] = b;
  rec[kRecFrame] = frame;
  rec[kRecAlpha] = app.m_DrawAlpha;
  rec[kRecRed] = app.m_DrawR;
  rec[kRecGreen] = app.m_DrawG;
  rec[kRecBlue] = app.m_DrawB;
  rec[kRecMode] = static_cast<float>(app.m_DrawMode);
}

}  // namespace

int c_MyApp::p_DrawImg(int slot, float x, float y, float frame) {
  if (float* rec = p_NewRecord()) {
    FillRecord(rec, static_cast<float>(slot), x, y, m_DrawRot, m_DrawSizeX, m_DrawSizeY, frame,
               *this);
  }
  return 0;
}

int c_MyApp::p_Rect(float x, float y, float w, float h) {
  if (float* rec = p_NewRecord()) FillRecord(rec, kRectKind, x, y, m_DrawRot, w, h, 0, *this);
  return 0;
}

int c_MyApp::p_Oval(float x, float y, float rx, float ry) {
  if (float* rec = p_NewRecord()) FillRecord(rec, kOvalKind, x, y, m_DrawRot, rx, ry, 0, *this);
  return 0;
}

int c_MyApp::p_Text(float x, float y, String text, float alignX, float alignY) {
  int slot = m_CurFont;
  if (slot < 0 || slot >= m_Images.Length()) return 0;
  float adv = static_cast<float>(m_ImageInfo[3 * slot]);
  float lh = static_cast<float>(m_ImageInfo[3 * slot + 1]);
  // The run is the text behind one leading space (index 0), which is why every run starts
  // one advance to the right of its anchor. It is walked in place, without a new string.
  int len = text.Length() + 1;
  auto at = [&text](int i) { return i == 0 ? ' ' : text[i - 1]; };

  int width = 0;
  for (int i = 0; i < len - 1; ++i) {
    width = static_cast<int>(static_cast<float>(width) + (vg_Vantorell_Kerning(at(i)) + adv) * m_DrawSizeX);
  }
  float r = m_DrawRot;
  float ay = (alignY - 1) * 0.5f;
  float lineH = lh * m_DrawSizeY;
  float half = static_cast<float>(width) * alignX * 0.5f;
  float x0 = x + SinDeg(-r - 90) * half + SinDeg(-r) * lineH * ay;
  float y0 = y - CosDeg(-r - 90) * half - CosDeg(-r) * lineH * ay;

  float stepX = SinDeg(90 - r), stepY = -CosDeg(90 - r);
  float lineX = SinDeg(180 - r), lineY = -CosDeg(180 - r);
  float px = x0, py = y0;
  int line = 0;
  for (int i = 0; i < len; ++i) {
    int c = at(i);
    if (c == '\\' && i + 1 < len && at(i + 1) == 'n') {
      ++line;
      float d = static_cast<float>(line) * lh * m_DrawSizeY;
      px = x0 + lineX * d;
      py = y0 + lineY * d;
      ++i;
      continue;
    }
    if (c == 0) continue;
    if (c >= 33 && c <= 159) p_DrawImg(slot, px, py, static_cast<float>(c - 32));
    float a = (vg_Vantorell_Kerning(c) + adv) * m_DrawSizeX;
    px += stepX * a;
    py += stepY * a;
  }
  return 0;
}

String c_MyApp::p_rstr(int value, int width, String pad) {
  // The last `width` characters of pad repeated width + 1 times followed by the digits,
  // built in one piece: the score panels call this twenty times an update.
  if (width <= 0) return String();
  char digits[16];
  int digitCount = std::snprintf(digits, sizeof digits, "%d", value);
  long padTotal = static_cast<long>(pad.Length()) * (width + 1);
  long total = padTotal + digitCount;
  long start = total - width;
  if (start < 0) start = 0;  // an empty pad: only the digits there are
  int length = static_cast<int>(total - start);
  std::vector<Char> out;
  Char small[64];
  Char* buf = small;
  if (length > 64) {
    out.resize(static_cast<size_t>(length));
    buf = out.data();
  }
  for (long i = start; i < total; ++i) {
    buf[i - start] = i < padTotal ? static_cast<Char>(pad[static_cast<int>(i % pad.Length())])
                                  : static_cast<Char>(digits[i - padTotal]);
  }
  return String(buf, length);
}

void c_MyApp::p_FitScreen(int devW, int devH) {
  if (devW != m_DevW || devH != m_DevH) {
    // Only a size that wants another image set runs the loader again: a phone's rotation or
    // its address bar coming and going must not bring the loading screen back mid-game.
    if (p_ImageLevelFor(devW, devH) != p_ImageLevelFor(m_DevW, m_DevH)) m_Loading = 1;
    m_DevW = devW;
    m_DevH = devH;
  }
  // A device without an area (a minimised window) keeps the last fit instead of dividing
  // by zero.
  if (devW <= 0 || devH <= 0) return;
  float o = vg_Vantorell_overscan;
  float dw = static_cast<float>(devW), dh = static_cast<float>(devH);
  m_ScaleX = (dw - 2 * o) / vg_Vantorell_rawscrw;
  m_ScaleY = (dh - 2 * o) / vg_Vantorell_rawscrh;
  // The fitted side keeps the design size exactly: dividing by the rounded scale factor
  // would make 1024 / (1024 / 480) come out a hair under 480 and cost the menus a line.
  if (m_ScaleY > m_ScaleX) {
    m_ScaleMode = 2;
    m_ScaleX = m_ScaleY;
    vg_Vantorell_jscrh = vg_Vantorell_rawscrh;
    vg_Vantorell_jscrw = dw * vg_Vantorell_rawscrh / dh;
  } else {
    m_ScaleMode = 1;
    m_ScaleY = m_ScaleX;
    vg_Vantorell_jscrw = vg_Vantorell_rawscrw;
    vg_Vantorell_jscrh = dh * vg_Vantorell_rawscrw / dw;
  }
  // The screens are laid out for at least 16:9's 640 x 360. A wider window (a phone's 20:9)
  // fits that height instead and shows more width, which the screens fill from their edges.
  if (vg_Vantorell_jscrh < kLeastHeight) {
    m_ScaleMode = 2;
    m_ScaleX = m_ScaleY = (dh - 2 * o) / kLeastHeight;
    vg_Vantorell_jscrh = kLeastHeight;
    vg_Vantorell_jscrw = dw * kLeastHeight / dh;
  }
  m_Landscape = vg_Vantorell_jscrh <= vg_Vantorell_jscrw ? 1 : 0;
}

int c_MyApp::p_ImageLevelFor(int w, int h) {
  // The default 640 x 480 window draws the 1x art as it was drawn; only a larger window
  // takes the 2x set.
  if (w >= 1231 || h >= 1231) return 4;
  if (w > 640 || h > 640) return 2;
  return 1;
}

int c_MyApp::p_OnRender() {
  if (vg_Vantorell_HasMusic == 1 && m_Music) m_Music->p_Zq_Alive_R();
  int t = vg_app_Millisecs();
  if (t > m_RenderLastMillis) m_RenderFpsNow = 1000 / (t - m_RenderLastMillis);
  m_RenderFps = (m_RenderFps * 9 + m_RenderFpsNow) / 10;
  m_RenderLastMillis = t;

  int devW = vg_graphics_DeviceWidth();
  int devH = vg_graphics_DeviceHeight();
  p_FitScreen(devW, devH);

  float bx = vg_Vantorell_overscan;
  float by = devW > 0 ? vg_Vantorell_overscan * static_cast<float>(devH) / devW : 0;
  const float* list = m_DrawList.Data();
  int count = std::min(m_DrawCount, m_DrawList.Length()) / kDrawRecord * kDrawRecord;

  // A picture that begins as the last one did is put back from a copy of the window instead
  // of being drawn again; the copy is taken once that beginning has stayed the same for two
  // frames. What follows is drawn over it as usual.
  int same = p_SameAsLastReplay(list, count);
  std::array<float, 9> key = {static_cast<float>(devW), static_cast<float>(devH), m_ClsR,
                              m_ClsG, m_ClsB, m_ClsAlpha, bx, m_ImageScale,
                              static_cast<float>(m_ImageLoads)};
  // The sequencer draws and reads back its own pictures; it keeps the plain replay.
  bool copies = vg_Vantorell_HasMusic != 1;
  // Where the window shows its last picture on (a page's canvas), a render whose list and
  // settings are the last one's draws nothing at all. Every 60th draws all the same, so a
  // picture lost behind the game's back comes back within a second.
  if (copies && same == count && count == static_cast<int>(m_LastList.size()) &&
      key == m_LastKey && m_UndrawnRenders < 59 && vg_graphics_KeepsLastPicture()) {
    ++m_UndrawnRenders;
    return 0;
  }
  m_UndrawnRenders = 0;
  m_LastKey = key;
  // A record that hides the whole window (an opaque backdrop) makes the background and every
  // record before it invisible; on a software renderer each of those is a full-window fill.
  int first = p_LastCoveringRecord(devW, devH, bx, by);
  int from = 0;
  if (copies && m_CopyFloats > std::max(first, 0) && same >= m_CopyFloats && key == m_CopyKey &&
      vg_graphics_DrawWindowCopy()) {
    from = m_CopyFloats;
  } else {
    m_CopyFloats = -1;
    p_ReplayBackground(first, devW, devH);
    from = std::max(first, 0);
    constexpr int kWorthCopying = 4 * kDrawRecord;
    if (copies && same == m_LastSame && same - from >= kWorthCopying) {
      p_ReplayRecords(from, same);
      if (vg_graphics_CopyWindow()) m_CopyFloats = same, m_CopyKey = key;
      from = same;
    }
  }
  p_ReplayRecords(from, count);
  m_LastSame = same;
  m_LastList.assign(list, list + count);
  return 0;
}

void c_MyApp::p_ReplayBackground(int first, int devW, int devH) {
  if (first < 0) {
    if (m_ClsAlpha == 1) {
      // The same bytes the rectangle's vertices would carry, written by a clear.
      vg_graphics_Cls(std::trunc(m_ClsR), std::trunc(m_ClsG), std::trunc(m_ClsB));
    } else {
      vg_graphics_SetColor(m_ClsR, m_ClsG, m_ClsB);
      vg_graphics_SetAlpha(m_ClsAlpha);
      vg_graphics_DrawRect(-1, -1, static_cast<float>(devW + 2), static_cast<float>(devH + 2));
    }
  }
  vg_graphics_SetColor(255, 255, 255);
  vg_graphics_SetAlpha(1);
}

void c_MyApp::p_ReplayRecords(int from, int to) {
  float bx = vg_Vantorell_overscan;
  int devW = vg_graphics_DeviceWidth(), devH = vg_graphics_DeviceHeight();
  float by = devW > 0 ? vg_Vantorell_overscan * static_cast<float>(devH) / devW : 0;
  float sx = m_ScaleX, sy = m_ScaleY;
  const float* list = m_DrawList.Data();
  for (int at = from; at + kDrawRecord <= to; at += kDrawRecord) {
    const float* rec = list + at;
    vg_graphics_SetAlpha(rec[kRecAlpha]);
    vg_graphics_SetColor(rec[kRecRed], rec[kRecGreen], rec[kRecBlue]);
    vg_graphics_SetBlend(0);
    float kind = rec[kRecKind];
    float x = rec[kRecX] * sx + bx, y = rec[kRecY] * sy + by;
    if (kind == kRectKind) {
      vg_graphics_DrawRect(x, y, rec[kRecW] * sx, rec[kRecH] * sy);
    } else if (kind == kOvalKind) {
      vg_graphics_DrawEllipse(x, y, rec[kRecW] * sx, rec[kRecH] * sy);
    } else if (c_Image* image = p_RecordImage(rec)) {
      vg_graphics_DrawImage2(image, x, y, rec[kRecRot], rec[kRecW] * sx * m_ImageScale,
                             rec[kRecH] * sy * m_ImageScale, static_cast<int>(rec[kRecFrame]));
    }
  }
}

int c_MyApp::p_SameAsLastReplay(const float* list, int count) const {
  int n = std::min(count, static_cast<int>(m_LastList.size()));
  int at = 0;
  // Fields 8, 9 and 14 are never written, so they do not count.
  for (; at + kDrawRecord <= n; at += kDrawRecord) {
    const float* a = list + at;
    const float* b = m_LastList.data() + at;
    bool same = std::equal(a, a + kRecAlpha + 1, b) &&
                std::equal(a + kRecRed, a + kRecMode + 1, b + kRecRed);
    if (!same) break;
  }
  return at;
}

c_Image* c_MyApp::p_RecordImage(const float* rec) {
  float kind = rec[kRecKind], frame = rec[kRecFrame];
  if (!(kind > -1 && kind < static_cast<float>(m_Images.Length()))) return nullptr;
  c_Image* image = m_Images[static_cast<int>(kind)];
  // A frame outside the image would read past its frame table; such a record is skipped like
  // one whose slot is empty.
  if (!image || !(frame > -1) || !(frame < static_cast<float>(image->p_Frames()))) return nullptr;
  return image;
}

int c_MyApp::p_LastCoveringRecord(int devW, int devH, float bx, float by) {
  if (devW <= 0 || devH <= 0) return -1;
  const float* list = m_DrawList.Data();
  int count = std::min(m_DrawCount, m_DrawList.Length()) / kDrawRecord * kDrawRecord;
  // Each edge a pixel beyond the window, so that no pixel centre lies on one: the texels
  // sampled are then the frame's own, whatever the rounding.
  auto covers = [devW, devH](float x0, float x1, float y0, float y1) {
    return std::min(x0, x1) <= -1 && std::max(x0, x1) >= devW + 1 && std::min(y0, y1) <= -1 &&
           std::max(y0, y1) >= devH + 1;
  };
  for (int at = count - kDrawRecord; at >= 0; at -= kDrawRecord) {
    const float* rec = list + at;
    if (!(rec[kRecAlpha] >= 1)) continue;  // alpha below 1 lets what is under it show
    float x = rec[kRecX] * m_ScaleX + bx, y = rec[kRecY] * m_ScaleY + by;
    if (rec[kRecKind] == kRectKind) {
      if (covers(x, x + rec[kRecW] * m_ScaleX, y, y + rec[kRecH] * m_ScaleY)) return at;
      continue;
    }
    c_Image* image = p_RecordImage(rec);
    if (!image || rec[kRecRot] != 0) continue;
    float ix = rec[kRecW] * m_ScaleX * m_ImageScale, jy = rec[kRecH] * m_ScaleY * m_ImageScale;
    float left = x - image->m_tx * ix, right = x + (image->m_width - image->m_tx) * ix;
    float top = y - image->m_ty * jy, bottom = y + (image->m_height - image->m_ty) * jy;
    if (covers(left, right, top, bottom) &&
        vg_graphics_FrameOpaque(image, static_cast<int>(rec[kRecFrame]))) {
      return at;
    }
  }
  return -1;
}
