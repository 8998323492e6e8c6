// The application framework seen from a recording application object: the order in which
// the delegate creates devices and calls the game, the close and back keys, pointer
// forwarding, the vg_app_* services and the asynchronous event registry.
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

  int p_OnCreate() override {
    bool devices = vg_graphics_device && vg_audio_device && vg_input_device;
    log->push_back(devices ? "create" : "create-without-devices");
    if (vg_graphics_context->m_font) log->push_back("font");
    return 0;
  }
  int p_OnSuspend() override {
    log->push_back("suspend");
    return 0;
  }
  int p_OnResume() override {
    log->push_back("resume");
    return 0;
  }
  int p_OnUpdate() override {
    log->push_back("update");
    hitsSeen = vg_input_KeyHit(65);
    return 0;
  }
  int p_OnRender() override {
    log->push_back(vg_graphics_renderDevice == vg_graphics_device ? "render" : "render-no-dev");
    return 0;
  }
};

class AppTest : public vgtest::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    host->images["tarvik://data/vunk_font.png"] = {960, 10};
    app = new RecordingApp;
    app->log = &log;
    app->m_new();
  }
  RecordingApp* app = nullptr;
};

TEST_F(AppTest, DelegateCreatesDevicesThenBracketsEveryCall) {
  ASSERT_EQ(host->Delegate(), vg_app__delegate);
  EXPECT_EQ(vg_app__app, app);

  host->StartGame();
  EXPECT_EQ(log, (std::vector<std::string>{"create", "font"}));
  EXPECT_EQ(vg_app__delegate->m__input->m__joyStates.Length(), 4);
  EXPECT_EQ(host->imageRequests, (std::vector<std::string>{"tarvik://data/vunk_font.png"}));

  log.clear();
  host->KeyEvent(c_VgGameEvent::KeyDown, 65);
  host->UpdateGame();
  EXPECT_EQ(log, (std::vector<std::string>{"poll0", "update"}));
  EXPECT_EQ(app->hitsSeen, 1);
  EXPECT_EQ(vg_input_KeyHit(65), 0) << "hits end with the update";

  log.clear();
  host->RenderGame();
  EXPECT_EQ(log, (std::vector<std::string>{"render"}));
  EXPECT_EQ(vg_graphics_renderDevice, nullptr);
  EXPECT_EQ(gl->Count("Viewport"), 1);

  log.clear();
  host->SuspendGame();
  host->UpdateGame();  // the host holds updates while suspended
  host->ResumeGame();
  EXPECT_EQ(log, (std::vector<std::string>{"suspend", "resume"}));
}

TEST_F(AppTest, RenderBeforeStartDoesNothing) {
  vg_app__delegate->RenderGame();
  host->RenderGame();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(gl->Count("Viewport"), 0);
}

TEST_F(AppTest, SecondAppIsFatal) {
  EXPECT_EXIT(vgtest::RunFatal([] { (new c_App)->m_new(); }), testing::ExitedWithCode(255),
              "Tarvik Runtime Error : App has already been created");
}

TEST_F(AppTest, CloseAndBackKeysEndTheProcessWithStatusZero) {
  host->StartGame();
  EXPECT_EXIT(vgtest::RunFatal([this] { host->KeyEvent(c_VgGameEvent::KeyDown, 432); }),
              testing::ExitedWithCode(0), "");
  EXPECT_EXIT(vgtest::RunFatal([this] { host->KeyEvent(c_VgGameEvent::KeyDown, 416); }),
              testing::ExitedWithCode(0), "");
  // Even a close key already marked down ends the run at once.
  EXPECT_EXIT(vgtest::RunFatal([this] {
                vg_input_device->m__keyDown[432] = true;
                host->KeyEvent(c_VgGameEvent::KeyDown, 432);
              }),
              testing::ExitedWithCode(0), "");
  // Releases and other keys go on.
  host->KeyEvent(c_VgGameEvent::KeyUp, 432);
  host->KeyEvent(c_VgGameEvent::KeyDown, 27);
  EXPECT_EQ(vg_input_KeyDown(27), 1);
}

TEST_F(AppTest, PointerEventsReachTheInputDevice) {
  host->StartGame();
  host->MouseEvent(c_VgGameEvent::MouseDown, 0, 12, 34);
  EXPECT_EQ(vg_input_KeyDown(1), 1);
  EXPECT_EQ(vg_input_KeyDown(384), 1);
  EXPECT_EQ(vg_input_TouchX(0), 12);
  host->MouseEvent(c_VgGameEvent::MouseUp, 0, 0, 0);
  EXPECT_EQ(vg_input_KeyDown(384), 0);

  host->TouchEvent(c_VgGameEvent::TouchDown, 2, 5, 6);
  EXPECT_EQ(vg_input_TouchDown(2), 1);
  host->TouchEvent(c_VgGameEvent::TouchMove, 0, 70, 80);
  EXPECT_EQ(vg_input_MouseY(), 80);
  host->MotionEvent(c_VgGameEvent::MotionAccel, 0, 1, 2, 3);
  EXPECT_EQ(vg_input_AccelY(), 2);
}

TEST_F(AppTest, ServicesForwardToTheHost) {
  vg_app_SetUpdateRate(60);
  EXPECT_EQ(vg_app__updateRate, 60);
  EXPECT_EQ(host->UpdateRate(), 60);
  vg_app_SetUpdateRate(0);
  EXPECT_EQ(host->UpdateRate(), 0);

  host->millis = 1234;
  EXPECT_EQ(vg_app_Millisecs(), 1234);
  EXPECT_EQ(vg_app_SaveState(String("a=1")), 0);
  EXPECT_EQ(host->savedState, "a=1");
  EXPECT_EQ(vgtest::Narrow(vg_app_LoadState()), "a=1");
}

// A source that counts its calls and may take itself out of the registry while it runs.
class CountingSource : public Object, public c_IAsyncEventSource {
 public:
  int calls = 0;
  bool removeSelf = false;
  int p_UpdateAsyncEvents() override {
    ++calls;
    vg_asyncevent_UpdateAsyncEvents();  // a nested sweep must return at once
    if (removeSelf) vg_asyncevent_RemoveAsyncEventSource(this);
    return 0;
  }
};

TEST_F(AppTest, AsyncSweepVisitsEverySourceOnceEvenWhenOneLeaves) {
  EXPECT_EQ(vg_asyncevent_UpdateAsyncEvents(), 0);
  EXPECT_EQ(vg_asyncevent__current, nullptr);
  EXPECT_EQ(vg_asyncevent__sources->p_Length(), 0);

  auto* a = new CountingSource;
  auto* b = new CountingSource;
  auto* c = new CountingSource;
  b->removeSelf = true;
  vg_asyncevent_AddAsyncEventSource(a);
  vg_asyncevent_AddAsyncEventSource(b);
  vg_asyncevent_AddAsyncEventSource(c);

  vg_asyncevent_UpdateAsyncEvents();
  EXPECT_EQ(a->calls, 1);
  EXPECT_EQ(b->calls, 1);
  EXPECT_EQ(c->calls, 1) << "the source moved into the leaver's slot is not skipped";
  EXPECT_EQ(vg_asyncevent__sources->p_Length(), 2);
  EXPECT_EQ(vg_asyncevent__current, nullptr);
  EXPECT_EQ(vg_asyncevent__sources->m_data[2], c_Stack::m_NIL);
}

// Everything the framework holds must stay reachable through its roots across a full
// collection, while an unreferenced object is swept.
TEST_F(AppTest, FrameworkObjectsSurviveAFullCollection) {
  host->StartGame();
  auto* source = new CountingSource;
  vg_asyncevent_AddAsyncEventSource(source);

  auto onFreeList = [](gc_object* p) {
    for (gc_object* q = gc_free_list.succ; q != &gc_free_list; q = q->succ) {
      if (q == p) return true;
    }
    return false;
  };
  // Each big allocation makes the next step mark everything queued and sweep. The first
  // sweep still sees objects the write barrier queued; after it only the roots are queued,
  // so the second one shows what the roots and the mark() methods really reach. Garbage
  // waits on the free list until a later allocation destroys it.
  { Array<int> big(3 * 1024 * 1024); }
  gc_collect();
  c_Frame* garbage = (new c_Frame)->m_new(1, 2);
  { Array<int> big(3 * 1024 * 1024); }
  gc_collect();
  c_Image* font = vg_graphics_context->m_font;
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(onFreeList(garbage)) << "the check itself must be able to fail";
  for (gc_object* live : std::initializer_list<gc_object*>{
           app, vg_app__delegate, vg_graphics_device, vg_audio_device, vg_input_device,
           vg_graphics_context, font, font->m_surface, font->m_frames.GetRep(),
           font->m_frames[95], vg_graphics_context->m_matrixStack.GetRep(),
           vg_input_device->m__joyStates[3], vg_input_device->m__joyStates[3]->m_buttons.GetRep(),
           vg_input_device->m__keyDown.GetRep(), vg_asyncevent__sources,
           vg_asyncevent__sources->m_data.GetRep(), source}) {
    EXPECT_FALSE(onFreeList(live)) << live;
  }
}

}  // namespace
