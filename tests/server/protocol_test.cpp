// The game over HTTP: an in-process server on a loopback port, time driven by hand.
#include <gtest/gtest.h>

#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

using nlohmann::json;

std::string Code(const json& answer) { return answer.is_object() ? answer.value("b", "<none>") : "<not json>"; }
std::string Text(const json& answer) { return answer.is_object() ? answer.value("t", "") : ""; }

const json* SkillOf(const json& info, int id) {
  for (const json& skill : info["skills"]) {
    if (skill["id"] == std::to_string(id)) return &skill;
  }
  return nullptr;
}

TEST(Protocol, PlaysFromRegistrationToLeaderboard) {
  TestServer server;
  auto reg = server.Post("m=login&a=register&username=player1&password=secret1&email=p@q.r");
  EXPECT_EQ(Code(reg), "1");
  EXPECT_EQ(Text(reg), "注册成功");

  auto login = server.Post("m=login&a=login&username=player1&password=secret1&lv=1.0");
  ASSERT_EQ(Code(login), "1");
  std::string token = login["md5"];
  EXPECT_EQ(token.size(), 32u);
  EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);

  auto none = server.Post("m=user&a=login&md5=" + token);
  EXPECT_EQ(Code(none), "-1");
  EXPECT_FALSE(Text(none).empty());

  // The name arrives as raw GBK bytes: 张三.
  auto created = server.Post("m=user&a=reg&name=\xd5\xc5\xc8\xfd&md5=" + token);
  EXPECT_EQ(Code(created), "1");
  EXPECT_EQ(Text(created), "角色创建成功");
  int64_t born = server.clock.NowSeconds();

  server.clock.Advance(3725);
  auto info = server.Post("m=user&a=login&md5=" + token);
  ASSERT_EQ(Code(info), "1");
  EXPECT_EQ(info["name"], "张三");
  EXPECT_EQ(info["gg"], "公告");
  EXPECT_EQ(info["money"], "1");
  EXPECT_EQ(info["allmoney"], "3725");
  EXPECT_EQ(info["regdate"], FormatTimestamp(born));
  EXPECT_EQ(info["now"], FormatTimestamp(born + 3725));
  EXPECT_FALSE(info["id"].get<std::string>().empty());
  ASSERT_EQ(info["skills"].size(), 8u);
  for (const json& skill : info["skills"]) {
    for (const char* key : {"id", "name", "money", "lvl", "buy"}) EXPECT_TRUE(skill.contains(key)) << key;
    EXPECT_EQ(skill["lvl"], "0");
    EXPECT_EQ(skill["money"], "0");
  }
  EXPECT_EQ((*SkillOf(info, 2))["buy"], "100");

  auto up = server.Post("m=user&a=lvup&id=2&md5=" + token);
  ASSERT_EQ(Code(up), "1");
  EXPECT_EQ(up["allmoney"], "3625");
  EXPECT_EQ(up["money"], "9");
  EXPECT_EQ((*SkillOf(up, 2))["lvl"], "1");
  EXPECT_EQ((*SkillOf(up, 2))["money"], "8");
  EXPECT_EQ((*SkillOf(up, 2))["buy"], "115");

  server.clock.Advance(10);
  auto xin = server.Post("m=user&a=xin&md5=" + token);
  EXPECT_EQ(xin["allmoney"], "3715");  // 3625 + 9 × 10

  auto board = server.Post("m=user&a=phb&md5=" + token);
  ASSERT_EQ(Code(board), "1");
  ASSERT_EQ(board["phb"].size(), 1u);
  EXPECT_EQ(board["phb"][0]["name"], "张三");
  EXPECT_EQ(board["phb"][0]["money"], "9");
}

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

TEST(Protocol, RefusalsCarryTheirCodeAndExplanation) {
  TestServer server;
  std::string token = server.NewPlayer("owner", "taken");
  server.Post("m=login&a=register&username=second&password=secret1");
  std::string second =
      server.Post("m=login&a=login&username=second&password=secret1")["md5"].get<std::string>();
  struct Row {
    std::string body;
    const char* code;
    const char* text;  // empty: any non-empty explanation
  } rows[] = {
      {"m=login&a=register&username=owner&password=secret1", "0", "账号已存在"},
      {"m=login&a=login&username=owner&password=wrong12", "0", "账号或密码错误"},
      {"m=login&a=login&username=ghost&password=secret1", "0", "账号或密码错误"},
      {"m=user&a=reg&name=taken&md5=" + second, "0", "角色名已被使用"},
      {"m=user&a=reg&name=again&md5=" + token, "0", "已经创建过角色"},
      {"m=user&a=lvup&id=8&md5=" + token, "0", "经验不足"},
      {"m=user&a=lvup&id=9&md5=" + token, "0", "技能不存在"},
      {"m=user&a=lvup&id=x&md5=" + token, "0", "技能不存在"},
      {"m=user&a=lvup&id=1&md5=" + second, "-1", ""},
      {"m=user&a=xin&md5=" + second, "-1", ""},
      {"m=user&a=xin&md5=0123456789abcdef0123456789abcdef", "-2", ""},
      {"m=user&a=xin&md5=not-a-token", "-2", ""},
      {"m=user&a=xin", "-2", ""},
      {"m=user&a=phb&md5=", "-2", ""},
      {"m=user&a=fly&md5=" + token, "0", "未知的请求"},
      {"m=shop&a=buy", "0", "未知的请求"},
      {"", "0", "未知的请求"},
      {"m=login&a=login&password=secret1", "0", "缺少参数：username"},
      {"m=login&a=register&username=abc", "0", "缺少参数：password"},
      {"m=login&a=xiugai&username=owner&password=secret1", "0", "缺少参数：newpassword"},
      {"m=user&a=reg&md5=" + second, "0", "缺少参数：name"},
      {"m=user&a=lvup&md5=" + token, "0", "缺少参数：id"},
      {"m=user&a=login&md5=%00", "0", "请求格式错误"},
      {"m=login&a=register&username=ab&password=secret1", "0", ""},
      {"m=login&a=register&username=abc&password=short", "0", ""},
      {"m=login&a=register&username=ab\xd5&password=secret1", "0", ""},
      {"m=user&a=reg&name=\x81\x20&md5=" + second, "0", ""},
      {"m=user&a=reg&name=12345678901234567&md5=" + second, "0", ""},
  };
  for (const Row& row : rows) {
    auto answer = server.Post(row.body);
    EXPECT_EQ(Code(answer), row.code) << row.body;
    if (*row.text) {
      EXPECT_EQ(Text(answer), row.text) << row.body;
    } else {
      EXPECT_FALSE(Text(answer).empty()) << row.body;
    }
  }
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

TEST(Protocol, TokensExpireAfterSevenIdleDays) {
  TestServer server;
  std::string token = server.NewPlayer("idler", "idler");
  server.clock.Advance(6 * 86400);
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + token)), "1");  // use restarts the seven days
  server.clock.Advance(7 * 86400 - 1);
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + token)), "1");
  server.clock.Advance(7 * 86400);
  auto expired = server.Post("m=user&a=xin&md5=" + token);
  EXPECT_EQ(Code(expired), "-2");
  EXPECT_EQ(Text(expired), "登录已失效，请重新登录");
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

TEST(Protocol, PricesGrowAndOutputAccruesBetweenRequests) {
  TestServer server;
  std::string token = server.NewPlayer("grower", "grower");
  server.clock.Advance(1000);
  std::vector<std::string> prices;
  for (int i = 0; i < 5; ++i) {
    auto up = server.Post("m=user&a=lvup&id=1&md5=" + token);
    ASSERT_EQ(Code(up), "1");
    prices.push_back((*SkillOf(up, 1))["buy"]);
  }
  EXPECT_EQ(prices, (std::vector<std::string>{"12", "14", "16", "18", "21"}));
  auto info = server.Post("m=user&a=xin&md5=" + token);
  EXPECT_EQ(info["allmoney"], std::to_string(1000 - (10 + 12 + 14 + 16 + 18)));
  EXPECT_EQ(info["money"], "6");
  server.clock.Advance(7);
  EXPECT_EQ(server.Post("m=user&a=xin&md5=" + token)["allmoney"],
            std::to_string(1000 - 70 + 6 * 7));
}

TEST(Protocol, LeaderboardListsTheTopHundredByOutput) {
  TestServer server;
  std::string token;
  for (int i = 0; i < 101; ++i) {
    std::string name = "p" + std::to_string(1000 + i);
    token = server.NewPlayer(name, name);
  }
  server.clock.Advance(50);
  ASSERT_EQ(Code(server.Post("m=user&a=lvup&id=1&md5=" + token)), "1");  // p1100 earns 2
  auto board = server.Post("m=user&a=phb&md5=" + token);
  ASSERT_EQ(board["phb"].size(), 100u);
  EXPECT_EQ(board["phb"][0]["name"], "p1100");
  EXPECT_EQ(board["phb"][0]["money"], "2");
  EXPECT_EQ(board["phb"][1]["name"], "p1000");
  EXPECT_EQ(board["phb"][99]["money"], "1");
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
