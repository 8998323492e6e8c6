// Shared by the menu, record, pixel and end-to-end tests: what a screen put into the draw
// list (texts by their glyphs), the saved record's file, and the ways into the menus.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "game/myapp.h"
#include "tests/game/record_text.h"
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
