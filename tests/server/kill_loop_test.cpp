// The server killed with SIGKILL again and again, at random moments, while clients stream level-ups
// and registrations; it is restarted on the same database each time. After every kill: the database
// is sound, every acknowledged change is there, and no amount was created or lost.
// Kills per run: 4 by default; VORENN_KILL_LOOPS=25 for the long form. The seed is printed;
// VORENN_KILL_SEED replays the same moments.
#include "tests/server/kill_loop_test.h"

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

#include "server/credentials.h"
#include "tests/server/server_process.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

constexpr int kCharacters = 2;
constexpr int kLevelStreams = 4;  // two per character, so level-ups of one character contend
constexpr int kSignUpStreams = 2;

struct Hero {
  std::string name;
  std::string token;
  int64_t id = 0;
  // Per skill (1 and 2): level-ups answered with success, and those sent without an answer.
  std::array<std::atomic<int64_t>, 2> acknowledged{};
  std::array<std::atomic<int64_t>, 2> unanswered{};
};

struct SignUps {
  std::mutex mutex;
  std::vector<std::string> acknowledged;  // "name password"
  std::atomic<int> unexpected{0};
  std::string firstUnexpected;
};

int EnvInt(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atoi(text) : fallback;
}

Amount SpentOn(int skillId, int64_t levels) {
  Amount spent;
  for (int64_t level = 0; level < levels; ++level) spent += NextLevelPrice(*FindSkill(skillId), level);
  return spent;
}

std::string IntegrityOf(const std::string& path) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

void StreamLevelUps(ServerProcess& server, Hero& hero, int stream, std::atomic<bool>& stop,
                    std::atomic<int>& unexpected) {
  for (int i = 0; !stop; ++i) {
    int skill = 1 + (i + stream) % 2;
    auto answer = server.Post("m=user&a=lvup&id=" + std::to_string(skill) + "&md5=" + hero.token);
    if (!answer.is_object()) {
      ++hero.unanswered[skill - 1];
      std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the server is down
    } else if (answer.value("b", "") == "1") {
      ++hero.acknowledged[skill - 1];
    } else {
      ++unexpected;
    }
  }
}

void StreamSignUps(ServerProcess& server, int stream, int round, std::atomic<bool>& stop, SignUps& signUps) {
  for (int i = 0; !stop; ++i) {
    std::string name = "k" + std::to_string(stream) + "r" + std::to_string(round) + "n" + std::to_string(i);
    std::string password = "pw" + name;
    auto answer = server.Post("m=login&a=register&username=" + name + "&password=" + password);
    if (!answer.is_object()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    std::lock_guard lock(signUps.mutex);
    if (answer.value("b", "") == "1") {
      signUps.acknowledged.push_back(name + " " + password);
    } else if (signUps.unexpected++ == 0) {
      signUps.firstUnexpected = answer.dump();
    }
  }
}

// With the server dead: what is stored agrees with what the clients were told.
void CheckStored(const std::string& url, const std::vector<std::unique_ptr<Hero>>& heroes,
                 SignUps& signUps, const Amount& start, int64_t began) {
  auto storage = OpenStorage(url, 1);
  for (const auto& hero : heroes) {
    auto c = storage->UpdateCharacter(hero->id, [](Character&) { return false; });
    ASSERT_TRUE(c) << hero->name;
    Amount spent;
    for (int skill = 1; skill <= 2; ++skill) {
      int64_t level = c->levels[skill - 1];
      int64_t acked = hero->acknowledged[skill - 1];
      EXPECT_GE(level, acked) << hero->name << " skill " << skill << ": an acknowledged level-up is lost";
      EXPECT_LE(level, acked + hero->unanswered[skill - 1]) << hero->name << " skill " << skill;
      spent += SpentOn(skill, level);
    }
    EXPECT_EQ(c->rate, RateFor(c->levels));
    // total + spent = start + earned, and the rate only grew from 1 to its present value.
    Amount earned = c->total + spent - start;
    Amount seconds(static_cast<long>(c->settledAt - began));
    EXPECT_GE(earned, seconds) << hero->name << ": an amount vanished";
    EXPECT_LE(earned, c->rate * seconds) << hero->name << ": an amount was created";
  }
  std::lock_guard lock(signUps.mutex);
  for (const std::string& entry : signUps.acknowledged) {
    std::string name = entry.substr(0, entry.find(' '));
    EXPECT_TRUE(storage->FindAccount(name)) << name << ": an acknowledged registration is lost";
  }
  if (!signUps.acknowledged.empty()) {  // one password check: the stored hash is whole
    const std::string& last = signUps.acknowledged.back();
    auto account = storage->FindAccount(last.substr(0, last.find(' ')));
    ASSERT_TRUE(account);
    EXPECT_TRUE(VerifyPassword(account->passwordHash, last.substr(last.find(' ') + 1)));
  }
}

}  // namespace

TEST_P(KillLoop, AcknowledgedChangesSurviveRepeatedKillNine) {
  TempDir dir;
  const bool sqlite = GetParam() == "sqlite";
  std::string path = (dir.path() / "game.db").string();
  std::string url = sqlite ? "sqlite:" + path : FreshPostgresUrl();
  ASSERT_FALSE(url.empty());
  const int kills = EnvInt("VORENN_KILL_LOOPS", 4);
  const unsigned seed = static_cast<unsigned>(EnvInt("VORENN_KILL_SEED", static_cast<int>(std::random_device{}())));
  std::printf("kill loop: %d kills, seed %u (VORENN_KILL_SEED replays)\n", kills, seed);
  std::mt19937 random(seed);

  Amount start;
  mpz_ui_pow_ui(start.get_mpz_t(), 10, 2000);  // far more than any run can spend
  int64_t began = SystemClock().NowSeconds();
  std::vector<std::unique_ptr<Hero>> heroes;
  {
    auto storage = OpenStorage(url, 1);
    for (int h = 0; h < kCharacters; ++h) {
      auto hero = std::make_unique<Hero>();
      hero->name = "hero" + std::to_string(h);
      hero->token = NewToken();
      ASSERT_EQ(storage->CreateAccount(hero->name, "unused", "", began), CreateOutcome::Created);
      hero->id = storage->FindAccount(hero->name)->id;
      ASSERT_EQ(storage->CreateCharacter(hero->id, hero->name, began), CreateOutcome::Created);
      storage->UpdateCharacter(hero->id, [&](Character& c) {
        c.total = start;
        return true;
      });
      storage->AddSession(TokenDigest(hero->token), hero->id, began, 86400);
      heroes.push_back(std::move(hero));
    }
  }

  SignUps signUps;
  std::atomic<int> unexpected{0};
  for (int round = 0; round < kills; ++round) {
    auto server = StartServer(url);
    ASSERT_TRUE(server) << "round " << round;
    std::atomic<bool> stop{false};
    std::vector<std::thread> streams;
    for (int s = 0; s < kLevelStreams; ++s) {
      streams.emplace_back([&, s] { StreamLevelUps(*server, *heroes[s % kCharacters], s, stop, unexpected); });
    }
    for (int s = 0; s < kSignUpStreams; ++s) {
      streams.emplace_back([&, s] { StreamSignUps(*server, s, round, stop, signUps); });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(200, 1200)(random)));
    server->Kill();
    stop = true;
    for (auto& t : streams) t.join();

    if (sqlite) {
      EXPECT_EQ(IntegrityOf(path), "ok") << "round " << round;
    }
    CheckStored(url, heroes, signUps, start, began);
    ASSERT_FALSE(HasFailure()) << "after kill " << round + 1;
  }
  EXPECT_EQ(unexpected.load(), 0);
  EXPECT_EQ(signUps.unexpected.load(), 0) << signUps.firstUnexpected;
  int64_t levels = 0;
  for (const auto& hero : heroes) levels += hero->acknowledged[0] + hero->acknowledged[1];
  std::printf("kill loop: %d kills survived; %lld level-ups and %zu registrations acknowledged\n", kills,
              static_cast<long long>(levels), signUps.acknowledged.size());
  EXPECT_GT(levels, 0);

  // The game goes on after the last kill: the sessions still sign the players in.
  auto server = StartServer(url);
  ASSERT_TRUE(server);
  EXPECT_EQ(server->Post("m=user&a=xin&md5=" + heroes[0]->token).value("b", ""), "1");
}

}  // namespace vorenn::server::test
