// The draw list: record layout, the drawing state, the 2499-record cap, text layout with its
// kerning, alignment and line breaks, right-aligned numbers, the screen fit, and the replay
// of each record kind through the graphics device (GL calls recorded, no context).
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/graphics.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "tests/support/harness.h"

using vgtest::Harness;

namespace {

const float* Record(c_MyApp* app, int i) { return app->m_DrawList.Data() + 15 * i; }

int Records(c_MyApp* app) { return app->m_DrawCount / 15; }

// Bounding box of the device's first n vertices: what the last flushed batch drew.
struct Box {
  float x0, y0, x1, y1;
};
Box VertexBox(int n) {
  gxtkGraphics* g = vg_graphics_device;
  Box b{1e9f, 1e9f, -1e9f, -1e9f};
  for (int i = 0; i < n; ++i) {
    b.x0 = std::min(b.x0, g->vertices[i].x);
    b.y0 = std::min(b.y0, g->vertices[i].y);
    b.x1 = std::max(b.x1, g->vertices[i].x);
    b.y1 = std::max(b.y1, g->vertices[i].y);
  }
  return b;
}

// A started game past its loader, on the title menu, with the font metrics of the game.
void StartLoaded(Harness& h) {
  h.Start();
  h.FinishLoading();
}

}  // namespace

TEST(DrawList, RecordsCarryTheDrawingState) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    app->p_CLS2D(10, 20, 30, 0.5f);
    EXPECT_EQ(0, app->m_DrawCount);
    EXPECT_FLOAT_EQ(10, app->m_ClsR);
    EXPECT_FLOAT_EQ(30, app->m_ClsB);
    EXPECT_FLOAT_EQ(0.5f, app->m_ClsAlpha);
    app->p_SetCol(1, 2, 3, 0.4f);
    app->p_SetRot(90);
    app->p_SetSize(2, kNoValue);
    app->p_DrawImg(5, 10, 20, 3);
    app->p_SetCol(7, 8, 9);  // no alpha given: the alpha stays
    app->p_SetSize(3, 4);
    app->p_Rect(1, 2, 30, 40);
    app->p_Alpha(0.25f);
    app->p_Oval(5, 6, 7, 8);
    ASSERT_EQ(3, Records(app));
    const float* img = Record(app, 0);
    EXPECT_FLOAT_EQ(5, img[0]);
    EXPECT_FLOAT_EQ(10, img[1]);
    EXPECT_FLOAT_EQ(20, img[2]);
    EXPECT_FLOAT_EQ(-90, img[3]);
    EXPECT_FLOAT_EQ(2, img[4]);
    EXPECT_FLOAT_EQ(2, img[5]);
    EXPECT_FLOAT_EQ(3, img[6]);
    EXPECT_FLOAT_EQ(0.4f, img[7]);
    EXPECT_FLOAT_EQ(1, img[10]);
    EXPECT_FLOAT_EQ(3, img[12]);
    EXPECT_FLOAT_EQ(1, img[13]);
    const float* rect = Record(app, 1);
    EXPECT_FLOAT_EQ(kNoValue, rect[0]);
    EXPECT_FLOAT_EQ(30, rect[4]);
    EXPECT_FLOAT_EQ(40, rect[5]);
    EXPECT_FLOAT_EQ(0, rect[6]);
    EXPECT_FLOAT_EQ(0.4f, rect[7]);
    EXPECT_FLOAT_EQ(8, rect[11]);
    const float* oval = Record(app, 2);
    EXPECT_FLOAT_EQ(kNoValue + 1, oval[0]);
    EXPECT_FLOAT_EQ(7, oval[4]);
    EXPECT_FLOAT_EQ(8, oval[5]);
    EXPECT_FLOAT_EQ(0.25f, oval[7]);

    // -3717 keeps the background; the state is reset either way.
    app->p_CLS2D(kNoValue, 0, 0, 0);
    EXPECT_FLOAT_EQ(10, app->m_ClsR);
    EXPECT_FLOAT_EQ(0.5f, app->m_ClsAlpha);
    EXPECT_FLOAT_EQ(1, app->m_DrawSizeX);
    EXPECT_FLOAT_EQ(1, app->m_DrawSizeY);
    EXPECT_FLOAT_EQ(0, app->m_DrawRot);
    EXPECT_FLOAT_EQ(255, app->m_DrawG);
    EXPECT_FLOAT_EQ(1, app->m_DrawAlpha);
    EXPECT_EQ(1, app->m_DrawMode);
  });
}

TEST(DrawList, HoldsAtMost2499Records) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    app->p_CLS2D(0, 0, 0, 1);
    for (int i = 0; i < 2499; ++i) app->p_Rect(static_cast<float>(i), 0, 1, 1);
    EXPECT_EQ(2499 * 15, app->m_DrawCount);
    app->p_Rect(-1, -1, 5, 5);
    app->p_DrawImg(1, 0, 0, 0);
    app->p_Text(0, 0, "abc", 0, 0);
    EXPECT_EQ(2499 * 15, app->m_DrawCount);
    EXPECT_FLOAT_EQ(2498, Record(app, 2498)[1]);
    h.Render();  // a full list replays without complaint
  });
}

TEST(DrawList, TextLaysOutFromTheLeadingSpace) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    ASSERT_EQ(7, app->m_ImageInfo[3 * app->m_CurFont]);
    ASSERT_EQ(10, app->m_ImageInfo[3 * app->m_CurFont + 1]);
    app->p_CLS2D(0, 0, 0, 1);
    app->p_Text(100, 50, "", 0, 0);
    EXPECT_EQ(0, app->m_DrawCount);
    app->p_Text(100, 50, " ", 1, 1);
    EXPECT_EQ(0, app->m_DrawCount);

    // alignY 1 puts the line's middle on y; alignX 0 starts one advance to the right.
    app->p_Text(100, 50, "ab", 0, 1);
    ASSERT_EQ(2, Records(app));
    EXPECT_FLOAT_EQ(90, Record(app, 0)[0]);
    EXPECT_FLOAT_EQ('a' - 32, Record(app, 0)[6]);
    EXPECT_NEAR(107, Record(app, 0)[1], 1e-4);
    EXPECT_NEAR(50, Record(app, 0)[2], 1e-4);
    EXPECT_NEAR(114, Record(app, 1)[1], 1e-4);

    // Kerning: "m" is 2 wider, "i" 3 narrower; the run is centred by its integer width.
    app->p_CLS2D(0, 0, 0, 1);
    app->p_Text(100, 50, "mi", 1, 0);
    ASSERT_EQ(2, Records(app));
    // Width = space 7 + m 9 = 16, so the start is 8 left; alignY 0 is half a line below.
    EXPECT_NEAR(100 - 8 + 7, Record(app, 0)[1], 1e-4);
    EXPECT_NEAR(100 - 8 + 7 + 9, Record(app, 1)[1], 1e-4);
    EXPECT_NEAR(55, Record(app, 0)[2], 1e-4);

    // A backslash-n starts the next line at the run's start, one line height lower.
    app->p_CLS2D(0, 0, 0, 1);
    app->p_SetSize(2);
    app->p_Text(100, 50, "a\\nb", 0, 2);
    ASSERT_EQ(2, Records(app));
    EXPECT_NEAR(114, Record(app, 0)[1], 1e-4);
    EXPECT_NEAR(40, Record(app, 0)[2], 1e-4);
    EXPECT_NEAR(100, Record(app, 1)[1], 1e-4);
    EXPECT_NEAR(60, Record(app, 1)[2], 1e-4);
    EXPECT_FLOAT_EQ(2, Record(app, 1)[4]);

    // Code 0 is skipped without moving the pen; codes past 159 move it but draw nothing.
    app->p_CLS2D(0, 0, 0, 1);
    const Char text[] = {'a', 0, 200, 'b'};
    app->p_Text(0, 0, String(text, 4), 0, 1);
    ASSERT_EQ(2, Records(app));
    EXPECT_NEAR(7, Record(app, 0)[1], 1e-4);
    EXPECT_NEAR(21, Record(app, 1)[1], 1e-4);

    // Turned a quarter clockwise, the text runs down the screen.
    app->p_CLS2D(0, 0, 0, 1);
    app->p_SetRot(90);
    app->p_Text(100, 50, "ab", 0, 1);
    ASSERT_EQ(2, Records(app));
    EXPECT_NEAR(100, Record(app, 1)[1], 1e-3);
    EXPECT_NEAR(64, Record(app, 1)[2], 1e-3);
    EXPECT_FLOAT_EQ(-90, Record(app, 1)[3]);
  });
}

TEST(DrawList, RightAlignedNumbers) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    EXPECT_EQ(String("00042"), app->p_rstr(42, 5, "0"));
    EXPECT_EQ(String("456"), app->p_rstr(123456, 3, " "));
    EXPECT_EQ(String("          7"), app->p_rstr(7, 11, " "));
    EXPECT_EQ(String("00-5"), app->p_rstr(-5, 4, "0"));
    EXPECT_EQ(String("00000000"), app->p_rstr(0, 8, "0").Slice(0, 8));
    EXPECT_EQ(String(""), app->p_rstr(42, 0, "0"));
    EXPECT_EQ(String(""), app->p_rstr(42, -3, "0"));
    EXPECT_EQ(String("42"), app->p_rstr(42, 5, ""));
    EXPECT_EQ(String("ab42"), app->p_rstr(42, 4, "xab"));
    EXPECT_EQ(String(" -2147483648"), app->p_rstr(-2147483647 - 1, 12, " "));
    String wide = app->p_rstr(5, 100, ".");
    EXPECT_EQ(100, wide.Length());
    EXPECT_EQ(String("..5"), wide.Slice(97));
  });
}

TEST(DrawList, ScreenFitKeepsTheDesignScreenWhole) {
  VG_IN_CHILD([] {
    Harness h;
    h.Start();
    c_MyApp* app = h.app();
    struct Case {
      int w, h;
      float overscan, scale, jw, jh;
      int mode, landscape;
    };
    const Case cases[] = {
        {640, 480, 0, 1, 640, 480, 1, 1},   {1280, 720, 0, 2, 640, 360, 1, 1},
        {640, 960, 0, 2, 320, 480, 2, 0},   {1280, 720, 64, 1.8f, 640, 360, 1, 1},
        {800, 800, 0, 1.6666666f, 480, 480, 2, 1},
    };
    for (const Case& c : cases) {
      vg_Vantorell_overscan = c.overscan;
      app->p_FitScreen(c.w, c.h);
      EXPECT_FLOAT_EQ(c.scale, app->m_ScaleX) << c.w << "x" << c.h;
      EXPECT_FLOAT_EQ(c.scale, app->m_ScaleY) << c.w << "x" << c.h;
      EXPECT_FLOAT_EQ(c.jw, vg_Vantorell_jscrw) << c.w << "x" << c.h;
      EXPECT_FLOAT_EQ(c.jh, vg_Vantorell_jscrh) << c.w << "x" << c.h;
      EXPECT_EQ(c.mode, app->m_ScaleMode) << c.w << "x" << c.h;
      EXPECT_EQ(c.landscape, app->m_Landscape) << c.w << "x" << c.h;
    }
    vg_Vantorell_overscan = 0;
    // A device with no area (a minimised window) keeps the last fit rather than dividing
    // by zero.
    app->p_FitScreen(640, 480);
    app->p_FitScreen(0, 0);
    EXPECT_FLOAT_EQ(1, app->m_ScaleX);
    EXPECT_FLOAT_EQ(640, vg_Vantorell_jscrw);
  });
}

TEST(DrawList, ResizeBetweenRendersReloadsOnce) {
  VG_IN_CHILD([] {
    Harness h;
    StartLoaded(h);
    c_MyApp* app = h.app();
    h.Render();
    EXPECT_EQ(0, app->m_Loading);
    h.Resize(1280, 720);
    h.Render();
    EXPECT_EQ(1, app->m_Loading);
    EXPECT_EQ(1280, app->m_DevW);
    EXPECT_EQ(720, app->m_DevH);
    EXPECT_FLOAT_EQ(360, vg_Vantorell_jscrh);
    app->m_Loading = 0;
    h.Render();
    EXPECT_EQ(0, app->m_Loading);
  });
}

TEST(DrawList, ReplayDrawsEachRecordKindFittedToTheWindow) {
  VG_IN_CHILD([] {
    Harness::Options options;
    options.width = 1280;
    options.height = 960;
    Harness h(options);
    StartLoaded(h);
    c_MyApp* app = h.app();
    h.Render();
    ASSERT_FLOAT_EQ(2, app->m_ScaleX);
    GlRecorder& gl = h.gl();

    // The background alone: one batch covering the window and a pixel more on each side.
    app->p_CLS2D(0, 0, 80, 1);
    gl.Clear();
    h.Render();
    EXPECT_EQ(1, gl.DrawCalls());
    Box bg = VertexBox(4);
    EXPECT_FLOAT_EQ(-1, bg.x0);
    EXPECT_FLOAT_EQ(1281, bg.x1);
    EXPECT_FLOAT_EQ(961, bg.y1);

    // Each record is its own draw call (every record sets the blend mode, which flushes).
    app->p_Rect(10, 20, 30, 40);
    gl.Clear();
    h.Render();
    EXPECT_EQ(2, gl.DrawCalls());
    Box rect = VertexBox(4);
    EXPECT_FLOAT_EQ(20, rect.x0);
    EXPECT_FLOAT_EQ(40, rect.y0);
    EXPECT_FLOAT_EQ(80, rect.x1);
    EXPECT_FLOAT_EQ(120, rect.y1);

    app->p_CLS2D(0, 0, 80, 1);
    app->p_Oval(100, 100, 10, 20);
    gl.Clear();
    h.Render();
    EXPECT_EQ(2, gl.DrawCalls());
    EXPECT_EQ(1, gl.Count("DrawArrays"));  // the oval is a fan
    Box oval = VertexBox(vg_graphics_device->OvalSegments(40, 80));
    EXPECT_NEAR(180, oval.x0, 0.5);
    EXPECT_NEAR(220, oval.x1, 0.5);
    EXPECT_NEAR(160, oval.y0, 0.5);
    EXPECT_NEAR(240, oval.y1, 0.5);

    // An image is centred on its point and keeps its design size at any resolution.
    ASSERT_NE(nullptr, app->m_Images[97]);
    app->p_CLS2D(0, 0, 80, 1);
    app->p_DrawImg(97, 100, 50, 2);
    gl.Clear();
    h.Render();
    EXPECT_EQ(2, gl.DrawCalls());
    Box img = VertexBox(4);
    EXPECT_NEAR(200 - 32, img.x0, 1e-3);
    EXPECT_NEAR(200 + 32, img.x1, 1e-3);
    EXPECT_NEAR(100 - 32, img.y0, 1e-3);
    EXPECT_NEAR(100 + 32, img.y1, 1e-3);

    // Empty slots, slots out of range and frames the image lacks draw nothing.
    app->p_CLS2D(0, 0, 80, 1);
    app->p_DrawImg(42, 100, 50, 0);
    app->p_DrawImg(150, 100, 50, 0);
    app->p_DrawImg(97, 100, 50, 16);
    app->p_DrawImg(97, 100, 50, -1);
    gl.Clear();
    h.Render();
    EXPECT_EQ(1, gl.DrawCalls());
  });
}
