// A short load run against an in-process server: a hundred players arriving at once, every request
// on its own connection, for a few seconds. Every request must be answered as the rules allow, and
// what the answers acknowledged must be what is stored. The long form is scripts/load-server.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/server/load_players.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

TEST(ServerLoad, AHundredPlayersArrivingAtOnceAreAllAnswered) {
  TestServer server;
  constexpr int kPlayers = 100;
  ASSERT_TRUE(SeedLoadAccounts(*server.kit.storage, "load", kPlayers, "loadpass1"));
  // Game time runs twenty times faster than the run, so level-ups become affordable.
  std::atomic<bool> done{false};
  std::thread ticker([&] {
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      server.clock.Advance(1);
    }
  });
  LoadPlan plan;
  plan.port = server.port;
  plan.players = kPlayers;
  plan.seconds = 5;
  plan.rampSeconds = 0;  // the burst that once overflowed the accept queue
  plan.refreshSeconds = 0.5;
  plan.levelUpSeconds = 0.5;
  plan.rankingSeconds = 2;
  plan.seed = 7;
  plan.timeoutSeconds = 15;  // a failing run ends in seconds, not in the client's minute and a half
  LoadReport report = RunPlayers(plan);
  done = true;
  ticker.join();

  EXPECT_EQ(report.failures, 0) << report.Summary(kPlayers);
  EXPECT_EQ(report.playersInGame, kPlayers);
  EXPECT_GT(report.requests, 4 * kPlayers);
  EXPECT_GT(report.levelUpsBought, 0);
  // Every acknowledged level-up is stored, and nothing else is.
  int64_t stored = 0;
  for (int i = 1; i <= kPlayers; ++i) {
    auto account = server.kit.storage->FindAccount("load" + std::to_string(i));
    ASSERT_TRUE(account);
    auto character = server.kit.storage->UpdateCharacter(account->id, [](Character&) { return false; });
    ASSERT_TRUE(character);
    for (int64_t level : character->levels) stored += level;
  }
  EXPECT_EQ(stored, report.levelUpsBought);
  std::cout << report.Summary(kPlayers) << std::endl;
}

}  // namespace
}  // namespace vorenn::server::test
