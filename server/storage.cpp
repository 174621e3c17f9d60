#include "server/storage.h"

#include "server/pg_storage.h"
#include "server/sqlite_storage.h"

namespace vorenn::server {

Storage::CharacterChange Storage::LevelUpChange(LevelUpResult& result, int skillId, int64_t now) {
  return [&result, skillId, now](Character& c) {
    int64_t settledBefore = c.settledAt;
    Settle(c, now);
    result.outcome = LevelUp(c, skillId);
    return c.settledAt != settledBefore || result.outcome == LevelUpOutcome::Done;
  };
}

Storage::LevelUpResult Storage::LevelUpCharacter(int64_t accountId, int skillId, int64_t now) {
  LevelUpResult result;
  result.character = UpdateCharacter(accountId, LevelUpChange(result, skillId, now));
  return result;
}

Storage::Entry Storage::EnterCharacter(std::string_view tokenDigest, int64_t now, int64_t maxIdleSeconds) {
  Entry entry;
  auto accountId = UseSession(tokenDigest, now, maxIdleSeconds);
  if (!accountId) return entry;
  entry.signedIn = true;
  // Written only when a second has passed since the last settlement.
  entry.character = UpdateCharacter(*accountId, [now](Character& c) {
    int64_t before = c.settledAt;
    Settle(c, now);
    return c.settledAt != before;
  });
  return entry;
}

Storage::SessionLevelUp Storage::LevelUpInSession(std::string_view tokenDigest, int skillId, int64_t now,
                                                  int64_t maxIdleSeconds) {
  SessionLevelUp levelUp;
  auto accountId = UseSession(tokenDigest, now, maxIdleSeconds);
  if (!accountId) return levelUp;
  levelUp.signedIn = true;
  levelUp.result = LevelUpCharacter(*accountId, skillId, now);
  return levelUp;
}

std::optional<CreateOutcome> Storage::CreateCharacterInSession(std::string_view tokenDigest, std::string_view name,
                                                               int64_t now, int64_t maxIdleSeconds) {
  auto accountId = UseSession(tokenDigest, now, maxIdleSeconds);
  if (!accountId) return std::nullopt;
  return CreateCharacter(*accountId, name, now);
}

std::optional<std::vector<RankEntry>> Storage::TopByRateInSession(std::string_view tokenDigest, int limit,
                                                                  int64_t now, int64_t maxIdleSeconds) {
  if (!UseSession(tokenDigest, now, maxIdleSeconds)) return std::nullopt;
  return TopByRate(limit);
}

void Storage::LevelUpInSessionLater(std::string_view tokenDigest, int skillId, int64_t now, int64_t maxIdleSeconds,
                                    SessionLevelUpDone done) {
  SessionLevelUp levelUp;
  try {
    levelUp = LevelUpInSession(tokenDigest, skillId, now, maxIdleSeconds);
  } catch (...) {
    done(SessionLevelUp{}, std::current_exception());
    return;
  }
  done(std::move(levelUp), nullptr);
}

// Only storages that share server state are asked for it.
bool Storage::TakeAddressToken(std::string_view, std::string_view, double, double, int64_t) {
  throw StorageError("this storage keeps no shared throttles");
}
bool Storage::BeginPasswordAttempt(std::string_view, int, int64_t, int64_t) {
  throw StorageError("this storage keeps no shared throttles");
}
void Storage::ClearPasswordAttempts(std::string_view) {}
std::optional<std::string> Storage::Announcement() { return std::nullopt; }
void Storage::PublishAnnouncement(std::string_view) {}

std::unique_ptr<Storage> OpenStorage(const std::string& url, int connections) {
  if (url.rfind("sqlite:", 0) == 0) return OpenSqliteStorage(url.substr(7), connections);
  if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) {
    return OpenPostgresStorage(url, connections);
  }
  throw std::invalid_argument("unknown database URL (use sqlite:PATH or postgresql://...): " + url);
}

}  // namespace vorenn::server
