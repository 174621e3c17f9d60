// A real server process killed with SIGKILL in the middle of a stream of level-ups: after a restart
// every level-up that was answered is still there.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "server/credentials.h"
#include "server/sqlite_storage.h"
#include "tests/server/server_process.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

Amount SpentOnSkillOne(int64_t levels) {
  Amount spent;
  for (int64_t level = 0; level < levels; ++level) spent += NextLevelPrice(*FindSkill(1), level);
  return spent;
}

TEST(CrashSafety, EveryAnsweredLevelUpSurvivesKillNine) {
  TempDir dir;
  std::string db = "sqlite:" + (dir.path() / "game.db").string();
  const Amount start("1000000000000000000000000000000", 10);
  std::string token = NewToken();
  int64_t began = SystemClock().NowSeconds();
  {
    auto storage = OpenStorage(db, 1);
    ASSERT_EQ(storage->CreateAccount("crash", "unused", "", began), CreateOutcome::Created);
    int64_t id = storage->FindAccount("crash")->id;
    ASSERT_EQ(storage->CreateCharacter(id, "crash", began), CreateOutcome::Created);
    storage->UpdateCharacter(id, [&](Character& c) {
      c.total = start;
      return true;
    });
    storage->AddSession(TokenDigest(token), id, began, 86400);
  }

  constexpr int kStreams = 4;
  std::atomic<int> answered{0};
  {
    auto started = StartServer(db);
    ASSERT_TRUE(started);
    ServerProcess& server = *started;
    std::atomic<bool> stop{false};
    std::vector<std::thread> streams;
    for (int s = 0; s < kStreams; ++s) {
      streams.emplace_back([&] {
        // Bounded: stops at the kill, after 2,000 requests, or after 20 seconds.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (int i = 0; i < 2000 && !stop && std::chrono::steady_clock::now() < deadline; ++i) {
          auto answer = server.Post("m=user&a=lvup&id=1&md5=" + token);
          if (!answer.is_object()) break;
          if (answer.value("b", "") == "1") ++answered;
        }
      });
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (answered < 60 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    server.Kill();
    stop = true;
    for (auto& t : streams) t.join();
  }
  ASSERT_GE(answered.load(), 60);

  auto restarted = StartServer(db);
  ASSERT_TRUE(restarted);
  auto info = restarted->Post("m=user&a=xin&md5=" + token);
  ASSERT_EQ(info.value("b", ""), "1");
  int64_t level = std::stoll(info["skills"][0]["lvl"].get<std::string>());
  // Each answered request is one level; a request in flight at the kill may have committed unanswered.
  EXPECT_GE(level, answered.load());
  EXPECT_LE(level, answered.load() + kStreams);
  // Nothing created or lost: what is left plus what was spent is the start plus what was earned,
  // and the earnings cannot exceed the final rate over the elapsed seconds.
  Amount earned = Amount(info["allmoney"].get<std::string>(), 10) + SpentOnSkillOne(level) - start;
  int64_t elapsed = SystemClock().NowSeconds() - began + 1;
  EXPECT_GE(earned, 0);
  EXPECT_LE(earned, Amount(info["money"].get<std::string>(), 10) * Amount(static_cast<long>(elapsed)));
}

}  // namespace
}  // namespace vorenn::server::test
