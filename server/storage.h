// Where accounts, sessions and characters are kept. Two implementations: SQLite (one file, the
// default) and PostgreSQL (for several server processes on several machines). Each operation is
// one transaction; none leaves a partial change behind. Failures of the database itself (cannot
// open, disk full, connection lost) are thrown as StorageError.
//
// Tables, the same in both (amounts are decimal TEXT in SQLite, NUMERIC in PostgreSQL; times are
// whole seconds since 1970 UTC):
//   accounts   id, username (UTF-8, unique), password_hash (argon2id string), email, created_at
//   sessions   token_digest (SHA-256 hex, key), account_id, last_used
//   characters account_id (key), name (UTF-8, unique), created_at, total, rate, settled_at
//   skills     account_id, skill_id (key together), level; a missing row is level 0
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "server/game_rules.h"

namespace vorenn::server {

class StorageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Account {
  int64_t id = 0;
  std::string username;
  std::string passwordHash;
};

struct RankEntry {
  std::string name;  // UTF-8
  Amount rate;
};

enum class CreateOutcome { Created, NameTaken, AlreadyExists };

class Storage {
 public:
  virtual ~Storage() = default;

  // NameTaken when the username is in use.
  virtual CreateOutcome CreateAccount(std::string_view username, std::string_view passwordHash,
                                      std::string_view email, int64_t now) = 0;
  virtual std::optional<Account> FindAccount(std::string_view username) = 0;
  // Replaces the hash and ends every session of the account, together.
  virtual void ReplacePassword(int64_t accountId, std::string_view passwordHash) = 0;
  // The same password hashed at another cost: replaces the hash only while it is still `oldHash`
  // (a password change in between wins) and leaves the sessions alone.
  virtual void UpgradePasswordHash(int64_t accountId, std::string_view oldHash, std::string_view newHash) = 0;

  // Also removes every session idle for maxIdleSeconds or more, so abandoned ones do not pile up.
  virtual void AddSession(std::string_view tokenDigest, int64_t accountId, int64_t now,
                          int64_t maxIdleSeconds) = 0;
  // The session's account when it was used after now - maxIdleSeconds; marks it used at `now`.
  // An expired session is deleted and gives nullopt.
  virtual std::optional<int64_t> UseSession(std::string_view tokenDigest, int64_t now,
                                            int64_t maxIdleSeconds) = 0;

  // Entering the game: the session of `tokenDigest` used as UseSession uses it, and then its
  // account's character settled at `now` as UpdateCharacter with Settle would. A store may do both
  // in one round trip.
  struct Entry {
    bool signedIn = false;               // false: unknown or expired session
    std::optional<Character> character;  // nullopt: signed in, but no character yet
  };
  virtual Entry EnterCharacter(std::string_view tokenDigest, int64_t now, int64_t maxIdleSeconds);

  // Created; NameTaken when another character has the name; AlreadyExists when the account has one.
  virtual CreateOutcome CreateCharacter(int64_t accountId, std::string_view name, int64_t now) = 0;
  // CreateCharacter for the account of the session of `tokenDigest`, used as UseSession uses it;
  // nullopt (nothing created) for an unknown or expired session. A store may do both in one round
  // trip.
  virtual std::optional<CreateOutcome> CreateCharacterInSession(std::string_view tokenDigest, std::string_view name,
                                                                int64_t now, int64_t maxIdleSeconds);

  // Reads the account's character with a write lock held, hands it to `change`, and writes it back
  // when `change` returns true, all in one transaction, so concurrent changes of one character
  // happen one after another. Returns the character as it stands afterwards; nullopt when the
  // account has no character (then `change` is not called). If `change` throws, nothing is written.
  // `change` may run more than once, each time on a fresh copy (an implementation may first try it
  // on an unlocked snapshot to learn whether anything needs writing); what it reports to its caller
  // must therefore be overwritten, not accumulated, by each run. The last run is the one written.
  using CharacterChange = std::function<bool(Character&)>;
  virtual std::optional<Character> UpdateCharacter(int64_t accountId, const CharacterChange& change) = 0;

  // A level-up: settles the character's total at `now` and buys one level of `skillId` from it, in
  // one transaction (as UpdateCharacter with Settle and LevelUp). `outcome` is meaningful only when
  // there is a character. A store may do this in fewer round trips than UpdateCharacter needs.
  struct LevelUpResult {
    LevelUpOutcome outcome = LevelUpOutcome::UnknownSkill;
    std::optional<Character> character;
  };
  virtual LevelUpResult LevelUpCharacter(int64_t accountId, int skillId, int64_t now);

  // LevelUpCharacter for the account of the session of `tokenDigest`, used as UseSession uses it.
  // A store may do both in one round trip.
  struct SessionLevelUp {
    bool signedIn = false;  // false: unknown or expired session, nothing changed
    LevelUpResult result;
  };
  virtual SessionLevelUp LevelUpInSession(std::string_view tokenDigest, int skillId, int64_t now,
                                          int64_t maxIdleSeconds);

  // The same without waiting for it: `done` is called exactly once, with the result or with the
  // exception the level-up failed with, once the change is on disk. A store that commits on a
  // thread of its own checks the session there too, in the level-up's transaction, and calls
  // `done` from there (FinishesLater); `done` must then be quick and must not throw. Otherwise it
  // is called before this returns.
  using SessionLevelUpDone = std::function<void(SessionLevelUp, std::exception_ptr)>;
  virtual void LevelUpInSessionLater(std::string_view tokenDigest, int skillId, int64_t now, int64_t maxIdleSeconds,
                                     SessionLevelUpDone done);
  // Whether LevelUpInSessionLater returns before the change is written, so that the caller's thread
  // can serve others meanwhile.
  virtual bool FinishesLater() const { return false; }

  // The characters with the highest output per second, highest first; ties by name.
  virtual std::vector<RankEntry> TopByRate(int limit) = 0;
  // TopByRate for the session of `tokenDigest`, used as UseSession uses it; nullopt for an unknown
  // or expired session. A store may do both in one round trip.
  virtual std::optional<std::vector<RankEntry>> TopByRateInSession(std::string_view tokenDigest, int limit,
                                                                   int64_t now, int64_t maxIdleSeconds);

  // Throws StorageError when the database cannot be read now.
  virtual void Check() { TopByRate(1); }

  // State that several server processes on one database must share so they behave as one: the
  // sign-in throttles and the announcement. A storage that only one process uses (SQLite) keeps
  // none and answers false here; the server then keeps that state in its own memory.
  virtual bool SharesServerState() const { return false; }
  // A token bucket of `burst` tokens refilled at `perMinute`, per kind and address: takes a token,
  // or false when the bucket is empty.
  virtual bool TakeAddressToken(std::string_view kind, std::string_view address, double burst, double perMinute,
                                int64_t now);
  // Counts a password attempt for `key` unless `maxAttempts` were counted in the last
  // `windowSeconds`; false (nothing counted) then. Counting when attempts start keeps parallel
  // guesses, on one server or several, under the limit.
  virtual bool BeginPasswordAttempt(std::string_view key, int maxAttempts, int64_t windowSeconds, int64_t now);
  virtual void ClearPasswordAttempts(std::string_view key);
  // The announcement every server shows; nullopt when none was published.
  virtual std::optional<std::string> Announcement();
  virtual void PublishAnnouncement(std::string_view text);

 protected:
  // The change a level-up makes, reporting into `result.outcome`.
  static CharacterChange LevelUpChange(LevelUpResult& result, int skillId, int64_t now);
};

// "sqlite:PATH" (the folder is created when missing) or "postgresql://..." / "postgres://...".
// `connections` bounds how many requests use the database at once. Throws StorageError when the
// database cannot be opened or prepared, and std::invalid_argument for an unknown URL form.
std::unique_ptr<Storage> OpenStorage(const std::string& url, int connections);

}  // namespace vorenn::server
