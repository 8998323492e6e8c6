// A page's stand-in for host/audio_prefetch.cpp: a page has no threads to decode on, so no
// tune is decoded ahead and TakeAudioData decodes it when it starts. Called by the audio
// device like the desktop's.
#include "host/glfw_game.h"

void VgGlfwGame::PrefetchAudioData(String) {}

unsigned char* VgGlfwGame::TakeAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz) {
  return LoadAudioData(path, length, channels, format, hertz);
}
