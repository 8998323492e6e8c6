// Temporary empty bodies for c_MyApp methods whose real definitions are still being written,
// so the game links meanwhile. OWNERS: delete each line here as you implement its method in
// your own file (gameplay.cpp, effects.cpp, menu.cpp, pause.cpp, record.cpp, results.cpp);
// delete this file when it is empty.
#include "game/myapp.h"

// game/pause.cpp
int c_MyApp::p_PauseMenu() { return 0; }
int c_MyApp::p_OptionBox() { return 0; }
int c_MyApp::p_OuyaQuit() { return 0; }
