// The game's module globals. They hold zero (and the shared empty arrays) until vgInit in
// game/main.cpp gives them their start values; every game file reads them through myapp.h.
#include "game/myapp.h"

float vg_Vantorell_rawscrw = 0;
float vg_Vantorell_rawscrh = 0;
float vg_Vantorell_jscrw = 0;
float vg_Vantorell_jscrh = 0;
float vg_Vantorell_overscan = 0;
int vg_Vantorell_isOuya = 0;
int vg_Vantorell_iCadeControls = 0;
int vg_Vantorell_OnScreenControls = 0;
int vg_Vantorell_AccelerometerControls = 0;
int vg_Vantorell_DebugMode = 0;
int vg_Vantorell_HasMusic = 0;
int vg_Vantorell_HasMusicStream = 0;
Array<String> vg_Vantorell_TwitterName;
Array<String> vg_Vantorell_CreditText;
