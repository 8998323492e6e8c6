// The graphics device: batches 2D points, lines, rectangles, ovals, polygons and textured
// quads into client-side vertex arrays and draws them through the GL seam, and gxtkSurface,
// an image that keeps its pixels and makes its texture lazily in each new GL context.
// Created by the application framework; drawn through by the graphics module.
#pragma once
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

class gxtkSurface;

class gxtkGraphics : public Object {
 public:
  enum { kMaxVertices = 1024, kMaxQuads = kMaxVertices / 4 };

  // 20 bytes: position, texture coordinate and the packed colour, bytes R, G, B, A.
  struct Vertex {
    float x, y, u, v;
    unsigned int color;
  };

  int width = 0;
  int height = 0;

  unsigned int color = 0;
  float r = 0, g = 0, b = 0, alpha = 0;

  float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
  bool tformed = false;

  // The blend mode GL has now (0 premultiplied alpha, 1 additive); -1 until BeginRender.
  int blendMode = -1;

  Vertex vertices[kMaxVertices];
  unsigned short quadIndices[kMaxQuads * 6];

  int primType = 0;
  int primCount = 0;
  gxtkSurface* primSurf = nullptr;
  // The pending batch covers what is under it completely, so it is drawn with blending off:
  // the same pixels (an opaque source replaces the destination either way) for less work.
  bool primOpaque = false;

  gxtkGraphics();

  void mark() override;

  virtual int Width();
  virtual int Height();

  virtual int BeginRender();
  virtual void EndRender();
  virtual void DiscardGraphics();

  virtual gxtkSurface* LoadSurface(String path);
  // Unsafe for the texture: it only fills the surface from the decoded file and makes no GL
  // call, so a loader thread may run it; the texture is made on the main thread (LoadSurface,
  // or the surface's first Bind).
  virtual gxtkSurface* LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
  virtual gxtkSurface* CreateSurface(int width, int height);

  virtual int Cls(float r, float g, float b);
  virtual int SetAlpha(float alpha);
  virtual int SetColor(float r, float g, float b);
  virtual int SetBlend(int blend);
  virtual int SetScissor(int x, int y, int w, int h);
  virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);

  virtual int DrawPoint(float x, float y);
  virtual int DrawRect(float x, float y, float w, float h);
  virtual int DrawLine(float x1, float y1, float x2, float y2);
  virtual int DrawOval(float x, float y, float w, float h);
  virtual int DrawPoly(Array<float> verts);
  virtual int DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcx, int srcy);
  virtual int DrawSurface(gxtkSurface* surface, float x, float y);
  virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw,
                           int srch);

  // pixels receives 0xAARRGGBB ints, top row first: row i at offset + i * pitch.
  virtual int ReadPixels(Array<int> pixels, int x, int y, int width, int height, int offset,
                         int pitch);
  virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int width,
                           int height, int offset, int pitch);

  // The oval's vertex count for the current matrix (also the batch kind of DrawOval).
  int OvalSegments(float w, float h) const;

  // Copies the window's pixels, after drawing what is pending, into the texture of surface (made
  // by CreateSurface at least as large as the window). Rows land bottom row first. False when
  // the surface has no texture in the current context or GL refused the copy.
  bool CopyWindowTo(gxtkSurface* surface);
  // Puts such a copy back over the whole window by a framebuffer blit, a plain copy of rows,
  // where the GL has one (3.0 and later); a textured quad costs a texel fetch per pixel, which
  // on a software renderer is most of a frame. False when the blit is not available or GL
  // refused it: the caller draws the copy as a quad instead.
  bool BlitWindowCopy(gxtkSurface* surface);

  // Starts or extends the pending batch; returns where the n new vertices go.
  Vertex* Begin(int type, int count, gxtkSurface* surf, bool opaque = false);
  void Flush();

 private:
  void Emit(Vertex* v, float x, float y);
  void Emit(Vertex* v, float x, float y, float u, float w);
  // Whether the w x h rectangle at (x, y), before the matrix, is large enough on screen and
  // written opaquely (alpha 1, blend mode 0) to be worth a batch drawn without blending. For
  // a textured one, surf's texels from (srcx, srcy) must all be opaque too.
  bool Opaque(float x, float y, float w, float h, gxtkSurface* surf = nullptr, int srcx = 0,
              int srcy = 0);
  // Nothing the current colour draws shows: premultiplied zero adds nothing in either mode.
  bool Invisible() const { return color == 0; }
  // Whether surface has a texture of this context at least as large as the window.
  bool HoldsWindow(const gxtkSurface* surface) const;

  // BlitWindowCopy's framebuffer, and whether this context can blit, asked once per context.
  int blitSeq_ = -1;
  int copyRefusedSeq_ = -1;  // the context that refused CopyWindowTo, if any
  bool canBlit_ = false;
  unsigned int copyFramebuffer_ = 0;
};

class gxtkSurface : public Object {
 public:
  unsigned char* data = nullptr;  // owned, malloc'd; premultiplied pixels
  int width = 0;
  int height = 0;
  int depth = 0;
  unsigned int format = 0;  // GL_LUMINANCE .. GL_RGBA
  int seq = -1;             // the VgGame::GraphicsSeq the texture was made in; -1 none
  unsigned int texture = 0;
  float uscale = 0;
  float vscale = 0;
  // Bytes of the pixel block and of the texture, reported to the collector as held outside
  // its heap so that a replaced image's memory goes back in good time.
  int pixelBytes = 0;
  int textureBytes = 0;

  gxtkSurface();
  ~gxtkSurface() override;

  virtual int Discard();
  virtual int Width();
  virtual int Height();
  virtual bool Loaded();
  virtual bool OnUnsafeLoadComplete();

  // Takes ownership of data (malloc'd, width * height * depth bytes) and premultiplies it.
  void SetData(unsigned char* data, int width, int height, int depth);
  // src holds 0xAARRGGBB ints, rows pitch ints apart.
  void SetSubData(int x, int y, int w, int h, const unsigned int* src, int pitch);
  void Bind();

  // Whether every pixel of the rectangle (clipped to the image) has alpha 255. Images without
  // alpha always are; the last rectangle asked about is remembered until the pixels change.
  bool OpaqueRect(int x, int y, int w, int h);
  // Whether the texture exists in the current GL context.
  bool HasTexture() const;

 private:
  int opaqueRect[4] = {0, 0, -1, -1};
  bool opaqueRectIs = false;
};
