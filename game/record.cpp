// The saved record: settings, badge flags and the mode-1 score tables as one line of
// "|"-terminated decimal fields, each block closed by its own checksum so a damaged block is
// dropped alone. p_Save is called after a game, when the options close and on suspend;
// p_Load once by p_OnCreate.
#include <cstdint>
#include <string>

#include "framework/app.h"
#include "game/myapp.h"
#include "runtime/console.h"

namespace {

constexpr int kBadgeWords = 8;
constexpr int kTableRows = 10;
// The last field a full record needs is index 55; parts past that never change a decision,
// so the scanner stops counting there and a huge file costs one pass and no allocation.
constexpr int kMaxParts = 64;
// A field is read from its first 63 characters only, as the C library's atoi buffer would be.
constexpr int kFieldChars = 63;

// Where each "|"-separated part of the record starts and how long it is.
struct RecordParts {
  int count = 0;  // parts seen, at most kMaxParts
  int start[kMaxParts];
  int length[kMaxParts];
};

RecordParts vg_record_Split(const String& text) {
  RecordParts parts;
  const Char* data = text.Data();
  int n = text.Length();
  int from = 0;
  for (int i = 0; i <= n && parts.count < kMaxParts; ++i) {
    if (i == n || data[i] == '|') {
      parts.start[parts.count] = from;
      parts.length[parts.count] = i - from;
      ++parts.count;
      from = i + 1;
    }
  }
  return parts;
}

// atoi on the low bytes of the field: leading white space, an optional sign, digits up to
// the first other character. Values beyond 32 bits saturate instead of overflowing, which
// the C library leaves undefined.
int vg_record_Field(const String& text, const RecordParts& parts, int index) {
  if (index < 0 || index >= parts.count) return 0;
  const Char* p = text.Data() + parts.start[index];
  int n = parts.length[index] < kFieldChars ? parts.length[index] : kFieldChars;
  int i = 0;
  auto byte = [&](int k) { return k < n ? static_cast<int>(p[k] & 0xff) : 0; };
  while (byte(i) == ' ' || (byte(i) >= '\t' && byte(i) <= '\r')) ++i;
  bool negative = false;
  if (byte(i) == '-' || byte(i) == '+') negative = byte(i++) == '-';
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  for (; byte(i) >= '0' && byte(i) <= '9'; ++i) {
    value = value * 10 + (byte(i) - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int>(negative ? -value : value);
}

// The checksums are defined as 32-bit sums that wrap; unsigned arithmetic wraps by rule.
inline uint32_t vg_record_Wrap(int v) { return static_cast<uint32_t>(v); }
inline int vg_record_Signed(uint32_t v) { return static_cast<int>(static_cast<int32_t>(v)); }

void vg_record_Append(std::string& out, int v) {
  out += std::to_string(v);
  out += '|';
}

}  // namespace

int c_MyApp::p_Save() {
  std::string out;
  uint32_t sum = 0;
  for (int i = 0; i < kSettingCount; ++i) {
    vg_record_Append(out, m_Settings[i]);
    sum += static_cast<uint32_t>(i) * vg_record_Wrap(m_Settings[i]);
  }
  vg_record_Append(out, vg_record_Signed(sum));

  sum = 0;
  for (int w = 0; w < kBadgeWords; ++w) {
    uint32_t word = 0;
    for (int b = 0; b < 32; ++b) {
      if (m_BadgeFlags[32 * w + b]) word |= uint32_t(1) << b;
    }
    vg_record_Append(out, vg_record_Signed(word));
    sum += word;
  }
  vg_record_Append(out, vg_record_Signed(sum));

  sum = 0;
  for (int i = 0; i < kTableRows; ++i) {
    int top = m_HighScores[i];
    int last = m_HighScores[kTableRows + i];
    vg_record_Append(out, top);
    vg_record_Append(out, last);
    sum += static_cast<uint32_t>(i + 4) * vg_record_Wrap(top) +
           static_cast<uint32_t>(i + 3) * vg_record_Wrap(last);
  }
  vg_record_Append(out, vg_record_Signed(sum));

  String record(out.c_str(), static_cast<int>(out.size()));
  if (vg_Vantorell_DebugMode == 1) vgPrint(record);
  // The caller has nowhere to show a failure, but a record that silently did not reach the
  // disk would lose the player's scores without a trace.
  if (vg_app_SaveState(record) != 0) vgPrint("Settings Not Saved");
  return 0;
}

int c_MyApp::p_Load() {
  String text = vg_app_LoadState();
  RecordParts parts = vg_record_Split(text);
  if (vg_Vantorell_DebugMode == 1) vgPrint(text);
  int p = 0;

  if (parts.count >= kSettingCount + 1) {
    uint32_t sum = 0;
    for (int i = 0; i < kSettingCount; ++i) {
      m_Settings[i] = vg_record_Field(text, parts, p + i);
      sum += static_cast<uint32_t>(i) * vg_record_Wrap(m_Settings[i]);
    }
    p = kSettingCount;
    int check = vg_record_Field(text, parts, p);
    p = kSettingCount + 1;
    if (vg_record_Signed(sum) == check) {
      vgPrint("Settings Loaded");
    } else {
      vgPrint("Settings Checksum Invalid");
      for (int i = 0; i < kSettingCount; ++i) m_Settings[i] = 0;
      m_Settings[kSoundMode] = kSoundAll;
    }
  }

  // Limits hold for stored and default settings alike.
  if (m_Settings[kPadCentreX] < 64) m_Settings[kPadCentreX] = 64;
  if (m_Settings[kPadFromBottom] < 64) m_Settings[kPadFromBottom] = 64;
  if (m_Settings[kPadTenths] < 8) m_Settings[kPadTenths] = 10;
  if (m_Settings[kOverscanSetting] < 1) m_Settings[kOverscanSetting] = 64;
  if (vg_Vantorell_isOuya == 1) {
    vg_Vantorell_overscan = static_cast<float>(m_Settings[kOverscanSetting]);
  } else {
    m_Settings[kOverscanSetting] = 1;
    vg_Vantorell_overscan = 0;
  }

  // A record too short for the settings block is read from its first field here on.
  if (p + kBadgeWords < parts.count) {
    uint32_t sum = 0;
    for (int w = 0; w < kBadgeWords; ++w) {
      uint32_t word = vg_record_Wrap(vg_record_Field(text, parts, p + w));
      for (int b = 0; b < 32; ++b) m_BadgeFlags[32 * w + b] = ((word >> b) & 1) != 0;
      sum += word;
    }
    p += kBadgeWords;
    int check = vg_record_Field(text, parts, p);
    p += 1;
    if (vg_record_Signed(sum) == check) {
      vgPrint("Badges Loaded");
    } else {
      vgPrint("Badge Checksum Invalid");
      for (int i = 0; i < 32 * kBadgeWords; ++i) m_BadgeFlags[i] = false;
    }
  }

  if (p + 2 * kTableRows < parts.count) {
    const int table = 0;  // only the tables of mode 1 are stored
    uint32_t sum = 0;
    for (int i = 0; i < kTableRows; ++i) {
      int top = vg_record_Field(text, parts, p + 2 * i);
      int last = vg_record_Field(text, parts, p + 2 * i + 1);
      m_HighScores[i] = top;
      m_HighScores[kTableRows + i] = last;
      sum += static_cast<uint32_t>(i + 4) * vg_record_Wrap(top) +
             static_cast<uint32_t>(i + 3) * vg_record_Wrap(last);
    }
    p += 2 * kTableRows;
    int check = vg_record_Field(text, parts, p);
    p += 1;
    if (vg_record_Signed(sum) == check) {
      vgPrint(String("Highscore ") + String(table) + String(" Loaded"));
    } else {
      vgPrint(String("Highscore ") + String(table) + String(" Checksum Invalid"));
      for (int i = 0; i < 2 * kTableRows; ++i) m_HighScores[i] = 0;
    }
  }
  return 0;
}
