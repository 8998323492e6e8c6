// The scripted long session (see soak.h). OpenAL buffers are counted by wrapping the audio
// seam's buffer generator and asking OpenAL which of the names it handed out still exist, so
// a buffer parked on the discarded list counts as alive until OpenAL has really let it go.
#include "tests/support/soak.h"

#include <AL/al.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "devices/al_api.h"
#include "game/myapp.h"
#include "host/glfw_game.h"
#include "runtime/gc.h"

namespace vgtest {

namespace {

std::set<unsigned int> gBuffers;  // names handed out (OpenAL reuses them); pruned when found deleted
void (*gGenBuffers)(int, unsigned int*) = nullptr;

void CountingGenBuffers(int n, unsigned int* names) {
  gGenBuffers(n, names);
  gBuffers.insert(names, names + n);
}

int BuffersAlive() {
  for (auto it = gBuffers.begin(); it != gBuffers.end();) it = alIsBuffer(*it) ? std::next(it) : gBuffers.erase(it);
  return static_cast<int>(gBuffers.size());
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

}  // namespace

void Steer(Harness& h, c_MyApp* a) {
  float y = a->m_Actors[kPlayerY], target = a->m_Phase == 1 ? a->m_Actors[kEnemyY] : y, best = 1e9f;
  for (int i = 0; a->m_Phase == 3 && i < kObjects; ++i) {
    const float* o = &a->m_Objects[i * kPoolRecord];
    float x = o[kObjX] + o[kObjFlyIn];
    if (o[kObjType] == kObjStar && x <= 600 && x >= 80 && std::abs(o[kObjY] - y) < best)
      best = std::abs(o[kObjY] - y), target = o[kObjY];
  }
  y < target - 4 ? h.Press(kKeyDown) : h.Release(kKeyDown);
  y > target + 4 ? h.Press(kKeyUp) : h.Release(kKeyUp);
}

Soak::Soak(Harness& h) : h_(h) {
  if (!gGenBuffers) gGenBuffers = vgAl.GenBuffers, vgAl.GenBuffers = CountingGenBuffers;
  h_.Start();
  glfwGraphicsSeq = 1;  // as if a window were open, so images make (recorded) textures
  h_.FinishLoading();
  Idle(40);
}

// One update and one render, like the main loop keeping up. The recorder's call log is
// emptied every second so the harness itself weighs little and the same at every sample.
void Soak::Step() {
  h_.Frame();
  if (++updates_ % 60 == 0) h_.gl().Clear();
}

void Soak::Idle(long updates) {
  for (long i = 0; i < updates; ++i) Step();
  idle_ += updates;
}

bool Soak::Fail(const std::string& why) {
  error_ = "game " + std::to_string(games_ + 1) + ": " + why;
  for (int key : {kKeySpace, kKeyUp, kKeyDown}) h_.Release(key);
  return false;
}

bool Soak::PlayGame() {
  c_MyApp* a = h_.app();
  auto tap = [&](int key) { h_.Press(key), Step(), h_.Release(key), Step(); };
  if (a->m_Screen != kScreenMenu) return Fail("not on the title menu");
  // The options box and back: its first row is the way out.
  tap(kKeyDown), tap(kKeyEnter), Idle(31);
  if (a->m_OptionsOpen != 1) return Fail("the options box did not open");
  tap(kKeyEnter), Idle(31), tap(kKeyUp);
  if (a->m_OptionsOpen != 0) return Fail("the options box did not close");

  h_.Press(kKeySpace);  // starts the game and stays held as fire
  for (int i = 0; i < 10 && a->m_Screen != kScreenGame; ++i) Step();
  if (a->m_Screen != kScreenGame) return Fail("no game started");
  for (int f = 0; a->m_Screen == kScreenGame && f < 12000; ++f) {
    // Held keys latch out the pause, so fire is let go around it.
    if (f == 300) h_.Release(kKeySpace), Step(), tap(kKeyEscape), Idle(20);
    if (f == 301 && a->m_Paused != 1) return Fail("no pause");
    if (f == 400) tap(kKeyEscape), Idle(60), h_.Press(kKeySpace);
    if (f == 500) h_.Resize(800, 600);
    if (f == 560) h_.Resize(640, 480);
    if (f == 700 || f == 800) tap(kKeyF11);
    Steer(h_, a);
    Step();
  }
  for (int key : {kKeySpace, kKeyUp, kKeyDown}) h_.Release(key);
  for (int i = 0; i < 300 && a->m_Screen != kScreenMenu; ++i) Step();
  if (a->m_Screen != kScreenMenu) return Fail("the game did not end on the title menu");
  Idle(60);
  ++games_;
  idle_ = 0;
  return true;
}

SoakSample Soak::Sample() {
  // The harness's own logs go first: they are not the game's memory.
  h_.gl().Clear(), h_.host()->TakeOpened();
  SoakSample s;
  s.games = games_;
  s.updates = updates_;
  s.idleUpdates = idle_;
  s.collectorBytes = gc_alloced_bytes;
  s.awaitingBytes = gc_free_bytes;
  s.outsideBytes = gc_external_bytes;
  s.residentKb = ResidentKb();
  s.alBuffers = BuffersAlive();
  s.glTextures = static_cast<int>(h_.gl().LiveTextures().size());
  return s;
}

std::string Soak::Table(const std::vector<SoakSample>& rows) {
  std::ostringstream out;
  out << "| after | updates | collector bytes | awaiting destruction | held outside | resident | AL buffers | GL textures |\n"
      << "|---|---|---|---|---|---|---|---|\n";
  for (const SoakSample& s : rows) {
    std::string after = s.games ? "game " + std::to_string(s.games) : std::string("start");
    if (s.games && s.idleUpdates >= 3600) after += " + " + std::to_string(s.idleUpdates / 3600) + " min idle";
    out << "| " << after << " | "
        << s.updates << " | " << s.collectorBytes << " | " << s.awaitingBytes << " | "
        << s.outsideBytes << " | " << s.residentKb / 1024.0 << " MB | " << s.alBuffers << " | " << s.glTextures << " |\n";
  }
  return out.str();
}

}  // namespace vgtest
