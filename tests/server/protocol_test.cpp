// The game over HTTP: an in-process server on a loopback port, time driven by hand.
#include <gtest/gtest.h>

#include "tests/server/protocol_flows_test.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {

INSTANTIATE_TEST_SUITE_P(Sqlite, GameOverHttp, ::testing::Values("sqlite"));

namespace {

using nlohmann::json;

std::string Code(const json& answer) { return answer.is_object() ? answer.value("b", "<none>") : "<not json>"; }
std::string Text(const json& answer) { return answer.is_object() ? answer.value("t", "") : ""; }

TEST(Protocol, AHashOfTheOlderCostSignsInAndIsMadeAgainAtTheCurrentOne) {
  TestServer server;  // hashes at the light cost
  ASSERT_EQ(server.kit.storage->CreateAccount("veteran", HashPassword("secret1", InteractiveHashCost()), "", 1),
            CreateOutcome::Created);
  std::string first = server.Post("m=login&a=login&username=veteran&password=secret1&lv=1.0").value("md5", "");
  ASSERT_EQ(first.size(), 32u);
  std::string stored = server.kit.storage->FindAccount("veteran")->passwordHash;
  EXPECT_FALSE(DearerThan(stored, TestServer::LightSettings().hashCost)) << stored;
  EXPECT_TRUE(DearerThan(HashPassword("x", StandardHashCost()), LightHashCost()));
  EXPECT_FALSE(DearerThan(HashPassword("x", LightHashCost()), StandardHashCost()));
  EXPECT_TRUE(VerifyPassword(stored, "secret1"));
  // The session of that sign-in outlives the upgrade, and the password still works.
  EXPECT_NE(server.Post("m=user&a=xin&md5=" + first).value("b", ""), "-2");
  EXPECT_EQ(server.Post("m=login&a=login&username=veteran&password=secret1&lv=1.0").value("b", ""), "1");
}

TEST(Protocol, AnswersAreAsciiJsonWithAJsonContentType) {
  TestServer server;
  auto result = server.Raw("m=login&a=login&username=nobody&password=secret1");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "application/json");
  for (unsigned char c : result->body) EXPECT_LT(c, 0x80);
  EXPECT_NE(result->body.find("\\u"), std::string::npos);
}

TEST(Protocol, FormValuesAreReadAsTheClientSendsThem) {
  TestServer server;
  // A client that does not encode sends what was typed: '+' and a stray '%' stay as they are, and
  // the same password percent-encoded is the same password.
  EXPECT_EQ(Code(server.Post("m=login&a=register&username=query1&password=50%+off")), "1");
  EXPECT_EQ(Code(server.Post("m=login&a=login&username=query1&password=50%25%2Boff")), "1");
  EXPECT_EQ(Code(server.Post("m=login&a=login&username=query1&password=50% off")), "0");
  // Fields may come from the query string; the body wins.
  auto result = server.Raw("password=50%+off&username=query1",
                           "/game/do.php?m=login&a=login&username=other");
  ASSERT_TRUE(result);
  EXPECT_EQ(nlohmann::json::parse(result->body)["b"], "1");
}

TEST(Protocol, UnknownPathsAndOversizedBodiesGetAJsonRefusalNotACrash) {
  TestServer server;
  auto big = server.Raw("m=login&a=login&username=" + std::string(70 * 1024, 'a'));
  ASSERT_TRUE(big);
  EXPECT_EQ(big->status, 413);
  EXPECT_EQ(nlohmann::json::parse(big->body)["t"], "请求内容过大");

  auto lost = server.Raw("m=user&a=xin", "/elsewhere");
  ASSERT_TRUE(lost);
  EXPECT_EQ(lost->status, 404);
  EXPECT_EQ(nlohmann::json::parse(lost->body)["b"], "0");

  // Still serving after both.
  EXPECT_EQ(Code(server.Post("m=x&a=y")), "0");
}

TEST(Protocol, PasswordChangeEndsEverySessionAndSwapsThePassword) {
  TestServer server;
  std::string first = server.NewPlayer("changer", "changer");
  std::string second =
      server.Post("m=login&a=login&username=changer&password=secret1")["md5"].get<std::string>();
  auto wrong = server.Post("m=login&a=xiugai&username=changer&password=nope123&newpassword=better1");
  EXPECT_EQ(Code(wrong), "0");
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + first)), "1");
  auto weak = server.Post("m=login&a=xiugai&username=changer&password=secret1&newpassword=abc");
  EXPECT_EQ(Code(weak), "0");

  auto changed = server.Post("m=login&a=xiugai&username=changer&password=secret1&newpassword=better1");
  EXPECT_EQ(Code(changed), "1");
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + first)), "-2");
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + second)), "-2");
  EXPECT_EQ(Code(server.Post("m=login&a=login&username=changer&password=secret1")), "0");
  auto again = server.Post("m=login&a=login&username=changer&password=better1");
  ASSERT_EQ(Code(again), "1");
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + again["md5"].get<std::string>())), "1");
}

TEST(Protocol, RepeatedWrongPasswordsAreSlowedDownPerAccount) {
  TestServer server;
  server.NewPlayer("target", "target");
  server.NewPlayer("bystander", "bystander");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Text(server.Post("m=login&a=login&username=target&password=guess" + std::to_string(100 + i))),
              "账号或密码错误");
  }
  // The limit holds even for the right password, and only for this account.
  auto blocked = server.Post("m=login&a=login&username=target&password=secret1");
  EXPECT_EQ(Code(blocked), "0");
  EXPECT_NE(Text(blocked), "账号或密码错误");
  EXPECT_EQ(Code(server.Post("m=login&a=xiugai&username=target&password=secret1&newpassword=xxxxxx1")), "0");
  EXPECT_EQ(Code(server.Post("m=login&a=login&username=bystander&password=secret1")), "1");
  server.clock.Advance(60);
  EXPECT_EQ(Code(server.Post("m=login&a=login&username=target&password=secret1")), "1");
}

// A database that fails every call, as a lost connection or a full disk would.
class BrokenStorage final : public Storage {
 public:
  CreateOutcome CreateAccount(std::string_view, std::string_view, std::string_view, int64_t) override { Fail(); }
  std::optional<Account> FindAccount(std::string_view) override { Fail(); }
  void ReplacePassword(int64_t, std::string_view) override { Fail(); }
  void UpgradePasswordHash(int64_t, std::string_view, std::string_view) override { Fail(); }
  void AddSession(std::string_view, int64_t, int64_t, int64_t) override { Fail(); }
  std::optional<int64_t> UseSession(std::string_view, int64_t, int64_t) override { Fail(); }
  CreateOutcome CreateCharacter(int64_t, std::string_view, int64_t) override { Fail(); }
  std::optional<Character> UpdateCharacter(int64_t, const CharacterChange&) override { Fail(); }
  std::vector<RankEntry> TopByRate(int) override { Fail(); }

 private:
  [[noreturn]] static void Fail() { throw StorageError("database is gone"); }
};

TEST(GameService, DatabaseFailuresAnswerMinusThreeAndNeverSuccess) {
  BrokenStorage storage;
  ManualClock clock(1'700'000'000);
  GameService service(storage, clock, TestServer::LightSettings());
  const char* token = "0123456789abcdef0123456789abcdef";
  FormFields requests[] = {
      {{"m", "login"}, {"a", "register"}, {"username", "abc"}, {"password", "secret1"}},
      {{"m", "login"}, {"a", "login"}, {"username", "abc"}, {"password", "secret1"}},
      {{"m", "login"}, {"a", "xiugai"}, {"username", "abc"}, {"password", "secret1"}, {"newpassword", "secret2"}},
      {{"m", "user"}, {"a", "login"}, {"md5", token}},
      {{"m", "user"}, {"a", "reg"}, {"name", "x"}, {"md5", token}},
      {{"m", "user"}, {"a", "lvup"}, {"id", "1"}, {"md5", token}},
      {{"m", "user"}, {"a", "phb"}, {"md5", token}},
  };
  for (const FormFields& fields : requests) {
    json answer = json::parse(service.Handle(fields));
    EXPECT_EQ(Code(answer), "-3") << fields.at("a");
    EXPECT_FALSE(Text(answer).empty());
  }
}

}  // namespace
}  // namespace vorenn::server::test
