// The page's window backend over Emscripten's GLFW 3: the window is the page's canvas, which
// keeps its size (the browser window's) and its GL context for the page's life; full screen
// is the browser's, focus is the tab being shown, there is no close box, and pads come from
// the browser. host/web/web.cmake builds it in place of host/glfw2_desktop.cpp.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "host/glfw2_glfw3.h"

namespace {

using glfw2_internal::JoystickReading;

// The canvas's size in its own pixels; the page keeps it at the size of the browser window.
void CanvasSize(int* width, int* height) {
  emscripten_get_canvas_element_size("#canvas", width, height);
}

// Full screen is the whole page, which the canvas fills. The browser allows it only shortly
// after a key press or click, which is when the game asks for it. Until the browser has
// answered, the page's state is not yet the one asked for (Module.vgFullscreenBusy).
void RequestFullscreen(bool on) {
  EM_ASM(
      {
        var d = document;
        function done() { Module.vgFullscreenBusy = false; }
        if ($0 && !d.fullscreenElement && d.documentElement.requestFullscreen) {
          Module.vgFullscreenBusy = true;
          d.documentElement.requestFullscreen().then(done, done);
        } else if (!$0 && d.fullscreenElement) {
          Module.vgFullscreenBusy = true;
          d.exitFullscreen().then(done, done);
        }
      },
      on);
}

// A page is away while its tab is hidden; the browser reports no focus or minimising.
bool Hidden() {
  EmscriptenVisibilityChangeEvent state;
  return emscripten_get_visibility_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && state.hidden;
}

class Page : public glfw2_internal::Glfw3Backend {
 public:
  bool KeepsLastPicture() override { return true; }
  bool Init() override {
    if (::glfwInit() != GLFW_TRUE) return false;
    inited_ = true;
    return true;
  }
  void Terminate() override {
    ::glfwTerminate();
    inited_ = false;
  }

  bool Open(const glfw2_internal::OpenRequest& r) override {
    if (window_) {
      // The page's one window comes back with its context and textures as they were.
      closed_ = false;
      fullscreen_ = r.fullscreen;
      RequestFullscreen(r.fullscreen);
      return true;
    }
    int width = 0, height = 0;
    CanvasSize(&width, &height);
    glfw2_internal::Glfw3WindowHints(r);
    // Never the page's GLFW full screen: it would lock the pointer.
    window_ = glfw2_internal::CreateGlfw3Window(width, height, nullptr, r.fullscreen);
    if (!window_) return false;
    fullscreen_ = r.fullscreen;
    RequestFullscreen(r.fullscreen);
    return true;
  }
  void Close() override {
    if (window_ && inited_) {
      closed_ = true;
    } else if (window_) {
      glfwDestroyWindow(window_);
      window_ = nullptr;
    }
  }
  bool IsOpen() override { return window_ && !closed_; }

  void GetSize(int* width, int* height) override {
    if (window_) CanvasSize(width, height);
  }
  void SetSize(int, int) override {}  // the page sizes its canvas to the browser window

  bool Active() override { return !Hidden(); }
  bool Iconified() override { return Hidden(); }
  int RefreshRate() override { return 0; }

  // A page has one mode, the screen's.
  int VideoModes(glfw2::GLFWvidmode* list, int) override {
    if (!inited_) return 0;
    DesktopMode(list);
    return 1;
  }
  void DesktopMode(glfw2::GLFWvidmode* mode) override {
    if (!inited_) return;
    mode->Width = EM_ASM_INT({ return screen.width; });
    mode->Height = EM_ASM_INT({ return screen.height; });
    mode->RedBits = mode->GreenBits = mode->BlueBits = 8;
  }

  // The page's events arrive between frames on their own; only the pads must be sampled.
  void PollEvents() override {
    padsSampled_ = emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS;
    FollowFullscreen();
  }

  // The page's GLFW knows neither a hidden pointer nor sticky input; the canvas's style
  // hides the pointer, and sticky state is never read in a page.
  void ApplyInputModes(bool cursorVisible, bool, bool) override {
    if (!window_) return;
    EM_ASM({ Module["canvas"].style.cursor = $0 ? "" : "none"; }, cursorVisible);
  }

  void* ProcAddress(const char* name) override {
    if (!window_) return nullptr;
    return reinterpret_cast<void*>(::glfwGetProcAddress(name));
  }
  bool ExtensionSupported(const char* name) override {
    return window_ && ::glfwExtensionSupported(name) == GLFW_TRUE;
  }

  // The browser's pad in slot joy. Its "standard" layout numbers buttons A B X Y, bumpers,
  // triggers, back, start, thumbs, d-pad up down left right, guide; axes are the two sticks.
  bool ReadJoystick(int joy, JoystickReading* out) override {
    EmscriptenGamepadEvent pad;
    if (!padsSampled_ || joy >= emscripten_get_num_gamepads() ||
        emscripten_get_gamepad_status(joy, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected) {
      return false;
    }
    if (std::strcmp(pad.mapping, "standard") == 0 && pad.numButtons >= 16 && pad.numAxes >= 4) {
      // The standard buttons in the facade's pad layout, and its axes from the sticks and
      // the analog triggers.
      static const int kFrom[glfw2_internal::kPadButtonCount] = {0,  1,  2,  3,  4,  5,  8, 9,
                                                                 16, 10, 11, 12, 15, 13, 14};
      const float axes[glfw2_internal::kPadAxisCount] = {
          static_cast<float>(pad.axis[0]), static_cast<float>(pad.axis[1]),
          static_cast<float>(pad.axis[2]), static_cast<float>(pad.axis[3]),
          static_cast<float>(pad.analogButton[6] * 2 - 1),
          static_cast<float>(pad.analogButton[7] * 2 - 1)};
      unsigned char buttons[glfw2_internal::kPadButtonCount];
      for (int i = 0; i < glfw2_internal::kPadButtonCount; ++i) {
        bool down = kFrom[i] < pad.numButtons && pad.digitalButton[kFrom[i]];
        buttons[i] = down ? GLFW_PRESS : GLFW_RELEASE;
      }
      glfw2_internal::FromGamepad(axes, buttons, out);
      return true;
    }
    float axes[JoystickReading::kMaxAxes];
    unsigned char buttons[JoystickReading::kMaxButtons];
    int axisCount = pad.numAxes < JoystickReading::kMaxAxes ? pad.numAxes : JoystickReading::kMaxAxes;
    int buttonCount =
        pad.numButtons < JoystickReading::kMaxButtons ? pad.numButtons : JoystickReading::kMaxButtons;
    for (int i = 0; i < axisCount; ++i) axes[i] = static_cast<float>(pad.axis[i]);
    for (int i = 0; i < buttonCount; ++i) buttons[i] = pad.digitalButton[i] ? GLFW_PRESS : GLFW_RELEASE;
    glfw2_internal::FromRaw(axes, axisCount, buttons, buttonCount, out);
    return true;
  }

 private:
  // The browser leaves full screen on its own (Esc, its menus) and may refuse to enter it.
  // The game then hears its own full-screen key, pressed in one poll and released in the
  // next, so that its setting (and the options box) says what the page shows.
  void FollowFullscreen() {
    if (fullscreenKeyDown_) {
      fullscreenKeyDown_ = false;
      glfw2_internal::KeyInput(GLFW_KEY_F11, GLFW_RELEASE);
      return;
    }
    if (!window_ || closed_) return;
    int shown = EM_ASM_INT({
      if (Module.vgFullscreenBusy) return -1;
      return document.fullscreenElement ? 1 : 0;
    });
    if (shown < 0 || (shown == 1) == fullscreen_) return;
    fullscreenKeyDown_ = true;
    glfw2_internal::KeyInput(GLFW_KEY_F11, GLFW_PRESS);
  }

  bool inited_ = false;
  bool closed_ = false;  // the window is kept while the game has it closed
  bool fullscreen_ = false;
  bool fullscreenKeyDown_ = false;  // the full-screen key, pressed for the game
  bool padsSampled_ = false;
};

Page page;

}  // namespace

glfw2_internal::Backend* glfw2_internal::PlatformBackend() { return &page; }
