// The headless harness (see harness.h). It compiles the program's own start-up file, without
// its main, so a test creates the game through exactly the vgInit and vgMain the program runs.
#include "tests/support/harness.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "devices/gl_api.h"
#include "framework/app.h"
#include "game/myapp.h"
#include "host/glfw2.h"
#include "runtime/gc.h"

#define VANTORELL_NO_MAIN 1
#include "game/main.cpp"  // NOLINT: the real vgInit/vgMain, not a copy

namespace fs = std::filesystem;

namespace vgtest {

namespace {

// The working folder of this process's game, removed at exit too: a scenario may end the
// program itself (F4, the close key), which skips the harness's destructor.
std::string gWorkDir;

void RemoveWorkDir() {
  if (gWorkDir.empty()) return;
  std::error_code ec;
  fs::current_path("/", ec);
  fs::remove_all(gWorkDir, ec);
  gWorkDir.clear();
}

}  // namespace

void HarnessHost::SetGlfwWindow(int width, int height, int, int, int, int, int, int, bool) {
  glfw2_testing::SetClosedWindowSize(width, height);
}

FILE* HarnessHost::OpenFile(String path, String mode) {
  opened.push_back(path.ToUtf8());
  return VgGlfwGame::OpenFile(path, mode);
}

Harness::Harness() : Harness(Options()) {}
Harness::Harness(Options options) : options_(std::move(options)) {}

Harness::~Harness() {
  glfw2_testing::SetClock(nullptr);
  RemoveWorkDir();
}

void Harness::Start() {
  setenv("ALSOFT_DRIVERS", "null", 0);
  char pattern[] = "/tmp/vantorell-harness-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  workDir_ = pattern;
  if (gWorkDir.empty()) std::atexit(RemoveWorkDir);
  gWorkDir = workDir_;
  const char* build = std::getenv("VG_BUILD_DIR");
  std::string data = std::string(build ? build : "") + "/game/data";
  if (build && fs::is_directory(data)) {
    if (options_.removeData.empty()) {
      fs::create_directory_symlink(data, workDir_ + "/data");
    } else {
      fs::copy(data, workDir_ + "/data", fs::copy_options::recursive);
      for (const std::string& name : options_.removeData) fs::remove(workDir_ + "/data/" + name);
    }
  }
  fs::current_path(workDir_);

  glfw2_testing::Reset();
  glfw2_testing::SetHeadless(true);
  glfw2_testing::SetClock(&clock_);
  glfw2_testing::SetClosedWindowSize(options_.width, options_.height);
  glfw2_testing::UseFakeJoysticks(true);
  glfw2::glfwInit();
  gl_ = std::make_unique<GlRecorder>();

  host_ = new HarnessHost();
  gc_init();
  vgInit();
  gc_mark();
  vgMain();
  host_->StartGame();  // what Run does once its window is open
  host_->RenderGame();
}

bool Harness::UseRealWindow() {
  glfw2_testing::SetHeadless(false);
  if (!glfw2::glfwInit() || !glfw2::glfwOpenWindow(options_.width, options_.height, 8, 8, 8, 0,
                                                   0, 0, glfw2::GLFW_WINDOW)) {
    return false;
  }
  glfw2::glfwSwapInterval(0);
  ++glfwGraphicsSeq;
  vgGlBindSystem();
  return true;
}

c_MyApp* Harness::app() const { return static_cast<c_MyApp*>(vg_app__app); }

void Harness::Update(int n) {
  for (int i = 0; i < n; ++i) clock_.now += 1.0 / 60.0, host_->UpdateGame();
}

void Harness::Frame(int n) {
  for (int i = 0; i < n; ++i) Update(), Render();
}

int Harness::FinishLoading(int limit) {
  int n = 0;
  for (; app()->m_Loading > 0 && n < limit; ++n) Frame();
  return n;
}

void Harness::Joystick(int unit, std::vector<float> axes, std::vector<unsigned char> buttons) {
  glfw2_testing::FakeJoystick stick;
  stick.axes = std::move(axes), stick.buttons = std::move(buttons);
  glfw2_testing::PlugFakeJoystick(unit, stick);
}

int RunInChild(const std::function<void()>& body) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    body();
    std::fflush(nullptr);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void FillCreditsScene(c_MyApp* a) {
  a->m_Phase = 3, a->m_PhaseTimer = 3001, a->m_CredAt = 0;
  a->p_CreditsRoll();
  for (int i = 0; i < kObjects; ++i) {
    float* o = &a->m_Objects[i * kPoolRecord];
    int kind = i % 10;  // letters, stars and a name picture; too tough to be destroyed
    o[kObjType] = kind < 7 ? kObjLetter : (kind < 9 ? kObjStar : kObjNameA);
    o[kObjX] = 60.0f + (i % 40) * 14, o[kObjY] = 30.0f + (i / 40) * 32;
    o[kObjFlyIn] = o[kObjSpeedY] = 0, o[kObjDelay] = 1000, o[kObjSize] = kind == 9 ? 1 : 2;
    o[kObjHealth] = 1000;
    o[kObjFrame] = kind == 9 ? static_cast<float>(1 + i) : (kind < 7 ? 33.0f + i % 58 : 10.0f);
  }
  for (int i = 0; i <= 250; ++i) {  // seven-digit floating numbers
    float* p = &a->m_Particles[i * kPoolRecord];
    p[kPartKind] = kPartNumber, p[kPartX] = 40.0f + (i % 20) * 30, p[kPartY] = 40.0f + (i / 20) * 30;
    p[kPartDX] = 0, p[kPartDY] = -0.25f, p[kPartLife] = 50, p[kPartColour] = 3, p[kPartFrame] = 1234567;
  }
  a->p_ResetStars(100);
}

void OnLoadedGame(void (*body)(Harness&, c_MyApp*), Harness::Options options) {
  VG_IN_CHILD([&] {
    Harness h(options);
    h.Start();
    h.FinishLoading();
    body(h, h.app());
  });
}

}  // namespace vgtest
