#include "game/request_text.h"

#include <gtest/gtest.h>

namespace vorenn::game {
namespace {

TEST(FormEncode, KeepsUnreservedBytesAndEscapesEveryOtherByteInUpperCaseHex) {
  struct Case {
    std::string value;
    std::string encoded;
  } cases[] = {
      {"", ""},
      {"alice_01.x-y~", "alice_01.x-y~"},
      {"a&b=c", "a%26b%3Dc"},
      {"100%+ ok", "100%25%2B%20ok"},
      {"\r\n\t", "%0D%0A%09"},
      {std::string("a\0b", 3), "a%00b"},
      {"\xD0\xA1\xC3\xF7", "%D0%A1%C3%F7"},  // GBK double-byte characters, byte by byte
      {"\x7F\x80\xFF", "%7F%80%FF"},
      {"/?#[]@!$'()*,;", "%2F%3F%23%5B%5D%40%21%24%27%28%29%2A%2C%3B"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormEncode(c.value), c.encoded) << c.value;
}

TEST(RequestText, KeepsKeysOrderAndFixedPiecesAndEncodesOnlyTheValues) {
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {LoginRequest("alice", "p&w=1"), "m=login&a=login&username=alice&password=p%26w%3D1&lv=1.0"},
      {LoginRequest("", ""), "m=login&a=login&username=&password=&lv=1.0"},
      {RegisterRequest("bob", "x y", "b@c.d"), "m=login&a=register&username=bob&password=x%20y&email=b%40c.d"},
      {ChangePasswordRequest("bob", "old", "n+w"),
       "m=login&a=xiugai&username=bob&password=old&newpassword=n%2Bw"},
      {EnterGameRequest("ab12"), "m=user&a=login&md5=ab12"},
      {CreateCharacterRequest("\xD0\xA1", "t"), "m=user&a=reg&name=%D0%A1&md5=t"},
      {UserInfoRequest("t"), "m=user&a=xin&md5=t"},
      {RankingRequest("t"), "m=user&a=phb&md5=t"},
      {LevelUpRequest("3", "t&"), "m=user&a=lvup&id=3&md5=t%26"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}

}  // namespace
}  // namespace vorenn::game
