// Temporary empty bodies for c_MyApp methods whose real definitions are still being written,
// so the game links meanwhile. OWNERS: delete each line here as you implement its method in
// your own file (gameplay.cpp, effects.cpp, menu.cpp, pause.cpp, record.cpp, results.cpp);
// delete this file when it is empty.
#include "game/myapp.h"

// game/gameplay.cpp
int c_MyApp::p_Game() { return 0; }
int c_MyApp::p_InGame() { return 0; }
int c_MyApp::p_Fire(float, float) { return 0; }
int c_MyApp::p_AddObj(int, float, float, int) { return 0; }
int c_MyApp::p_Gimme(int, float, float) { return 0; }
int c_MyApp::p_ResetPlayers() { return 0; }
int c_MyApp::p_Rand(float, float) { return 0; }

// game/effects.cpp
int c_MyApp::p_Ink(int, float) { return 0; }
int c_MyApp::p_ResetParticles(int) { return 0; }
int c_MyApp::p_FreeParticle() { return -1; }
int c_MyApp::p_ThrowParticle(float, float, int, int, float, float) { return 0; }
int c_MyApp::p_AddParticle(int, float, float, float, float, int, int, float) { return 0; }
int c_MyApp::p_Debris(float, float, int) { return 0; }
int c_MyApp::p_DoParticles() { return 0; }
int c_MyApp::p_ResetStars(int) { return 0; }
int c_MyApp::p_DoStars(float, float) { return 0; }
int c_MyApp::p_AddTXT(float, float, String, float) { return 0; }
int c_MyApp::p_AddTwitter() { return 0; }

// game/menu.cpp
int c_MyApp::p_Menu() { return 0; }
int c_MyApp::p_LoadMenu() { return 0; }

// game/pause.cpp
int c_MyApp::p_PauseMenu() { return 0; }
int c_MyApp::p_OptionBox() { return 0; }
int c_MyApp::p_OuyaQuit() { return 0; }
