// Shared libraries loaded at run time rather than at start-up, for a device whose library
// must be dropped and loaded afresh to look for its hardware again (the audio device, when
// the sound library gave up on every output at its start). Called from devices/.
#pragma once

// The library's handle, or null when it cannot be loaded.
void* vgLibraryOpen(const char* name);
// The named entry point, or null.
void* vgLibrarySymbol(void* library, const char* name);
// Unloads the library once nothing else holds it; its entry points are gone afterwards.
void vgLibraryClose(void* library);
