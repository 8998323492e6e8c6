// The application framework seen from a recording application object (device creation order,
// bracketing of every call, close and back keys, pointer forwarding), the input module as the
// delegate and the game drive it, the asynchronous event registry and the collector's view of
// the framework.
#include "framework/app.h"

#include "devices/audio.h"
#include "devices/graphics.h"
#include "framework/asyncevent.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "tests/framework/framework_fixture.h"

namespace {

class RecordingApp : public c_App {
 public:
  std::vector<std::string>* log = nullptr;
  int hitsSeen = 0;
  int Log(const char* what) { return log->push_back(what), 0; }
  int p_OnCreate() override {
    return Log(!vg_graphics_device || !vg_audio_device || !vg_input_device ? "create-early"
               : vg_graphics_context->m_font ? "create with font" : "create");
  }
  int p_OnSuspend() override { return Log("suspend"); }
  int p_OnResume() override { return Log("resume"); }
  int p_OnUpdate() override { return hitsSeen = vg_input_KeyHit(65), Log("update"); }
  int p_OnRender() override { return Log(vg_graphics_renderDevice ? "render" : "render-early"); }
};

class AppTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    host->images["tarvik://data/vunk_font.png"] = {960, 10};
    app = new RecordingApp;
    app->log = &host->log;
    app->m_new();
  }
  std::vector<std::string> Take() { return std::move(host->log); }
  RecordingApp* app = nullptr;
};

using Log = std::vector<std::string>;

TEST_F(AppTest, DelegateCreatesDevicesFirstBracketsEveryCallAndEndsOnCloseOrBack) {
  host->RenderGame();
  EXPECT_TRUE(Take().empty() && gl->Count("Viewport") == 0) << "rendering before the start does nothing";
  host->StartGame();
  EXPECT_EQ(Take(), Log{"create with font"});
  EXPECT_EQ(vg_app__delegate->m__input->m__joyStates.Length(), 4);
  host->KeyEvent(c_VgGameEvent::KeyDown, 65), host->UpdateGame();
  EXPECT_EQ(Take(), (Log{"poll0", "update"}));
  EXPECT_TRUE(app->hitsSeen == 1 && vg_input_KeyHit(65) == 0) << "hits end with the update";
  host->RenderGame();
  EXPECT_TRUE(Take() == Log{"render"} && vg_graphics_renderDevice == nullptr);
  host->SuspendGame(), host->UpdateGame(), host->ResumeGame();  // no update while suspended
  EXPECT_EQ(Take(), (Log{"suspend", "resume"}));
  EXPECT_FATAL((new c_App)->m_new(), "Tarvik Runtime Error : App has already been created");
  for (int key : {432, 416, -432}) {  // the close and back keys end with status 0, held or not
    EXPECT_EXIT(vgtest::RunFatal([&] {
                  if (key < 0) vg_input_device->m__keyDown[-key] = true;
                  host->KeyEvent(c_VgGameEvent::KeyDown, std::abs(key));
                }),
                testing::ExitedWithCode(0), "") << key;
  }
  host->KeyEvent(c_VgGameEvent::KeyUp, 432), host->MouseEvent(c_VgGameEvent::MouseDown, 0, 12, 34);
  host->MotionEvent(c_VgGameEvent::MotionAccel, 0, 1, 2, 3);
  EXPECT_TRUE(vg_input_KeyDown(384) && vg_input_TouchX(0) == 12 && vg_input_AccelY() == 2) << "events forwarded";
}

// Counts its calls (a nested sweep must return at once); may leave the registry meanwhile.
struct Source : Object, c_IAsyncEventSource {
  int calls = 0;
  bool leave = false;
  int p_UpdateAsyncEvents() override {
    ++calls, vg_asyncevent_UpdateAsyncEvents();
    return leave ? vg_asyncevent_RemoveAsyncEventSource(this) : 0;
  }
};

TEST_F(AppTest, AsyncSweepVisitsEverySourceOnceAndFrameworkObjectsSurviveACollection) {
  EXPECT_EQ(vg_asyncevent_UpdateAsyncEvents(), 0) << "an empty registry";
  Source* s[3] = {new Source, new Source, new Source};
  s[1]->leave = true;
  for (Source* x : s) vg_asyncevent_AddAsyncEventSource(x);
  vg_asyncevent_UpdateAsyncEvents();
  EXPECT_TRUE(s[0]->calls == 1 && s[1]->calls == 1 && s[2]->calls == 1) << "none skipped, none twice";
  EXPECT_TRUE(vg_asyncevent__sources->p_Length() == 2 && vg_asyncevent__sources->m_data[2] == c_Stack::m_NIL);
  host->StartGame();
  auto freed = [](gc_object* p) {
    for (gc_object* q = gc_free_list.succ; q != &gc_free_list; q = q->succ)
      if (q == p) return true;
    return false;
  };
  // A big allocation makes the next collection sweep. The first sweep still sees what the
  // write barrier queued; the second shows what the roots and mark() methods really reach.
  auto sweep = [] { { Array<int> big(3 * 1024 * 1024); } gc_collect(); };
  sweep();
  // Marking has passed the registry's array when a source joins it: only the write barrier
  // keeps that source.
  gc_mark_now(vg_asyncevent__sources->m_data.GetRep());
  auto* late = new Source;
  vg_asyncevent_AddAsyncEventSource(late);
  c_Frame* garbage = (new c_Frame)->m_new(1, 2);
  sweep();
  EXPECT_TRUE(freed(garbage)) << "the check itself must be able to fail";
  c_Image* font = vg_graphics_context->m_font;
  c_InputDevice* in = vg_input_device;
  for (gc_object* live : std::initializer_list<gc_object*>{
           app, vg_app__delegate, vg_graphics_device, vg_audio_device, in, vg_graphics_context, font,
           font->m_surface, font->m_frames.GetRep(), font->m_frames[95], vg_graphics_context->m_matrixStack.GetRep(),
           in->m__joyStates[3], in->m__joyStates[3]->m_buttons.GetRep(), in->m__keyDown.GetRep(),
           vg_asyncevent__sources, vg_asyncevent__sources->m_data.GetRep(), s[2], late})
    EXPECT_FALSE(freed(live)) << live;
}

// Hits and characters queue per update.
class InputTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    vg_input_SetInputDevice(in = (new c_InputDevice)->m_new());
  }
  c_InputDevice* in = nullptr;
};

TEST_F(InputTest, HitsCountPressesBetweenUpdatesUpTo33AndCharacters32) {
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 65);
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 65);  // auto-repeat is no hit
  in->p_KeyEvent(c_VgGameEvent::KeyUp, 65);
  in->p_KeyEvent(c_VgGameEvent::KeyDown, 65);
  EXPECT_TRUE(vg_input_KeyHit(65) == 2 && vg_input_KeyDown(65) == 1);
  in->p_EndUpdate();
  EXPECT_TRUE(vg_input_KeyHit(65) == 0 && vg_input_KeyDown(65) == 1) << "held across updates";
  for (int k = 100; k < 140; ++k) in->p_KeyEvent(c_VgGameEvent::KeyDown, k);
  EXPECT_TRUE(vg_input_KeyHit(132) == 1 && vg_input_KeyHit(133) == 0) << "the 34th hit is dropped";
  EXPECT_EQ(vg_input_KeyDown(139), 1) << "a dropped hit still holds the key";
  for (int c = 0; c < 40; ++c) in->p_KeyEvent(c_VgGameEvent::KeyChar, 'a' + c);
  for (int c = 0; c < 32; ++c) ASSERT_EQ(vg_input_GetChar(), 'a' + c);
  EXPECT_EQ(vg_input_GetChar(), 0);
  in->p_EndUpdate();
  in->p_KeyEvent(c_VgGameEvent::KeyChar, 'z');
  EXPECT_TRUE(vg_input_KeyHit(100) == 0 && vg_input_GetChar() == 'z');
}

}  // namespace
