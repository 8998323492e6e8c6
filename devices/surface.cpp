// gxtkSurface: an image that keeps its premultiplied pixels for its whole life, so its
// texture can be made lazily in every new GL context (Bind), and can be written into
// (SetSubData). Created by gxtkGraphics; held by the graphics module's images.
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "host/game.h"

namespace {

unsigned int FormatOfDepth(int depth) {
  switch (depth) {
    case 1:
      return GL_LUMINANCE;
    case 2:
      return GL_LUMINANCE_ALPHA;
    case 3:
      return GL_RGB;
    default:
      return GL_RGBA;
  }
}

// Moves what a surface reports to the collector for one of its blocks to a new size.
void Report(int& held, long long bytes) {
  gc_external_free(held);
  held = static_cast<int>(bytes);
  gc_external_alloc(held);
}

int NextPowerOfTwo(int n) {
  int p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

}  // namespace

gxtkSurface::gxtkSurface() {}

gxtkSurface::~gxtkSurface() { Discard(); }

int gxtkSurface::Discard() {
  if (seq == VgGame::GraphicsSeq()) {
    vgGl.DeleteTextures(1, &texture);
    seq = -1;
  }
  std::free(data);
  data = nullptr;
  opaqueRect[2] = -1;
  Report(pixelBytes, 0);
  Report(textureBytes, 0);
  return 0;
}

int gxtkSurface::Width() { return width; }
int gxtkSurface::Height() { return height; }
bool gxtkSurface::Loaded() { return true; }

bool gxtkSurface::OnUnsafeLoadComplete() {
  Bind();
  return true;
}

void gxtkSurface::SetData(unsigned char* pixels, int w, int h, int d) {
  opaqueRect[2] = -1;
  if (data != pixels) std::free(data);
  data = pixels;
  width = w;
  height = h;
  depth = d;
  format = FormatOfDepth(d);
  size_t n = static_cast<size_t>(w) * h;
  Report(pixelBytes, data ? static_cast<long long>(n) * d : 0);
  unsigned char* p = data;
  if (d == 2) {
    for (size_t i = 0; i < n; ++i, p += 2) p[0] = static_cast<unsigned char>(p[0] * p[1] / 255);
  } else if (d == 4) {
    for (size_t i = 0; i < n; ++i, p += 4) {
      unsigned a = p[3];
      p[0] = static_cast<unsigned char>(p[0] * a / 255);
      p[1] = static_cast<unsigned char>(p[1] * a / 255);
      p[2] = static_cast<unsigned char>(p[2] * a / 255);
    }
  }
}

void gxtkSurface::SetSubData(int x, int y, int w, int h, const unsigned int* src, int pitch) {
  if (format != GL_RGBA) return;
  // A rectangle reaching outside the image would write past the pixel block.
  if (x < 0 || y < 0 || w <= 0 || h <= 0 || x > width - w || y > height - h) return;
  opaqueRect[2] = -1;
  if (!data) {
    data = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(width) * height, 4));
    if (!data) return;
    Report(pixelBytes, static_cast<long long>(width) * height * 4);
  }

  for (int row = 0; row < h; ++row) {
    const unsigned int* s = src + static_cast<long long>(row) * pitch;
    unsigned char* d = data + (static_cast<size_t>(y + row) * width + x) * 4;
    for (int col = 0; col < w; ++col, d += 4) {
      unsigned int argb = s[col];
      unsigned int a = argb >> 24;
      d[0] = static_cast<unsigned char>(((argb >> 16) & 255) * a / 255);
      d[1] = static_cast<unsigned char>(((argb >> 8) & 255) * a / 255);
      d[2] = static_cast<unsigned char>((argb & 255) * a / 255);
      d[3] = static_cast<unsigned char>(a);
    }
  }

  if (seq != VgGame::GraphicsSeq()) return;
  vgGl.BindTexture(GL_TEXTURE_2D, texture);
  vgGl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const unsigned char* first = data + (static_cast<size_t>(y) * width + x) * 4;
  if (w == width) {
    vgGl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, format, GL_UNSIGNED_BYTE, first);
  } else {
    for (int row = 0; row < h; ++row) {
      vgGl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y + row, w, 1, format, GL_UNSIGNED_BYTE,
                         first + static_cast<size_t>(row) * width * 4);
    }
  }
}

void gxtkSurface::Bind() {
  if (VgGame::GraphicsSeq() == 0) return;
  if (seq == VgGame::GraphicsSeq()) {
    vgGl.BindTexture(GL_TEXTURE_2D, texture);
    return;
  }
  seq = VgGame::GraphicsSeq();
  vgGl.GenTextures(1, &texture);
  vgGl.BindTexture(GL_TEXTURE_2D, texture);
  vgGl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  vgGl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  vgGl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  vgGl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  int texw = width;
  int texh = height;
  vgGl.TexImage2D(GL_TEXTURE_2D, 0, static_cast<int>(format), texw, texh, 0, format,
                  GL_UNSIGNED_BYTE, nullptr);
  if (vgGl.GetError() != GL_NO_ERROR) {
    // Older drivers take only power-of-two sides; the image then fills the texture's corner.
    texw = NextPowerOfTwo(width);
    texh = NextPowerOfTwo(height);
    vgGl.TexImage2D(GL_TEXTURE_2D, 0, static_cast<int>(format), texw, texh, 0, format,
                    GL_UNSIGNED_BYTE, nullptr);
  }
  uscale = 1.0f / texw;
  vscale = 1.0f / texh;
  // A texture of an earlier context went with that context; this one replaces it.
  Report(textureBytes, static_cast<long long>(texw) * texh * 4);

  if (data) {
    vgGl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    vgGl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
  }
}

bool gxtkSurface::HasTexture() const { return seq == VgGame::GraphicsSeq() && seq != 0; }

bool gxtkSurface::OpaqueRect(int x, int y, int w, int h) {
  if (depth == 1 || depth == 3) return data != nullptr;
  if (!data || (depth != 2 && depth != 4)) return false;
  if (x < 0) w += x, x = 0;
  if (y < 0) h += y, y = 0;
  if (w > width - x) w = width - x;
  if (h > height - y) h = height - y;
  if (w <= 0 || h <= 0) return false;
  const int asked[4] = {x, y, w, h};
  if (std::equal(asked, asked + 4, opaqueRect)) return opaqueRectIs;
  // A large background is asked about every frame, so the last answer is kept; a scan that
  // meets a pixel that is not opaque stops there.
  bool opaque = true;
  for (int row = y; row < y + h && opaque; ++row) {
    const unsigned char* a = data + (static_cast<size_t>(row) * width + x) * depth + depth - 1;
    for (int col = 0; col < w; ++col, a += depth) {
      if (*a != 255) {
        opaque = false;
        break;
      }
    }
  }
  std::copy(asked, asked + 4, opaqueRect);
  opaqueRectIs = opaque;
  return opaque;
}
