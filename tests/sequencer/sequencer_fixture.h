// Shared set-up of the sequencer tests: a host whose clock the test sets, an audio device
// that logs every channel operation instead of playing it (OpenAL replaced by the recorder),
// and a player with five loaded voices ready to step.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/audio.h"
#include "framework/app.h"
#include "framework/audio.h"
#include "framework/random.h"
#include "host/game.h"
#include "sequencer/zqplayer.h"
#include "tests/support/al_recorder.h"

namespace vgtest {

class ClockHost : public VgGame {
 public:
  int now = 0;
  int Millisecs() override { return now; }
};

// Logs "play ch flags", "stop ch", "vol ch v", "pan ch p", "rate ch r" in call order.
class LoggingAudio : public gxtkAudio {
 public:
  std::vector<std::string> log;

  int PlaySample(gxtkSample*, int channel, int flags) override {
    return Add("play " + std::to_string(channel) + " " + std::to_string(flags));
  }
  int StopChannel(int channel) override { return Add("stop " + std::to_string(channel)); }
  int SetVolume(int channel, float v) override { return Add("vol " + Num(channel, v)); }
  int SetPan(int channel, float p) override { return Add("pan " + Num(channel, p)); }
  int SetRate(int channel, float r) override { return Add("rate " + Num(channel, r)); }

  int Count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& s : log) n += s.compare(0, prefix.size(), prefix) == 0;
    return n;
  }

 private:
  static std::string Num(int channel, float v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%d %.4f", channel, v);
    return buf;
  }
  int Add(const std::string& s) {
    log.push_back(s);
    return 0;
  }
};

class SequencerTest : public ::testing::Test {
 protected:
  AlRecorder al;
  ClockHost host;
  LoggingAudio* audio = nullptr;
  c_ZqPlayer* zq = nullptr;

  void SetUp() override {
    vg_app__game = &host;
    audio = new LoggingAudio();
    vg_audio_SetAudioDevice(audio);
    vg_random_Seed = 1234;
    zq = (new c_ZqPlayer())->m_new();
    zq->p_Zq_Init(32, 4, 3, 3, 4);
    for (int k = 1; k <= 8; ++k) {
      zq->m_kitA[k] = NewSound();
      zq->m_kitB[k] = NewSound();
    }
    for (int v = 2; v <= 4; ++v) zq->m_voiceSound[v] = NewSound();
  }
  void TearDown() override { vg_app__game = nullptr; }

  static c_Sound* NewSound() { return (new c_Sound())->m_new(new gxtkSample()); }

  // A started, loaded tune: playing, nothing left to load, every voice audible.
  void Playing(int passesLeft = 4) {
    zq->m_state = 2;
    zq->m_loadStage = 0;
    zq->m_tempo = 100;
    zq->m_passesLeft = passesLeft;
    zq->m_chords = String("qqjj");
    for (int v = 0; v < 8; ++v) zq->m_mute[v] = 0;
  }

  int& Cell(int pattern, int voice, int step, int k) {
    return zq->m_notes[pattern * 4096 + voice * 512 + step * 8 + k];
  }

  // One due step: the clock is moved just past the next step time.
  void Step() {
    host.now = zq->m_nextStepTime + 1;
    zq->p_Zq_MusicPlay();
  }
};

}  // namespace vgtest
