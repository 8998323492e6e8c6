// Resource loading for c_MyApp: images in three resolutions by slot, fonts, numbered sound
// effects played round-robin, streamed tunes, the staged loader behind the loading screen,
// the start gate, the window/full-screen switch and the set-up of a new game.
// p_OnUpdate runs p_Loader while m_Loading > 0; the screens call the play functions.
#include <cmath>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "host/glfw_game.h"
#include "sequencer/zqplayer.h"

namespace {

constexpr int kSfxChannels = 24;

bool InSlots(int slot, int length) { return slot >= 0 && slot < length; }

bool EffectsOn(const Array<int>& settings) { return settings[5] == 1 || settings[5] == 2; }
bool MusicOn(const Array<int>& settings) { return settings[5] == 1 || settings[5] == 3; }

}  // namespace

void c_MyApp::p_ApplyResolution() {
  int w = vg_graphics_DeviceWidth();
  int h = vg_graphics_DeviceHeight();
  m_ImgLevel = 1;
  m_ImageScale = 1;
  // The default 640 x 480 window draws the 1x art as it was drawn; only a larger window
  // takes the 2x set.
  if (w > 640 || h > 640) {
    m_ImgLevel = 2;
    m_ImageScale = 0.5f;
  }
  if (w >= 1231 || h >= 1231) {
    m_ImgLevel = 4;
    m_ImageScale = 0.25f;
  }
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

int c_MyApp::p_PlaySFX(int n, float rate, float volume, float pan) {
  if (!EffectsOn(m_Settings)) return 0;
  return p_PlaySFXRaw(n, rate, volume, pan);
}

int c_MyApp::p_PlaySFX(int n, float volume) { return p_PlaySFX(n, 1, volume, 0); }

int c_MyApp::p_PlaySFXRaw(int n, float rate, float volume, float pan) {
  // Advanced before use, so the first effect plays on channel 1; the oldest effect is cut off.
  m_SfxChan = (m_SfxChan + 1) % kSfxChannels;
  if (m_SfxChan < 0 || m_SfxChan > 31) m_SfxChan = 0;
  int ch = m_ChanMap[m_SfxChan];
  vg_audio_StopChannel(ch);
  if (InSlots(n, m_Sounds.Length()) && m_Sounds[n]) vg_audio_PlaySound(m_Sounds[n], ch, 0);
  vg_audio_SetChannelRate(ch, rate);
  vg_audio_SetChannelVolume(ch, volume);
  vg_audio_SetChannelPan(ch, pan);
  return 0;
}

int c_MyApp::p_PlayTune(String name, int flags) {
  String file = String("sfx/") + name + String(".ogg");
  if (m_MusicOn) {
    vg_audio_StopMusic();
    m_MusicOn = 0;
  }
  if (MusicOn(m_Settings)) {
    // A missing file gives -1 and silence; the flag is set all the same.
    vg_audio_PlayMusic(file, flags);
    m_MusicOn = 1;
  }
  return 0;
}

int c_MyApp::p_StopTune() {
  vg_audio_StopMusic();
  m_MusicOn = 0;
  return 0;
}

int c_MyApp::p_Loader() {
  p_ApplyResolution();
  switch (m_Loading) {
    case 1:
      p_LoadImg(97, "common/icons", 32, 32, 16, 1);
      p_LoadSFX(96);
      break;
    case 2:
      p_LoadImg(95, "common/Buttons", 64, 64, 16, 1);
      break;
    case 3:
      p_LoadImg(94, "common/dpad", 32, 32, 16, 1);
      break;
    case 4:
      p_LoadImg(93, "common/ZOLTLogo", 256, 256, 1, 1);
      if (m_JinglePlayed == 0) {
        p_PlaySFX(96, 1);
        m_JinglePlayed = 1;
      }
      break;
    case 5:
      p_LoadImg(91, "common/Testcard_Circle", 256, 256, 1, 1);
      break;
    case 6:
      p_LoadFont(90, "fonts/quilbent", 7, 10);
      break;
    case 7:
      p_LoadSFX(1);
      break;
    case 8:
      p_LoadSFX(95);
      break;
    case 9:
      p_LoadSFX(98);
      break;
    case 10:
      p_LoadSFX(99);
      break;
    case 11:
      p_LoadImg(99, "menu", 256, 256, 4, 1);
      break;
    case 12:
      p_LoadImg(98, "logo", 256, 128, 1, 1);
      break;
    case 13:
      p_LoadImg(96, "parts", 8, 8, 256, 1);
      break;
    case 14:
      p_LoadImg(80, "BadgesA", 64, 64, 64, 1);
      break;
    case 15:
      p_LoadImg(1, "gfx", 32, 32, 64, 1);
      break;
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      p_LoadSFX(m_Loading - 14);
      break;
    case 22:
      p_LoadImgRaw(2, "output", 32, 32, 1024, 1);
      break;
    case 23:
      p_LoadImgRaw(3, "outputb", 32, 32, 1024, 1);
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
  p_LoadImg(93, "common/ZOLTLogo", 256, 256, 1, 1);
  p_LoadFont(90, "fonts/quilbent", 7, 10);
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
  p_DrawImg(93, cx, 0.48f * h, 0);
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
    m_Screen = 1;
    p_Reload();
    vg_app_SetUpdateRate(60);
  }
  return 0;
}

int c_MyApp::p_FullscreenFlip() {
  VgGlfwGame* host = VgGlfwGame::_glfwGame;
  // Without a window host (a headless run) there is no window to replace, and the flag must
  // keep telling the truth about the one there is.
  if (!host) return 0;
  VgGlfwVideoMode* desktop = VgGlfwGame::GetGlfwDesktopMode();
  m_Fullscreen = 1 - m_Fullscreen;
  if (m_Fullscreen == 1) {
    host->SetGlfwWindow(desktop->Width, desktop->Height, desktop->RedBits, desktop->GreenBits,
                        desktop->BlueBits, 0, 0, 0, true);
  } else {
    host->SetGlfwWindow(640, 480, desktop->RedBits, desktop->GreenBits, desktop->BlueBits, 0,
                        0, 0, false);
  }
  return 0;
}

int c_MyApp::p_LoadGame() {
  m_Paused = 0;
  m_Score = 0;
  m_GameOver = 0;
  m_GameOverTimer = 0;
  m_Screen = 10;
  m_Bonus = 5000;
  m_ViewX = m_ViewY = m_ViewTargetX = m_ViewTargetY = 0;
  if (vg_Vantorell_HasMusicStream == 1) p_PlayTune("Brisklet", 0);
  if (vg_Vantorell_HasMusic == 1 && m_Music) {
    static const char* const kTunes[] = {"Corvath/Tune_12", "Retro/Glimmerpit", "Retro/Tessaly"};
    if (m_TuneChoice >= 1 && m_TuneChoice <= 3) {
      m_Music->p_Zq_StartTune(kTunes[m_TuneChoice - 1], 37171650, 100);
    }
  }
  p_ResetStars(100);
  m_ParticleMax = 250;
  for (int i = 0; i <= 250; ++i) m_Particles[10 * i] = 0;
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  for (int i = 0; i < 500; ++i) m_Actors[i] = 0;
  m_Actors[1] = -650;
  m_Actors[2] = h / 2;
  m_Actors[4] = h / 2;
  m_Actors[5] = w + 100;
  m_Actors[6] = 0.75f * h;
  m_Actors[7] = 50;
  m_Actors[51] = -2;
  m_Actors[52] = 0;
  for (int k = 1; k <= 4; ++k) {
    m_Actors[100 * k] = 1;
    m_Actors[100 * k + 1] = 128;
    m_Actors[100 * k + 2] = static_cast<float>(k) * h / 5;
  }
  m_Phase = 0;
  m_PhaseTimer = 0;
  m_Coins = 6;
  for (int i = 0; i < 25; ++i) m_Bullets[10 * i] = 0;
  // A game quit during the credits leaves its letters, stars and names in the pool; they
  // must not drift into the next game's story to be shot for points, and its score line
  // starts from 0 rather than easing down from the last game's score.
  for (int i = 0; i <= 500; ++i) m_Objects[10 * i] = 0;
  m_ShownScore = 0;
  return 0;
}
