// The graphics device on Mesa's software OpenGL in a real window under Xvfb: frames read
// back top row first, premultiplied and additive blending, images after the window was
// reopened. Also writes <VG_BUILD_DIR>/devices_frame.png for a person to look at.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

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
  void Begin(int r, int gr, int b) {
    g->BeginRender();
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    g->SetBlend(0);
    g->SetAlpha(1);
    g->SetColor(255, 255, 255);
    g->Cls(r, gr, b);
  }
  // The frame so far as 0xAARRGGBB, top row first.
  std::vector<unsigned> Frame() {
    Array<int> px(kW * kH);
    g->ReadPixels(px, 0, 0, kW, kH, 0, kW);
    return std::vector<unsigned>(px.Data(), px.Data() + kW * kH);
  }
  gxtkSurface* LoadPng(const char* name, int w, int h, const std::vector<uint8_t>& rgba) {
    return g->LoadSurface(String(device_env::WriteFile(name, device_env::Png(w, h, 4, rgba)).c_str()));
  }

  gxtkGraphics* g = nullptr;
};

TEST_F(MesaGraphics, AFrameReadsBackTopRowFirst) {
  // 2 x 1 sprite: opaque red, clear.
  gxtkSurface* sprite = LoadPng("sprite.png", 2, 1, {255, 0, 0, 255, 0, 0, 0, 0});
  ASSERT_NE(sprite, nullptr);
  Begin(16, 24, 48);
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, kW, 10);
  g->SetColor(0, 0, 255);
  g->DrawRect(0, kH - 10, kW, 10);
  g->SetColor(250, 200, 40);
  g->DrawOval(60, 60, 120, 80);
  float tri[] = {400, 60, 520, 200, 300, 200};
  g->SetColor(60, 220, 120);
  g->DrawPoly(Array<float>(tri, 6));
  g->SetColor(255, 255, 255);
  for (int i = 0; i < 10; ++i) g->DrawLine(300, 250 + i * 4, 600, 230 + i * 8);
  g->SetMatrix(8, 0, 0, 8, 100, 300);
  g->DrawSurface(sprite, 0, 0);
  std::vector<unsigned> f = Frame();
  g->EndRender();
  EXPECT_EQ(f[9 * kW + 639], 0xFFFF0000u) << "red band at the top";
  EXPECT_EQ(f[10 * kW], 0xFF101830u) << "background below it";
  EXPECT_EQ(f[(kH - 1) * kW + 320], 0xFF0000FFu) << "blue band at the bottom";
  EXPECT_EQ(f[100 * kW + 120], 0xFFFAC828u) << "inside the oval";
  EXPECT_EQ(f[190 * kW + 410], 0xFF3CDC78u) << "inside the triangle";
  EXPECT_EQ(f[303 * kW + 107], 0xFFFF0000u) << "the sprite, with nearest filtering";
  EXPECT_EQ(f[303 * kW + 108], 0xFF101830u) << "its clear pixel";

  std::vector<uint8_t> rgba;  // the picture for a person
  for (unsigned p : f) rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
  const char* dir = std::getenv("VG_BUILD_DIR");
  std::string out = std::string(dir ? dir : "/tmp") + "/devices_frame.png";
  EXPECT_NE(stbi_write_png(out.c_str(), kW, kH, 4, rgba.data(), kW * 4), 0) << out;
}

TEST_F(MesaGraphics, BlendingIsPremultipliedOrAdditive) {
  Begin(0, 0, 255);
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
  std::vector<unsigned> f = Frame();
  g->EndRender();
  EXPECT_NEAR(f[5 * kW + 5] >> 16 & 255, 127, 1) << "red at half alpha, premultiplied";
  EXPECT_NEAR(f[5 * kW + 5] & 255, 128, 1) << "half the blue behind shows through";
  EXPECT_EQ(f[5 * kW + 25], 0xFFC86400u) << "added over an opaque green rectangle";
  EXPECT_EQ(f[5 * kW + 45], 0xFFFF00FFu) << "added twice over blue saturates";
}

TEST_F(MesaGraphics, ImagesStillDrawAfterTheWindowIsReopened) {
  gxtkSurface* s = LoadPng("keep.png", 2, 1, {255, 0, 0, 255, 255, 255, 255, 255});
  ASSERT_NE(s, nullptr);
  for (int pass = 0; pass < 2; ++pass) {
    if (pass) {  // full screen and back: a new context
      glfw2::glfwCloseWindow();
      OpenWindow();
    }
    Begin(0, 0, 0);
    g->DrawSurface(s, 0, 0);
    std::vector<unsigned> f = Frame();
    g->EndRender();
    EXPECT_EQ(f[0], 0xFFFF0000u) << "pass " << pass;
    EXPECT_EQ(f[1], 0xFFFFFFFFu) << "pass " << pass;
    EXPECT_EQ(s->seq, glfwGraphicsSeq);
  }
}

}  // namespace
