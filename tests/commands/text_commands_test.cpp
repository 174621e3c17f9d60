#include "commands/text_commands.h"
#include "tests/support/exit_status.h"

#include <gtest/gtest.h>

#include <string>

namespace vorenn {
namespace {

// "中" in GBK is D6 D0. E9 61 is a double-byte character whose trail byte is the letter a.
constexpr std::string_view kZhong = "\xD6\xD0";
constexpr std::string_view kTrailA = "\xE9\x61";

struct FindCase {
  std::string text, sought;
  std::optional<int32_t> start;
  CaseMode mode;
  int32_t expected;
};

TEST(FindText, PositionsStartsAndCase) {
  const FindCase cases[] = {
      {"abcabc", "c", 4, CaseMode::kExact, 6},
      {"abcabc", "c", {}, CaseMode::kExact, 3},
      {"abcabc", "", {}, CaseMode::kExact, 1},
      {"", "", {}, CaseMode::kExact, -1},
      {"abc", "", 4, CaseMode::kExact, -1},
      {"ABC", "b", {}, CaseMode::kIgnoreAscii, 2},
      {"ABC", "b", {}, CaseMode::kExact, -1},
      {"abc", "abcd", {}, CaseMode::kExact, -1},
      {"abc", "a", -5, CaseMode::kExact, 1},
      {"abc", "c", 3, CaseMode::kExact, 3},
      {"abc", "a", 2, CaseMode::kExact, -1},
      {"Set-Cookie: x=1", "set-cookie: ", 1, CaseMode::kIgnoreAscii, 1},
      {"GET http://h/p", "http://", {}, CaseMode::kExact, 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.mode), c.expected) << c.text << " / " << c.sought;
  }
}

TEST(FindText, NeverMatchesOnATrailByte) {
  const std::string text = std::string(kTrailA) + "xa";
  EXPECT_EQ(FindText(text, "a"), 4);
  EXPECT_EQ(FindText(text, "A", {}, CaseMode::kIgnoreAscii), 4);
  // Starting the search on the trail byte itself treats it as the start of a character.
  EXPECT_EQ(FindText(text, "a", 2), 2);
  EXPECT_EQ(FindText(std::string(kTrailA), "a"), -1);
  // Position counts from the start of the text, and double-byte characters are found whole.
  EXPECT_EQ(FindText("ab" + std::string(kZhong) + "cd" + std::string(kZhong), kZhong, 4), 7);
  // A lead byte at the very end is a character of its own and can still be found.
  EXPECT_EQ(FindText("x\xB0", "\xB0"), 2);
}

TEST(FindText, LongTextWithManyTrailByteCandidates) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += kTrailA;
  EXPECT_EQ(FindText(text, "a"), -1);
  text += "a";
  EXPECT_EQ(FindText(text, "a"), 2001);
}

struct ReplaceCase {
  std::string text, sought, replacement;
  std::optional<int32_t> start, count;
  CaseMode mode;
  std::string expected;
};

TEST(ReplaceSubText, BackslashesCountsAndStarts) {
  const ReplaceCase cases[] = {
      {"\\\\", "\\", "\\\\", {}, {}, CaseMode::kExact, "\\\\\\\\"},
      {"\\\\", "\\", "\\\\", {}, 1, CaseMode::kExact, "\\\\\\"},
      {"a\"b\"", "\"", "\\\"", {}, {}, CaseMode::kExact, "a\\\"b\\\""},
      {"aAaA", "a", "x", {}, {}, CaseMode::kIgnoreAscii, "xxxx"},
      {"aAaA", "a", "x", {}, {}, CaseMode::kExact, "xAxA"},
      {"aaaa", "a", "b", 3, {}, CaseMode::kExact, "aabb"},
      {"aaaa", "a", "b", 2, 2, CaseMode::kExact, "abba"},
      {"aaaa", "a", "b", {}, 0, CaseMode::kExact, "aaaa"},
      {"aaaa", "a", "b", 5, {}, CaseMode::kExact, "aaaa"},
      {"aaaa", "", "b", {}, {}, CaseMode::kExact, "aaaa"},
      {"aaaa", "aa", "", {}, {}, CaseMode::kExact, ""},
      {"abc", "b", "", {}, {}, CaseMode::kExact, "ac"},
      {"aaa", "aa", "a", {}, {}, CaseMode::kExact, "aa"},  // matches do not overlap
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceSubText(c.text, c.sought, c.replacement, c.start, c.count, c.mode), c.expected) << c.text;
  }
}

TEST(ReplaceSubText, StepsOverDoubleByteCharacters) {
  const std::string text = std::string(kTrailA) + "a" + std::string(kZhong);
  EXPECT_EQ(ReplaceSubText(text, "a", "b"), std::string(kTrailA) + "b" + std::string(kZhong));
  EXPECT_EQ(ReplaceSubText(text, kZhong, "z"), std::string(kTrailA) + "az");
}

TEST(ReplaceText, Ranges) {
  struct Case {
    std::string text;
    int32_t start, length;
    std::string replacement, expected;
  };
  const Case cases[] = {
      {"abcdef", 3, 10, "", "ab"},
      {"abcdef", 3, 0, "X", "abXcdef"},
      {"abcdef", 1, 12, "", ""},
      {"abcdefghijklmn", 1, 12, "", "mn"},
      {"abcdef", 0, 2, "", "cdef"},
      {"abcdef", 7, 2, "X", "abcdefX"},
      {"abcdef", 99, 2, "X", "abcdefX"},
      {"abcdef", 2, -3, "X", "aXbcdef"},
      {"abcdef", 2, 2, "XYZ", "aXYZdef"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceText(c.text, c.start, c.length, c.replacement), c.expected) << c.text << " " << c.start;
  }
}

TEST(TextSlices, LeftRightMiddleAndBuilders) {
  EXPECT_EQ(TextMiddle("abc", 0, 1), "");
  EXPECT_EQ(TextMiddle("abc", 4, 1), "");
  EXPECT_EQ(TextMiddle("abc", 2, 5), "bc");
  EXPECT_EQ(TextMiddle("abc", 2, 0), "");
  EXPECT_EQ(TextLeft("abc", 2), "ab");
  EXPECT_EQ(TextLeft("abc", 9), "abc");
  EXPECT_EQ(TextLeft("abc", -1), "");
  EXPECT_EQ(TextRight("abc", 2), "bc");
  EXPECT_EQ(TextRight("abc", 9), "abc");
  EXPECT_EQ(TextRight("abc", 0), "");
  EXPECT_EQ(RepeatText(3, "ab"), "ababab");
  EXPECT_EQ(RepeatText(4, " "), "    ");
  EXPECT_EQ(RepeatText(-2, "ab"), "");
  EXPECT_EQ(SpaceText(3), "   ");
  EXPECT_EQ(SpaceText(0), "");
  EXPECT_EQ(CharFromCode(0), "");
  EXPECT_EQ(CharFromCode(13), "\r");
}

TEST(CaseChange, OnlyAsciiLettersOutsideDoubleByteCharacters) {
  const std::string mixed = "aZ" + std::string(kTrailA) + "q";
  EXPECT_EQ(ToUpper(mixed), "AZ" + std::string(kTrailA) + "Q");
  EXPECT_EQ(ToLower("AbC\xA3\xC1Z"), "abc\xA3\xC1z");
  // A lead byte at the end stops the scan; what came before is changed and it is kept.
  EXPECT_EQ(ToUpper("ab\xB0"), "AB\xB0");
}

TEST(CompareText, EqualityOrderAndCase) {
  EXPECT_EQ(CompareText("true", "true", CaseMode::kExact), 0);
  EXPECT_NE(CompareText("True", "true", CaseMode::kExact), 0);
  EXPECT_EQ(CompareText("True", "tRUE", CaseMode::kIgnoreAscii), 0);
  EXPECT_LT(CompareText("tru", "true", CaseMode::kExact), 0);
  EXPECT_GT(CompareText("true", "tru", CaseMode::kExact), 0);
  EXPECT_EQ(CompareText("", "", CaseMode::kExact), 0);
  // A double-byte character is one unit: its trail byte is not folded.
  EXPECT_NE(CompareText(std::string(kTrailA), "\xE9\x41", CaseMode::kIgnoreAscii), 0);
  EXPECT_GT(CompareText(std::string(kZhong), "z", CaseMode::kExact), 0);
}

TEST(Spaces, TrimAndRemoveAsciiAndFullWidth) {
  const std::string fw = "\xA1\xA1";
  EXPECT_EQ(TrimText(" " + fw + " a b" + fw + "  "), "a b");
  EXPECT_EQ(TrimText(fw + " " + fw), "");
  EXPECT_EQ(TrimText("\ta \t"), "\ta \t");
  // The trailing run is found on character boundaries: B0 A1 is a character, not half a space.
  EXPECT_EQ(TrimText("x\xB0\xA1\xA1\xA1"), "x\xB0\xA1");
  EXPECT_EQ(RemoveAllSpaces(" a" + fw + "b " + std::string(kZhong) + " "), "ab" + std::string(kZhong));
  EXPECT_EQ(RemoveAllSpaces("\xB0\xA1\xA1\xA1x"), "\xB0\xA1x");
}

}  // namespace
}  // namespace vorenn

namespace vorenn {
namespace {

TEST(RepeatTextDeathTest, AResultNoTextBlockCanHoldIsAnAllocationFailure) {
  EXPECT_EXIT(RepeatText(0x40000000, "abc"), test_support::EndedWithMinusOne, "");
}

}  // namespace
}  // namespace vorenn
