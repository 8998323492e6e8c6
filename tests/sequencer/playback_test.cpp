// Playback rules of the sequencer as a listener would notice them: the step clock, branches,
// how passes and sections end, mutes, volumes, slides and channels. The player steps on a
// clock the test sets and plays into a device that logs every channel call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "devices/audio.h"
#include "framework/app.h"
#include "framework/audio.h"
#include "framework/random.h"
#include "host/game.h"
#include "sequencer/zqplayer.h"
#include "tests/support/al_recorder.h"

namespace {

class ClockHost : public VgGame {
 public:
  int now = 0;
  int Millisecs() override { return now; }
};

// Logs "play ch flags", "stop ch" and "vol ch v" in call order.
class LoggingAudio : public gxtkAudio {
 public:
  std::vector<std::string> log;
  int PlaySample(gxtkSample*, int c, int flags) override { return Add("play %d %d", c, flags); }
  int StopChannel(int c) override { return Add("stop %d", c); }
  int SetVolume(int c, float v) override { return Add("vol %d %.4f", c, v); }
  int Count(const std::string& prefix) const {
    return std::count_if(log.begin(), log.end(), [&](const std::string& s) { return !s.compare(0, prefix.size(), prefix); });
  }
  template <class... T>
  int Add(const char* format, T... values) {
    char line[48];
    std::snprintf(line, sizeof line, format, values...);
    return log.emplace_back(line), 0;
  }
};

// A player with five loaded voices playing a loaded tune (nothing left to load, every voice
// audible, four passes left), ready to step.
class SequencerTest : public ::testing::Test {
 protected:
  AlRecorder al;
  ClockHost host;
  LoggingAudio* audio = nullptr;
  c_ZqPlayer* zq = nullptr;

  void SetUp() override {
    vg_app__game = &host;
    vg_audio_SetAudioDevice(audio = new LoggingAudio());
    vg_random_Seed = 1234;
    zq = (new c_ZqPlayer())->m_new();
    zq->p_Zq_Init(32, 4, 3, 3, 4);
    for (int k = 1; k <= 8; ++k) zq->m_kitA[k] = NewSound(), zq->m_kitB[k] = NewSound();
    for (int v = 2; v <= 4; ++v) zq->m_voiceSound[v] = NewSound();
    zq->m_state = 2;
    zq->m_loadStage = 0;
    zq->m_tempo = 100;
    zq->m_passesLeft = 4;
    zq->m_chords = String("qqjj");
    for (int v = 0; v < 8; ++v) zq->m_mute[v] = 0;
  }
  void TearDown() override { vg_app__game = nullptr; }
  static c_Sound* NewSound() { return (new c_Sound())->m_new(new gxtkSample()); }
  int& Cell(int pattern, int voice, int step, int k) { return zq->m_notes[pattern * 4096 + voice * 512 + step * 8 + k]; }
  // One due step: the clock is moved just past the next step time.
  void Step() {
    host.now = zq->m_nextStepTime + 1;
    zq->p_Zq_MusicPlay();
  }
};

TEST_F(SequencerTest, StepsKeepTheirTempoWhenUpdatesComeLateAndBranchesFollowThePassesLeft) {
  zq->m_nextStepTime = host.now = 1000;
  zq->p_Zq_MusicPlay();
  EXPECT_EQ(zq->m_step, 0) << "a step is due only after its millisecond";
  for (int late : {1, 30, 79}) host.now = zq->m_nextStepTime + late, zq->p_Zq_MusicPlay();
  EXPECT_TRUE(zq->m_step == 3 && zq->m_nextStepTime == 1240) << "8000 / tempo apart: " << zq->m_nextStepTime;
  host.now = 1240 - 200000;  // the clock jumped back: the next update steps at once
  zq->p_Zq_MusicPlay();
  EXPECT_EQ(zq->m_step, 4);

  // Voice 2 at step 5: a branch up (effect 27, amount 1) in patterns 0 and 63, down in 1.
  for (int p : {0, 63}) Cell(p, 2, 5, 2) = 27, Cell(p, 2, 5, 3) = 1;
  Cell(1, 2, 5, 2) = 27, Cell(1, 2, 5, 3) = 2;
  const struct { int pattern, passes, after; } cases[] = {{0, 4, 0}, {0, 3, 1}, {1, 3, 1}, {1, 4, 0}, {63, 3, 63}};
  for (const auto& c : cases) {
    zq->m_pattern[2] = c.pattern, zq->m_passesLeft = c.passes, zq->m_step = 5;
    Step();
    EXPECT_EQ(zq->m_pattern[2], c.after) << "pattern " << c.pattern << ", " << c.passes << " passes left";
  }
}

TEST_F(SequencerTest, PassesEndAfterStep63OrAnEffectEightAndSectionsNeverMuteBothKits) {
  zq->m_step = 20;
  Cell(0, 0, 20, 2) = 8;
  Step();
  EXPECT_TRUE(zq->m_step == 0 && zq->m_passesLeft == 3);
  EXPECT_EQ(zq->m_chords, String("qjj")) << "the pass end takes the next chord letter";
  zq->m_passesLeft = 1, zq->m_step = 63;
  zq->m_nextMute[0] = zq->m_nextMute[1] = 1;
  Step();
  EXPECT_TRUE(zq->m_step == 0 && zq->m_section == 1 && zq->m_mute[0] == 0 && zq->m_mute[1] == 1);
  EXPECT_TRUE(zq->m_passesLeft == 2 || zq->m_passesLeft == 4);
}

TEST_F(SequencerTest, CellsSetTheVolumeAndSlideThePitchWithinLimits) {
  zq->p_Zq_PlayNote(2, 13, 31, 0, 0);
  EXPECT_TRUE(audio->Count("vol 29 0.0000") == 1 && audio->Count("play 29 1") == 1) << "volume 31 silences a played note";
  audio->log.clear();
  zq->p_Zq_PlayNote(0, 14, 0, 0, 0);
  EXPECT_TRUE(audio->Count("stop 31") == 1 && audio->Count("play") == 0) << "a drum key outside the octave stops";
  const struct {
    int note, effect;
    float rate;
  } slides[] = {{31, 3, 4.0f}, {1, 4, 0.25f}, {13, 1, 1.1f}};  // 2.828 + 31 / 15 held at 4,
  const int amounts[] = {31, 31, 18};                           // 0.5 - 31 / 15 held at 0.25
  for (int i = 0; i < 3; ++i) {
    zq->p_Zq_PlayNote(2, slides[i].note, 16, slides[i].effect, amounts[i]);
    EXPECT_FLOAT_EQ(zq->m_rate[2], slides[i].rate) << i;
  }
}

}  // namespace
