// The real program under a private X server, keys typed through XTEST: play, pause, change
// the sound mode in the options, resume, quit through the pause menu and read the saved
// record; a second start must load all three blocks. Screens land in <build>/test-screens.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/game/menu_testing.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace fs = std::filesystem;
using namespace menutest;

namespace {
void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Held for several updates, then time for the latches to clear.
void Key(const char* name, int after = 0) {
  vgtest::XdotoolKey("keydown", name);
  Sleep(120);
  vgtest::XdotoolKey("keyup", name);
  Sleep(280 + after);
}

// Until the loading screen's corner colour (40, 40, 80) gives way to the title menu, then its
// slide-in: a loaded machine may need far longer than usual to get through the loader.
void WaitForTitleMenu(unsigned long window) {
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  for (int i = 0; i < 300; ++i, Sleep(100)) {
    if (!vgtest::CaptureRgb(window, &rgb, &w, &h) || w < 8 || h < 8) continue;
    const unsigned char* p = &rgb[(4 * static_cast<size_t>(w) + 4) * 3];
    bool loading = p[0] == 40 && p[1] == 40 && p[2] == 80, black = !p[0] && !p[1] && !p[2];
    if (!loading && !black) break;
  }
  Sleep(1000);
}

// Runs the program in work with stdout to log: waits for its window, runs steps, closes
// the window and returns the exit status.
int RunProgram(const std::string& work, const std::string& log, const std::function<void(unsigned long)>& steps) {
  auto start = [&] { if (std::freopen(log.c_str(), "w", stdout)) vgtest::ExecGame(); };
  return vgtest::RunProgramIn(work, start, [&](int) {
    unsigned long window = vgtest::FindWindowByTitle("Vantorell", 20);
    EXPECT_NE(0u, window) << "no window";
    if (window) steps(window), vgtest::SendDeleteWindow(window);
  }, 10);
}

// The state file once it is a valid record with field `index` equal to `value` (15 s at most).
std::vector<std::string> WaitForField(const std::string& path, size_t index, const std::string& value) {
  for (int i = 0; i < 300; ++i, Sleep(50)) {
    std::string text = ReadFile(path);
    if (IsValidRecord(text) && Fields(text)[index] == value) return Fields(text);
  }
  ADD_FAILURE() << "field " << index << " never became " << value << ": " << ReadFile(path);
  return std::vector<std::string>(56);
}
}  // namespace

class MenusEndToEnd : public vgtest::XvfbTest {};

TEST_F(MenusEndToEnd, SoundModeChangedInPauseOptionsSurvivesARestart) {
  std::string screens = std::string(std::getenv("VG_BUILD_DIR")) + "/test-screens";
  std::string work = vgtest::ProgramFolder("menus-e2e", true), state = work + "/.tarvikstate";
  ASSERT_FALSE(work.empty());
  fs::create_directories(screens);
  // A known last-ten table: the quit's score moves it one place down once it is filed.
  Record seed;
  seed.settings[5] = 1;
  for (int i = 0; i < 10; ++i) seed.last[i] = 11 + i;
  WriteFile(state, seed.Text());
  EXPECT_EQ(0, RunProgram(work, work + "/first.log", [&](unsigned long window) {
    vgtest::FocusWindow(window);
    WaitForTitleMenu(window);
    Key("Return", 500);  // play
    Key("Escape", 300);  // pause
    Key("Right");        // the options item
    Key("Return", 600);  // the box fades in
    Key("Down");         // the sound row
    Key("Return");       // SFX + Music -> SFX
    vgtest::Screenshot(window, screens + "/menus_options.png");
    Key("Up");      // the back row
    Key("Return");  // closes the box and saves
    EXPECT_EQ(WaitForField(state, 5, "2")[36], "11") << "nothing filed yet";
    Sleep(700);
    Key("Escape", 700);  // resume
    Key("Escape", 300);  // pause again
    Key("Left");         // the quit item
    Key("Return");
    EXPECT_EQ(WaitForField(state, 38, "11")[5], "2") << "the score filed, the sound mode kept";
    vgtest::Screenshot(window, screens + "/menus_after_quit.png");
  }));
  EXPECT_EQ(0, RunProgram(work, work + "/second.log", [](unsigned long) { Sleep(1000); }));
  std::string out = ReadFile(work + "/second.log");
  for (const char* line : {"Settings Loaded\n", "Badges Loaded\n", "Highscore 0 Loaded\n"})
    EXPECT_NE(out.find(line), std::string::npos) << out;
  if (!HasFailure()) fs::remove_all(work);
}
