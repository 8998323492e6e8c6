// What a platform supplies to the host, as the list a new port works through. Each platform
// has one file of each part, chosen by its build (host/CMakeLists.txt for the desktop,
// host/web/web.cmake for the page):
// - the window, its input and pads: a backend of host/glfw2_backend.h
//   (host/glfw2_desktop.cpp; host/web/web_window.cpp);
// - the main loop: VgGlfwGame::Run and CountNewContext of host/glfw_game.h
//   (host/glfw_loop.cpp; host/web/web_loop.cpp), and VgGlfwGame::PlatformLoop for steps
//   of its own that need the host's members (none on the desktop; host/web/web_loop.h);
// - tunes decoded ahead of need: VgGlfwGame::PrefetchAudioData, TakeAudioData and
//   FetchAudioData (host/audio_prefetch.cpp, on a worker thread; host/web/web_prefetch.cpp,
//   in slices);
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

// Start-up, before any window: whether the game's data is where DataFolder says; when it is
// not, one line on standard error has named the folder looked in and how to start the game.
bool DataFolderReady();
// Start-up, once the window library could not start: one line on standard error saying why
// a player might see, when the platform can tell.
void ExplainNoWindow();

}  // namespace vg_platform
