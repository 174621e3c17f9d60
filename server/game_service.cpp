#include "server/game_service.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "server/json_writer.h"
#include "server/skill_rows.h"
#include "server/text_rules.h"

namespace vorenn::server {

namespace {

const char* const kWrongCredentials = "账号或密码错误";
const char* const kTooManyAttempts = "密码错误次数过多，请一分钟后再试";
const char* const kSignInAgain = "登录已失效，请重新登录";
const char* const kBusy = "服务器繁忙，请稍后再试";
const char* const kSlowDown = "操作过于频繁，请稍后再试";

// The throttle's key for an account signed in from an address: an attacker's failures from one
// address do not count against the owner signing in from another.
std::string AttemptKey(const std::string& account, const std::string& client) {
  return account + '\n' + client;
}

const std::string* Field(const FormFields& fields, std::string_view key) {
  auto it = fields.find(key);
  return it == fields.end() ? nullptr : &it->second;
}

std::string Missing(std::string_view key) {
  return Failure("0", "缺少参数：" + std::string(key));
}

bool IsToken(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// A skill id as the client writes it: plain digits, 1..kSkillCount.
int ParseSkillId(const std::string& text) {
  if (text.empty() || text.size() > 3) return 0;
  int id = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    id = id * 10 + (c - '0');
  }
  return FindSkill(id) ? id : 0;
}

// The token of a level-up whose token and skill are both well formed, with the skill in `skillId`;
// null when the request is to be refused.
const std::string* LevelUpToken(const FormFields& fields, int& skillId) {
  const std::string* token = Field(fields, "md5");
  const std::string* id = Field(fields, "id");
  skillId = id ? ParseSkillId(*id) : 0;
  return token && IsToken(*token) && skillId != 0 ? token : nullptr;
}

std::string UserInfo(const Character& character, const std::string& announcement, int64_t now,
                     const char* message) {
  std::string skills;
  AppendSkillRows(skills, character.levels);
  return JsonObject()
      .Text("b", "1")
      .Text("t", message)
      .Text("id", std::to_string(character.accountId))
      .Text("name", character.name)
      .Text("gg", announcement)
      .Text("money", FormatAmount(character.rate))
      .Text("now", FormatTimestamp(now))
      .Text("regdate", FormatTimestamp(character.createdAt))
      .Text("allmoney", FormatAmount(character.total))
      .Raw("skills", skills)
      .Finish();
}

}  // namespace

std::string Failure(const char* code, const std::string& message) {
  return JsonObject().Text("b", code).Text("t", message).Finish();
}

GameService::GameService(Storage& storage, const Clock& clock, GameSettings settings)
    : storage_(storage),
      clock_(clock),
      settings_(std::move(settings)),
      shared_(storage.SharesServerState() ? &storage : nullptr),
      throttle_(clock, 5, 60, shared_),
      signIns_(clock, settings_.signInLimit, settings_.unthrottled, shared_, "sign-in"),
      registrations_(clock, settings_.registerLimit, settings_.unthrottled, shared_, "register"),
      hashing_(settings_.hashThreads, settings_.hashQueue),
      levelUpSlots_(settings_.levelUpsWaitingPerAddress, settings_.unthrottled),
      decoyHash_(HashPassword("no such account", settings_.hashCost)) {
  if (shared_ && settings_.publishAnnouncement) shared_->PublishAnnouncement(settings_.announcement);
}

std::string GameService::CurrentAnnouncement() {
  if (!shared_) return settings_.announcement;
  int64_t now = clock_.NowSeconds();
  {
    std::lock_guard lock(announcementMutex_);
    if (announcementRead_ && now >= announcementAt_ && now - announcementAt_ < kAnnouncementSeconds) {
      return announcement_;
    }
  }
  // Read outside the lock; a failed read keeps showing the last one known.
  std::optional<std::string> stored;
  try {
    stored = shared_->Announcement();
  } catch (const StorageError&) {
    std::lock_guard lock(announcementMutex_);
    return announcementRead_ ? announcement_ : settings_.announcement;
  }
  std::lock_guard lock(announcementMutex_);
  announcement_ = stored ? *stored : settings_.announcement;
  announcementAt_ = now;
  announcementRead_ = true;
  return announcement_;
}

bool GameService::DatabaseReachable() {
  try {
    storage_.Check();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string GameService::ResultCode(const std::string& answer) {
  static const std::string prefix = "{\"b\":\"";
  if (answer.compare(0, prefix.size(), prefix) != 0) return "?";
  size_t end = answer.find('"', prefix.size());
  return end == std::string::npos ? "?" : answer.substr(prefix.size(), end - prefix.size());
}

std::string GameService::Handle(const FormFields& fields, const std::string& client) {
  try {
    return Dispatch(fields, client);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "request failed: %s\n", e.what());
    return Failure("-3", "服务器繁忙，请稍后再试");
  }
}

std::string GameService::Dispatch(const FormFields& fields, const std::string& client) {
  const std::string* m = Field(fields, "m");
  const std::string* a = Field(fields, "a");
  if (m && a && *m == "login") {
    if (*a == "register") return Register(fields, client);
    if (*a == "xiugai") return ChangePassword(fields, client);
    if (*a == "login") return Login(fields, client);
  } else if (m && a && *m == "user") {
    if (*a == "login" || *a == "xin") return EnterGame(fields);
    if (*a == "reg") return CreateCharacter(fields);
    if (*a == "lvup") return LevelUp(fields);
    if (*a == "phb") return Ranking(fields);
  }
  return Failure("0", "未知的请求");
}

std::string GameService::Register(const FormFields& fields, const std::string& client) {
  const std::string* username = Field(fields, "username");
  const std::string* password = Field(fields, "password");
  if (!username) return Missing("username");
  if (!password) return Missing("password");
  const std::string* email = Field(fields, "email");
  std::string noEmail;
  if (!email) email = &noEmail;
  if (auto why = CheckAccountName(*username)) return Failure("0", *why);
  if (auto why = CheckPassword(*password)) return Failure("0", *why);
  if (auto why = CheckEmail(*email)) return Failure("0", *why);
  std::string name = *GbkToUtf8(*username);
  // Checked first so that a taken name does not cost a password hash; the insert decides finally.
  if (storage_.FindAccount(name)) return Failure("0", "账号已存在");
  if (!registrations_.TryTake(client)) return Failure("0", kSlowDown);
  auto hash = hashing_.Hash(*password, settings_.hashCost);
  if (!hash) return Failure("0", kBusy);
  if (storage_.CreateAccount(name, *hash, *GbkToUtf8(*email), clock_.NowSeconds()) !=
      CreateOutcome::Created) {
    return Failure("0", "账号已存在");
  }
  return JsonObject().Text("b", "1").Text("t", "注册成功").Finish();
}

std::string GameService::ChangePassword(const FormFields& fields, const std::string& client) {
  const std::string* username = Field(fields, "username");
  const std::string* password = Field(fields, "password");
  const std::string* newPassword = Field(fields, "newpassword");
  if (!username) return Missing("username");
  if (!password) return Missing("password");
  if (!newPassword) return Missing("newpassword");
  if (auto why = CheckPassword(*newPassword)) return Failure("0", "新" + *why);
  if (CheckAccountName(*username) || CheckPassword(*password)) return Failure("0", kWrongCredentials);
  std::string refusal;
  auto account = CheckSignIn(*GbkToUtf8(*username), *password, client, refusal);
  if (!account) return refusal;
  auto hash = hashing_.Hash(*newPassword, settings_.hashCost);
  if (!hash) return Failure("0", kBusy);
  storage_.ReplacePassword(account->id, *hash);
  return JsonObject().Text("b", "1").Text("t", "密码修改成功，请重新登录").Finish();
}

std::optional<Account> GameService::CheckSignIn(const std::string& name, const std::string& password,
                                                const std::string& client, std::string& refusal) {
  std::string key = AttemptKey(name, client);
  if (!signIns_.TryTake(client)) {
    refusal = Failure("0", kSlowDown);
    return std::nullopt;
  }
  if (!throttle_.TryBegin(key)) {
    refusal = Failure("0", kTooManyAttempts);
    return std::nullopt;
  }
  auto account = storage_.FindAccount(name);
  auto matches = hashing_.Verify(account ? account->passwordHash : decoyHash_, password);
  if (!matches) {
    refusal = Failure("0", kBusy);
    return std::nullopt;
  }
  if (!account || !*matches) {
    refusal = Failure("0", kWrongCredentials);
    return std::nullopt;
  }
  throttle_.Succeeded(key);
  // A hash of an older, dearer cost is made again at the current one while the password is at
  // hand, so the memory verifying takes comes down to the current cost over time. It is only worth
  // doing when the hashing threads have room, and a failure here must not refuse the sign-in.
  if (DearerThan(account->passwordHash, settings_.hashCost)) {
    try {
      if (auto fresh = hashing_.Hash(password, settings_.hashCost)) {
        storage_.UpgradePasswordHash(account->id, account->passwordHash, *fresh);
      }
    } catch (const std::exception& e) {
      std::fprintf(stderr, "password hash upgrade failed: %s\n", e.what());
    }
  }
  return account;
}

std::string GameService::Login(const FormFields& fields, const std::string& client) {
  const std::string* username = Field(fields, "username");
  const std::string* password = Field(fields, "password");
  if (!username) return Missing("username");
  if (!password) return Missing("password");
  if (CheckAccountName(*username) || CheckPassword(*password)) return Failure("0", kWrongCredentials);
  std::string refusal;
  auto account = CheckSignIn(*GbkToUtf8(*username), *password, client, refusal);
  if (!account) return refusal;
  std::string token = NewToken();
  storage_.AddSession(TokenDigest(token), account->id, clock_.NowSeconds(), settings_.tokenIdleSeconds);
  return JsonObject().Text("b", "1").Text("t", "登录成功").Text("md5", token).Finish();
}

std::optional<int64_t> GameService::SignedIn(const FormFields& fields, std::string& refusal) {
  const std::string* token = Field(fields, "md5");
  if (!token || !IsToken(*token)) {
    refusal = Failure("-2", kSignInAgain);
    return std::nullopt;
  }
  auto account = storage_.UseSession(TokenDigest(*token), clock_.NowSeconds(),
                                     settings_.tokenIdleSeconds);
  if (!account) refusal = Failure("-2", kSignInAgain);
  return account;
}

std::string GameService::EnterGame(const FormFields& fields) {
  const std::string* token = Field(fields, "md5");
  if (!token || !IsToken(*token)) return Failure("-2", kSignInAgain);
  int64_t now = clock_.NowSeconds();
  Storage::Entry entry = storage_.EnterCharacter(TokenDigest(*token), now, settings_.tokenIdleSeconds);
  if (!entry.signedIn) return Failure("-2", kSignInAgain);
  if (!entry.character) return Failure("-1", "请先创建角色");
  return UserInfo(*entry.character, CurrentAnnouncement(), now, "");
}

std::string GameService::CreateCharacter(const FormFields& fields) {
  const std::string* token = Field(fields, "md5");
  const std::string* name = Field(fields, "name");
  std::optional<std::string> why;
  if (!token || !IsToken(*token) || !name || (why = CheckCharacterName(*name))) {
    // Refused; the session is checked first all the same, as it decides between "-2" and the rest.
    std::string refusal;
    if (!SignedIn(fields, refusal)) return refusal;
    return name ? Failure("0", *why) : Missing("name");
  }
  // The session checked and the character created together: one round trip where the store can.
  auto outcome = storage_.CreateCharacterInSession(TokenDigest(*token), *GbkToUtf8(*name), clock_.NowSeconds(),
                                                   settings_.tokenIdleSeconds);
  if (!outcome) return Failure("-2", kSignInAgain);
  switch (*outcome) {
    case CreateOutcome::Created:
      return JsonObject().Text("b", "1").Text("t", "角色创建成功").Finish();
    case CreateOutcome::NameTaken:
      return Failure("0", "角色名已被使用");
    case CreateOutcome::AlreadyExists:
      break;
  }
  return Failure("0", "已经创建过角色");
}

std::optional<std::pair<int64_t, int>> GameService::LevelUpTarget(const FormFields& fields,
                                                                   std::string& refusal) {
  auto accountId = SignedIn(fields, refusal);
  if (!accountId) return std::nullopt;
  const std::string* id = Field(fields, "id");
  if (!id) {
    refusal = Missing("id");
    return std::nullopt;
  }
  int skillId = ParseSkillId(*id);
  if (skillId == 0) {
    refusal = Failure("0", "技能不存在");
    return std::nullopt;
  }
  return std::make_pair(*accountId, skillId);
}

std::string GameService::LevelUpAnswer(const Storage::LevelUpResult& result, int64_t now) {
  if (!result.character) return Failure("-1", "请先创建角色");
  if (result.outcome == LevelUpOutcome::NotEnough) return Failure("0", "经验不足");
  return UserInfo(*result.character, CurrentAnnouncement(), now, "升级成功");
}

std::string GameService::LevelUp(const FormFields& fields) {
  int skillId = 0;
  const std::string* token = LevelUpToken(fields, skillId);
  if (!token) {
    // Refused; LevelUpTarget checks the session first, as it decides between "-2" and the rest.
    std::string refusal;
    LevelUpTarget(fields, refusal);
    return refusal;
  }
  // The session checked and the level bought together: one round trip where the store can.
  int64_t now = clock_.NowSeconds();
  Storage::SessionLevelUp levelUp =
      storage_.LevelUpInSession(TokenDigest(*token), skillId, now, settings_.tokenIdleSeconds);
  if (!levelUp.signedIn) return Failure("-2", kSignInAgain);
  return LevelUpAnswer(levelUp.result, now);
}

bool GameService::FinishesLater(const FormFields& fields) const {
  if (!storage_.FinishesLater()) return false;
  const std::string* m = Field(fields, "m");
  const std::string* a = Field(fields, "a");
  return m && a && *m == "user" && *a == "lvup";
}

void GameService::HandleLater(const FormFields& fields, const std::string& client, Finish finish) {
  if (!FinishesLater(fields)) {
    std::string answer = Handle(fields, client);
    finish([answer = std::move(answer)] { return answer; });
    return;
  }
  int skillId = 0;
  const std::string* token = LevelUpToken(fields, skillId);
  if (!token) {
    // Refused; LevelUpTarget checks the session first, as it decides between "-2" and the rest.
    std::string refusal;
    try {
      LevelUpTarget(fields, refusal);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "request failed: %s\n", e.what());
      refusal = Failure("-3", kBusy);
    }
    finish([refusal = std::move(refusal)] { return refusal; });
    return;
  }
  // The session is checked with the level-up, by the store's thread, so a flood of made-up tokens
  // would wait in the store's queue beside real level-ups: one address gets only a share of it.
  // Should handing it over fail before the store took it, the request is still answered once.
  auto handedOver = std::make_shared<std::atomic<bool>>(false);
  try {
    AddressSlots::Slot slot = levelUpSlots_.TryTake(client);
    if (!slot) {
      finish([] { return Failure("-3", kBusy); });
      return;
    }
    int64_t now = clock_.NowSeconds();
    storage_.LevelUpInSessionLater(
        TokenDigest(*token), skillId, now, settings_.tokenIdleSeconds,
        // The slot is given back once the store lets go of this callback, after calling it.
        [this, now, finish, handedOver, slot](Storage::SessionLevelUp levelUp, std::exception_ptr error) {
          handedOver->store(true);
          finish([this, now, levelUp = std::move(levelUp), error]() -> std::string {
            try {
              if (error) std::rethrow_exception(error);
              if (!levelUp.signedIn) return Failure("-2", kSignInAgain);
              return LevelUpAnswer(levelUp.result, now);
            } catch (const std::exception& e) {
              std::fprintf(stderr, "request failed: %s\n", e.what());
            } catch (...) {
              std::fprintf(stderr, "request failed\n");
            }
            return Failure("-3", kBusy);
          });
        });
  } catch (const std::exception& e) {
    if (handedOver->load()) return;
    std::fprintf(stderr, "request failed: %s\n", e.what());
    finish([] { return Failure("-3", kBusy); });
  }
}

std::string GameService::Ranking(const FormFields& fields) {
  const std::string* token = Field(fields, "md5");
  if (!token || !IsToken(*token)) return Failure("-2", kSignInAgain);
  auto ranking = storage_.TopByRateInSession(TokenDigest(*token), settings_.rankingSize, clock_.NowSeconds(),
                                             settings_.tokenIdleSeconds);
  if (!ranking) return Failure("-2", kSignInAgain);
  std::vector<std::string> rows;
  for (const RankEntry& entry : *ranking) {
    rows.push_back(JsonObject().Text("name", entry.name).Text("money", FormatAmount(entry.rate)).Finish());
  }
  return JsonObject().Text("b", "1").Text("t", "").Raw("phb", JsonArray(rows)).Finish();
}

}  // namespace vorenn::server
