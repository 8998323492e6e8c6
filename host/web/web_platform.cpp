// The page's side of host/platform.h, with its library loader (host/library.h) and its Ogg
// header check (host/media.h): what a browser page can and cannot do. host/web/web.cmake
// builds it in place of host/desktop_platform.cpp, host/library.cpp and host/vorbis_check.cpp.
#include <emscripten.h>

#include "host/library.h"
#include "host/media.h"
#include "host/platform.h"

// A page's working folder is the one kept in the browser's storage; the data it ships is a
// read-only folder beside it, so saving never copies the data into that storage.
const char* vg_platform::DataFolder() { return "/data/"; }

// In a page the file is in memory until the page copies its folder to the browser's storage.
void vg_platform::StateSaved() { EM_ASM({ Module["vgFlushState"](); }); }

// A page opens the address in a new tab; there is no child process, so the result is 0
// (or -1 when the browser refused, as a pop-up blocker may).
int vg_platform::OpenUrl(const std::string& address) {
  return EM_ASM_INT(
      {
        var tab = window.open(UTF8ToString($0), "_blank");
        if (tab) tab.opener = null;
        return tab ? 0 : -1;
      },
      address.c_str());
}

// A page without cross-origin isolation has no threads.
bool vg_platform::HasThreads() { return false; }
// A page can reach no address by plain sockets (the browser's would become web-socket
// traffic to whatever host was named), and it has no name service: it would invent addresses.
bool vg_platform::HasSockets() { return false; }
bool vg_platform::LooksUpNames() { return false; }

// A page cannot load libraries: the ones it uses are linked in, so each counts as open (a
// token handle), has no entry points to look up, and never unloads.
namespace {
char linkedIn;
}
void* vgLibraryOpen(const char*) { return &linkedIn; }
void* vgLibrarySymbol(void*, const char*) { return nullptr; }
void vgLibraryClose(void*) {}

// libvorbis is not built for the browser. A page only plays the tunes packed with it, which
// the desktop build checks with the full test of host/vorbis_check.cpp.
bool vgVorbisHeadersValid(const unsigned char*, size_t) { return true; }
