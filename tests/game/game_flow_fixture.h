// The fixture of the flow tests: a fake server, the game started against it, and the usual
// answers of a player who signs in and has three skills.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/globals.h"
#include "game/window_units.h"
#include "tests/game/fake_server.h"
#include "tests/game/game_driver.h"

namespace vorenn::testing {

namespace units = game::units;
namespace prop = game::prop;

inline constexpr char kToken[] = "0123456789abcdef0123456789abcdef";

// "\u5c0f\u660e" is 小明; "\u5410\u7eb3\u672f" 吐纳术.
inline std::string SkillJson(int id, const std::string& buy, const std::string& money = "1", int level = 1) {
  return "{\"id\":\"" + std::to_string(id) + "\",\"name\":\"\\u5410\\u7eb3\\u672f\",\"money\":\"" + money +
         "\",\"lvl\":\"" + std::to_string(level) + "\",\"buy\":\"" + buy + "\"}";
}

inline std::string UserInfoJson(const std::string& allmoney = "100", const std::string& money = "3",
                                const std::string& skills = SkillJson(1, "12") + "," + SkillJson(2, "100") + "," +
                                                            SkillJson(3, "1100")) {
  return R"({"b":"1","t":"","id":"7","name":"\u5c0f\u660e","gg":"\u516c\u544a","money":")" + money +
         R"(","now":"2024-01-01 08:00:00","regdate":"2023-12-31 06:58:55","allmoney":")" + allmoney +
         R"(","skills":[)" + skills + "]}";
}

class GameFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareProgram();
    std::remove(SettingsPath().c_str());
    server_.Answer("m=login&a=login", std::string(R"({"b":"1","t":"\u767b\u5f55\u6210\u529f","md5":")") +
                                          kToken + "\"}");
    server_.Answer("m=user&a=login", UserInfoJson());
    server_.Answer("m=user&a=xin", UserInfoJson("500"));
  }
  void TearDown() override { game_.Stop(); }

  void StartGame() { game_.Start(server_.Url()); }
  // Start-up, then a login with the given account and password.
  void SignIn(const std::string& account = "alice", const std::string& password = "secret1") {
    StartGame();
    game_.Type(units::kAccountBox, account);
    game_.Type(units::kPassword1Box, password);
    game_.Click(units::kLoginButton);
  }
  std::vector<std::unique_ptr<game::SkillRow>>& Rows() { return game::Globals().skillRows; }

  FakeServer server_;
  GameDriver game_;
};

}  // namespace vorenn::testing
