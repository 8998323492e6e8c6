// The real program under a private X server with keys typed through XTEST: start a game from
// the title menu, pause, change the sound mode in the options, resume, quit through the pause
// menu, and check the saved record; a second start must report all three blocks loaded.
// Screenshots land in <VG_BUILD_DIR>/test-screens for a person to look at.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/game/menu_testing.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Holds a key long enough for several updates, then leaves time for the latches to clear.
void Key(const std::string& name) {
  vgtest::XdotoolKey("keydown", name);
  Sleep(120);
  vgtest::XdotoolKey("keyup", name);
  Sleep(280);
}

pid_t Launch(const std::string& binary, const std::string& work, const std::string& log) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work.c_str()) != 0) _exit(126);
    if (!freopen(log.c_str(), "w", stdout)) _exit(125);
    setenv("ALSOFT_DRIVERS", "null", 1);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int WaitForExit(pid_t pid, double seconds) {
  auto until = Clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (Clock::now() < until) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    Sleep(20);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

// Polls the state file until check accepts its fields; returns the last text read.
std::string WaitForRecord(const std::string& path, double seconds,
                          const std::function<bool(const std::vector<std::string>&)>& check) {
  auto until = Clock::now() + std::chrono::duration<double>(seconds);
  std::string text;
  do {
    text = menutest::ReadFile(path);
    if (menutest::IsValidRecord(text) && check(menutest::Fields(text))) return text;
    Sleep(50);
  } while (Clock::now() < until);
  return text;
}

bool Running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

}  // namespace

class MenusEndToEnd : public vgtest::XvfbTest {};

TEST_F(MenusEndToEnd, SoundModeChangedInPauseOptionsSurvivesARestart) {
  const char* build = std::getenv("VG_BUILD_DIR");
  ASSERT_NE(nullptr, build) << "VG_BUILD_DIR is set by CTest";
  std::string binary = std::string(build) + "/game/vantorell";
  ASSERT_TRUE(fs::exists(binary)) << binary;
  std::string data = std::string(build) + "/game/data";

  char pattern[] = "/tmp/vantorell-menus-e2e-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern));
  std::string work = pattern;
  if (fs::is_directory(data)) fs::create_directory_symlink(data, work + "/data");
  std::string state = work + "/.tarvikstate";
  std::string screens = std::string(build) + "/test-screens";
  fs::create_directories(screens);

  // A known last-ten table: when the game's score is filed it moves one place down, which
  // tells this test that the quit went all the way through game over to the menu.
  menutest::Record seed;
  seed.settings[5] = 1;
  for (int i = 0; i < 10; ++i) seed.last[i] = 11 + i;
  menutest::WriteFile(state, seed.Text());

  pid_t pid = Launch(binary, work, work + "/first.log");
  ASSERT_GT(pid, 0);
  unsigned long window = vgtest::FindWindowByTitle("Vantorell", 20);
  ASSERT_NE(0u, window) << "no window";
  vgtest::FocusWindow(window);
  Sleep(3000);  // loader and the menu's slide-in
  ASSERT_TRUE(Running(pid));
  vgtest::Screenshot(window, screens + "/menus_title.png");

  Key("Return");  // play
  Sleep(800);
  Key("Escape");  // pause
  Sleep(600);
  vgtest::Screenshot(window, screens + "/menus_pause.png");
  Key("Right");   // the options item
  Key("Return");
  Sleep(900);     // the options box fades in
  Key("Down");    // the sound row
  Key("Return");  // SFX + Music -> SFX
  vgtest::Screenshot(window, screens + "/menus_options.png");
  Key("Up");      // the back row
  Key("Return");  // closes the box and saves
  std::string saved = WaitForRecord(state, 10, [](const std::vector<std::string>& f) {
    return f[5] == "2";
  });
  EXPECT_EQ(menutest::Fields(saved).size(), 56u) << saved;
  ASSERT_EQ(menutest::Fields(saved)[5], "2") << saved;
  EXPECT_EQ(menutest::Fields(saved)[36], "11") << "nothing filed yet";
  vgtest::Screenshot(window, screens + "/menus_options_closed.png");

  Sleep(700);     // the box fades out over the pause menu
  Key("Escape");  // resume
  Sleep(1000);
  ASSERT_TRUE(Running(pid));
  Key("Escape");  // pause again
  Sleep(600);
  Key("Left");    // the quit item
  Key("Return");
  saved = WaitForRecord(state, 15, [](const std::vector<std::string>& f) {
    return f[38] == "11";  // last-ten entry 1: the seeded newest score, moved down
  });
  std::vector<std::string> f = menutest::Fields(saved);
  ASSERT_EQ(f.size(), 56u) << saved;
  EXPECT_EQ(f[38], "11") << saved;
  EXPECT_EQ(f[5], "2") << saved;
  EXPECT_TRUE(menutest::IsValidRecord(saved)) << saved;
  vgtest::Screenshot(window, screens + "/menus_after_quit.png");

  ASSERT_TRUE(vgtest::SendDeleteWindow(window));
  EXPECT_EQ(0, WaitForExit(pid, 10));

  // Second start: the record written above loads whole.
  pid = Launch(binary, work, work + "/second.log");
  ASSERT_GT(pid, 0);
  window = vgtest::FindWindowByTitle("Vantorell", 20);
  ASSERT_NE(0u, window);
  Sleep(1000);
  ASSERT_TRUE(vgtest::SendDeleteWindow(window));
  EXPECT_EQ(0, WaitForExit(pid, 10));
  std::string out = menutest::ReadFile(work + "/second.log");
  EXPECT_NE(out.find("Settings Loaded\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Badges Loaded\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Highscore 0 Loaded\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Invalid"), std::string::npos) << out;
  if (!HasFailure()) fs::remove_all(work);
}
