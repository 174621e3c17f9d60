#include <gtest/gtest.h>

#include "json/json_parser.h"

namespace vorenn {
namespace {

std::unique_ptr<JsonValue> Parse(std::string_view text) {
  int32_t ok = 0;
  std::string error;
  auto value = JsonParser().Parse(text, &ok, &error);
  EXPECT_EQ(ok, 1) << text << ": " << error;
  return value;
}

TEST(JsonWriter, PrettyAndCompactLayouts) {
  JsonParser parser;
  auto ba = Parse("{\"b\":2,\"a\":1}");
  EXPECT_EQ(parser.ToJsonText(*ba), "{\r\n    \"a\" : 1,\r\n    \"b\" : 2\r\n}");
  EXPECT_EQ(parser.ToJsonText(*ba, /*pretty=*/false), "{\"a\":1,\"b\":2}");

  auto nested = Parse("{\"x\":[1,{\"y\":null}],\"e\":[]}");
  EXPECT_EQ(parser.ToJsonText(*nested),
            "{\r\n    \"e\" : [\r\n\r\n    ],\r\n    \"x\" : [\r\n        1,\r\n        {\r\n"
            "            \"y\" : null\r\n        }\r\n    ]\r\n}");
  EXPECT_EQ(parser.ToJsonText(*nested, false), "{\"e\":[],\"x\":[1,{\"y\":null}]}");
  EXPECT_EQ(parser.ToJsonText(*Parse("[]")), "[\r\n\r\n]");

  // Depth indents the first line too; another indent text is used at every level.
  parser.SetIndent("\t");
  EXPECT_EQ(parser.ToJsonText(*Parse("[true]"), true, true, 1), "\t[\r\n\t\ttrue\r\n\t]");
}

TEST(JsonWriter, ScalarsAndSortOrder) {
  JsonParser parser;
  auto doc = Parse("{\"big\":12345678901234567890,\"f\":1.25,\"n\":-7,\"t\":\"a\\\"b/c\",\"u\":Word,"
                   "\"B\":false,\"aa\":0}");
  // Sorted by byte order ("B" before "aa"); the unknown word writes nothing after its name.
  EXPECT_EQ(parser.ToJsonText(*doc, false),
            "{\"B\":false,\"aa\":0,\"big\":12345678901234567890,\"f\":1.25,\"n\":-7,\"t\":\"a\\\"b\\/c\",\"u\":}");
  // Unsorted: the map's key order, shorter names first.
  EXPECT_EQ(parser.ToJsonText(*doc, false, /*sortKeys=*/false),
            "{\"B\":false,\"f\":1.25,\"n\":-7,\"t\":\"a\\\"b\\/c\",\"u\":,\"aa\":0,\"big\":12345678901234567890}");

  // What the writer makes parses back to the same text.
  auto again = Parse(parser.ToJsonText(*Parse("{\"k\":[\"x\\\\y\",{\"z\":[]}],\"m\":\"你好\"}")));
  EXPECT_EQ(parser.ToJsonText(*again, false), "{\"k\":[\"x\\\\y\",{\"z\":[]}],\"m\":\"你好\"}");
}

// Every double-byte code GBK has room for (lead 81-FE, trail 40-FE but 7F), among them the hundred
// and more whose trail byte is a backslash's, written and read back as member names and inside
// texts next to a quote, a backslash and a slash, pretty and compact.
TEST(JsonWriter, EveryDoubleByteCharacterRoundTrips) {
  JsonParser parser;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    JsonValue doc;
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string c{char(lead), char(trail)};
      JsonValue text;
      text.SetText(c + "\"" + c + "\\" + c + "/" + c);
      doc.SetMember(c, text);
    }
    for (bool pretty : {false, true}) {
      int32_t ok = 0;
      std::string error;
      std::string written = parser.ToJsonText(doc, pretty);
      auto back = parser.Parse(written, &ok, &error);
      ASSERT_EQ(ok, 1) << "lead " << std::hex << lead << ": " << error;
      EXPECT_EQ(back->ToBlob(), doc.ToBlob()) << "lead " << std::hex << lead;
    }
  }
}

TEST(JsonWriter, EscapeText) {
  JsonParser parser;
  const std::pair<std::string, std::string> cases[] = {
      {"a/b", "\"a\\/b\""},
      {"\\\"", "\"\\\\\\\"\""},
      {"\r\n\t\x08\x0C", "\"\\r\\n\\t\\b\\f\""},
      {"你好", "\"你好\""},
      {"", "\"\""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parser.EscapeText(text), expected) << text;
  EXPECT_EQ(parser.UnescapeText("\\\\n\\n\\u4F60"), "\\n\n\\u4F60");
  EXPECT_EQ(parser.Indent(false, 3), "");
  EXPECT_EQ(parser.NewLine(false), "");
}

TEST(JsonWriter, SortNamesIsStableAndComparesDoubleByteCharacters) {
  std::vector<std::string> names = {"b", "a", "你", "B", "ab", "a"};
  SortNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"B", "a", "a", "ab", "b", "你"}));
  SortNames(names, /*descending=*/true);
  EXPECT_EQ(names, (std::vector<std::string>{"你", "b", "ab", "a", "a", "B"}));
}

TEST(DecodeUnicodeEscapes, Table) {
  const std::pair<std::string, std::string> cases[] = {
      {"\\u4F60", "你"},
      {"\\u4f60\\u597D!", "你好!"},
      {"plain text", "plain text"},
      {"a\\u0041b", "aAb"},
      {"x\\u4F", "x"},                          // fewer than four digits at the end: dropped
      {"\\u", ""},
      {"\\uZZZZ", "\\uZZZZ"},                   // not hexadecimal: kept, and the search moves on
      {"\\uZZZZ\\u4F60", "\\uZZZZ你"},
      {"\\uD83D\\uDE00", ""},                   // each half alone does not convert
      {"\\u00C0x\\u2603", "x"},                 // A grave and a snowman are not in GBK
      {"\\u20ac\\u4f60\\u20AC", "你"},          // nor the euro: it does not take the next character
      {"\\u005Cu0041", "A"},                    // a converted backslash is searched again
      {"\\u0000x", "x"},
      {"\xD5\x5Cu0041\\u0041", "\xD5\x5Cu0041A"},  // a trail byte 0x5C starts no escape
      {"\xD5\\u0041", "\xD5\\u0041"},              // nor does a backslash after a lead byte
      {"\xD5", "\xD5"},
  };
  std::string reused = "a longer text left from before";
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(DecodeUnicodeEscapes(text), expected) << text;
    DecodeUnicodeEscapesInto(text, reused);
    EXPECT_EQ(reused, expected) << text;
  }
}

}  // namespace
}  // namespace vorenn
