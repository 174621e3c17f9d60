#include "server/pg_storage.h"

#include <pqxx/pqxx>

#include <atomic>

#include "server/internal/pool.h"
#include "server/text_rules.h"

namespace vorenn::server {

namespace {

constexpr const char* kSchema = R"sql(
SELECT pg_advisory_xact_lock(857300);
CREATE TABLE IF NOT EXISTS accounts (
  id BIGSERIAL PRIMARY KEY, username TEXT NOT NULL UNIQUE, password_hash TEXT NOT NULL,
  email TEXT NOT NULL, created_at BIGINT NOT NULL);
CREATE TABLE IF NOT EXISTS sessions (
  token_digest TEXT PRIMARY KEY, account_id BIGINT NOT NULL REFERENCES accounts(id),
  last_used BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS sessions_account ON sessions(account_id);
CREATE INDEX IF NOT EXISTS sessions_last_used ON sessions(last_used);
CREATE TABLE IF NOT EXISTS characters (
  account_id BIGINT PRIMARY KEY REFERENCES accounts(id), name TEXT NOT NULL UNIQUE,
  created_at BIGINT NOT NULL, total NUMERIC NOT NULL, rate NUMERIC NOT NULL,
  settled_at BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS characters_rank ON characters(rate DESC, name);
CREATE TABLE IF NOT EXISTS skills (
  account_id BIGINT NOT NULL REFERENCES characters(account_id), skill_id INTEGER NOT NULL,
  level BIGINT NOT NULL, PRIMARY KEY (account_id, skill_id));
-- (PostgreSQL already calls the unique constraint on characters.name "characters_name_key".)
ALTER TABLE accounts ADD COLUMN IF NOT EXISTS name_key TEXT;
CREATE UNIQUE INDEX IF NOT EXISTS accounts_name_fold ON accounts(name_key);
ALTER TABLE characters ADD COLUMN IF NOT EXISTS name_key TEXT;
CREATE UNIQUE INDEX IF NOT EXISTS characters_name_fold ON characters(name_key);
-- A session's use: its account, or NULL for an unknown or an expired one (deleted, with every
-- other expired one). Its last use is written back at most every p_touch seconds.
CREATE OR REPLACE FUNCTION vorenn_use_session(p_digest TEXT, p_now BIGINT, p_max_idle BIGINT, p_touch BIGINT)
RETURNS BIGINT LANGUAGE plpgsql AS $fn$
DECLARE
  s sessions%ROWTYPE;
BEGIN
  SELECT * INTO s FROM sessions WHERE token_digest = p_digest;
  IF NOT FOUND THEN RETURN NULL; END IF;
  IF s.last_used <= p_now - p_max_idle THEN
    DELETE FROM sessions WHERE token_digest = p_digest OR last_used <= p_now - p_max_idle;
    RETURN NULL;
  END IF;
  IF p_now >= s.last_used + p_touch THEN
    UPDATE sessions SET last_used = GREATEST(last_used, p_now) WHERE token_digest = p_digest;
  END IF;
  RETURN s.account_id;
END
$fn$;
-- A level-up in one call, so it costs one round trip: lock the character, settle its total at
-- p_now, price the next level of the skill as ceil(base x 115^level / 100^level) in exact
-- integers, buy it when affordable, and return the character as it stands. The skill's base price
-- and output per level come from the caller, which owns the game's rules. Outcome 1 = bought,
-- 0 = not enough; no row = no character.
CREATE OR REPLACE FUNCTION vorenn_level_up(p_account BIGINT, p_skill INTEGER, p_now BIGINT,
                                           p_base NUMERIC, p_output NUMERIC)
RETURNS TABLE (r_outcome INTEGER, r_name TEXT, r_created_at BIGINT, r_total TEXT, r_rate TEXT,
               r_settled_at BIGINT, r_levels TEXT)
LANGUAGE plpgsql AS $fn$
DECLARE
  ch characters%ROWTYPE;
  current_level BIGINT;
  numerator NUMERIC;
  denominator NUMERIC;
  price NUMERIC;
  bought BOOLEAN := false;
  changed BOOLEAN := false;
BEGIN
  SELECT * INTO ch FROM characters WHERE account_id = p_account FOR UPDATE;
  IF NOT FOUND THEN RETURN; END IF;
  IF p_now > ch.settled_at THEN
    ch.total := ch.total + ch.rate * (p_now - ch.settled_at);
    ch.settled_at := p_now;
    changed := true;
  END IF;
  SELECT level INTO current_level FROM skills WHERE account_id = p_account AND skill_id = p_skill;
  current_level := COALESCE(current_level, 0);
  -- power() of an integer by a whole exponent is exact, and takes a few multiplications where a
  -- loop took one per level (about 0.2 ms at level 500).
  numerator := p_base * power(115::NUMERIC, current_level);
  denominator := power(100::NUMERIC, current_level);
  price := div(numerator + denominator - 1, denominator);
  IF ch.total >= price THEN
    ch.total := ch.total - price;
    ch.rate := ch.rate + p_output;
    bought := true;
    changed := true;
    INSERT INTO skills (account_id, skill_id, level) VALUES (p_account, p_skill, current_level + 1)
      ON CONFLICT (account_id, skill_id) DO UPDATE SET level = excluded.level;
  END IF;
  IF changed THEN
    UPDATE characters SET total = ch.total, rate = ch.rate, settled_at = ch.settled_at
      WHERE account_id = p_account;
  END IF;
  RETURN QUERY SELECT CASE WHEN bought THEN 1 ELSE 0 END, ch.name, ch.created_at, ch.total::text,
    ch.rate::text, ch.settled_at,
    (SELECT string_agg(s.skill_id || ':' || s.level, ',') FROM skills s WHERE s.account_id = p_account);
END
$fn$;
-- A level-up by a session, in one call: no row = no such session (or an expired one); a row
-- without an outcome = no character; else the account and vorenn_level_up's row.
CREATE OR REPLACE FUNCTION vorenn_session_level_up(p_digest TEXT, p_now BIGINT, p_max_idle BIGINT,
                                                   p_touch BIGINT, p_skill INTEGER, p_base NUMERIC,
                                                   p_output NUMERIC)
RETURNS TABLE (r_account BIGINT, r_outcome INTEGER, r_name TEXT, r_created_at BIGINT, r_total TEXT,
               r_rate TEXT, r_settled_at BIGINT, r_levels TEXT)
LANGUAGE plpgsql AS $fn$
DECLARE
  v_account BIGINT := vorenn_use_session(p_digest, p_now, p_max_idle, p_touch);
BEGIN
  IF v_account IS NULL THEN RETURN; END IF;
  RETURN QUERY SELECT v_account, l.* FROM vorenn_level_up(v_account, p_skill, p_now, p_base, p_output) l;
  IF NOT FOUND THEN
    RETURN QUERY SELECT v_account, NULL::INTEGER, NULL::TEXT, NULL::BIGINT, NULL::TEXT, NULL::TEXT,
      NULL::BIGINT, NULL::TEXT;
  END IF;
END
$fn$;
-- A character made for an account: 0 = created, 1 = the name is taken, 2 = the account has one.
-- The account's row is locked first, so "has one" is decided reliably and a unique violation can
-- only be the name.
CREATE OR REPLACE FUNCTION vorenn_create_character(p_account BIGINT, p_name TEXT, p_now BIGINT,
                                                   p_rate NUMERIC, p_name_key TEXT)
RETURNS INTEGER LANGUAGE plpgsql AS $fn$
BEGIN
  PERFORM 1 FROM accounts WHERE id = p_account FOR UPDATE;
  IF EXISTS (SELECT 1 FROM characters WHERE account_id = p_account) THEN RETURN 2; END IF;
  BEGIN
    INSERT INTO characters (account_id, name, created_at, total, rate, settled_at, name_key)
      VALUES (p_account, p_name, p_now, 0, p_rate, p_now, p_name_key);
  EXCEPTION WHEN unique_violation THEN
    RETURN 1;
  END;
  RETURN 0;
END
$fn$;
-- The same by a session: NULL = no such session (or an expired one).
CREATE OR REPLACE FUNCTION vorenn_session_create_character(p_digest TEXT, p_now BIGINT, p_max_idle BIGINT,
                                                           p_touch BIGINT, p_name TEXT, p_rate NUMERIC,
                                                           p_name_key TEXT)
RETURNS INTEGER LANGUAGE plpgsql AS $fn$
DECLARE
  v_account BIGINT := vorenn_use_session(p_digest, p_now, p_max_idle, p_touch);
BEGIN
  IF v_account IS NULL THEN RETURN NULL; END IF;
  RETURN vorenn_create_character(v_account, p_name, p_now, p_rate, p_name_key);
END
$fn$;
-- The ranking by a session: no row = no such session (or an expired one); else a first row without
-- a name, then the characters with the highest output per second, highest first, ties by name.
CREATE OR REPLACE FUNCTION vorenn_session_ranking(p_digest TEXT, p_now BIGINT, p_max_idle BIGINT,
                                                  p_touch BIGINT, p_limit INTEGER)
RETURNS TABLE (r_name TEXT, r_rate TEXT)
LANGUAGE plpgsql AS $fn$
BEGIN
  IF vorenn_use_session(p_digest, p_now, p_max_idle, p_touch) IS NULL THEN RETURN; END IF;
  RETURN NEXT;
  RETURN QUERY SELECT c.name, c.rate::TEXT FROM characters c ORDER BY c.rate DESC, c.name LIMIT p_limit;
END
$fn$;
-- Entering the game in one call: the session checked (an expired one deleted, its last use
-- written back at most every p_touch seconds) and its character returned settled at p_now. A
-- character already settled this second is read without a lock, in one snapshot with its skills;
-- otherwise it is locked, settled and written. No row = no such session (or an expired one); a
-- row without a name = no character yet.
CREATE OR REPLACE FUNCTION vorenn_enter(p_digest TEXT, p_now BIGINT, p_max_idle BIGINT, p_touch BIGINT)
RETURNS TABLE (r_account BIGINT, r_name TEXT, r_created_at BIGINT, r_total TEXT, r_rate TEXT,
               r_settled_at BIGINT, r_levels TEXT)
LANGUAGE plpgsql AS $fn$
DECLARE
  s sessions%ROWTYPE;
  ch characters%ROWTYPE;
  skill_list TEXT;
BEGIN
  s.account_id := vorenn_use_session(p_digest, p_now, p_max_idle, p_touch);
  IF s.account_id IS NULL THEN RETURN; END IF;
  SELECT c.name, c.created_at, c.total, c.rate, c.settled_at,
         (SELECT string_agg(k.skill_id || ':' || k.level, ',') FROM skills k WHERE k.account_id = c.account_id)
    INTO ch.name, ch.created_at, ch.total, ch.rate, ch.settled_at, skill_list
    FROM characters c WHERE c.account_id = s.account_id;
  IF NOT FOUND THEN
    RETURN QUERY SELECT s.account_id, NULL::TEXT, NULL::BIGINT, NULL::TEXT, NULL::TEXT, NULL::BIGINT, NULL::TEXT;
    RETURN;
  END IF;
  IF p_now > ch.settled_at THEN
    SELECT * INTO ch FROM characters WHERE account_id = s.account_id FOR UPDATE;
    IF p_now > ch.settled_at THEN
      ch.total := ch.total + ch.rate * (p_now - ch.settled_at);
      ch.settled_at := p_now;
      UPDATE characters SET total = ch.total, settled_at = ch.settled_at WHERE account_id = s.account_id;
    END IF;
    -- Read after the lock: no level-up of this character can commit in between.
    SELECT string_agg(k.skill_id || ':' || k.level, ',') INTO skill_list FROM skills k
      WHERE k.account_id = s.account_id;
  END IF;
  RETURN QUERY SELECT s.account_id, ch.name, ch.created_at, ch.total::TEXT, ch.rate::TEXT, ch.settled_at,
    skill_list;
END
$fn$;
-- What several servers on this database share so they behave as one: sign-in throttles and the
-- announcement. The throttle rows are short-lived and need no durability, hence UNLOGGED.
CREATE UNLOGGED TABLE IF NOT EXISTS address_buckets (
  kind TEXT NOT NULL, address TEXT NOT NULL, tokens DOUBLE PRECISION NOT NULL, at BIGINT NOT NULL,
  PRIMARY KEY (kind, address));
CREATE UNLOGGED TABLE IF NOT EXISTS password_attempts (attempt_key TEXT NOT NULL, at BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS password_attempts_key ON password_attempts(attempt_key, at);
CREATE TABLE IF NOT EXISTS server_settings (name TEXT PRIMARY KEY, value TEXT NOT NULL);
-- A password attempt counted for a key unless p_max were counted since p_since; false then. Servers
-- counting attempts for one key take turns, so none sees a count another is about to raise.
CREATE OR REPLACE FUNCTION vorenn_begin_attempt(p_key TEXT, p_max BIGINT, p_since BIGINT, p_now BIGINT)
RETURNS BOOLEAN LANGUAGE plpgsql AS $fn$
BEGIN
  PERFORM pg_advisory_xact_lock(857301, hashtext(p_key));
  DELETE FROM password_attempts WHERE attempt_key = p_key AND at <= p_since;
  IF (SELECT count(*) FROM password_attempts WHERE attempt_key = p_key) >= p_max THEN RETURN false; END IF;
  INSERT INTO password_attempts (attempt_key, at) VALUES (p_key, p_now);
  RETURN true;
END
$fn$;
)sql";

// Throttle records no longer limiting anyone are swept once in this many uses.
constexpr uint64_t kThrottleSweepEvery = 1000;

constexpr int64_t kSessionTouchSeconds = 60;

void PrepareStatements(pqxx::connection& c) {
  c.prepare("create_account",
            "INSERT INTO accounts (username, password_hash, email, created_at, name_key) "
            "VALUES ($1, $2, $3, $4, $5)");
  c.prepare("find_account", "SELECT id, username, password_hash FROM accounts WHERE username = $1");
  c.prepare("upgrade_password",
            "UPDATE accounts SET password_hash = $1 WHERE id = $2 AND password_hash = $3");
  // One statement each: the new hash and the end of the sessions, the sweep and the new session.
  c.prepare("replace_password",
            "WITH changed AS (UPDATE accounts SET password_hash = $1 WHERE id = $2) "
            "DELETE FROM sessions WHERE account_id = $2");
  c.prepare("add_session",
            "WITH swept AS (DELETE FROM sessions WHERE last_used <= $4) "
            "INSERT INTO sessions (token_digest, account_id, last_used) VALUES ($1, $2, $3)");
  c.prepare("use_session", "SELECT vorenn_use_session($1, $2, $3, $4)");
  c.prepare("create_character", "SELECT vorenn_create_character($1, $2, $3, $4::numeric, $5)");
  c.prepare("session_create_character",
            "SELECT vorenn_session_create_character($1, $2, $3, $4, $5, $6::numeric, $7)");
  c.prepare("lock_character",
            "SELECT name, created_at, total::text, rate::text, settled_at FROM characters "
            "WHERE account_id = $1 FOR UPDATE");
  c.prepare("character_skills", "SELECT skill_id, level FROM skills WHERE account_id = $1");
  c.prepare("store_character",
            "UPDATE characters SET total = $1::numeric, rate = $2::numeric, settled_at = $3 "
            "WHERE account_id = $4");
  c.prepare("store_skill",
            "INSERT INTO skills (account_id, skill_id, level) VALUES ($1, $2, $3) "
            "ON CONFLICT (account_id, skill_id) DO UPDATE SET level = excluded.level");
  c.prepare("enter", "SELECT * FROM vorenn_enter($1, $2, $3, $4)");
  c.prepare("level_up", "SELECT * FROM vorenn_level_up($1, $2, $3, $4::numeric, $5::numeric)");
  c.prepare("session_level_up",
            "SELECT * FROM vorenn_session_level_up($1, $2, $3, $4, $5, $6::numeric, $7::numeric)");
  // Refilled by the time since it was last used, capped at the burst; a token is taken only when
  // one is there (else no row comes back). One statement, so servers racing on one address queue
  // on its row.
  c.prepare("take_token",
            "INSERT INTO address_buckets AS b (kind, address, tokens, at) VALUES ($1, $2, $3 - 1, $5) "
            "ON CONFLICT (kind, address) DO UPDATE SET "
            "tokens = LEAST($3, b.tokens + GREATEST($5 - b.at, 0) * $4 / 60.0) - 1, at = GREATEST(b.at, $5) "
            "WHERE LEAST($3, b.tokens + GREATEST($5 - b.at, 0) * $4 / 60.0) >= 1 "
            "RETURNING tokens");
  c.prepare("sweep_tokens",
            "DELETE FROM address_buckets WHERE kind = $1 AND tokens + GREATEST($4 - at, 0) * $3 / 60.0 >= $2");
  c.prepare("begin_attempt", "SELECT vorenn_begin_attempt($1, $2, $3, $4)");
  c.prepare("clear_attempts", "DELETE FROM password_attempts WHERE attempt_key = $1");
  c.prepare("sweep_attempts", "DELETE FROM password_attempts WHERE at <= $1");
  c.prepare("get_setting", "SELECT value FROM server_settings WHERE name = $1");
  c.prepare("put_setting",
            "INSERT INTO server_settings (name, value) VALUES ($1, $2) "
            "ON CONFLICT (name) DO UPDATE SET value = excluded.value");
  c.prepare("top_by_rate",
            "SELECT name, rate::text AS rate_text FROM characters c ORDER BY c.rate DESC, c.name LIMIT $1");
  c.prepare("session_top_by_rate", "SELECT * FROM vorenn_session_ranking($1, $2, $3, $4, $5)");
}

// "id:level,id:level..." as vorenn_level_up lists a character's skills.
void ParseLevels(std::string_view text, SkillLevels& levels) {
  while (!text.empty()) {
    size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    size_t colon = item.find(':');
    if (colon == std::string_view::npos) throw StorageError("corrupt skill list from the database");
    int id = std::stoi(std::string(item.substr(0, colon)));
    int64_t level = std::stoll(std::string(item.substr(colon + 1)));
    if (id >= 1 && id <= kSkillCount) levels[id - 1] = level;
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
}

Amount ToAmount(const pqxx::field& field) {
  auto amount = ParseAmount(field.c_str());
  if (!amount) throw StorageError("corrupt amount in the database");
  return *amount;
}

// A character as the functions return it: name, created_at, total, rate, settled_at and the skill
// list, from column `at` on.
Character CharacterFromRow(const pqxx::row& row, pqxx::row::size_type at, int64_t accountId) {
  Character character;
  character.accountId = accountId;
  character.name = row[at].c_str();
  character.createdAt = row[at + 1].as<int64_t>();
  character.total = ToAmount(row[at + 2]);
  character.rate = ToAmount(row[at + 3]);
  character.settledAt = row[at + 4].as<int64_t>();
  ParseLevels(row[at + 5].is_null() ? "" : row[at + 5].c_str(), character.levels);
  return character;
}

// One statement, a transaction of its own: no BEGIN and COMMIT round trips. For statements that
// change nothing when sent again, as Run does after finding the connection dropped.
template <typename... Args>
pqxx::result ExecSafeToRepeat(pqxx::connection& c, const std::string& statement, Args&&... args) {
  pqxx::nontransaction w(c);
  return w.exec_prepared(statement, std::forward<Args>(args)...);
}

// The same for a statement that must not run twice. A connection the database has already dropped
// mostly shows before anything is sent, so Run may still try again on a new one; lost once sent,
// the statement may have been committed, so it is reported as in doubt and never sent again.
template <typename... Args>
pqxx::result ExecAtMostOnce(pqxx::connection& c, const std::string& statement, Args&&... args) {
  c.get_notifs();
  pqxx::nontransaction w(c);
  try {
    return w.exec_prepared(statement, std::forward<Args>(args)...);
  } catch (const pqxx::broken_connection& e) {
    throw pqxx::in_doubt_error(statement + " sent, connection lost: " + e.what());
  }
}

CreateOutcome ToCreateOutcome(const pqxx::field& code) {
  switch (code.as<int>()) {
    case 0: return CreateOutcome::Created;
    case 1: return CreateOutcome::NameTaken;
    default: return CreateOutcome::AlreadyExists;
  }
}

class PostgresStorage final : public Storage {
 public:
  PostgresStorage(std::string url, int connections) : url_(std::move(url)) {
    auto first = Connect(false);
    pqxx::work schema(*first);
    schema.exec(kSchema);
    AddNameKeys(schema, "accounts", "id", "username");
    AddNameKeys(schema, "characters", "account_id", "name");
    schema.commit();
    // Statements are prepared once the schema (and the function they call) exists.
    PrepareStatements(*first);
    pool_.Add(std::move(first));
    for (int i = 1; i < connections; ++i) pool_.Add(Connect());
  }

  CreateOutcome CreateAccount(std::string_view username, std::string_view passwordHash,
                              std::string_view email, int64_t now) override {
    return Run([&](pqxx::connection& c) {
      try {
        ExecAtMostOnce(c, "create_account", std::string(username), std::string(passwordHash), std::string(email),
                       now, NameKey(username));
      } catch (const pqxx::unique_violation&) {
        return CreateOutcome::NameTaken;
      }
      return CreateOutcome::Created;
    });
  }

  std::optional<Account> FindAccount(std::string_view username) override {
    return Run([&](pqxx::connection& c) -> std::optional<Account> {
      pqxx::result r = ExecSafeToRepeat(c, "find_account", std::string(username));
      if (r.empty()) return std::nullopt;
      return Account{r[0][0].as<int64_t>(), r[0][1].c_str(), r[0][2].c_str()};
    });
  }

  void ReplacePassword(int64_t accountId, std::string_view passwordHash) override {
    Run([&](pqxx::connection& c) {
      ExecSafeToRepeat(c, "replace_password", std::string(passwordHash), accountId);
      return 0;
    });
  }

  void UpgradePasswordHash(int64_t accountId, std::string_view oldHash, std::string_view newHash) override {
    Run([&](pqxx::connection& c) {
      ExecSafeToRepeat(c, "upgrade_password", std::string(newHash), accountId, std::string(oldHash));
      return 0;
    });
  }

  void AddSession(std::string_view tokenDigest, int64_t accountId, int64_t now,
                  int64_t maxIdleSeconds) override {
    Run([&](pqxx::connection& c) {
      ExecAtMostOnce(c, "add_session", std::string(tokenDigest), accountId, now, now - maxIdleSeconds);
      return 0;
    });
  }

  // Sent again after a lost connection, it deletes or touches again at the same `now`, which
  // changes nothing.
  std::optional<int64_t> UseSession(std::string_view tokenDigest, int64_t now,
                                    int64_t maxIdleSeconds) override {
    return Run([&](pqxx::connection& c) -> std::optional<int64_t> {
      pqxx::result r = ExecSafeToRepeat(c, "use_session", std::string(tokenDigest), now, maxIdleSeconds,
                                        kSessionTouchSeconds);
      if (r[0][0].is_null()) return std::nullopt;
      return r[0][0].as<int64_t>();
    });
  }

  // One statement: repeating it after a lost connection only settles and touches again at the
  // same `now`, which changes nothing, so Run may retry it.
  Entry EnterCharacter(std::string_view tokenDigest, int64_t now, int64_t maxIdleSeconds) override {
    return Run([&](pqxx::connection& c) {
      pqxx::result r =
          ExecSafeToRepeat(c, "enter", std::string(tokenDigest), now, maxIdleSeconds, kSessionTouchSeconds);
      Entry entry;
      if (r.empty()) return entry;
      entry.signedIn = true;
      if (r[0][1].is_null()) return entry;
      entry.character = CharacterFromRow(r[0], 1, r[0][0].as<int64_t>());
      return entry;
    });
  }

  CreateOutcome CreateCharacter(int64_t accountId, std::string_view name, int64_t now) override {
    return Run([&](pqxx::connection& c) {
      return ToCreateOutcome(ExecAtMostOnce(c, "create_character", accountId, std::string(name), now,
                                            FormatAmount(RateFor(SkillLevels{})), NameKey(name))[0][0]);
    });
  }

  std::optional<CreateOutcome> CreateCharacterInSession(std::string_view tokenDigest, std::string_view name,
                                                        int64_t now, int64_t maxIdleSeconds) override {
    return Run([&](pqxx::connection& c) -> std::optional<CreateOutcome> {
      pqxx::result r = ExecAtMostOnce(c, "session_create_character", std::string(tokenDigest), now, maxIdleSeconds,
                                      kSessionTouchSeconds, std::string(name),
                                      FormatAmount(RateFor(SkillLevels{})), NameKey(name));
      if (r[0][0].is_null()) return std::nullopt;
      return ToCreateOutcome(r[0][0]);
    });
  }

  std::optional<Character> UpdateCharacter(int64_t accountId, const CharacterChange& change) override {
    return Run([&](pqxx::connection& c) -> std::optional<Character> {
      pqxx::work w(c);
      pqxx::result r = w.exec_prepared("lock_character", accountId);
      if (r.empty()) return std::nullopt;
      Character character;
      character.accountId = accountId;
      character.name = r[0][0].c_str();
      character.createdAt = r[0][1].as<int64_t>();
      character.total = ToAmount(r[0][2]);
      character.rate = ToAmount(r[0][3]);
      character.settledAt = r[0][4].as<int64_t>();
      for (const auto& row : w.exec_prepared("character_skills", accountId)) {
        int id = row[0].as<int>();
        if (id >= 1 && id <= kSkillCount) character.levels[id - 1] = row[1].as<int64_t>();
      }
      SkillLevels before = character.levels;
      if (!change(character)) return character;
      w.exec_prepared("store_character", FormatAmount(character.total), FormatAmount(character.rate),
                      character.settledAt, accountId);
      for (int id = 1; id <= kSkillCount; ++id) {
        if (character.levels[id - 1] != before[id - 1]) {
          w.exec_prepared("store_skill", accountId, id, character.levels[id - 1]);
        }
      }
      w.commit();
      return character;
    });
  }

  LevelUpResult LevelUpCharacter(int64_t accountId, int skillId, int64_t now) override {
    const Skill* skill = FindSkill(skillId);
    if (skill == nullptr) return Storage::LevelUpCharacter(accountId, skillId, now);
    return Run([&](pqxx::connection& c) {
      pqxx::result r = ExecAtMostOnce(c, "level_up", accountId, skillId, now, std::string(skill->basePrice),
                                      std::string(skill->outputPerLevel));
      LevelUpResult result;
      if (r.empty()) return result;
      result.outcome = r[0][0].as<int>() == 1 ? LevelUpOutcome::Done : LevelUpOutcome::NotEnough;
      result.character = CharacterFromRow(r[0], 1, accountId);
      return result;
    });
  }

  // The session check and the level-up in one statement, one round trip.
  SessionLevelUp LevelUpInSession(std::string_view tokenDigest, int skillId, int64_t now,
                                  int64_t maxIdleSeconds) override {
    const Skill* skill = FindSkill(skillId);
    if (skill == nullptr) return Storage::LevelUpInSession(tokenDigest, skillId, now, maxIdleSeconds);
    return Run([&](pqxx::connection& c) {
      pqxx::result r =
          ExecAtMostOnce(c, "session_level_up", std::string(tokenDigest), now, maxIdleSeconds, kSessionTouchSeconds,
                         skillId, std::string(skill->basePrice), std::string(skill->outputPerLevel));
      SessionLevelUp levelUp;
      if (r.empty()) return levelUp;
      levelUp.signedIn = true;
      if (r[0][1].is_null()) return levelUp;
      int64_t accountId = r[0][0].as<int64_t>();
      levelUp.result.outcome = r[0][1].as<int>() == 1 ? LevelUpOutcome::Done : LevelUpOutcome::NotEnough;
      levelUp.result.character = CharacterFromRow(r[0], 2, accountId);
      return levelUp;
    });
  }

  std::vector<RankEntry> TopByRate(int limit) override {
    return Run([&](pqxx::connection& c) {
      std::vector<RankEntry> ranking;
      for (const auto& row : ExecSafeToRepeat(c, "top_by_rate", limit)) {
        ranking.push_back({row[0].c_str(), ToAmount(row[1])});
      }
      return ranking;
    });
  }

  std::optional<std::vector<RankEntry>> TopByRateInSession(std::string_view tokenDigest, int limit, int64_t now,
                                                           int64_t maxIdleSeconds) override {
    return Run([&](pqxx::connection& c) -> std::optional<std::vector<RankEntry>> {
      pqxx::result r = ExecSafeToRepeat(c, "session_top_by_rate", std::string(tokenDigest), now, maxIdleSeconds,
                                        kSessionTouchSeconds, limit);
      if (r.empty()) return std::nullopt;
      std::vector<RankEntry> ranking;
      // The first row only says the session was good.
      for (auto row = r.begin() + 1; row != r.end(); ++row) {
        ranking.push_back({(*row)[0].c_str(), ToAmount((*row)[1])});
      }
      return ranking;
    });
  }

  bool SharesServerState() const override { return true; }

  bool TakeAddressToken(std::string_view kind, std::string_view address, double burst, double perMinute,
                        int64_t now) override {
    bool sweep = ++throttleUses_ % kThrottleSweepEvery == 0;
    return Run([&](pqxx::connection& c) {
      if (sweep) ExecSafeToRepeat(c, "sweep_tokens", std::string(kind), burst, perMinute, now);
      return !ExecAtMostOnce(c, "take_token", std::string(kind), std::string(address), burst, perMinute, now).empty();
    });
  }

  bool BeginPasswordAttempt(std::string_view key, int maxAttempts, int64_t windowSeconds, int64_t now) override {
    bool sweep = ++throttleUses_ % kThrottleSweepEvery == 0;
    return Run([&](pqxx::connection& c) {
      if (sweep) ExecSafeToRepeat(c, "sweep_attempts", now - windowSeconds);
      return ExecAtMostOnce(c, "begin_attempt", std::string(key), static_cast<int64_t>(maxAttempts),
                            now - windowSeconds, now)[0][0].as<bool>();
    });
  }

  void ClearPasswordAttempts(std::string_view key) override {
    Run([&](pqxx::connection& c) { ExecSafeToRepeat(c, "clear_attempts", std::string(key)); });
  }

  std::optional<std::string> Announcement() override {
    return Run([&](pqxx::connection& c) -> std::optional<std::string> {
      pqxx::result r = ExecSafeToRepeat(c, "get_setting", "announcement");
      if (r.empty()) return std::nullopt;
      return std::string(r[0][0].c_str());
    });
  }

  void PublishAnnouncement(std::string_view text) override {
    Run([&](pqxx::connection& c) { ExecSafeToRepeat(c, "put_setting", "announcement", std::string(text)); });
  }

 private:
  using ConnectionPool = internal::Pool<pqxx::connection>;

  // Rows made before names had keys get theirs; of two old rows that share a key, the first keeps
  // it and the other stays without one (both still sign in by their exact names).
  static void AddNameKeys(pqxx::work& w, const std::string& table, const std::string& id,
                          const std::string& name) {
    pqxx::result rows = w.exec("SELECT " + id + ", " + name + " FROM " + table +
                               " WHERE name_key IS NULL ORDER BY " + id);
    // A key already taken is left alone instead of failing the transaction (a failed statement
    // would end it); other servers starting up wait on the schema lock meanwhile.
    for (const auto& row : rows) {
      w.exec_params("UPDATE " + table + " SET name_key = $1 WHERE " + id + " = $2 AND NOT EXISTS "
                    "(SELECT 1 FROM " + table + " WHERE name_key = $1)",
                    NameKey(row[1].c_str()), row[0].as<int64_t>());
    }
  }

  std::unique_ptr<pqxx::connection> Connect(bool prepare = true) {
    try {
      auto c = std::make_unique<pqxx::connection>(url_);
      if (prepare) PrepareStatements(*c);
      return c;
    } catch (const std::exception& e) {
      throw StorageError(std::string("cannot connect to PostgreSQL: ") + e.what());
    }
  }

  // Runs one unit of work on a pooled connection; database errors surface as StorageError.
  // Exceptions from callers' code pass through unchanged.
  //
  // A connection lost before the commit was sent (a restarted database server drops every pooled
  // connection at once) means nothing was written, so the work runs once more on a new connection
  // rather than failing the request. A commit whose outcome is unknown (in_doubt_error) is never
  // run again: it may have been written.
  template <typename Work>
  auto Run(Work work) -> decltype(work(std::declval<pqxx::connection&>())) {
    auto lease = pool_.Take([this] { return Connect(); });
    try {
      try {
        return work(*lease);
      } catch (const pqxx::broken_connection&) {
        lease.Renew([this] { return Connect(); });
      }
      return work(*lease);
    } catch (const pqxx::broken_connection& e) {
      lease.Discard();
      throw StorageError(std::string("PostgreSQL connection lost: ") + e.what());
    } catch (const pqxx::in_doubt_error& e) {
      lease.Discard();
      throw StorageError(std::string("PostgreSQL commit in doubt: ") + e.what());
    } catch (const pqxx::sql_error& e) {
      throw StorageError(std::string("PostgreSQL: ") + e.what());
    }
  }

  const std::string url_;
  ConnectionPool pool_;
  std::atomic<uint64_t> throttleUses_{0};
};

}  // namespace

std::unique_ptr<Storage> OpenPostgresStorage(const std::string& url, int connections) {
  return std::make_unique<PostgresStorage>(url, connections < 1 ? 1 : connections);
}

}  // namespace vorenn::server
