// What the SQLite store leaves on disk: files only their owner reads, and databases made before
// names had keys opened without losing or merging anyone.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

TEST(SqliteFiles, TheDatabaseAndTheFoldersMadeForItAreTheOwnersAlone) {
  TempDir dir;
  auto folder = dir.path() / "var" / "game";
  auto storage = OpenStorage("sqlite:" + (folder / "g.db").string(), 2);
  ASSERT_EQ(storage->CreateAccount("owner", "hash", "a@b.c", 1), CreateOutcome::Created);
  EXPECT_EQ(ModeOf(dir.path() / "var"), 0700u);
  EXPECT_EQ(ModeOf(folder), 0700u);
  for (const char* file : {"g.db", "g.db-wal", "g.db-shm"}) {
    EXPECT_EQ(ModeOf(folder / file), 0600u) << file;
  }
}

TEST(SqliteFiles, AnOldDatabaseWithLookAlikeNamesKeepsBothAndRefusesNewTwins) {
  TempDir dir;
  std::string path = (dir.path() / "old.db").string();
  {
    // The tables as they were before names had keys, with a pair that now shares a key.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const char* old = R"sql(
      CREATE TABLE accounts (id INTEGER PRIMARY KEY, username TEXT NOT NULL UNIQUE,
        password_hash TEXT NOT NULL, email TEXT NOT NULL, created_at INTEGER NOT NULL);
      CREATE TABLE characters (account_id INTEGER PRIMARY KEY REFERENCES accounts(id),
        name TEXT NOT NULL UNIQUE, created_at INTEGER NOT NULL, total TEXT NOT NULL, rate TEXT NOT NULL,
        settled_at INTEGER NOT NULL);
      INSERT INTO accounts VALUES (1, 'Alice', 'h1', '', 1), (2, 'alice ', 'h2', '', 2);
      INSERT INTO characters VALUES (1, 'Hero', 1, '0', '1', 1), (2, 'HERO', 2, '0', '1', 2);)sql";
    ASSERT_EQ(sqlite3_exec(db, old, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  auto storage = OpenStorage("sqlite:" + path, 2);
  EXPECT_EQ(storage->FindAccount("Alice")->passwordHash, "h1");
  EXPECT_EQ(storage->FindAccount("alice ")->passwordHash, "h2");
  EXPECT_EQ(storage->CreateAccount("ALICE", "h3", "", 3), CreateOutcome::NameTaken);
  EXPECT_EQ(storage->CreateAccount("bob", "h4", "", 3), CreateOutcome::Created);
  EXPECT_EQ(storage->CreateCharacter(storage->FindAccount("bob")->id, "hero", 3), CreateOutcome::NameTaken);
  EXPECT_TRUE(storage->UpdateCharacter(2, [](Character&) { return false; }).has_value());
  // Opening again is harmless: the pair stays as it is.
  storage.reset();
  storage = OpenStorage("sqlite:" + path, 2);
  EXPECT_EQ(storage->FindAccount("alice ")->passwordHash, "h2");
}

}  // namespace
}  // namespace vorenn::server::test
