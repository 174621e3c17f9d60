#include "json/json_parser.h"

#include <gtest/gtest.h>

namespace vorenn {
namespace {

struct Parsed {
  int32_t ok = -1;
  std::string error;
  std::unique_ptr<JsonValue> value;
};

Parsed ParseText(std::string_view text) {
  Parsed p;
  p.value = JsonParser().Parse(text, &p.ok, &p.error);
  return p;
}

// One scalar, read as the single element of an array.
struct ScalarCase {
  std::string token, tag, content;
};

TEST(JsonParse, ClassifiesScalarsByLengthAndShape) {
  const ScalarCase cases[] = {
      {"123456789", "长", "123456789"},
      {"1234567890", "大数", "1234567890"},
      {"-12345678", "长", "-12345678"},
      {"-123456789", "大数", "-123456789"},
      {"+12", "长", "12"},
      {"1.5", "浮点", "1.5"},
      {"-0.25", "浮点", "-0.25"},
      {"12345678.5", "大数", "12345678.5"},
      {"1.5e+3", "大数", "1500"},
      {"1e+3", "大数", "1000"},
      {"5e-3", "大数", "0.005"},
      {"1.5e-3", "大数", "0.0015"},
      {"-12.5e+1", "大数", "-125"},
      {"0.5e+1", "大数", "5"},
      {"1e5", "大数", "1e5"},  // neither "e+" nor "e-": kept as written
      {"1e+99999999", "大数", "1e+99999999"},  // too large to expand
      {"true", "逻辑", "true"},
      {"false", "逻辑", "false"},
      {"null", "空", ""},
      {"\"a b\"", "文本", "a b"},
      {"\"\\u4F60\"", "文本", "\\u4F60"},  // left for DecodeUnicodeEscapes
      {"\"x\\ty\\/z\\\"\"", "文本", "x\ty/z\""},
      {"\"a\\\\\"", "文本", "a\\"},           // ends in an escaped backslash
      {"\"a\\\\nb\"", "文本", "a\\nb"},       // escaped backslash, then a letter
      {"\"a\\\\\\\"b\"", "文本", "a\\\"b"},   // escaped backslash, then an escaped quote
      {"\"\\q\\\\\"", "文本", "\\q\\"},       // an unknown escape stays
      {"\"你好\"", "文本", "你好"},
  };
  for (const auto& c : cases) {
    Parsed p = ParseText("[" + c.token + "]");
    ASSERT_EQ(p.ok, 1) << c.token << ": " << p.error;
    ASSERT_EQ(p.value->ArraySize(), 1) << c.token;
    auto element = p.value->GetElement(1);
    EXPECT_EQ(element->TypeName(), c.tag) << c.token;
    EXPECT_EQ(element->AsText(), c.content) << c.token;
  }
}

struct DocumentCase {
  std::string text;
  int32_t ok;
  std::string error;
};

TEST(JsonParse, AcceptsAndRejectsDocuments) {
  const DocumentCase cases[] = {
      {"{}", 1, ""},
      {"[]", 1, ""},
      {" \t\r\n[ ]", 1, ""},
      {"[1,]", 1, ""},
      {"{\"a\":1,}", 1, ""},
      {"{\"a\":1} trailing words", 1, ""},
      {"", 0, "要解析的JSON内容为空"},
      {"   ", 0, "要解析的JSON内容为空"},
      {"\xA1\xA1 \xA1\xA1", 0, "要解析的JSON内容为空"},
      {"1", 0, "JSON文本格式不正确"},
      {"\"text\"", 0, "JSON文本格式不正确"},
      {"\t", 0, "JSON文本格式不正确"},
      {"[", 0, "JSON文本格式不正确"},
      {"{\"a\":\"x\ny\"}", 0, "JSON文本格式不正确"},  // raw line break
      {"{\"a\":\"x\ry\"}", 0, "JSON文本格式不正确"},
      {"{\"a\":\"abc}", 0, "JSON文本格式不正确"},     // never closed
      {"{\"a\":\"ab\\\"}", 0, "JSON文本格式不正确"},  // the quote is escaped
      {"{a:1}", 0, "解析出错，对象名称必须带引号"},
      {"{1:1}", 0, "解析出错，对象名称必须带引号"},
      {"{\"a\" 1}", 0, "解析出错，未找到分割符 \":\""},
      {"{\"a\"}", 0, "解析出错，未找到分割符 \":\""},
      {"{", 0, "解析出错，JSON格式不正确"},
      {"{\"a\":1", 0, "解析出错，JSON格式不正确"},
      {"{\"a\":1 \"b\":2}", 0, "解析出错，JSON格式不正确"},
      {"[1", 0, "解析出错，JSON格式不正确"},
      {"[1 2]", 0, "未知的符号“2”"},
      {"[1}", 0, "未知的符号“}”"},
      {"[,1]", 0, "未知的符号“,”"},
      {"[true ,1]", 0, "未知的符号“true ”"},  // the word keeps its trailing blank
      {"[True]", 0, "未知的符号“True”"},
      {"[NULL]", 0, "未知的符号“NULL”"},
      {"[1E5]", 0, "未知的符号“E5”"},  // "1", then the word "E5"
      {"[{\"a\":[1,,]}]", 0, "未知的符号“,”"},
  };
  for (const auto& c : cases) {
    Parsed p = ParseText(c.text);
    EXPECT_EQ(p.ok, c.ok) << c.text;
    EXPECT_EQ(p.error, c.error) << c.text;
    if (!c.ok) {
      EXPECT_TRUE(p.value->IsNull()) << c.text;
    }
  }
}

// 誠 is D5 5C: its second byte is a backslash's, and must not escape the quote after it.
TEST(JsonParse, DoubleByteCharactersAreTakenWhole) {
  Parsed p = ParseText("{\"名\":\"誠\",\"b\":\"謀\\\\\",\"c\":[\"誠\\\"\"]}");
  ASSERT_EQ(p.ok, 1) << p.error;
  EXPECT_EQ(p.value->GetMember("名")->AsText(), "誠");
  EXPECT_EQ(p.value->GetMember("b")->AsText(), "謀\\");
  EXPECT_EQ(p.value->GetMember("c")->GetElement(1)->AsText(), "誠\"");

  // A lead byte pairs only with a trail byte: a quote or a line break after it is still one.
  p = ParseText("[\"a\xC4\",\"\xC4\"]");
  ASSERT_EQ(p.ok, 1) << p.error;
  EXPECT_EQ(p.value->GetElement(2)->AsText(), "\xC4");
  EXPECT_EQ(ParseText("{\"a\":\"\xC4\n\"}").error, "JSON文本格式不正确");
  // The trail byte of a character is never half of an escape pair either.
  EXPECT_EQ(ParseText("[\"誠\\\"]").ok, 0);
}

TEST(JsonParse, UnknownWordsAreStoredInObjects) {
  Parsed p = ParseText("{\"a\":True,\"b\":nul,\"c\":true }");
  ASSERT_EQ(p.ok, 1) << p.error;
  for (const char* name : {"a", "b", "c"}) {
    auto member = p.value->GetMember(name);
    EXPECT_EQ(member->TypeName(), "未知") << name;
    EXPECT_EQ(member->AsText(), "") << name;  // the blob keeps only the tag
  }
}

TEST(JsonParse, NestingIsBoundedAt512Levels) {
  auto nested = [](int levels) { return std::string(size_t(levels), '[') + std::string(size_t(levels), ']'); };
  EXPECT_EQ(ParseText(nested(512)).ok, 1);
  Parsed deep = ParseText(nested(513));
  EXPECT_EQ(deep.ok, 0);
  EXPECT_EQ(deep.error, "解析出错，JSON格式不正确");
  Parsed huge = ParseText(std::string(100000, '['));
  EXPECT_EQ(huge.error, "解析出错，JSON格式不正确");
  std::string objects;
  for (int i = 0; i < 600; ++i) objects += "{\"a\":";
  EXPECT_EQ(ParseText(objects + "1" + std::string(600, '}')).error, "解析出错，JSON格式不正确");
}

TEST(JsonParse, ReadsTokensFromAStream) {
  JsonParser parser;
  FileNumber stream = OpenMemoryFile();
  WriteText(stream, "  {\"k\\\"\" : -1.5e+2,true  ]word\"x\" y");
  SeekToFileStart(stream);
  std::vector<std::string> tokens;
  for (std::string t = parser.ReadToken(stream); !t.empty(); t = parser.ReadToken(stream)) tokens.push_back(t);
  const std::vector<std::string> expected = {"{", "\"k\\\"\"", ":", "-1.5e+2", ",", "true  ", "]", "word\"x\" y"};
  EXPECT_EQ(tokens, expected);
  EXPECT_EQ(parser.ReadSignificantChar(stream), "");
  CloseFile(stream);

  EXPECT_TRUE(parser.IsNumberText("-1.5e+2"));
  EXPECT_FALSE(parser.IsNumberText("1E5"));
  EXPECT_FALSE(parser.IsNumberText(""));
}

}  // namespace
}  // namespace vorenn
