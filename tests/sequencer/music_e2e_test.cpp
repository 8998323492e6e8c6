// The sequencer heard in the real game: the program built with sequencer music is started
// under a private X server with OpenAL Soft writing its mix to a wave file, a game is started
// from the title menu, and the recording must hold music whose loudness pulses with the
// sequencer's steps (80 ms at the game's tempo of 100).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

#ifndef VANTORELL_SEQUENCER_MUSIC
#define VANTORELL_SEQUENCER_MUSIC 0
#endif

namespace {
using namespace std::chrono_literals;

// The samples of the recording, which the writer is told to make 16-bit mono. It may not
// have finished its header when the program ends, so the data runs to the end of the file.
std::vector<float> ReadWave(const std::string& path, int* rate) {
  std::ifstream f(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::vector<float> out;
  size_t fmt = bytes.find("fmt "), data = bytes.find("data");
  if (fmt == std::string::npos || data == std::string::npos || fmt + 24 > bytes.size()) return out;
  auto u16 = [&](size_t at) { return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8; };
  *rate = u16(fmt + 12) | u16(fmt + 14) << 16;
  if (u16(fmt + 10) != 1 || u16(fmt + 22) != 16) return out;  // one channel, 16 bits
  for (size_t i = data + 8; i + 2 <= bytes.size(); i += 2) out.push_back(static_cast<int16_t>(u16(i)) / 32768.0f);
  return out;
}

// Normalised autocorrelation of x at lag k (x has its mean removed).
double Autocorrelation(const std::vector<double>& x, int k) {
  double num = 0, den = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    den += x[i] * x[i];
    if (i + k < x.size()) num += x[i] * x[i + k];
  }
  return den > 0 ? num / den : 0;
}

class SequencerMusicTest : public vgtest::XvfbTest {};

TEST_F(SequencerMusicTest, AGameStartedFromTheMenuPlaysSequencedMusicInStepRhythm) {
  if (!VANTORELL_SEQUENCER_MUSIC) GTEST_SKIP() << "only the sequencer-music build runs this";
  std::string dir = vgtest::ProgramFolder("sequencer-music", true);
  ASSERT_FALSE(dir.empty());
  std::ofstream(dir + "/alsoft.conf") << "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\n[wave]\nfile=" << dir << "/mix.wav\n";
  int status = vgtest::RunProgramIn(dir, [&] {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(125);
    setenv("ALSOFT_CONF", (dir + "/alsoft.conf").c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    vgtest::ExecGame();
  }, [](int) {
    unsigned long window = vgtest::FindWindowByTitle("Vantorell", 20);
    ASSERT_NE(window, 0u) << "no game window";
    vgtest::FocusWindow(window);
    std::this_thread::sleep_for(4s);  // the loading screen's stages, then the title menu
    vgtest::XdotoolKey("keydown", "space");
    std::this_thread::sleep_for(200ms);
    vgtest::XdotoolKey("keyup", "space");
    std::this_thread::sleep_for(9s);  // the tune loads over 24 renders, then plays
    vgtest::SendDeleteWindow(window);
  }, 10);
  EXPECT_EQ(status, 0) << "the close box ends the game";

  int rate = 0;
  std::vector<float> mix = ReadWave(dir + "/mix.wav", &rate);
  ASSERT_GT(rate, 0) << "no wave output";
  ASSERT_GT(mix.size(), static_cast<size_t>(rate * 10));

  // Loudness in 10 ms frames over the last six seconds, when the tune is surely playing.
  int frame = rate / 100;
  std::vector<double> env;
  for (size_t at = mix.size() - 6 * rate; at + frame <= mix.size(); at += frame) {
    double e = 0;
    for (int i = 0; i < frame; ++i) e += mix[at + i] * mix[at + i];
    env.push_back(std::sqrt(e / frame));
  }
  double mean = std::accumulate(env.begin(), env.end(), 0.0) / env.size();
  EXPECT_GT(mean, 0.005) << "the recording is silent";
  for (double& e : env) e -= mean;

  // Steps are 80 ms (8 frames) apart, so the loudness repeats after a whole number of steps:
  // the strongest repetition between 100 ms and 2 s lies on a step boundary (give or take the
  // 60 Hz update the steps are timed by) and is a clear one.
  int best = 10;
  for (int k = 10; k < 200; ++k) best = Autocorrelation(env, k) > Autocorrelation(env, best) ? k : best;
  int offStep = std::abs(best - 8 * ((best + 4) / 8));
  EXPECT_LE(offStep, 1) << "loudness repeats every " << best * 10 << " ms";
  EXPECT_GT(Autocorrelation(env, best), 0.3) << "at " << best * 10 << " ms";
  if (!HasFailure()) std::filesystem::remove_all(dir);
}

}  // namespace
