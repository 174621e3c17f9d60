// The client against the real game server for hours of virtual time: the server's clock moves one
// second with every second of the client's, the client's per-second ticks and 30-second refreshes
// run, and the player buys a skill level now and then. Every second the shown total plus the amount
// accrued since the last fold must equal what the server holds for that moment, and memory must
// stay flat.
//
//   VORENN_SOAK_HOURS=N    virtual hours (default 6, 1 under the address sanitizer; the long form: 24)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/globals.h"
#include "game/window_units.h"
#include "server/game_rules.h"
#include "tests/game/game_driver.h"
#include "tests/reliability/process_memory.h"
#include "tests/server/test_support.h"

namespace vorenn::testing {
namespace {

namespace units = game::units;

// The digits of a figure the client shows as "DIGITS(COUNT位)"; empty text reads as zero.
server::Amount ShownAmount(const std::string& text) {
  if (text.empty()) return 0;
  std::optional<server::Amount> amount = server::ParseAmount(text.substr(0, text.find('(')));
  EXPECT_TRUE(amount.has_value()) << "not a figure: " << text;
  return amount.value_or(-1);
}

class Soak {
 public:
  Soak() {
    server_.NewPlayer("soaker", "Soaker");
    accountId_ = server_.kit.storage->FindAccount("soaker")->id;
  }

  void Run(int64_t seconds);

 private:
  // The server's stored character, settled to the server's current second.
  server::Character Stored() {
    std::optional<server::Character> stored =
        server_.kit.storage->UpdateCharacter(accountId_, [](server::Character&) { return false; });
    EXPECT_TRUE(stored.has_value());
    server::Character character = stored.value_or(server::Character{});
    server::Settle(character, server_.clock.NowSeconds());
    return character;
  }
  void CheckTotal(const char* when);
  void LevelUpCheapest();

  server::test::TestServer server_;
  int64_t accountId_ = 0;
  GameDriver game_;
  int64_t elapsed_ = 0;
  int checks_ = 0;
  int levelUps_ = 0;
};

void Soak::CheckTotal(const char* when) {
  server::Amount shown = ShownAmount(game_.Text(units::kTotalLabel));
  server::Amount pending = ShownAmount(game_.Text(units::kPendingLabel));
  server::Character stored = Stored();
  ++checks_;
  ASSERT_EQ(shown + pending, stored.total)
      << when << " at second " << elapsed_ << ": shown " << shown.get_str() << " + accrued " << pending.get_str()
      << ", the server holds " << stored.total.get_str();
  ASSERT_EQ(ShownAmount(game_.Text(units::kRateLabel)), stored.rate) << when << " at second " << elapsed_;
  ASSERT_TRUE(game_.BoxTexts().empty()) << game_.BoxTexts()[0];
}

void Soak::LevelUpCheapest() {
  server::Amount shown = ShownAmount(game_.Text(units::kTotalLabel));
  server::Character before = Stored();
  int cheapest = 0;
  server::Amount price;
  for (const server::Skill& skill : server::Skills()) {
    server::Amount p = server::NextLevelPrice(skill, before.levels[size_t(skill.id - 1)]);
    if (p <= shown && (cheapest == 0 || p < price)) {
      cheapest = skill.id;
      price = p;
    }
  }
  if (cheapest == 0) return;
  // The row was marked affordable at the last fold, whose total is the one shown.
  game_.Click(game::Globals().skillRows[size_t(cheapest - 1)]->Button());
  ++levelUps_;
  ASSERT_EQ(Stored().levels[size_t(cheapest - 1)], before.levels[size_t(cheapest - 1)] + 1)
      << "skill " << cheapest << " at second " << elapsed_;
  CheckTotal("after a level-up");
}

void Soak::Run(int64_t seconds) {
  double started = RealSeconds();
  game_.Start("http://127.0.0.1:" + std::to_string(server_.port) + "/game/do.php");
  game_.Type(units::kAccountBox, "soaker");
  game_.Type(units::kPassword1Box, "secret1");
  game_.Click(units::kLoginButton);
  ASSERT_TRUE(game_.Visible(units::kGameGroup)) << (game_.BoxTexts().empty() ? "" : game_.BoxTexts()[0]);
  CheckTotal("after login");

  MemorySample samples[3];
  const int64_t marks[3] = {seconds / 8, seconds / 2, seconds};
  int next = 0;
  while (elapsed_ < seconds && !::testing::Test::HasFatalFailure()) {
    server_.clock.Advance(1);
    game_.Advance(1000);
    ++elapsed_;
    CheckTotal("a second passed");
    if (elapsed_ % 600 == 0) LevelUpCheapest();
    if (next < 3 && elapsed_ == marks[next]) samples[next++] = SampleMemory();
  }
  int64_t refreshes = elapsed_ / 30;
  game_.Stop();
  std::printf("soak: %lld virtual s (%.2f h) in %.1f real s; %lld refreshes, %d level-ups, %d total checks\n",
              (long long)elapsed_, double(elapsed_) / 3600, RealSeconds() - started, (long long)refreshes,
              levelUps_, checks_);
  std::printf("memory after 1/8: %s\nhalf-way:        %s\nend:             %s\n", Describe(samples[0]).c_str(),
              Describe(samples[1]).c_str(), Describe(samples[2]).c_str());
  if (next == 3) {
    EXPECT_EQ(samples[2].engineBlocks, samples[0].engineBlocks) << "engine blocks left behind";
    if (samples[0].heapInUseBytes >= 0) {
      EXPECT_LE(samples[2].heapInUseBytes - samples[0].heapInUseBytes, 512 * 1024) << "the heap grew";
    }
  }
}

TEST(Soak, TheShownTotalFollowsTheServersForHours) {
  PrepareProgram();
  const char* hours = std::getenv("VORENN_SOAK_HOURS");
  // Six hours take a few seconds; the sanitizer build is five times slower.
  double h = hours != nullptr && *hours != '\0' ? std::atof(hours) : HeapCountIsReliable() ? 6.0 : 1.0;
  Soak soak;
  soak.Run(int64_t(h * 3600));
}

}  // namespace
}  // namespace vorenn::testing
