// The heaviest frame of the credits: every object record in use, 25 bullets in flight, every
// particle alive (floating numbers, so the draw list nears its cap) and 101 stars. Times one
// whole update through the headless harness, and each step of p_Game on its own, from the
// same saved scene every iteration. Run by hand; figures in README.md.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "game/myapp.h"
#include "bench/timing.h"
#include "tests/support/harness.h"

namespace {

struct Scene {
  vgtest::Harness harness;
  c_MyApp* app = nullptr;
  std::vector<float> objects, bullets, particles, stars, actors;
  int score = 0, shown = 0, coins = 0, timer = 0, credAt = 0, seed = 0;
};

void Save(std::vector<float>& to, const Array<float>& from) {
  to.assign(from.Data(), from.Data() + from.Length());
}

void Restore(Scene& s) {
  c_MyApp* a = s.app;
  std::copy(s.objects.begin(), s.objects.end(), a->m_Objects.Data());
  std::copy(s.bullets.begin(), s.bullets.end(), a->m_Bullets.Data());
  std::copy(s.particles.begin(), s.particles.end(), a->m_Particles.Data());
  std::copy(s.stars.begin(), s.stars.end(), a->m_Stars.Data());
  std::copy(s.actors.begin(), s.actors.end(), a->m_Actors.Data());
  a->m_Score = s.score;
  a->m_ShownScore = s.shown;
  a->m_Coins = s.coins;
  a->m_PhaseTimer = s.timer;
  a->m_CredAt = s.credAt;
  vg_random_Seed = s.seed;
  a->m_DrawCount = 0;
}

Scene& TheScene() {
  static std::unique_ptr<Scene> scene;
  if (scene) return *scene;
  vgbench::FindBuildDir();
  scene = std::make_unique<Scene>();
  Scene& s = *scene;
  s.harness.Start();
  s.harness.FinishLoading();
  s.harness.Frame(5);
  s.harness.Press(vgtest::kKeySpace);
  s.harness.Update(3);
  c_MyApp* a = s.app = s.harness.app();

  // Deep in the names part of the credits, between two names; the credit groups up to
  // here are consumed first so none of them fires during the timed frames.
  vgtest::FillCreditsScene(a);
  a->m_Actors[kPlayerX] = 32;
  for (int i = 0; i < kBullets; ++i) {
    float* b = &a->m_Bullets[i * kPoolRecord];
    b[kBulActive] = 1, b[kBulX] = 40.0f + i * 24, b[kBulY] = 30.0f + (i * 37) % 420, b[kBulDX] = 20;
    b[kBulPower] = 1000;
  }
  Save(s.objects, a->m_Objects);
  Save(s.bullets, a->m_Bullets);
  Save(s.particles, a->m_Particles);
  Save(s.stars, a->m_Stars);
  Save(s.actors, a->m_Actors);
  s.score = a->m_Score, s.shown = a->m_ShownScore, s.coins = a->m_Coins;
  s.timer = a->m_PhaseTimer, s.credAt = a->m_CredAt, s.seed = vg_random_Seed;
  return s;
}

using vgbench::Percentile;
using vgbench::ThreadCpuMicros;

// One whole update (input bookkeeping, p_OnUpdate with p_Game and p_InGame) of the full scene.
void BM_CreditsUpdate(benchmark::State& state) {
  Scene& s = TheScene();
  std::vector<double> wall, cpu;
  int records = 0, hits = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Restore(s);
    state.ResumeTiming();
    auto w0 = std::chrono::steady_clock::now();
    double c0 = ThreadCpuMicros();
    s.harness.Update();
    cpu.push_back(ThreadCpuMicros() - c0);
    wall.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - w0).count());
    records = s.app->m_DrawCount / kDrawRecord;
    hits = 0;
    for (int i = 0; i < 501; ++i) hits += static_cast<int>(1000 - s.app->m_Objects[i * 10 + 9]);
  }
  state.counters["hits"] = hits;
  state.counters["wall_med_us"] = Percentile(wall, 0.5);
  state.counters["wall_p99_us"] = Percentile(wall, 0.99);
  state.counters["cpu_med_us"] = Percentile(cpu, 0.5);
  state.counters["cpu_p99_us"] = Percentile(cpu, 0.99);
  state.counters["records"] = records;
}
BENCHMARK(BM_CreditsUpdate)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// The steps of p_Game on the same scene, to show where the update's time goes.
template <void (*Step)(c_MyApp*)>
void BM_Step(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    state.PauseTiming();
    Restore(s);
    state.ResumeTiming();
    Step(s.app);
  }
}
void Stars(c_MyApp* a) { a->p_DoStars(a->m_Actors[kStarDriftX], a->m_Actors[kStarDriftY]); }
void Particles(c_MyApp* a) { a->p_DoParticles(); }
void Bullets(c_MyApp* a) { a->p_DoBullets(); }
void Objects(c_MyApp* a) { a->p_DoObjects(); }
// The same with the sound setting off: what the hit sounds cost.
void ObjectsSilent(c_MyApp* a) {
  int mode = a->m_Settings[kSoundMode];
  a->m_Settings[kSoundMode] = 0;
  a->p_DoObjects();
  a->m_Settings[kSoundMode] = mode;
}
void ScoreLine(c_MyApp* a) { a->p_ScoreLine(); }
// The objects' movement and drawing alone: the difference to the step above is the
// 501 x 25 bullet test and the hits it finds.
void ObjectsNoBullets(c_MyApp* a) {
  for (int i = 0; i < 25; ++i) a->m_Bullets[i * 10] = 0;
  a->p_DoObjects();
}
BENCHMARK_TEMPLATE(BM_Step, Stars)->Name("BM_Step/stars")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Step, Particles)->Name("BM_Step/particles")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Step, Bullets)->Name("BM_Step/bullets")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Step, Objects)->Name("BM_Step/objects_and_hits")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Step, ObjectsSilent)->Name("BM_Step/objects_and_hits_silent")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Step, ObjectsNoBullets)->Name("BM_Step/objects_without_bullets")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Step, ScoreLine)->Name("BM_Step/score_line")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
