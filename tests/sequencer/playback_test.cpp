// Playback rules of the sequencer as a listener would notice them: when steps fall due,
// how passes and sections end, branches, mutes, chord letters, volumes and channels. The
// player steps on a clock the test sets and plays into a device that logs every channel call.
#include <gtest/gtest.h>

#include <algorithm>
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

// Logs "play ch flags", "stop ch", "vol ch v", "pan ch p", "rate ch r" in call order.
class LoggingAudio : public gxtkAudio {
 public:
  std::vector<std::string> log;
  int PlaySample(gxtkSample*, int c, int flags) override { return Add("play", c, std::to_string(flags)); }
  int StopChannel(int c) override { return Add("stop", c, ""); }
  int SetVolume(int c, float v) override { return Add("vol", c, Num(v)); }
  int SetPan(int c, float p) override { return Add("pan", c, Num(p)); }
  int SetRate(int c, float r) override { return Add("rate", c, Num(r)); }
  int Count(const std::string& prefix) const {
    return std::count_if(log.begin(), log.end(), [&](const std::string& s) { return !s.compare(0, prefix.size(), prefix); });
  }

 private:
  static std::string Num(float v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
  }
  int Add(const char* what, int channel, const std::string& value) {
    log.push_back(what + (" " + std::to_string(channel)) + (value.empty() ? "" : " " + value));
    return 0;
  }
};

// A player with five loaded voices ready to step.
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
    zq = NewPlayer();
  }
  void TearDown() override { vg_app__game = nullptr; }

  static c_ZqPlayer* NewPlayer() {
    c_ZqPlayer* zq = (new c_ZqPlayer())->m_new();
    zq->p_Zq_Init(32, 4, 3, 3, 4);
    for (int k = 1; k <= 8; ++k) zq->m_kitA[k] = NewSound(), zq->m_kitB[k] = NewSound();
    for (int v = 2; v <= 4; ++v) zq->m_voiceSound[v] = NewSound();
    return zq;
  }
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
  int& Cell(int pattern, int voice, int step, int k) { return zq->m_notes[pattern * 4096 + voice * 512 + step * 8 + k]; }
  // One due step: the clock is moved just past the next step time.
  void Step() {
    host.now = zq->m_nextStepTime + 1;
    zq->p_Zq_MusicPlay();
  }
};

TEST_F(SequencerTest, StepsFallDueOnTheirOwnScheduleAndSurviveABackwardClock) {
  Playing();
  zq->m_nextStepTime = 990;
  // The next step counts from the previous due time, not from now: 990 + 8000 / 100. A step
  // is due only once its time has passed; a clock far behind (it went back) plays at once.
  const int nows[] = {1000, 1070, 1071, 100000}, steps[] = {1, 1, 2, 3}, next[] = {1070, 1070, 1150, 0};
  for (int i = 0; i < 4; ++i) {
    if (i == 3) zq->m_nextStepTime = 300000;
    host.now = nows[i];
    zq->p_Zq_MusicPlay();
    EXPECT_EQ(zq->m_step, steps[i]) << "at " << nows[i];
    EXPECT_TRUE(!next[i] || zq->m_nextStepTime == next[i]) << "at " << nows[i];
  }
}

TEST_F(SequencerTest, PassesEndAfterStep63OrAnEffectEightAndSectionsNeverMuteBothKits) {
  Playing(4);
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

TEST_F(SequencerTest, BranchesSwitchPatternsInAlternatePassesAndStayInsideTheTable) {
  Playing();
  const struct {
    int amount, passesLeft, from, to;
  } cases[] = {
      {1, 4, 5, 5}, {1, 3, 5, 6}, {1, 2, 5, 5}, {1, 1, 5, 6},  // passes 2 and 4
      {2, 4, 6, 5}, {2, 3, 6, 6}, {2, 2, 6, 5}, {2, 1, 6, 6},  // passes 1 and 3
      {1, 3, 63, 63}, {2, 2, 0, 0},  // past either end of the 64 patterns: ignored
  };
  Cell(6, 2, 10, 0) = 13;  // the branched-to cell is the one played, on the lead's channel
  for (const auto& c : cases) {
    for (int p : {0, 5, 6, 63}) Cell(p, 2, 10, 2) = 27, Cell(p, 2, 10, 3) = c.amount;
    zq->m_passesLeft = c.passesLeft, zq->m_pattern[2] = c.from, zq->m_step = 10;
    audio->log.clear();
    Step();
    EXPECT_EQ(zq->m_pattern[2], c.to) << "amount " << c.amount << ", passes left " << c.passesLeft;
    EXPECT_EQ(audio->Count("play 29 1"), c.to == 6) << "amount " << c.amount << ", passes left " << c.passesLeft;
  }
}

TEST_F(SequencerTest, CellsSetTheVolumeAndSlideThePitchWithinLimits) {
  Playing();
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

TEST_F(SequencerTest, ChordLettersTransposeOnePassEach) {
  Playing(8);
  zq->m_nextStepTime = 0;
  // "qqjj", then a drawn pattern: every one the pass end can draw begins with "q".
  for (float want : {1.0f, 1.0f, 0.891f, 0.891f, 1.0f}) {
    Step();
    EXPECT_FLOAT_EQ(zq->m_transpose, want);
    for (int s = 1; s < 64; ++s) Step();
  }
}

TEST_F(SequencerTest, APauseResumesAHundredAndFiftyMillisecondsAfterItsLastUpdate) {
  Playing();
  zq->m_sounding[2] = 1;
  zq->m_channel[2] = 29;
  for (host.now = 1000; host.now <= 3000; host.now += 16) zq->p_Zq_Alive_U(1, 1);
  int last = host.now - 16, step = zq->m_step;
  EXPECT_EQ(audio->Count("stop 29"), 1) << "a pause silences a sounding voice once";
  for (int wait : {150, 151}) {
    host.now = last + wait;
    zq->p_Zq_Alive_U(0, 1);
    EXPECT_EQ(zq->m_step, step + (wait > 150)) << wait;
  }
}

TEST_F(SequencerTest, RestartingATuneReusesItsTableAndReplaysTheSameWay) {
  zq->p_Zq_StartTune(String("Retro/Tessaly"), 37171650, 100);
  EXPECT_EQ(zq->m_loadStage, 1);
  for (int v = 0; v < 5; ++v) EXPECT_EQ(zq->m_pattern[v], 0) << "a new tune starts on pattern 0";
  // Pretend the loader ran and found notes in patterns 0 to 20 of every voice.
  zq->m_loadStage = 0;
  for (int v = 0; v < 5; ++v) {
    zq->m_lastPattern[v] = 20;
    for (int p = 0; p <= 20; ++p) Cell(p, v, (p * 7 + v) % 64, 0) = v < 2 ? 13 : 1 + p % 31;
  }
  c_ZqPlayer* loaded = zq;
  // Each run restarts the same tune on a player in the same state: a copy of the loaded one.
  auto run = [&] {
    zq = NewPlayer();
    zq->m_tuneFile = loaded->m_tuneFile;
    for (int i = 0; i < zq->m_notes.Length(); ++i) zq->m_notes[i] = loaded->m_notes[i];
    for (int v = 0; v < 8; ++v) zq->m_lastPattern[v] = loaded->m_lastPattern[v];
    audio->log.clear();
    host.now = 5000;
    vg_random_Seed = 99;
    zq->p_Zq_StartTune(String("Retro/Tessaly"), 37171650, 100);
    std::vector<std::string> log = {std::to_string(zq->m_loadStage)};
    for (int v = 0; v < 5; ++v) log.push_back("pattern " + std::to_string(zq->m_pattern[v]));
    for (int i = 0; i < 300; ++i) Step();
    log.insert(log.end(), audio->log.begin(), audio->log.end());
    return log.push_back("seed " + std::to_string(vg_random_Seed)), log;
  };
  std::vector<std::string> first = run();
  EXPECT_EQ(first[0], "0") << "the same tune is not loaded again";
  EXPECT_NE(std::count(first.begin() + 1, first.begin() + 6, "pattern 0"), 5) << "patterns are drawn from the table";
  EXPECT_GT(audio->Count("play"), 0);
  EXPECT_EQ(run(), first);
}

}  // namespace
