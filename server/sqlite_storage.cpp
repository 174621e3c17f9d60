#include "server/sqlite_storage.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "server/internal/batch_queue.h"
#include "server/internal/pool.h"
#include "server/text_rules.h"

namespace vorenn::server {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
  id INTEGER PRIMARY KEY, username TEXT NOT NULL UNIQUE, password_hash TEXT NOT NULL,
  email TEXT NOT NULL, created_at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sessions (
  token_digest TEXT PRIMARY KEY, account_id INTEGER NOT NULL REFERENCES accounts(id),
  last_used INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS sessions_account ON sessions(account_id);
CREATE INDEX IF NOT EXISTS sessions_last_used ON sessions(last_used);
CREATE TABLE IF NOT EXISTS characters (
  account_id INTEGER PRIMARY KEY REFERENCES accounts(id), name TEXT NOT NULL UNIQUE,
  created_at INTEGER NOT NULL, total TEXT NOT NULL, rate TEXT NOT NULL, settled_at INTEGER NOT NULL);
DROP INDEX IF EXISTS characters_rank;
CREATE INDEX IF NOT EXISTS characters_ranking ON characters(length(rate) DESC, rate DESC, name);
CREATE TABLE IF NOT EXISTS skills (
  account_id INTEGER NOT NULL REFERENCES characters(account_id), skill_id INTEGER NOT NULL,
  level INTEGER NOT NULL, PRIMARY KEY (account_id, skill_id));
)sql";

// A session's last use is written back at most this often, so reading the game state does not
// cost a write per request; expiry is measured in days, so a minute of slack is harmless.
constexpr int64_t kSessionTouchSeconds = 60;

// Character changes waiting for the writer. More than the server's request threads ever queue;
// beyond it a request fails at once as busy rather than waiting without bound.
constexpr size_t kMaxQueuedChanges = 1024;
// Changes folded into one transaction at most, so one commit's wait stays short.
constexpr size_t kMaxBatch = 64;

class Statement {
 public:
  explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_;
};

class Connection {
 public:
  explicit Connection(const std::string& path) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StorageError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec("PRAGMA foreign_keys=ON");
  }
  ~Connection() {
    statements_.clear();
    sqlite3_close(db_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errmsg(db_);
      sqlite3_free(error);
      throw StorageError(message);
    }
  }

  // Runs a statement without results through its prepared form: for the writer's transaction
  // statements, which run several times per commit and would otherwise be parsed each time.
  void Run(const char* sql) {
    sqlite3_stmt* stmt = Prepare(sql);
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) Fail();
  }

  // A prepared statement, reset and with bindings cleared; prepared once per connection.
  sqlite3_stmt* Prepare(const char* sql) {
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
      sqlite3_stmt* stmt = nullptr;
      if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) Fail();
      it = statements_.emplace(sql, std::make_unique<Statement>(stmt)).first;
    }
    sqlite3_stmt* stmt = it->second->get();
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return stmt;
  }

  [[noreturn]] void Fail() { throw StorageError(sqlite3_errmsg(db_)); }
  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::map<const char*, std::unique_ptr<Statement>> statements_;
};

void BindText(Connection& c, sqlite3_stmt* stmt, int index, std::string_view text) {
  if (sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK) {
    c.Fail();
  }
}

void BindInt(Connection& c, sqlite3_stmt* stmt, int index, int64_t value) {
  if (sqlite3_bind_int64(stmt, index, value) != SQLITE_OK) c.Fail();
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(stmt, column))
              : std::string();
}

// One step; true for a row, false when done. Constraint violations are reported to the caller.
bool Step(Connection& c, sqlite3_stmt* stmt, bool* constraintFailed = nullptr) {
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  if (constraintFailed && (rc & 0xff) == SQLITE_CONSTRAINT) {
    *constraintFailed = true;
    return false;
  }
  c.Fail();
}

Amount ColumnAmount(Connection& c, sqlite3_stmt* stmt, int column) {
  auto amount = ParseAmount(ColumnText(stmt, column));
  if (!amount) throw StorageError("corrupt amount in the database");
  (void)c;
  return *amount;
}

// A consistent snapshot for several reads; ended when it goes out of scope.
class ReadTransaction {
 public:
  explicit ReadTransaction(Connection& c) : c_(c) { c_.Exec("BEGIN"); }
  ~ReadTransaction() { sqlite3_exec(c_.db(), "COMMIT", nullptr, nullptr, nullptr); }

 private:
  Connection& c_;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back when left by an exception or without Commit.
class WriteTransaction {
 public:
  WriteTransaction(Connection& c, std::mutex& writers) : c_(c), lock_(writers) {
    c_.Exec("BEGIN IMMEDIATE");
  }
  ~WriteTransaction() {
    if (!done_) sqlite3_exec(c_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    c_.Exec("COMMIT");
    done_ = true;
  }

 private:
  Connection& c_;
  std::lock_guard<std::mutex> lock_;
  bool done_ = false;
};

class SqliteStorage final : public Storage {
 public:
  SqliteStorage(std::string path, int connections) : path_(std::move(path)) {
    auto first = std::make_unique<Connection>(path_);
    first->Exec(kSchema);
    AddNameKeys(*first, "accounts", "id", "username");
    AddNameKeys(*first, "characters", "account_id", "name");
    pool_.Add(std::move(first));
    for (int i = 1; i < connections; ++i) pool_.Add(std::make_unique<Connection>(path_));
    writerConnection_ = std::make_unique<Connection>(path_);
    writer_ = std::thread([this] { WriteBatches(); });
  }

  // Changes already queued are still written and answered before the writer ends.
  ~SqliteStorage() override {
    queue_.Close();
    writer_.join();
  }

  CreateOutcome CreateAccount(std::string_view username, std::string_view passwordHash,
                              std::string_view email, int64_t now) override {
    auto c = Take();
    WriteTransaction tx(*c, writers_);
    sqlite3_stmt* insert = c->Prepare(
        "INSERT INTO accounts (username, password_hash, email, created_at, name_key) "
        "VALUES (?, ?, ?, ?, ?)");
    BindText(*c, insert, 1, username);
    BindText(*c, insert, 2, passwordHash);
    BindText(*c, insert, 3, email);
    BindInt(*c, insert, 4, now);
    BindText(*c, insert, 5, NameKey(username));
    bool taken = false;
    Step(*c, insert, &taken);
    if (taken) return CreateOutcome::NameTaken;
    tx.Commit();
    return CreateOutcome::Created;
  }

  std::optional<Account> FindAccount(std::string_view username) override {
    auto c = Take();
    sqlite3_stmt* select =
        c->Prepare("SELECT id, username, password_hash FROM accounts WHERE username = ?");
    BindText(*c, select, 1, username);
    if (!Step(*c, select)) return std::nullopt;
    Account account{sqlite3_column_int64(select, 0), ColumnText(select, 1), ColumnText(select, 2)};
    sqlite3_reset(select);
    return account;
  }

  void ReplacePassword(int64_t accountId, std::string_view passwordHash) override {
    auto c = Take();
    WriteTransaction tx(*c, writers_);
    sqlite3_stmt* update = c->Prepare("UPDATE accounts SET password_hash = ? WHERE id = ?");
    BindText(*c, update, 1, passwordHash);
    BindInt(*c, update, 2, accountId);
    Step(*c, update);
    sqlite3_stmt* end = c->Prepare("DELETE FROM sessions WHERE account_id = ?");
    BindInt(*c, end, 1, accountId);
    Step(*c, end);
    tx.Commit();
  }

  void UpgradePasswordHash(int64_t accountId, std::string_view oldHash, std::string_view newHash) override {
    auto c = Take();
    WriteTransaction tx(*c, writers_);
    sqlite3_stmt* update =
        c->Prepare("UPDATE accounts SET password_hash = ? WHERE id = ? AND password_hash = ?");
    BindText(*c, update, 1, newHash);
    BindInt(*c, update, 2, accountId);
    BindText(*c, update, 3, oldHash);
    Step(*c, update);
    tx.Commit();
  }

  void AddSession(std::string_view tokenDigest, int64_t accountId, int64_t now,
                  int64_t maxIdleSeconds) override {
    auto c = Take();
    WriteTransaction tx(*c, writers_);
    sqlite3_stmt* sweep = c->Prepare("DELETE FROM sessions WHERE last_used <= ?");
    BindInt(*c, sweep, 1, now - maxIdleSeconds);
    Step(*c, sweep);
    sqlite3_stmt* insert =
        c->Prepare("INSERT INTO sessions (token_digest, account_id, last_used) VALUES (?, ?, ?)");
    BindText(*c, insert, 1, tokenDigest);
    BindInt(*c, insert, 2, accountId);
    BindInt(*c, insert, 3, now);
    Step(*c, insert);
    tx.Commit();
  }

  std::optional<int64_t> UseSession(std::string_view tokenDigest, int64_t now,
                                    int64_t maxIdleSeconds) override {
    auto c = Take();
    SessionUse use{std::string(tokenDigest), now, maxIdleSeconds};
    SessionState state = ReadSession(*c, use);
    if (state.write == SessionWrite::None) return state.accountId;
    WriteTransaction tx(*c, writers_);
    WriteSession(*c, use, state.write);
    tx.Commit();
    return state.accountId;
  }

  CreateOutcome CreateCharacter(int64_t accountId, std::string_view name, int64_t now) override {
    auto c = Take();
    WriteTransaction tx(*c, writers_);
    sqlite3_stmt* existing = c->Prepare("SELECT 1 FROM characters WHERE account_id = ?");
    BindInt(*c, existing, 1, accountId);
    if (Step(*c, existing)) {
      sqlite3_reset(existing);
      return CreateOutcome::AlreadyExists;
    }
    sqlite3_stmt* insert = c->Prepare(
        "INSERT INTO characters (account_id, name, created_at, total, rate, settled_at, name_key) "
        "VALUES (?, ?, ?, '0', ?, ?, ?)");
    BindInt(*c, insert, 1, accountId);
    BindText(*c, insert, 2, name);
    BindInt(*c, insert, 3, now);
    BindText(*c, insert, 4, FormatAmount(RateFor(SkillLevels{})));
    BindInt(*c, insert, 5, now);
    BindText(*c, insert, 6, NameKey(name));
    bool taken = false;
    Step(*c, insert, &taken);
    if (taken) return CreateOutcome::NameTaken;
    tx.Commit();
    return CreateOutcome::Created;
  }

  std::optional<Character> UpdateCharacter(int64_t accountId, const CharacterChange& change) override {
    {
      auto c = Take();
      // Most requests only read (the total was settled earlier in the same second). Finding that
      // out on a snapshot keeps them from queueing behind writers that wait for the disk.
      ReadTransaction snapshot(*c);
      auto probe = Load(*c, accountId);
      if (!probe) return std::nullopt;
      if (!change(*probe)) return probe;
    }
    return Write(accountId, change);
  }

  // A level-up nearly always writes: it goes to the writer without the probe.
  LevelUpResult LevelUpCharacter(int64_t accountId, int skillId, int64_t now) override {
    LevelUpResult result;
    result.character = Write(accountId, LevelUpChange(result, skillId, now));
    return result;
  }

  // The session is checked by the writer, in the level-up's own savepoint: the request costs no
  // read transaction of its own, and a session's last use is written back in the batch's commit.
  SessionLevelUp LevelUpInSession(std::string_view tokenDigest, int skillId, int64_t now,
                                  int64_t maxIdleSeconds) override {
    SessionLevelUp levelUp;
    PendingChange pending(0, LevelUpChange(levelUp.result, skillId, now));
    pending.session = SessionUse{std::string(tokenDigest), now, maxIdleSeconds};
    WriteAndWait(pending);
    levelUp.signedIn = pending.signedIn;
    levelUp.result.character = std::move(pending.result);
    return levelUp;
  }

  // As LevelUpInSession, but the writer answers the level-up itself once its commit is synced;
  // nobody waits for it.
  void LevelUpInSessionLater(std::string_view tokenDigest, int skillId, int64_t now, int64_t maxIdleSeconds,
                             SessionLevelUpDone done) override {
    auto levelUp = std::make_shared<SessionLevelUp>();
    auto pending = std::make_unique<PendingChange>(0, LevelUpChange(levelUp->result, skillId, now));
    pending->session = SessionUse{std::string(tokenDigest), now, maxIdleSeconds};
    pending->finish = [levelUp, done = std::move(done)](PendingChange& finished) {
      std::unique_ptr<PendingChange> owned(&finished);
      if (finished.error) {
        done(SessionLevelUp{}, finished.error);
        return;
      }
      levelUp->signedIn = finished.signedIn;
      levelUp->result.character = std::move(finished.result);
      done(std::move(*levelUp), nullptr);
    };
    if (!queue_.Push(pending.get())) {
      done(SessionLevelUp{}, std::make_exception_ptr(StorageError("too many changes waiting for the database")));
      return;
    }
    pending.release();  // the writer's now: its finish deletes it
  }

  bool FinishesLater() const override { return true; }

  std::vector<RankEntry> TopByRate(int limit) override {
    auto c = Take();
    sqlite3_stmt* select = c->Prepare(
        "SELECT name, rate FROM characters ORDER BY length(rate) DESC, rate DESC, name LIMIT ?");
    BindInt(*c, select, 1, limit);
    std::vector<RankEntry> ranking;
    while (Step(*c, select)) ranking.push_back({ColumnText(select, 0), ColumnAmount(*c, select, 1)});
    return ranking;
  }

 private:
  // A session being used: its token's digest, the time of the use and the idle limit.
  struct SessionUse {
    std::string tokenDigest;
    int64_t now = 0;
    int64_t maxIdleSeconds = 0;
  };
  // What a use of the session has to write: nothing, its last use, or the end of it (with every
  // other expired session).
  enum class SessionWrite { None, Touch, Drop };
  struct SessionState {
    std::optional<int64_t> accountId;  // nullopt: unknown or expired
    SessionWrite write = SessionWrite::None;
  };

  // One character change handed to the writer. Once the change is committed or has failed, the
  // writer calls `finish`, which wakes the request's thread or answers it (each alone, not every
  // waiter at each commit); after that the writer no longer touches it.
  struct PendingChange {
    PendingChange(int64_t account, CharacterChange what) : accountId(account), change(std::move(what)) {}
    int64_t accountId;
    CharacterChange change;
    // For a change by a session: the session is used first, in the change's savepoint, and the
    // change is made for its account only while it is good (`signedIn`).
    std::optional<SessionUse> session;
    bool signedIn = true;
    std::optional<Character> result;
    std::exception_ptr error;
    std::function<void(PendingChange&)> finish;
  };

  // Hands the change to the one writer, which commits every change waiting with it in one
  // transaction and one sync; returns once this change is on disk.
  std::optional<Character> Write(int64_t accountId, const CharacterChange& change) {
    PendingChange pending(accountId, change);
    WriteAndWait(pending);
    return std::move(pending.result);
  }

  // Hands `pending` to the writer and waits until it is committed; throws what it failed with.
  void WriteAndWait(PendingChange& pending) {
    std::mutex mutex;
    std::condition_variable signal;
    bool finished = false;
    pending.finish = [&](PendingChange&) {
      std::lock_guard lock(mutex);
      finished = true;
      signal.notify_one();
    };
    if (!queue_.Push(&pending)) throw StorageError("too many changes waiting for the database");
    {
      std::unique_lock lock(mutex);
      signal.wait(lock, [&] { return finished; });
    }
    if (pending.error) std::rethrow_exception(pending.error);
  }

  static SessionState ReadSession(Connection& c, const SessionUse& use) {
    sqlite3_stmt* select = c.Prepare("SELECT account_id, last_used FROM sessions WHERE token_digest = ?");
    BindText(c, select, 1, use.tokenDigest);
    SessionState state;
    if (!Step(c, select)) return state;
    int64_t accountId = sqlite3_column_int64(select, 0);
    int64_t lastUsed = sqlite3_column_int64(select, 1);
    sqlite3_reset(select);
    if (lastUsed <= use.now - use.maxIdleSeconds) {
      state.write = SessionWrite::Drop;
      return state;
    }
    state.accountId = accountId;
    // Written back at most once a minute, so most uses only read.
    if (use.now >= lastUsed + kSessionTouchSeconds) state.write = SessionWrite::Touch;
    return state;
  }

  // Inside a write transaction.
  static void WriteSession(Connection& c, const SessionUse& use, SessionWrite write) {
    if (write == SessionWrite::Drop) {
      sqlite3_stmt* drop = c.Prepare("DELETE FROM sessions WHERE token_digest = ? OR last_used <= ?");
      BindText(c, drop, 1, use.tokenDigest);
      BindInt(c, drop, 2, use.now - use.maxIdleSeconds);
      Step(c, drop);
    } else if (write == SessionWrite::Touch) {
      sqlite3_stmt* touch = c.Prepare("UPDATE sessions SET last_used = max(last_used, ?) WHERE token_digest = ?");
      BindInt(c, touch, 1, use.now);
      BindText(c, touch, 2, use.tokenDigest);
      Step(c, touch);
    }
  }

  using ConnectionPool = internal::Pool<Connection>;

  // Names are unique by NameKey too. Databases made before the key get the column and their rows'
  // keys here; of two old rows that share a key, the first keeps it and the other stays without
  // one: both still sign in by their exact names, and a new name with that key is refused.
  static void AddNameKeys(Connection& c, const std::string& table, const char* id, const char* name) {
    sqlite3_stmt* probe = nullptr;
    std::string probeSql = "SELECT name_key FROM " + table + " LIMIT 0";
    if (sqlite3_prepare_v2(c.db(), probeSql.c_str(), -1, &probe, nullptr) != SQLITE_OK) {
      c.Exec(("ALTER TABLE " + table + " ADD COLUMN name_key TEXT").c_str());
    }
    sqlite3_finalize(probe);
    c.Exec(("CREATE UNIQUE INDEX IF NOT EXISTS " + table + "_name_fold ON " + table + "(name_key)").c_str());
    std::vector<std::pair<int64_t, std::string>> missing;
    {
      std::string sql = std::string("SELECT ") + id + ", " + name + " FROM " + table +
                        " WHERE name_key IS NULL ORDER BY " + id;
      sqlite3_stmt* stmt = nullptr;
      if (sqlite3_prepare_v2(c.db(), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) c.Fail();
      Statement owner(stmt);
      while (Step(c, stmt)) missing.emplace_back(sqlite3_column_int64(stmt, 0), ColumnText(stmt, 1));
    }
    if (missing.empty()) return;
    std::string sql = "UPDATE " + table + " SET name_key = ? WHERE " + id + " = ?";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(c.db(), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) c.Fail();
    Statement owner(stmt);
    c.Exec("BEGIN IMMEDIATE");
    for (const auto& [rowId, rowName] : missing) {
      sqlite3_reset(stmt);
      BindText(c, stmt, 1, NameKey(rowName));
      BindInt(c, stmt, 2, rowId);
      bool shared = false;
      Step(c, stmt, &shared);
    }
    c.Exec("COMMIT");
  }

  ConnectionPool::Lease Take() {
    return pool_.Take([this] { return std::make_unique<Connection>(path_); });
  }

  // With `totalText`, also the total as stored (so a change can write its new total from it).
  std::optional<Character> Load(Connection& c, int64_t accountId, std::string* totalText = nullptr) {
    sqlite3_stmt* select = c.Prepare(
        "SELECT name, created_at, total, rate, settled_at FROM characters WHERE account_id = ?");
    BindInt(c, select, 1, accountId);
    if (!Step(c, select)) return std::nullopt;
    Character character;
    character.accountId = accountId;
    character.name = ColumnText(select, 0);
    character.createdAt = sqlite3_column_int64(select, 1);
    if (totalText) {
      *totalText = ColumnText(select, 2);
      auto total = ParseAmount(*totalText);
      if (!total) throw StorageError("corrupt amount in the database");
      character.total = std::move(*total);
    } else {
      character.total = ColumnAmount(c, select, 2);
    }
    character.rate = ColumnAmount(c, select, 3);
    character.settledAt = sqlite3_column_int64(select, 4);
    sqlite3_reset(select);
    sqlite3_stmt* skills = c.Prepare("SELECT skill_id, level FROM skills WHERE account_id = ?");
    BindInt(c, skills, 1, accountId);
    while (Step(c, skills)) {
      int64_t id = sqlite3_column_int64(skills, 0);
      if (id >= 1 && id <= kSkillCount) character.levels[id - 1] = sqlite3_column_int64(skills, 1);
    }
    return character;
  }

  // `before` and `totalBefore` (stored as `totalTextBefore`) are the character as it was loaded.
  void Store(Connection& c, const Character& character, const SkillLevels& before, const Amount& totalBefore,
             std::string_view totalTextBefore) {
    sqlite3_stmt* update =
        c.Prepare("UPDATE characters SET total = ?, rate = ?, settled_at = ? WHERE account_id = ?");
    BindText(c, update, 1, FormatAmountNear(character.total, totalBefore, totalTextBefore));
    BindText(c, update, 2, FormatAmount(character.rate));
    BindInt(c, update, 3, character.settledAt);
    BindInt(c, update, 4, character.accountId);
    Step(c, update);
    for (int id = 1; id <= kSkillCount; ++id) {
      if (character.levels[id - 1] == before[id - 1]) continue;
      sqlite3_stmt* upsert = c.Prepare(
          "INSERT INTO skills (account_id, skill_id, level) VALUES (?, ?, ?) "
          "ON CONFLICT (account_id, skill_id) DO UPDATE SET level = excluded.level");
      BindInt(c, upsert, 1, character.accountId);
      BindInt(c, upsert, 2, id);
      BindInt(c, upsert, 3, character.levels[id - 1]);
      Step(c, upsert);
    }
  }

  void WriteBatches() {
    for (;;) {
      std::vector<PendingChange*> batch = queue_.TakeBatch(kMaxBatch);
      if (batch.empty()) return;
      WriteBatch(batch);
      for (PendingChange* pending : batch) {
        // Moved out first: finishing may end the PendingChange, and with it its own `finish`.
        auto finish = std::move(pending->finish);
        finish(*pending);
      }
    }
  }

  // Each change runs inside its own savepoint, so one that throws is undone alone and the others
  // commit. Should SQLite abandon the whole transaction instead (a failure it rolls back itself),
  // the failed change keeps its error and the rest are written again from scratch; a change may
  // run more than once, its last run being the one written.
  void WriteBatch(const std::vector<PendingChange*>& batch) {
    Connection& c = *writerConnection_;
    std::vector<PendingChange*> remaining = batch;
    std::lock_guard lock(writers_);
    while (!remaining.empty()) {
      try {
        c.Run("BEGIN IMMEDIATE");
      } catch (...) {
        for (PendingChange* pending : remaining) pending->error = std::current_exception();
        return;
      }
      std::vector<PendingChange*> applied;
      bool abandoned = false;
      for (PendingChange* pending : remaining) {
        pending->error = nullptr;
        pending->result.reset();
        if (!ApplyInSavepoint(c, *pending)) {
          if (sqlite3_get_autocommit(c.db())) {
            abandoned = true;
            break;
          }
          continue;
        }
        applied.push_back(pending);
      }
      if (abandoned) {
        std::erase_if(remaining, [](PendingChange* p) { return p->error != nullptr; });
        continue;
      }
      try {
        c.Run("COMMIT");
      } catch (...) {
        std::exception_ptr failure = std::current_exception();
        sqlite3_exec(c.db(), "ROLLBACK", nullptr, nullptr, nullptr);
        for (PendingChange* pending : applied) {
          pending->result.reset();
          pending->error = failure;
        }
      }
      return;
    }
  }

  // False when the change failed (its error is kept); its savepoint is then rolled back.
  bool ApplyInSavepoint(Connection& c, PendingChange& pending) {
    try {
      c.Run("SAVEPOINT one_change");
      if (pending.session) {
        SessionState state = ReadSession(c, *pending.session);
        WriteSession(c, *pending.session, state.write);
        pending.signedIn = state.accountId.has_value();
        pending.accountId = state.accountId.value_or(0);
      }
      std::string totalText;
      std::optional<Character> character;
      if (pending.signedIn) character = Load(c, pending.accountId, &totalText);
      if (character) {
        SkillLevels before = character->levels;
        Amount totalBefore = character->total;
        if (pending.change(*character)) Store(c, *character, before, totalBefore, totalText);
      }
      c.Run("RELEASE one_change");
      pending.result = std::move(character);
      return true;
    } catch (...) {
      pending.error = std::current_exception();
      if (!sqlite3_get_autocommit(c.db())) {
        sqlite3_exec(c.db(), "ROLLBACK TO one_change", nullptr, nullptr, nullptr);
        sqlite3_exec(c.db(), "RELEASE one_change", nullptr, nullptr, nullptr);
      }
      return false;
    }
  }

  const std::string path_;
  std::mutex writers_;
  ConnectionPool pool_;
  std::unique_ptr<Connection> writerConnection_;
  internal::BatchQueue<PendingChange*> queue_{kMaxQueuedChanges};
  std::thread writer_;
};

}  // namespace

std::unique_ptr<Storage> OpenSqliteStorage(const std::string& path, int connections) {
  // SQLite's allocation statistics take one process-wide mutex per allocation, which every
  // connection's thread then queues on; nothing here reads them. Only possible before SQLite's
  // first use in the process (later calls are refused, harmlessly).
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
  // Password hashes and e-mail addresses are nobody else's business: a folder the server makes is
  // its owner's alone, and so is a new database file (SQLite gives its -wal and -shm files the
  // database file's mode).
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code error;
  std::vector<std::filesystem::path> made;
  for (auto folder = parent; !folder.empty() && !std::filesystem::exists(folder, error);
       folder = folder.parent_path()) {
    made.push_back(folder);
    if (folder == folder.parent_path()) break;
  }
  if (!made.empty()) {
    std::filesystem::create_directories(parent, error);
    if (error) throw StorageError("cannot create " + parent.string() + ": " + error.message());
    for (const auto& folder : made) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  }
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  return std::make_unique<SqliteStorage>(path, connections < 1 ? 1 : connections);
}

}  // namespace vorenn::server
