// Strings and arrays as callers see them: text of numbers, sharing instead of copying,
// Split/Replace pieces, reference counts, the shared empty representations.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/array.h"
#include "runtime/string.h"
#include "tests/runtime/string_print.h"

namespace {
std::vector<String> pieces(const Array<String>& a) {
  std::vector<String> out;
  for (int i = 0; i < a.Length(); ++i) out.push_back(a[i]);
  return out;
}
std::vector<String> list(std::initializer_list<const char*> texts) {
  std::vector<String> out;
  for (const char* t : texts) out.push_back(String(t));
  return out;
}
}  // namespace

TEST(StringText, NumbersFollowTheRuntimeFormats) {
  EXPECT_EQ(String(0), String("0"));
  EXPECT_EQ(String(-5), String("-5"));
  EXPECT_EQ(String(-2147483647 - 1), String("-2147483648"));
  EXPECT_EQ(String(2.0f), String("2.0"));
  EXPECT_EQ(String(1.0f), String("1.0"));
  EXPECT_EQ(String(0.5f), String("0.5"));
  EXPECT_EQ(String(-3.0f), String("-3.0"));
  EXPECT_EQ(String(0.1f), String("0.10000000149011612"));
  EXPECT_EQ(String(1.0e16f), String("10000000272564224.0"));
  // Exponent form already says it is a float: nothing is appended.
  EXPECT_EQ(String(1.0e20f), String("1.0000000200408773e+20"));
  EXPECT_EQ(String(1.0e-10f), String("1.000000013351432e-10"));
}

TEST(StringText, NarrowBytesWidenAsSignedValues) {
  const char bytes[] = {'A', static_cast<char>(0x80), static_cast<char>(0xff), 0};
  String s(bytes);
  ASSERT_EQ(s.Length(), 3);
  EXPECT_EQ(s[0], 0x41);
  EXPECT_EQ(s[1], 0xff80);
  EXPECT_EQ(s[2], 0xffff);
  EXPECT_EQ(std::string(String::CString<char>(s).c_str()), std::string(bytes));
}

TEST(StringValue, IntegerValueFollowsAtoi) {
  EXPECT_EQ(String("  42abc").ToInt(), 42);
  EXPECT_EQ(String("-17").ToInt(), -17);
  EXPECT_EQ(String("+8").ToInt(), 8);
  EXPECT_EQ(String("x1").ToInt(), 0);
  EXPECT_EQ(String().ToInt(), 0);
  // Only the first 63 characters count: the 64th digit is never read.
  String zeros = String(Char('0'), 62) + String("12");
  EXPECT_EQ(zeros.ToInt(), 1);
  // Each character is reduced to its low byte: U+0131 reads as '1'.
  Char units[] = {0x0131, '2'};
  EXPECT_EQ(String(units, 2).ToInt(), 12);
}

TEST(StringSharing, ResultsEqualToAnOperandShareIt) {
  String abc("abc"), empty;
  EXPECT_EQ((abc + empty).GetRep(), abc.GetRep());
  EXPECT_EQ((empty + abc).GetRep(), abc.GetRep());
  EXPECT_EQ((empty + empty).GetRep(), &String::nullRep);
  EXPECT_EQ(abc.Replace(String("x"), String("y")).GetRep(), abc.GetRep());
  EXPECT_EQ(abc.Split(String(","))[0].GetRep(), abc.GetRep());
  EXPECT_EQ(String("ab") + String("cd"), String("abcd"));
  EXPECT_EQ(String(static_cast<const Char*>(nullptr), 0).GetRep(), &String::nullRep);
  EXPECT_EQ(String("").GetRep(), &String::nullRep);
}

TEST(StringSharing, CountsFollowCopiesAndAssignment) {
  String a("text");
  String::Rep* rep = a.GetRep();
  EXPECT_EQ(rep->refs, 1);
  {
    String b = a;
    String c;
    c = b;
    EXPECT_EQ(rep->refs, 3);
    String& same = c;
    c = same;  // self-assignment retains before releasing, so it must not free
    EXPECT_EQ(rep->refs, 3);
    EXPECT_EQ(c, String("text"));
  }
  EXPECT_EQ(rep->refs, 1);
  // The empty representation is shared without counting and survives any release.
  for (int i = 0; i < 1000; ++i) {
    String e;
    String f = e;
    f = String();
  }
  EXPECT_EQ(String::nullRep.length, 0);
  EXPECT_TRUE(String().IsEmpty());
}

TEST(StringCompare, EqualityIsByUnitsAndLength) {
  EXPECT_TRUE(String() == String(""));
  EXPECT_FALSE(String("ab") == String("abc"));
  Char hi[] = {0x100, 'a'}, lo[] = {0x000, 'a'};
  EXPECT_FALSE(String(hi, 2) == String(lo, 2));
  EXPECT_LT(String("ab").Compare(String("abc")), 0);
  EXPECT_GT(String("b").Compare(String("abc")), 0);
}

TEST(StringSplit, PiecesIncludeEmptyOnes) {
  EXPECT_EQ(pieces(String("a,,b").Split(String(","))), list({"a", "", "b"}));
  EXPECT_EQ(pieces(String(",a").Split(String(","))), list({"", "a"}));
  EXPECT_EQ(pieces(String("a,").Split(String(","))), list({"a", ""}));
  EXPECT_EQ(pieces(String("").Split(String(","))), list({""}));
  EXPECT_EQ(pieces(String("abc").Split(String(""))), list({"a", "b", "c"}));
  EXPECT_EQ(String("").Split(String("")).Length(), 0);
  EXPECT_EQ(pieces(String("a::b:::c").Split(String("::"))), list({"a", "b", ":c"}));
  EXPECT_EQ(pieces(String("aaa").Split(String("aa"))), list({"", "a"}));
}

TEST(StringReplace, MatchesNeverOverlap) {
  EXPECT_EQ(String("aaaa").Replace(String("aa"), String("x")), String("xx"));
  EXPECT_EQ(String("aaa").Replace(String("aa"), String("x")), String("xa"));
  EXPECT_EQ(String("a.b.c").Replace(String("."), String("--")), String("a--b--c"));
  EXPECT_EQ(String("abab").Replace(String("ab"), String("")), String());
  EXPECT_EQ(String("ab").Replace(String("b"), String("bb")), String("abb"));
}

TEST(StringReplace, EmptySearchTextReturnsTheStringUnchanged) {
  String s("abc");
  String r = s.Replace(String(), String("x"));
  EXPECT_EQ(r.GetRep(), s.GetRep());
  EXPECT_EQ(String().Replace(String(), String("x")), String());
}

TEST(StringSlice, NegativeAndOutOfRangeIndicesClamp) {
  String s("hello");
  EXPECT_EQ(s.Slice(1, 3), String("el"));
  EXPECT_EQ(s.Slice(-3), String("llo"));
  EXPECT_EQ(s.Slice(2, -1), String("ll"));
  EXPECT_EQ(s.Slice(4, 2), String());
  EXPECT_EQ(s.Slice(-10, 10).GetRep(), s.GetRep());
  EXPECT_EQ(s.Find(String("l")), 2);
  EXPECT_EQ(s.Find(String("l"), 3), 3);
  EXPECT_EQ(s.Find(String("l"), -4), 2);
  EXPECT_EQ(s.Find(String("lo!"), 0), -1);
  EXPECT_EQ(s.FindLast(String("l")), 3);
}

TEST(StringUtf8, BytesDecodeToUnitsAndBack) {
  String s = String::FromUtf8("A\xc3\xa9\xe2\x82\xac", 6);
  ASSERT_EQ(s.Length(), 3);
  EXPECT_EQ(s[1], 0xe9);
  EXPECT_EQ(s[2], 0x20ac);
  EXPECT_EQ(s.ToUtf8(), std::string("A\xc3\xa9\xe2\x82\xac"));
  // A cut sequence keeps the bytes as they were.
  String cut = String::FromUtf8("A\xc3", 2);
  ASSERT_EQ(cut.Length(), 2);
  EXPECT_EQ(cut[1], 0xc3);
}

TEST(ArrayValues, NewElementsAreZeroOrEmpty) {
  Array<int> ints(5);
  ASSERT_EQ(ints.Length(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ints[i], 0);
  Array<String> texts(2);
  EXPECT_TRUE(texts[0].IsEmpty());
  EXPECT_TRUE(texts[1].IsEmpty());
  Array<float> floats(3);
  EXPECT_EQ(floats[2], 0.0f);
  Array<bool> flags(9);
  EXPECT_FALSE(flags[8]);
  Array<Array<int>::Rep*> refs(4);
  EXPECT_EQ(refs[3], nullptr);
}

TEST(ArrayValues, EmptyArraysShareOneStaticRepresentation) {
  EXPECT_EQ(Array<int>().GetRep(), &Array<int>::nullRep);
  EXPECT_EQ(Array<int>(0).GetRep(), &Array<int>::nullRep);
  EXPECT_EQ(Array<int>(-3).GetRep(), &Array<int>::nullRep);
  EXPECT_EQ(Array<String>().GetRep(), &Array<String>::nullRep);
  EXPECT_EQ(Array<int>::nullRep.gc_colour(), 3);
  EXPECT_EQ(Array<int>::nullRep.gc_size(), 0);
}

TEST(ArrayValues, SliceAndResizeCopyElements) {
  Array<int> a(4);
  for (int i = 0; i < 4; ++i) a[i] = i + 1;
  Array<int> s = a.Slice(1, -1);
  ASSERT_EQ(s.Length(), 2);
  EXPECT_EQ(s[0], 2);
  EXPECT_EQ(s[1], 3);
  Array<int> r = a.Resize(6);
  EXPECT_EQ(r[3], 4);
  EXPECT_EQ(r[5], 0);
  Array<String> t(2);
  t[0] = String("x");
  Array<String> u = t.Resize(1);
  EXPECT_EQ(u[0].GetRep(), t[0].GetRep());
}
