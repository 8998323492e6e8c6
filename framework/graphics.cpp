// Graphics module: images and frames, the graphics context with its matrix stack, and the
// drawing functions game code calls during rendering. Everything reaches the screen through
// the graphics device installed by the application framework at start-up.
#include "framework/graphics.h"

#include <cmath>

#include "devices/graphics.h"
#include "host/files.h"
#include "host/game.h"
#include "runtime/console.h"

gxtkGraphics* vg_graphics_device;
gxtkGraphics* vg_graphics_renderDevice;
c_GraphicsContext* vg_graphics_context;
int c_Image::m_DefaultFlags;

namespace {

constexpr float kDegToRad = 0.017453292f;

// Every draw call needs a frame in progress; outside one there is no device to draw on.
gxtkGraphics* RenderDevice() {
  if (!vg_graphics_renderDevice) vgError("Rendering operations can only be done during rendering");
  return vg_graphics_renderDevice;
}

c_Frame* FrameOf(c_Image* image, int frame) {
  if (frame < 0 || frame >= image->m_frames.Length()) vgError("Image frame index out of range");
  return image->m_frames[frame];
}

void DrawFrameAt(c_Image* image, c_Frame* f, float x, float y) {
  if (image->m_flags & c_Image::FullFrame) {
    vg_graphics_renderDevice->DrawSurface(image->m_surface, x, y);
  } else {
    vg_graphics_renderDevice->DrawSurface2(image->m_surface, x, y, f->m_x, f->m_y,
                                           image->m_width, image->m_height);
  }
}

}  // namespace

c_Frame* c_Frame::m_new(int x, int y) {
  m_x = x;
  m_y = y;
  return this;
}

c_Image* c_Image::p_Init(gxtkSurface* surface, int frameCount, int flags) {
  // A zero count would divide by zero; no caller can mean it.
  if (frameCount < 1) vgError("Image frame count must be at least 1");
  gc_assign(m_surface, surface);
  m_width = surface->Width() / frameCount;
  m_height = surface->Height();
  gc_assign(m_frames, Array<c_Frame*>(frameCount));
  for (int i = 0; i < frameCount; ++i) {
    gc_assign(m_frames[i], (new c_Frame)->m_new(i * m_width, 0));
  }
  p_ApplyFlags(flags);
  return this;
}

c_Image* c_Image::p_Init2(gxtkSurface* surface, int x, int y, int iwidth, int iheight,
                          int frameCount, int flags, c_Image* src, int srcx, int srcy, int srcw,
                          int srch) {
  gc_assign(m_surface, surface);
  gc_assign(m_source, src);
  m_width = iwidth;
  m_height = iheight;
  gc_assign(m_frames, Array<c_Frame*>(frameCount));
  for (int i = 0; i < frameCount; ++i) {
    if (x + m_width > srcw) {
      y += m_height;
      if (m_width > srcw) vgError("Image frame outside surface");
      x = 0;
    }
    if (y + m_height > srch) vgError("Image frame outside surface");
    gc_assign(m_frames[i], (new c_Frame)->m_new(x + srcx, y + srcy));
    x += m_width;
  }
  p_ApplyFlags(flags);
  return this;
}

int c_Image::p_ApplyFlags(int flags) {
  m_flags = flags;
  int n = m_frames.Length();
  if (m_flags & XPadding) {
    for (int i = 0; i < n; ++i) m_frames[i]->m_x += 1;
    m_width -= 2;
  }
  if (m_flags & YPadding) {
    for (int i = 0; i < n; ++i) m_frames[i]->m_y += 1;
    m_height -= 2;
  }
  if (m_flags & MidHandle) p_SetHandle(m_width * 0.5f, m_height * 0.5f);
  if (n == 1 && m_frames[0]->m_x == 0 && m_frames[0]->m_y == 0 &&
      m_width == m_surface->Width() && m_height == m_surface->Height()) {
    m_flags |= FullFrame;
  }
  return 0;
}

int c_Image::p_SetHandle(float tx, float ty) {
  m_tx = tx;
  m_ty = ty;
  m_flags &= ~MidHandle;
  return 0;
}

void c_Image::mark() {
  gc_mark_q(m_surface);
  gc_mark_q(m_frames);
  gc_mark_q(m_source);
}

c_GraphicsContext* c_GraphicsContext::m_new() {
  gc_assign(m_matrixStack, Array<float>(kMatrixStackFloats));
  return this;
}

int c_GraphicsContext::p_Validate() {
  if (m_matDirty) {
    RenderDevice()->SetMatrix(m_ix, m_iy, m_jx, m_jy, m_tx, m_ty);
    m_matDirty = 0;
  }
  return 0;
}

void c_GraphicsContext::mark() {
  gc_mark_q(m_windowCopy);
  gc_mark_q(m_defaultFont);
  gc_mark_q(m_font);
  gc_mark_q(m_matrixStack);
}

int vg_graphics_SetGraphicsDevice(gxtkGraphics* device) {
  gc_assign(vg_graphics_device, device);
  return 0;
}

static gxtkSurface* LoadSurfaceFor(const String& path) {
  if (!vg_graphics_device) return nullptr;
  return vg_graphics_device->LoadSurface(vg_data_FixDataPath(path));
}

c_Image* vg_graphics_LoadImage(String path, int frameCount, int flags) {
  gxtkSurface* surface = LoadSurfaceFor(path);
  if (!surface) return nullptr;
  return (new c_Image)->m_new()->p_Init(surface, frameCount, flags);
}

c_Image* vg_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags) {
  gxtkSurface* surface = LoadSurfaceFor(path);
  if (!surface) return nullptr;
  return (new c_Image)->m_new()->p_Init2(surface, 0, 0, frameWidth, frameHeight, frameCount,
                                         flags, nullptr, 0, 0, surface->Width(),
                                         surface->Height());
}

int vg_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  c_GraphicsContext* c = vg_graphics_context;
  c->m_ix = ix;
  c->m_iy = iy;
  c->m_jx = jx;
  c->m_jy = jy;
  c->m_tx = tx;
  c->m_ty = ty;
  c->m_tformed = (ix != 1 || iy != 0 || jx != 0 || jy != 1 || tx != 0 || ty != 0) ? 1 : 0;
  c->m_matDirty = 1;
  return 0;
}

int vg_graphics_SetMatrix2(Array<float> m) {
  if (m.Length() < 6) vgError("Matrix array must hold 6 values");
  return vg_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int vg_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty) {
  c_GraphicsContext* c = vg_graphics_context;
  float ix2 = c->m_ix * ix + c->m_jx * iy;
  float iy2 = c->m_iy * ix + c->m_jy * iy;
  float jx2 = c->m_ix * jx + c->m_jx * jy;
  float jy2 = c->m_iy * jx + c->m_jy * jy;
  float tx2 = c->m_ix * tx + c->m_jx * ty + c->m_tx;
  float ty2 = c->m_iy * tx + c->m_jy * ty + c->m_ty;
  return vg_graphics_SetMatrix(ix2, iy2, jx2, jy2, tx2, ty2);
}

int vg_graphics_Transform2(Array<float> m) {
  if (m.Length() < 6) vgError("Matrix array must hold 6 values");
  return vg_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int vg_graphics_Translate(float x, float y) { return vg_graphics_Transform(1, 0, 0, 1, x, y); }

int vg_graphics_Scale(float x, float y) { return vg_graphics_Transform(x, 0, 0, y, 0, 0); }

int vg_graphics_Rotate(float angle) {
  float r = angle * kDegToRad;
  return vg_graphics_Transform(std::cos(r), -std::sin(r), std::sin(r), std::cos(r), 0, 0);
}

int vg_graphics_PushMatrix() {
  c_GraphicsContext* c = vg_graphics_context;
  int sp = c->m_matrixSp;
  if (sp + 6 > c->m_matrixStack.Length()) vgError("Matrix stack overflow");
  float* s = c->m_matrixStack.Data() + sp;
  s[0] = c->m_ix;
  s[1] = c->m_iy;
  s[2] = c->m_jx;
  s[3] = c->m_jy;
  s[4] = c->m_tx;
  s[5] = c->m_ty;
  c->m_matrixSp = sp + 6;
  return 0;
}

int vg_graphics_PopMatrix() {
  c_GraphicsContext* c = vg_graphics_context;
  int sp = c->m_matrixSp - 6;
  if (sp < 0) vgError("Matrix stack underflow");
  const float* s = c->m_matrixStack.Data() + sp;
  vg_graphics_SetMatrix(s[0], s[1], s[2], s[3], s[4], s[5]);
  c->m_matrixSp = sp;
  return 0;
}

// The setters keep the context current even outside rendering; the device hears of the
// value at once when a frame is in progress, and BeginRender resends everything anyway.
int vg_graphics_SetColor(float r, float g, float b) {
  c_GraphicsContext* c = vg_graphics_context;
  c->m_color_r = r;
  c->m_color_g = g;
  c->m_color_b = b;
  if (vg_graphics_renderDevice) vg_graphics_renderDevice->SetColor(r, g, b);
  return 0;
}

int vg_graphics_SetAlpha(float alpha) {
  vg_graphics_context->m_alpha = alpha;
  if (vg_graphics_renderDevice) vg_graphics_renderDevice->SetAlpha(alpha);
  return 0;
}

int vg_graphics_SetBlend(int blend) {
  vg_graphics_context->m_blend = blend;
  if (vg_graphics_renderDevice) vg_graphics_renderDevice->SetBlend(blend);
  return 0;
}

int vg_graphics_SetScissor(float x, float y, float w, float h) {
  c_GraphicsContext* c = vg_graphics_context;
  c->m_scissor_x = x;
  c->m_scissor_y = y;
  c->m_scissor_w = w;
  c->m_scissor_h = h;
  if (vg_graphics_renderDevice) {
    vg_graphics_renderDevice->SetScissor(static_cast<int>(x), static_cast<int>(y),
                                         static_cast<int>(w), static_cast<int>(h));
  }
  return 0;
}

int vg_graphics_SetFont(c_Image* font, int firstChar) {
  c_GraphicsContext* c = vg_graphics_context;
  if (!font) {
    if (!c->m_defaultFont) {
      gc_assign(c->m_defaultFont, vg_graphics_LoadImage(String("vunk_font.png"), 96,
                                                        c_Image::XPadding));
    }
    font = c->m_defaultFont;
    firstChar = 32;
  }
  gc_assign(c->m_font, font);
  c->m_firstChar = firstChar;
  return 0;
}

int vg_graphics_DeviceWidth() { return vg_graphics_device ? vg_graphics_device->Width() : 0; }

int vg_graphics_DeviceHeight() { return vg_graphics_device ? vg_graphics_device->Height() : 0; }

int vg_graphics_BeginRender() {
  gc_assign(vg_graphics_renderDevice, vg_graphics_device);
  if (!vg_graphics_renderDevice) return 0;
  vg_graphics_context->m_matrixSp = 0;
  vg_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
  vg_graphics_SetColor(255, 255, 255);
  vg_graphics_SetAlpha(1);
  vg_graphics_SetBlend(0);
  vg_graphics_SetScissor(0, 0, static_cast<float>(vg_graphics_DeviceWidth()),
                         static_cast<float>(vg_graphics_DeviceHeight()));
  return 0;
}

int vg_graphics_EndRender() {
  gc_assign(vg_graphics_renderDevice, nullptr);
  return 0;
}

int vg_graphics_Cls(float r, float g, float b) {
  RenderDevice()->Cls(r, g, b);
  return 0;
}

int vg_graphics_DrawRect(float x, float y, float w, float h) {
  gxtkGraphics* device = RenderDevice();
  vg_graphics_context->p_Validate();
  device->DrawRect(x, y, w, h);
  return 0;
}

int vg_graphics_DrawLine(float x1, float y1, float x2, float y2) {
  gxtkGraphics* device = RenderDevice();
  vg_graphics_context->p_Validate();
  device->DrawLine(x1, y1, x2, y2);
  return 0;
}

int vg_graphics_DrawEllipse(float x, float y, float xr, float yr) {
  gxtkGraphics* device = RenderDevice();
  vg_graphics_context->p_Validate();
  device->DrawOval(x - xr, y - yr, xr * 2, yr * 2);
  return 0;
}

// A null image is a sprite whose file was missing: it draws nothing, like a silent sound.
int vg_graphics_DrawImage(c_Image* image, float x, float y, int frame) {
  RenderDevice();
  vg_graphics_context->p_Validate();
  if (!image) return 0;
  c_Frame* f = FrameOf(image, frame);
  DrawFrameAt(image, f, x - image->m_tx, y - image->m_ty);
  return 0;
}

int vg_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame) {
  RenderDevice();
  if (!image) return 0;
  c_Frame* f = FrameOf(image, frame);
  float r = rotation * kDegToRad;
  vg_graphics_PushMatrix();
  vg_graphics_Transform(1, 0, 0, 1, x, y);
  vg_graphics_Transform(std::cos(r), -std::sin(r), std::sin(r), std::cos(r), 0, 0);
  vg_graphics_Transform(scaleX, 0, 0, scaleY, 0, 0);
  vg_graphics_Transform(1, 0, 0, 1, -image->m_tx, -image->m_ty);
  vg_graphics_context->p_Validate();
  DrawFrameAt(image, f, 0, 0);
  vg_graphics_PopMatrix();
  return 0;
}

bool vg_graphics_CopyWindow() {
  gxtkGraphics* device = RenderDevice();
  c_GraphicsContext* c = vg_graphics_context;
  gxtkSurface* copy = c->m_windowCopy;
  if (!copy || !copy->HasTexture() || copy->Width() != device->Width() ||
      copy->Height() != device->Height()) {
    if (copy) copy->Discard();
    gc_assign(c->m_windowCopy, device->CreateSurface(device->Width(), device->Height()));
    copy = c->m_windowCopy;
  }
  return device->CopyWindowTo(copy);
}

bool vg_graphics_DrawWindowCopy() {
  gxtkGraphics* device = RenderDevice();
  gxtkSurface* copy = vg_graphics_context->m_windowCopy;
  int w = device->Width(), h = device->Height();
  if (!copy || !copy->HasTexture() || copy->Width() != w || copy->Height() != h) {
    return false;
  }
  if (device->BlitWindowCopy(copy)) return true;
  // The copy's rows run bottom-up, so it is drawn upside down; one texel lands on each pixel.
  // The copied alpha is 1 everywhere (every draw keeps the window opaque), so blending leaves
  // the copy's pixels as they are.
  c_GraphicsContext* c = vg_graphics_context;
  float r = c->m_color_r, g = c->m_color_g, b = c->m_color_b, a = c->m_alpha;
  int blend = c->m_blend;
  vg_graphics_PushMatrix();
  vg_graphics_SetMatrix(1, 0, 0, -1, 0, static_cast<float>(h));
  vg_graphics_SetColor(255, 255, 255);
  vg_graphics_SetAlpha(1);
  vg_graphics_SetBlend(0);
  c->p_Validate();
  device->DrawSurface(copy, 0, 0);
  vg_graphics_PopMatrix();
  vg_graphics_SetColor(r, g, b);
  vg_graphics_SetAlpha(a);
  vg_graphics_SetBlend(blend);
  return true;
}

bool vg_graphics_KeepsLastPicture() { return VgGame::KeepsLastPicture(); }

bool vg_graphics_FrameOpaque(c_Image* image, int frame) {
  if (!image || frame < 0 || frame >= image->m_frames.Length()) return false;
  c_Frame* f = image->m_frames[frame];
  return image->m_surface->OpaqueRect(f->m_x, f->m_y, image->m_width, image->m_height);
}

int vg_graphics_ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
  if (!pitch) pitch = w;
  gxtkGraphics* device = RenderDevice();
  if (w <= 0 || h <= 0) return 0;
  // The device writes h rows of w ints; keep every one inside the array.
  long long last = static_cast<long long>(offset) + static_cast<long long>(h - 1) * pitch + w;
  if (offset < 0 || pitch < w || last > pixels.Length()) {
    vgError("ReadPixels rectangle does not fit the pixel array");
  }
  vg_graphics_context->p_Validate();
  device->ReadPixels(pixels, x, y, w, h, offset, pitch);
  return 0;
}
