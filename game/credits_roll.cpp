// The closing credits of the game screen: a timed schedule of credit lines built from
// shootable letters, the run of display names, and the final thanks. p_Game calls
// p_CreditsRoll once per unpaused frame of the credits phase, after advancing m_PhaseTimer.
#include "game/myapp.h"

namespace {

struct CreditLine {
  int time;       // m_PhaseTimer value at which the line appears
  float xFrac;    // centre x as a fraction of the screen width
  float yFrac;    // height as a fraction of the screen height...
  float yOffset;  // ...plus this many pixels
  float size;
  const char* text;
};

// Rows sharing a time form one group and appear in this order; times never decrease.
const CreditLine kCredits[] = {
    {120, 0.5f, 0.3f, -28, 3, "Vantorell"},
    {120, 0.5f, 0.3f, 0, 2, "A one-enemy space shooter"},
    {120, 0.5f, 0.3f, 24, 2, "by the Vantorell team"},
    {360, 0.5f, 0.5f, 0, 2, "Created in"},
    {360, 0.5f, 0.5f, 24, 2, "December 2026"},
    {600, 0.5f, 0.7f, 0, 2, "Written in C++17"},
    {600, 0.5f, 0.7f, 24, 2, "on a runtime of its own"},
    {840, 0.5f, 0.3f, 0, 2, "Art"},
    {840, 0.5f, 0.3f, 24, 2, "The Vantorell team"},
    {960, 0.5f, 0.5f, -24, 2, "Font"},
    {960, 0.5f, 0.5f, 0, 2, "Quilbent"},
    {960, 0.5f, 0.5f, 24, 2, "by the Vantorell team"},
    {1080, 0.5f, 0.7f, -24, 2, "Sound"},
    {1080, 0.5f, 0.7f, 0, 2, "Created using"},
    {1080, 0.5f, 0.7f, 24, 2, "our own asset generator"},
    {1320, 0.5f, 0.3f, -12, 2, "Ingame Music"},
    {1320, 0.5f, 0.3f, 12, 2, "Brisklet"},
    {1400, 0.5f, 0.5f, -12, 2, "Credits Music"},
    {1400, 0.5f, 0.5f, 12, 2, "Sollenmark"},
    {1480, 0.5f, 0.7f, -24, 2, "Music"},
    {1480, 0.5f, 0.7f, 0, 2, "composed by"},
    {1480, 0.5f, 0.7f, 24, 2, "the Vantorell team"},
    {1720, 0.5f, 0.3f, -24, 2, "Hello To"},
    {1720, 0.5f, 0.3f, 0, 2, "the Debian community"},
    {1800, 0.5f, 0.4f, 0, 2, "glfw.org"},
    {1880, 0.5f, 0.5f, 0, 2, "openal-soft.org"},
    {1960, 0.5f, 0.6f, 0, 2, "xiph.org"},
    {2040, 0.5f, 0.7f, 0, 2, "debian.org"},
    {2120, 0.5f, 0.8f, 0, 2, "and everyone who plays"},
    {6100, 0.45f, 0.4f, 0, 3, "Thanks"},
    {6100, 0.5f, 0.5f, 0, 3, "for"},
    {6100, 0.55f, 0.6f, 0, 3, "Playing"},
};
constexpr int kCreditCount = static_cast<int>(sizeof(kCredits) / sizeof(kCredits[0]));

// Display names appear on every multiple of this many frames inside (kNamesFrom, kNamesTo).
constexpr int kNameEvery = 120;
constexpr int kNamesFrom = 2360;
constexpr int kNamesTo = 6000;

}  // namespace

int c_MyApp::p_CreditsRoll() {
  float w = vg_Vantorell_jscrw, h = vg_Vantorell_jscrh;
  // m_CredAt is the next row of the schedule; the phase starts it at 0.
  if (m_CredAt < 0) m_CredAt = 0;
  while (m_CredAt < kCreditCount && kCredits[m_CredAt].time <= m_PhaseTimer) {
    const CreditLine& line = kCredits[m_CredAt++];
    p_AddTXT(line.xFrac * w, line.yFrac * h + line.yOffset, line.text, line.size);
  }
  if (m_PhaseTimer > kNamesFrom && m_PhaseTimer < kNamesTo && m_PhaseTimer % kNameEvery == 0) {
    p_AddTwitter();
  }
  return 0;
}
