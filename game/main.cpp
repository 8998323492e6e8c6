// The program's entry: main hands over to the host's start-up sequence, which calls vgInit
// (every module global gets its start value and the roots are registered) and vgMain
// (the game object is created). The test harness compiles this file too, without main.
#include <cstring>

#include "framework/framework.h"
#include "framework/random.h"
#include "game/myapp.h"
#include "game/texts.h"
#include "host/glfw_game.h"
#include "runtime/gc.h"
#include "runtime/startup.h"

#ifndef VANTORELL_SEQUENCER_MUSIC
#define VANTORELL_SEQUENCER_MUSIC 0
#endif

namespace {

String Utf8(const char* text) {
  return String::FromUtf8(text, static_cast<int>(std::strlen(text)));
}

// Names 0..1438 from the fixed table, then four empty entries that are never picked.
Array<String> BuildTwitterNames() {
  constexpr int kNames = sizeof(kDisplayNames) / sizeof(kDisplayNames[0]);
  Array<String> names(kNames + 4);
  for (int i = 0; i < kNames; ++i) names[i] = Utf8(kDisplayNames[i]);
  return names;
}

Array<String> BuildCreditText() {
  constexpr int kLines = sizeof(kCreditLines) / sizeof(kCreditLines[0]);
  Array<String> lines(kLines);
  for (int i = 0; i < kLines; ++i) lines[i] = Utf8(kCreditLines[i]);
  return lines;
}

}  // namespace

int vgInit() {
  // The framework's rows: app, delegate and device globals null, the host copied, a new
  // graphics context, the update rate 0 and the empty async-event registry.
  vg_framework_InitGlobals();
  vg_Vantorell_isOuya = 0;
  vg_Vantorell_overscan = 0;
  vg_Vantorell_HasMusic = VANTORELL_SEQUENCER_MUSIC ? 1 : 0;
  vg_Vantorell_DebugMode = 0;
  vg_Vantorell_rawscrw = 640.0f;
  vg_Vantorell_rawscrh = 480.0f;
  vg_Vantorell_jscrw = 640.0f;
  vg_Vantorell_jscrh = 480.0f;
  vg_Vantorell_iCadeControls = 0;
  // The sequencer build plays its own tunes; the streamed ones would drown them out.
  vg_Vantorell_HasMusicStream = VANTORELL_SEQUENCER_MUSIC ? 0 : 1;
  vg_random_Seed = 1234;
  gc_assign(vg_Vantorell_TwitterName, BuildTwitterNames());
  gc_assign(vg_Vantorell_CreditText, BuildCreditText());
  vg_Vantorell_OnScreenControls = 0;
  vg_Vantorell_AccelerometerControls = 0;

  vg_framework_AddRoots();
  gc_root(vg_Vantorell_TwitterName);
  gc_root(vg_Vantorell_CreditText);
  return 0;
}

int vgMain() {
  (new c_MyApp())->m_new();
  return 0;
}

#ifndef VANTORELL_NO_MAIN
int main(int argc, char* argv[]) {
  VgTarvikGame::Main(argc, argv);
  return 0;
}
#endif
