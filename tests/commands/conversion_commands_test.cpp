#include "commands/conversion_commands.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>

#include "commands/calendar.h"
#include "commands/command_values.h"
#include "engine/core/memory.h"

namespace vorenn {
namespace {

RuntimeValue Float(float f) {
  RuntimeValue v{0, 0, kTypeFloat};
  std::memcpy(&v.low, &f, 4);
  return v;
}
RuntimeValue DateTime(double t) {
  RuntimeValue v = MakeDouble(t);
  v.type = kTypeDateTime;
  return v;
}

TEST(ToText, NumbersOfEveryKind) {
  struct Case {
    RuntimeValue value;
    const char* expected;
  };
  const Case cases[] = {
      {MakeDouble(1.0), "1"},
      {MakeDouble(0.1), "0.1"},
      {MakeDouble(-2.5), "-2.5"},
      {MakeDouble(1.0 / 3.0), "0.3333333333333"},
      {MakeDouble(1234567890123.0), "1234567890123"},
      {MakeDouble(1e13), "1e+13"},
      {MakeDouble(0.0001), "0.0001"},
      {MakeDouble(0.00001), "1e-05"},
      {Float(3.14159274f), "3.14159"},
      {Float(1234567.0f), "1.23457e+06"},
      {RuntimeValue{0xFF, 0, kTypeByte}, "255"},
      {RuntimeValue{0xFFFF, 0, kTypeShort}, "-1"},
      {MakeInt(-42), "-42"},
      {MakeLong(-9000000000LL), "-9000000000"},
      {MakeBool(true), "真"},
      {MakeBool(false), "假"},
      {RuntimeValue{5, 0, kTypeSubroutine}, ""},
      {RuntimeValue{1, 2, kTypeWindow}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToText(c.value), c.expected) << std::hex << c.value.type;
}

TEST(ToText, IgnoresTheProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old != nullptr ? old : "C";
  // A German decimal comma, under the name Linux or Windows gives it.
  bool german = false;
  for (const char* name : {"de_DE.UTF-8", "de-DE", "German_Germany.1252"})
    if (!german) german = std::setlocale(LC_NUMERIC, name) != nullptr;
  if (!german) GTEST_SKIP() << "no German locale installed";
  EXPECT_EQ(ToText(MakeDouble(2.5)), "2.5");
  EXPECT_EQ(TextToNumber("2.5"), 2.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ToText, DatesShowTheTimeOnlyAsFarAsItIsNotZero) {
  const double day = DateTimeOf({2014, 9, 24, 0, 0, 0});
  struct Case {
    int h, m, s;
    const char* expected;
  };
  const Case cases[] = {
      {0, 0, 0, "2014年9月24日"},
      {10, 0, 5, "2014年9月24日10时0分5秒"},
      {10, 5, 0, "2014年9月24日10时5分"},
      {10, 0, 0, "2014年9月24日10时"},
      {0, 0, 1, "2014年9月24日0时0分1秒"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToText(DateTime(day + (c.h * 3600 + c.m * 60 + c.s) / 86400.0)), c.expected);
  }
  EXPECT_EQ(ToText(DateTime(-1e9)), "100年1月1日");
}

TEST(ToText, BlocksAreReadUpToTheFirstZero) {
  const uint8_t raw[] = {'a', 'b', 0, 'c'};
  void* bytes = MakeByteArrayBlock(raw);
  EXPECT_EQ(ToText(MakePointer(kTypeBytes, bytes)), "ab");
  FreeBlock(bytes);
  char* text = MakeTextBlock("copy");
  EXPECT_EQ(ToText(MakePointer(kTypeText, text)), "copy");
  FreeBlock(text);
  EXPECT_EQ(ToText(MakePointer(kTypeText, nullptr)), "");

  // An int array [0x6968, 0] reads as the text "hi".
  int32_t array[] = {1, 2, 0x6968, 0};
  EXPECT_EQ(ToText(MakePointer(kTypeInt | kArrayFlag, array)), "hi");
  void* texts[] = {nullptr};
  int32_t textArray[4] = {1, 1};
  std::memcpy(&textArray[2], texts, sizeof texts);
  EXPECT_EQ(ToText(MakePointer(kTypeText | kArrayFlag, textArray)), "");
}

TEST(ToNumber, TextsFollowTheDecimalPrefixRule) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"123", 123},
      {"\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xAE\xA3\xB5", 123.5},  // full-width "123.5"
      {"\xA3\xAD\xA3\xB7", -7},                              // full-width "-7"
      {"\xA1\xA1 42", 42},                                   // full-width space first
      {"  -1.5e3xyz", -1500},
      {"+.5", 0.5},
      {"1e", 1},
      {"1e+", 1},
      {"2E2", 200},
      {".", 0},
      {"abc", 0},
      {"", 0},
      {"0x1A", 0},
      {"inf", 0},
      {"nan", 0},
      {"\t\n7", 7},
      {"1e400", HUGE_VAL},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToNumber(MakePointer(kTypeText, c.text)), c.expected) << c.text;
  }
}

TEST(ToNumber, OtherKinds) {
  EXPECT_EQ(ToNumber(MakeBool(true)), 1.0);
  EXPECT_EQ(ToNumber(MakeLong(-5)), -5.0);
  EXPECT_EQ(ToNumber(Float(0.5f)), 0.5);
  EXPECT_EQ(ToNumber((RuntimeValue{200, 0, kTypeByte})), 200.0);
  EXPECT_EQ(ToNumber(DateTime(5.0)), 0.0);
  EXPECT_EQ(ToNumber((RuntimeValue{0xFFFFFFFF, 0, kTypeSubroutine})), 4294967295.0);
}

TEST(FullWidthToHalfWidth, MappedAndKeptCharacters) {
  EXPECT_EQ(FullWidthToHalfWidth("\xA3\xC1\xA1\xAB\xA1\xEE\xA1\xEF\xA1\xA1\xD6\xD0"), "A~** \xD6\xD0");
  EXPECT_EQ(FullWidthToHalfWidth("\xA3\xA0x"), "\xA3\xA0x");  // below the mapped range
  EXPECT_EQ(FullWidthToHalfWidth("ab\xA3"), "ab\xA3");        // a lead byte alone at the end
}

TEST(ToBytes, RawLittleEndianValues) {
  using Bytes = std::vector<uint8_t>;
  EXPECT_EQ(ToBytes(MakeInt(0x01020304)), (Bytes{4, 3, 2, 1}));
  EXPECT_EQ(ToBytes((RuntimeValue{0x1234, 0, kTypeShort})), (Bytes{0x34, 0x12}));
  EXPECT_EQ(ToBytes(MakeBool(true)), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(ToBytes(MakeLong(-2)), (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(ToBytes(DateTime(1.0)).size(), 8u);
  EXPECT_EQ(ToBytes(MakePointer(kTypeText, "ab")), (Bytes{'a', 'b'}));
  EXPECT_TRUE(ToBytes(MakePointer(kTypeText, nullptr)).empty());
  EXPECT_TRUE(ToBytes((RuntimeValue{1, 2, kTypeWindow})).empty());
  int16_t array[] = {1, 0, 2, 3};  // one dimension of 2 shorts: {2, 3}
  int32_t header[2] = {1, 2};
  uint8_t block[12];
  std::memcpy(block, header, 8);
  std::memcpy(block + 8, array + 2, 4);
  EXPECT_EQ(ToBytes(MakePointer(kTypeShort | kArrayFlag, block)), (Bytes{2, 0, 3, 0}));
}

}  // namespace
}  // namespace vorenn
