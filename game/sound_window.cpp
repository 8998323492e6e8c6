// Sound and window helpers of c_MyApp that every screen calls: numbered sound effects played
// round-robin, streamed tunes, the sound setting's two questions, and the window/full-screen
// switch. They call nothing else of the game, so any screen may use them.
#include "framework/audio.h"
#include "game/myapp.h"
#include "host/game.h"

namespace {

constexpr int kSfxChannels = 24;

}  // namespace

bool c_MyApp::p_EffectsOn() {
  return m_Settings[kSoundMode] == kSoundAll || m_Settings[kSoundMode] == kSoundEffects;
}

bool c_MyApp::p_MusicOn() {
  return m_Settings[kSoundMode] == kSoundAll || m_Settings[kSoundMode] == kSoundMusic;
}

int c_MyApp::p_PlaySFX(int n, float rate, float volume, float pan) {
  if (!p_EffectsOn()) return 0;
  return p_PlaySFXRaw(n, rate, volume, pan);
}

int c_MyApp::p_PlaySFX(int n, float volume) { return p_PlaySFX(n, 1, volume, 0); }

int c_MyApp::p_PlaySFXRaw(int n, float rate, float volume, float pan) {
  // Advanced before use, so the first effect plays on channel 1; the oldest effect is cut off.
  m_SfxChan = (m_SfxChan + 1) % kSfxChannels;
  if (m_SfxChan < 0 || m_SfxChan > 31) m_SfxChan = 0;
  int ch = m_ChanMap[m_SfxChan];
  vg_audio_StopChannel(ch);
  if (n >= 0 && n < m_Sounds.Length() && m_Sounds[n]) vg_audio_PlaySound(m_Sounds[n], ch, 0);
  vg_audio_SetChannelRate(ch, rate);
  vg_audio_SetChannelVolume(ch, volume);
  vg_audio_SetChannelPan(ch, pan);
  return 0;
}

int c_MyApp::p_PlayTune(String name, int flags) {
  String file = String("sfx/") + name + String(".ogg");
  if (m_MusicOn) {
    vg_audio_StopMusic();
    m_MusicOn = 0;
  }
  if (p_MusicOn()) {
    // A missing file gives -1 and silence; the flag is set all the same.
    vg_audio_PlayMusic(file, flags);
    m_MusicOn = 1;
  }
  return 0;
}

int c_MyApp::p_StopTune() {
  vg_audio_StopMusic();
  m_MusicOn = 0;
  return 0;
}

int c_MyApp::p_FullscreenFlip() {
  // Without a window host (a headless run) there is no window to replace, and the flag must
  // keep telling the truth about the one there is.
  if (VgGame::_game && VgGame::_game->SetFullscreen(m_Fullscreen != 1)) {
    m_Fullscreen = 1 - m_Fullscreen;
  }
  return 0;
}
