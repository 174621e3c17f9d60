// Form decoding, GBK field rules and the ASCII JSON writer: everything that touches bytes from or
// for the outside.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "server/form.h"
#include "server/json_writer.h"
#include "server/text_rules.h"

namespace vorenn::server {
namespace {

const char* const kZhang = "\xd5\xc5";  // 张 in GBK

TEST(ParseFormInto, DecodesEscapesAndKeepsEverythingElseAsSent) {
  struct Row {
    const char* text;
    bool ok;
    const char* key;
    const char* value;
  } rows[] = {
      {"a=1&b=2", true, "b", "2"},
      {"name=%D5%C5", true, "name", "\xd5\xc5"},
      {"name=\xd5\xc5", true, "name", "\xd5\xc5"},  // raw bytes from a client that does not encode
      {"p=a+b", true, "p", "a+b"},
      {"p=a%2Bb%20c", true, "p", "a+b c"},
      {"flag", true, "flag", ""},
      {"&&k=v&", true, "k", "v"},
      {"k=v=w", true, "k", "v=w"},
      {"k=1&k=2", true, "k", "1"},  // the first value wins
      {"k=%4", true, "k", "%4"},  // not an escape: taken as typed
      {"k=%zz%41", true, "k", "%zzA"},
      {"k=50%", true, "k", "50%"},
      {"k=a%00b", false, "", ""},
  };
  for (const Row& row : rows) {
    FormFields fields;
    ASSERT_EQ(ParseFormInto(row.text, fields), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(fields[row.key], row.value) << row.text;
    } else {
      EXPECT_TRUE(fields.empty()) << row.text;
    }
  }
}

TEST(GbkToUtf8, ConvertsWellFormedGbkAndRefusesTheRest) {
  EXPECT_EQ(GbkToUtf8("\xd5\xc5\xc8\xfd"), "张三");
  EXPECT_EQ(GbkToUtf8("ab1"), "ab1");
  EXPECT_EQ(GbkToUtf8(""), "");
  for (const char* bad : {"\x81", "ab\xd5", "\x81\x20", "\xff\xff", "\xd5\x7f"}) {
    EXPECT_FALSE(GbkToUtf8(bad).has_value()) << bad;
  }
}

TEST(FieldRules, AcceptAndRefuseByLengthCharactersAndEncoding) {
  struct Row {
    std::optional<std::string> (*check)(std::string_view);
    std::string text;
    bool ok;
  } rows[] = {
      {CheckAccountName, "abc", true},
      {CheckAccountName, "ab", false},
      {CheckAccountName, std::string(20, 'a'), true},
      {CheckAccountName, std::string(21, 'a'), false},
      {CheckAccountName, std::string(kZhang) + "a1", true},
      {CheckAccountName, "a b", false},
      {CheckAccountName, "a_b", false},
      {CheckAccountName, "ab\xd5", false},  // a lead byte without its trail byte
      // 0x80 cannot lead a double-byte character: it is one on its own, and what follows is checked.
      {CheckAccountName, "ab\x80\x01" "c", false},
      {CheckAccountName, "ab\x80\"c", false},
      {CheckAccountName, "ab\x80 c", false},
      {CheckAccountName, "abc\x80", false},
      {CheckAccountName, "ab\xff" "cd", false},
      {CheckAccountName, "Alice", true},
      {CheckAccountName, "\xa7\xa1lice", false},   // Cyrillic А beside Latin letters
      {CheckAccountName, "\xa6\xa1lpha", false},   // Greek Α beside Latin letters
      {CheckAccountName, "\xa7\xa1\xa7\xa2\xa7\xa3", true},  // Cyrillic only
      {CheckPassword, "123456", true},
      {CheckPassword, "12345", false},
      {CheckPassword, std::string(64, 'x'), true},
      {CheckPassword, std::string(65, 'x'), false},
      {CheckPassword, "abc def+&", true},
      {CheckPassword, "abcdef\t", false},
      {CheckPassword, "abcde\x81", false},
      {CheckCharacterName, kZhang, true},
      {CheckCharacterName, "", false},
      {CheckCharacterName, std::string(16, 'n'), true},
      {CheckCharacterName, std::string(17, 'n'), false},
      {CheckCharacterName, "a\nb", false},
      {CheckCharacterName, "\x81\x20", false},
      {CheckCharacterName, "a\x7f", false},
      {CheckCharacterName, "  ", false},              // blanks only: nothing left of the name
      {CheckCharacterName, "\xa1\xa1", false},      // the ideographic space alone
      {CheckCharacterName, "B\xa7\xe0" "b", false},    // Latin with a Cyrillic о
      {CheckEmail, "", true},
      {CheckEmail, "a@b.c", true},
      {CheckEmail, "ab.c", false},
      {CheckEmail, "@b", false},
      {CheckEmail, "a@b@c", false},
  };
  for (const Row& row : rows) {
    auto why = row.check(row.text);
    EXPECT_EQ(!why.has_value(), row.ok) << row.text;
    if (why) {
      EXPECT_FALSE(why->empty());
    }
  }
}

TEST(NameKey, NamesThatLookAlikeShareAKey) {
  std::string alice = NameKey("alice");
  EXPECT_EQ(alice, "alice");
  EXPECT_EQ(NameKey("Alice"), alice);
  EXPECT_EQ(NameKey("  ALICE "), alice);
  EXPECT_EQ(NameKey("\xef\xbc\xa1lice"), alice);                 // full-width Ａ
  EXPECT_EQ(NameKey("\xe3\x80\x80" "alice\xe3\x80\x80"), alice);  // ideographic spaces
  EXPECT_EQ(NameKey("\xd0\x90lice"), alice);                      // Cyrillic А
  EXPECT_EQ(NameKey("\xd0\x90\xd0\x92\xd0\xa1"), "abc");       // Cyrillic АВС
  EXPECT_NE(NameKey("alice2"), alice);
  EXPECT_EQ(NameKey("a b"), "a b");                                // inner blanks stay
  EXPECT_EQ(NameKey("\xe5\xbc\xa0\xe4\xb8\x89"), "\xe5\xbc\xa0\xe4\xb8\x89");  // 张三 as it is
  EXPECT_EQ(NameKey("   "), "");
}

TEST(JsonString, WritesPureAsciiThatParsesBackToTheText) {
  struct Row {
    const char* utf8;
    const char* json;
  } rows[] = {
      {"abc", R"("abc")"},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"line\nend\x01", R"("line\u000aend\u0001")"},
      {"张三", R"("\u5f20\u4e09")"},
      {"😀", R"("\ud83d\ude00")"},
      {"a\xff" "b", R"("a\ufffdb")"},        // not UTF-8
      {"\xc0\xaf", R"("\ufffd\ufffd")"},     // overlong
      {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},  // a surrogate
      {"\xe5\xbc", R"("\ufffd\ufffd")"},     // cut short
  };
  for (const Row& row : rows) {
    std::string json = JsonString(row.utf8);
    EXPECT_EQ(json, row.json) << row.utf8;
    for (unsigned char c : json) EXPECT_LT(c, 0x80);
  }
  std::string mixed = "名字 \"x\"\t😀";
  EXPECT_EQ(nlohmann::json::parse(JsonString(mixed)).get<std::string>(), mixed);
}

}  // namespace
}  // namespace vorenn::server
