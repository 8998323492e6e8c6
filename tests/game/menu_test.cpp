// The result screens, the title menu, the pause menu, the options box and the controls on the
// real game, one scenario per child process: scores filed and the rank shown, items moved and
// activated by keys and taps, latches, the fade that gates input, the keys that end the
// program, and the keyboard and pad layouts with the player rules.
#include <unistd.h>

#include <tuple>

#include "tests/game/menu_testing.h"

using namespace menutest;

namespace {
void Draw(c_MyApp* app, int (c_MyApp::*screen)()) { app->p_CLS2D(0, 0, 80, 1), (app->*screen)(); }
}  // namespace

TEST(Scores, OnlyAnEntryIsANewHighscoreATieShowsTheRankReachedAndIsFiledBelowEqualScores) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start(), h.FinishLoading();
    c_MyApp* app = h.app();
    app->m_TuneChoice = 1;
    app->m_Screen = kScreenLoadGame;  // a game whose end has just been reached, on an empty table
    h.Update();
    app->m_GameOver = 1, app->p_MyNth();
    EXPECT_EQ(app->m_i, 0) << "a zero score on an empty table enters nothing";
    app->m_Score = 1;
    EXPECT_EQ(app->p_MyNth(), String("1st!"));
    SetTop(app, 1000, 100);
    app->m_Score = 100, app->p_MyNth();  // equal to the tenth best: stays out
    EXPECT_EQ(app->m_i, 0);
    app->m_Score = 300;  // equal to the eighth best: enters, and shows the rank it reached
    EXPECT_EQ(app->p_MyNth(), String("8th"));
    h.Frame(20), h.Tap(vgtest::kKeyEscape);
    EXPECT_EQ(app->m_Paused, 0) << "no pause opens under the overlay";
    h.Frame(120);
    EXPECT_TRUE(app->m_Screen == kScreenMenu && app->m_Paused == 0) << "the title menu starts unpaused";
    SetTop(app, 900, 100);
    app->m_Score = 700, app->p_LoadMenu();  // equal to the third best: the table files it fourth
    app->m_GameOverTimer = 60;
    Draw(app, &c_MyApp::p_GameOver);
    EXPECT_NE(AllText(app).find("/NewHighscore/3rd/"), std::string::npos) << AllText(app);
    app->m_Score = 50;
    Draw(app, &c_MyApp::p_GameOver);
    EXPECT_TRUE(Shows(app, "GAME") && !Shows(app, "New Highscore")) << AllText(app);

    SetTop(app, 1000, 100);
    for (int i = 0; i < 10; ++i) app->m_HighScores[10 + i] = i + 1;
    // Score, rank expected, then the first five entries of the top and last tables.
    struct Case { int score, rank; int top[5], last[5]; };
    const Case cases[] = {{100, -1, {1000, 900, 800, 700, 600}, {100, 1, 2, 3, 4}},  // ties the tenth
                          {5000, 0, {5000, 1000, 900, 800, 700}, {5000, 100, 1, 2, 3}},
                          {800, 4, {5000, 1000, 900, 800, 800}, {800, 5000, 100, 1, 2}}};
    for (const Case& c : cases) {
      app->m_Score = c.score, app->p_LoadMenu();
      EXPECT_EQ(app->m_NewRank, c.rank) << c.score;
      EXPECT_TRUE(std::equal(c.top, c.top + 5, &app->m_HighScores[0])) << c.score << ": top ten";
      EXPECT_TRUE(std::equal(c.last, c.last + 5, &app->m_HighScores[10])) << c.score << ": last ten";
    }
    EXPECT_EQ(app->m_HighScores[9], 300) << "the old tenth dropped out";
    // A mode without a table of its own files into the first one, not past the array's end.
    app->m_TuneChoice = 9, app->m_Score = 6000, app->p_LoadMenu();
    std::vector<std::string> f = Fields(Saved(h));
    EXPECT_TRUE(f.size() == 56 && f[35] == "6000" && f[36] == "6000") << "filed and saved at once: " << Saved(h);
    // The panels' numbers fill their field from the right; a wider one keeps its last digits.
    const struct { int value, width; const char *pad, *text; } numbers[] = {
        {42, 8, "0", "00000042"}, {123456789, 8, "0", "23456789"}, {7, 11, " ", "          7"},
        {-12, 4, "ab", "b-12"},   {12, 3, "", "12"},               {5, 0, "0", ""}};
    for (const auto& n : numbers)
      EXPECT_EQ(app->p_rstr(n.value, n.width, String(n.pad)), String(n.text)) << n.value;
  });
}

TEST(Menu, KeysAndTapsMoveBetweenItemsTheOptionsBoxWaitsForItsFadeAndBackForARelease) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    EXPECT_TRUE(app->m_MenuItem == 1 && AllText(app).find("Top10/") != std::string::npos);
    // Right, right again on the last item (nothing), then up; the options item hides the tables.
    for (auto [key, item, scroll] : {std::tuple{vgtest::kKeyRight, 2, -88.0f}, {vgtest::kKeyRight, 2, -88.0f},
                                     {vgtest::kKeyUp, 1, 0.0f}}) {
      TapAndSettle(h, key), h.Frame(60);
      EXPECT_TRUE(app->m_MenuItem == item && app->m_ScrollTarget == scroll && app->m_OptionsOpen == 0) << item;
      EXPECT_EQ(AllText(app).find("Top10/") != std::string::npos, item == 1);
    }
    float x = (640 - 140) / 2.0f + 88, y = 480 - 96;  // the options item, one step right
    h.MouseDown(x, y), h.Frame(5);
    EXPECT_TRUE(app->m_MenuItem == 2 && app->m_OptionsOpen == 0) << "the selecting press must not also activate";
    h.MouseUp(), h.Frame(60);
    h.MouseDown(x - 88, y), h.Frame(), h.MouseUp();  // it has scrolled into the middle
    ASSERT_EQ(app->m_OptionsOpen, 1);
    while (app->m_OptionsFade < 30) {
      TapAndSettle(h, vgtest::kKeyDown);
      ASSERT_EQ(app->m_OptionsCursor, 0) << "fade " << app->m_OptionsFade;
    }
    for (int i = 0; i < 6; ++i) TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_TRUE(app->m_OptionsRows == 4 && app->m_OptionsCursor == 4 && app->m_MenuItem == 2)
        << "stopped on the last row; the menu underneath saw none of it";
    app->m_Settings[kSoundMode] = kSoundEffects, TapAndSettle(h, vgtest::kKeyEnter);
    EXPECT_TRUE(app->m_OptionsOpen == 0 && app->m_CreditsOpen == 1);
    EXPECT_EQ(Fields(Saved(h))[kSoundMode], "2") << "leaving through the credits row saves too";

    // Back closes the boxes, and only once everything is released.
    h.Frame(60);
    app->m_BadgesOpen = 1;
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen + app->m_BadgesOpen);
    app->m_CreditsOpen = 1;
    h.Frame(5);
    EXPECT_EQ(1, app->m_CreditsOpen) << "back still held";
    h.Release(vgtest::kKeyEscape), h.Frame();
    h.MouseDown(100, 60), h.Frame();  // clear of every menu item
    app->m_BackLatch = app->m_CreditsOpen = 1;
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(1, app->m_CreditsOpen) << "a held pointer holds back the key too";
    h.Release(vgtest::kKeyEscape), h.MouseUp(), h.Frame();
    EXPECT_EQ(0, app->m_KeyLatch + app->m_BackLatch);
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(0, app->m_CreditsOpen);
  });
}

TEST(Pause, HeldBackResumesOnceAndTheOptionsOpenedThereHaveNoCreditsRow) {
  VG_IN_CHILD([] {
    Harness h;
    ToMenu(h);
    c_MyApp* app = h.app();
    TapAndSettle(h, vgtest::kKeyEnter);  // play
    h.Frame(5);
    TapAndSettle(h, vgtest::kKeyEscape);
    h.Frame(20);
    ASSERT_TRUE(app->m_Screen == kScreenGame && app->m_Paused == 1);
    h.Press(vgtest::kKeyEscape), h.Frame(60);
    EXPECT_TRUE(app->m_Paused == 0 && app->m_PauseSlide < -32) << "resumed once, panel gone";
    h.Release(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(app->m_Paused, 0);
    h.Press(vgtest::kKeyEscape), h.Frame();
    EXPECT_EQ(app->m_Paused, 1);
    h.Release(vgtest::kKeyEscape), h.Frame(20);
    app->m_OptionsCursor = 4;  // left on the credits row by a visit from the title menu
    TapAndSettle(h, vgtest::kKeyRight), TapAndSettle(h, vgtest::kKeyEnter), h.Frame(31);
    EXPECT_TRUE(app->m_OptionsRows == 3 && !Shows(app, "Credits")) << AllText(app);
    EXPECT_EQ(app->m_OptionsCursor, 3) << "the cursor stays on the rows drawn";
    TapAndSettle(h, vgtest::kKeyDown);
    EXPECT_EQ(app->m_OptionsCursor, 3);
    TapAndSettle(h, vgtest::kKeyEscape);
    EXPECT_TRUE(app->m_OptionsOpen == 0 && app->m_Paused == 1);
  });
}

TEST(GameCore, F4AndTheCloseKeyEvenWhileLoadingAndBackOnTheTitleMenuEndTheProgramWithStatusZero) {
  for (int key : {vgtest::kKeyF4, vgtest::kKeyClose, vgtest::kKeyEscape}) {
    EXPECT_EQ(0, vgtest::RunInChild([key] {
      Harness h;
      h.Start();
      h.Frame(2);
      if (key == vgtest::kKeyEscape) h.FinishLoading(), h.Frame(40);
      h.Tap(key), h.Frame(5);
      _exit(3);  // the program carried on past the key
    })) << key;
  }
}

TEST(Controls, KeyboardLayoutsServePlayersZeroAndMinusOnePadsTheirOwnAndRateAndPointerAreMeasured) {
  vgtest::OnLoadedGame([](Harness& h, c_MyApp* app) {
    // The update rate and the pointer, without undefined arithmetic.
    h.clock().now = 10.0, h.host()->UpdateGame();
    h.clock().now = 10.02, h.host()->UpdateGame();
    h.host()->UpdateGame();  // the clock stood still
    EXPECT_EQ(50, app->m_FpsNow);
    app->m_ScaleX = app->m_ScaleY = 0;  // as before any render
    h.MouseMove(1e12f, -1e12f), h.Update();
    EXPECT_TRUE(app->m_MouseX == 1000000000 && app->m_MouseY == -1000000000) << "no undefined float to int conversion";

    const struct { int code, key; } cases[] = {
        {38, kGameUp},    {87, kGameUp},    {37, kGameLeft},  {65, kGameLeft},  {39, kGameRight},
        {68, kGameRight}, {40, kGameDown},  {83, kGameDown},  {90, kGameFire},  {74, kGameFire},
        {32, kGameFire},  {13, kGameFire},  {88, kGameB},     {75, kGameB},     {17, kGameB},
        {67, kGameC},     {76, kGameC},     {16, kGameC},     {86, kGameD},     {73, kGameD},
        {66, kGameL1},    {85, kGameL1},    {78, kGameR1},    {79, kGameR1},    {27, kGameBack},
        {192, kGameBack}, {46, kGameBack},  {8, kGameBack}};
    for (const auto& c : cases) {
      h.Press(c.code);
      EXPECT_EQ(std::vector<int>({1, 1, 0, 4}),
                std::vector<int>({app->p_PlayKey(c.key, 0, 0), app->p_PlayKey(c.key, 1, -1),
                                  app->p_PlayKey(c.key, 0, -2), app->p_PlayKeyAll(c.key, 0)}))
          << "code " << c.code;
      h.Release(c.code);
      EXPECT_EQ(0, app->p_PlayKey(c.key, 0, 0)) << "code " << c.code;
    }
    app->m_PadKeys[kPadBackO] = 2;  // a source of back, not a key of its own number
    EXPECT_EQ(0, app->p_PlayKey(kPadBackO, 0, 0) + app->p_PlayKey(7, 0, 0));
    EXPECT_EQ(1, app->p_PlayKey(kGameBack, 0, 0));
    app->m_PadKeys[kPadBackO] = 0;

    std::vector<unsigned char> buttons(16, 0);
    h.Joystick(0, {0.5f, -1, 0, 0}, buttons);  // right half way, fully up (GLFW's y is down)
    h.Update();
    EXPECT_EQ(std::vector<int>({0, 1, 0, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(kGameUp, 0, 0), app->p_PlayKey(kGameUp, 1, 0),
                                app->p_PlayKey(kGameDown, 1, 0), app->p_PlayKey(kGameRight, 1, 0),
                                app->p_PlayKey(kGameUp, 1, 1), app->p_PlayKey(kGameUp, 1, -1)}))
        << "the stick counts in mode 1, for its own player, never for the keyboard's";
    buttons[9] = buttons[14] = 1;  // up, back
    h.Joystick(0, {0, 0, 0, 0}, buttons);
    h.Update();
    EXPECT_EQ(std::vector<int>({1, 0, 1, 1, 0, 0}),
              std::vector<int>({app->p_PlayKey(kGameUp, 0, 0), app->p_PlayKey(kGameUp, 0, -1),
                                app->p_PlayKey(kGameBack, 0, 0), app->p_PlayKeyAll(kGameUp, 0),
                                app->p_PlayKey(kGameUp, 0, 4), app->p_PlayKey(kGameUp, 0, 9)}))
        << "pad buttons serve their own player; there is no fifth pad";
  });
}
