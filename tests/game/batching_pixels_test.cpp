// The draw list replayed on a real OpenGL context (Mesa's software renderer under Xvfb): the
// device's batching across records must leave every pixel as a flush after every record
// would, on the title menu, on the credits with every pool full and on a list at its cap.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "framework/graphics.h"
#include "game/myapp.h"
#include "tests/support/harness.h"
#include "tests/support/xvfb.h"

namespace {

constexpr int kW = 640, kH = 480;

int drawCalls = 0, opaqueBatches = 0;
void (*realDrawElements)(unsigned int, int, unsigned int, const void*);
void CountElements(unsigned int m, int n, unsigned int t, const void* i) {
  ++drawCalls, realDrawElements(m, n, t, i);
}
void (*realDisable)(unsigned int);
void CountDisable(unsigned int cap) { opaqueBatches += cap == GL_BLEND, realDisable(cap); }

// Draws each record on its own: the blend mode the replay sets before every record flushes.
class FlushPerRecord : public gxtkGraphics {
 public:
  int SetBlend(int blend) override { return Flush(), gxtkGraphics::SetBlend(blend); }
};

// One render of the current list through device, read back before the swap.
std::vector<int> Render(c_MyApp* a, gxtkGraphics* device, int* draws) {
  vg_graphics_SetGraphicsDevice(device);
  // Every record drawn, none put back from a copy of an earlier frame.
  a->m_LastList.clear(), a->m_LastSame = -1, a->m_CopyFloats = -1;
  drawCalls = opaqueBatches = 0;
  device->BeginRender();
  vg_graphics_BeginRender();
  a->p_OnRender();
  Array<int> px(kW * kH);
  device->ReadPixels(px, 0, 0, kW, kH, 0, kW);
  vg_graphics_EndRender();
  device->EndRender();
  *draws = drawCalls;
  return std::vector<int>(px.Data(), px.Data() + kW * kH);
}

void ExpectSamePixelsBothWays(c_MyApp* a, const char* screen) {
  gxtkGraphics* batched = vg_graphics_device;
  int joined = 0, single = 0;
  std::vector<int> fast = Render(a, batched, &joined);
  std::vector<int> slow = Render(a, new FlushPerRecord(), &single);
  vg_graphics_SetGraphicsDevice(batched);
  int differ = 0;
  for (size_t i = 0; i < fast.size(); ++i) differ += fast[i] != slow[i];
  EXPECT_EQ(differ, 0) << screen << ": pixels that differ";
  // Records under one that hides the whole window are not drawn at all.
  int hidden = std::max(0, a->p_LastCoveringRecord(kW, kH, 0, 0)) / kDrawRecord;
  EXPECT_GE(single, a->m_DrawCount / kDrawRecord - hidden) << screen;
  EXPECT_LT(joined * 3, single) << screen << ": records joined into fewer draw calls";
}

}  // namespace

class BatchedReplay : public vgtest::XvfbTest {};

TEST_F(BatchedReplay, DrawsTheSamePixelsAsOneFlushPerRecord) {
  VG_IN_CHILD([] {
    vgtest::Harness h;
    h.Start();
    ASSERT_TRUE(h.UseRealWindow());
    realDrawElements = vgGl.DrawElements, vgGl.DrawElements = CountElements;
    realDisable = vgGl.Disable, vgGl.Disable = CountDisable;
    h.FinishLoading(), h.Frame(40);
    c_MyApp* a = h.app();
    ASSERT_EQ(a->m_Screen, kScreenMenu);
    ExpectSamePixelsBothWays(a, "title menu");
    EXPECT_EQ(a->p_LastCoveringRecord(kW, kH, 0, 0), 3 * kDrawRecord)
        << "the backdrop hides the background and the three records before it";
    EXPECT_EQ(opaqueBatches, 1) << "the backdrop is drawn without blending";

    h.Press(vgtest::kKeySpace);
    for (int i = 0; i < 10 && a->m_Screen != kScreenGame; ++i) h.Update();
    vgtest::FillCreditsScene(a);
    h.Update();
    EXPECT_GT(a->m_DrawCount / kDrawRecord, 2000);
    ExpectSamePixelsBothWays(a, "credits");
    for (int i = 0; i < 600; ++i) a->p_Rect(static_cast<float>(i), 0, 1, 1);
    EXPECT_EQ(a->m_DrawCount, 2499 * kDrawRecord) << "the list holds at most 2499 records";
    ExpectSamePixelsBothWays(a, "a full list");
  });
}
