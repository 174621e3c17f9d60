// Parse reads its text in place; ParseValue reads an open file byte by byte. Both must come to the
// same value or error, whatever the document.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "commands/encoding.h"
#include "commands/memory_file.h"
#include "json/json_parser.h"

namespace vorenn {
namespace {

struct Outcome {
  int32_t ok = -1;
  std::string error;
  std::string blob;
};

Outcome FromText(std::string_view text) {
  Outcome o;
  o.blob = JsonParser().Parse(text, &o.ok, &o.error)->ToBlob();
  return o;
}

// The same document through an in-memory file.
Outcome FromFile(std::string_view text) {
  FileNumber file = OpenMemoryFile();
  WriteBytes(file, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  SeekToFileStart(file);
  JsonParseResult r = JsonParser().ParseValue(file);
  Outcome o{r.ok, r.ok ? std::string() : r.error, r.ok ? r.value->ToBlob() : JsonValue().ToBlob()};
  CloseFile(file);
  return o;
}

TEST(JsonReadingPaths, TextAndFileGiveTheSameValueOrError) {
  const char* documents[] = {
      "{\"b\":\"1\",\"list\":[{\"name\":\"\\u73a9\",\"money\":900000000000000000000000000001}]}",
      "[\"a\\\\\",\"b\\\\\\\"c\",\"\\\"\"]",  // runs of backslashes before quotes
      "[\"unclosed",                          // the text ends inside a string
      "[\"line\nbreak\"]",                    // a raw line break ends the string
      "[\"cr\rbreak\"]",
      "[12345,-1.5e+3,7]",
      "[12345",                               // a number at the very end
      "{\"a\":tru e,\"b\":1}",                // a word followed by blanks
      "{\"a\":word}",
      "[word]",
      "{\"a\" 1}",
      "{a:1}",
      "[1 2]",
      "[1,,2]",
      "{\"\xC4\xE3\":\"\xBA\xC3\",\"k\":[[],{}]}",  // GBK names and texts
      "{\"\xD5\x5C\":\"\xD5\x5C\"}",              // a trail byte 0x5C before the closing quote
      "[\"\xD5\x5C\\\\\",\"\xD5\x5C\\\"\"]",         // ... and before escaped characters
      "[\"\xC4\",\"\xC4\n\"]",                      // a lead byte alone before a quote, a line break
      "[\"\\u\",\"\\\\u4F60\"]",
      "{\"a\":1}   trailing words",
      "[",
      "{",
  };
  for (const char* doc : documents) {
    Outcome text = FromText(doc);
    Outcome file = FromFile(doc);
    EXPECT_EQ(text.ok, file.ok) << doc;
    EXPECT_EQ(text.error, file.error) << doc;
    EXPECT_EQ(text.blob, file.blob) << doc;
  }
}

// Values inside a document are written straight into their parent's blob; a scalar at the top of
// a stream is built as a value. Both must store the same bytes for the same token, at any depth.
TEST(JsonReadingPaths, NestedScalarsAreStoredAsTheValuesBuiltForThem) {
  const char* tokens[] = {"0",         "-7",          "+12",     "123456789", "--5",     "1.5",      "-0.25",
                          "0.1",       "1.23456789",  "1.",      "3.14159265358979", "1234567890",
                          "1.5e+3",    "5e-3",        "1e5",     "e",         "true",    "false",    "null",
                          "\"\"",      "\"a\\tb\\/\\\"\"", "\"\\u73a9\"", "\"\xC4\xE3\\\\\""};
  for (const char* token : tokens) {
    Outcome alone = FromFile(token);
    ASSERT_EQ(alone.ok, 1) << token;
    std::unique_ptr<JsonValue> list = JsonParser().Parse("[" + std::string(token) + ",[" + token + "]]", nullptr, nullptr);
    ASSERT_EQ(list->ArraySize(), 2) << token;
    EXPECT_EQ(list->ElementBlobAt(1), alone.blob) << token;
    EXPECT_EQ(JsonValue::FromBlob(list->ElementBlobAt(2))->ElementBlobAt(1), alone.blob) << token;
    std::unique_ptr<JsonValue> object = JsonParser().Parse("{\"k\":{\"k\":" + std::string(token) + "}}", nullptr, nullptr);
    EXPECT_EQ(object->GetMember("k")->GetMemberBlob("k"), alone.blob) << token;
  }
  // An unknown word is kept in an object, as its tag alone.
  std::unique_ptr<JsonValue> object = JsonParser().Parse("{\"k\":{\"k\":word}}", nullptr, nullptr);
  EXPECT_EQ(object->GetMember("k")->GetMemberBlob("k"), FromFile("word").blob);
}

// An object keeps its members by name in key order (shorter names first), a later member replacing
// an earlier one of the same name and a member without a name left out: a parsed object must hold
// what storing the same members one by one gives, also when it is nested and read out of order.
TEST(JsonReadingPaths, NestedObjectsHoldTheirMembersAsStoredOneByOne) {
  auto text = [](std::string_view content) {
    auto v = std::make_unique<JsonValue>();
    v->SetText(content);
    return v;
  };
  auto number = [](int64_t n) {
    auto v = std::make_unique<JsonValue>();
    v->SetLong(n);
    return v;
  };
  JsonValue inner;  // {"y":1,"x":[2,{"d":0,"c":"s","d":"t"}],"":5}
  JsonValue cd;
  cd.SetMember("d", *number(0));
  cd.SetMember("c", *text("s"));
  cd.SetMember("d", *text("t"));
  JsonValue x;
  x.Append(*number(2));
  x.Append(cd);
  inner.SetMember("y", *number(1));
  inner.SetMember("x", x);
  JsonValue entry;  // {"bb":"1","a":"2","bb":"3","":"4","aa":inner,"a":[]}
  entry.SetMember("bb", *text("1"));
  entry.SetMember("a", *text("2"));
  entry.SetMember("bb", *text("3"));
  entry.SetMember("aa", inner);
  JsonValue empty;
  empty.TypeName(json_tag::kArray, /*set=*/true);
  entry.SetMember("a", empty);
  JsonValue ordered;  // already in key order: {"a":"1","b":"2","aa":"3"}
  ordered.SetMember("a", *text("1"));
  ordered.SetMember("b", *text("2"));
  ordered.SetMember("aa", *text("3"));

  const std::string inner_text = "{\"y\":1,\"x\":[2,{\"d\":0,\"c\":\"s\",\"d\":\"t\"}],\"\":5}";
  const std::string entry_text = "{\"bb\":\"1\",\"a\":\"2\",\"bb\":\"3\",\"\":\"4\",\"aa\":" + inner_text + ",\"a\":[]}";
  std::unique_ptr<JsonValue> list =
      JsonParser().Parse("[" + entry_text + ",{\"a\":\"1\",\"b\":\"2\",\"aa\":\"3\"}]", nullptr, nullptr);
  ASSERT_EQ(list->ArraySize(), 2);
  EXPECT_EQ(list->ElementBlobAt(1), entry.ToBlob());
  EXPECT_EQ(list->ElementBlobAt(2), ordered.ToBlob());
  std::unique_ptr<JsonValue> top = JsonParser().Parse("{\"e\":" + entry_text + "}", nullptr, nullptr);
  EXPECT_EQ(top->GetMemberBlob("e"), entry.ToBlob());
  EXPECT_EQ(FromFile(entry_text).blob, entry.ToBlob());
}

TEST(JsonReadingPaths, ReadTokenLeavesTheStreamWhereTheTokenEnded) {
  struct Case {
    std::string text;
    std::vector<std::string> tokens;
  } cases[] = {
      {"12.5e+3]", {"12.5e+3", "]"}},
      {"  word  ,x", {"word  ", ",", "x"}},
      {"\"a\\\"b\" :", {"\"a\\\"b\"", ":"}},
      {"\"no end", {""}},
  };
  for (const Case& c : cases) {
    FileNumber file = OpenMemoryFile();
    WriteText(file, c.text);
    SeekToFileStart(file);
    std::vector<std::string> tokens;
    for (size_t i = 0; i < c.tokens.size(); ++i) tokens.push_back(JsonParser().ReadToken(file));
    EXPECT_EQ(tokens, c.tokens) << c.text;
    CloseFile(file);
  }
}

TEST(JsonReadingPaths, OnlyBlanksAreAnEmptyDocument) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"", kJsonErrorEmpty},
      {"  \xA1\xA1 ", kJsonErrorEmpty},  // a full-width space is blank too
      {"\xA1", kJsonErrorFormat},        // half of one is not
      {" \xA1\xA1\xA1", kJsonErrorFormat},
      {"\t", kJsonErrorFormat},          // trimming knows spaces only
      {"\xA1\xA1[]", kJsonErrorFormat},  // but no blank before a document
      {" \n[]", ""},
  };
  for (const auto& c : cases) {
    int32_t ok = -1;
    std::string error;
    JsonParser().Parse(c.text, &ok, &error);
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(ok, c.error.empty() ? 1 : 0) << c.text;
  }
}

// More distinct escapes than the decoder remembers at once, each twice, against the conversion
// of the escape on its own.
TEST(JsonReadingPaths, DecodedEscapesMatchTheirConversionAlsoWhenRemembered) {
  for (int round = 0; round < 2; ++round) {
    for (unsigned unit = 0x4E00; unit < 0x4E00 + 9000; unit += 1) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", unit);
      std::optional<std::string> expected = ConvertEncoding(escape, "JAVA", "GBK");
      ASSERT_TRUE(expected.has_value()) << escape;
      ASSERT_EQ(DecodeUnicodeEscapes(std::string("<") + escape + ">"), "<" + *expected + ">") << escape;
    }
  }
  EXPECT_EQ(DecodeUnicodeEscapes("\\u0041\\u005c\\u0041"), "A\\A");
  EXPECT_EQ(DecodeUnicodeEscapes("\\u005cu0041"), "A");  // a decoded backslash starts a new escape
  EXPECT_EQ(DecodeUnicodeEscapes("\\ud800x"), "x");      // half a pair is dropped
}

// Reading a member's text in place from an element's blob must give what rebuilding the element and
// its member gives, whatever the member's kind, and also for blobs that are not whole objects.
TEST(JsonReadingPaths, MemberTextsReadInPlaceMatchRebuiltValues) {
  std::unique_ptr<JsonValue> list = JsonParser().Parse(
      "[{\"name\":\"\\u73a9\",\"money\":\"12.5\",\"n\":900000000000000000000000000001,\"i\":-7,"
      "\"f\":1.5,\"t\":true,\"z\":null,\"o\":{\"name\":\"x\"},\"a\":[1]},"
      "{\"name\":\"a\",\"name\":\"b\"}, \"not an object\", [1, 2], {}]",
      nullptr, nullptr);
  ASSERT_EQ(list->ArraySize(), 5);
  std::unique_ptr<JsonValue> extra = JsonValue::FromBlob(list->ElementBlobAt(1));
  extra->SetMemberBlob("cut", std::string_view("\x04\0\0\0\xCE\xC4\xB1\xBE\x09\0", 10));  // "文本", count cut short
  std::vector<std::string> blobs;
  for (int32_t i = 1; i <= list->ArraySize(); ++i) blobs.emplace_back(list->ElementBlobAt(i));
  blobs.push_back(extra->ToBlob());
  blobs.push_back(blobs[0].substr(0, blobs[0].size() / 2));  // a blob cut short
  blobs.emplace_back();
  for (const std::string& blob : blobs) {
    std::unique_ptr<JsonValue> rebuilt = JsonValue::FromBlob(blob);
    for (const char* name : {"name", "money", "n", "i", "f", "t", "z", "o", "a", "cut", "missing", ""}) {
      std::string scratch;
      EXPECT_EQ(JsonValue::MemberTextInBlob(blob, name, scratch), rebuilt->GetMember(name)->AsText()) << name;
    }
  }
  // Element blobs read in place from an array's blob, against the array rebuilt from it.
  const std::string arrayBlob = list->ToBlob();
  std::vector<std::string> arrays = {arrayBlob, arrayBlob.substr(0, arrayBlob.size() / 2), blobs[0], ""};
  const std::string tag = arrayBlob.substr(0, 4 + std::strlen(json_tag::kArray));
  arrays.push_back(tag + std::string("\xFF\xFF\xFF\x7F", 4) + arrayBlob.substr(tag.size() + 4));  // a count past the blob
  arrays.push_back(tag + std::string("\xFF\xFF\xFF\xFF", 4) + arrayBlob.substr(tag.size() + 4));  // a negative count
  for (const std::string& blob : arrays) {
    std::unique_ptr<JsonValue> rebuilt = JsonValue::FromBlob(blob);
    std::vector<std::string_view> elements = {"left from before"};
    ASSERT_EQ(JsonValue::ElementBlobsInBlob(blob, elements), rebuilt->ArraySize());
    ASSERT_EQ(elements.size(), size_t(rebuilt->ArraySize()));
    for (int32_t i = 1; i <= rebuilt->ArraySize(); ++i) EXPECT_EQ(elements[size_t(i - 1)], rebuilt->ElementBlobAt(i));
  }
  std::unique_ptr<JsonValue> object = JsonValue::FromBlob(blobs[0]);
  for (const char* name : {"name", "o", "missing", ""}) EXPECT_EQ(object->MemberBlobAt(name), object->GetMemberBlob(name));
  EXPECT_EQ(list->MemberBlobAt("name"), "");

  EXPECT_EQ(list->ElementBlobAt(0), "");
  EXPECT_EQ(list->ElementBlobAt(6), "");
  EXPECT_EQ(list->ElementBlobAt(2), list->GetElement(2)->ToBlob());
}

}  // namespace
}  // namespace vorenn
