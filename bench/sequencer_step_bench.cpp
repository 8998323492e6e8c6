// Cost of one sequencer step (p_Zq_MusicPlay with every voice playing a note) on an audio
// device that does nothing, so the figure is the sequencer's own work per step.
#include <benchmark/benchmark.h>

#include "devices/audio.h"
#include "framework/app.h"
#include "framework/audio.h"
#include "host/game.h"
#include "sequencer/zqplayer.h"

namespace {

class ClockHost : public VgGame {
 public:
  int now = 0;
  int Millisecs() override { return now; }
};

// Accepts every channel operation and does nothing with it.
class SilentAudio : public gxtkAudio {
 public:
  int PlaySample(gxtkSample*, int, int) override { return 0; }
  int StopChannel(int) override { return 0; }
  int SetVolume(int, float) override { return 0; }
  int SetPan(int, float) override { return 0; }
  int SetRate(int, float) override { return 0; }
};

void BM_SequencerStep(benchmark::State& state) {
  ClockHost host;
  vg_app__game = &host;
  vg_audio_SetAudioDevice(new SilentAudio());
  c_ZqPlayer* zq = (new c_ZqPlayer())->m_new();
  zq->p_Zq_Init(32, 4, 3, 3, 4);
  for (int k = 1; k <= 8; ++k) {
    zq->m_kitA[k] = (new c_Sound())->m_new(new gxtkSample());
    zq->m_kitB[k] = (new c_Sound())->m_new(new gxtkSample());
  }
  for (int v = 2; v <= 4; ++v) zq->m_voiceSound[v] = (new c_Sound())->m_new(new gxtkSample());
  // Every cell of the first 16 patterns holds a note with a volume and a slide.
  for (int p = 0; p < 16; ++p) {
    for (int v = 0; v < 5; ++v) {
      for (int t = 0; t < 64; ++t) {
        int* cell = &zq->m_notes[p * 4096 + v * 512 + t * 8];
        cell[0] = v < 2 ? 13 + 2 * (t % 4) : 1 + (t * 5 + p) % 31;
        cell[1] = 1 + t % 30;
        cell[2] = 1 + t % 4;
        cell[3] = t % 16;
      }
    }
  }
  for (int v = 0; v < 5; ++v) zq->m_lastPattern[v] = 15;
  zq->m_tuneFile = String("tunes/Bench.png");
  zq->p_Zq_StartTune(String("Bench"), 37171650, 100);
  for (int v = 0; v < 5; ++v) zq->m_mute[v] = 0;

  for (auto _ : state) {
    host.now = zq->m_nextStepTime + 1;
    zq->p_Zq_MusicPlay();
  }
  state.SetItemsProcessed(state.iterations());
  vg_app__game = nullptr;
}
BENCHMARK(BM_SequencerStep);

}  // namespace

BENCHMARK_MAIN();
