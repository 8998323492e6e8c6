// Shared by the menu, record, results and end-to-end tests: what a screen put into the draw
// list (texts by their glyphs), records whose checksums are computed here from the field
// layout rather than by the game, and the ways into the menus.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/myapp.h"
#include "tests/support/harness.h"

namespace menutest {
using vgtest::Harness;

// Every line of text in drawing order, each preceded by "/" and followed by "/": a line is a
// run of glyphs of one colour and alpha on one baseline (spaces are not drawn).
inline std::string AllText(c_MyApp* app) {
  std::string all = "/";
  const float* last = nullptr;  // the last glyph of the open line
  for (int at = 0; at + kDrawRecord <= app->m_DrawCount; at += kDrawRecord) {
    const float* rec = &app->m_DrawList[at];
    bool glyph = rec[kRecKind] >= 0 && static_cast<int>(rec[kRecKind]) == app->m_CurFont;
    if (last && (!glyph || rec[kRecAlpha] != last[kRecAlpha] || rec[kRecY] != last[kRecY] ||
                 !std::equal(rec + kRecRed, rec + kRecBlue + 1, last + kRecRed)))
      all += "/", last = nullptr;
    if (glyph) all += static_cast<char>(static_cast<int>(rec[kRecFrame]) + 32), last = rec;
  }
  return last ? all + "/" : all;
}
inline std::string NoSpaces(std::string s) { return s.erase(std::remove(s.begin(), s.end(), ' '), s.end()), s; }
inline bool Shows(c_MyApp* app, const std::string& line) {
  return AllText(app).find("/" + NoSpaces(line) + "/") != std::string::npos;
}

// A record as the game should store it: 25 settings, 8 badge words, the first score tables
// interleaved, each block followed by its wrapping 32-bit checksum.
struct Record {
  int32_t settings[25] = {}, words[8] = {}, top[10] = {}, last[10] = {};
  std::string Text() const {
    std::ostringstream out;
    uint32_t c1 = 0, c2 = 0, c3 = 0;
    for (int i = 0; i < 25; ++i) out << settings[i] << '|', c1 += uint32_t(i) * uint32_t(settings[i]);
    out << int32_t(c1) << '|';
    for (int w = 0; w < 8; ++w) out << words[w] << '|', c2 += uint32_t(words[w]);
    out << int32_t(c2) << '|';
    for (int i = 0; i < 10; ++i)
      out << top[i] << '|' << last[i] << '|', c3 += uint32_t(i + 4) * uint32_t(top[i]) + uint32_t(i + 3) * uint32_t(last[i]);
    out << int32_t(c3) << '|';
    return out.str();
  }
};

inline std::vector<std::string> Fields(const std::string& record) {
  std::vector<std::string> out;
  std::istringstream in(record);
  for (std::string field; std::getline(in, field, '|');) out.push_back(field);
  return out;
}

// Exactly 56 "|"-terminated integers whose checksums hold.
inline bool IsValidRecord(const std::string& text) {
  std::vector<std::string> f = Fields(text);
  if (text.empty() || text.back() != '|' || f.size() != 56) return false;
  for (const std::string& s : f)
    if (s.empty() || s.find_first_not_of("-0123456789") != std::string::npos) return false;
  Record r;
  for (int i = 0; i < 25; ++i) r.settings[i] = std::stoi(f[i]);
  for (int w = 0; w < 8; ++w) r.words[w] = std::stoi(f[26 + w]);
  for (int i = 0; i < 10; ++i) r.top[i] = std::stoi(f[35 + 2 * i]), r.last[i] = std::stoi(f[36 + 2 * i]);
  return r.Text() == text;
}

inline std::string ReadFile(const std::string& path) {
  return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}
inline void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline std::string Saved(const Harness& h) { return ReadFile(h.workDir() + "/.tarvikstate"); }

// Taps a key and lets the latches see it released.
inline void TapAndSettle(Harness& h, int key) { h.Press(key), h.Frame(), h.Release(key), h.Frame(); }

// The title menu fully slid in.
inline void ToMenu(Harness& h) {
  h.Start(), h.FinishLoading(), h.Frame(40);
  ASSERT_TRUE(h.app()->m_Screen == kScreenMenu && h.app()->m_MenuSlide == 0);
}

inline void SetTop(c_MyApp* app, int first, int step) {
  for (int i = 0; i < 10; ++i) app->m_HighScores[i] = first - step * i;
}

}  // namespace menutest
