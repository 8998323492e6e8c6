// Program entry points shared by the game executable and the tests.
// The host calls vgInit() once to set up globals and roots, then vgMain() to run;
// game/main.cpp defines both (a test may define its own pair).
#pragma once

int vgInit();
int vgMain();
