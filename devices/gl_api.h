// The one seam between the graphics device and OpenGL: a table of the GL 1.1 entry points the
// device uses. The program binds it to libGL (vgGlBindSystem); tests bind a recorder instead.
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
};

// The table every device call goes through. Starts bound to libGL.
extern VgGlApi vgGl;

// Rebinds the table to the system's libGL (what the program uses).
void vgGlBindSystem();
