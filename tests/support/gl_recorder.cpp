// The recording GL table: each entry appends a GlCall to the active recorder; texture names
// and the one error a power-of-two-only driver would raise are simulated.
#include "tests/support/gl_recorder.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "devices/gl_api.h"

namespace {
GlRecorder* active = nullptr;

void Rec(const char* name, std::vector<double> args = {}) {
  if (active) active->calls.push_back(GlCall{name, std::move(args)});
}

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }
}  // namespace

struct GlRecorderHooks {
  static void Viewport(int x, int y, int w, int h) { Rec("Viewport", {double(x), double(y), double(w), double(h)}); }
  static void MatrixMode(unsigned int m) { Rec("MatrixMode", {double(m)}); }
  static void LoadIdentity() { Rec("LoadIdentity"); }
  static void Ortho(double l, double r, double b, double t, double n, double f) { Rec("Ortho", {l, r, b, t, n, f}); }
  static void EnableClientState(unsigned int a) { Rec("EnableClientState", {double(a)}); }
  static void VertexPointer(int s, unsigned int t, int st, const void*) { Rec("VertexPointer", {double(s), double(t), double(st)}); }
  static void TexCoordPointer(int s, unsigned int t, int st, const void*) { Rec("TexCoordPointer", {double(s), double(t), double(st)}); }
  static void ColorPointer(int s, unsigned int t, int st, const void*) { Rec("ColorPointer", {double(s), double(t), double(st)}); }
  static void Enable(unsigned int c) { Rec("Enable", {double(c)}); }
  static void Disable(unsigned int c) { Rec("Disable", {double(c)}); }
  static void BlendFunc(unsigned int s, unsigned int d) { Rec("BlendFunc", {double(s), double(d)}); }
  static void Scissor(int x, int y, int w, int h) { Rec("Scissor", {double(x), double(y), double(w), double(h)}); }
  static void ClearColor(float r, float g, float b, float a) { Rec("ClearColor", {r, g, b, a}); }
  static void Clear(unsigned int m) { Rec("Clear", {double(m)}); }
  static void DrawArrays(unsigned int m, int first, int count) { Rec("DrawArrays", {double(m), double(first), double(count)}); }
  static void DrawElements(unsigned int m, int count, unsigned int t, const void*) { Rec("DrawElements", {double(m), double(count), double(t)}); }
  static void GenTextures(int n, unsigned int* names) {
    for (int i = 0; i < n; ++i) {
      names[i] = active ? active->nextTexture_++ : 0;
      if (active) active->live_.push_back(names[i]);
    }
    Rec("GenTextures", {double(n)});
  }
  static void DeleteTextures(int n, const unsigned int* names) {
    Rec("DeleteTextures", std::vector<double>(names, names + n));
    for (int i = 0; i < n && active; ++i) {
      active->live_.erase(std::remove(active->live_.begin(), active->live_.end(), names[i]), active->live_.end());
    }
  }
  static void BindTexture(unsigned int t, unsigned int name) { Rec("BindTexture", {double(t), double(name)}); }
  static void TexParameteri(unsigned int t, unsigned int p, int v) { Rec("TexParameteri", {double(t), double(p), double(v)}); }
  static void TexImage2D(unsigned int t, int level, int ifmt, int w, int h, int border, unsigned int fmt, unsigned int type, const void*) {
    Rec("TexImage2D", {double(t), double(level), double(ifmt), double(w), double(h), double(border), double(fmt), double(type)});
    if (active && active->rejectNonPowerOfTwo && !(PowerOfTwo(w) && PowerOfTwo(h))) {
      active->pendingError_ = GL_INVALID_VALUE;
    }
  }
  static void TexSubImage2D(unsigned int t, int level, int x, int y, int w, int h, unsigned int fmt, unsigned int type, const void*) {
    Rec("TexSubImage2D", {double(t), double(level), double(x), double(y), double(w), double(h), double(fmt), double(type)});
  }
  static void PixelStorei(unsigned int p, int v) { Rec("PixelStorei", {double(p), double(v)}); }
  static unsigned int GetError() {
    Rec("GetError");
    return active ? std::exchange(active->pendingError_, GL_NO_ERROR) : GL_NO_ERROR;
  }
  static void ReadPixels(int x, int y, int w, int h, unsigned int fmt, unsigned int type, void* out) {
    Rec("ReadPixels", {double(x), double(y), double(w), double(h), double(fmt), double(type)});
    unsigned char* bytes = static_cast<unsigned char*>(out);
    if (active && active->readPixels) {
      active->readPixels(x, y, w, h, bytes);
    } else if (w > 0 && h > 0) {
      std::memset(bytes, 0, static_cast<size_t>(w) * h * 4);
    }
  }
};

GlRecorder::GlRecorder() {
  active = this;
  using H = GlRecorderHooks;
  vgGl = VgGlApi{H::Viewport,      H::MatrixMode,        H::LoadIdentity,  H::Ortho,
                 H::EnableClientState, H::VertexPointer, H::TexCoordPointer, H::ColorPointer,
                 H::Enable,        H::Disable,           H::BlendFunc,     H::Scissor,
                 H::ClearColor,    H::Clear,             H::DrawArrays,    H::DrawElements,
                 H::GenTextures,   H::DeleteTextures,    H::BindTexture,   H::TexParameteri,
                 H::TexImage2D,    H::TexSubImage2D,     H::PixelStorei,   H::GetError,
                 H::ReadPixels};
}

GlRecorder::~GlRecorder() {
  if (active == this) active = nullptr;
  vgGlBindSystem();
}

int GlRecorder::Count(const std::string& name) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const GlCall& c) { return c.name == name; }));
}

int GlRecorder::DrawCalls() const { return Count("DrawArrays") + Count("DrawElements"); }

const GlCall* GlRecorder::Last(const std::string& name) const {
  auto it = std::find_if(calls.rbegin(), calls.rend(), [&](const GlCall& c) { return c.name == name; });
  return it == calls.rend() ? nullptr : &*it;
}
