// Initial values and collector roots of the framework's module globals, called by vgInit
// between the collector's reset and the first marking, and by tests that run the framework.
#include "framework/framework.h"

#include "devices/audio.h"
#include "devices/graphics.h"
#include "framework/app.h"
#include "framework/asyncevent.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"

void vg_framework_InitGlobals() {
  gc_assign(vg_app__app, nullptr);
  gc_assign(vg_app__delegate, nullptr);
  gc_assign(vg_graphics_device, nullptr);
  vg_app__game = VgGame::_game;
  gc_assign(vg_graphics_context, (new c_GraphicsContext)->m_new());
  c_Image::m_DefaultFlags = 0;
  gc_assign(vg_audio_device, nullptr);
  gc_assign(vg_input_device, nullptr);
  gc_assign(vg_graphics_renderDevice, nullptr);
  vg_app__updateRate = 0;
  gc_assign(vg_asyncevent__current, nullptr);
  gc_assign(vg_asyncevent__sources, (new c_Stack)->m_new());
  gc_assign(c_Stack::m_NIL, nullptr);
}

void vg_framework_AddRoots() {
  gc_root(vg_app__app);
  gc_root(vg_app__delegate);
  gc_root(vg_graphics_device);
  gc_root(vg_graphics_context);
  gc_root(vg_audio_device);
  gc_root(vg_input_device);
  gc_root(vg_graphics_renderDevice);
  gc_root(vg_asyncevent__current);
  gc_root(vg_asyncevent__sources);
  gc_root(c_Stack::m_NIL);
}
