// The real program under a private X server (Mesa software GL, OpenAL's null output, a
// temporary folder with `data` linked): loading screen, title screen, F11 to full screen and
// back, and the close box ending with status 0. Screenshots go to <VG_BUILD_DIR>/test-screens.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "stb/stb_image_write.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

// Xlib last: its macros (Bool, Status, None) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;

namespace {

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
    XWindowAttributes attrs;
    XImage* image = nullptr;
    if (XGetWindowAttributes(d, window, &attrs) && attrs.map_state == IsViewable) {
      image = XGetImage(d, window, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
    }
    XSync(d, False);
    XSetErrorHandler(old);
    if (image) {
      width = image->width;
      height = image->height;
      rgb.resize(static_cast<size_t>(width) * height * 3);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          unsigned long px = XGetPixel(image, x, y);
          for (int c = 0; c < 3; ++c) rgb[(static_cast<size_t>(y) * width + x) * 3 + c] = px >> (16 - 8 * c);
        }
      }
      XDestroyImage(image);
    }
    XCloseDisplay(d);
    return width > 0;
  }
  void Save(const std::string& path) const {
    if (width > 0) stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3);
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

// Waits for the game to draw what check accepts, up to timeout seconds.
bool WaitFor(unsigned long* window, Picture* p, bool (*check)(const Picture&), double timeout) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  do {
    *window = vgtest::FindWindowByTitle("Vantorell", 1);
    if (*window && p->Grab(*window) && check(*p)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

}  // namespace

class EndToEnd : public vgtest::XvfbTest {};

TEST_F(EndToEnd, LoadingThenTitleThenFullScreenAndBackThenCloseBox) {
  std::string screens = std::string(std::getenv("VG_BUILD_DIR")) + "/test-screens";
  fs::create_directories(screens);
  std::string work = vgtest::ProgramFolder("e2e", true);
  ASSERT_FALSE(work.empty());
  EXPECT_EQ(0, vgtest::RunProgramIn(work, vgtest::ExecGame, [&](pid_t pid) {
    // The loader takes well under a second: the game is held still while each look is taken.
    unsigned long window = vgtest::FindWindowByTitle("Vantorell", 20);
    ASSERT_NE(0u, window) << "no window";
    Picture p;
    bool loading = false;
    for (int look = 0; look < 400 && !loading; ++look) {
      kill(pid, SIGSTOP);
      loading = p.Grab(window) && LooksLikeLoading(p);
      if (loading) p.Save(screens + "/e2e_loading.png");
      kill(pid, SIGCONT);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(loading) << "the loading screen was never seen";

    ASSERT_TRUE(WaitFor(&window, &p, LooksLikeTitle, 20)) << "no title screen";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the menu's slide-in
    ASSERT_TRUE(WaitFor(&window, &p, LooksLikeTitle, 5));
    p.Save(screens + "/e2e_title.png");
    EXPECT_EQ(640, p.width);

    // F11: a full-screen window at a desktop mode with the images drawn again (reloaded).
    vgtest::FocusWindow(window);
    vgtest::XdotoolKey("key", "F11");
    auto fullscreen = [](const Picture& pic) { return pic.width > 640 && LooksLikeTitle(pic); };
    ASSERT_TRUE(WaitFor(&window, &p, +fullscreen, 20)) << "no full-screen title";
    p.Save(screens + "/e2e_fullscreen.png");

    vgtest::FocusWindow(window);
    vgtest::XdotoolKey("key", "F11");
    auto windowed = [](const Picture& pic) { return pic.width == 640 && LooksLikeTitle(pic); };
    ASSERT_TRUE(WaitFor(&window, &p, +windowed, 20)) << "no windowed title after F11";
    p.Save(screens + "/e2e_windowed.png");

    // The close box: the window manager's delete request ends the program with status 0.
    ASSERT_TRUE(vgtest::SendDeleteWindow(window));
  }, 10));
  fs::remove_all(work);
}
