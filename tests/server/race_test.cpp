// Many level-ups of one character at once over HTTP: the total pays for exactly what it can, once.
// Run on each storage: storage_sqlite_test.cpp and storage_postgres_test.cpp instantiate it.
#include "tests/server/race_test.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

struct Tally {
  std::atomic<int> bought{0};
  std::atomic<int> refused{0};
  std::atomic<int> other{0};
  std::atomic<int> lost{0};  // no answer came back (the level may or may not have been bought)
  std::mutex mutex;
  std::string firstOther;  // the first answer that was neither, for the failure message
  std::string firstLost;   // why the first request without an answer got none
};

void FireLevelUps(TestServer& server, const std::string& token, const std::vector<int>& skills,
                  int perThread, Tally& tally) {
  std::vector<std::thread> threads;
  for (int skill : skills) {
    threads.emplace_back([&, skill] {
      for (int i = 0; i < perThread; ++i) {
        auto result = server.Raw("m=user&a=lvup&id=" + std::to_string(skill) + "&md5=" + token);
        if (!result) {
          ++tally.lost;
          std::lock_guard lock(tally.mutex);
          if (tally.firstLost.empty()) tally.firstLost = httplib::to_string(result.error());
          continue;
        }
        auto answer = nlohmann::json::parse(result->body, nullptr, false);
        std::string code = answer.is_object() ? answer.value("b", "") : "";
        if (code == "1") ++tally.bought;
        else if (code == "0" && answer.value("t", "") == "经验不足") ++tally.refused;
        else {
          ++tally.other;
          std::lock_guard lock(tally.mutex);
          if (tally.firstOther.empty()) tally.firstOther = answer.dump();
        }
      }
    });
  }
  for (auto& t : threads) t.join();
}

}  // namespace

TEST_P(LevelUpRace, ExactlyTheAffordableNumberSucceedsAndNoAmountIsLost) {
  TestServer server(GetParam());
  std::string token = server.NewPlayer("racer", "racer");
  // 178 after 178 seconds at 1 per second: levels 1..9 of skill 1 cost 173, the 10th 36.
  server.clock.Advance(178);
  Tally tally;
  FireLevelUps(server, token, std::vector<int>(16, 1), 4, tally);
  EXPECT_EQ(tally.lost.load(), 0) << tally.firstLost;
  EXPECT_EQ(tally.bought.load(), 9);
  EXPECT_EQ(tally.refused.load(), 64 - 9);
  EXPECT_EQ(tally.other.load(), 0) << tally.firstOther;
  auto info = server.Post("m=user&a=xin&md5=" + token);
  EXPECT_EQ(info["allmoney"], "5");
  EXPECT_EQ(info["skills"][0]["lvl"], "9");
  EXPECT_EQ(info["money"], "10");
}

TEST_P(LevelUpRace, OneLevelThatManyRequestsWantGoesToOne) {
  TestServer server(GetParam());
  std::string token = server.NewPlayer("chooser", "chooser");
  server.clock.Advance(150);  // pays one level of skill 2 (100), not a second (115)
  Tally tally;
  FireLevelUps(server, token, {2, 2, 2, 2, 2, 2, 2, 2}, 3, tally);
  EXPECT_EQ(tally.lost.load(), 0) << tally.firstLost;
  EXPECT_EQ(tally.bought.load(), 1);
  EXPECT_EQ(tally.refused.load(), 8 * 3 - 1);
  auto info = server.Post("m=user&a=xin&md5=" + token);
  EXPECT_EQ(info["allmoney"], "50");
  EXPECT_EQ(info["skills"][1]["lvl"], "1");
  EXPECT_EQ(tally.other.load(), 0);
}

}  // namespace vorenn::server::test
