// The graphics device against the GL recorder: how primitives are batched into draw calls,
// the packed premultiplied colour, blend and scissor state, the processor-side transform,
// oval segment counts, texture creation per context and pixel transfers to and from surfaces.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "devices/graphics.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/support/gl_recorder.h"

namespace {

class GraphicsBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::SetClosedWindowSize(640, 480);
    glfwGraphicsSeq = 1;  // as if a window (and its context) were open
    g = new gxtkGraphics();
    g->BeginRender();
    g->SetColor(255, 255, 255);
    g->SetAlpha(1);
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    gl.Clear();
  }
  void TearDown() override {
    glfwGraphicsSeq = 0;
    glfw2_testing::SetClosedWindowSize(0, 0);
  }
  // The index counts of every glDrawElements call, in order.
  std::vector<int> QuadIndexCounts() const {
    std::vector<int> out;
    for (const GlCall& c : gl.calls) {
      if (c.name == "DrawElements") out.push_back(static_cast<int>(c.args[1]));
    }
    return out;
  }
  const unsigned char* Bytes(int vertex) const {
    return reinterpret_cast<const unsigned char*>(&g->vertices[vertex].color);
  }

  GlRecorder gl;
  gxtkGraphics* g = nullptr;
};

TEST_F(GraphicsBatch, QuadsShareOneDrawCallUntilTheBufferIsFull) {
  for (int i = 0; i < 300; ++i) g->DrawRect(i, 0, 1, 1);
  EXPECT_EQ(gl.DrawCalls(), 1) << "the 257th quad overflows the 1024 vertices";
  g->EndRender();
  EXPECT_EQ(gl.DrawCalls(), 2);
  EXPECT_EQ(QuadIndexCounts(), (std::vector<int>{256 * 6, 44 * 6}));

  gl.Clear();
  g->BeginRender();
  for (int i = 0; i < 256; ++i) g->DrawRect(i, 0, 1, 1);
  g->EndRender();
  EXPECT_EQ(QuadIndexCounts(), (std::vector<int>{1536})) << "exactly 256 quads still fit";
}

TEST_F(GraphicsBatch, BatchesSplitWhenKindOrTextureChanges) {
  gxtkSurface* a = g->CreateSurface(32, 32);
  gxtkSurface* b = g->CreateSurface(32, 32);
  gl.Clear();

  g->DrawSurface(a, 0, 0);
  g->DrawSurface2(a, 40, 0, 0, 0, 16, 16);
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 1) << "two images of one surface in a row";

  gl.Clear();
  g->DrawSurface(a, 0, 0);
  g->DrawRect(0, 0, 5, 5);
  g->DrawSurface(a, 0, 0);
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 3) << "an untextured rectangle between two images";

  gl.Clear();
  g->DrawSurface(a, 0, 0);
  g->DrawSurface(b, 0, 0);
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 2) << "two surfaces";

  gl.Clear();
  g->DrawPoint(1, 1);
  g->DrawPoint(2, 2);
  g->DrawLine(0, 0, 1, 1);
  g->DrawRect(0, 0, 1, 1);
  g->Flush();
  ASSERT_EQ(gl.DrawCalls(), 3);
  EXPECT_EQ(gl.calls[0].name, "DrawArrays");
  EXPECT_EQ(gl.calls[0].args, (std::vector<double>{GL_POINTS, 0, 2}));
  EXPECT_EQ(gl.calls[1].args, (std::vector<double>{GL_LINES, 0, 2}));
}

TEST_F(GraphicsBatch, TexturedBatchesTurnTexturingOnAroundTheirDraw) {
  gxtkSurface* a = g->CreateSurface(8, 8);
  gl.Clear();
  g->DrawSurface(a, 0, 0);
  g->Flush();
  std::vector<std::string> names;
  for (const GlCall& c : gl.calls) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Enable", "BindTexture", "DrawElements", "Disable"}));
  EXPECT_EQ(gl.calls[0].args[0], GL_TEXTURE_2D);
  EXPECT_EQ(gl.calls[1].args[1], a->texture);
}

TEST_F(GraphicsBatch, ClsAndBeginRenderDropThePendingBatch) {
  g->DrawRect(0, 0, 10, 10);
  g->Cls(255, 0, 51);
  g->EndRender();
  EXPECT_EQ(gl.DrawCalls(), 0);
  ASSERT_NE(gl.Last("ClearColor"), nullptr);
  EXPECT_EQ(gl.Last("ClearColor")->args, (std::vector<double>{1, 0, 0.2f, 1}));
  EXPECT_EQ(gl.Last("Clear")->args[0], GL_COLOR_BUFFER_BIT);

  g->DrawRect(0, 0, 10, 10);
  g->BeginRender();
  g->EndRender();
  EXPECT_EQ(gl.DrawCalls(), 0);
}

TEST_F(GraphicsBatch, ColourIsPackedPremultipliedAndDoesNotFlush) {
  g->SetColor(255, 255, 255);
  g->SetAlpha(0.5f);
  g->DrawRect(0, 0, 1, 1);
  const unsigned char* half = Bytes(0);
  EXPECT_EQ(std::vector<int>(half, half + 4), (std::vector<int>{127, 127, 127, 127}));

  g->SetAlpha(1);
  g->SetColor(255, 128, 0);
  g->DrawRect(0, 0, 1, 1);
  const unsigned char* orange = Bytes(4);
  EXPECT_EQ(std::vector<int>(orange, orange + 4), (std::vector<int>{255, 128, 0, 255}));
  EXPECT_EQ(gl.DrawCalls(), 0) << "colour changes ride in the vertices";

  // Out-of-range values clamp rather than spill into the next channel.
  g->SetColor(300, -5, 255);
  g->SetAlpha(1.5f);
  EXPECT_EQ(g->color, 0xFFFF00FFu);
  g->SetAlpha(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(g->color, 0u);
}

TEST_F(GraphicsBatch, BlendAndScissorFlushFirst) {
  g->DrawRect(0, 0, 1, 1);
  g->SetBlend(1);
  ASSERT_EQ(gl.calls.size(), 2u);
  EXPECT_EQ(gl.calls[0].name, "DrawElements");
  EXPECT_EQ(gl.calls[1].args, (std::vector<double>{GL_ONE, GL_ONE}));
  g->SetBlend(0);
  EXPECT_EQ(gl.Last("BlendFunc")->args, (std::vector<double>{GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));
  g->SetBlend(7);
  EXPECT_EQ(gl.Last("BlendFunc")->args, (std::vector<double>{GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));

  gl.Clear();
  g->DrawRect(0, 0, 1, 1);
  g->SetScissor(0, 0, 640, 480);
  EXPECT_EQ(gl.calls[0].name, "DrawElements");
  EXPECT_EQ(gl.Count("Scissor"), 0) << "a full-window box turns the test off";
  EXPECT_EQ(gl.Last("Disable")->args[0], GL_SCISSOR_TEST);

  g->SetScissor(10, 20, 100, 50);
  EXPECT_EQ(gl.Last("Enable")->args[0], GL_SCISSOR_TEST);
  EXPECT_EQ(gl.Last("Scissor")->args, (std::vector<double>{10, 480 - 20 - 50, 100, 50}));
}

TEST_F(GraphicsBatch, MatrixTransformsVerticesAsTheyAreStored) {
  g->SetMatrix(2, 0, 0, 3, 10, 20);
  EXPECT_TRUE(g->tformed);
  g->DrawRect(1, 1, 2, 2);
  EXPECT_FLOAT_EQ(g->vertices[0].x, 12);
  EXPECT_FLOAT_EQ(g->vertices[0].y, 23);
  EXPECT_FLOAT_EQ(g->vertices[2].x, 16);
  EXPECT_FLOAT_EQ(g->vertices[2].y, 29);

  g->SetMatrix(0, 1, -1, 0, 0, 0);  // a quarter turn
  EXPECT_EQ(gl.DrawCalls(), 0) << "a matrix change does not flush";
  g->DrawLine(1, 0, 0, 0);
  EXPECT_EQ(gl.DrawCalls(), 1) << "the line's other kind flushed the rectangle";
  EXPECT_FLOAT_EQ(g->vertices[0].x, 0);
  EXPECT_FLOAT_EQ(g->vertices[0].y, 1);

  g->SetMatrix(1, 0, 0, 1, 0, 0);
  EXPECT_FALSE(g->tformed);
}

TEST_F(GraphicsBatch, OvalSegmentsFollowSizeAndTransform) {
  EXPECT_EQ(g->OvalSegments(4, 4), 12);
  EXPECT_EQ(g->OvalSegments(100, 50), 72);
  EXPECT_EQ(g->OvalSegments(5000, 5000), 1024);
  EXPECT_EQ(g->OvalSegments(-100, 50), 72) << "negative radii count by size";
  EXPECT_EQ(g->OvalSegments(std::numeric_limits<float>::quiet_NaN(), 4), 12);
  EXPECT_EQ(g->OvalSegments(std::numeric_limits<float>::infinity(), 4), 1024);
  g->SetMatrix(2, 0, 0, 2, 0, 0);
  EXPECT_EQ(g->OvalSegments(100, 50), 148);
  g->SetMatrix(1, 0, 0, 1, 0, 0);

  g->DrawOval(10, 20, 100, 50);
  g->DrawOval(10, 20, 100, 50);
  EXPECT_FLOAT_EQ(g->vertices[0].x, 110) << "angle 0 is the right-hand end";
  EXPECT_FLOAT_EQ(g->vertices[0].y, 45);
  EXPECT_NEAR(g->vertices[18].x, 60, 1e-3) << "a quarter of 72 is the top";
  EXPECT_NEAR(g->vertices[18].y, 20, 1e-3);
  g->Flush();
  ASSERT_EQ(gl.DrawCalls(), 2) << "one fan per oval, in one flush";
  EXPECT_EQ(gl.calls[0].args, (std::vector<double>{GL_TRIANGLE_FAN, 0, 72}));
  EXPECT_EQ(gl.calls[1].args, (std::vector<double>{GL_TRIANGLE_FAN, 72, 72}));
}

TEST_F(GraphicsBatch, PolygonsNeedOneTo1024Vertices) {
  g->DrawPoly(Array<float>());
  g->DrawPoly(Array<float>(1025 * 2));
  g->DrawPoly2(Array<float>(3), g->CreateSurface(4, 4), 0, 0);
  g->Flush();
  gl.Clear();
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 0);

  float pentagon[] = {0, 0, 10, 0, 12, 5, 5, 10, -2, 5, 99};
  g->DrawPoly(Array<float>(pentagon, 10));
  g->DrawPoly(Array<float>(pentagon, 11));  // the odd last float is ignored
  g->Flush();
  ASSERT_EQ(gl.DrawCalls(), 2);
  EXPECT_EQ(gl.calls[1].args, (std::vector<double>{GL_TRIANGLE_FAN, 5, 5}));
  EXPECT_FLOAT_EQ(g->vertices[2].x, 12);

  gxtkSurface* s = g->CreateSurface(64, 32);
  float quad[] = {0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 8, 8, 0, 8, 0, 8};
  g->DrawPoly2(Array<float>(quad, 16), s, 16, 8);
  EXPECT_FLOAT_EQ(g->vertices[2].u, 24.0f / 64);
  EXPECT_FLOAT_EQ(g->vertices[2].v, 16.0f / 32);
}

TEST_F(GraphicsBatch, SourceRectanglesMapThroughTheTextureScales) {
  gxtkSurface* s = g->CreateSurface(64, 32);
  g->DrawSurface2(s, 100, 50, 16, 8, 16, 8);
  EXPECT_FLOAT_EQ(g->vertices[0].u, 0.25f);
  EXPECT_FLOAT_EQ(g->vertices[0].v, 0.25f);
  EXPECT_FLOAT_EQ(g->vertices[2].u, 0.5f);
  EXPECT_FLOAT_EQ(g->vertices[2].v, 0.5f);
  EXPECT_FLOAT_EQ(g->vertices[2].x, 116);
  EXPECT_FLOAT_EQ(g->vertices[2].y, 58);

  g->DrawSurface(s, 0, 0);
  EXPECT_FLOAT_EQ(g->vertices[6].u, 1);
  EXPECT_FLOAT_EQ(g->vertices[6].v, 1);
  EXPECT_FLOAT_EQ(g->vertices[6].x, 64);
}

TEST_F(GraphicsBatch, RejectedSizesRetryAtPowersOfTwo) {
  gl.rejectNonPowerOfTwo = true;
  gxtkSurface* s = g->CreateSurface(100, 30);
  ASSERT_EQ(gl.Count("TexImage2D"), 2);
  const GlCall* retry = gl.Last("TexImage2D");
  EXPECT_EQ(retry->args[3], 128);
  EXPECT_EQ(retry->args[4], 32);
  EXPECT_FLOAT_EQ(s->uscale, 1.0f / 128);
  EXPECT_FLOAT_EQ(s->vscale, 1.0f / 32);
  EXPECT_EQ(s->Width(), 100) << "the image keeps its own size";
  g->DrawSurface2(s, 0, 0, 50, 0, 50, 30);
  EXPECT_FLOAT_EQ(g->vertices[1].u, 100.0f / 128);

  gl.rejectNonPowerOfTwo = false;
  gl.Clear();
  gxtkSurface* t = g->CreateSurface(100, 30);
  EXPECT_EQ(gl.Count("TexImage2D"), 1);
  EXPECT_FLOAT_EQ(t->uscale, 1.0f / 100);
}

TEST_F(GraphicsBatch, TexturesAreMadeLazilyInEachNewContext) {
  glfwGraphicsSeq = 0;
  gxtkSurface* s = new gxtkSurface();
  unsigned char* px = static_cast<unsigned char*>(std::malloc(4 * 4 * 4));
  std::memset(px, 255, 64);
  s->SetData(px, 4, 4, 4);
  s->Bind();
  EXPECT_TRUE(gl.calls.empty()) << "no window, no texture";

  glfwGraphicsSeq = 1;
  g->DrawSurface(s, 0, 0);
  g->Flush();
  EXPECT_EQ(gl.Count("GenTextures"), 1);
  EXPECT_EQ(gl.Count("TexSubImage2D"), 1) << "kept pixels uploaded";
  unsigned int first = s->texture;

  gl.Clear();
  g->DrawSurface(s, 0, 0);
  g->Flush();
  EXPECT_EQ(gl.Count("GenTextures"), 0) << "the texture is valid in this context";

  glfwGraphicsSeq = 2;  // the window was reopened
  gl.Clear();
  g->DrawSurface(s, 0, 0);
  g->Flush();
  EXPECT_EQ(gl.Count("GenTextures"), 1);
  EXPECT_EQ(gl.Count("TexSubImage2D"), 1);
  EXPECT_EQ(s->seq, 2);
  EXPECT_NE(s->texture, first);
  EXPECT_EQ(gl.Count("DeleteTextures"), 0) << "the old context took its textures with it";

  const GlCall* filter = nullptr;
  for (const GlCall& c : gl.calls) {
    if (c.name == "TexParameteri" && c.args[1] == GL_TEXTURE_MIN_FILTER) filter = &c;
  }
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->args[2], GL_NEAREST);
}

TEST_F(GraphicsBatch, DiscardReleasesTextureAndPixelsOnce) {
  gxtkSurface* s = g->CreateSurface(4, 4);
  unsigned int argb[16] = {};
  s->SetSubData(0, 0, 4, 4, argb, 4);
  ASSERT_NE(s->data, nullptr);
  ASSERT_EQ(gl.LiveTextures().size(), 1u);
  s->Discard();
  EXPECT_TRUE(gl.LiveTextures().empty());
  EXPECT_EQ(s->data, nullptr);
  EXPECT_EQ(s->seq, -1);
  s->Discard();
  EXPECT_EQ(gl.Count("DeleteTextures"), 1);

  gxtkSurface* stale = g->CreateSurface(4, 4);
  glfwGraphicsSeq = 2;
  stale->Discard();
  EXPECT_EQ(gl.Count("DeleteTextures"), 1) << "a texture of a closed context is not deleted";
}

TEST_F(GraphicsBatch, SetDataPremultipliesTwoAndFourByteDepths) {
  gxtkSurface* s = new gxtkSurface();
  unsigned char* rgba = static_cast<unsigned char*>(std::malloc(8));
  unsigned char in4[] = {200, 100, 50, 128, 255, 255, 255, 0};
  std::memcpy(rgba, in4, 8);
  s->SetData(rgba, 2, 1, 4);
  EXPECT_EQ(std::vector<int>(s->data, s->data + 8), (std::vector<int>{100, 50, 25, 128, 0, 0, 0, 0}));
  EXPECT_EQ(s->format, static_cast<unsigned>(GL_RGBA));

  unsigned char* la = static_cast<unsigned char*>(std::malloc(2));
  la[0] = 200;
  la[1] = 128;
  s->SetData(la, 1, 1, 2);
  EXPECT_EQ(std::vector<int>(s->data, s->data + 2), (std::vector<int>{100, 128}));
  EXPECT_EQ(s->format, static_cast<unsigned>(GL_LUMINANCE_ALPHA));

  unsigned char* rgb = static_cast<unsigned char*>(std::malloc(3));
  rgb[0] = 1;
  rgb[1] = 2;
  rgb[2] = 3;
  s->SetData(rgb, 1, 1, 3);
  EXPECT_EQ(std::vector<int>(s->data, s->data + 3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(s->format, static_cast<unsigned>(GL_RGB));
}

TEST_F(GraphicsBatch, WritePixelsConvertsPremultipliesAndUploads) {
  gxtkSurface* s = g->CreateSurface(4, 2);
  gl.Clear();
  int px[8];
  for (int& p : px) p = static_cast<int>(0x80FF8000u);
  g->WritePixels2(s, Array<int>(px, 8), 0, 0, 4, 2, 0, 4);
  EXPECT_EQ(std::vector<int>(s->data, s->data + 4), (std::vector<int>{128, 64, 0, 128}));
  EXPECT_EQ(gl.Count("TexSubImage2D"), 1) << "full-width rows are contiguous";

  gl.Clear();
  int one = static_cast<int>(0xFF0000FFu);
  int two[2] = {one, one};
  g->WritePixels2(s, Array<int>(two, 2), 1, 0, 1, 2, 0, 1);
  EXPECT_EQ(gl.Count("TexSubImage2D"), 2) << "one upload per row";
  EXPECT_EQ(std::vector<int>(s->data + 4, s->data + 8), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(std::vector<int>(s->data + 20, s->data + 24), (std::vector<int>{0, 0, 255, 255}));

  gl.Clear();
  g->WritePixels2(s, Array<int>(px, 8), 3, 1, 2, 2, 0, 2);  // reaches past the image
  g->WritePixels2(s, Array<int>(px, 8), -1, 0, 1, 1, 0, 1);
  EXPECT_EQ(gl.Count("TexSubImage2D"), 0);

  gxtkSurface* rgb = new gxtkSurface();
  rgb->SetData(static_cast<unsigned char*>(std::calloc(3, 1)), 1, 1, 3);
  g->WritePixels2(rgb, Array<int>(px, 8), 0, 0, 1, 1, 0, 1);
  EXPECT_EQ(rgb->data[0], 0) << "only RGBA surfaces take pixels";
}

TEST_F(GraphicsBatch, ReadPixelsTurnsBottomUpRowsIntoTopDown) {
  gl.readPixels = [](int, int, int w, int h, unsigned char* out) {
    for (int row = 0; row < h; ++row) {
      for (int i = 0; i < w * 4; ++i) out[row * w * 4 + i] = static_cast<unsigned char>(row + 1);
    }
  };
  g->DrawRect(0, 0, 1, 1);
  Array<int> pixels(2 * 3 + 1);
  g->ReadPixels(pixels, 5, 10, 2, 3, 1, 2);
  EXPECT_EQ(gl.calls[0].name, "DrawElements") << "pending drawing lands first";
  EXPECT_EQ(gl.Last("ReadPixels")->args,
            (std::vector<double>{5, 480 - 10 - 3, 2, 3, GL_BGRA, GL_UNSIGNED_BYTE}));
  EXPECT_EQ(pixels[0], 0) << "before the offset";
  EXPECT_EQ(pixels[1], 0x03030303) << "top row is GL's last row";
  EXPECT_EQ(pixels[6], 0x01010101);
}

using GraphicsBatchDeathTest = GraphicsBatch;

// A runtime error prints on stdout and waits for a debugger on stdin: the child gets an
// empty stdin and its stdout on stderr, where the death test looks.
void AsFatalChild() {
  if (!std::freopen("/dev/null", "r", stdin)) std::abort();
  dup2(2, 1);
}

TEST_F(GraphicsBatchDeathTest, PixelArraysTooSmallAreRuntimeErrors) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        AsFatalChild();
        Array<int> small(5);
        g->ReadPixels(small, 0, 0, 2, 3, 0, 2);
      },
      ::testing::ExitedWithCode(255), "Array index out of range");
  EXPECT_EXIT(
      {
        AsFatalChild();
        Array<int> small(4);
        g->WritePixels2(g->CreateSurface(4, 4), small, 0, 0, 2, 2, 1, 2);
      },
      ::testing::ExitedWithCode(255), "Array index out of range");
}

}  // namespace
