// Graphics module: images cut into frames with handles and padding, the current colour,
// blend, scissor and 2D matrix with its push/pop stack, all forwarded to the graphics
// device. Game code draws through these functions between vg_graphics_BeginRender/EndRender.
#pragma once
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

class gxtkGraphics;
class gxtkSurface;

// Top-left pixel of one frame within its image's surface.
class c_Frame : public Object {
 public:
  int m_x = 0;
  int m_y = 0;

  c_Frame* m_new(int x, int y);
  c_Frame* m_new() { return this; }
};

class c_Image : public Object {
 public:
  // MidHandle is applied at creation and never kept in m_flags.
  static constexpr int MidHandle = 1;
  static constexpr int XPadding = 2;
  static constexpr int YPadding = 4;
  static constexpr int XYPadding = 6;
  // Set by this module only: one frame covering the whole surface, drawn with DrawSurface.
  static constexpr int FullFrame = 65536;

  static int m_DefaultFlags;

  gxtkSurface* m_surface = nullptr;
  int m_width = 0;
  int m_height = 0;
  Array<c_Frame*> m_frames;
  int m_flags = 0;
  float m_tx = 0;
  float m_ty = 0;
  c_Image* m_source = nullptr;

  c_Image* m_new() { return this; }
  // Frames side by side across the whole surface.
  c_Image* p_Init(gxtkSurface* surface, int frameCount, int flags);
  // Frames of iwidth x iheight in rows, within the (srcx, srcy, srcw, srch) part of src's
  // surface; "Image frame outside surface" when they do not fit.
  c_Image* p_Init2(gxtkSurface* surface, int x, int y, int iwidth, int iheight, int frameCount,
                   int flags, c_Image* src, int srcx, int srcy, int srcw, int srch);
  int p_ApplyFlags(int flags);
  int p_SetHandle(float tx, float ty);

  int p_Width() const { return m_width; }
  int p_Height() const { return m_height; }
  int p_Frames() const { return m_frames.Length(); }

  void mark() override;
};

class c_GraphicsContext : public Object {
 public:
  static constexpr int kMatrixStackFloats = 192;  // 32 matrices of 6 floats

  c_Image* m_defaultFont = nullptr;
  c_Image* m_font = nullptr;
  int m_firstChar = 0;
  int m_matrixSp = 0;
  float m_ix = 1, m_iy = 0, m_jx = 0, m_jy = 1, m_tx = 0, m_ty = 0;
  int m_tformed = 0;
  int m_matDirty = 0;
  float m_color_r = 0, m_color_g = 0, m_color_b = 0;
  float m_alpha = 0;
  int m_blend = 0;
  float m_scissor_x = 0, m_scissor_y = 0, m_scissor_w = 0, m_scissor_h = 0;
  Array<float> m_matrixStack;
  // The window's pixels as vg_graphics_CopyWindow last kept them, or null.
  gxtkSurface* m_windowCopy = nullptr;

  c_GraphicsContext* m_new();
  // Sends the matrix to the render device if it changed since it was last sent.
  int p_Validate();

  void mark() override;
};

extern gxtkGraphics* vg_graphics_device;
extern gxtkGraphics* vg_graphics_renderDevice;
extern c_GraphicsContext* vg_graphics_context;

int vg_graphics_SetGraphicsDevice(gxtkGraphics* device);

c_Image* vg_graphics_LoadImage(String path, int frameCount = 1, int flags = c_Image::m_DefaultFlags);
c_Image* vg_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags = c_Image::m_DefaultFlags);

int vg_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int vg_graphics_SetMatrix2(Array<float> m);
// Post-multiplies the current matrix.
int vg_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty);
int vg_graphics_Transform2(Array<float> m);
int vg_graphics_Translate(float x, float y);
int vg_graphics_Scale(float x, float y);
// Degrees; with y pointing down a positive angle turns the picture counter-clockwise.
int vg_graphics_Rotate(float angle);
// 32 levels; one more push, or a pop of an empty stack, is a fatal error.
int vg_graphics_PushMatrix();
int vg_graphics_PopMatrix();

int vg_graphics_SetColor(float r, float g, float b);
int vg_graphics_SetAlpha(float alpha);
int vg_graphics_SetBlend(int blend);
int vg_graphics_SetScissor(float x, float y, float w, float h);
// A null font selects the default font "vunk_font.png" (96 frames, XPadding, first char 32).
int vg_graphics_SetFont(c_Image* font, int firstChar = 32);
int vg_graphics_DeviceWidth();
int vg_graphics_DeviceHeight();

int vg_graphics_BeginRender();
int vg_graphics_EndRender();

int vg_graphics_Cls(float r = 0, float g = 0, float b = 0);
int vg_graphics_DrawRect(float x, float y, float w, float h);
int vg_graphics_DrawLine(float x1, float y1, float x2, float y2);
// Centre and radii.
int vg_graphics_DrawEllipse(float x, float y, float xr, float yr);
// The image's handle lands on (x, y). A frame index outside the image is a fatal error.
int vg_graphics_DrawImage(c_Image* image, float x, float y, int frame = 0);
// Rotated (degrees) and scaled around the handle, which lands on (x, y).
int vg_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame = 0);
// Keeps a copy of the window's pixels as drawn so far in this frame (drawing what is pending
// first), for vg_graphics_DrawWindowCopy to put back in a later frame instead of drawing the
// same picture again. False when the device cannot copy.
bool vg_graphics_CopyWindow();
// Covers the whole window with the kept copy, pixel for pixel; false, drawing nothing, when no
// copy of a window of this size in this GL context is kept.
bool vg_graphics_DrawWindowCopy();
// Whether the window goes on showing its last picture through a render that draws nothing (a
// page's canvas), so a picture the same as the last one need not be drawn at all.
bool vg_graphics_KeepsLastPicture();
// Whether every pixel of the frame is opaque (false for no image or a frame it lacks): drawn
// with alpha 1 and blend mode 0 it hides whatever it covers.
bool vg_graphics_FrameOpaque(c_Image* image, int frame);
// Pixels as 0xAARRGGBB, rows pitch ints apart from offset; pitch 0 means w.
int vg_graphics_ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset = 0,
                           int pitch = 0);
