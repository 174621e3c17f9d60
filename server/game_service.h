// The game's actions, independent of HTTP: form fields in, one JSON answer out. Every answer is an
// object with "b" (the result code) and "t" (a message for the player):
//   "1"  success
//   "0"  refused: the request cannot be done as asked; "t" says why
//   "-1" the account has no character yet
//   "-2" the token is unknown or expired: sign in again
//   "-3" the server could not finish the request (its database failed); nothing was changed
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "server/clock.h"
#include "server/credentials.h"
#include "server/form.h"
#include "server/login_throttle.h"
#include "server/storage.h"

namespace vorenn::server {

struct GameSettings {
  std::string announcement = "欢迎来到Vorenn！";  // UTF-8, sent as "gg"
  int64_t tokenIdleSeconds = 7 * 24 * 3600;
  HashCost hashCost = InteractiveHashCost();
  int rankingSize = 100;
};

class GameService {
 public:
  GameService(Storage& storage, const Clock& clock, GameSettings settings);

  // Handles one request whose fields include "m" and "a". Never throws; always one JSON object.
  std::string Handle(const FormFields& fields);

  // The result code of an answer made by Handle, for the request log.
  static std::string ResultCode(const std::string& answer);

 private:
  std::string Dispatch(const FormFields& fields);
  std::string Register(const FormFields& fields);
  std::string ChangePassword(const FormFields& fields);
  std::string Login(const FormFields& fields);
  std::string EnterGame(const FormFields& fields);
  std::string CreateCharacter(const FormFields& fields);
  std::string LevelUp(const FormFields& fields);
  std::string Ranking(const FormFields& fields);
  // The signed-in account of the request's "md5" token; otherwise fills `refusal` with "-2".
  std::optional<int64_t> SignedIn(const FormFields& fields, std::string& refusal);

  Storage& storage_;
  const Clock& clock_;
  const GameSettings settings_;
  LoginThrottle throttle_;
};

// A refusal or other non-success answer: {"b": code, "t": message}.
std::string Failure(const char* code, const std::string& message);

}  // namespace vorenn::server
