// The draw list: records and the drawing state, the 2499-record cap, text layout and padded
// numbers, the screen fit, and the replay of each record kind through the graphics device
// (GL calls recorded, no context).
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/graphics.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;
using vgtest::OnLoadedGame;

namespace {

// n fields of record i from field from.
std::vector<float> Rec(c_MyApp* app, int i, int from = 0, int n = 8) {
  return std::vector<float>(app->m_DrawList.Data() + 15 * i + from, app->m_DrawList.Data() + 15 * i + from + n);
}

}  // namespace

TEST(DrawList, RecordsCarryTheDrawingStateAndHoldAtMost2499) {
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    app->p_CLS2D(10, 20, 30, 0.5f);
    app->p_SetCol(1, 2, 3, 0.4f);
    app->p_SetRot(90);
    app->p_SetSize(2, kNoValue);
    app->p_DrawImg(5, 10, 20, 3);
    app->p_SetCol(7, 8, 9);  // no alpha given: the alpha stays
    app->p_SetSize(3, 4);
    app->p_Rect(1, 2, 30, 40);
    app->p_Alpha(0.25f);
    app->p_Oval(5, 6, 7, 8);
    ASSERT_EQ(45, app->m_DrawCount);
    EXPECT_EQ(Rec(app, 0), (std::vector<float>{5, 10, 20, -90, 2, 2, 3, 0.4f}));
    EXPECT_EQ(Rec(app, 0, 10, 4), (std::vector<float>{1, 2, 3, 1}));
    EXPECT_EQ(Rec(app, 1), (std::vector<float>{kNoValue, 1, 2, -90, 30, 40, 0, 0.4f}));
    EXPECT_EQ(Rec(app, 2), (std::vector<float>{kNoValue + 1, 5, 6, -90, 7, 8, 0, 0.25f}));
    app->p_CLS2D(kNoValue, 0, 0, 0);  // keeps the background, resets the state
    EXPECT_EQ(std::vector<float>({10, 0.5f, 1, 1, 0, 255, 1}),
              std::vector<float>({app->m_ClsR, app->m_ClsAlpha, app->m_DrawSizeX, app->m_DrawSizeY,
                                  app->m_DrawRot, app->m_DrawG, app->m_DrawAlpha}));

    for (int i = 0; i < 2500; ++i) app->p_Rect(static_cast<float>(i), 0, 1, 1);
    app->p_DrawImg(1, 0, 0, 0);
    app->p_Text(0, 0, "abc", 0, 0);
    EXPECT_EQ(2499 * 15, app->m_DrawCount);
    EXPECT_FLOAT_EQ(2498, Rec(app, 2498)[1]);
    h.Render();  // a full list replays without complaint
  });
}

TEST(DrawList, TextLaysOutWithKerningAndBreaksAndNumbersAreCutOrPaddedToWidth) {
  OnLoadedGame([](Harness&, c_MyApp* app) {
    ASSERT_EQ(7, app->m_ImageInfo[3 * app->m_CurFont]) << "advance of the game's font";
    struct Case {
      const char* what;
      String text;
      int alignX, alignY;
      float size, rot;
      std::vector<float> pen;  // x, y of each record
    };
    const Char odd[] = {'a', 0, 200, 'b'};
    const Case cases[] = {
        {"empty", "", 0, 0, 1, 0, {}},
        {"a space", " ", 1, 1, 1, 0, {}},
        {"one advance right", "ab", 0, 1, 1, 0, {107, 50, 114, 50}},
        {"kerned and centred", "mi", 1, 0, 1, 0, {99, 55, 108, 55}},  // width 16: 8 left
        {"line break", "a\\nb", 0, 2, 2, 0, {114, 40, 100, 60}},
        {"code 0 and past 159", String(odd, 4), 0, 1, 1, 0, {107, 50, 121, 50}},
        {"turned a quarter", "ab", 0, 1, 1, 90, {100, 57, 100, 64}},
    };
    for (const Case& c : cases) {
      app->p_CLS2D(0, 0, 0, 1);
      app->p_SetSize(c.size);
      app->p_SetRot(c.rot);
      app->p_Text(100, 50, c.text, c.alignX, c.alignY);
      ASSERT_EQ(c.pen.size() / 2 * 15, static_cast<size_t>(app->m_DrawCount)) << c.what;
      for (size_t i = 0; i < c.pen.size() / 2; ++i) {
        EXPECT_NEAR(c.pen[2 * i], Rec(app, i)[1], 1e-3) << c.what << " x " << i;
        EXPECT_NEAR(c.pen[2 * i + 1], Rec(app, i)[2], 1e-3) << c.what << " y " << i;
      }
    }
    EXPECT_FLOAT_EQ('b' - 32, Rec(app, 1)[6]);

    // Right-aligned numbers, cut or padded to their width.
    EXPECT_EQ(String("00042"), app->p_rstr(42, 5, "0"));
    EXPECT_EQ(String("456"), app->p_rstr(123456, 3, " "));
    EXPECT_EQ(String("00-5"), app->p_rstr(-5, 4, "0"));
    EXPECT_EQ(String(""), app->p_rstr(42, -3, "0"));
    EXPECT_EQ(String("42"), app->p_rstr(42, 5, ""));
    EXPECT_EQ(String("ab42"), app->p_rstr(42, 4, "xab"));
    EXPECT_EQ(String(" -2147483648"), app->p_rstr(-2147483647 - 1, 12, " "));
  });
}

TEST(DrawList, ScreenFitKeepsTheDesignScreenWhole) {
  OnLoadedGame([](Harness&, c_MyApp* app) {
    const struct { int w, h; float overscan, scale, jw, jh; int mode, landscape; } cases[] = {
        {640, 480, 0, 1, 640, 480, 1, 1}, {1280, 720, 0, 2, 640, 360, 1, 1},
        {640, 960, 0, 2, 320, 480, 2, 0}, {1280, 720, 64, 1.8f, 640, 360, 1, 1},
        {1280, 1024, 0, 1024.0f / 480, 600, 480, 2, 1},  // exactly 480 high, not a hair under
        {800, 800, 0, 1.6666666f, 480, 480, 2, 1},
        {0, 0, 0, 1.6666666f, 480, 480, 2, 1}};  // no area (minimised): the last fit stays
    for (const auto& c : cases) {
      vg_Vantorell_overscan = c.overscan;
      app->p_FitScreen(c.w, c.h);
      EXPECT_EQ(std::vector<float>({c.scale, c.scale, c.jw, c.jh, float(c.mode), float(c.landscape)}),
                std::vector<float>({app->m_ScaleX, app->m_ScaleY, vg_Vantorell_jscrw, vg_Vantorell_jscrh,
                                    float(app->m_ScaleMode), float(app->m_Landscape)}))
          << c.w << "x" << c.h;
    }
  });
}

TEST(DrawList, ReplayDrawsEachRecordKindFittedToTheWindow) {
  Harness::Options window;
  window.width = 1280;
  window.height = 960;
  OnLoadedGame([](Harness& h, c_MyApp* app) {
    ASSERT_NE(nullptr, app->m_Images[97]);
    // Vertices first .. first + n - 1 of the device after each render: of the last batch.
    auto box = [&h](int first, int n) {
      gxtkGraphics* g = vg_graphics_device;
      std::vector<float> b{1e9f, 1e9f, -1e9f, -1e9f};
      for (int i = first; i < first + n; ++i) {
        b = {std::min(b[0], g->vertices[i].x), std::min(b[1], g->vertices[i].y),
             std::max(b[2], g->vertices[i].x), std::max(b[3], g->vertices[i].y)};
      }
      return b;
    };
    struct Case {
      const char* what;
      void (*draw)(c_MyApp*);
      int draws, first, vertices;
      std::vector<float> box;
    };
    const Case cases[] = {
        {"background", [](c_MyApp*) {}, 1, 0, 4, {-1, -1, 1281, 961}},
        {"rectangle, in the background's batch", [](c_MyApp* a) { a->p_Rect(10, 20, 30, 40); },
         1, 4, 4, {20, 40, 80, 120}},
        {"oval", [](c_MyApp* a) { a->p_Oval(100, 100, 10, 20); }, 2, 0, 0, {180, 160, 220, 240}},
        {"image, centred at design size", [](c_MyApp* a) { a->p_DrawImg(97, 100, 50, 2); }, 2, 0, 4,
         {168, 68, 232, 132}},
        {"empty, out-of-range slots and frames", [](c_MyApp* a) {
           for (int f : {0, 16, -1}) a->p_DrawImg(f ? 97 : 42, 100, 50, f);
           a->p_DrawImg(150, 100, 50, 0);
         }, 1, 0, 4, {-1, -1, 1281, 961}}};
    for (const Case& c : cases) {
      app->p_CLS2D(0, 0, 80, 1);
      c.draw(app);
      h.gl().Clear();
      h.Render();
      EXPECT_EQ(c.draws, h.gl().DrawCalls()) << c.what;
      int n = c.vertices ? c.vertices : vg_graphics_device->OvalSegments(40, 80);
      std::vector<float> b = box(c.first, n);
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(c.box[i], b[i], 0.5) << c.what << " " << i;
    }
  }, window);
}
