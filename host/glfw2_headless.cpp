// The headless window: no display and no GL context, a pretend 1280 x 720 desktop, and focus
// and minimising as the test sets them. The tests and the layers' headless harnesses switch
// the facade to it at run time (glfw2_testing::SetHeadless); desktop build only.
#include "host/glfw2_backend.h"
#include "host/glfw2_testing.h"

namespace {

// The pretend desktop.
constexpr int kDesktopW = 1280, kDesktopH = 720;

class Headless : public glfw2_internal::Backend {
 public:
  bool active = true, iconified = false, keepsPicture = false;

  bool Init() override { return true; }
  // Nothing outlives the facade's test reset.
  void Terminate() override { *this = Headless(); }

  bool Open(const glfw2_internal::OpenRequest& r) override {
    open_ = true;
    active = true;
    iconified = false;
    width_ = r.fullscreen ? kDesktopW : r.width;
    height_ = r.fullscreen ? kDesktopH : r.height;
    return true;
  }
  void Close() override { open_ = false; }
  bool IsOpen() override { return open_; }

  void SetTitle(const char*) override {}
  void GetSize(int* width, int* height) override {
    if (!open_) return;
    *width = width_;
    *height = height_;
  }
  void SetSize(int width, int height) override {
    if (!open_) return;
    width_ = width;
    height_ = height;
  }
  void SetPos(int, int) override {}
  void Iconify() override {
    if (open_) iconified = true;
  }
  void Restore() override {
    if (open_) iconified = false;
  }
  void SwapBuffers() override {}
  void SwapInterval(int) override {}
  bool KeepsLastPicture() override { return keepsPicture; }

  bool Active() override { return active; }
  bool Iconified() override { return iconified; }
  int RefreshRate() override { return 0; }
  bool NoResize() override { return false; }

  int VideoModes(glfw2::GLFWvidmode* list, int maxcount) override {
    // A 16-bit mode first (5 red, 5 blue, 6 green), then the desktop.
    const glfw2::GLFWvidmode modes[2] = {{640, 480, 5, 5, 6}, {kDesktopW, kDesktopH, 8, 8, 8}};
    int n = maxcount < 2 ? maxcount : 2;
    for (int i = 0; i < n; ++i) list[i] = modes[i];
    return n;
  }
  void DesktopMode(glfw2::GLFWvidmode* mode) override {
    *mode = glfw2::GLFWvidmode{kDesktopW, kDesktopH, 8, 8, 8};
  }

  void PollEvents() override {}
  void WaitEvents() override {}

  bool KeyDown(int, bool recorded) override { return recorded; }
  bool MouseDown(int, bool recorded) override { return recorded; }
  void CursorPos(double*, double*) override {}
  void SetCursorPos(double, double) override {}
  void ApplyInputModes(bool, bool, bool) override {}

  void* ProcAddress(const char*) override { return nullptr; }
  bool ExtensionSupported(const char*) override { return false; }
  bool ReadJoystick(int, glfw2_internal::JoystickReading*) override { return false; }

 private:
  bool open_ = false;
  int width_ = 0, height_ = 0;
};

Headless headless;

}  // namespace

namespace glfw2_testing {

void SetHeadless(bool on) { glfw2_internal::UseBackend(on ? &headless : nullptr); }

void SetHeadlessWindowState(bool active, bool iconified) {
  headless.active = active;
  headless.iconified = iconified;
}

void SetHeadlessKeepsLastPicture(bool keeps) { headless.keepsPicture = keeps; }

}  // namespace glfw2_testing
