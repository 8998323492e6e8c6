// The game object's life and state machine, driven through the headless harness: start-up
// values, the screen dispatcher, global keys, pointer bookkeeping, latches, suspend/resume.
#include <gtest/gtest.h>

#include "framework/app.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;

TEST(GameCore, StartsOnTheLoaderThenReachesTheTitleMenu) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    EXPECT_EQ(1, app->m_Screen);
    EXPECT_EQ(1, app->m_Loading);
    EXPECT_EQ(60, vg_app__updateRate);
    EXPECT_EQ(2, app->m_TuneChoice);
    EXPECT_EQ(-32, app->m_MenuSlide);
    EXPECT_EQ(-1, app->m_PauseStage);
    EXPECT_EQ(-64, app->m_PauseSlide);
    EXPECT_EQ(1, app->m_Settings[5]);
    EXPECT_EQ(640, app->m_DevW);
    EXPECT_EQ(480, app->m_DevH);
    for (int i = 0; i < 33; ++i) EXPECT_EQ(i, app->m_ChanMap[i]);
    int updates = h.FinishLoading();
    EXPECT_EQ(24, updates);
    EXPECT_EQ(0, app->m_Loading);
    EXPECT_EQ(1, app->m_Screen);
  });
}
