// Binds the GL call table to the system's libGL. The table's plain C types must match GL's
// typedefs exactly, which the static_asserts check, so each entry can hold the real function.
#include "devices/gl_api.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <type_traits>

static_assert(std::is_same_v<GLenum, unsigned int> && std::is_same_v<GLint, int> &&
                  std::is_same_v<GLsizei, int> && std::is_same_v<GLuint, unsigned int> &&
                  std::is_same_v<GLfloat, float> && std::is_same_v<GLclampf, float> &&
                  std::is_same_v<GLdouble, double> && std::is_same_v<GLubyte, unsigned char> &&
                  std::is_same_v<GLbitfield, unsigned int>,
              "GL typedefs differ from the call table's types");

// constexpr so the table is filled at compile time, before any constructor could draw.
static constexpr VgGlApi SystemGl() {
  VgGlApi api{};
  api.Viewport = glViewport;
  api.MatrixMode = glMatrixMode;
  api.LoadIdentity = glLoadIdentity;
  api.Ortho = glOrtho;
  api.EnableClientState = glEnableClientState;
  api.VertexPointer = glVertexPointer;
  api.TexCoordPointer = glTexCoordPointer;
  api.ColorPointer = glColorPointer;
  api.Enable = glEnable;
  api.Disable = glDisable;
  api.BlendFunc = glBlendFunc;
  api.Scissor = glScissor;
  api.ClearColor = glClearColor;
  api.Clear = glClear;
  api.DrawArrays = glDrawArrays;
  api.DrawElements = glDrawElements;
  api.GenTextures = glGenTextures;
  api.DeleteTextures = glDeleteTextures;
  api.BindTexture = glBindTexture;
  api.TexParameteri = glTexParameteri;
  api.TexImage2D = glTexImage2D;
  api.TexSubImage2D = glTexSubImage2D;
  api.PixelStorei = glPixelStorei;
  api.GetError = glGetError;
  api.ReadPixels = glReadPixels;
  api.CopyTexSubImage2D = glCopyTexSubImage2D;
  api.GetString = glGetString;
#ifndef __EMSCRIPTEN__
  // The page's WebGL 1 has no blit; the device draws the window copy as a quad there.
  api.GenFramebuffers = glGenFramebuffers;
  api.BindFramebuffer = glBindFramebuffer;
  api.FramebufferTexture2D = glFramebufferTexture2D;
  api.CheckFramebufferStatus = glCheckFramebufferStatus;
  api.BlitFramebuffer = glBlitFramebuffer;
#endif
  return api;
}

VgGlApi vgGl = SystemGl();

void vgGlBindSystem() { vgGl = SystemGl(); }
