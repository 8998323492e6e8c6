// Playback rules of the sequencer as a listener would notice them: when steps fall due,
// how passes and sections end, branches, mutes, chord letters, volumes and channels.
#include <gtest/gtest.h>

#include "tests/sequencer/sequencer_fixture.h"

using vgtest::SequencerTest;

TEST_F(SequencerTest, StepsFallDueOnTheirOwnScheduleAndSurviveABackwardClock) {
  Playing();
  zq->m_nextStepTime = 990;
  host.now = 1000;
  zq->p_Zq_MusicPlay();
  // The next step counts from the previous due time, not from now: 990 + 8000 / 100.
  EXPECT_EQ(zq->m_nextStepTime, 1070);
  EXPECT_EQ(zq->m_step, 1);

  host.now = 1070;
  zq->p_Zq_MusicPlay();
  EXPECT_EQ(zq->m_step, 1) << "a step is due only once its time has passed";
  host.now = 1071;
  zq->p_Zq_MusicPlay();
  EXPECT_EQ(zq->m_step, 2);

  // A clock far behind the schedule (it went backwards) plays at once.
  zq->m_nextStepTime = 300000;
  host.now = 100000;
  zq->p_Zq_MusicPlay();
  EXPECT_EQ(zq->m_step, 3);
}

TEST_F(SequencerTest, EffectEightEndsThePassAfterItsStep) {
  Playing(4);
  zq->m_step = 20;
  Cell(0, 0, 20, 2) = 8;
  Step();
  EXPECT_EQ(zq->m_step, 0);
  EXPECT_EQ(zq->m_passesLeft, 3);
  EXPECT_EQ(zq->m_chords, String("qjj")) << "the pass end takes the next chord letter";
}

TEST_F(SequencerTest, BranchesSwitchPatternsInAlternatePassesAndStayInsideTheTable) {
  Playing();
  for (int p : {0, 5, 6, 63}) Cell(p, 2, 10, 2) = 27;
  struct Case {
    int amount, passesLeft, from, to;
  } cases[] = {
      {1, 4, 5, 5}, {1, 3, 5, 6}, {1, 2, 5, 5}, {1, 1, 5, 6},  // passes 2 and 4
      {2, 4, 6, 5}, {2, 3, 6, 6}, {2, 2, 6, 5}, {2, 1, 6, 6},  // passes 1 and 3
      {1, 3, 63, 63}, {2, 2, 0, 0},  // past either end of the 64 patterns: ignored
  };
  for (const Case& c : cases) {
    for (int p : {0, 5, 6, 63}) Cell(p, 2, 10, 3) = c.amount;
    zq->m_passesLeft = c.passesLeft;
    zq->m_pattern[2] = c.from;
    zq->m_step = 10;
    Step();
    EXPECT_EQ(zq->m_pattern[2], c.to) << "amount " << c.amount << ", passes left " << c.passesLeft;
  }
  // The branched-to cell is the one played: its note reaches the lead's channel.
  audio->log.clear();
  for (int p : {5, 6}) Cell(p, 2, 10, 3) = 1;
  Cell(6, 2, 10, 0) = 13;
  zq->m_passesLeft = 3;
  zq->m_pattern[2] = 5;
  zq->m_step = 10;
  Step();
  EXPECT_EQ(audio->Count("play 29 1"), 1);
}

TEST_F(SequencerTest, CellsSetTheVolumeAndSlideThePitchWithinLimits) {
  Playing();
  zq->p_Zq_PlayNote(2, 13, 31, 0, 0);
  EXPECT_EQ(audio->Count("vol 29 0.0000"), 1) << "volume 31 silences";
  EXPECT_EQ(audio->Count("play 29 1"), 1) << "and still starts the note";
  audio->log.clear();
  zq->p_Zq_PlayNote(0, 14, 0, 0, 0);
  EXPECT_EQ(audio->Count("stop 31"), 1) << "a drum key outside the octave stops the channel";
  EXPECT_EQ(audio->Count("play"), 0) << "and plays nothing";

  zq->p_Zq_PlayNote(2, 31, 16, 3, 31);  // 2.828 + 31 / 15, held at 4
  EXPECT_FLOAT_EQ(zq->m_rate[2], 4.0f);
  zq->p_Zq_PlayNote(2, 1, 16, 4, 31);  // 0.5 - 31 / 15, held at 0.25
  EXPECT_FLOAT_EQ(zq->m_rate[2], 0.25f);
  zq->p_Zq_PlayNote(2, 13, 16, 1, 18);
  EXPECT_FLOAT_EQ(zq->m_rate[2], 1.1f);
}

TEST_F(SequencerTest, SectionsNeverMuteBothDrumKits) {
  Playing(1);
  zq->m_step = 63;
  zq->m_nextMute[0] = 1;
  zq->m_nextMute[1] = 1;
  Step();
  EXPECT_EQ(zq->m_section, 1);
  EXPECT_EQ(zq->m_mute[0], 0);
  EXPECT_EQ(zq->m_mute[1], 1);
  EXPECT_TRUE(zq->m_passesLeft == 2 || zq->m_passesLeft == 4);
}

TEST_F(SequencerTest, ChordLettersTransposeOnePassEach) {
  Playing(8);
  zq->m_nextStepTime = 0;
  std::vector<float> perPass;
  for (int pass = 0; pass < 5; ++pass) {
    Step();
    perPass.push_back(zq->m_transpose);
    for (int s = 1; s < 64; ++s) Step();
  }
  ASSERT_EQ(perPass.size(), 5u);
  EXPECT_FLOAT_EQ(perPass[0], 1.0f);
  EXPECT_FLOAT_EQ(perPass[1], 1.0f);
  EXPECT_FLOAT_EQ(perPass[2], 0.891f);
  EXPECT_FLOAT_EQ(perPass[3], 0.891f);
  // Every chord pattern the pass end can draw begins with "q".
  EXPECT_FLOAT_EQ(perPass[4], 1.0f);
}

TEST_F(SequencerTest, APauseResumesAHundredAndFiftyMillisecondsAfterItsLastUpdate) {
  Playing();
  zq->m_sounding[2] = 1;
  zq->m_channel[2] = 29;
  for (host.now = 1000; host.now <= 3000; host.now += 16) zq->p_Zq_Alive_U(1, 1);
  int last = host.now - 16;
  EXPECT_EQ(audio->Count("stop 29"), 1) << "a pause silences a sounding voice once";
  int step = zq->m_step;
  host.now = last + 150;
  zq->p_Zq_Alive_U(0, 1);
  EXPECT_EQ(zq->m_step, step);
  host.now = last + 151;
  zq->p_Zq_Alive_U(0, 1);
  EXPECT_EQ(zq->m_step, step + 1);
}

TEST_F(SequencerTest, RestartingATuneReusesItsTableAndReplaysTheSameWay) {
  zq->p_Zq_StartTune(String("Retro/Tessaly"), 37171650, 100);
  EXPECT_EQ(zq->m_loadStage, 1);
  for (int v = 0; v < 5; ++v) EXPECT_EQ(zq->m_pattern[v], 0) << "a new tune starts on pattern 0";

  // Pretend the loader ran and found notes in patterns 0 to 20 of every voice.
  zq->m_loadStage = 0;
  for (int v = 0; v < 5; ++v) zq->m_lastPattern[v] = 20;
  for (int p = 0; p <= 20; ++p) {
    for (int v = 0; v < 5; ++v) Cell(p, v, (p * 7 + v) % 64, 0) = v < 2 ? 13 : 1 + p % 31;
  }
  c_ZqPlayer* loaded = zq;

  // Each run restarts the same tune on a player in the same state: a copy of the loaded one.
  auto run = [&] {
    zq = (new c_ZqPlayer())->m_new();
    zq->p_Zq_Init(32, 4, 3, 3, 4);
    zq->m_tuneFile = loaded->m_tuneFile;
    for (int i = 0; i < zq->m_notes.Length(); ++i) zq->m_notes[i] = loaded->m_notes[i];
    for (int v = 0; v < 8; ++v) zq->m_lastPattern[v] = loaded->m_lastPattern[v];
    for (int k = 1; k <= 8; ++k) zq->m_kitA[k] = zq->m_kitB[k] = NewSound();
    for (int v = 2; v <= 4; ++v) zq->m_voiceSound[v] = NewSound();
    audio->log.clear();
    host.now = 5000;
    vg_random_Seed = 99;
    zq->p_Zq_StartTune(String("Retro/Tessaly"), 37171650, 100);
    std::vector<std::string> log = {std::to_string(zq->m_loadStage)};
    for (int v = 0; v < 5; ++v) log.push_back("pattern " + std::to_string(zq->m_pattern[v]));
    for (int i = 0; i < 300; ++i) Step();
    log.insert(log.end(), audio->log.begin(), audio->log.end());
    log.push_back("seed " + std::to_string(vg_random_Seed));
    return log;
  };
  std::vector<std::string> first = run();
  EXPECT_EQ(first[0], "0") << "the same tune is not loaded again";
  bool anyNonZero = false;
  for (int v = 0; v < 5; ++v) anyNonZero |= first[1 + v] != "pattern 0";
  EXPECT_TRUE(anyNonZero) << "a restart draws patterns from the decoded table";
  EXPECT_GT(audio->Count("play"), 0);
  EXPECT_EQ(run(), first);
}
