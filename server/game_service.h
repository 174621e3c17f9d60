// The game's actions, independent of HTTP: form fields in, one JSON answer out. Every answer is an
// object with "b" (the result code) and "t" (a message for the player):
//   "1"  success
//   "0"  refused: the request cannot be done as asked; "t" says why
//   "-1" the account has no character yet
//   "-2" the token is unknown or expired: sign in again
//   "-3" the server could not finish the request (its database failed); nothing was changed
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "server/address_slots.h"
#include "server/address_throttle.h"
#include "server/clock.h"
#include "server/credentials.h"
#include "server/form.h"
#include "server/hash_workers.h"
#include "server/login_throttle.h"
#include "server/storage.h"

namespace vorenn::server {

struct GameSettings {
  std::string announcement = "欢迎来到Vorenn！";  // UTF-8, sent as "gg"
  // With a storage that shares server state: writes `announcement` there at start-up, for every
  // server on that database (the operator gave it). Otherwise the one stored is shown, or this one
  // while none is stored.
  bool publishAnnouncement = false;
  int64_t tokenIdleSeconds = 7 * 24 * 3600;
  HashCost hashCost = StandardHashCost();
  // Hashing threads and how many hash jobs may wait for them; see HashWorkers.
  int hashThreads = 2;
  size_t hashQueue = 16;
  int rankingSize = 100;
  // Per client address: sign-ins and password changes together, and registrations.
  AddressLimit signInLimit{30, 30};
  AddressLimit registerLimit{10, 1};
  // Level-ups one address may have waiting for a store that commits on a thread of its own (the
  // store checks their tokens there, so made-up ones wait too); beyond it, "-3" at once.
  size_t levelUpsWaitingPerAddress = 64;
  // Addresses the per-address limits do not apply to.
  std::set<std::string> unthrottled;
};

class GameService {
 public:
  GameService(Storage& storage, const Clock& clock, GameSettings settings);

  // Handles one request whose fields include "m" and "a", sent from `client` (an address, for the
  // per-address limits). Never throws; always one JSON object.
  std::string Handle(const FormFields& fields, const std::string& client = "");

  // Handles a request as Handle does, except that a level-up on a store that commits on a thread
  // of its own is answered from that thread once it is on disk, after this has returned. `finish`
  // is called exactly once (here or there) with a function that makes the answer, to be run on the
  // thread that sends it, so the store's thread only hands results over. Neither throws.
  using MakeAnswer = std::function<std::string()>;
  using Finish = std::function<void(MakeAnswer)>;
  void HandleLater(const FormFields& fields, const std::string& client, Finish finish);
  // Whether HandleLater may return before the answer exists, for this request.
  bool FinishesLater(const FormFields& fields) const;

  // Whether the database answers a short read now (for the health check). Never throws.
  bool DatabaseReachable();
  size_t HashQueue() const { return hashing_.Queued(); }

  // The result code of an answer made by Handle, for the request log.
  static std::string ResultCode(const std::string& answer);

 private:
  std::string Dispatch(const FormFields& fields, const std::string& client);
  std::string Register(const FormFields& fields, const std::string& client);
  std::string ChangePassword(const FormFields& fields, const std::string& client);
  std::string Login(const FormFields& fields, const std::string& client);
  // Checks the password of `name` as signed in from `client`: the account when it is right, else
  // fills `refusal`. Unknown accounts cost a hash check too, so they take as long as wrong passwords.
  std::optional<Account> CheckSignIn(const std::string& name, const std::string& password,
                                     const std::string& client, std::string& refusal);
  std::string EnterGame(const FormFields& fields);
  std::string CreateCharacter(const FormFields& fields);
  std::string LevelUp(const FormFields& fields);
  // The part of a level-up before its change: the session and the skill. Fills `refusal` when the
  // request goes no further.
  std::optional<std::pair<int64_t, int>> LevelUpTarget(const FormFields& fields, std::string& refusal);
  std::string LevelUpAnswer(const Storage::LevelUpResult& result, int64_t now);
  std::string Ranking(const FormFields& fields);
  // The signed-in account of the request's "md5" token; otherwise fills `refusal` with "-2".
  std::optional<int64_t> SignedIn(const FormFields& fields, std::string& refusal);

  // The announcement to show now: with shared server state, the stored one, read again every few
  // seconds so a newly published one reaches every server soon.
  std::string CurrentAnnouncement();

  static constexpr int64_t kAnnouncementSeconds = 5;

  Storage& storage_;
  const Clock& clock_;
  const GameSettings settings_;
  Storage* const shared_;  // the storage when it shares server state, else null
  LoginThrottle throttle_;
  AddressThrottle signIns_;
  AddressThrottle registrations_;
  HashWorkers hashing_;
  AddressSlots levelUpSlots_;
  const std::string decoyHash_;
  std::mutex announcementMutex_;
  std::string announcement_;
  int64_t announcementAt_ = 0;
  bool announcementRead_ = false;
};

// A refusal or other non-success answer: {"b": code, "t": message}.
std::string Failure(const char* code, const std::string& message);

}  // namespace vorenn::server
