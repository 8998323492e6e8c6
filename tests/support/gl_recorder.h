// A stand-in for libGL behind the graphics device's call table: records every call with its
// arguments and hands out texture names, so tests count draw calls and state changes without
// a GL context. One recorder is active at a time.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct GlCall {
  std::string name;          // the entry point without its "gl" prefix, e.g. "DrawElements"
  std::vector<double> args;  // numeric arguments in order; pointers are left out
};

class GlRecorder {
 public:
  // Binds the device's call table to this recorder; the destructor binds libGL again.
  GlRecorder();
  ~GlRecorder();
  GlRecorder(const GlRecorder&) = delete;
  GlRecorder& operator=(const GlRecorder&) = delete;

  std::vector<GlCall> calls;

  // Like an old driver: glTexImage2D with a side that is not a power of two raises
  // GL_INVALID_VALUE, reported by the next glGetError.
  bool rejectNonPowerOfTwo = false;
  // Like WebGL with a window without alpha: glCopyTexSubImage2D raises GL_INVALID_OPERATION.
  bool rejectWindowCopy = false;
  // What glGetString(GL_VERSION) answers: below 3.0 a driver has no framebuffer blit.
  std::string version = "2.1 recorder";
  // Fills glReadPixels' buffer (x, y, w, h as passed, bytes BGRA); zeros when empty.
  std::function<void(int x, int y, int w, int h, unsigned char* out)> readPixels;

  int Count(const std::string& name) const;
  int DrawCalls() const;  // glDrawArrays and glDrawElements together
  const GlCall* Last(const std::string& name) const;  // or null
  // Names of textures generated and not deleted.
  const std::vector<unsigned int>& LiveTextures() const { return live_; }
  void Clear() { calls.clear(); }

 private:
  friend struct GlRecorderHooks;
  unsigned int nextTexture_ = 1;
  unsigned int pendingError_ = 0;
  std::vector<unsigned int> live_;
};
