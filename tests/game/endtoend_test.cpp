// The real program under a private X server (keys typed through XTEST, `data` linked): the
// loading and title screens, F11 to full screen and back, a sound mode changed in the pause
// menu's options and a quit through that menu, a second start that loads the saved record, the
// close box ending both with status 0; and what the console says when the game cannot start.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "tests/game/menu_testing.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

// Xlib last: its macros (Bool, Status, None) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;
using namespace menutest;

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Picture {
  std::vector<unsigned char> rgb;
  int width = 0, height = 0;

  // Straight from the server: a window replaced mid-read (by F11) gives an error here,
  // where a capture tool could hang.
  bool Grab(unsigned long window) {
    width = height = 0;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes a;
    XImage* image = XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable
                        ? XGetImage(d, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap) : nullptr;
    XSync(d, False);
    XSetErrorHandler(old);
    if (image) {
      width = image->width, height = image->height;
      rgb.resize(static_cast<size_t>(width) * height * 3);
      for (int i = 0; i < width * height; ++i)
        for (int c = 0, px = XGetPixel(image, i % width, i / width); c < 3; ++c) rgb[i * 3 + c] = px >> (16 - 8 * c);
      XDestroyImage(image);
    }
    XCloseDisplay(d);
    return width > 0;
  }
  const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  bool Near(int x, int y, int r, int g, int b, int tolerance) const {
    return std::abs(At(x, y)[0] - r) <= tolerance && std::abs(At(x, y)[1] - g) <= tolerance &&
           std::abs(At(x, y)[2] - b) <= tolerance;
  }
  // How many colours a box holds: a drawn image has many, a flat fill one.
  int Colours(int x0, int y0, int x1, int y1) const {
    std::set<int> seen;
    for (int y = y0; y < y1; y += 2) {
      for (int x = x0; x < x1; x += 2) seen.insert(At(x, y)[0] << 16 | At(x, y)[1] << 8 | At(x, y)[2]);
    }
    return static_cast<int>(seen.size());
  }
};

// The loading screen: its background, the orange band (alpha 0.7) and the logo in the middle.
bool LooksLikeLoading(const Picture& p) {
  return p.width == 640 && p.height == 480 && p.Near(4, 4, 40, 40, 80, 4) &&
         p.Near(8, 240, 187, 124, 66, 8) && p.Colours(256, 176, 384, 296) > 5;
}

// The title screen: not the loading background; title art and menu items scaled with the window.
bool LooksLikeTitle(const Picture& p) {
  if (p.width < 640 || p.height < 480) return false;
  float s = static_cast<float>(p.height) / 480;
  auto box = [&](float x0, float y0, float x1, float y1) {
    return p.Colours(static_cast<int>(x0 * s), static_cast<int>(y0 * s), static_cast<int>(x1 * s),
                     static_cast<int>(y1 * s));
  };
  return !p.Near(4, 4, 40, 40, 80, 4) && box(160, 80, 360, 180) > 12 &&
         box(200, 340, 360, 430) > 12;
}

// Waits for the game to draw what check accepts, up to timeout seconds (a loaded machine
// may need far longer than usual to get through the loader).
bool WaitFor(unsigned long* window, Picture* p, bool (*check)(const Picture&), double timeout) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  do {
    *window = vgtest::FindWindowByTitle("Vantorell", 1);
    if (*window && p->Grab(*window) && check(*p)) return true;
    Sleep(100);
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

// Held for several updates, then time for the latches to clear.
void Key(const char* name, int after = 0) {
  vgtest::XdotoolKey("keydown", name);
  Sleep(120);
  vgtest::XdotoolKey("keyup", name);
  Sleep(280 + after);
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

struct Ending {
  int status;
  std::string out, err;
};

// The built game run in dir with args, DISPLAY as given (null: unset), both streams kept. With
// steps, those run once its window is open (they may replace it), and then it is closed the
// way a window manager does.
Ending Play(const std::string& dir, std::vector<std::string> args, const char* display,
            const std::function<void(int pid, unsigned long* window)>& steps = nullptr) {
  std::string out = dir + "/out.log", err = dir + "/err.log";
  const char* build = std::getenv("VG_BUILD_DIR");
  std::string game = std::string(build ? build : ".") + "/game/vantorell";
  args.insert(args.begin(), game);
  int status = vgtest::RunProgramIn(dir, [&] {
    display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
    if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) _exit(125);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(game.c_str(), argv.data());
    _exit(127);
  }, [&](int pid) {
    if (!steps) return;
    unsigned long window = vgtest::FindWindowByTitle("Vantorell", 20);
    EXPECT_NE(0u, window) << "no window";
    if (window) steps(pid, &window), vgtest::SendDeleteWindow(window);
  }, 20);
  return {status, ReadFile(out), ReadFile(err)};
}

}  // namespace

class EndToEnd : public vgtest::XvfbTest {};

TEST_F(EndToEnd, LoadingTitleFullScreenPauseOptionsAndQuitThenTheRecordLoadsAtTheNextStart) {
  std::string work = vgtest::ProgramFolder("e2e", true), state = work + "/.tarvikstate";
  ASSERT_FALSE(work.empty());
  // A known last-ten table: the quit's score moves it one place down once it is filed.
  Record seed;
  seed.settings[5] = 1;
  for (int i = 0; i < 10; ++i) seed.last[i] = 11 + i;
  WriteFile(state, seed.Text());
  const char* display = std::getenv("DISPLAY");
  EXPECT_EQ(0, Play(work, {}, display, [&](int pid, unsigned long* window) {
    // The loader takes well under a second: the game is held still while each look is taken.
    Picture p;
    bool loading = false;
    for (int look = 0; look < 400 && !loading; ++look) {
      kill(pid, SIGSTOP);
      loading = p.Grab(*window) && LooksLikeLoading(p);
      kill(pid, SIGCONT);
      Sleep(5);
    }
    EXPECT_TRUE(loading) << "the loading screen was never seen";
    ASSERT_TRUE(WaitFor(window, &p, LooksLikeTitle, 30)) << "no title screen";
    EXPECT_EQ(640, p.width);

    // F11: a full-screen window at a desktop mode with the images drawn again (reloaded).
    vgtest::FocusWindow(*window);
    vgtest::XdotoolKey("key", "F11");
    auto fullscreen = [](const Picture& pic) { return pic.width > 640 && LooksLikeTitle(pic); };
    ASSERT_TRUE(WaitFor(window, &p, +fullscreen, 20)) << "no full-screen title";
    vgtest::FocusWindow(*window);
    vgtest::XdotoolKey("key", "F11");
    auto windowed = [](const Picture& pic) { return pic.width == 640 && LooksLikeTitle(pic); };
    ASSERT_TRUE(WaitFor(window, &p, +windowed, 20)) << "no windowed title after F11";
    vgtest::FocusWindow(*window);
    Sleep(1000);

    Key("Return", 500);  // play
    Key("Escape", 300);  // pause
    Key("Right");        // the options item
    Key("Return", 600);  // the box fades in
    Key("Down");         // the sound row
    Key("Return");       // SFX + Music -> SFX
    Key("Up");      // the back row
    Key("Return");  // closes the box and saves
    EXPECT_EQ(WaitForField(state, 5, "2")[36], "11") << "nothing filed yet";
    Sleep(700);
    Key("Escape", 700);  // resume
    Key("Escape", 300);  // pause again
    Key("Left");         // the quit item
    Key("Return");
    EXPECT_EQ(WaitForField(state, 38, "11")[5], "2") << "the score filed, the sound mode kept";
  }).status);
  Ending second = Play(work, {}, display, [](int, unsigned long*) { Sleep(1000); });
  EXPECT_EQ(second.status, 0);
  for (const char* line : {"Settings Loaded\n", "Badges Loaded\n", "Highscore 0 Loaded\n"})
    EXPECT_NE(second.out.find(line), std::string::npos) << second.out;
  if (!HasFailure()) fs::remove_all(work);
}

// What a player sees on the console when the game cannot start, or is asked about itself.
TEST(StartUp, OptionsAnswerWithoutAWindowAndAMissingFolderOrDisplayIsNamed) {
  std::string empty = vgtest::ProgramFolder("nodata", false), full = vgtest::ProgramFolder("nodisplay", true);
  ASSERT_FALSE(empty.empty() || full.empty());
  Ending version = Play(empty, {"--version"}, nullptr);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "vantorell " VG_PROJECT_VERSION "\n");
  Ending help = Play(empty, {"--help"}, nullptr);
  EXPECT_EQ(help.status, 0);
  for (const char* says : {"arcade shooter", "F11", "./data", ".tarvikstate", "man vantorell"}) {
    EXPECT_NE(help.out.find(says), std::string::npos) << says << " not in\n" << help.out;
  }
  EXPECT_EQ(version.err + help.err, "");
  Ending wrong = Play(full, {"--fullscreen"}, nullptr);
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err, "vantorell: unknown argument '--fullscreen'\nusage: vantorell [--help | --version]\n");

  // No data: one line naming the folder looked in and how to start, before any window.
  Ending nodata = Play(empty, {}, ":4242");
  EXPECT_EQ(nodata.status, 1);
  EXPECT_EQ(nodata.out, "");
  EXPECT_EQ(nodata.err, "vantorell: no game data in " + fs::canonical(empty).string() +
                            "/data; start the game with scripts/play from the source folder, with the "
                            "installed command vantorell, or from build/game after a build\n");
  // No display: the window library's line, its status, and which display was tried.
  for (const char* display : {static_cast<const char*>(nullptr), ":4242"}) {
    Ending none = Play(full, {}, display);
    EXPECT_EQ(none.status, 255);
    EXPECT_EQ(none.out, "glfwInit failed\n");
    EXPECT_EQ(none.err, std::string("vantorell: no display could be opened (DISPLAY is ") +
                            (display ? display : "not set") + ")\n");
  }
  fs::remove_all(empty);
  fs::remove_all(full);
}
