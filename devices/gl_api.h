// The one seam between the graphics device and OpenGL: a table of the GL 1.1 entry points the
// device uses, and GL 3.0's framebuffer blit. The program binds it to libGL (vgGlBindSystem);
// tests bind a recorder instead.
// Only devices/ code calls through it; the types mirror GL's own so no GL header is needed here.
#pragma once

struct VgGlApi {
  void (*Viewport)(int x, int y, int width, int height);
  void (*MatrixMode)(unsigned int mode);
  void (*LoadIdentity)();
  void (*Ortho)(double left, double right, double bottom, double top, double znear, double zfar);
  void (*EnableClientState)(unsigned int array);
  void (*VertexPointer)(int size, unsigned int type, int stride, const void* pointer);
  void (*TexCoordPointer)(int size, unsigned int type, int stride, const void* pointer);
  void (*ColorPointer)(int size, unsigned int type, int stride, const void* pointer);
  void (*Enable)(unsigned int cap);
  void (*Disable)(unsigned int cap);
  void (*BlendFunc)(unsigned int sfactor, unsigned int dfactor);
  void (*Scissor)(int x, int y, int width, int height);
  void (*ClearColor)(float r, float g, float b, float a);
  void (*Clear)(unsigned int mask);
  void (*DrawArrays)(unsigned int mode, int first, int count);
  void (*DrawElements)(unsigned int mode, int count, unsigned int type, const void* indices);
  void (*GenTextures)(int n, unsigned int* textures);
  void (*DeleteTextures)(int n, const unsigned int* textures);
  void (*BindTexture)(unsigned int target, unsigned int texture);
  void (*TexParameteri)(unsigned int target, unsigned int pname, int param);
  void (*TexImage2D)(unsigned int target, int level, int internalformat, int width, int height,
                     int border, unsigned int format, unsigned int type, const void* pixels);
  void (*TexSubImage2D)(unsigned int target, int level, int xoffset, int yoffset, int width,
                        int height, unsigned int format, unsigned int type, const void* pixels);
  void (*PixelStorei)(unsigned int pname, int param);
  unsigned int (*GetError)();
  void (*ReadPixels)(int x, int y, int width, int height, unsigned int format, unsigned int type,
                     void* pixels);
  void (*CopyTexSubImage2D)(unsigned int target, int level, int xoffset, int yoffset, int x, int y,
                            int width, int height);
  const unsigned char* (*GetString)(unsigned int name);
  // GL 3.0's framebuffer blit and what it needs; null where the GL has none (the page's).
  void (*GenFramebuffers)(int n, unsigned int* framebuffers);
  void (*BindFramebuffer)(unsigned int target, unsigned int framebuffer);
  void (*FramebufferTexture2D)(unsigned int target, unsigned int attachment, unsigned int textarget,
                               unsigned int texture, int level);
  unsigned int (*CheckFramebufferStatus)(unsigned int target);
  void (*BlitFramebuffer)(int srcX0, int srcY0, int srcX1, int srcY1, int dstX0, int dstY0,
                          int dstX1, int dstY1, unsigned int mask, unsigned int filter);
};

// The table every device call goes through. Starts bound to libGL.
extern VgGlApi vgGl;

// Rebinds the table to the system's libGL (what the program uses).
void vgGlBindSystem();
