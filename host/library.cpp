// The run-time library loader of library.h over the dynamic linker.
#include "host/library.h"

#include <dlfcn.h>

void* vgLibraryOpen(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* vgLibrarySymbol(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void vgLibraryClose(void* library) {
  if (library) dlclose(library);
}
