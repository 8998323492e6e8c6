// Helpers shared by the menu, pause, record and results tests: reading back what a screen put
// into the draw list (texts by their glyphs, rectangles by colour) and building saved
// records with independently computed checksums.
#pragma once
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/myapp.h"
#include "tests/support/harness.h"

namespace menutest {

// One line of glyphs drawn with the same colour and alpha on the same baseline.
struct TextRun {
  std::string text;  // the drawn characters; spaces are not drawn and so not here
  float alpha, r, g, b, y;
};

inline std::vector<TextRun> Texts(c_MyApp* app) {
  std::vector<TextRun> runs;
  for (int at = 0; at + kDrawRecord <= app->m_DrawCount; at += kDrawRecord) {
    const float* rec = &app->m_DrawList[at];
    if (static_cast<int>(rec[0]) != app->m_CurFont || rec[0] < 0) continue;
    char ch = static_cast<char>(static_cast<int>(rec[6]) + 32);
    if (runs.empty() || runs.back().alpha != rec[7] || runs.back().r != rec[10] ||
        runs.back().g != rec[11] || runs.back().b != rec[12] || runs.back().y != rec[2] ||
        static_cast<int>(app->m_DrawList[at - kDrawRecord]) != app->m_CurFont) {
      runs.push_back({std::string(), rec[7], rec[10], rec[11], rec[12], rec[2]});
    }
    runs.back().text += ch;
  }
  return runs;
}

// Every line of text in the picture in order, each followed by "/".
inline std::string AllText(c_MyApp* app) {
  std::string all;
  for (const TextRun& run : Texts(app)) all += run.text + "/";
  return all;
}

inline std::string NoSpaces(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c != ' ') out += c;
  }
  return out;
}

struct RectRec {
  float x, y, w, h, alpha, r, g, b;
};

// Rectangles of one colour, in drawing order.
inline std::vector<RectRec> Rects(c_MyApp* app, float r, float g, float b) {
  std::vector<RectRec> out;
  for (int at = 0; at + kDrawRecord <= app->m_DrawCount; at += kDrawRecord) {
    const float* rec = &app->m_DrawList[at];
    if (rec[0] != kNoValue || rec[10] != r || rec[11] != g || rec[12] != b) continue;
    out.push_back({rec[1], rec[2], rec[4], rec[5], rec[7], rec[10], rec[11], rec[12]});
  }
  return out;
}

// A record as the game would store it, with its checksums computed here from the layout.
struct Record {
  int32_t settings[25] = {};
  int32_t words[8] = {};
  int32_t top[10] = {};
  int32_t last[10] = {};

  std::string Text() const {
    std::ostringstream out;
    uint32_t c1 = 0, c2 = 0, c3 = 0;
    for (int i = 0; i < 25; ++i) {
      out << settings[i] << '|';
      c1 += uint32_t(i) * uint32_t(settings[i]);
    }
    out << int32_t(c1) << '|';
    for (int w = 0; w < 8; ++w) {
      out << words[w] << '|';
      c2 += uint32_t(words[w]);
    }
    out << int32_t(c2) << '|';
    for (int i = 0; i < 10; ++i) {
      out << top[i] << '|' << last[i] << '|';
      c3 += uint32_t(i + 4) * uint32_t(top[i]) + uint32_t(i + 3) * uint32_t(last[i]);
    }
    out << int32_t(c3) << '|';
    return out.str();
  }
};

inline std::vector<std::string> Fields(const std::string& record) {
  std::vector<std::string> out;
  size_t at = 0;
  for (size_t bar; (bar = record.find('|', at)) != std::string::npos; at = bar + 1) {
    out.push_back(record.substr(at, bar - at));
  }
  if (at < record.size()) out.push_back(record.substr(at));  // text after the last separator
  return out;
}

// True when the text is exactly 56 "|"-terminated integers whose checksums hold.
inline bool IsValidRecord(const std::string& record) {
  if (record.empty() || record.back() != '|') return false;
  std::vector<std::string> f = Fields(record);
  if (f.size() != 56) return false;
  Record r;
  for (const std::string& s : f) {
    if (s.empty() || s.find_first_not_of("-0123456789") != std::string::npos) return false;
  }
  for (int i = 0; i < 25; ++i) r.settings[i] = std::stoi(f[i]);
  for (int w = 0; w < 8; ++w) r.words[w] = std::stoi(f[26 + w]);
  for (int i = 0; i < 10; ++i) {
    r.top[i] = std::stoi(f[35 + 2 * i]);
    r.last[i] = std::stoi(f[36 + 2 * i]);
  }
  return r.Text() == record;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Runs a scenario on a fresh game in a child process; its expectations report there.
inline void InChild(const std::function<void()>& body) {
  int status = vgtest::RunInChild(body);
  EXPECT_EQ(status, 0) << "the scenario failed in its child process";
}

// Taps a key and lets the latches see it released.
inline void TapAndSettle(vgtest::Harness& h, int key) {
  h.Press(key);
  h.Frame();
  h.Release(key);
  h.Frame();
}

}  // namespace menutest
