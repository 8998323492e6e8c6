// Tests of the saved record (game/record.cpp): the field layout and checksums p_Save writes,
// which blocks p_Load keeps or resets, and damaged state files of every kind, each run on the
// real game in a child process through the headless harness.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "game/myapp.h"
#include "tests/game/menu_testing.h"
#include "tests/support/harness.h"

using menutest::Record;
using vgtest::Harness;
using menutest::InChild;

namespace {

const char* const kStateFile = ".tarvikstate";

std::string Saved(const Harness& h) { return menutest::ReadFile(h.workDir() + "/" + kStateFile); }

void SetDefaults(c_MyApp* app) {
  for (int i = 0; i < 25; ++i) app->m_Settings[i] = 0;
  app->m_Settings[5] = 1;
  for (int i = 0; i < 256; ++i) app->m_BadgeFlags[i] = false;
  for (int i = 0; i < 50; ++i) app->m_HighScores[i] = 0;
}

// A record with something in every block, within the setting limits.
Record Sample() {
  Record r;
  for (int i = 0; i < 25; ++i) r.settings[i] = 3 * i;
  r.settings[5] = 2;
  r.settings[10] = 300;
  r.settings[11] = 100;
  r.settings[12] = 15;
  r.settings[14] = 1;
  r.words[0] = 5;
  r.words[3] = -2147483647 - 1;
  r.words[7] = -1;
  for (int i = 0; i < 10; ++i) {
    r.top[i] = 10000 - 700 * i;
    r.last[i] = 50 + 13 * i;
  }
  return r;
}

void ExpectHolds(c_MyApp* app, const Record& r) {
  for (int i = 0; i < 25; ++i) EXPECT_EQ(app->m_Settings[i], r.settings[i]) << "setting " << i;
  for (int n = 0; n < 256; ++n) {
    bool set = ((static_cast<uint32_t>(r.words[n / 32]) >> (n % 32)) & 1) != 0;
    EXPECT_EQ(app->m_BadgeFlags[n], set) << "badge " << n;
  }
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(app->m_HighScores[i], r.top[i]) << "top " << i;
    EXPECT_EQ(app->m_HighScores[10 + i], r.last[i]) << "last " << i;
  }
}

}  // namespace

TEST(Record, DefaultSettingsBlockIsFiveZerosAOneNineteenZerosAndChecksumFive) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    SetDefaults(app);
    app->p_Save();
    std::string saved = Saved(h);
    EXPECT_EQ(saved.substr(0, 52), "0|0|0|0|0|1|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|5|");
    EXPECT_TRUE(menutest::IsValidRecord(saved)) << saved;
    Record defaults;
    defaults.settings[5] = 1;
    EXPECT_EQ(saved, defaults.Text());
  });
}

TEST(Record, BadgeWordsAreSignedThirtyTwoBitNumbers) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    SetDefaults(app);
    for (int b = 0; b < 32; ++b) app->m_BadgeFlags[b] = true;  // word 0 full
    app->m_BadgeFlags[32 + 31] = true;                          // word 1: only bit 31
    app->m_BadgeFlags[64 + 1] = true;                           // word 2: 2
    app->p_Save();
    std::vector<std::string> f = menutest::Fields(Saved(h));
    ASSERT_EQ(f.size(), 56u);
    EXPECT_EQ(f[26], "-1");
    EXPECT_EQ(f[27], "-2147483648");
    EXPECT_EQ(f[28], "2");
    // -1 + INT_MIN + 2 stays in range; INT_MIN + INT_MIN wraps to 0.
    EXPECT_EQ(f[34], "-2147483647");
    app->m_BadgeFlags[64 + 1] = false;
    app->m_BadgeFlags[64 + 31] = true;
    app->m_BadgeFlags[31] = false;  // word 0 now INT_MAX, so the sum is INT_MAX + 2 INT_MIN
    app->p_Save();
    f = menutest::Fields(Saved(h));
    EXPECT_EQ(f[26], "2147483647");
    EXPECT_EQ(f[34], "2147483647");
    EXPECT_TRUE(menutest::IsValidRecord(Saved(h)));
  });
}

TEST(Record, SaveMatchesLayoutAndLoadsBackWithThreeLoadedLines) {
  const Record sample = Sample();
  // The game writes exactly the record computed here.
  InChild([&] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    SetDefaults(app);
    for (int i = 0; i < 25; ++i) app->m_Settings[i] = sample.settings[i];
    for (int n = 0; n < 256; ++n) {
      app->m_BadgeFlags[n] = ((static_cast<uint32_t>(sample.words[n / 32]) >> (n % 32)) & 1) != 0;
    }
    for (int i = 0; i < 10; ++i) {
      app->m_HighScores[i] = sample.top[i];
      app->m_HighScores[10 + i] = sample.last[i];
    }
    app->m_HighScores[20] = 777;  // other modes are never stored
    app->p_Save();
    EXPECT_EQ(Saved(h), sample.Text());
  });
  // And reads it back at start-up.
  InChild([&] {
    Harness::Options o;
    o.state = sample.Text();
    Harness h(o);
    testing::internal::CaptureStdout();
    h.Start();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Settings Loaded\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Badges Loaded\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Highscore 0 Loaded\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Invalid"), std::string::npos) << out;
    ExpectHolds(h.app(), sample);
  });
}

TEST(Record, EachBadChecksumResetsOnlyItsOwnBlock) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    const Record sample = Sample();
    const std::string good = sample.Text();
    std::vector<std::string> f = menutest::Fields(good);
    auto join = [](const std::vector<std::string>& parts) {
      std::string s;
      for (const std::string& p : parts) s += p + "|";
      return s;
    };
    auto load = [&](const std::string& text) {
      SetDefaults(app);
      menutest::WriteFile(h.workDir() + "/" + kStateFile, text);
      testing::internal::CaptureStdout();
      app->p_Load();
      return testing::internal::GetCapturedStdout();
    };

    // One top score one higher, checksum left alone.
    std::vector<std::string> bumped = f;
    bumped[35] = std::to_string(sample.top[0] + 1);
    std::string out = load(join(bumped));
    EXPECT_NE(out.find("Settings Loaded"), std::string::npos) << out;
    EXPECT_NE(out.find("Badges Loaded"), std::string::npos) << out;
    EXPECT_NE(out.find("Highscore 0 Checksum Invalid"), std::string::npos) << out;
    Record scoresGone = sample;
    for (int i = 0; i < 10; ++i) scoresGone.top[i] = scoresGone.last[i] = 0;
    ExpectHolds(app, scoresGone);

    // A badge word changed: flags cleared, settings and scores kept.
    std::vector<std::string> badge = f;
    badge[27] = "1";
    out = load(join(badge));
    EXPECT_NE(out.find("Badge Checksum Invalid"), std::string::npos) << out;
    EXPECT_NE(out.find("Highscore 0 Loaded"), std::string::npos) << out;
    Record badgesGone = sample;
    for (int w = 0; w < 8; ++w) badgesGone.words[w] = 0;
    ExpectHolds(app, badgesGone);

    // A setting changed: all settings back to the defaults, then the limits.
    std::vector<std::string> setting = f;
    setting[3] = "4";
    out = load(join(setting));
    EXPECT_NE(out.find("Settings Checksum Invalid"), std::string::npos) << out;
    EXPECT_NE(out.find("Badges Loaded"), std::string::npos) << out;
    Record settingsGone = sample;
    for (int i = 0; i < 25; ++i) settingsGone.settings[i] = 0;
    settingsGone.settings[5] = 1;
    settingsGone.settings[10] = settingsGone.settings[11] = 64;
    settingsGone.settings[12] = 10;
    settingsGone.settings[14] = 1;
    ExpectHolds(app, settingsGone);
  });
}

// Whatever the state file holds, loading neither crashes nor hangs, keeps the blocks it can
// vouch for, and the next save is a whole valid record.
TEST(Record, DamagedStateFilesLoadSafely) {
  InChild([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    const Record sample = Sample();
    const std::string good = sample.Text();

    struct Case {
      std::string name, bytes;
      int settings, badges, scores;  // blocks expected to load: 1 yes, 0 no, -1 either
    };
    std::vector<Case> cases;
    cases.push_back({"empty", "", 0, 0, 0});
    cases.push_back({"no trailing separator", good.substr(0, good.size() - 1), 1, 1, 1});
    std::string junk;
    uint32_t seed = 12345;
    for (int i = 0; i < 4096; ++i) {
      seed = seed * 1103515245u + 12345u;
      junk += static_cast<char>(seed >> 24);
    }
    cases.push_back({"random bytes", junk, -1, -1, -1});
    // A stray byte that is not UTF-8 after the first digit: the text falls back to bytes and
    // the field still reads as its leading digits.
    std::string bad = good;
    bad.insert(1, "\xff\xc3");
    cases.push_back({"invalid UTF-8", bad, 1, 1, 1});
    std::string huge;
    huge.reserve(10u << 20);
    while (huge.size() < (10u << 20)) huge += "1|";
    cases.push_back({"10 MB", huge, 0, 0, 0});
    std::vector<std::string> f = menutest::Fields(good);
    std::string digits;
    for (size_t i = 0; i < f.size(); ++i) digits += (i == 3 ? std::string(5000, '9') : f[i]) + "|";
    cases.push_back({"5000 digits", digits, 0, 1, 1});
    cases.push_back({"only separators", std::string(100, '|'), 1, 1, 1});
    cases.push_back({"minus signs", "-|-|--1|+|", 0, 0, 0});
    Record negative = sample;  // stored below the limits, checksum intact
    negative.settings[10] = -5;
    negative.settings[12] = 7;
    negative.settings[14] = -9;
    cases.push_back({"settings below their limits", negative.Text(), 1, 1, 1});

    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      SetDefaults(app);
      menutest::WriteFile(h.workDir() + "/" + kStateFile, c.bytes);
      testing::internal::CaptureStdout();
      auto start = std::chrono::steady_clock::now();
      app->p_Load();
      double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::string out = testing::internal::GetCapturedStdout();
      EXPECT_LT(seconds, 5.0);
      auto loaded = [&](const char* line, int expected) {
        if (expected >= 0) {
          EXPECT_EQ(out.find(line) != std::string::npos, expected == 1) << line << "\n" << out;
        }
      };
      loaded("Settings Loaded", c.settings);
      loaded("Badges Loaded", c.badges);
      loaded("Highscore 0 Loaded", c.scores);
      EXPECT_GE(app->m_Settings[10], 64);
      EXPECT_GE(app->m_Settings[11], 64);
      EXPECT_GE(app->m_Settings[12], 8);
      EXPECT_EQ(app->m_Settings[14], 1);
      app->p_Save();
      EXPECT_TRUE(menutest::IsValidRecord(Saved(h))) << Saved(h).substr(0, 200);
    }
  });
}

TEST(Record, RecordTooShortForSettingsIsReadAsBadgeWords) {
  InChild([] {
    Harness::Options o;
    o.state = "9|0|0|0|0|0|0|0|9|";  // eight words and their sum, nothing else
    Harness h(o);
    testing::internal::CaptureStdout();
    h.Start();
    std::string out = testing::internal::GetCapturedStdout();
    c_MyApp* app = h.app();
    EXPECT_EQ(out.find("Settings"), std::string::npos) << out;
    EXPECT_NE(out.find("Badges Loaded"), std::string::npos) << out;
    EXPECT_TRUE(app->m_BadgeFlags[0]);
    EXPECT_FALSE(app->m_BadgeFlags[1]);
    EXPECT_TRUE(app->m_BadgeFlags[3]);
    EXPECT_EQ(app->m_Settings[5], 1);  // the defaults stay
  });
}
