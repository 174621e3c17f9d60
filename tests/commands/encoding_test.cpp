#include "commands/encoding.h"

#include <gtest/gtest.h>

#include "commands/data_structure_library_blocks.h"

namespace vorenn {
namespace {

const char kFail[] = "<fail>";

std::string Convert(std::string_view in, std::string_view from, std::string_view to) {
  auto out = ConvertEncoding(in, from, to);
  return out ? *out : kFail;
}

struct Case {
  const char* name;
  std::string in, from, to, expected;
};

TEST(ConvertEncoding, Table) {
  const Case cases[] = {
      {"escape to GBK", "\\u4F60", "JAVA", "GBK", "\xC4\xE3"},
      {"lower-case digits", "\\u4f60\\u597d", "java", "GBK", "\xC4\xE3\xBA\xC3"},
      {"ASCII passes", "abc {}\\n 123", "JAVA", "GBK", "abc {}\\n 123"},
      {"backslash without u", "a\\b\\", "JAVA", "GBK", "a\\b\\"},
      {"u without hex digits", "\\u12G4x", "JAVA", "GBK", "\\u12G4x"},
      {"escape of an ASCII character", "\\u0041", "JAVA", "GBK", "A"},
      {"surrogate pair", "\\uD83D\\uDE00", "JAVA", "UTF-8", "\xF0\x9F\x98\x80"},
      {"lone high surrogate", "\\uD83Dx", "JAVA", "UTF-8", kFail},
      {"high surrogate at the end", "\\uD83D", "JAVA", "UTF-8", kFail},
      {"lone low surrogate", "\\uDE00", "JAVA", "UTF-8", kFail},
      {"short escape at the end", "ab\\u4F", "JAVA", "GBK", kFail},
      {"byte above ASCII", "a\xC4\xE3", "JAVA", "GBK", kFail},
      {"not representable in GBK", "\\uD83D\\uDE00", "JAVA", "GBK", kFail},
      {"GBK to escapes", "a\xC4\xE3/", "GBK", "JAVA", "a\\u4f60/"},
      {"beyond the basic plane to escapes", "\xF0\x9F\x98\x80", "UTF-8", "JAVA", "\\ud83d\\ude00"},
      {"escapes to escapes", "\\u4F60x", "JAVA", "JAVA", "\\u4f60x"},
      {"invalid GBK", "\xC4", "GBK", "UTF-8", kFail},
      {"GBK's user-defined area", "\xAA\xA1", "GBK", "UTF-8", kFail},
      {"a private-use character", "\\uE000", "JAVA", "GBK", kFail},
      {"an empty flag list", "\\u4F60", "JAVA", "gbk//", "\xC4\xE3"},
      {"unknown source", "abc", "NO-SUCH-CODE", "GBK", kFail},
      {"unknown target", "abc", "GBK", "NO-SUCH-CODE", kFail},
      {"empty input", "", "GBK", "JAVA", ""},
      {"empty input, unknown name", "", "GBK", "NO-SUCH-CODE", kFail},
      {"empty name", "abc", "", "GBK", kFail},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Convert(c.in, c.from, c.to), c.expected) << c.name;
  }
}

TEST(ConvertEncoding, GrowsTheOutputWithinTwelveSteps) {
  std::string latin(10000, '\xE9');
  std::string expected;
  for (int i = 0; i < 10000; ++i) expected += "\\u00e9";
  EXPECT_EQ(Convert(latin, "ISO-8859-1", "JAVA"), expected);
  // ASCII to UTF-32 quadruples the size.
  EXPECT_EQ(Convert(std::string(5000, 'a'), "ASCII", "UTF-32LE").size(), 20000u);
}

TEST(ConvertEncoding, CommandSetsTheSuccessVariable) {
  auto run = [](std::string_view in, const char* from, const char* to, int32_t& success) {
    void* bytes = NewBytesBlock(in);
    RuntimeValue args[4] = {MakePointer(kTypeBytes, bytes), MakePointer(kTypeText, from),
                            MakePointer(kTypeText, to), MakePointer(kTypeBool, &success)};
    RuntimeValue result{0, 0, 0};
    kEncodingCommands[0](&result, 4, args);
    FreeBlock(bytes);
    std::string out(BytesOfBlock(PointerOf(result)));
    FreeBlock(PointerOf(result));
    EXPECT_EQ(result.type, kTypeBytes);
    return out;
  };
  int32_t success = 7;
  EXPECT_EQ(run("\\u4F60", "JAVA", "GBK", success), "\xC4\xE3");
  EXPECT_EQ(success, 1);
  EXPECT_EQ(run("x", "JAVA", "NOPE", success), "");
  EXPECT_EQ(success, 0);
  success = 7;
  EXPECT_EQ(run("", "JAVA", "GBK", success), "");
  EXPECT_EQ(success, 1);
}

}  // namespace
}  // namespace vorenn
