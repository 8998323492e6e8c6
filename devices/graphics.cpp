// gxtkGraphics: the frame set-up, the batching of primitives into one 1024-vertex array and
// the flush that turns a batch into as few GL draw calls as its kind allows. A batch ends
// only when the kind, the texture or the blend mode changes, or the array is full. The graphics
// module calls the setters and draws; the application framework brackets each frame.
#include "devices/graphics.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "devices/gl_api.h"
#include "host/game.h"
#include "runtime/console.h"

namespace {

// A colour channel already multiplied by alpha, as the byte the vertex carries. Out-of-range
// values clamp instead of spilling into the neighbouring channel's byte.
unsigned int ChannelByte(float v) {
  if (!(v > 0)) return 0;
  if (v >= 255) return 255;
  return static_cast<unsigned int>(v);
}

// Rows row0 .. row0 + (h - 1) * pitch of w ints each must lie inside an array of len ints.
bool RowsFit(int len, int offset, int pitch, int w, int h) {
  long long first = offset;
  long long last = offset + static_cast<long long>(h - 1) * pitch;
  long long lo = first < last ? first : last;
  long long hi = first < last ? last : first;
  return lo >= 0 && hi + w <= len;
}

}  // namespace

gxtkGraphics::gxtkGraphics() {
  VgGame::WindowSize(&width, &height);
  for (int q = 0; q < kMaxQuads; ++q) {
    unsigned short* i = &quadIndices[q * 6];
    unsigned short base = static_cast<unsigned short>(q * 4);
    i[0] = base;
    i[1] = base + 1;
    i[2] = base + 2;
    i[3] = base;
    i[4] = base + 2;
    i[5] = base + 3;
  }
}

void gxtkGraphics::mark() { gc_mark_q(primSurf); }

int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }

int gxtkGraphics::BeginRender() {
  VgGame::WindowSize(&width, &height);
  vgGl.Viewport(0, 0, width, height);

  vgGl.MatrixMode(GL_PROJECTION);
  vgGl.LoadIdentity();
  vgGl.Ortho(0, width, height, 0, -1, 1);
  vgGl.MatrixMode(GL_MODELVIEW);
  vgGl.LoadIdentity();

  vgGl.EnableClientState(GL_VERTEX_ARRAY);
  vgGl.VertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].x);
  vgGl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
  vgGl.TexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].u);
  vgGl.EnableClientState(GL_COLOR_ARRAY);
  vgGl.ColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &vertices[0].color);

  vgGl.Enable(GL_BLEND);
  vgGl.BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  blendMode = 0;
  vgGl.Disable(GL_TEXTURE_2D);

  primCount = 0;
  return 1;
}

void gxtkGraphics::EndRender() {
  Flush();
  VgGame::SwapBuffers();
}

void gxtkGraphics::DiscardGraphics() {}

int gxtkGraphics::Cls(float cr, float cg, float cb) {
  primCount = 0;
  vgGl.ClearColor(cr / 255.0f, cg / 255.0f, cb / 255.0f, 1);
  vgGl.Clear(GL_COLOR_BUFFER_BIT);
  return 0;
}

int gxtkGraphics::SetAlpha(float a) {
  alpha = a;
  color = ChannelByte(alpha * 255) << 24 | ChannelByte(b * alpha) << 16 |
          ChannelByte(g * alpha) << 8 | ChannelByte(r * alpha);
  return 0;
}

int gxtkGraphics::SetColor(float cr, float cg, float cb) {
  r = cr;
  g = cg;
  b = cb;
  return SetAlpha(alpha);
}

int gxtkGraphics::SetBlend(int blend) {
  // The mode already in force changes nothing on screen, so the batch goes on: the game sets
  // the blend mode before every record it replays, and a flush there would cost a draw call
  // per record.
  int mode = blend == 1 ? 1 : 0;
  if (mode == blendMode) return 0;
  Flush();
  blendMode = mode;
  if (mode == 1) {
    vgGl.BlendFunc(GL_ONE, GL_ONE);
  } else {
    vgGl.BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  }
  return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
  Flush();
  if (x == 0 && y == 0 && w == Width() && h == Height()) {
    vgGl.Disable(GL_SCISSOR_TEST);
  } else {
    vgGl.Enable(GL_SCISSOR_TEST);
    vgGl.Scissor(x, Height() - y - h, w, h);
  }
  return 0;
}

int gxtkGraphics::SetMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty) {
  ix = mix;
  iy = miy;
  jx = mjx;
  jy = mjy;
  tx = mtx;
  ty = mty;
  tformed = ix != 1 || iy != 0 || jx != 0 || jy != 1 || tx != 0 || ty != 0;
  return 0;
}

gxtkGraphics::Vertex* gxtkGraphics::Begin(int type, int count, gxtkSurface* surf,
                                           bool opaque) {
  if (primType == type && primSurf == surf && primOpaque == opaque &&
      primCount + count <= kMaxVertices) {
    Vertex* v = &vertices[primCount];
    primCount += count;
    return v;
  }
  if (primCount) Flush();
  primType = type;
  primSurf = surf;
  primOpaque = opaque;
  primCount = count;
  return vertices;
}

bool gxtkGraphics::Opaque(float x, float y, float w, float h, gxtkSurface* surf, int srcx,
                          int srcy) {
  // A software renderer reads and mixes every pixel it blends; below about 128 x 128 pixels
  // that saving is smaller than the cost of a batch of its own.
  constexpr float kLeastArea = 16384;
  if (blendMode != 0 || color >> 24 != 255 || iy != 0 || jx != 0) return false;
  float left = x * ix + tx, right = (x + w) * ix + tx;
  float top = y * jy + ty, bottom = (y + h) * jy + ty;
  float x0 = std::min(left, right), x1 = std::max(left, right);
  float y0 = std::min(top, bottom), y1 = std::max(top, bottom);
  float seenW = std::min(x1, static_cast<float>(width)) - std::max(x0, 0.0f);
  float seenH = std::min(y1, static_cast<float>(height)) - std::max(y0, 0.0f);
  if (!(seenW > 0 && seenH > 0 && seenW * seenH >= kLeastArea)) return false;
  if (!surf) return true;
  // A pixel centre lying on an edge inside the window may sample the texel just beyond it, so
  // those texels must be opaque too; an edge outside the window has no pixel on it.
  auto onScreen = [](float edge, int extent) { return edge > -1 && edge < extent + 1; };
  int l = onScreen(left, width), r = onScreen(right, width);
  int t = onScreen(top, height), b = onScreen(bottom, height);
  int sw = static_cast<int>(w), sh = static_cast<int>(h);
  // Beyond the image's right or bottom side lies a power-of-two texture's unused corner.
  bool padded = surf->uscale * surf->width != 1 || surf->vscale * surf->height != 1;
  if (padded && ((r && srcx + sw >= surf->width) || (b && srcy + sh >= surf->height))) {
    return false;
  }
  return surf->OpaqueRect(srcx - l, srcy - t, sw + l + r, sh + t + b);
}

void gxtkGraphics::Flush() {
  if (!primCount) return;
  if (primSurf) {
    vgGl.Enable(GL_TEXTURE_2D);
    primSurf->Bind();
  }
  if (primOpaque) vgGl.Disable(GL_BLEND);
  switch (primType) {
    case 1:
      vgGl.DrawArrays(GL_POINTS, 0, primCount);
      break;
    case 2:
      vgGl.DrawArrays(GL_LINES, 0, primCount);
      break;
    case 3:
      vgGl.DrawArrays(GL_TRIANGLES, 0, primCount);
      break;
    case 4:
      vgGl.DrawElements(GL_TRIANGLES, primCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices);
      break;
    default:
      for (int first = 0; first < primCount; first += primType) {
        vgGl.DrawArrays(GL_TRIANGLE_FAN, first, primType);
      }
      break;
  }
  if (primSurf) vgGl.Disable(GL_TEXTURE_2D);
  if (primOpaque) vgGl.Enable(GL_BLEND);
  primCount = 0;
}

void gxtkGraphics::Emit(Vertex* v, float x, float y) {
  if (tformed) {
    v->x = x * ix + y * jx + tx;
    v->y = x * iy + y * jy + ty;
  } else {
    v->x = x;
    v->y = y;
  }
  v->color = color;
}

void gxtkGraphics::Emit(Vertex* v, float x, float y, float u, float w) {
  Emit(v, x, y);
  v->u = u;
  v->v = w;
}

int gxtkGraphics::DrawPoint(float x, float y) {
  if (Invisible()) return 0;
  Emit(Begin(1, 1, nullptr), x, y);
  return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
  if (Invisible()) return 0;
  Vertex* v = Begin(2, 2, nullptr);
  Emit(v, x1, y1);
  Emit(v + 1, x2, y2);
  return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
  if (Invisible()) return 0;
  Vertex* v = Begin(4, 4, nullptr, Opaque(x, y, w, h));
  Emit(v, x, y);
  Emit(v + 1, x + w, y);
  Emit(v + 2, x + w, y + h);
  Emit(v + 3, x, y + h);
  return 0;
}

int gxtkGraphics::OvalSegments(float w, float h) const {
  double xr = w * 0.5f;
  double yr = h * 0.5f;
  double n;
  if (tformed) {
    n = std::trunc(std::sqrt((ix * xr) * (ix * xr) + (iy * xr) * (iy * xr)) +
                   std::sqrt((jx * yr) * (jx * yr) + (jy * yr) * (jy * yr)));
  } else {
    n = std::fabs(std::trunc(xr)) + std::fabs(std::trunc(yr));
  }
  // Tested in double so that huge or undefined sizes never reach an int conversion.
  if (!(n > 11)) return 12;
  if (n > kMaxVertices) return kMaxVertices;
  return static_cast<int>(n) & ~3;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
  if (Invisible()) return 0;
  float xr = w * 0.5f;
  float yr = h * 0.5f;
  int n = OvalSegments(w, h);
  Vertex* v = Begin(n, n, nullptr);
  for (int i = 0; i < n; ++i) {
    float th = i * 6.2831855f / n;
    Emit(v + i, x + xr + std::cos(th) * xr, y + yr - std::sin(th) * yr);
  }
  return 0;
}

int gxtkGraphics::DrawPoly(Array<float> verts) {
  int n = verts.Length() / 2;
  if (n < 1 || n > kMaxVertices || Invisible()) return 0;
  Vertex* v = Begin(n, n, nullptr);
  for (int i = 0; i < n; ++i) Emit(v + i, verts[i * 2], verts[i * 2 + 1]);
  return 0;
}

int gxtkGraphics::DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcx, int srcy) {
  int n = verts.Length() / 4;
  if (n < 1 || n > kMaxVertices || !surface || Invisible()) return 0;
  if (surface->seq != VgGame::GraphicsSeq()) surface->Bind();
  Vertex* v = Begin(n, n, surface);
  for (int i = 0; i < n; ++i) {
    const float* p = &verts[i * 4];
    Emit(v + i, p[0], p[1], (p[2] + srcx) * surface->uscale, (p[3] + srcy) * surface->vscale);
  }
  return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
  if (!surface || Invisible()) return 0;
  // A texture about to be re-created in a new context may get another size, so its scales
  // are settled before they go into the vertices.
  if (surface->seq != VgGame::GraphicsSeq()) surface->Bind();
  float w = static_cast<float>(surface->Width());
  float h = static_cast<float>(surface->Height());
  float u = w * surface->uscale;
  float t = h * surface->vscale;
  Vertex* v = Begin(4, 4, surface, Opaque(x, y, w, h, surface));
  Emit(v, x, y, 0, 0);
  Emit(v + 1, x + w, y, u, 0);
  Emit(v + 2, x + w, y + h, u, t);
  Emit(v + 3, x, y + h, 0, t);
  return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy,
                               int srcw, int srch) {
  if (!surface || Invisible()) return 0;
  if (surface->seq != VgGame::GraphicsSeq()) surface->Bind();
  float w = static_cast<float>(srcw);
  float h = static_cast<float>(srch);
  float u0 = srcx * surface->uscale;
  float u1 = (srcx + srcw) * surface->uscale;
  float v0 = srcy * surface->vscale;
  float v1 = (srcy + srch) * surface->vscale;
  Vertex* v = Begin(4, 4, surface, Opaque(x, y, w, h, surface, srcx, srcy));
  Emit(v, x, y, u0, v0);
  Emit(v + 1, x + w, y, u1, v0);
  Emit(v + 2, x + w, y + h, u1, v1);
  Emit(v + 3, x, y + h, u0, v1);
  return 0;
}

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset,
                             int pitch) {
  Flush();
  if (w <= 0 || h <= 0) return 0;
  if (!RowsFit(pixels.Length(), offset, pitch, w, h)) vgError("Array index out of range");
  std::vector<unsigned int> tmp(static_cast<size_t>(w) * h);
  vgGl.ReadPixels(x, Height() - y - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, tmp.data());
  // GL rows run bottom-up; the caller's array runs top-down.
  for (int i = 0; i < h; ++i) {
    const unsigned int* src = &tmp[static_cast<size_t>(h - 1 - i) * w];
    int* dst = &pixels[offset + i * pitch];
    for (int j = 0; j < w; ++j) dst[j] = static_cast<int>(src[j]);
  }
  return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w,
                               int h, int offset, int pitch) {
  Flush();
  if (!surface || w <= 0 || h <= 0) return 0;
  if (!RowsFit(pixels.Length(), offset, pitch, w, h)) vgError("Array index out of range");
  surface->SetSubData(x, y, w, h, reinterpret_cast<const unsigned int*>(&pixels[offset]), pitch);
  return 0;
}

bool gxtkGraphics::HoldsWindow(const gxtkSurface* surface) const {
  return surface && surface->seq == VgGame::GraphicsSeq() && surface->width >= width &&
         surface->height >= height;
}

bool gxtkGraphics::CopyWindowTo(gxtkSurface* surface) {
  Flush();
  if (!HoldsWindow(surface)) return false;
  // An embedded GL (a page's WebGL) refuses to copy a window without alpha into an RGBA
  // texture; the copy is then not to be drawn, and is not tried again in this context.
  if (copyRefusedSeq_ == surface->seq) return false;
  vgGl.BindTexture(GL_TEXTURE_2D, surface->texture);
  vgGl.CopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
  if (vgGl.GetError() == GL_NO_ERROR) return true;
  copyRefusedSeq_ = surface->seq;
  return false;
}

bool gxtkGraphics::BlitWindowCopy(gxtkSurface* surface) {
  if (!vgGl.BlitFramebuffer || !HoldsWindow(surface)) return false;
  int seq = VgGame::GraphicsSeq();
  if (blitSeq_ != seq) {
    // A new context: the old framebuffer's name went with the old one.
    blitSeq_ = seq;
    copyFramebuffer_ = 0;
    const char* version = reinterpret_cast<const char*>(vgGl.GetString(GL_VERSION));
    canBlit_ = version && std::atoi(version) >= 3;
  }
  if (!canBlit_) return false;
  Flush();
  if (!copyFramebuffer_) vgGl.GenFramebuffers(1, &copyFramebuffer_);
  vgGl.BindFramebuffer(GL_READ_FRAMEBUFFER, copyFramebuffer_);
  // Attached each time: a texture name freed and handed out again is another texture.
  vgGl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                            surface->texture, 0);
  bool complete = vgGl.CheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    vgGl.BlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                         GL_NEAREST);
  }
  vgGl.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  // Once refused, the quad serves this context from then on.
  canBlit_ = complete && vgGl.GetError() == GL_NO_ERROR;
  return canBlit_;
}

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
  gxtkSurface* surf = new gxtkSurface();
  if (!LoadSurface__UNSAFE__(surf, path)) return nullptr;
  surf->Bind();
  return surf;
}

gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
  VgGame* host = VgGame::_game;
  if (!host) return nullptr;
  int w = 0, h = 0, depth = 0;
  unsigned char* data = host->LoadImageData(path, &w, &h, &depth);
  if (!data) return nullptr;
  surface->SetData(data, w, h, depth);
  return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
  gxtkSurface* surf = new gxtkSurface();
  surf->width = w;
  surf->height = h;
  surf->depth = 4;
  surf->format = GL_RGBA;
  surf->Bind();
  return surf;
}
