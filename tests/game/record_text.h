// The saved record as the game should write it, computed here from the field layout rather
// than by the game: the game tests build and check records with it, and the record fuzz target
// checks every save with it, so it needs nothing beyond the standard library.
#pragma once
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace menutest {

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

}  // namespace menutest
