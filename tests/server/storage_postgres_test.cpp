#include <pqxx/pqxx>

#include "tests/server/kill_loop_test.h"
#include "tests/server/protocol_flows_test.h"
#include "tests/server/race_test.h"
#include "tests/server/storage_test.h"

namespace vorenn::server::test {

INSTANTIATE_TEST_SUITE_P(Postgres, StorageContract, ::testing::Values("postgres"));
INSTANTIATE_TEST_SUITE_P(Postgres, LevelUpRace, ::testing::Values("postgres"));
INSTANTIATE_TEST_SUITE_P(Postgres, KillLoop, ::testing::Values("postgres"));
INSTANTIATE_TEST_SUITE_P(Postgres, GameOverHttp, ::testing::Values("postgres"));

TEST(PostgresNameKeys, AnOldDatabaseWithLookAlikeNamesKeepsBothAndRefusesNewTwins) {
  std::string url = FreshPostgresUrl();
  ASSERT_FALSE(url.empty());
  {
    // The tables as they were before names had keys, with a pair that now shares a key.
    pqxx::connection c(url);
    pqxx::work w(c);
    w.exec(R"sql(
      CREATE TABLE accounts (id BIGSERIAL PRIMARY KEY, username TEXT NOT NULL UNIQUE,
        password_hash TEXT NOT NULL, email TEXT NOT NULL, created_at BIGINT NOT NULL);
      CREATE TABLE characters (account_id BIGINT PRIMARY KEY REFERENCES accounts(id),
        name TEXT NOT NULL UNIQUE, created_at BIGINT NOT NULL, total NUMERIC NOT NULL,
        rate NUMERIC NOT NULL, settled_at BIGINT NOT NULL);
      INSERT INTO accounts (username, password_hash, email, created_at)
        VALUES ('Alice', 'h1', '', 1), ('alice ', 'h2', '', 2);
      INSERT INTO characters VALUES (1, 'Hero', 1, 0, 1, 1), (2, 'HERO', 2, 0, 1, 2);)sql");
    w.commit();
  }
  auto storage = OpenStorage(url, 2);
  EXPECT_EQ(storage->FindAccount("Alice")->passwordHash, "h1");
  EXPECT_EQ(storage->FindAccount("alice ")->passwordHash, "h2");
  EXPECT_EQ(storage->CreateAccount("ALICE", "h3", "", 3), CreateOutcome::NameTaken);
  EXPECT_EQ(storage->CreateAccount("bob", "h4", "", 3), CreateOutcome::Created);
  EXPECT_EQ(storage->CreateCharacter(storage->FindAccount("bob")->id, "hero", 3), CreateOutcome::NameTaken);
  EXPECT_TRUE(storage->UpdateCharacter(2, [](Character&) { return false; }).has_value());
}

}  // namespace vorenn::server::test
