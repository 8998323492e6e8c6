// A long session through the headless harness: whole games in a row from the title menu
// (the options box, a pause, a resize and full screen on the way, fire held, the ship steered),
// idle time on the title menu, and what the process holds after each: the collector's bytes,
// resident memory, OpenAL buffers and GL textures alive. Used by the growth test and the soak.
#pragma once
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace vgtest {

struct SoakSample {
  int games = 0;
  long updates = 0;
  long idleUpdates = 0;  // on the title menu since the last game
  long collectorBytes = 0;  // on the collector's live lists: the reachable, and garbage not yet found
  long awaitingBytes = 0;   // found garbage not yet destroyed
  long long outsideBytes = 0;  // what collected objects hold outside the heap: pixels, buffers
  long residentKb = 0;
  int alBuffers = 0;
  int glTextures = 0;
};

// Arrow keys toward the enemy in the fight, toward the nearest arrived star in the credits.
void Steer(Harness& h, c_MyApp* a);

class Soak {
 public:
  // Starts the game, past its loader, with the title menu slid in. Counts OpenAL buffers from
  // here on by watching the audio seam.
  explicit Soak(Harness& h);

  // One whole game from the title menu back to it. False (with the reason in error()) when the
  // game did not go where the script expected.
  bool PlayGame();
  // Updates and renders on the title menu.
  void Idle(long updates);
  SoakSample Sample();
  const std::string& error() const { return error_; }

  // The samples as a Markdown table, one row each.
  static std::string Table(const std::vector<SoakSample>& rows);

 private:
  void Step();
  bool Fail(const std::string& why);

  Harness& h_;
  int games_ = 0;
  long updates_ = 0;
  long idle_ = 0;
  std::string error_;
};

}  // namespace vgtest
