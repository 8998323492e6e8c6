// Strings as callers see them: text of numbers, sharing instead of copying, Split/Replace
// pieces, reference counts, and the shared empty representation.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/array.h"
#include "runtime/string.h"
#include "tests/runtime/string_print.h"

namespace {
std::vector<std::string> pieces(const char* s, const char* by) {
  std::vector<std::string> out;
  Array<String> a = String(s).Split(String(by));
  for (int i = 0; i < a.Length(); ++i) out.push_back(a[i].ToUtf8());
  return out;
}
}  // namespace

TEST(StringText, NumbersAndTextFollowTheRuntimeRules) {
  EXPECT_EQ(String(-2147483647 - 1), String("-2147483648"));
  EXPECT_EQ(String(-3.0f), String("-3.0"));
  EXPECT_EQ(String(0.1f), String("0.10000000149011612"));
  EXPECT_EQ(String(1.0e16f), String("10000000272564224.0"));
  EXPECT_EQ(String(1.0e20f), String("1.0000000200408773e+20")) << "exponent form gets no .0";
  EXPECT_EQ(String("  42abc").ToInt(), 42);
  EXPECT_EQ((String(Char('0'), 62) + String("12")).ToInt(), 1) << "only 63 characters count";
  EXPECT_EQ(String("\xe9")[0], 0xffe9) << "bytes past 0x7f widen as signed chars";
  Char units[] = {0x0131, '2'};  // each unit is reduced to its low byte: U+0131 reads as '1'
  EXPECT_EQ(String(units, 2).ToInt(), 12);
  String cut = String::FromUtf8("A\xc3", 2);  // a cut sequence keeps its byte
  ASSERT_EQ(cut.Length(), 2);
  EXPECT_EQ(cut[1], 0xc3);
}

TEST(StringSharing, ResultsEqualToAnOperandShareItAndCountsFollowCopies) {
  String abc("abc"), empty;
  EXPECT_EQ((abc + empty).GetRep(), abc.GetRep());
  EXPECT_EQ((empty + abc).GetRep(), abc.GetRep());
  EXPECT_EQ(abc.Replace(String("x"), String("y")).GetRep(), abc.GetRep());
  EXPECT_EQ(abc.Replace(String(), String("x")).GetRep(), abc.GetRep()) << "empty search text";
  EXPECT_EQ(abc.Split(String(","))[0].GetRep(), abc.GetRep());
  String text("text");
  String::Rep* rep = text.GetRep();
  {
    String b = text, c = b, &same = c;
    c = same;  // self-assignment retains before releasing, so it must not free
    EXPECT_EQ(rep->refs, 3);
    EXPECT_EQ(c, String("text"));
  }
  EXPECT_EQ(rep->refs, 1);
  for (int i = 0; i < 1000; ++i) {  // the empty representation survives any release
    String e, f = e;
    f = String();
  }
  EXPECT_EQ(String::nullRep.length, 0);
}

TEST(StringPieces, SplitKeepsEmptyPiecesAndReplaceMatchesNeverOverlap) {
  using P = std::vector<std::string>;
  EXPECT_EQ(pieces("a,,b", ","), (P{"a", "", "b"}));
  EXPECT_EQ(pieces(",a,", ","), (P{"", "a", ""}));
  EXPECT_EQ(pieces("", ","), (P{""}));
  EXPECT_EQ(pieces("abc", ""), (P{"a", "b", "c"}));
  EXPECT_EQ(pieces("", ""), P{});
  EXPECT_EQ(pieces("a::b:::c", "::"), (P{"a", "b", ":c"}));
  EXPECT_EQ(pieces("aaa", "aa"), (P{"", "a"}));
  EXPECT_EQ(String("aaaa").Replace(String("aa"), String("x")), String("xx"));
  EXPECT_EQ(String("aaa").Replace(String("aa"), String("x")), String("xa"));
  EXPECT_EQ(String("ab").Replace(String("b"), String("bb")), String("abb"));
  EXPECT_EQ(String("abab").Replace(String("ab"), String("")), String());
}
