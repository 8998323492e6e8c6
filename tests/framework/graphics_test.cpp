// The graphics module over a real graphics device on the GL recorder: frame layouts and flags,
// handles, transforms composed with the matrix, the vertices that reach the device's batch,
// and the fatal errors that guard the matrix stack, frame indices and rendering.
#include "framework/graphics.h"

#include <cmath>

#include "devices/graphics.h"
#include "tests/framework/framework_fixture.h"

namespace {

// Records which drawing entry each draw took and the source rectangle of the last part drawn.
struct RecordingGraphics : gxtkGraphics {
  std::vector<std::string> calls;
  int srcx = -1, srcw = -1;
  int DrawSurface(gxtkSurface* s, float x, float y) override {
    return calls.push_back("DrawSurface"), gxtkGraphics::DrawSurface(s, x, y);
  }
  int DrawSurface2(gxtkSurface* s, float x, float y, int sx, int sy, int sw, int sh) override {
    return calls.push_back("DrawSurface2"), srcx = sx, srcw = sw, gxtkGraphics::DrawSurface2(s, x, y, sx, sy, sw, sh);
  }
};

class GraphicsTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    vg_graphics_SetGraphicsDevice(device = new RecordingGraphics);
  }
  c_Image* Load(const char* name, int w, int h, int frames, int flags) {
    host->images[std::string("tarvik://data/") + name] = {w, h};
    return vg_graphics_LoadImage(String(name), frames, flags);
  }
  // Batch vertex i, and where the context's current matrix sends (x, y).
  std::pair<float, float> Vertex(int i) const { return {device->vertices[i].x, device->vertices[i].y}; }
  static std::pair<float, float> Apply(float x, float y) {
    c_GraphicsContext* c = vg_graphics_context;
    return {x * c->m_ix + y * c->m_jx + c->m_tx, x * c->m_iy + y * c->m_jy + c->m_ty};
  }
  RecordingGraphics* device = nullptr;
};

#define EXPECT_POINT(p, ex, ey) EXPECT_TRUE(std::hypot((p).first - (ex), (p).second - (ey)) < 1e-3f) << #p

TEST_F(GraphicsTest, FlagsAndHandlesDecideWhatIsDrawnWhere) {
  c_Image* whole = Load("ship.png", 24, 12, 1, 0);
  c_Image* padded = Load("ship.png", 24, 12, 1, c_Image::XPadding);
  c_Image* mid = Load("box.png", 32, 16, 1, c_Image::MidHandle);
  EXPECT_TRUE(whole->m_flags == c_Image::FullFrame && !(padded->m_flags & c_Image::FullFrame));
  EXPECT_TRUE(mid->m_tx == 16 && mid->m_ty == 8);
  vg_graphics_BeginRender();
  vg_graphics_DrawImage(whole, 5, 6);
  EXPECT_EQ(device->calls.back(), "DrawSurface");
  EXPECT_POINT(Vertex(2), 29, 18);
  vg_graphics_DrawImage(padded, 0, 0);
  EXPECT_TRUE(device->calls.back() == "DrawSurface2" && device->srcx == 1 && device->srcw == 22);
  vg_graphics_DrawImage(mid, 100, 100);  // a new surface starts a new batch
  EXPECT_POINT(Vertex(0), 84, 92);
  EXPECT_POINT(Vertex(2), 116, 108);
  c_Image* arrow = Load("arrow.png", 20, 10, 1, 0);  // turned and scaled around its handle
  arrow->p_SetHandle(5, 5);
  vg_graphics_Translate(1000, 0);  // composed with, then restored
  vg_graphics_DrawImage2(arrow, 100, 50, 90, 2, 3);
  const float want[4][2] = {{1085, 60}, {1085, 20}, {1115, 20}, {1115, 60}};
  for (int i = 0; i < 4; ++i) EXPECT_POINT(Vertex(i), want[i][0], want[i][1]);
  EXPECT_EQ(vg_graphics_context->m_matrixSp, 0);
  EXPECT_POINT(Apply(0, 0), 1000, 0);
}

TEST_F(GraphicsTest, FramesOfAGivenSizeAreLaidInRowsAndMustFit) {
  host->images["tarvik://data/tiles.png"] = {64, 64};
  c_Image* image = vg_graphics_LoadImage2(String("tiles.png"), 20, 20, 7, 0);
  ASSERT_EQ(image->m_frames.Length(), 7);
  const int want[7][2] = {{0, 0}, {20, 0}, {40, 0}, {0, 20}, {20, 20}, {40, 20}, {0, 40}};
  for (int i = 0; i < 7; ++i)
    EXPECT_TRUE(image->m_frames[i]->m_x == want[i][0] && image->m_frames[i]->m_y == want[i][1]) << i;
  EXPECT_EQ(vg_graphics_LoadImage2(String("absent.png"), 8, 8, 1), nullptr);
  EXPECT_FATAL(vg_graphics_LoadImage2(String("tiles.png"), 20, 20, 10), "Image frame outside surface");
  EXPECT_FATAL(vg_graphics_LoadImage2(String("tiles.png"), 65, 8, 1), "Image frame outside surface");
  EXPECT_FATAL(vg_graphics_LoadImage(String("tiles.png"), 0), "Image frame count");
}

TEST_F(GraphicsTest, StackOverflowsBadFramesAndDrawsOutsideRenderingAreFatal) {
  c_Image* font = Load("font.png", 960, 10, 96, c_Image::XPadding);
  vg_graphics_BeginRender();
  vg_graphics_DrawImage(font, 0, 0, 95), vg_graphics_DrawImage(nullptr, 0, 0);  // no image: nothing
  EXPECT_EQ(device->srcx, 951);
  for (int frame : {96, -1}) {
    EXPECT_FATAL(vg_graphics_DrawImage(font, 0, 0, frame), "Image frame index out of range");
    EXPECT_FATAL(vg_graphics_DrawImage2(font, 0, 0, 0, 1, 1, frame), "Image frame index out of range");
  }
  EXPECT_FATAL(vg_graphics_ReadPixels(Array<int>(11), 0, 0, 3, 4), "ReadPixels");
  EXPECT_FATAL(vg_graphics_PopMatrix(), "Tarvik Runtime Error : Matrix stack underflow");
  for (int i = 0; i < 32; ++i) vg_graphics_PushMatrix();
  EXPECT_FATAL(vg_graphics_PushMatrix(), "Tarvik Runtime Error : Matrix stack overflow");
  EXPECT_FATAL(vg_graphics_DrawImage2(font, 0, 0, 0, 1, 1), "Matrix stack overflow") << "its own level";
  vg_graphics_EndRender();
  EXPECT_FATAL(vg_graphics_DrawRect(0, 0, 1, 1), "during rendering");
  EXPECT_FATAL(vg_graphics_DrawImage(font, 0, 0), "during rendering");
  vg_graphics_SetColor(1, 2, 3);  // setters outside rendering only store their values
  vg_graphics_BeginRender();
  EXPECT_TRUE(device->r == 255 && vg_graphics_context->m_matrixSp == 0) << "a fresh state per render";
}

}  // namespace
