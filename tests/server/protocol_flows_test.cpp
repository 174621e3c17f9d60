// The game's flows over HTTP, run on each storage kind: protocol_test.cpp (SQLite) and
// storage_postgres_test.cpp instantiate them.
#include "tests/server/protocol_flows_test.h"

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

}  // namespace

TEST_P(GameOverHttp, PlaysFromRegistrationToLeaderboard) {
  TestServer server(GetParam());
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

TEST_P(GameOverHttp, RefusalsCarryTheirCodeAndExplanation) {
  TestServer server(GetParam());
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

TEST_P(GameOverHttp, TokensExpireAfterSevenIdleDays) {
  TestServer server(GetParam());
  std::string token = server.NewPlayer("idler", "idler");
  server.clock.Advance(6 * 86400);
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + token)), "1");  // use restarts the seven days
  server.clock.Advance(7 * 86400 - 1);
  EXPECT_EQ(Code(server.Post("m=user&a=xin&md5=" + token)), "1");
  server.clock.Advance(7 * 86400);
  // Every action by an expired token is refused alike, and the first refusal ends the session.
  auto expired = server.Post("m=user&a=lvup&id=1&md5=" + token);
  EXPECT_EQ(Code(expired), "-2");
  EXPECT_EQ(Text(expired), "登录已失效，请重新登录");
  for (const char* action : {"a=xin", "a=phb", "a=lvup&id=2", "a=lvup&id=9", "a=reg&name=again"}) {
    EXPECT_EQ(Code(server.Post(std::string("m=user&") + action + "&md5=" + token)), "-2") << action;
  }
  // Nothing was bought with it: a new sign-in sees the character as the idle time left it.
  std::string fresh = server.Post("m=login&a=login&username=idler&password=secret1").value("md5", "");
  auto info = server.Post("m=user&a=xin&md5=" + fresh);
  ASSERT_EQ(Code(info), "1");
  EXPECT_EQ((*SkillOf(info, 1))["lvl"], "0");
  EXPECT_EQ((*SkillOf(info, 2))["lvl"], "0");
  EXPECT_EQ(info["allmoney"], std::to_string(6 * 86400 + (7 * 86400 - 1) + 7 * 86400));
}

TEST_P(GameOverHttp, PricesGrowAndOutputAccruesBetweenRequests) {
  TestServer server(GetParam());
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

TEST_P(GameOverHttp, LeaderboardListsTheTopHundredByOutput) {
  TestServer server(GetParam());
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

}  // namespace vorenn::server::test
