// The graphics device on Mesa's software OpenGL in a real window under Xvfb: a frame reads
// back top row first in the colours drawn, blending is premultiplied or additive, and images
// still draw once the window (and with it the context) was reopened.
#include <gtest/gtest.h>

#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "host/glfw2.h"
#include "tests/devices/device_env.h"
#include "tests/support/xvfb.h"

namespace {

constexpr int kW = 640, kH = 480;

class MesaGraphics : public vgtest::XvfbTest {
 protected:
  void SetUp() override {
    vgtest::XvfbTest::SetUp();
    device_env::Host();
    vgGlBindSystem();
    ASSERT_EQ(glfw2::glfwInit(), 1);
    OpenWindow();
    g = new gxtkGraphics();
    ASSERT_EQ(g->Width(), kW);
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
  // Starts a frame on a blue background in the default state.
  void Begin() {
    g->BeginRender();
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    g->SetBlend(0);
    g->SetAlpha(1);
    g->SetColor(255, 255, 255);
    g->Cls(0, 0, 255);
  }
  // The frame so far as 0xAARRGGBB, top row first; ends the frame.
  std::vector<unsigned> Frame() {
    Array<int> px(kW * kH);
    g->ReadPixels(px, 0, 0, kW, kH, 0, kW);
    g->EndRender();
    return std::vector<unsigned>(px.Data(), px.Data() + kW * kH);
  }

  gxtkGraphics* g = nullptr;
};

TEST_F(MesaGraphics, FramesReadBackTopRowFirstInTheirColoursAndBlendsAndImagesOutliveTheContext) {
  // 2 x 1 sprite: opaque red, clear.
  std::vector<uint8_t> png = device_env::Png(2, 1, 4, {255, 0, 0, 255, 0, 0, 0, 0});
  gxtkSurface* sprite = g->LoadSurface(String(device_env::WriteFile("sprite.png", png).c_str()));
  ASSERT_NE(sprite, nullptr);
  Begin();
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, kW, 10);
  g->SetColor(0, 200, 0);
  g->DrawRect(0, kH - 10, kW, 10);
  g->SetColor(250, 200, 40);
  g->DrawOval(60, 60, 120, 80);
  float tri[] = {400, 60, 520, 200, 300, 200};
  g->SetColor(60, 220, 120);
  g->DrawPoly(Array<float>(tri, 6));
  g->SetColor(255, 0, 0);
  g->SetAlpha(0.5f);
  g->DrawRect(0, 20, 10, 10);
  g->SetAlpha(1);
  g->SetBlend(1);
  g->SetColor(200, 0, 0);
  g->DrawRect(20, 20, 10, 10);
  g->DrawRect(20, 20, 10, 10);
  g->SetBlend(0);
  g->SetColor(255, 255, 255);
  g->SetMatrix(8, 0, 0, 8, 100, 300);
  g->DrawSurface(sprite, 0, 0);
  std::vector<unsigned> f = Frame();
  EXPECT_EQ(f[9 * kW + 639], 0xFFFF0000u) << "red band at the top";
  EXPECT_EQ(f[10 * kW], 0xFF0000FFu) << "background below it";
  EXPECT_EQ(f[(kH - 1) * kW + 320], 0xFF00C800u) << "green band at the bottom";
  EXPECT_EQ(f[100 * kW + 120], 0xFFFAC828u) << "inside the oval";
  EXPECT_EQ(f[190 * kW + 410], 0xFF3CDC78u) << "inside the triangle";
  EXPECT_NEAR(f[25 * kW + 5] >> 16 & 255, 127, 1) << "red at half alpha, premultiplied";
  EXPECT_NEAR(f[25 * kW + 5] & 255, 128, 1) << "half the blue behind shows through";
  EXPECT_EQ(f[25 * kW + 25], 0xFFFF00FFu) << "added twice over blue saturates red, keeps blue";
  EXPECT_EQ(f[303 * kW + 107], 0xFFFF0000u) << "the sprite, with nearest filtering";
  EXPECT_EQ(f[303 * kW + 108], 0xFF0000FFu) << "its clear pixel";

  glfw2::glfwCloseWindow();  // full screen and back: a new context
  OpenWindow();
  Begin();
  g->DrawSurface(sprite, 0, 0);
  f = Frame();
  EXPECT_EQ(std::make_pair(f[0], f[1]), std::make_pair(0xFFFF0000u, 0xFF0000FFu)) << "drawn again";
  EXPECT_EQ(sprite->seq, glfwGraphicsSeq) << "in a texture of the new context";
}

}  // namespace
