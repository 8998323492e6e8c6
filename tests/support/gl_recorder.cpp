// The recording GL table: each entry appends a GlCall to the active recorder; texture names
// and the one error a power-of-two-only driver would raise are simulated.
#include "tests/support/gl_recorder.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "devices/gl_api.h"

namespace {
GlRecorder* active = nullptr;

template <typename... A>
void Rec(const char* name, A... a) {
  if (!active) return;
  GlCall call{name, {}};
  [[maybe_unused]] auto add = [&call](auto x) {
    if constexpr (std::is_arithmetic_v<decltype(x)>) call.args.push_back(static_cast<double>(x));
  };
  (add(a), ...);
  active->calls.push_back(std::move(call));
}

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }
}  // namespace

// An entry that only records; the generic lambda takes on the entry's own parameter types.
#define VG_RECORD(entry) [](auto... a) { Rec(#entry, a...); }

struct GlRecorderHooks {
  static void GenTextures(int n, unsigned int* names) {
    for (int i = 0; i < n; ++i) {
      names[i] = active ? active->nextTexture_++ : 0;
      if (active) active->live_.push_back(names[i]);
    }
    Rec("GenTextures", n);
  }
  static void DeleteTextures(int n, const unsigned int* names) {
    if (active) active->calls.push_back(GlCall{"DeleteTextures", std::vector<double>(names, names + n)});
    for (int i = 0; i < n && active; ++i) {
      active->live_.erase(std::remove(active->live_.begin(), active->live_.end(), names[i]), active->live_.end());
    }
  }
  static void TexImage2D(unsigned int t, int level, int ifmt, int w, int h, int border, unsigned int fmt,
                         unsigned int type, const void*) {
    Rec("TexImage2D", t, level, ifmt, w, h, border, fmt, type);
    if (active && active->rejectNonPowerOfTwo && !(PowerOfTwo(w) && PowerOfTwo(h))) {
      active->pendingError_ = GL_INVALID_VALUE;
    }
  }
  static unsigned int GetError() {
    Rec("GetError");
    return active ? std::exchange(active->pendingError_, GL_NO_ERROR) : GL_NO_ERROR;
  }
  static void CopyTexSubImage2D(unsigned int t, int level, int dx, int dy, int x, int y, int w, int h) {
    Rec("CopyTexSubImage2D", t, level, dx, dy, x, y, w, h);
    if (active && active->rejectWindowCopy) active->pendingError_ = GL_INVALID_OPERATION;
  }
  static const unsigned char* GetString(unsigned int name) {
    Rec("GetString", name);
    return reinterpret_cast<const unsigned char*>(active ? active->version.c_str() : "");
  }
  static void GenFramebuffers(int n, unsigned int* names) {
    for (int i = 0; i < n; ++i) names[i] = 100 + i;
    Rec("GenFramebuffers", n);
  }
  static unsigned int CheckFramebufferStatus(unsigned int target) {
    return Rec("CheckFramebufferStatus", target), GL_FRAMEBUFFER_COMPLETE;
  }
  static void ReadPixels(int x, int y, int w, int h, unsigned int fmt, unsigned int type, void* out) {
    Rec("ReadPixels", x, y, w, h, fmt, type);
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
  vgGl = VgGlApi{VG_RECORD(Viewport),      VG_RECORD(MatrixMode),    VG_RECORD(LoadIdentity),
                 VG_RECORD(Ortho),         VG_RECORD(EnableClientState), VG_RECORD(VertexPointer),
                 VG_RECORD(TexCoordPointer), VG_RECORD(ColorPointer), VG_RECORD(Enable),
                 VG_RECORD(Disable),       VG_RECORD(BlendFunc),     VG_RECORD(Scissor),
                 VG_RECORD(ClearColor),    VG_RECORD(Clear),         VG_RECORD(DrawArrays),
                 VG_RECORD(DrawElements),  H::GenTextures,           H::DeleteTextures,
                 VG_RECORD(BindTexture),   VG_RECORD(TexParameteri), H::TexImage2D,
                 VG_RECORD(TexSubImage2D), VG_RECORD(PixelStorei),   H::GetError,
                 H::ReadPixels,            H::CopyTexSubImage2D,     H::GetString,
                 H::GenFramebuffers,       VG_RECORD(BindFramebuffer), VG_RECORD(FramebufferTexture2D),
                 H::CheckFramebufferStatus, VG_RECORD(BlitFramebuffer)};
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
