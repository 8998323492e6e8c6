// The saved record on the real game in a child process: the layout and checksums p_Save
// writes, compared with records computed here, and which blocks p_Load keeps from good,
// tampered and damaged state files.
#include <ctime>

#include "tests/game/menu_testing.h"

using namespace menutest;

namespace {
bool Badge(const Record& r, int n) { return (static_cast<uint32_t>(r.words[n / 32]) >> (n % 32)) & 1; }

void Hold(c_MyApp* app, const Record& r) {
  for (int i = 0; i < 25; ++i) app->m_Settings[i] = r.settings[i];
  for (int n = 0; n < 256; ++n) app->m_BadgeFlags[n] = Badge(r, n);
  for (int i = 0; i < 50; ++i) app->m_HighScores[i] = i < 10 ? r.top[i] : i < 20 ? r.last[i - 10] : 0;
}

void ExpectHolds(c_MyApp* app, const Record& r) {
  for (int i = 0; i < 25; ++i) EXPECT_EQ(app->m_Settings[i], r.settings[i]) << "setting " << i;
  for (int n = 0; n < 256; ++n) EXPECT_EQ(app->m_BadgeFlags[n], Badge(r, n)) << "badge " << n;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(app->m_HighScores[i], r.top[i]) << "top " << i;
    EXPECT_EQ(app->m_HighScores[10 + i], r.last[i]) << "last " << i;
  }
}

Record Defaults() {
  Record r;
  r.settings[5] = 1;
  return r;
}

// Something in every block, within the setting limits; two INT_MIN words make the sum wrap.
Record Sample() {
  Record r;
  for (int i = 0; i < 25; ++i) r.settings[i] = 3 * i;
  r.settings[5] = 2, r.settings[10] = 300, r.settings[11] = 100, r.settings[12] = 15, r.settings[14] = 1;
  r.words[0] = 5, r.words[3] = r.words[4] = INT32_MIN, r.words[7] = -1;
  for (int i = 0; i < 10; ++i) r.top[i] = 10000 - 700 * i, r.last[i] = 50 + 13 * i;
  return r;
}
}  // namespace

TEST(Record, SaveWritesTheLayoutWithWrappingChecksumsAndLoadKeepsTheBlocksWhoseChecksumsHold) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    Hold(h.app(), Defaults());
    h.app()->p_Save();
    EXPECT_EQ(Saved(h), Defaults().Text());
    Hold(h.app(), Sample());
    h.app()->m_HighScores[20] = 777;  // other modes are never stored
    h.app()->p_Save();
    EXPECT_EQ(Saved(h), Sample().Text());
    EXPECT_EQ(Fields(Saved(h))[33], "-1") << "a full badge word";

    c_MyApp* app = h.app();
    const std::string good = Sample().Text();
    auto edit = [&](int field, const std::string& value) {
      std::vector<std::string> f = Fields(good);
      f[field] = value;
      std::string s;
      for (const std::string& p : f) s += p + "|";
      return s;
    };
    std::string junk, huge, bad = good;
    for (uint32_t i = 0, seed = 12345; i < 4096; ++i) seed = seed * 1103515245u + 12345u, junk += char(seed >> 24);
    while (huge.size() < (10u << 20)) huge += "1|";
    bad.insert(1, "\xff\xc3");  // not UTF-8: the field still reads as its leading digits
    Record low = Sample(), badges = Defaults();
    low.settings[10] = -5, low.settings[12] = 7, low.settings[14] = -9;
    badges.words[0] = 9;
    // The text and which blocks load (settings, badges, scores; -1 either); the record the
    // loaded blocks then hold (the others hold the defaults), if it is checked.
    struct Case { const char* name; std::string text; int blocks[3]; Record holds; bool check; };
    const Record sample = Sample();
    const Case cases[] = {
        {"whole", good, {1, 1, 1}, sample, true},
        {"a top score +1", edit(35, std::to_string(Sample().top[0] + 1)), {1, 1, 0}, sample, true},
        {"a badge word", edit(27, "1"), {1, 0, 1}, sample, true},
        {"a setting", edit(3, "4"), {0, 1, 1}, sample, true},
        {"5000 digits", edit(3, std::string(5000, '9')), {0, 1, 1}, sample, true},
        {"no trailing separator", good.substr(0, good.size() - 1), {1, 1, 1}, sample, true},
        {"invalid UTF-8", bad, {1, 1, 1}, sample, true},
        {"too short for settings: badge words", "9|0|0|0|0|0|0|0|9|", {0, 1, 0}, badges, true},
        {"empty", "", {0, 0, 0}, sample, false},
        {"random bytes", junk, {-1, -1, -1}, sample, false},
        {"10 MB", huge, {0, 0, 0}, sample, false},
        {"only separators", std::string(100, '|'), {1, 1, 1}, sample, false},
        {"bare signs", "-|-|--1|+|", {0, 0, 0}, sample, false},
        {"settings below their limits", low.Text(), {1, 1, 1}, sample, false}};
    const char* lines[3] = {"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded"};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      Hold(app, Defaults());
      WriteFile(h.workDir() + "/.tarvikstate", c.text);
      testing::internal::CaptureStdout();
      // Processor time, not wall time: a loaded machine or a sanitizer build must not fail a
      // check that is there to catch a parse slower than linear.
      std::clock_t start = std::clock();
      app->p_Load();
      EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 5.0);
      std::string out = testing::internal::GetCapturedStdout();
      for (int b = 0; b < 3; ++b)
        EXPECT_TRUE(c.blocks[b] < 0 || (out.find(lines[b]) != std::string::npos) == (c.blocks[b] == 1)) << out;
      if (c.check) {
        Record want = c.holds, reset = Defaults();
        reset.settings[10] = reset.settings[11] = 64, reset.settings[12] = 10, reset.settings[14] = 1;
        if (!c.blocks[0]) std::copy(reset.settings, reset.settings + 25, want.settings);
        if (!c.blocks[1]) std::fill(want.words, want.words + 8, 0);
        if (!c.blocks[2]) std::fill(want.top, want.top + 10, 0), std::fill(want.last, want.last + 10, 0);
        ExpectHolds(app, want);
      }
      EXPECT_TRUE(app->m_Settings[kPadCentreX] >= 64 && app->m_Settings[kPadFromBottom] >= 64 &&
                  app->m_Settings[kPadTenths] >= 8 && app->m_Settings[kOverscanSetting] == 1)
          << "the setting limits hold";
      app->p_Save();
      EXPECT_TRUE(IsValidRecord(Saved(h))) << Saved(h).substr(0, 200);
    }
  });
}
