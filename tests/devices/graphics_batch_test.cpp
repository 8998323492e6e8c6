// The graphics device against the GL recorder: batching into draw calls, packed premultiplied
// colour, blend and scissor state, the transform, textures per context and pixel transfers,
// with no GL context at all.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <utility>

#include "devices/graphics.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/support/gl_recorder.h"

namespace {

using Args = std::vector<double>;
using Ints = std::vector<int>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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
  void TearDown() override { glfwGraphicsSeq = 0, glfw2_testing::SetClosedWindowSize(0, 0); }
  Ints ColourBytes(int vertex) const {
    auto* b = reinterpret_cast<const unsigned char*>(&g->vertices[vertex].color);
    return Ints(b, b + 4);
  }

  GlRecorder gl;
  gxtkGraphics* g = nullptr;
};

TEST_F(GraphicsBatch, BatchesSplitOnlyWhenFullOrWhenKindOrSurfaceChanges) {
  for (int i = 0; i < 300; ++i) g->DrawRect(i, 0, 1, 1);
  g->EndRender();
  ASSERT_EQ(gl.DrawCalls(), 2) << "the 257th quad overflows the 1024 vertices";
  EXPECT_EQ(gl.Last("DrawElements")->args[1], 44 * 6);
  g->BeginRender();
  gxtkSurface* a = g->CreateSurface(32, 32);
  gxtkSurface* b = g->CreateSurface(32, 32);
  const struct { const char* what; std::vector<gxtkSurface*> images; int draws; } cases[] = {
      {"images of one surface in a row", {a, a}, 1},
      {"a rectangle between two images", {a, nullptr, a}, 3},
      {"two surfaces", {a, b}, 2}};
  for (const auto& c : cases) {
    gl.Clear();
    for (gxtkSurface* s : c.images) s ? g->DrawSurface2(s, 40, 0, 0, 0, 16, 16) : g->DrawRect(0, 0, 5, 5);
    g->Flush();
    EXPECT_EQ(gl.DrawCalls(), c.draws) << c.what;
  }
  gl.Clear();
  g->DrawRect(0, 0, 5, 5);
  g->SetColor(1, 2, 3);  // colour and matrix ride in the vertices: no flush
  g->SetMatrix(0, 2, -2, 0, 10, 20);
  g->DrawRect(1, 0, 5, 5);
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 1);
  EXPECT_EQ(std::make_pair(g->vertices[4].x, g->vertices[4].y), std::make_pair(10.0f, 22.0f))
      << "transformed on the processor";
  gl.Clear();
  g->DrawRect(0, 0, 10, 10);
  g->Cls(255, 0, 51);
  g->DrawRect(0, 0, 10, 10);
  g->BeginRender();
  g->EndRender();
  EXPECT_EQ(gl.DrawCalls(), 0) << "Cls and BeginRender drop the pending batch";
  EXPECT_EQ(gl.Last("ClearColor")->args, (Args{1, 0, 0.2f, 1}));
}

TEST_F(GraphicsBatch, ColourIsPremultipliedAndBlendOrScissorChangesFlushFirst) {
  g->SetColor(255, 0, 0);
  g->SetAlpha(0.5f);
  g->DrawRect(0, 0, 1, 1);
  EXPECT_EQ(ColourBytes(0), (Ints{127, 0, 0, 127})) << "red, halved with its alpha";
  g->SetColor(300, -5, 255);  // out of range: clamped, not spilt into the next channel
  g->SetAlpha(1.5f);
  EXPECT_EQ(g->color, 0xFFFF00FFu);
  g->SetAlpha(kNaN);
  EXPECT_EQ(g->color, 0u);
  g->SetAlpha(1);
  g->SetBlend(1);
  ASSERT_EQ(gl.calls.size(), 2u);
  EXPECT_EQ(gl.calls[1].args, (Args{GL_ONE, GL_ONE})) << "after the draw";
  g->SetBlend(7);
  EXPECT_EQ(gl.Last("BlendFunc")->args, (Args{GL_ONE, GL_ONE_MINUS_SRC_ALPHA})) << "unknown is 0";
  g->DrawRect(0, 0, 1, 1);
  g->SetScissor(0, 0, 640, 480);
  EXPECT_EQ(gl.Count("Scissor"), 0);
  EXPECT_EQ(gl.Last("Disable")->args[0], GL_SCISSOR_TEST);
  EXPECT_EQ(gl.DrawCalls(), 2);
  gl.Clear();
  for (int blend : {0, 0, 5, 1, 1}) g->SetBlend(blend), g->DrawRect(0, 0, 1, 1);
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 2) << "the mode in force again keeps the batch";
  EXPECT_EQ(gl.Count("BlendFunc"), 1);
  g->BeginRender(), gl.Clear(), g->SetBlend(1);
  EXPECT_EQ(gl.Count("BlendFunc"), 1) << "each frame starts in premultiplied alpha";
}

// Blending off where the source is opaque leaves the same pixels; what adds nothing is left out.
TEST_F(GraphicsBatch, LargeOpaqueQuadsDrawWithoutBlendingAndInvisibleOnesNotAtAll) {
  // 256 x 256, opaque but for one transparent pixel at (200, 100) and row 255 from x = 130.
  auto* px = static_cast<unsigned char*>(std::malloc(256 * 256 * 4));
  for (int i = 0; i < 256 * 256; ++i) px[i * 4 + 3] = i == 100 * 256 + 200 || i >= 255 * 256 + 130 ? 0 : 255;
  gxtkSurface* s = g->CreateSurface(256, 256);
  s->SetData(px, 256, 256, 4);
  // Draws one batch; true when it went without blending (and blending is back on after it).
  auto unblended = [&](const std::function<void()>& draw) {
    gl.Clear(), draw(), g->Flush();
    int off = 0, on = 0;
    for (const GlCall& c : gl.calls) off += c.name == "Disable" && c.args[0] == GL_BLEND, on += c.name == "Enable" && c.args[0] == GL_BLEND;
    EXPECT_TRUE(gl.DrawCalls() == 1 && off == on);
    return off == 1;
  };
  // Part (sx, sy, sw, sh) of the image at the origin through the matrix (a, b, c, d, x, y).
  auto part = [&](float a, float b, float c, float d, float x, float y, int sx, int sy, int sw, int sh) {
    return g->SetMatrix(a, b, c, d, x, y), unblended([&] { g->DrawSurface2(s, 0, 0, sx, sy, sw, sh); });
  };
  EXPECT_TRUE(unblended([&] { g->DrawRect(0, 0, 640, 480); }));
  EXPECT_FALSE(unblended([&] { g->DrawRect(0, 0, 100, 100); })) << "too small to be worth it";
  EXPECT_FALSE(unblended([&] { g->DrawSurface(s, 0, 0); }));
  EXPECT_TRUE(part(1, 0, 0, 1, 0, 0, 0, 0, 128, 128));
  // Scaled up with its right and bottom edges on screen, where a pixel centre on an edge may
  // sample the texel beyond it: here the transparent one just past the corner.
  EXPECT_FALSE(part(2, 0, 0, 2, -64, -64, 0, 0, 200, 100));
  EXPECT_TRUE(part(4, 0, 0, 4, -64, -64, 0, 0, 128, 256)) << "the bottom edge is off screen, and row 255 is clear only from x = 130";
  EXPECT_TRUE(part(6, 0, 0, 4, -100, -40, 72, 0, 128, 128)) << "the right edge is off screen: the column beyond it is never sampled";
  EXPECT_FALSE(part(0, 4, -4, 0, 600, 0, 0, 0, 128, 128)) << "turned";
  g->SetMatrix(1, 0, 0, 1, 0, 0), g->SetAlpha(0.99f);
  EXPECT_FALSE(unblended([&] { g->DrawRect(0, 0, 640, 480); }));
  g->SetAlpha(1), g->SetBlend(1);
  EXPECT_FALSE(unblended([&] { g->DrawRect(0, 0, 640, 480); })) << "additive";
  g->SetBlend(0);
  EXPECT_FALSE(part(1, 0, 0, 1, 0, 0, 128, 64, 128, 128));
  unsigned int black = 0xFF000000u;
  g->WritePixels2(s, Array<int>(reinterpret_cast<int*>(&black), 1), 200, 100, 1, 1, 0, 1);
  EXPECT_TRUE(part(1, 0, 0, 1, 0, 0, 128, 64, 128, 128)) << "a write asks again";

  gl.Clear();
  g->DrawSurface2(s, 0, 0, 0, 0, 8, 8);
  g->SetAlpha(0);
  g->DrawRect(0, 0, 640, 480), g->DrawOval(0, 0, 50, 50), g->DrawLine(0, 0, 9, 9);
  g->DrawPoint(1, 1), g->DrawSurface(s, 0, 0);
  g->SetAlpha(1);
  g->DrawSurface2(s, 20, 0, 0, 0, 8, 8);
  g->Flush();
  EXPECT_EQ(gl.DrawCalls(), 1) << "draws that add nothing neither show nor split the batch";
}

TEST_F(GraphicsBatch, TheWindowIsCopiedAfterWhatIsPendingIntoAWindowSizedTextureOfThisContext) {
  gxtkSurface* copy = g->CreateSurface(640, 480);
  g->DrawRect(0, 0, 1, 1);
  gl.Clear();
  EXPECT_TRUE(g->CopyWindowTo(copy));
  EXPECT_EQ(gl.DrawCalls(), 1) << "what was pending is drawn first";
  EXPECT_EQ(gl.Last("CopyTexSubImage2D")->args, (Args{GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 480}));
  EXPECT_FALSE(g->CopyWindowTo(g->CreateSurface(320, 480))) << "too small";
  EXPECT_FALSE(g->BlitWindowCopy(copy)) << "a GL before 3.0 has no blit: the copy is a quad";

  // A later GL puts the copy back by a blit, after what is pending, from a framebuffer made
  // once per context, and leaves reads on the window.
  glfwGraphicsSeq = 2, gl.version = "3.3 recorder", copy = g->CreateSurface(640, 480);
  for (int frame = 0; frame < 2; ++frame) {
    g->DrawRect(0, 0, 1, 1), gl.Clear();
    EXPECT_TRUE(g->BlitWindowCopy(copy));
    EXPECT_EQ(gl.DrawCalls(), 1) << "what was pending is drawn first";
    EXPECT_EQ(gl.Last("BlitFramebuffer")->args,
              (Args{0, 0, 640, 480, 0, 0, 640, 480, GL_COLOR_BUFFER_BIT, GL_NEAREST}));
    EXPECT_EQ(gl.Last("FramebufferTexture2D")->args[3], copy->texture);
    EXPECT_EQ(gl.Last("BindFramebuffer")->args, (Args{GL_READ_FRAMEBUFFER, 0}));
    EXPECT_EQ(gl.Count("GenFramebuffers") + gl.Count("GetString"), frame == 0 ? 2 : 0);
  }
  glfwGraphicsSeq = 3;
  EXPECT_FALSE(g->BlitWindowCopy(copy)) << "its texture went with the old context";
  EXPECT_FALSE(g->CopyWindowTo(copy));

  // A GL that refuses the copy is asked once in each context.
  gl.rejectWindowCopy = true, copy = g->CreateSurface(640, 480);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(g->CopyWindowTo(copy));
  glfwGraphicsSeq = 4, copy = g->CreateSurface(640, 480);
  EXPECT_FALSE(g->CopyWindowTo(copy));
  EXPECT_EQ(gl.Count("CopyTexSubImage2D"), 2);
}

TEST_F(GraphicsBatch, RejectedSizesRetryAtPowersOfTwoAndTexturesAreMadeAgainInEachNewContext) {
  gl.rejectNonPowerOfTwo = true;
  gxtkSurface* s = g->CreateSurface(100, 30);
  ASSERT_EQ(gl.Count("TexImage2D"), 2);
  EXPECT_EQ(gl.Last("TexImage2D")->args[3], 128);
  EXPECT_FLOAT_EQ(s->uscale, 1.0f / 128);
  EXPECT_FLOAT_EQ(s->vscale, 1.0f / 32);
  EXPECT_EQ(s->Width(), 100) << "the image keeps its own size";
  g->DrawSurface2(s, 0, 0, 50, 0, 50, 30);
  EXPECT_FLOAT_EQ(g->vertices[1].u, 100.0f / 128);
  gl.Clear();
  gl.rejectNonPowerOfTwo = false;
  glfwGraphicsSeq = 0;
  gxtkSurface* kept = new gxtkSurface();
  kept->SetData(static_cast<unsigned char*>(std::calloc(64, 1)), 4, 4, 4);
  kept->Bind();
  EXPECT_TRUE(gl.calls.empty()) << "no window, no texture";
  for (auto step : {std::pair<int, int>{1, 1}, {1, 0}, {2, 1}}) {  // context, textures made
    glfwGraphicsSeq = step.first;
    g->DrawSurface(kept, 0, 0);
    g->Flush();
    EXPECT_EQ(gl.Count("GenTextures"), step.second) << "context " << step.first;
    EXPECT_EQ(gl.Count("TexSubImage2D"), step.second) << "kept pixels uploaded";
    gl.Clear();
  }
  EXPECT_EQ(gl.LiveTextures().size(), 3u) << "one of s and two of kept: the closed context took its own";
  kept->Discard();
  kept->Discard();
  EXPECT_EQ(gl.Count("DeleteTextures"), 1);
  gxtkSurface* stale = g->CreateSurface(4, 4);
  glfwGraphicsSeq = 3;
  stale->Discard();
  EXPECT_EQ(gl.Count("DeleteTextures"), 1) << "a texture of a closed context is not deleted";
}

TEST_F(GraphicsBatch, PixelsArePremultipliedOnTheWayInAndTurnedTopDownOnTheWayOut) {
  gxtkSurface* s = g->CreateSurface(4, 2);
  gl.Clear();
  int px[8];
  for (int& p : px) p = static_cast<int>(0x80FF8000u);
  g->WritePixels2(s, Array<int>(px, 8), 0, 0, 4, 2, 0, 4);
  EXPECT_EQ(Ints(s->data + 28, s->data + 32), (Ints{128, 64, 0, 128}));
  g->WritePixels2(s, Array<int>(px, 8), 3, 1, 2, 2, 0, 2);  // reaches past the image
  g->WritePixels2(s, Array<int>(px, 8), -1, 0, 1, 1, 0, 1);
  EXPECT_EQ(gl.Count("TexSubImage2D"), 1) << "full rows in one piece, nothing outside";

  gl.Clear();
  gl.readPixels = [](int, int, int w, int h, unsigned char* out) {
    for (int i = 0; i < w * h * 4; ++i) out[i] = static_cast<unsigned char>(i / (w * 4) + 1);
  };
  g->DrawRect(0, 0, 1, 1);
  Array<int> pixels(2 * 3 + 1);
  g->ReadPixels(pixels, 5, 10, 2, 3, 1, 2);
  EXPECT_EQ(gl.calls[0].name, "DrawElements") << "pending drawing lands first";
  EXPECT_EQ(gl.Last("ReadPixels")->args, (Args{5, 480 - 10 - 3, 2, 3, GL_BGRA, GL_UNSIGNED_BYTE}));
  EXPECT_EQ(Ints({pixels[0], pixels[1], pixels[6]}), Ints({0, 0x03030303, 0x01010101}))
      << "nothing before the offset; the top row is GL's last";
}

}  // namespace
