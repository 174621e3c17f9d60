#include "json/json_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

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

TEST(JsonValue, NumbersSurviveARoundTripThroughAMember) {
  auto doc = Parse("{\"money\":123456789012345678901234567890.5,\"n\":-98765432,\"f\":2.5}");
  auto money = doc->GetMember("money");
  EXPECT_EQ(money->TypeName(), "大数");
  EXPECT_EQ(money->AsText(), "123456789012345678901234567890.5");
  EXPECT_EQ(doc->GetMember("n")->TypeName(), "长");
  EXPECT_EQ(doc->GetMember("n")->AsLong(), -98765432);
  EXPECT_EQ(doc->GetMember("f")->AsFloat(), 2.5);

  // Integers beyond 2^53 keep every digit through the blob's 64-bit field.
  JsonValue holder, number;
  for (int64_t n : {int64_t(9007199254740993), std::numeric_limits<int64_t>::max(),
                    std::numeric_limits<int64_t>::min()}) {
    number.SetLong(n);
    holder.SetMember("n", number);
    auto back = holder.GetMember("n");
    EXPECT_EQ(back->TypeName(), "长");
    EXPECT_EQ(back->AsLong(), n);
    EXPECT_EQ(back->AsText(), std::to_string(n));
  }
}

TEST(JsonValue, AsLongIsExactForIntegersAndTruncatesOtherTexts) {
  const std::pair<const char*, int64_t> cases[] = {
      {"9223372036854775807", std::numeric_limits<int64_t>::max()},
      {"-9223372036854775808", std::numeric_limits<int64_t>::min()},
      {"+42", 42},
      {"1.9", 1},
      {"-1.9", -1},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"9223372036854775808", std::numeric_limits<int64_t>::max()},  // one past: saturates
      {"-1e30", std::numeric_limits<int64_t>::min()},
  };
  JsonValue v;
  for (const auto& [text, expected] : cases) {
    v.SetText(text);
    EXPECT_EQ(v.AsLong(), expected) << text;
  }
}

TEST(JsonValue, OutOfRangeAndWrongKindGiveNullValues) {
  auto doc = Parse("{\"list\":[10,20,30],\"t\":\"x\"}");
  auto list = doc->GetMember("list");
  ASSERT_EQ(list->ArraySize(), 3);
  EXPECT_TRUE(list->GetElement(0)->IsNull());
  EXPECT_TRUE(list->GetElement(4)->IsNull());
  EXPECT_EQ(list->GetElement(3)->AsLong(), 30);
  EXPECT_EQ(list->RemoveElement(0), 0);
  EXPECT_EQ(list->RemoveElement(4), 0);
  EXPECT_EQ(list->RemoveElement(1), 1);
  EXPECT_EQ(list->GetElement(1)->AsLong(), 20);

  EXPECT_TRUE(list->GetMember("t")->IsNull());
  EXPECT_TRUE(doc->GetMember("t")->GetMember("x")->IsNull());
  EXPECT_TRUE(doc->GetMember("missing")->IsNull());
  EXPECT_EQ(doc->ArraySize(), 0);
  EXPECT_FALSE(doc->HasMember(""));
  EXPECT_FALSE(doc->RemoveMember("missing"));
  EXPECT_TRUE(doc->RemoveMember("t"));
  EXPECT_FALSE(doc->HasMember("t"));
  std::vector<std::string> names = {"untouched"};
  EXPECT_EQ(list->MemberNames(names), 0);
  EXPECT_EQ(names, std::vector<std::string>{"untouched"});
}

TEST(JsonValue, ChangingTheKindClearsTheOtherContainer) {
  JsonValue one;
  one.SetLong(1);

  JsonValue v;
  v.SetText("keep");
  EXPECT_FALSE(v.SetMember("", one));  // an empty name changes nothing
  EXPECT_EQ(v.TypeName(), "文本");
  EXPECT_EQ(v.AsText(), "keep");

  v.SetMember("a", one);
  EXPECT_EQ(v.AsText(), "");
  v.Append(one);  // an object becomes an array: its members go
  EXPECT_EQ(v.ArraySize(), 1);
  EXPECT_FALSE(v.HasMember("a"));
  v.SetMember("b", one);  // and back: the elements go
  EXPECT_EQ(v.ArraySize(), 0);
  std::vector<std::string> blobs = {"stale"};
  EXPECT_EQ(v.ElementBlobs(blobs), 0);
  EXPECT_TRUE(blobs.empty());

  // The blob operations change the tag without clearing.
  v.AppendBlob(one.ToBlob());
  EXPECT_EQ(v.ArraySize(), 1);
  v.TypeName("对象", /*set=*/true);
  EXPECT_TRUE(v.HasMember("b"));
}

TEST(JsonValue, ReadsAndCopiesAreIndependent) {
  auto doc = Parse("{\"user\":{\"name\":\"a\"},\"list\":[1]}");
  auto user = doc->GetMember("user");
  user->SetText("changed");
  EXPECT_EQ(doc->GetMember("user")->GetMember("name")->AsText(), "a");

  auto copy = doc->Copy();
  JsonValue two;
  two.SetLong(2);
  copy->SetMember("user", two);
  copy->RemoveMember("list");
  EXPECT_EQ(doc->GetMember("user")->GetMember("name")->AsText(), "a");
  EXPECT_TRUE(doc->HasMember("list"));
  EXPECT_EQ(copy->GetMember("user")->AsLong(), 2);
}

TEST(JsonValue, MemberNamesInKeyOrder) {
  auto doc = Parse("{\"bb\":1,\"aaa\":2,\"c\":3,\"a\":4,\"ab\":5}");
  std::vector<std::string> names;
  EXPECT_EQ(doc->MemberNames(names), 5);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "c", "ab", "bb", "aaa"}));
}

std::string Field(std::string_view bytes) {
  int32_t n = int32_t(bytes.size());
  std::string out(reinterpret_cast<const char*>(&n), 4);
  return out + std::string(bytes);
}

TEST(JsonValue, BlobLayout) {
  auto doc = Parse("{\"b\":true,\"a\":7}");
  int64_t seven = 7;
  std::string a = Field("长") + std::string(reinterpret_cast<const char*>(&seven), 8);
  std::string b = Field("逻辑") + Field("true");
  int32_t two = 2;
  std::string expected = Field("对象") + std::string(reinterpret_cast<const char*>(&two), 4) + Field("a") +
                         Field(a) + Field("b") + Field(b);
  EXPECT_EQ(doc->ToBlob(), expected);

  auto back = JsonValue::FromBlob(expected);
  EXPECT_EQ(back->GetMember("a")->AsLong(), 7);
  EXPECT_TRUE(back->GetMember("b")->AsBoolean());
  EXPECT_TRUE(JsonValue::FromBlob("")->IsNull());

  // Blobs cut anywhere, or with counts that do not fit, rebuild what they hold and no more.
  for (size_t n = 0; n < expected.size(); ++n) {
    auto cut = JsonValue::FromBlob(std::string_view(expected).substr(0, n));
    EXPECT_LE(cut->GetMember("b")->AsText().size(), 4u);
  }
  int32_t huge = 0x7FFFFFFF;
  std::string lying = Field("数组") + std::string(reinterpret_cast<const char*>(&huge), 4) + Field("x");
  EXPECT_EQ(JsonValue::FromBlob(lying)->ArraySize(), 1);
}

}  // namespace
}  // namespace vorenn
