// c_MyApp's life: construction with every pool allocated once, OnCreate, the per-update
// dispatcher with the global keys, pointer bookkeeping, latches and the screen state machine,
// and suspend/resume. The framework's delegate calls the p_On* methods; vgMain creates it.
#include "framework/app.h"
#include "framework/asyncevent.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "game/myapp.h"
#include "runtime/console.h"
#include "sequencer/zqplayer.h"

namespace {

// Runtime key codes (Windows virtual-key numbers) of the global keys.
constexpr int kKeyF1 = 112;
constexpr int kKeyF2 = 113;
constexpr int kKeyF4 = 115;
constexpr int kKeyF11 = 122;
constexpr int kKeyBack = 416;
constexpr int kKeyClose = 432;
constexpr int kJoy0Button14 = 256 + 14;

// Truncation toward zero, kept inside int range: a window pixel divided by a scale that is
// not set yet (no render has run) must not become an undefined conversion.
int ToVirtual(float pixels, float offset, float scale) {
  if (!(scale > 0)) scale = 1;
  float v = (pixels - offset) / scale;
  if (!(v > -1e9f)) return -1000000000;
  if (v > 1e9f) return 1000000000;
  return static_cast<int>(v);
}

// Moves a fade counter one step toward 30 while its box is open and toward 0 once closed.
void StepFade(int& fade, bool open) {
  if (open) {
    if (fade < 30) ++fade;
  } else if (fade > 0) {
    --fade;
  }
}

}  // namespace

c_MyApp::c_MyApp()
    : m_Images(kImageSlots),
      m_ImageInfo(3 * kImageSlots),
      m_BadgePopupId(15),
      m_BadgePopupTimer(15),
      m_BadgeFlags(256),
      m_PadKeys(kPadKeyCount),
      m_Settings(kSettingCount),
      m_HighScores(50),
      m_ChanMap(33),
      m_DrawList(kDrawListFloats),
      m_TouchDown(10),
      m_TouchX(10),
      m_TouchY(10),
      m_Sounds(kSoundSlots),
      m_Actors(512),
      m_Bullets(kBullets * kPoolRecord),
      m_Objects(5100),
      m_Particles(5100),
      m_ParticleMax(250),
      m_Stars(5100),
      m_StarCount(100) {
  // No touch-stick anchor yet: 0 would be a real anchor at the screen's corner.
  m_StickAnchorX = -1;
  m_Music = (new c_ZqPlayer())->m_new();
}

c_MyApp* c_MyApp::m_new() {
  c_App::m_new();
  return this;
}

int c_MyApp::p_OnCreate() {
  if (vg_Vantorell_isOuya == 1) vg_Vantorell_overscan = 64;
  m_Fullscreen = 0;
  m_PointerMode = 0;
  m_Screen = kScreenMenu;
  vg_app_SetUpdateRate(60);
  m_DevW = vg_graphics_DeviceWidth();
  m_DevH = vg_graphics_DeviceHeight();
  if (vg_Vantorell_HasMusic == 1 && m_Music) m_Music->p_Zq_Init(32, 4, 3, 3, 4);
  m_TiltX0 = 0;
  m_TiltY0 = 0;
  p_Reload();
  // The game's tune decodes while the loader runs, so PLAY starts it without a wait. The
  // victory tune is minutes of play away: p_LoadGame asks for it, which keeps its 10 MB of
  // samples out of the title menu's memory.
  if (vg_Vantorell_HasMusicStream == 1) vg_audio_PrefetchMusic("sfx/Brisklet.ogg");
  m_TuneChoice = 2;
  m_MenuSlide = -32;
  m_Paused = 0;
  m_PauseStage = -1;
  m_PauseSlide = -64;
  for (int i = 0; i < 15; ++i) {
    m_BadgePopupId[i] = 0;
    m_BadgePopupTimer[i] = 0;
  }
  for (int i = 0; i < 128; ++i) m_BadgeFlags[i] = false;
  for (int i = 0; i < kPadBack; ++i) m_PadKeys[i] = 0;  // the back entry is rewritten every update
  for (int i = 0; i < kSettingCount; ++i) m_Settings[i] = 0;
  m_Settings[kSoundMode] = kSoundAll;
  for (int i = 0; i <= 10; ++i) m_HighScores[i] = 0;
  p_Load();
  for (int i = 0; i < 33; ++i) m_ChanMap[i] = i;
  return 0;
}

int c_MyApp::p_OnUpdate() {
  if (vg_Vantorell_isOuya == 0) {
    m_PadKeys[kPadBack] = vg_input_KeyHit(kKeyBack);
  } else {
    m_PadKeys[kPadBack] = vg_input_KeyHit(kJoy0Button14) ? 1 : 0;
  }
  if (vg_input_KeyHit(kKeyF11)) p_FullscreenFlip();
  // Nothing is saved on this way out.
  if (vg_input_KeyHit(kKeyF4) || vg_input_KeyHit(kKeyClose)) vgError(String());
  if (vg_input_KeyHit(kKeyF1)) vg_Vantorell_DebugMode = 1 - vg_Vantorell_DebugMode;
  if (vg_input_KeyHit(kKeyF2)) m_HideHud = 1 - m_HideHud;

  vg_asyncevent_UpdateAsyncEvents();

  if (vg_Vantorell_HasMusicStream == 1 && m_MusicOn == 1) {
    if (m_Paused) {
      vg_audio_PauseMusic();
    } else {
      vg_audio_ResumeMusic();
    }
  }

  int now = vg_app_Millisecs();
  if (now > m_LastMillis) m_FpsNow = 1000 / (now - m_LastMillis);
  m_Fps = (m_Fps * 9 + m_FpsNow) / 10;
  m_LastMillis = now;

  if (vg_Vantorell_HasMusic == 1 && m_Music) {
    m_Music->p_Zq_Alive_U(m_Paused, p_MusicOn() ? 1 : 0);
  }

  p_TrackPointer();
  p_UpdateLatches();
  if (m_Loading == 0) p_DispatchScreen();
  if (m_Loading > 0) p_Loader();
  p_ControlStep();

  if (vg_Vantorell_DebugMode == 1 && m_Screen != kScreenStartGate) {
    p_ResetDraw();
    float y = vg_Vantorell_jscrh - 16;
    if (vg_Vantorell_AccelerometerControls == 1 && vg_Vantorell_iCadeControls == 0) {
      y = vg_Vantorell_jscrh * 0.5f;
    }
    p_Text(16, y, String(m_ScaleY) + String(",") + String(m_ScaleX) + String(":") +
                      String(m_RenderFps));
  }
  p_ShowBadges();
  return 0;
}

void c_MyApp::p_TrackPointer() {
  m_PrevMouseX = m_MouseX;
  m_PrevMouseY = m_MouseY;
  float o = vg_Vantorell_overscan;
  int devW = vg_graphics_DeviceWidth();
  int devH = vg_graphics_DeviceHeight();
  float oy = devW > 0 ? o * (static_cast<float>(devH) / static_cast<float>(devW)) : o;
  m_MouseX = ToVirtual(vg_input_MouseX(), o, m_ScaleX);
  m_MouseY = ToVirtual(vg_input_MouseY(), oy, m_ScaleY);
  int leftDown = vg_input_MouseDown(0);
  // A new press must not read as a jump from wherever the pointer was last seen.
  if (!m_PrevPointerDown && leftDown) {
    m_PrevMouseX = m_MouseX;
    m_PrevMouseY = m_MouseY;
  }
  m_PointerDown = leftDown;
  m_MouseHit = vg_input_MouseHit(0);

  for (int i = 0; i < 10; ++i) {
    m_TouchDown[i] = 0;
    m_TouchX[i] = static_cast<int>(kNoValue);
    m_TouchY[i] = static_cast<int>(kNoValue);
    if (vg_input_KeyDown(c_InputDevice::kKeyTouchBase + i)) {
      m_TouchDown[i] = 1;
      m_TouchX[i] = ToVirtual(vg_input_TouchX(i), o, m_ScaleX);
      m_TouchY[i] = ToVirtual(vg_input_TouchY(i), oy, m_ScaleY);
      m_PointerDown = 1;
    }
  }
  m_PrevPointerDown = leftDown;
  if (m_PointerDown == 0) m_BackLatch = 0;
}

void c_MyApp::p_UpdateLatches() {
  bool anyHeld = false;
  for (int key : kLatchedKeys) {
    if (p_PlayKeyAll(key, 1) > 0) {
      anyHeld = true;
      break;
    }
  }
  if (!anyHeld) m_KeyLatch = 0;
  if (m_KeyLatch == 0 && m_BackLatch == 0 && m_Screen == kScreenMenu && p_PlayKeyAll(kGameBack, 1) > 0) {
    if (m_CreditsOpen == 1 || m_BadgesOpen == 1 || m_OptionsOpen == 1) {
      m_CreditsOpen = 0;
      m_BadgesOpen = 0;
      m_KeyLatch = 1;
      m_BackLatch = 1;
    }
  }
  // The options box reads its own latches; the screens below it must see nothing.
  if (m_OptionsOpen == 1) {
    m_KeyLatch = 1;
    m_BackLatch = 1;
  }
}

void c_MyApp::p_DispatchScreen() {
  switch (m_Screen) {
    case kScreenMenu:
      p_Menu();
      break;
    case kScreenEnterMenu:
      p_LoadMenu();
      p_PlaySFX(kSfxJingle, 1);
      m_Screen = kScreenMenu;
      break;
    case kScreenQuitPrompt:
      p_OuyaQuit();
      break;
    case kScreenStartGate:
      p_WaitStart(0);
      break;
    case kScreenGame:
      p_Game();
      p_InGame();
      if (m_GameOver > 0) p_GameOver();
      break;
    case kScreenLoadGame:
      p_LoadGame();
      break;
    default:
      break;
  }
  if (m_Screen == kScreenMenu || m_Screen == kScreenEnterMenu) p_GameOver();
  if (m_Screen == kScreenMenu) {
    if (m_CreditsOpen == 1 || m_CreditsFade > 0) p_CreditBox();
    if (m_BadgesOpen == 1) p_BadgesBox();
    StepFade(m_CreditsFade, m_CreditsOpen == 1);
  }
  if (m_OptionsOpen == 1 || m_OptionsFade > 0) p_OptionBox();
  StepFade(m_OptionsFade, m_OptionsOpen == 1);
}

void c_MyApp::p_PauseForSuspend() {
  if (m_Screen < kScreenGame) {
    m_Paused = 0;
    m_PauseStage = 0;
    m_PauseSlide = 0;
  } else {
    m_Paused = 1;
    m_PauseStage = 1;
    m_PauseSlide = static_cast<int>(vg_Vantorell_jscrh * 0.5f);
  }
}

int c_MyApp::p_OnSuspend() {
  vg_app__game->SetKeyboardEnabled(false);
  vg_Vantorell_iCadeControls = 0;
  for (int i = 0; i < kPadBack; ++i) m_PadKeys[i] = 0;
  p_PauseForSuspend();
  vg_app_SetUpdateRate(5);
  p_Save();
  return 0;
}

int c_MyApp::p_OnResume() {
  p_PauseForSuspend();
  vg_app_SetUpdateRate(60);
  vg_app__game->SetKeyboardEnabled(false);
  vg_Vantorell_iCadeControls = 0;
  for (int i = 0; i < kPadBack; ++i) m_PadKeys[i] = 0;
  return 0;
}

void c_MyApp::mark() {
  c_App::mark();
  gc_mark_q(m_Music);
  gc_mark_q(m_Images);
  gc_mark_q(m_ImageInfo);
  gc_mark_q(m_BadgePopupId);
  gc_mark_q(m_BadgePopupTimer);
  gc_mark_q(m_BadgeFlags);
  gc_mark_q(m_PadKeys);
  gc_mark_q(m_Settings);
  gc_mark_q(m_HighScores);
  gc_mark_q(m_ChanMap);
  gc_mark_q(m_DrawList);
  gc_mark_q(m_TouchDown);
  gc_mark_q(m_TouchX);
  gc_mark_q(m_TouchY);
  gc_mark_q(m_Sounds);
  gc_mark_q(m_Actors);
  gc_mark_q(m_Bullets);
  gc_mark_q(m_Objects);
  gc_mark_q(m_Particles);
  gc_mark_q(m_Stars);
}
