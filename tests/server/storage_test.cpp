// The storage contract, run against every implementation: storage_sqlite_test.cpp and
// storage_postgres_test.cpp instantiate it.
#include "tests/server/storage_test.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vorenn::server::test {

namespace {

Amount A(const char* digits) { return Amount(digits, 10); }

// Starts `count` threads at once, so their writes reach the store together (on SQLite: in one
// batch of the writer), and waits for them.
template <typename Body>
void TogetherOnThreads(int count, Body body) {
  std::atomic<int> waiting{count};
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t) {
    threads.emplace_back([&, t] {
      --waiting;
      while (waiting.load() > 0) std::this_thread::yield();
      body(t);
    });
  }
  for (auto& thread : threads) thread.join();
}

int64_t NewAccount(Storage& s, const std::string& name) {
  EXPECT_EQ(s.CreateAccount(name, "hash-" + name, "", 10), CreateOutcome::Created);
  return s.FindAccount(name)->id;
}

}  // namespace

void StorageContract::SetUp() {
  kit_ = std::make_unique<StorageKit>(GetParam());
  if (!kit_->storage) FAIL() << "no storage to test";
}

TEST_P(StorageContract, AccountsAreUniqueByNameAndPasswordChangeEndsSessions) {
  Storage& s = storage();
  EXPECT_EQ(s.CreateAccount("甲乙", "h1", "a@b.c", 10), CreateOutcome::Created);
  EXPECT_EQ(s.CreateAccount("甲乙", "h2", "", 11), CreateOutcome::NameTaken);
  EXPECT_FALSE(s.FindAccount("甲").has_value());
  auto account = s.FindAccount("甲乙");
  ASSERT_TRUE(account.has_value());
  EXPECT_EQ(account->passwordHash, "h1");

  int64_t other = NewAccount(s, "other");
  s.AddSession("t1", account->id, 100, 1000);
  s.AddSession("t2", account->id, 100, 1000);
  s.AddSession("t3", other, 100, 1000);
  s.ReplacePassword(account->id, "h3");
  EXPECT_EQ(s.FindAccount("甲乙")->passwordHash, "h3");
  EXPECT_FALSE(s.UseSession("t1", 101, 1000).has_value());
  EXPECT_FALSE(s.UseSession("t2", 101, 1000).has_value());
  EXPECT_EQ(s.UseSession("t3", 101, 1000), other);
}

TEST_P(StorageContract, AnUpgradedHashKeepsTheSessionsAndLosesToAPasswordChange) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "upgrade");
  s.AddSession("t1", id, 100, 1000);
  s.UpgradePasswordHash(id, "hash-upgrade", "cheaper");
  EXPECT_EQ(s.FindAccount("upgrade")->passwordHash, "cheaper");
  EXPECT_EQ(s.UseSession("t1", 101, 1000), id);
  s.ReplacePassword(id, "changed");
  s.UpgradePasswordHash(id, "cheaper", "stale");  // computed before the change: dropped
  EXPECT_EQ(s.FindAccount("upgrade")->passwordHash, "changed");
}

TEST_P(StorageContract, NamesThatLookAlikeCountAsTaken) {
  Storage& s = storage();
  int64_t first = NewAccount(s, "Alice");
  for (const char* twin : {"alice", "ALICE ", "\xef\xbc\xa1lice", "\xd0\x90lice"}) {
    EXPECT_EQ(s.CreateAccount(twin, "h", "", 10), CreateOutcome::NameTaken) << twin;
  }
  int64_t second = NewAccount(s, "Bob");
  EXPECT_EQ(s.CreateCharacter(first, "Hero", 10), CreateOutcome::Created);
  EXPECT_EQ(s.CreateCharacter(second, "\xef\xbc\xa8" "ERO", 10), CreateOutcome::NameTaken);
  EXPECT_EQ(s.CreateCharacter(second, "hero ", 10), CreateOutcome::NameTaken);
  EXPECT_EQ(s.CreateCharacter(second, "Heroine", 10), CreateOutcome::Created);
}

TEST_P(StorageContract, SessionsExpireAfterTheIdleLimitAndUseExtendsThem) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "sleeper");
  s.AddSession("tok", id, 1000, 100);
  EXPECT_EQ(s.UseSession("tok", 1000 + 99, 100), id);
  EXPECT_EQ(s.UseSession("tok", 1000 + 198, 100), id);   // 99 s after the last use
  EXPECT_FALSE(s.UseSession("tok", 1000 + 298, 100));    // 100 s after the last use
  EXPECT_FALSE(s.UseSession("tok", 1000 + 299, 100000));  // gone for good once expired
  EXPECT_FALSE(s.UseSession("unknown", 1000, 100));

  // A new session sweeps out the abandoned ones, and only those.
  s.AddSession("old", id, 5000, 100);
  s.AddSession("recent", id, 5050, 100);
  s.AddSession("new", id, 5100, 100);
  EXPECT_FALSE(s.UseSession("old", 5100, 1000000));
  EXPECT_EQ(s.UseSession("recent", 5100, 1000000), id);
}

TEST_P(StorageContract, EnteringChecksTheSessionAndSettlesTheTotalOncePerSecond) {
  Storage& s = storage();
  EXPECT_FALSE(s.EnterCharacter("unknown", 1000, 100).signedIn);
  int64_t id = NewAccount(s, "enterer");
  s.AddSession("tok", id, 1000, 100);
  Storage::Entry none = s.EnterCharacter("tok", 1000, 100);
  EXPECT_TRUE(none.signedIn);
  EXPECT_FALSE(none.character);

  ASSERT_EQ(s.CreateCharacter(id, "enterer", 1000), CreateOutcome::Created);
  Amount big;
  mpz_ui_pow_ui(big.get_mpz_t(), 10, 2000);
  Character expected;
  s.UpdateCharacter(id, [&](Character& c) {
    c.levels = {4, 0, 2, 0, 0, 0, 0, 9};
    c.rate = RateFor(c.levels);
    c.total = big;
    c.settledAt = 1000;
    expected = c;
    return true;
  });
  // Entered by many at once in a later second: the seconds between are paid once.
  std::vector<Storage::Entry> entries(8);
  TogetherOnThreads(8, [&](int t) { entries[t] = s.EnterCharacter("tok", 1060, 100); });
  Settle(expected, 1060);
  for (const auto& entry : entries) {
    ASSERT_TRUE(entry.signedIn);
    ASSERT_TRUE(entry.character);
    EXPECT_EQ(entry.character->total, expected.total);
    EXPECT_EQ(entry.character->rate, expected.rate);
    EXPECT_EQ(entry.character->levels, expected.levels);
    EXPECT_EQ(entry.character->settledAt, 1060);
    EXPECT_EQ(entry.character->name, "enterer");
    EXPECT_EQ(entry.character->createdAt, 1000);
  }
  // A clock that went back pays nothing and moves nothing back.
  Storage::Entry back = s.EnterCharacter("tok", 1050, 100);
  ASSERT_TRUE(back.character);
  EXPECT_EQ(back.character->total, expected.total);
  EXPECT_EQ(back.character->settledAt, 1060);
  auto stored = s.UpdateCharacter(id, [](Character&) { return false; });
  EXPECT_EQ(stored->total, expected.total);
  EXPECT_EQ(stored->settledAt, 1060);

  // Entering uses the session as UseSession does: it extends it, and an expired one is gone.
  EXPECT_TRUE(s.EnterCharacter("tok", 1159, 100).signedIn);  // 99 s after the use at 1060
  EXPECT_FALSE(s.EnterCharacter("tok", 1259, 100).signedIn);
  EXPECT_FALSE(s.UseSession("tok", 1259, 1000000));
}

// Answered exactly once, and only once the level-up can be read back.
TEST_P(StorageContract, LevelUpsAnsweredLaterAreWrittenBeforeTheirAnswer) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "later");
  ASSERT_EQ(s.CreateCharacter(id, "later", 0), CreateOutcome::Created);
  s.UpdateCharacter(id, [&](Character& c) {
    c.total = A("1000000000000");
    return true;
  });
  s.AddSession("tok", id, 0, 1000);
  s.AddSession("stale", id, 0, 1000);
  constexpr int kLevelUps = 40;
  std::mutex mutex;
  std::condition_variable allDone;
  int answers = 0;
  int refused = 0;
  std::vector<int64_t> answered;
  std::vector<int64_t> readBack;
  // Among them, unknown and expired sessions: answered once each too, with nothing bought.
  auto refusedAnswer = [&](Storage::SessionLevelUp levelUp, std::exception_ptr error) {
    EXPECT_FALSE(error);
    EXPECT_FALSE(levelUp.signedIn);
    EXPECT_FALSE(levelUp.result.character);
    std::lock_guard lock(mutex);
    ++refused;
    allDone.notify_all();
  };
  s.UseSession("tok", 600, 1000);  // used later than "stale", which expires first
  TogetherOnThreads(4, [&](int t) {
    if (t == 0) s.LevelUpInSessionLater("unknown", 1, 1000, 1000, refusedAnswer);
    if (t == 1) s.LevelUpInSessionLater("stale", 1, 1000, 1000, refusedAnswer);
    for (int i = 0; i < kLevelUps / 4; ++i) {
      s.LevelUpInSessionLater("tok", 1 + t, 0, 1000, [&, t](Storage::SessionLevelUp levelUp, std::exception_ptr error) {
        EXPECT_FALSE(error);
        EXPECT_TRUE(levelUp.signedIn);
        const Storage::LevelUpResult& result = levelUp.result;
        EXPECT_EQ(result.outcome, LevelUpOutcome::Done);
        int64_t level = result.character ? result.character->levels[t] : -1;
        // A read of its own, which must already see this level.
        auto seen = s.UpdateCharacter(id, [](Character&) { return false; });
        std::lock_guard lock(mutex);
        answered.push_back(level);
        readBack.push_back(seen ? seen->levels[t] : -1);
        ++answers;
        allDone.notify_all();
      });
    }
  });
  std::unique_lock lock(mutex);
  ASSERT_TRUE(allDone.wait_for(lock, std::chrono::seconds(30),
                               [&] { return answers >= kLevelUps && refused >= 2; }));
  lock.unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // no answer comes twice
  lock.lock();
  EXPECT_EQ(answers, kLevelUps);
  EXPECT_EQ(refused, 2);
  EXPECT_FALSE(s.UseSession("stale", 10, 1000000));  // ended by its refused use
  for (size_t i = 0; i < answered.size(); ++i) EXPECT_GE(readBack[i], answered[i]);
  auto c = s.UpdateCharacter(id, [](Character&) { return false; });
  for (int t = 0; t < 4; ++t) EXPECT_EQ(c->levels[t], kLevelUps / 4) << "skill " << t + 1;
}

TEST_P(StorageContract, CharactersHaveUniqueNamesAndOnePerAccount) {
  Storage& s = storage();
  int64_t a = NewAccount(s, "alpha");
  int64_t b = NewAccount(s, "bravo");
  EXPECT_EQ(s.CreateCharacter(a, "张三", 500), CreateOutcome::Created);
  EXPECT_EQ(s.CreateCharacter(a, "李四", 501), CreateOutcome::AlreadyExists);
  EXPECT_EQ(s.CreateCharacter(b, "张三", 502), CreateOutcome::NameTaken);
  EXPECT_EQ(s.CreateCharacter(b, "李四", 503), CreateOutcome::Created);

  auto c = s.UpdateCharacter(a, [](Character&) { return false; });
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(c->name, "张三");
  EXPECT_EQ(c->createdAt, 500);
  EXPECT_EQ(c->settledAt, 500);
  EXPECT_EQ(c->total, 0);
  EXPECT_EQ(c->rate, 1);
  EXPECT_EQ(c->levels, SkillLevels{});

  int64_t none = NewAccount(s, "charlie");
  bool called = false;
  EXPECT_FALSE(s.UpdateCharacter(none, [&](Character&) { return called = true; }));
  EXPECT_FALSE(called);
}

TEST_P(StorageContract, UpdateWritesEverythingOrNothing) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "keeper");
  ASSERT_EQ(s.CreateCharacter(id, "keeper", 0), CreateOutcome::Created);
  const Amount huge = A("123456789012345678901234567890123456789012345678901234567890");
  s.UpdateCharacter(id, [&](Character& c) {
    c.total = huge;
    c.levels[2] = 7;
    c.levels[7] = 1;
    c.rate = RateFor(c.levels);
    c.settledAt = 42;
    return true;
  });
  // Not written: the change says so, or throws halfway.
  s.UpdateCharacter(id, [](Character& c) {
    c.total = 1;
    return false;
  });
  EXPECT_THROW(s.UpdateCharacter(id,
                                 [](Character& c) -> bool {
                                   c.levels[0] = 99;
                                   throw std::runtime_error("halfway");
                                 }),
               std::runtime_error);
  auto c = s.UpdateCharacter(id, [](Character&) { return false; });
  ASSERT_TRUE(c);
  EXPECT_EQ(c->total, huge);
  EXPECT_EQ(c->settledAt, 42);
  SkillLevels expected{};
  expected[2] = 7;
  expected[7] = 1;
  EXPECT_EQ(c->levels, expected);
  EXPECT_EQ(c->rate, RateFor(expected));
}

TEST_P(StorageContract, RankingOrdersByRateAsNumbersAndHonoursTheLimit) {
  Storage& s = storage();
  // As text "9" > "10" > "1000000000000000000000"; as numbers the order is reversed.
  const char* rates[] = {"9", "10", "1000000000000000000000", "10"};
  const char* names[] = {"nine", "tenB", "huge", "tenA"};
  for (int i = 0; i < 4; ++i) {
    int64_t id = NewAccount(s, names[i] + std::string("acc"));
    ASSERT_EQ(s.CreateCharacter(id, names[i], 0), CreateOutcome::Created);
    s.UpdateCharacter(id, [&](Character& c) {
      c.rate = A(rates[i]);
      return true;
    });
  }
  auto top = s.TopByRate(3);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0].name, "huge");
  EXPECT_EQ(top[0].rate, A("1000000000000000000000"));
  EXPECT_EQ(top[1].name, "tenA");  // equal rates: by name
  EXPECT_EQ(top[2].name, "tenB");
  EXPECT_EQ(s.TopByRate(100).size(), 4u);
}

TEST_P(StorageContract, ConcurrentLevelUpsSpendTheTotalExactlyOnce) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "racer");
  ASSERT_EQ(s.CreateCharacter(id, "racer", 0), CreateOutcome::Created);
  // Enough for exactly 9 levels of skill 1 (10+12+14+16+18+21+24+27+31 = 173), the 10th costs 36.
  s.UpdateCharacter(id, [](Character& c) {
    c.total = 173 + 5;
    return true;
  });
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 4; ++i) {
        bool bought = false;
        s.UpdateCharacter(id, [&](Character& c) {
          bought = LevelUp(c, 1) == LevelUpOutcome::Done;
          return bought;
        });
        if (bought) ++done;
      }
    });
  }
  for (auto& t : threads) t.join();
  auto c = s.UpdateCharacter(id, [](Character&) { return false; });
  EXPECT_EQ(done.load(), 9);
  EXPECT_EQ(c->levels[0], 9);
  EXPECT_EQ(c->total, 5);
}

}  // namespace vorenn::server::test

namespace vorenn::server::test {

TEST_P(StorageContract, AFailingChangeAmongConcurrentOnesLeavesTheOthersWritten) {
  Storage& s = storage();
  constexpr int kPlayers = 8;
  std::vector<int64_t> ids;
  for (int p = 0; p < kPlayers; ++p) {
    ids.push_back(NewAccount(s, "batch" + std::to_string(p)));
    ASSERT_EQ(s.CreateCharacter(ids[p], "batch" + std::to_string(p), 0), CreateOutcome::Created);
  }
  // Player 0 can never afford a level; player 1's change throws halfway; the rest buy one level a
  // round. The refused and the failed change must not undo or repeat anyone else's.
  for (int p = 2; p < kPlayers; ++p) {
    s.UpdateCharacter(ids[p], [](Character& c) {
      c.total = 1000;
      return true;
    });
  }
  constexpr int kRounds = 5;
  std::atomic<int> bought{0};
  std::atomic<int> refused{0};
  std::atomic<int> thrown{0};
  for (int round = 0; round < kRounds; ++round) {
    TogetherOnThreads(kPlayers, [&](int p) {
      if (p == 1) {
        // SQLite tries a change on a snapshot first and writes it in the writer's batch: the throw
        // has to come from the run inside the batch, the one that would be written.
        int run = 0;
        const int failingRun = GetParam() == "sqlite" ? 1 : 0;
        try {
          s.UpdateCharacter(ids[p], [&](Character& c) -> bool {
            c.levels[3] = 50;
            c.total = 999999;
            if (run++ == failingRun) throw std::runtime_error("halfway");
            return true;
          });
        } catch (const std::runtime_error&) {
          ++thrown;
        }
        return;
      }
      LevelUpOutcome outcome = LevelUpOutcome::UnknownSkill;
      auto c = s.UpdateCharacter(ids[p], [&](Character& c) {
        outcome = LevelUp(c, 2);
        return outcome == LevelUpOutcome::Done;
      });
      ASSERT_TRUE(c);
      if (outcome == LevelUpOutcome::Done) ++bought;
      if (outcome == LevelUpOutcome::NotEnough) ++refused;
    });
  }
  EXPECT_EQ(thrown.load(), kRounds);
  EXPECT_EQ(refused.load(), kRounds);
  EXPECT_EQ(bought.load(), (kPlayers - 2) * kRounds);
  Amount spent;
  for (int l = 0; l < kRounds; ++l) spent += NextLevelPrice(*FindSkill(2), l);
  for (int p = 0; p < kPlayers; ++p) {
    auto c = s.UpdateCharacter(ids[p], [](Character&) { return false; });
    ASSERT_TRUE(c);
    SkillLevels expected{};
    if (p >= 2) expected[1] = kRounds;
    EXPECT_EQ(c->levels, expected) << "player " << p;
    EXPECT_EQ(c->total, p >= 2 ? Amount(1000 - spent) : Amount(0)) << "player " << p;
    EXPECT_EQ(c->rate, RateFor(expected)) << "player " << p;
  }
}

TEST_P(StorageContract, ManyPlayersLevellingUpAtOnceEachSpendExactlyOnce) {
  Storage& s = storage();
  constexpr int kPlayers = 12;
  constexpr int kThreadsPerPlayer = 3;
  constexpr int kTriesPerThread = 5;
  std::vector<int64_t> ids;
  for (int p = 0; p < kPlayers; ++p) {
    ids.push_back(NewAccount(s, "crowd" + std::to_string(p)));
    ASSERT_EQ(s.CreateCharacter(ids[p], "crowd" + std::to_string(p), 0), CreateOutcome::Created);
    // Enough for exactly p + 1 levels of skill 1 (10, 12, 14, 16, 18, 21, 24, 27, 31, 36, 41, 47)
    // and 3 left, whatever the order the attempts land in.
    s.UpdateCharacter(ids[p], [&](Character& c) {
      c.total = 3;
      for (int l = 0; l <= p; ++l) c.total += NextLevelPrice(*FindSkill(1), l);
      return true;
    });
  }
  std::vector<std::atomic<int>> bought(kPlayers);
  TogetherOnThreads(kPlayers * kThreadsPerPlayer, [&](int t) {
    int p = t % kPlayers;
    for (int i = 0; i < kTriesPerThread; ++i) {
      // The settled time stays where it is (0), so only the levels bought move the total.
      auto result = s.LevelUpCharacter(ids[p], 1, 0);
      ASSERT_TRUE(result.character);
      if (result.outcome == LevelUpOutcome::Done) ++bought[p];
    }
  });
  for (int p = 0; p < kPlayers; ++p) {
    auto c = s.UpdateCharacter(ids[p], [](Character&) { return false; });
    ASSERT_TRUE(c);
    EXPECT_EQ(bought[p].load(), p + 1) << "player " << p;
    EXPECT_EQ(c->levels[0], p + 1) << "player " << p;
    EXPECT_EQ(c->total, 3) << "player " << p;
  }
}

TEST_P(StorageContract, ALevelUpFollowsTheGameRulesExactly) {
  Storage& s = storage();
  EXPECT_FALSE(s.LevelUpCharacter(NewAccount(s, "nobody"), 1, 100).character);
  int64_t id = NewAccount(s, "ruler");
  ASSERT_EQ(s.CreateCharacter(id, "ruler", 0), CreateOutcome::Created);
  Character expected;
  s.UpdateCharacter(id, [&](Character& c) {
    c.levels = {3, 0, 41, 7, 0, 12, 1, 0};
    c.rate = RateFor(c.levels);
    c.total = A("98765432109876543210");
    c.settledAt = 1000;
    expected = c;
    return true;
  });
  // Several skills at several levels, with time passing, then one that cannot be afforded (its
  // price at level 400 is far above the total) but still settles the time that passed.
  int64_t now = 1000;
  for (int skill : {1, 3, 3, 6, 2, 8, 7}) {
    now += 17;
    Settle(expected, now);
    ASSERT_EQ(LevelUp(expected, skill), LevelUpOutcome::Done);
    auto result = s.LevelUpCharacter(id, skill, now);
    ASSERT_TRUE(result.character);
    EXPECT_EQ(result.outcome, LevelUpOutcome::Done) << "skill " << skill;
    EXPECT_EQ(result.character->total, expected.total) << "skill " << skill;
    EXPECT_EQ(result.character->rate, expected.rate) << "skill " << skill;
    EXPECT_EQ(result.character->levels, expected.levels) << "skill " << skill;
    EXPECT_EQ(result.character->settledAt, now);
  }
  s.UpdateCharacter(id, [&](Character& c) {
    c.levels[7] = 400;
    c.rate = RateFor(c.levels);
    expected = c;
    return true;
  });
  now += 5;
  Settle(expected, now);
  auto refused = s.LevelUpCharacter(id, 8, now);
  ASSERT_TRUE(refused.character);
  EXPECT_EQ(refused.outcome, LevelUpOutcome::NotEnough);
  auto stored = s.UpdateCharacter(id, [](Character&) { return false; });
  EXPECT_EQ(stored->total, expected.total);
  EXPECT_EQ(stored->settledAt, now);
  EXPECT_EQ(stored->levels, expected.levels);
  EXPECT_EQ(stored->name, "ruler");
}

}  // namespace vorenn::server::test

namespace vorenn::server::test {

// The session variants use the session as UseSession does (an unknown or expired one refuses and
// changes nothing; a good one is extended) and then do what the account's own call does.
TEST_P(StorageContract, ActionsBySessionCheckTheSessionThenAct) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "session-player");
  s.AddSession("tok", id, 1000, 100);
  s.AddSession("stale", id, 900, 100);  // its last use is 100 s old at 1000: expired

  // Signed in, no character yet.
  auto none = s.LevelUpInSession("tok", 1, 1000, 100);
  EXPECT_TRUE(none.signedIn);
  EXPECT_FALSE(none.result.character);
  ASSERT_TRUE(s.TopByRateInSession("tok", 10, 1000, 100));
  EXPECT_TRUE(s.TopByRateInSession("tok", 10, 1000, 100)->empty());

  // Unknown and expired sessions: refused, nothing created, the expired one gone.
  EXPECT_FALSE(s.CreateCharacterInSession("unknown", "ghost", 1000, 100));
  EXPECT_FALSE(s.CreateCharacterInSession("stale", "ghost", 1000, 100));
  EXPECT_FALSE(s.UseSession("stale", 950, 1000000));
  EXPECT_FALSE(s.UpdateCharacter(id, [](Character&) { return false; }));

  EXPECT_EQ(s.CreateCharacterInSession("tok", "hero", 1000, 100), CreateOutcome::Created);
  EXPECT_EQ(s.CreateCharacterInSession("tok", "other", 1001, 100), CreateOutcome::AlreadyExists);
  int64_t rival = NewAccount(s, "rival");
  s.AddSession("rival-tok", rival, 1000, 100);
  EXPECT_EQ(s.CreateCharacterInSession("rival-tok", "HERO", 1001, 100), CreateOutcome::NameTaken);
  EXPECT_EQ(s.CreateCharacterInSession("rival-tok", "villain", 1001, 100), CreateOutcome::Created);
  s.UpdateCharacter(rival, [](Character& c) {
    c.rate = 5;
    return true;
  });

  Character expected;
  s.UpdateCharacter(id, [&](Character& c) {
    c.levels = {2, 0, 0, 0, 0, 0, 0, 1};
    c.rate = RateFor(c.levels);
    c.total = A("5000000000000000000000");
    c.settledAt = 1000;
    expected = c;
    return true;
  });
  // Level-ups through the session follow the game's rules and settle time as LevelUpCharacter does.
  int64_t now = 1000;
  for (int skill : {1, 8, 4}) {
    now += 60;  // each use within the idle limit of the one before, and written back (every 60 s)
    Settle(expected, now);
    ASSERT_EQ(LevelUp(expected, skill), LevelUpOutcome::Done);
    auto up = s.LevelUpInSession("tok", skill, now, 100);
    ASSERT_TRUE(up.signedIn);
    ASSERT_TRUE(up.result.character);
    EXPECT_EQ(up.result.outcome, LevelUpOutcome::Done);
    EXPECT_EQ(up.result.character->accountId, id);
    EXPECT_EQ(up.result.character->name, "hero");
    EXPECT_EQ(up.result.character->total, expected.total);
    EXPECT_EQ(up.result.character->rate, expected.rate);
    EXPECT_EQ(up.result.character->levels, expected.levels);
    EXPECT_EQ(up.result.character->settledAt, now);
  }
  auto ranking = s.TopByRateInSession("tok", 10, now, 100);
  ASSERT_TRUE(ranking);
  ASSERT_EQ(ranking->size(), 2u);
  EXPECT_EQ((*ranking)[0].name, "hero");
  EXPECT_EQ((*ranking)[0].rate, expected.rate);
  EXPECT_EQ((*ranking)[1].name, "villain");
  EXPECT_EQ(s.TopByRateInSession("tok", 1, now, 100)->size(), 1u);

  // Unaffordable: refused, the time settled all the same.
  s.UpdateCharacter(id, [&](Character& c) {
    c.total = 0;
    c.levels[4] = 400;
    c.rate = RateFor(c.levels);
    expected = c;
    return true;
  });
  now += 60;
  Settle(expected, now);
  auto poor = s.LevelUpInSession("tok", 5, now, 100);
  ASSERT_TRUE(poor.result.character);
  EXPECT_EQ(poor.result.outcome, LevelUpOutcome::NotEnough);
  EXPECT_EQ(s.UpdateCharacter(id, [](Character&) { return false; })->total, expected.total);

  // The level-ups kept the session alive well past the 100 s after its creation; once idle for the
  // limit it is refused, changes nothing and is gone.
  int64_t lastUse = now;
  EXPECT_TRUE(s.LevelUpInSession("tok", 5, lastUse + 99, 100).signedIn);
  lastUse += 99;
  Character before = *s.UpdateCharacter(id, [](Character&) { return false; });
  EXPECT_FALSE(s.LevelUpInSession("tok", 1, lastUse + 100, 100).signedIn);
  EXPECT_FALSE(s.TopByRateInSession("tok", 10, lastUse + 100, 100));
  EXPECT_FALSE(s.UseSession("tok", lastUse, 1000000));
  Character after = *s.UpdateCharacter(id, [](Character&) { return false; });
  EXPECT_EQ(after.total, before.total);
  EXPECT_EQ(after.settledAt, before.settledAt);
  EXPECT_EQ(after.levels, before.levels);
  EXPECT_FALSE(s.LevelUpInSession("unknown", 1, lastUse, 100).signedIn);
}

}  // namespace vorenn::server::test

namespace vorenn::server::test {

// Prices at high levels are numbers of hundreds of digits: a total one short of the price is
// refused, the exact price is taken to the last unit.
TEST_P(StorageContract, HighLevelPricesAreExactToTheLastUnit) {
  Storage& s = storage();
  int64_t id = NewAccount(s, "climber");
  ASSERT_EQ(s.CreateCharacter(id, "climber", 0), CreateOutcome::Created);
  for (int skillId : {3, 7}) {
    for (int64_t level : {99, 700, 1601}) {
      Amount price = NextLevelPrice(*FindSkill(skillId), level);
      s.UpdateCharacter(id, [&](Character& c) {
        c.levels[skillId - 1] = level;
        c.rate = RateFor(c.levels);
        c.total = price - 1;
        return true;
      });
      auto refused = s.LevelUpCharacter(id, skillId, 0);
      EXPECT_EQ(refused.outcome, LevelUpOutcome::NotEnough) << skillId << " at " << level;
      s.UpdateCharacter(id, [&](Character& c) {
        c.total = price;
        return true;
      });
      auto bought = s.LevelUpCharacter(id, skillId, 0);
      ASSERT_TRUE(bought.character);
      EXPECT_EQ(bought.outcome, LevelUpOutcome::Done) << skillId << " at " << level;
      EXPECT_EQ(bought.character->total, 0) << skillId << " at " << level;
      EXPECT_EQ(bought.character->levels[skillId - 1], level + 1);
    }
  }
}

}  // namespace vorenn::server::test
