// Resource loading for c_MyApp: images in three resolutions by slot, fonts, numbered sound
// effects, the staged loader behind the loading screen, the start gate and the set-up of a
// new game. p_OnUpdate runs p_Loader while m_Loading > 0 (playing is in sound_window.cpp).
#include <cmath>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "sequencer/zqplayer.h"

namespace {

bool InSlots(int slot, int length) { return slot >= 0 && slot < length; }

}  // namespace

void c_MyApp::p_ApplyResolution() {
  m_ImgLevel = p_ImageLevelFor(vg_graphics_DeviceWidth(), vg_graphics_DeviceHeight());
  m_ImageScale = 1.0f / static_cast<float>(m_ImgLevel);
}

namespace {

String ResolutionSuffix(int level) {
  if (level == 2) return String("-hd");
  if (level == 4) return String("-hd2");
  return String();
}

}  // namespace

int c_MyApp::p_LoadImg(int slot, String name, int w, int h, int frames, int flags) {
  if (!InSlots(slot, m_Images.Length())) return 0;
  ++m_ImageLoads;
  int res = m_ImgLevel;
  String file = name + ResolutionSuffix(res) + String(".png");
  m_Images[slot] = nullptr;
  gc_assign(m_Images[slot], vg_graphics_LoadImage2(file, w * res, h * res, frames, flags));
  m_ImageInfo[3 * slot] = w * res;
  m_ImageInfo[3 * slot + 1] = h * res;
  m_ImageInfo[3 * slot + 2] = frames;
  return 0;
}

int c_MyApp::p_LoadImgRaw(int slot, String name, int w, int h, int frames, int flags) {
  if (!InSlots(slot, m_Images.Length())) return 0;
  ++m_ImageLoads;
  m_Images[slot] = nullptr;
  gc_assign(m_Images[slot], vg_graphics_LoadImage2(name + String(".png"), w, h, frames, flags));
  m_ImageInfo[3 * slot] = w;
  m_ImageInfo[3 * slot + 1] = h;
  m_ImageInfo[3 * slot + 2] = frames;
  return 0;
}

int c_MyApp::p_LoadFont(int slot, String name, int advance, int lineHeight) {
  if (!InSlots(slot, m_Images.Length())) return 0;
  ++m_ImageLoads;
  int res = m_ImgLevel;
  String file = name + ResolutionSuffix(res) + String(".png");
  m_Images[slot] = nullptr;
  gc_assign(m_Images[slot], vg_graphics_LoadImage2(file, 16 * res, 16 * res, 128, 1));
  m_ImageInfo[3 * slot] = advance;
  m_ImageInfo[3 * slot + 1] = lineHeight;
  m_ImageInfo[3 * slot + 2] = 128;
  m_CurFont = slot;
  return 0;
}

int c_MyApp::p_LoadSFX(int n) {
  if (!InSlots(n, m_Sounds.Length())) return 0;
  String digits(n);
  String pad = n < 10 ? String("00") : n < 100 ? String("0") : String();
  gc_assign(m_Sounds[n], vg_audio_LoadSound(String("sfx/") + pad + digits + String(".wav")));
  return 0;
}

int c_MyApp::p_Loader() {
  p_ApplyResolution();
  switch (m_Loading) {
    case 1:
      p_LoadImg(kImgIcons, "common/icons", 32, 32, 16, 1);
      p_LoadSFX(kSfxJingle);
      break;
    case 2:
      p_LoadImg(kImgButtons, "common/Buttons", 64, 64, 16, 1);
      break;
    case 3:
      p_LoadImg(kImgPad, "common/dpad", 32, 32, 16, 1);
      break;
    case 4:
      p_LoadImg(kImgStudioMark, "common/ZOLTLogo", 256, 256, 1, 1);
      if (m_JinglePlayed == 0) {
        p_PlaySFX(kSfxJingle, 1);
        m_JinglePlayed = 1;
      }
      break;
    case 5:
      p_LoadImg(kImgTestcard, "common/Testcard_Circle", 256, 256, 1, 1);
      break;
    case 6:
      p_LoadFont(kImgFont, "fonts/quilbent", 7, 10);
      break;
    case 7:
      p_LoadSFX(kSfxShot);
      break;
    case 8:
      p_LoadSFX(kSfxClick);
      break;
    case 9:
      p_LoadSFX(kSfxSelect);
      break;
    case 10:
      p_LoadSFX(kSfxCursor);
      break;
    case 11:
      p_LoadImg(kImgMenu, "menu", 256, 256, 4, 1);
      break;
    case 12:
      p_LoadImg(kImgLogo, "logo", 256, 128, 1, 1);
      break;
    case 13:
      p_LoadImg(kImgParts, "parts", 8, 8, 256, 1);
      break;
    case 14:
      p_LoadImg(kImgBadges, "BadgesA", 64, 64, 64, 1);
      break;
    case 15:
      p_LoadImg(kImgSprites, "gfx", 32, 32, 64, 1);
      break;
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      p_LoadSFX(kSfxExplosion + m_Loading - 16);  // explosion, three hits, power-up, pickup
      break;
    case 22:
      p_LoadImgRaw(kImgNamesA, "output", 32, 32, 1024, 1);
      break;
    case 23:
      p_LoadImgRaw(kImgNamesB, "outputb", 32, 32, 1024, 1);
      break;
    default:
      if (m_Loading >= 24) m_Loading = 0;
      break;
  }
  if (m_Loading > 0) ++m_Loading;
  p_WaitStart(1);
  return 0;
}

int c_MyApp::p_Reload() {
  m_ClsR = 0;
  m_ClsG = 0;
  m_ClsB = 0;
  m_ClsAlpha = 1;
  p_ApplyResolution();
  // The loading screen itself needs the logo and the font before the first stage runs.
  p_LoadImg(kImgStudioMark, "common/ZOLTLogo", 256, 256, 1, 1);
  p_LoadFont(kImgFont, "fonts/quilbent", 7, 10);
  m_Loading = 1;
  return 0;
}

int c_MyApp::p_WaitStart(int mode) {
  p_CLS2D(40, 40, 80, 1);
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  m_SpinSize = static_cast<int>(w < h ? w : h);
  int a = m_SpinAngle;
  // Kept within a turn so a loading screen left up for days cannot overflow the counter.
  m_SpinAngle = (m_SpinAngle + 16) % 360;
  float cx = w * 0.5f, cy = h * 0.5f;
  float s = static_cast<float>(m_SpinSize);
  auto ring = [&](float grey, int start) {
    for (int i = 0; i <= 10; ++i) {
      p_SetCol(grey, grey, grey, static_cast<float>(i) / 10.0f);
      float theta = static_cast<float>(a + start + 16 * i) * 0.017453292f;
      p_Oval(cx + std::sin(theta) * s * 0.25f, cy - std::cos(theta) * s * 0.25f, 8, 8);
    }
  };
  if (mode == 1) ring(250, 196);
  p_SetCol(255, 255, 0, 0.8f);
  p_Oval(cx, cy, s * 0.3f, s * 0.3f);
  p_SetCol(250, 160, 60, 0.7f);
  p_Rect(0, 0.4f * h, w, 0.2f * h);
  p_ResetDraw();
  p_DrawImg(kImgStudioMark, cx, 0.48f * h, 0);
  if (mode == 1) {
    ring(50, 16);
    return 0;
  }
  float gy = 0.7f * h;
  p_SetCol(0, 0, 0, 0.2f);
  p_Oval(cx, gy, 136, 24);
  p_Oval(cx, gy, 132, 20);
  p_Oval(cx, gy, 128, 16);
  p_SetSize(2);
  p_SetCol(255, 255, 255, 1);
  p_Text(cx, gy, "Click to Start", 1, 1);
  float mx = static_cast<float>(m_MouseX), my = static_cast<float>(m_MouseY);
  if (m_MouseHit > 0 && mx > 0.25f * w && mx < 0.75f * w && my > 0.25f * h && my < 0.75f * h) {
    m_PointerMode = 1;
    m_Screen = kScreenMenu;
    p_Reload();
    vg_app_SetUpdateRate(60);
  }
  return 0;
}

int c_MyApp::p_LoadGame() {
  m_Paused = 0;
  m_Score = 0;
  m_GameOver = 0;
  m_GameOverTimer = 0;
  m_Screen = kScreenGame;
  m_Bonus = 5000;
  m_ViewX = m_ViewY = m_ViewTargetX = m_ViewTargetY = 0;
  if (vg_Vantorell_HasMusicStream == 1) {
    p_PlayTune("Brisklet", 0);
    vg_audio_PrefetchMusic("sfx/Sollenmark.ogg");
  }
  if (vg_Vantorell_HasMusic == 1 && m_Music) {
    static const char* const kTunes[] = {"Corvath/Tune_12", "Retro/Glimmerpit", "Retro/Tessaly"};
    if (m_TuneChoice >= 1 && m_TuneChoice <= 3) {
      m_Music->p_Zq_StartTune(kTunes[m_TuneChoice - 1], 37171650, 100);
    }
  }
  p_ResetStars(100);
  m_ParticleMax = 250;
  for (int i = 0; i <= 250; ++i) m_Particles[kPoolRecord * i + kPartKind] = 0;
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i < 500; ++i) m_Actors[i] = 0;
  m_Actors[kPlayerX] = -650;
  m_Actors[kPlayerY] = h / 2;
  m_Actors[kTargetY] = h / 2;
  m_Actors[kEnemyX] = w + 100;
  m_Actors[kEnemyY] = 0.75f * h;
  m_Actors[kEnemyHealth] = 50;
  m_Actors[kStarDriftX] = -2;
  m_Actors[kStarDriftY] = 0;
  for (int k = 1; k <= 4; ++k) {
    m_Actors[kSpareActor * k] = 1;
    m_Actors[kSpareActor * k + 1] = 128;
    m_Actors[kSpareActor * k + 2] = static_cast<float>(k) * h / 5;
  }
  m_Phase = 0;
  m_PhaseTimer = 0;
  m_Coins = 6;
  for (int i = 0; i < kBullets; ++i) m_Bullets[kPoolRecord * i + kBulActive] = 0;
  // A game quit during the credits leaves its letters, stars and names in the pool; they
  // must not drift into the next game's story to be shot for points, and its score line
  // starts from 0 rather than easing down from the last game's score.
  for (int i = 0; i < kObjects; ++i) m_Objects[kPoolRecord * i + kObjType] = 0;
  m_ShownScore = 0;
  return 0;
}
