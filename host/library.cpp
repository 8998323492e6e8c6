// The desktop's run-time library loader of library.h over the dynamic linker (the page's is
// in host/web/web_platform.cpp). Libraries stay out of the global scope (there they could be
// bound to and never unload), but entry points are looked up there first, so a wrapper
// preloaded into the program (a tool counting a library's calls) or the library linked into
// a test program comes before the loaded copy's own.
#include "host/library.h"

#include <dlfcn.h>

void* vgLibraryOpen(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* vgLibrarySymbol(void* library, const char* name) {
  if (!library) return nullptr;
  void* entry = dlsym(RTLD_DEFAULT, name);
  return entry ? entry : dlsym(library, name);
}

void vgLibraryClose(void* library) {
  if (library) dlclose(library);
}
