// Several servers on one PostgreSQL database behave as one: the sign-in throttles count across
// them and the announcement one publishes is the one all show. And a restart of the database
// server costs no request that could safely be run again on a new connection.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

using json = nlohmann::json;

const char* const kTooManyAttempts = "密码错误次数过多，请一分钟后再试";
const char* const kSlowDown = "操作过于频繁，请稍后再试";

// One "server": its own connections, throttles and clock, on the shared database.
struct Node {
  Node(const std::string& url, GameSettings settings)
      : storage(OpenStorage(url, 4)), service(*storage, clock, settings) {}
  ManualClock clock{1'700'000'000};
  std::unique_ptr<Storage> storage;
  GameService service;
  json Do(FormFields fields, const std::string& client) { return json::parse(service.Handle(fields, client)); }
};

std::string Text(const json& answer) { return answer.value("t", ""); }

TEST(SharedServerState, TwoServersOnOneDatabaseThrottleAndAnnounceAsOne) {
  std::string url = FreshPostgresUrl();
  ASSERT_FALSE(url.empty());
  GameSettings settings = TestServer::LightSettings();
  Node a(url, settings);
  settings.announcement = "notice from a";
  settings.publishAnnouncement = true;
  Node b(url, settings);

  for (const char* name : {"victim", "other0", "other1"}) {
    ASSERT_EQ(a.Do({{"m", "login"}, {"a", "register"}, {"username", name}, {"password", "secret1"}}, "127.0.0.1")
                  .value("b", ""),
              "1");
  }
  // Wrong passwords for one account from one address, alternating between the servers: five in
  // all are allowed, not five on each.
  FormFields guess{{"m", "login"}, {"a", "login"}, {"username", "victim"}, {"password", "wrong99"}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_NE(Text((i % 2 ? b : a).Do(guess, "198.51.100.7")), kTooManyAttempts) << i;
  }
  EXPECT_EQ(Text(a.Do(guess, "198.51.100.7")), kTooManyAttempts);
  EXPECT_EQ(Text(b.Do(guess, "198.51.100.7")), kTooManyAttempts);

  // One address's sign-in bucket (30 at once) is spent across both servers together.
  int allowed = 0;
  for (int i = 0; i < 40; ++i) {
    FormFields spray{{"m", "login"}, {"a", "login"}, {"username", "other" + std::to_string(i % 2)},
                     {"password", "wrong" + std::to_string(i)}};
    if (Text((i % 2 ? b : a).Do(spray, "203.0.113.9")) != kSlowDown) ++allowed;
  }
  EXPECT_EQ(allowed, 30);

  // b published its announcement at start; a shows it too (its cached one was never read yet).
  auto login = a.Do({{"m", "login"}, {"a", "login"}, {"username", "other0"}, {"password", "secret1"}, {"lv", "1.0"}},
                    "127.0.0.1");
  std::string token = login.value("md5", "");
  ASSERT_FALSE(token.empty()) << login.dump();
  a.Do({{"m", "user"}, {"a", "reg"}, {"name", "Shared"}, {"md5", token}}, "127.0.0.1");
  EXPECT_EQ(a.Do({{"m", "user"}, {"a", "xin"}, {"md5", token}}, "127.0.0.1").value("gg", ""), "notice from a");
  EXPECT_EQ(b.Do({{"m", "user"}, {"a", "xin"}, {"md5", token}}, "127.0.0.1").value("gg", ""), "notice from a");
}

TEST(PostgresRestart, PooledConnectionsLostInARestartAreReplacedWithoutFailingRequests) {
  // A server of its own: restarting the shared one would disturb the tests running beside this one.
  std::string state =
      (std::filesystem::temp_directory_path() / ("vorenn-pg-restart-" + std::to_string(getpid()))).string();
  std::string scripts = VORENN_SERVER_TEST_SCRIPTS;
  ASSERT_EQ(std::system((scripts + "/pg_start.sh " + state + " >/dev/null").c_str()), 0);
  struct Stop {
    std::string command;
    ~Stop() { (void)std::system(command.c_str()); }
  } stop{scripts + "/pg_stop.sh " + state};
  std::string url;
  std::ifstream(state + "/url") >> url;
  ASSERT_FALSE(url.empty());

  constexpr int kConnections = 8;
  auto storage = OpenStorage(url, kConnections);
  ManualClock clock(1'700'000'000);
  GameService service(*storage, clock, TestServer::LightSettings());
  std::vector<std::string> tokens;
  for (int i = 0; i < kConnections; ++i) {
    std::string name = "player" + std::to_string(i);
    service.Handle({{"m", "login"}, {"a", "register"}, {"username", name}, {"password", "secret1"}}, "127.0.0.1");
    auto login = json::parse(service.Handle(
        {{"m", "login"}, {"a", "login"}, {"username", name}, {"password", "secret1"}, {"lv", "1.0"}}, "127.0.0.1"));
    tokens.push_back(login.value("md5", ""));
    ASSERT_FALSE(tokens.back().empty()) << login.dump();
    service.Handle({{"m", "user"}, {"a", "reg"}, {"name", "N" + name}, {"md5", tokens.back()}}, "127.0.0.1");
  }
  ASSERT_EQ(std::system((scripts + "/pg_restart.sh " + state).c_str()), 0);

  // Every pooled connection is now dead; players go on reading and levelling up at once, all
  // connections in use together.
  std::atomic<int> failed{0};
  std::atomic<int> succeeded{0};
  std::vector<std::thread> players;
  for (int i = 0; i < kConnections; ++i) {
    players.emplace_back([&, i] {
      for (int round = 0; round < 4; ++round) {
        const char* action = round % 2 ? "lvup" : "xin";
        auto answer = json::parse(service.Handle({{"m", "user"}, {"a", action}, {"id", "1"}, {"md5", tokens[i]}}));
        std::string code = answer.value("b", "");
        if (code == "-3") ++failed;
        if (code == "1" || code == "0") ++succeeded;
        else if (code != "-3") ADD_FAILURE() << answer.dump();
      }
    });
  }
  for (auto& player : players) player.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(succeeded, kConnections * 4);
}

}  // namespace
}  // namespace vorenn::server::test
