/* The image and Vorbis decoders' implementation for the browser build, from Debian's stb
 * headers (the desktop links Debian's libstb instead, except in its ThreadSanitizer build,
 * which compiles this too). host/media.cpp calls them. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_vorbis.h>
