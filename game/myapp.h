// c_MyApp, the one application object of Vantorell: every screen of the game is a method of
// this class and nearly all game state lives in its fields. The framework calls the p_On*
// overrides; start-up (game/main.cpp) creates it. The methods are spread over the game/ files
// named in the comments below; each file's owner may add its own helper declarations there.
#pragma once
#include <array>
#include <vector>

#include "framework/app.h"
#include "framework/random.h"  // vg_random_Seed, vg_random_Rnd/Rnd2/Rnd3: the one generator
#include "game/names.h"
#include "runtime/array.h"
#include "runtime/string.h"

class c_Image;
class c_Sound;
class c_ZqPlayer;

// The "no value" marker: an unset drawing-setter argument, an up touch point, and the kind of
// a rectangle record in the draw list (an oval record is kNoValue + 1).
constexpr float kNoValue = -3717.0f;

// Draw list geometry: 15 floats a record, 2500 records of room, of which 2499 are ever used
// (an append is refused once the count passes 37484).
constexpr int kDrawRecord = 15;
constexpr int kDrawListFloats = 37500;
constexpr int kDrawListLimit = 37484;

// Letter spacing of the game's fonts, added to a font's advance width (text layout and the
// shootable letters).
int vg_Vantorell_Kerning(int c);

class c_MyApp : public c_App {
 public:
  // ---- Shared state (start values are those after p_OnCreate; the constructor zeroes all
  // ---- scalars and allocates the arrays with the lengths given).
  int m_Fullscreen = 0;       // 1 while full screen
  int m_PointerMode = 0;      // 1 once the start gate has been clicked
  int m_Screen = 0;           // a GameScreen (game/names.h)
  int m_DevW = 0, m_DevH = 0; // device size last seen by the render step
  c_ZqPlayer* m_Music = nullptr;
  float m_TiltX0 = 0, m_TiltY0 = 0;
  Array<c_Image*> m_Images;   // kImageSlots, by ImageSlot
  Array<int> m_ImageInfo;     // 300: width, height, frames per slot (advance, line height, 128 for fonts)
  int m_Loading = 0;          // loader stage, 0 when not loading
  int m_TuneChoice = 0;       // 2 after OnCreate; game mode / sequencer tune 1..3
  int m_MenuSlide = 0;        // -32
  int m_Paused = 0;
  int m_PauseStage = 0;       // -1
  int m_PauseSlide = 0;       // -64
  int m_i = 0;                // scratch index; every user sets it first
  Array<int> m_BadgePopupId;     // 15
  Array<int> m_BadgePopupTimer;  // 15
  Array<bool> m_BadgeFlags;      // 256
  Array<int> m_PadKeys;          // kPadKeyCount; entry kPadBack is the back key
  Array<int> m_Settings;         // kSettingCount, by SettingEntry; kSoundMode = kSoundAll
  Array<int> m_HighScores;       // 50
  Array<int> m_ChanMap;          // 33; entry i = i
  int m_RenderFps = 0;
  float m_ScaleX = 0, m_ScaleY = 0;

  // Draw list (game/drawlist.cpp).
  int m_DrawCount = 0;           // floats used, a multiple of kDrawRecord
  Array<float> m_DrawList;       // kDrawListFloats: records of DrawField
  // The replay's memory of earlier frames: the list as last replayed, how many of its floats
  // matched the one before, and the floats whose picture the kept window copy shows (-1 none)
  // with what else that picture depended on.
  std::vector<float> m_LastList;
  int m_LastSame = -1;
  int m_CopyFloats = -1;
  std::array<float, 9> m_CopyKey{};
  // The last drawn picture's settings, and renders since then that drew nothing.
  std::array<float, 9> m_LastKey{};
  int m_UndrawnRenders = 0;
  int m_ImageLoads = 0;  // images (re)loaded so far: a copy of older pictures is not reused
  float m_DrawSizeX = 0, m_DrawSizeY = 0;
  float m_DrawRot = 0;           // stored negated (see p_SetRot)
  float m_DrawR = 0, m_DrawG = 0, m_DrawB = 0;
  float m_DrawAlpha = 0;
  int m_DrawMode = 0;
  float m_ClsR = 0, m_ClsG = 0, m_ClsB = 0, m_ClsAlpha = 0;
  float m_ClipX = 0, m_ClipY = 0, m_ClipW = 0, m_ClipH = 0;  // kept for the screens; not applied
  int m_CurFont = 0;
  float m_ImageScale = 0;        // 1, 0.5 or 0.25
  int m_ImgLevel = 0;            // 1, 2 or 4
  int m_ScaleMode = 0;           // 1 fitted by width, 2 by height
  int m_Landscape = 0;
  int m_RenderLastMillis = 0, m_RenderFpsNow = 0;

  int m_HideHud = 0;
  int m_MusicOn = 0;
  int m_LastMillis = 0, m_FpsNow = 0, m_Fps = 0;
  int m_MouseX = 0, m_MouseY = 0, m_PrevMouseX = 0, m_PrevMouseY = 0;
  int m_PrevPointerDown = 0, m_PointerDown = 0, m_MouseHit = 0;
  Array<int> m_TouchDown;        // 10
  Array<int> m_TouchX;           // 10; -3717 while up
  Array<int> m_TouchY;           // 10; -3717 while up
  int m_BackLatch = 0, m_KeyLatch = 0;
  int m_CreditsOpen = 0, m_OptionsOpen = 0, m_BadgesOpen = 0;
  Array<c_Sound*> m_Sounds;      // kSoundSlots, by SoundSlot

  // Controls (game/controls.cpp).
  float m_AnalogX = 0, m_AnalogY = 0;
  float m_RampX = 0, m_RampY = 0;
  int m_StickAnchorX = 0, m_StickAnchorY = 0;  // x = -1: no anchor
  int m_PadX = 0, m_PadY = 0;
  float m_PadScale = 0;
  int m_PinchOn = 0, m_PinchPrev = 0;
  int m_ButtonHit = 0;
  float m_TiltShowX = 0, m_TiltShowY = 0;

  // Loader and sound (game/loader.cpp, game/sound_window.cpp).
  int m_SfxChan = 0;             // round-robin position 0..23
  int m_JinglePlayed = 0;
  int m_SpinAngle = 0, m_SpinSize = 0;

  // Gameplay (game/gameplay.cpp).
  Array<float> m_Actors;         // 512, by ActorEntry
  Array<float> m_Bullets;        // kBullets records of BulletField
  Array<float> m_Objects;        // 5100: kObjects records of ObjectField used
  int m_Phase = 0, m_PhaseTimer = 0;
  int m_Score = 0, m_ShownScore = 0, m_Bonus = 0, m_Coins = 0;
  int m_GameOver = 0;
  int m_CredAt = 0, m_CredStep = 0;
  int m_BarW = 0;
  int m_HitW = 0;
  float m_ViewX = 0, m_ViewY = 0, m_ViewTargetX = 0, m_ViewTargetY = 0;

  // Effects (game/effects.cpp).
  Array<float> m_Particles;      // 5100: records of ParticleField
  int m_ParticleMax = 0;         // 250 from construction
  Array<float> m_Stars;          // 5100: records of StarField
  int m_StarCount = 0;           // 100 from construction

  // Title menu (game/menu.cpp).
  int m_NewRank = 0;
  float m_PanelW = 0;
  int m_ScoreLines = 0;
  int m_MenuItem = 0;
  int m_ItemLock = 0;
  float m_Scroll = 0, m_ScrollTarget = 0, m_Fling = 0, m_DragSpeed = 0;
  float m_GearAngle = 0;
  int m_MenuVertical = 0;

  // Pause menu and options (game/pause.cpp).
  int m_PauseChoice = 0;
  int m_OptionsCursor = 0, m_OptionsRows = 0;
  int m_OptionsKeyLatch = 0, m_OptionsTouchLatch = 0;

  // Game over, badges and credits (game/results.cpp).
  int m_GameOverTimer = 0;
  float m_BadgeScroll = 0, m_BadgeScrollTarget = 0;
  float m_CreditScroll = 0;
  int m_CreditFirst = 0;

  int m_CreditsFade = 0, m_OptionsFade = 0;  // 0..30

  // ---- game/app.cpp: construction, creation, the per-update dispatcher, suspend/resume.
  c_MyApp();
  c_MyApp* m_new();
  int p_OnCreate() override;
  int p_OnUpdate() override;
  int p_OnSuspend() override;
  int p_OnResume() override;
  void mark() override;
  // Mouse and touch positions in virtual pixels, after the timing and before the latches.
  void p_TrackPointer();
  // The back-key and key latches: cleared once every key is up, closing the title menu's
  // boxes on back.
  void p_UpdateLatches();
  // Runs the current screen (m_Screen) and then the overlay boxes over it.
  void p_DispatchScreen();
  // On suspend and resume: in a game the game comes back paused half way down.
  void p_PauseForSuspend();

  // ---- game/drawlist.cpp: recording the picture and replaying it fitted to the window.
  int p_OnRender() override;
  int p_CLS2D(float r, float g, float b, float a);
  int p_ResetDraw();
  int p_SetSize(float sx, float sy = kNoValue);
  int p_SetCol(float r, float g, float b, float a = kNoValue);
  int p_SetRot(float angle);
  int p_Alpha(float a);
  int p_DrawImg(int slot, float x, float y, float frame);
  int p_Rect(float x, float y, float w, float h);
  int p_Oval(float x, float y, float rx, float ry);
  int p_Text(float x, float y, String text, float alignX = 0, float alignY = 0);
  String p_rstr(int value, int width, String pad);
  // The next free record, or null when the list is full (the record is then dropped).
  float* p_NewRecord();
  // Notices a resized device and fits the design screen to it, before the replay.
  void p_FitScreen(int devW, int devH);
  // The image a draw-list record shows, or null when its slot or frame holds none.
  c_Image* p_RecordImage(const float* rec);
  // Where the replay may start: the offset of the last record that hides the whole window,
  // or -1 when none does.
  int p_LastCoveringRecord(int devW, int devH, float bx, float by);
  // The replay's parts: the background fill (none when `first` >= 0, a record hiding it), the
  // records in floats [from, to), and how many floats of the list match the last replay's.
  void p_ReplayBackground(int first, int devW, int devH);
  void p_ReplayRecords(int from, int to);
  int p_SameAsLastReplay(const float* list, int count) const;

  // ---- game/controls.cpp: abstract game keys, analogue direction, touch areas.
  int p_PlayKey(int key, int mode, int player);
  int p_PlayKeyAll(int key, int mode);
  float p_StickX(int stick, int player);
  float p_StickY(int stick, int player);
  int p_iCade(int on);
  int p_AnalogueControl();
  int p_Button(int image, float x, float y, float frame);
  int p_Button0(int image, float x, float y, float frame);
  int p_Touch(float x, float y, float w, float h);
  int p_MouseIn_Centered(float x, float y, float w, float h);
  // After the screens: iCade letters, the on-screen pad and the tilt control.
  void p_ControlStep();
  void p_ReadICade();
  void p_OnScreenPad();
  void p_TiltControl();

  // ---- game/loader.cpp: images, fonts, sounds, the staged loader and the start gate.
  void p_ApplyResolution();
  // The image set (1, 2 or 4 times the design size) for a device of that size.
  static int p_ImageLevelFor(int w, int h);
  int p_LoadImg(int slot, String name, int w, int h, int frames, int flags);
  int p_LoadImgRaw(int slot, String name, int w, int h, int frames, int flags);
  int p_LoadFont(int slot, String name, int advance, int lineHeight);
  int p_LoadSFX(int n);
  int p_Loader();
  int p_Reload();
  int p_WaitStart(int mode);
  int p_LoadGame();

  // ---- game/sound_window.cpp: playing effects and tunes, the window switch.
  // Whether the sound setting lets effects play (kSoundAll, kSoundEffects).
  bool p_EffectsOn();
  // Whether it lets tunes play (kSoundAll, kSoundMusic).
  bool p_MusicOn();
  // Plays only when p_EffectsOn().
  int p_PlaySFX(int n, float rate, float volume, float pan);
  // Rate 1, pan 0.
  int p_PlaySFX(int n, float volume);
  // Skips the sound-setting test: for callers that have tested it already.
  int p_PlaySFXRaw(int n, float rate, float volume, float pan);
  int p_PlayTune(String name, int flags);
  int p_StopTune();
  int p_FullscreenFlip();

  // ---- game/gameplay.cpp: the game screen.
  int p_Game();
  int p_InGame();
  int p_Fire(float x, float y);
  int p_Gimme(int points, float x, float y);
  int p_ResetPlayers();
  int p_Rand(float lo, float hi);
  // Steps of p_Game, in the order it runs them.
  void p_FireControl();
  void p_VictoryPause();
  void p_DrawEnemy();
  void p_Story();
  void p_DoBullets();
  void p_ScoreLine();
  void p_RequestPause();
  // game/credits_roll.cpp: the credit groups and names of the credits phase.
  int p_CreditsRoll();

  // ---- game/effects.cpp: particles and stars.
  int p_Ink(int colour, float brightness);
  int p_ResetParticles(int n);
  int p_FreeParticle();
  int p_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed);
  int p_AddParticle(int kind, float x, float y, float dx, float dy, int frame, int colour,
                    float life);
  int p_Debris(float x, float y, int n);
  int p_DoParticles();
  int p_ResetStars(int n);
  int p_DoStars(float vx, float vy);

  // ---- game/objects.cpp: shootable letters, stars and names, and the texts made of them.
  int p_AddObj(int type, float x, float y, int frame);
  int p_AddTXT(float x, float y, String text, float size);
  int p_AddTwitter();
  // The step of p_Game after the bullets: moves, draws and hits every object.
  void p_DoObjects();

  // ---- game/menu.cpp: the title menu.
  int p_Menu();
  int p_LoadMenu();

  // ---- game/pause.cpp: pause menu, options box, quit prompt.
  int p_PauseMenu();
  int p_OptionBox();
  int p_OuyaQuit();
  // The options gear: three wheels of kImgButtons turning against each other by
  // m_GearAngle, at the current size and colour (the title menu draws it too).
  void p_DrawGear(float x, float y);

  // ---- game/record.cpp: the saved record of settings, badges and scores.
  int p_Save();
  int p_Load();

  // ---- game/results.cpp: badges, game over and the credits box.
  String p_BadgeID(int n);
  String p_BadgeName(int n);
  String p_BadgeDetail(int n);
  int p_GC_PostScore(int score, int board);
  int p_GC_Badges();
  int p_ShowBadges();
  int p_BadgesBox();
  int p_GameOver();
  String p_MyNth();
  int p_CreditBox();
};

// ---- Module globals, defined in game/globals.cpp and given their start values by vgInit
// ---- (game/main.cpp), which also registers the two string tables as roots.
extern float vg_Vantorell_rawscrw, vg_Vantorell_rawscrh;  // 640, 480: the design screen
extern float vg_Vantorell_jscrw, vg_Vantorell_jscrh;      // visible virtual area, 640, 480
extern float vg_Vantorell_overscan;                       // 0
extern int vg_Vantorell_isOuya;                           // 0
extern int vg_Vantorell_iCadeControls;                    // 0
extern int vg_Vantorell_OnScreenControls;                 // 0
extern int vg_Vantorell_AccelerometerControls;            // 0
extern int vg_Vantorell_DebugMode;                        // 0
extern int vg_Vantorell_HasMusic;                         // 0 (1 with VANTORELL_SEQUENCER_MUSIC)
extern int vg_Vantorell_HasMusicStream;                   // 1
extern Array<String> vg_Vantorell_TwitterName;            // 1443: 1439 names + 4 empty
extern Array<String> vg_Vantorell_CreditText;             // 49 lines
// vg_random_Seed (1234 at start) and vg_random_Rnd/Rnd2/Rnd3 live in framework/random.h, which
// the sequencer shares.
