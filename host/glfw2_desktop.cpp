// The desktop's window backend over the system's GLFW 3: a real window (full screen on the
// desktop's own mode), its focus and minimising as its events report them, the close box, and
// pads through GLFW 3's gamepad mappings. host/CMakeLists.txt builds it; the page has its own
// (host/web/web_window.cpp).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/glfw2_glfw3.h"
#include "runtime/file_read.h"

namespace {

using glfw2_internal::JoystickReading;

static_assert(GLFW_GAMEPAD_BUTTON_DPAD_LEFT == glfw2_internal::kPadDpadLeft &&
                  GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER == glfw2_internal::kPadRightTrigger,
              "GLFW 3's gamepad state is read in the facade's pad layout");

class Desktop : public glfw2_internal::Glfw3Backend {
 public:
  bool Init() override {
    if (::glfwInit() != GLFW_TRUE) return false;
    inited_ = true;
    ReadGamepadMappings();
    return true;
  }
  void Terminate() override {
    ::glfwTerminate();
    inited_ = false;
  }

  bool Open(const glfw2_internal::OpenRequest& r) override {
    int width = r.width, height = r.height;
    glfw2_internal::Glfw3WindowHints(r);
    GLFWmonitor* monitor = nullptr;
    if (r.fullscreen) {
      // Full screen keeps the desktop's own mode, so the display never switches modes.
      monitor = glfwGetPrimaryMonitor();
      const ::GLFWvidmode* desk = monitor ? glfwGetVideoMode(monitor) : nullptr;
      if (desk) {
        width = desk->width;
        height = desk->height;
        glfwWindowHint(GLFW_REFRESH_RATE, desk->refreshRate);
      } else if (r.refreshRate > 0) {
        glfwWindowHint(GLFW_REFRESH_RATE, r.refreshRate);
      }
    }
    window_ = glfw2_internal::CreateGlfw3Window(width, height, monitor, r.fullscreen);
    if (!window_) return false;
    glfwSetWindowCloseCallback(window_, OnClose3);
    glfwSetWindowFocusCallback(window_, OnFocus3);
    glfwSetWindowIconifyCallback(window_, OnIconify3);
    focused_ = glfwGetWindowAttrib(window_, GLFW_FOCUSED) == GLFW_TRUE;
    iconified_ = glfwGetWindowAttrib(window_, GLFW_ICONIFIED) == GLFW_TRUE;
    return true;
  }
  void Close() override {
    if (!window_) return;
    glfwDestroyWindow(window_);
    window_ = nullptr;
  }
  bool IsOpen() override { return window_ != nullptr; }

  void GetSize(int* width, int* height) override {
    if (window_) ::glfwGetWindowSize(window_, width, height);
  }
  void SetSize(int width, int height) override {
    if (window_) ::glfwSetWindowSize(window_, width, height);
  }

  // As their events last reported them (as 2.7 kept them), so the loop's window queries
  // cost no trip to the X server.
  bool Active() override { return focused_; }
  bool Iconified() override { return iconified_; }
  int RefreshRate() override {
    GLFWmonitor* monitor = glfwGetWindowMonitor(window_);
    const ::GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    return mode ? mode->refreshRate : 0;
  }

  int VideoModes(glfw2::GLFWvidmode* list, int maxcount) override {
    if (!inited_) return 0;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    int count = 0;
    const ::GLFWvidmode* modes = monitor ? ::glfwGetVideoModes(monitor, &count) : nullptr;
    int n = 0;
    for (int i = 0; modes && i < count && n < maxcount; ++i) {
      glfw2::GLFWvidmode m{modes[i].width, modes[i].height, modes[i].redBits,
                           modes[i].blueBits, modes[i].greenBits};
      // 2.7 modes carry no refresh rate, so modes differing only in it are one mode.
      if (n > 0 && std::memcmp(&list[n - 1], &m, sizeof m) == 0) continue;
      list[n++] = m;
    }
    return n;
  }
  void DesktopMode(glfw2::GLFWvidmode* mode) override {
    if (!inited_) return;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const ::GLFWvidmode* m = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (m) *mode = glfw2::GLFWvidmode{m->width, m->height, m->redBits, m->blueBits, m->greenBits};
  }

  void PollEvents() override { ::glfwPollEvents(); }

  void ApplyInputModes(bool cursorVisible, bool stickyKeys, bool stickyMouse) override {
    if (!window_) return;
    glfwSetInputMode(window_, GLFW_CURSOR, cursorVisible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
    glfwSetInputMode(window_, GLFW_STICKY_KEYS, stickyKeys ? GLFW_TRUE : GLFW_FALSE);
    glfwSetInputMode(window_, GLFW_STICKY_MOUSE_BUTTONS, stickyMouse ? GLFW_TRUE : GLFW_FALSE);
  }

  void* ProcAddress(const char* name) override {
    if (!window_) return nullptr;
    return reinterpret_cast<void*>(::glfwGetProcAddress(name));
  }
  bool ExtensionSupported(const char* name) override {
    return window_ && ::glfwExtensionSupported(name) == GLFW_TRUE;
  }

  bool ReadJoystick(int joy, JoystickReading* out) override {
    if (!glfwJoystickPresent(joy)) return false;
    GLFWgamepadstate state;
    if (glfwJoystickIsGamepad(joy) && glfwGetGamepadState(joy, &state)) {
      glfw2_internal::FromGamepad(state.axes, state.buttons, out);
      return true;
    }
    int axisCount = 0, buttonCount = 0;
    const float* axes = glfwGetJoystickAxes(joy, &axisCount);
    const unsigned char* buttons = glfwGetJoystickButtons(joy, &buttonCount);
    if (!axes || !buttons) return false;
    glfw2_internal::FromRaw(axes, axisCount, buttons, buttonCount, out);
    return true;
  }

 private:
  static void OnClose3(GLFWwindow* window) {
    if (!glfw2_internal::CloseRequest()) glfwSetWindowShouldClose(window, GLFW_FALSE);
  }
  static void OnFocus3(GLFWwindow* window, int focused);
  static void OnIconify3(GLFWwindow* window, int iconified);

  // Pads GLFW 3 has no built-in mapping for, from a file beside the program if there is one.
  static void ReadGamepadMappings() {
    std::FILE* file = std::fopen("gamecontrollerdb.txt", "rb");
    if (!file) return;
    std::vector<unsigned char> bytes;
    vgReadRest(file, bytes);
    std::fclose(file);
    glfwUpdateGamepadMappings(std::string(bytes.begin(), bytes.end()).c_str());
  }

  bool inited_ = false;
  bool focused_ = false, iconified_ = false;
};

Desktop desktop;

void Desktop::OnFocus3(GLFWwindow*, int focused) { desktop.focused_ = focused == GLFW_TRUE; }
void Desktop::OnIconify3(GLFWwindow*, int iconified) {
  desktop.iconified_ = iconified == GLFW_TRUE;
}

}  // namespace

glfw2_internal::Backend* glfw2_internal::PlatformBackend() { return &desktop; }
