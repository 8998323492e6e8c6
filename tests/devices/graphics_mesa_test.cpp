// The graphics device on Mesa's software OpenGL in a real window under Xvfb: frames read
// back with ReadPixels (top row first), premultiplied and additive blending, textured images
// with alpha, the scissor box, and images that still draw after the window was reopened.
// Also writes devices_frame.png, a picture of one frame, for a person to look at.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <string>

#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "host/glfw2.h"
#include "host/glfw_game.h"
#include "tests/devices/device_env.h"
#include "tests/support/xvfb.h"

namespace {

constexpr int kW = 640, kH = 480;

class MesaGraphics : public vgtest::XvfbTest {
 protected:
  static void SetUpTestSuite() {
    vgtest::XvfbTest::SetUpTestSuite();
    device_env::Host();
  }
  void SetUp() override {
    vgtest::XvfbTest::SetUp();
    vgGlBindSystem();
    ASSERT_EQ(glfw2::glfwInit(), 1);
    OpenWindow();
    g = new gxtkGraphics();
    ASSERT_EQ(g->Width(), kW);
    ASSERT_EQ(g->Height(), kH);
  }
  void TearDown() override {
    glfw2::glfwCloseWindow();
    glfw2::glfwTerminate();
  }
  // What the host does for every new window: open it and count a new context.
  static void OpenWindow() {
    ASSERT_EQ(glfw2::glfwOpenWindow(kW, kH, 8, 8, 8, 0, 0, 0, glfw2::GLFW_WINDOW), 1);
    ++glfwGraphicsSeq;
  }
  void Begin() {
    g->BeginRender();
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    g->SetBlend(0);
    g->SetScissor(0, 0, kW, kH);
    g->SetColor(255, 255, 255);
    g->SetAlpha(1);
  }
  Array<int> Frame() {
    Array<int> px(kW * kH);
    g->ReadPixels(px, 0, 0, kW, kH, 0, kW);
    return px;
  }
  static unsigned Px(const Array<int>& f, int x, int y) { return static_cast<unsigned>(f[y * kW + x]); }
  static int Chan(unsigned argb, int shift) { return (argb >> shift) & 255; }
  gxtkSurface* LoadPng(const char* name, int w, int h, const std::vector<uint8_t>& rgba) {
    std::string path = device_env::WriteFile(name, device_env::Png(w, h, 4, rgba));
    return g->LoadSurface(String(path.c_str()));
  }

  gxtkGraphics* g = nullptr;
};

TEST_F(MesaGraphics, ReadPixelsGivesTheTopRowFirstAsArgb) {
  Begin();
  g->Cls(0, 0, 0);
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, kW, 10);
  g->SetColor(0, 0, 255);
  g->DrawRect(0, kH - 10, kW, 10);
  g->SetColor(0, 255, 0);
  g->DrawRect(100, 200, 1, 1);
  Array<int> f = Frame();
  EXPECT_EQ(Px(f, 0, 0), 0xFFFF0000u) << "red band at the top";
  EXPECT_EQ(Px(f, 639, 9), 0xFFFF0000u);
  EXPECT_EQ(Px(f, 0, 10), 0xFF000000u);
  EXPECT_EQ(Px(f, 320, kH - 1), 0xFF0000FFu) << "blue band at the bottom";
  EXPECT_EQ(Px(f, 100, 200), 0xFF00FF00u);
  EXPECT_EQ(Px(f, 101, 200), 0xFF000000u);
  EXPECT_EQ(Px(f, 100, 201), 0xFF000000u);

  Array<int> part(2 * 2 + 3);
  g->ReadPixels(part, 99, 199, 2, 2, 3, 2);
  EXPECT_EQ(static_cast<unsigned>(part[3]), 0xFF000000u);
  EXPECT_EQ(static_cast<unsigned>(part[6]), 0xFF00FF00u) << "second row, second pixel";
  g->EndRender();
}

TEST_F(MesaGraphics, BlendingIsPremultipliedOrAdditive) {
  Begin();
  g->Cls(0, 0, 255);
  g->SetColor(255, 0, 0);
  g->SetAlpha(0.5f);
  g->DrawRect(0, 0, 10, 10);
  g->SetAlpha(1);
  g->SetColor(0, 100, 0);
  g->DrawRect(20, 0, 10, 10);
  g->SetBlend(1);
  g->SetColor(200, 0, 0);
  g->DrawRect(20, 0, 10, 10);
  g->DrawRect(40, 0, 10, 10);
  g->DrawRect(40, 0, 10, 10);
  Array<int> f = Frame();
  unsigned half = Px(f, 5, 5);
  EXPECT_NEAR(Chan(half, 16), 127, 1) << "red at half alpha, premultiplied";
  EXPECT_EQ(Chan(half, 8), 0);
  EXPECT_NEAR(Chan(half, 0), 128, 1) << "half the blue behind shows through";
  unsigned added = Px(f, 25, 5);
  EXPECT_EQ(Chan(added, 16), 200);
  EXPECT_EQ(Chan(added, 8), 100);
  EXPECT_EQ(Chan(added, 0), 0) << "additive over an opaque rectangle replaces nothing";
  unsigned twice = Px(f, 45, 5);
  EXPECT_EQ(Chan(twice, 16), 255) << "additive saturates";
  EXPECT_EQ(Chan(twice, 0), 255);
  g->EndRender();
}

TEST_F(MesaGraphics, ImagesDrawWithTheirAlphaAndSourceRectangles) {
  // 3 x 2: opaque red, half-transparent white, clear; then green, blue, yellow.
  gxtkSurface* s = LoadPng("sprite.png", 3, 2,
                           {255, 0, 0, 255, 255, 255, 255, 128, 0, 0, 0, 0,
                            0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255});
  ASSERT_NE(s, nullptr);
  Begin();
  g->Cls(0, 0, 0);
  g->DrawSurface(s, 10, 10);
  g->DrawSurface2(s, 50, 50, 1, 1, 2, 1);  // blue, yellow
  g->SetMatrix(4, 0, 0, 4, 100, 100);       // four times the size
  g->DrawSurface(s, 0, 0);
  Array<int> f = Frame();
  EXPECT_EQ(Px(f, 10, 10), 0xFFFF0000u);
  EXPECT_NEAR(Chan(Px(f, 11, 10), 8), 128, 1) << "half white over black";
  EXPECT_EQ(Px(f, 12, 10), 0xFF000000u) << "clear pixel leaves the background";
  EXPECT_EQ(Px(f, 10, 11), 0xFF00FF00u);
  EXPECT_EQ(Px(f, 50, 50), 0xFF0000FFu);
  EXPECT_EQ(Px(f, 51, 50), 0xFFFFFF00u);
  EXPECT_EQ(Px(f, 52, 50), 0xFF000000u);
  EXPECT_EQ(Px(f, 103, 103), 0xFFFF0000u) << "nearest filtering keeps hard edges";
  EXPECT_EQ(Px(f, 103, 104), 0xFF00FF00u);
  g->EndRender();
}

TEST_F(MesaGraphics, ScissorBoxUsesTopLeftCoordinates) {
  Begin();
  g->Cls(0, 0, 0);
  g->SetScissor(10, 20, 30, 40);
  g->SetColor(255, 255, 255);
  g->DrawRect(0, 0, kW, kH);
  g->SetScissor(0, 0, kW, kH);
  g->SetColor(255, 0, 0);
  g->DrawRect(600, 0, 1, 1);
  Array<int> f = Frame();
  EXPECT_EQ(Px(f, 10, 20), 0xFFFFFFFFu);
  EXPECT_EQ(Px(f, 39, 59), 0xFFFFFFFFu);
  EXPECT_EQ(Px(f, 9, 20), 0xFF000000u);
  EXPECT_EQ(Px(f, 10, 19), 0xFF000000u);
  EXPECT_EQ(Px(f, 40, 59), 0xFF000000u);
  EXPECT_EQ(Px(f, 39, 60), 0xFF000000u);
  EXPECT_EQ(Px(f, 600, 0), 0xFFFF0000u) << "the full-window box drew everywhere again";
  g->EndRender();
}

TEST_F(MesaGraphics, ImagesStillDrawAfterTheWindowIsReopened) {
  gxtkSurface* s = LoadPng("keep.png", 2, 2, {255, 0, 0, 255, 0, 255, 0, 255,
                                             0, 0, 255, 255, 255, 255, 255, 255});
  ASSERT_NE(s, nullptr);
  Begin();
  g->Cls(0, 0, 0);
  g->DrawSurface(s, 0, 0);
  Array<int> before = Frame();
  g->EndRender();
  int firstSeq = s->seq;

  glfw2::glfwCloseWindow();  // a switch to full screen and back: a new context
  OpenWindow();
  Begin();
  g->Cls(0, 0, 0);
  g->DrawSurface(s, 0, 0);
  Array<int> after = Frame();
  g->EndRender();
  EXPECT_NE(s->seq, firstSeq);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(Px(after, x, y), Px(before, x, y)) << x << "," << y;
  }
  EXPECT_EQ(Px(after, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Px(after, 1, 1), 0xFFFFFFFFu);
}

TEST_F(MesaGraphics, AFrameOfEveryPrimitiveLooksRight) {
  std::vector<uint8_t> ball(16 * 16 * 4);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      int dx = x * 2 - 15, dy = y * 2 - 15;
      bool in = dx * dx + dy * dy <= 225;
      uint8_t* p = &ball[(y * 16 + x) * 4];
      p[0] = 255;
      p[1] = static_cast<uint8_t>(140 + x * 7);
      p[2] = static_cast<uint8_t>(y * 12);
      p[3] = in ? 255 : 0;
    }
  }
  gxtkSurface* sprite = LoadPng("ball.png", 16, 16, ball);
  ASSERT_NE(sprite, nullptr);

  Begin();
  g->Cls(16, 24, 48);
  g->SetColor(40, 60, 110);
  for (int i = 0; i < 8; ++i) g->DrawRect(0, 400 + i * 10, kW, 5);
  g->SetColor(255, 255, 255);
  for (int i = 0; i < 60; ++i) g->DrawPoint(static_cast<float>((i * 97) % kW), static_cast<float>((i * 53) % 300));
  g->SetColor(250, 200, 40);
  g->DrawOval(60, 60, 120, 80);
  g->SetColor(60, 220, 120);
  g->SetAlpha(0.6f);
  g->DrawOval(120, 90, 120, 120);
  g->SetAlpha(1);
  g->SetColor(230, 70, 70);
  float tri[] = {400, 60, 520, 200, 300, 200};
  g->DrawPoly(Array<float>(tri, 6));
  g->SetColor(255, 255, 255);
  for (int i = 0; i < 10; ++i) g->DrawLine(300, 250 + i * 4, 600, 230 + i * 8);
  for (int i = 0; i < 12; ++i) g->DrawSurface(sprite, 40 + i * 24, 300);
  g->SetMatrix(3, 0, 0, 3, 400, 280);
  g->DrawSurface(sprite, 0, 0);
  g->SetMatrix(1, 0, 0, 1, 0, 0);
  g->SetBlend(1);
  g->SetColor(0, 0, 180);
  g->DrawOval(440, 300, 100, 100);
  Array<int> f = Frame();
  g->EndRender();

  EXPECT_EQ(Px(f, 120, 100), 0xFFFAC828u) << "inside the yellow oval, outside the green";
  EXPECT_EQ(Px(f, 5, 5), 0xFF101830u) << "background";
  EXPECT_EQ(Px(f, 48, 308) >> 24, 0xFFu);
  EXPECT_EQ(Chan(Px(f, 48, 308), 16), 255) << "sprite centre";

  // The picture for a person: ARGB ints to RGBA bytes.
  std::vector<uint8_t> rgba(kW * kH * 4);
  for (int i = 0; i < kW * kH; ++i) {
    unsigned p = static_cast<unsigned>(f[i]);
    rgba[i * 4] = static_cast<uint8_t>(p >> 16);
    rgba[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
    rgba[i * 4 + 2] = static_cast<uint8_t>(p);
    rgba[i * 4 + 3] = 255;
  }
  const char* dir = std::getenv("VG_BUILD_DIR");
  std::string out = std::string(dir ? dir : "/tmp") + "/devices_frame.png";
  EXPECT_NE(stbi_write_png(out.c_str(), kW, kH, 4, rgba.data(), kW * 4), 0) << out;
}

}  // namespace
