// Frame cost of every screen on a real OpenGL context: the game object, framework and devices
// of the headless harness rendering into a window of a private Xvfb on Mesa's software
// renderer, driven by scripted input through a whole game, once per window size. Prints, per
// screen, update and render CPU, draw-list records, draw calls per render and the fewest draw
// calls the list could need. Run by hand; figures and the command in README.md.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/gl_count.h"
#include "bench/timing.h"
#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "tests/support/harness.h"
#include "tests/support/soak.h"
#include "tests/support/xvfb.h"

namespace {

using vgbench::Percentile;
using vgbench::ThreadCpuMicros;

using vgbench::drawCalls;
using vgtest::Steer;

// All threads of the process: Mesa's rasteriser threads work for the render too.
double ProcessCpuMicros() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// The fewest draw calls the replay of the current list can make: the background fill, then
// every record the replay draws, joined while texture and kind stay the same (the replay
// draws everything with one blend mode) and the run fits the device's 1024-vertex batch.
// An oval is always a call of its own (one fan each). A batch of maxVertices = INT_MAX counts
// the runs alone.
int LeastDrawCalls(c_MyApp* a, int maxVertices = gxtkGraphics::kMaxVertices) {
  int calls = 1, runVertices = 4;
  const void* runTexture = nullptr;
  bool runIsQuads = true;
  for (int at = 0; at + kDrawRecord <= a->m_DrawCount; at += kDrawRecord) {
    const float* rec = &a->m_DrawList[at];
    const void* texture = nullptr;
    if (rec[kRecKind] == kNoValue + 1) {
      ++calls, runIsQuads = false;
      continue;
    }
    if (rec[kRecKind] != kNoValue) {
      if (!(rec[kRecKind] > -1 && rec[kRecKind] < a->m_Images.Length())) continue;
      c_Image* image = a->m_Images[static_cast<int>(rec[kRecKind])];
      if (!image || !(rec[kRecFrame] > -1) || !(rec[kRecFrame] < image->p_Frames())) continue;
      texture = image->m_surface;
    }
    if (runIsQuads && texture == runTexture && runVertices <= maxVertices - 4) {
      runVertices += 4;
    } else {
      ++calls, runVertices = 4, runTexture = texture, runIsQuads = true;
    }
  }
  return calls;
}

std::string Phase(c_MyApp* a) {
  if (a->m_Loading > 0) return "loading";
  if (a->m_Screen == kScreenGame) {
    if (a->m_GameOver > 0) return "game over";
    static const char* phases[] = {"story", "fight", "victory", "credits"};
    return a->m_Phase >= 0 && a->m_Phase <= 3 ? phases[a->m_Phase] : "game";
  }
  if (a->m_OptionsOpen) return "options box";
  if (a->m_CreditsOpen) return "credits box";
  if (a->m_GameOverTimer > 0) return "game over";
  return "title menu";
}

struct Sample {
  double update = 0, render = 0;
  int records = 0, draws = 0, least = 0, runs = 0;
};

struct Run {
  vgtest::Harness* h = nullptr;
  std::map<std::string, std::vector<Sample>> phases;
  std::vector<std::string> order;
  // The credits frame with the most records, kept to be rendered again on its own.
  std::vector<float> heaviest;
  int heaviestCount = 0;

  void Add(const std::string& phase, const Sample& s) {
    if (!phases.count(phase)) order.push_back(phase);
    phases[phase].push_back(s);
  }
  double Render(Sample& s) {
    drawCalls = 0;
    double c0 = ProcessCpuMicros();
    h->Render();
    s.render = ProcessCpuMicros() - c0;
    s.draws = drawCalls;
    return s.render;
  }
  // One update and one render, as the main loop runs when it keeps up.
  void Frame() {
    c_MyApp* a = h->app();
    Sample s;
    double c0 = ThreadCpuMicros();
    h->Update();
    s.update = ThreadCpuMicros() - c0;
    std::string phase = Phase(a);
    s.records = a->m_DrawCount / kDrawRecord;
    s.least = LeastDrawCalls(a), s.runs = LeastDrawCalls(a, INT_MAX);
    Render(s);
    Add(phase, s);
    if (phase == "credits" && a->m_DrawCount > heaviestCount) {
      heaviestCount = a->m_DrawCount;
      heaviest.assign(a->m_DrawList.Data(), a->m_DrawList.Data() + heaviestCount);
    }
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  void Tap(int key) { h->Press(key), Frame(), h->Release(key), Frame(); }
};

// The device as it was before it kept its batch across a blend mode already in force: every
// SetBlend flushes, so the replay draws each record with a call of its own.
class FlushPerRecord : public gxtkGraphics {
 public:
  int SetBlend(int blend) override { return Flush(), gxtkGraphics::SetBlend(blend); }
};

// The current list rendered 200 times through each device in turn, so both see the same
// frame at the same moment of a shared machine; prints each one's median process CPU.
void SameFrameBothWays(c_MyApp* a, const char* screen) {
  gxtkGraphics* batched = vg_graphics_device;
  gxtkGraphics* devices[2] = {new FlushPerRecord(), batched};  // no collector step until the end
  std::vector<double> cpu[2];
  for (int i = 0; i < 220; ++i) {
    for (int d = 0; d < 2; ++d) {
      vg_graphics_SetGraphicsDevice(devices[d]);
      double c0 = ProcessCpuMicros();
      devices[d]->BeginRender();
      vg_graphics_BeginRender();
      a->p_OnRender();
      vg_graphics_EndRender();
      devices[d]->EndRender();
      if (i >= 20) cpu[d].push_back(ProcessCpuMicros() - c0);  // 20 to warm up
    }
  }
  vg_graphics_SetGraphicsDevice(batched);
  std::printf("| %s | %d | %.2f ms | %.2f ms |\n", screen, a->m_DrawCount / kDrawRecord,
              Percentile(cpu[0], 0.5) / 1000, Percentile(cpu[1], 0.5) / 1000);
}

void Print(int w, int hgt, Run& run) {
  std::printf("\n%d x %d\n", w, hgt);
  std::printf("| screen | frames | update med | update p99 | render med | render p99 | records "
              "| draw calls | least | ratio | runs |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (const std::string& name : run.order) {
    std::vector<Sample>& v = run.phases[name];
    std::vector<double> up, re, rec, dr, le, ru;
    for (const Sample& s : v) {
      up.push_back(s.update), re.push_back(s.render), rec.push_back(s.records);
      dr.push_back(s.draws), le.push_back(s.least), ru.push_back(s.runs);
    }
    double draws = Percentile(dr, 0.5), least = Percentile(le, 0.5);
    std::printf("| %s | %zu | %.0f us | %.0f us | %.2f ms | %.2f ms | %.0f (max %.0f) "
                "| %.0f (max %.0f) | %.0f (max %.0f) | %.2f | %.0f (max %.0f) |\n",
                name.c_str(), v.size(), Percentile(up, 0.5), Percentile(up, 0.99),
                Percentile(re, 0.5) / 1000, Percentile(re, 0.99) / 1000, Percentile(rec, 0.5),
                Percentile(rec, 1), draws, Percentile(dr, 1), least, Percentile(le, 1),
                least > 0 ? draws / least : 0, Percentile(ru, 0.5), Percentile(ru, 1));
  }
  std::fflush(stdout);
}

// One whole game at one window size, in a child: a harness runs one game per process.
void PlayAt(int w, int hgt) {
  vgtest::Harness::Options options;
  options.width = w, options.height = hgt;
  vgtest::Harness h(options);
  h.Start();
  if (!h.UseRealWindow()) {
    std::fprintf(stderr, "no OpenGL window\n");
    std::exit(2);
  }
  vgbench::CountDrawCalls();
  Run run;
  run.h = &h;
  c_MyApp* a = h.app();
  for (int i = 0; i < 200 && a->m_Loading > 0; ++i) run.Frame();
  run.Frames(600);  // the title menu's slide-in, then 10 s at rest
  std::printf("\n%d x %d, the same frame through each device in turn\n", w, hgt);
  std::printf("| screen | records | render, flush per record | render, batched |\n|---|---|---|---|\n");
  SameFrameBothWays(a, "title menu");
  run.Tap(vgtest::kKeyDown), run.Tap(vgtest::kKeyEnter), run.Frames(300);  // options
  for (int i = 0; i < 4; ++i) run.Tap(vgtest::kKeyDown);
  run.Tap(vgtest::kKeyEnter), run.Frames(300);  // its last row: the credits box
  run.Tap(vgtest::kKeyEscape), run.Frames(60);
  run.Tap(vgtest::kKeyUp), run.Frames(30);
  h.Press(vgtest::kKeySpace);
  int compared = 0;  // story, fight, credits, game over
  for (int f = 0; f < 20000 && (a->m_Screen == kScreenGame || f < 20); ++f) {
    Steer(h, a), run.Frame();
    std::string phase = Phase(a);
    if ((compared == 0 && phase == "story" && f > 60) || (compared == 1 && phase == "fight") ||
        (compared == 2 && phase == "credits" && a->m_PhaseTimer > 3000) ||
        (compared == 3 && phase == "game over" && a->m_GameOverTimer > 60)) {
      SameFrameBothWays(a, phase.c_str()), ++compared;
    }
  }
  h.Release(vgtest::kKeySpace);
  run.Frames(300);

  // The heaviest credits frame rendered again and again on its own.
  std::vector<Sample>& credits = run.phases["credits"];
  if (run.heaviestCount) {
    std::copy(run.heaviest.begin(), run.heaviest.end(), a->m_DrawList.Data());
    a->m_DrawCount = run.heaviestCount;
    int least = LeastDrawCalls(a), runs = LeastDrawCalls(a, INT_MAX);
    std::vector<double> updates;
    for (const Sample& s : credits) {
      if (s.records * 10 >= run.heaviestCount / kDrawRecord * 9) updates.push_back(s.update);
    }
    for (int i = 0; i < 300; ++i) {
      Sample s;
      s.update = updates.empty() ? 0 : updates[i % updates.size()];
      s.records = run.heaviestCount / kDrawRecord, s.least = least, s.runs = runs;
      run.Render(s);
      run.Add("heaviest credits frame", s);
    }
  }

  // Every pool of the credits full (the longest list the game makes), drawn after each update.
  h.Press(vgtest::kKeySpace);
  for (int i = 0; i < 20 && a->m_Screen != kScreenGame; ++i) h.Update();
  h.Release(vgtest::kKeySpace);
  for (int i = 0; i < 300; ++i) {
    vgtest::FillCreditsScene(a);
    Sample s;
    double c0 = ThreadCpuMicros();
    h.Update();
    s.update = ThreadCpuMicros() - c0;
    s.records = a->m_DrawCount / kDrawRecord, s.least = LeastDrawCalls(a);
    s.runs = LeastDrawCalls(a, INT_MAX);
    run.Render(s);
    run.Add("credits, every pool full", s);
  }
  Print(w, hgt, run);
}

}  // namespace

int main() {
  vgtest::XvfbServer xvfb;
  if (!xvfb.Start(1280, 1024, 24)) {
    std::fprintf(stderr, "Xvfb: %s\n", xvfb.error().c_str());
    return 1;
  }
  vgbench::FindBuildDir();
  int failures = 0;
  for (auto size : {std::make_pair(640, 480), std::make_pair(1280, 720)}) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
      PlayAt(size.first, size.second);
      std::fflush(stdout);
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    failures += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  return failures ? 1 : 0;
}
