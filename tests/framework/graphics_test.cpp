// The graphics module over a real graphics device whose draw calls are also recorded: frame
// layouts and flags, handles, the matrix and its stack, lazy matrix upload, the vertices that
// reach the device's batch, and the fatal errors that guard the stack and frame indices.
#include "framework/graphics.h"

#include <algorithm>
#include <cmath>

#include "devices/graphics.h"
#include "tests/framework/framework_fixture.h"

namespace {

class RecordingGraphics : public gxtkGraphics {
 public:
  std::vector<std::string> calls;
  int srcx = -1, srcy = -1, srcw = -1, srch = -1;
  float ovalArgs[4] = {};
  int scissor[4] = {};
  int readPitch = -1;

  int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) override {
    calls.push_back("SetMatrix");
    return gxtkGraphics::SetMatrix(ix, iy, jx, jy, tx, ty);
  }
  int SetScissor(int x, int y, int w, int h) override {
    int s[4] = {x, y, w, h};
    std::memcpy(scissor, s, sizeof s);
    return gxtkGraphics::SetScissor(x, y, w, h);
  }
  int DrawOval(float x, float y, float w, float h) override {
    float a[4] = {x, y, w, h};
    std::memcpy(ovalArgs, a, sizeof a);
    return gxtkGraphics::DrawOval(x, y, w, h);
  }
  int DrawSurface(gxtkSurface* s, float x, float y) override {
    calls.push_back("DrawSurface");
    return gxtkGraphics::DrawSurface(s, x, y);
  }
  int DrawSurface2(gxtkSurface* s, float x, float y, int sx, int sy, int sw, int sh) override {
    calls.push_back("DrawSurface2");
    srcx = sx, srcy = sy, srcw = sw, srch = sh;
    return gxtkGraphics::DrawSurface2(s, x, y, sx, sy, sw, sh);
  }
  int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) override {
    readPitch = pitch;
    return gxtkGraphics::ReadPixels(pixels, x, y, w, h, offset, pitch);
  }
  int Count(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
  }
};

class GraphicsTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    device = new RecordingGraphics;
    vg_graphics_SetGraphicsDevice(device);
  }
  c_Image* Load(const char* name, int w, int h, int frames, int flags) {
    host->images[std::string("tarvik://data/") + name] = {w, h};
    return vg_graphics_LoadImage(String(name), frames, flags);
  }
  // Position of batch vertex i.
  std::pair<float, float> Vertex(int i) const { return {device->vertices[i].x, device->vertices[i].y}; }
  // Where the context's current matrix sends (x, y).
  static std::pair<float, float> Apply(float x, float y) {
    c_GraphicsContext* c = vg_graphics_context;
    return {x * c->m_ix + y * c->m_jx + c->m_tx, x * c->m_iy + y * c->m_jy + c->m_ty};
  }
  RecordingGraphics* device = nullptr;
};

#define EXPECT_POINT(p, ex, ey)           \
  do {                                    \
    EXPECT_NEAR((p).first, (ex), 1e-3f);  \
    EXPECT_NEAR((p).second, (ey), 1e-3f); \
  } while (0)

TEST_F(GraphicsTest, DefaultFontIs96PaddedFramesLoadedOnce) {
  host->images["tarvik://data/vunk_font.png"] = {960, 10};
  vg_graphics_SetFont(nullptr, 65);
  c_Image* font = vg_graphics_context->m_font;
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(vg_graphics_context->m_firstChar, 32);
  EXPECT_EQ(font->m_frames.Length(), 96);
  EXPECT_EQ(font->m_width, 8);
  EXPECT_EQ(font->m_height, 10);
  for (int i = 0; i < 96; ++i) {
    ASSERT_EQ(font->m_frames[i]->m_x, 1 + 10 * i);
    ASSERT_EQ(font->m_frames[i]->m_y, 0);
  }
  EXPECT_EQ(font->m_flags, c_Image::XPadding);

  c_Image* other = Load("big.png", 100, 20, 10, 0);
  vg_graphics_SetFont(other, 48);
  EXPECT_EQ(vg_graphics_context->m_font, other);
  EXPECT_EQ(vg_graphics_context->m_firstChar, 48);
  vg_graphics_SetFont(nullptr, 48);
  EXPECT_EQ(vg_graphics_context->m_font, font);
  EXPECT_EQ(std::count(host->imageRequests.begin(), host->imageRequests.end(),
                       "tarvik://data/vunk_font.png"),
            1);
}

TEST_F(GraphicsTest, MissingDefaultFontLeavesNoFont) {
  vg_graphics_SetFont(nullptr, 65);
  EXPECT_EQ(vg_graphics_context->m_font, nullptr);
  EXPECT_EQ(vg_graphics_context->m_firstChar, 32);
  EXPECT_EQ(vg_graphics_LoadImage(String("absent.png")), nullptr);
  EXPECT_EQ(vg_graphics_LoadImage2(String("absent.png"), 8, 8, 1), nullptr);
}

TEST_F(GraphicsTest, OneUnpaddedFrameIsFullFrameAndDrawsTheWholeSurface) {
  c_Image* whole = Load("ship.png", 24, 12, 1, 0);
  c_Image* padded = Load("ship.png", 24, 12, 1, c_Image::XPadding);
  c_Image* two = Load("ship.png", 24, 12, 2, 0);
  EXPECT_EQ(whole->m_flags, c_Image::FullFrame);
  EXPECT_EQ(padded->m_flags & c_Image::FullFrame, 0);
  EXPECT_EQ(two->m_flags & c_Image::FullFrame, 0);

  vg_graphics_BeginRender();
  vg_graphics_DrawImage(whole, 5, 6);
  EXPECT_EQ(device->calls.back(), "DrawSurface");
  EXPECT_POINT(Vertex(2), 29, 18);
  vg_graphics_DrawImage(padded, 0, 0);
  EXPECT_EQ(device->calls.back(), "DrawSurface2");
  EXPECT_EQ(device->srcx, 1);
  EXPECT_EQ(device->srcw, 22);
  vg_graphics_DrawImage(two, 0, 0, 1);
  EXPECT_EQ(device->srcx, 12);
  EXPECT_EQ(device->srcw, 12);
}

TEST_F(GraphicsTest, MidHandleCentresTheFrameOnTheDrawingPosition) {
  c_Image* image = Load("box.png", 32, 16, 1, c_Image::MidHandle);
  EXPECT_EQ(image->m_tx, 16);
  EXPECT_EQ(image->m_ty, 8);
  EXPECT_EQ(image->m_flags & c_Image::MidHandle, 0);

  vg_graphics_BeginRender();
  vg_graphics_DrawImage(image, 100, 100);
  EXPECT_POINT(Vertex(0), 84, 92);
  EXPECT_POINT(Vertex(2), 116, 108);

  // Padding is removed before the handle is centred.
  c_Image* padded = Load("pad.png", 34, 18, 1, c_Image::MidHandle | c_Image::XYPadding);
  EXPECT_EQ(padded->m_tx, 16);
  EXPECT_EQ(padded->m_ty, 8);
  EXPECT_EQ(padded->m_frames[0]->m_y, 1);
}

TEST_F(GraphicsTest, FramesOfAGivenSizeAreLaidInRows) {
  host->images["tarvik://data/tiles.png"] = {64, 64};
  c_Image* image = vg_graphics_LoadImage2(String("tiles.png"), 20, 20, 7, 0);
  ASSERT_NE(image, nullptr);
  const int want[7][2] = {{0, 0}, {20, 0}, {40, 0}, {0, 20}, {20, 20}, {40, 20}, {0, 40}};
  ASSERT_EQ(image->m_frames.Length(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(image->m_frames[i]->m_x, want[i][0]) << i;
    EXPECT_EQ(image->m_frames[i]->m_y, want[i][1]) << i;
  }
  EXPECT_EQ(image->m_source, nullptr);

  // Frames within a part of another image's surface are offset by that part's corner.
  c_Image* part = (new c_Image)->m_new()->p_Init2(image->m_surface, 0, 0, 10, 10, 3, 0, image,
                                                   30, 5, 20, 20);
  EXPECT_EQ(part->m_source, image);
  EXPECT_EQ(part->m_frames[1]->m_x, 40);
  EXPECT_EQ(part->m_frames[2]->m_x, 30);
  EXPECT_EQ(part->m_frames[2]->m_y, 15);
}

TEST_F(GraphicsTest, FramesThatDoNotFitAreFatal) {
  host->images["tarvik://data/tiles.png"] = {64, 64};
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_LoadImage2(String("tiles.png"), 20, 20, 10); }),
              testing::ExitedWithCode(255), "Image frame outside surface");
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_LoadImage2(String("tiles.png"), 65, 8, 1); }),
              testing::ExitedWithCode(255), "Image frame outside surface");
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_LoadImage(String("tiles.png"), 0); }),
              testing::ExitedWithCode(255), "Image frame count");
}

TEST_F(GraphicsTest, MatrixFunctionsPostMultiply) {
  vg_graphics_Rotate(90);
  EXPECT_POINT(Apply(1, 0), 0, -1);
  EXPECT_EQ(vg_graphics_context->m_tformed, 1);

  vg_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
  EXPECT_EQ(vg_graphics_context->m_tformed, 0);
  vg_graphics_Translate(10, 0);
  vg_graphics_Scale(2, 3);  // applies before the translation
  EXPECT_POINT(Apply(1, 1), 12, 3);

  float m[6] = {0, 1, -1, 0, 5, 5};
  vg_graphics_SetMatrix2(Array<float>(m, 6));
  vg_graphics_Transform2(Array<float>(m, 6));
  EXPECT_POINT(Apply(1, 0), -1, 10);

  vg_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
  vg_graphics_PushMatrix();
  vg_graphics_Translate(3, 4);
  vg_graphics_PushMatrix();
  vg_graphics_Rotate(45);
  vg_graphics_PopMatrix();
  EXPECT_POINT(Apply(0, 0), 3, 4);
  EXPECT_POINT(Apply(1, 0), 4, 4);
  vg_graphics_PopMatrix();
  EXPECT_EQ(vg_graphics_context->m_tformed, 0);
  EXPECT_EQ(vg_graphics_context->m_matrixSp, 0);
}

TEST_F(GraphicsTest, MatrixReachesTheDeviceOnlyWhenDrawingAfterAChange) {
  c_Image* image = Load("dot.png", 4, 4, 1, 0);
  vg_graphics_BeginRender();
  EXPECT_EQ(device->Count("SetMatrix"), 0);
  vg_graphics_Translate(1, 1);
  vg_graphics_Translate(1, 1);
  EXPECT_EQ(device->Count("SetMatrix"), 0);
  vg_graphics_DrawRect(0, 0, 1, 1);
  vg_graphics_DrawRect(0, 0, 1, 1);
  EXPECT_EQ(device->Count("SetMatrix"), 1);
  EXPECT_TRUE(device->tformed);

  // Back at the identity the device stores vertices as given.
  vg_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
  vg_graphics_DrawImage(image, 7.5f, 8.25f);
  EXPECT_FALSE(device->tformed);
  int last = device->primCount - 4;
  EXPECT_POINT(Vertex(last), 7.5f, 8.25f);
  EXPECT_POINT(Vertex(last + 2), 11.5f, 12.25f);
}

TEST_F(GraphicsTest, DrawImage2TurnsAndScalesAroundTheHandle) {
  c_Image* image = Load("arrow.png", 20, 10, 1, 0);
  image->p_SetHandle(5, 5);
  vg_graphics_BeginRender();
  vg_graphics_Translate(1000, 0);  // DrawImage2 composes with, then restores, this matrix
  vg_graphics_DrawImage2(image, 100, 50, 90, 2, 3);
  EXPECT_POINT(Vertex(0), 1085, 60);
  EXPECT_POINT(Vertex(1), 1085, 20);
  EXPECT_POINT(Vertex(2), 1115, 20);
  EXPECT_POINT(Vertex(3), 1115, 60);
  EXPECT_EQ(device->calls.back(), "DrawSurface");
  EXPECT_EQ(vg_graphics_context->m_matrixSp, 0);
  EXPECT_POINT(Apply(0, 0), 1000, 0);
}

TEST_F(GraphicsTest, BeginRenderResetsStateAndSettersReachTheDevice) {
  vg_graphics_SetColor(10, 20, 30);  // outside rendering: kept, nothing drawn
  vg_graphics_SetAlpha(0.5f);
  vg_graphics_SetBlend(1);
  vg_graphics_Translate(5, 5);
  vg_graphics_PushMatrix();
  vg_graphics_BeginRender();
  c_GraphicsContext* c = vg_graphics_context;
  EXPECT_EQ(c->m_matrixSp, 0);
  EXPECT_EQ(c->m_tformed, 0);
  EXPECT_EQ(c->m_matDirty, 1);
  EXPECT_EQ(device->r, 255);
  EXPECT_EQ(device->alpha, 1);
  EXPECT_EQ(c->m_blend, 0);
  EXPECT_EQ(c->m_scissor_w, 640);
  EXPECT_EQ(device->scissor[3], 480);

  vg_graphics_SetColor(1, 2, 3);
  EXPECT_EQ(device->b, 3);
  vg_graphics_SetScissor(10.9f, 20.2f, 30.5f, 40.7f);
  EXPECT_EQ(c->m_scissor_x, 10.9f);
  EXPECT_EQ(device->scissor[0], 10);
  EXPECT_EQ(device->scissor[3], 40);

  vg_graphics_DrawEllipse(50, 60, 10, 5);
  EXPECT_EQ(device->ovalArgs[0], 40);
  EXPECT_EQ(device->ovalArgs[1], 55);
  EXPECT_EQ(device->ovalArgs[2], 20);
  EXPECT_EQ(device->ovalArgs[3], 10);

  Array<int> pixels(12);
  vg_graphics_ReadPixels(pixels, 0, 0, 3, 4);
  EXPECT_EQ(device->readPitch, 3);

  vg_graphics_EndRender();
  EXPECT_EQ(vg_graphics_renderDevice, nullptr);
}

TEST_F(GraphicsTest, MatrixStackHolds32AndReportsMisuse) {
  for (int i = 0; i < 32; ++i) vg_graphics_PushMatrix();
  EXPECT_EQ(vg_graphics_context->m_matrixSp, 192);
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_PushMatrix(); }), testing::ExitedWithCode(255),
              "Tarvik Runtime Error : Matrix stack overflow");
  for (int i = 0; i < 32; ++i) vg_graphics_PopMatrix();
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_PopMatrix(); }), testing::ExitedWithCode(255),
              "Tarvik Runtime Error : Matrix stack underflow");
  // DrawImage2 needs one free level of its own.
  c_Image* image = Load("dot.png", 4, 4, 1, 0);
  vg_graphics_BeginRender();
  for (int i = 0; i < 32; ++i) vg_graphics_PushMatrix();
  EXPECT_EXIT(vgtest::RunFatal([image] { vg_graphics_DrawImage2(image, 0, 0, 0, 1, 1); }),
              testing::ExitedWithCode(255), "Matrix stack overflow");
}

TEST_F(GraphicsTest, BadFrameIndicesAndDrawsOutsideRenderingAreFatal) {
  c_Image* font = Load("font.png", 960, 10, 96, c_Image::XPadding);
  vg_graphics_BeginRender();
  vg_graphics_DrawImage(font, 0, 0, 95);
  EXPECT_EQ(device->srcx, 951);
  for (int frame : {96, -1}) {
    EXPECT_EXIT(vgtest::RunFatal([font, frame] { vg_graphics_DrawImage(font, 0, 0, frame); }),
                testing::ExitedWithCode(255), "Image frame index out of range");
    EXPECT_EXIT(
        vgtest::RunFatal([font, frame] { vg_graphics_DrawImage2(font, 0, 0, 0, 1, 1, frame); }),
        testing::ExitedWithCode(255), "Image frame index out of range");
  }
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_ReadPixels(Array<int>(11), 0, 0, 3, 4); }),
              testing::ExitedWithCode(255), "ReadPixels");
  vg_graphics_DrawImage(nullptr, 0, 0);  // a missing image draws nothing

  vg_graphics_EndRender();
  EXPECT_EXIT(vgtest::RunFatal([] { vg_graphics_DrawRect(0, 0, 1, 1); }),
              testing::ExitedWithCode(255), "during rendering");
  EXPECT_EXIT(vgtest::RunFatal([font] { vg_graphics_DrawImage(font, 0, 0); }),
              testing::ExitedWithCode(255), "during rendering");
}

}  // namespace
