// What a platform supplies to the host, as the list a new port works through. Each platform
// has one file of each part, chosen by its build (host/CMakeLists.txt for the desktop,
// host/web/web.cmake for the page):
// - the window, its input and pads: a backend of host/glfw2_backend.h
//   (host/glfw2_desktop.cpp; host/web/web_window.cpp);
// - the main loop: VgGlfwGame::Run and CountNewContext of host/glfw_game.h
//   (host/glfw_loop.cpp; host/web/web_loop.cpp);
// - tunes decoded ahead of need: VgGlfwGame::PrefetchAudioData and TakeAudioData
//   (host/audio_prefetch.cpp, on a worker thread; host/web/web_prefetch.cpp, in slices);
// - the library loader of host/library.h (host/library.cpp; host/web/web_platform.cpp);
// - vgVorbisHeadersValid of host/media.h (host/vorbis_check.cpp; host/web/web_platform.cpp);
// - the calls below (host/desktop_platform.cpp; host/web/web_platform.cpp).
#pragma once
#include <string>

namespace vg_platform {

// The folder the data shipped with the game is read from (tarvik://data/), with its
// trailing slash.
const char* DataFolder();

// Called once the state file is written and synced, for a platform that must copy it on to
// lasting storage itself.
void StateSaved();

// Opens a web address in the user's browser without waiting for it: a process id, 0 when
// there is no process to name, or -1 when it could not be opened.
int OpenUrl(const std::string& address);

// Whether worker threads exist. Without them VgThread runs its work to the end in Start.
bool HasThreads();

// Whether plain sockets exist (without them no VgSocket opens), and whether host names may
// be looked up (without, only numeric addresses resolve).
bool HasSockets();
bool LooksUpNames();

}  // namespace vg_platform
