#include "tests/reliability/hostile_answers.h"

#include <algorithm>

namespace vorenn::testing {
namespace {

using Kind = AnswerKind;

constexpr char kToken[] = "0123456789abcdef0123456789abcdef";
constexpr int kHugeDigits = 5000;
constexpr size_t kHugeRanking = 10000;
// The parser refuses documents nested deeper than this.
constexpr int kNestingLimit = 512;

// A text as the server writes it ("\u" escapes) and as the client shows it (GBK).
struct Text {
  const char* json;
  const char* shown;
};
constexpr Text kNames[] = {{"\\u5410\\u7eb3\\u672f", "吐纳术"},
                           {"\\u5c0f\\u660e", "小明"},
                           {"\\u91d1\\u521a\\u8bc0", "金刚诀"},
                           {"Qi \\u0041", "Qi A"},
                           {"plain", "plain"}};
constexpr Text kFailures[] = {{"\\u7ecf\\u9a8c\\u4e0d\\u8db3", "经验不足"}, {"busy", "busy"}, {"", ""}};
constexpr Text kSignedOut{"\\u8bf7\\u91cd\\u65b0\\u767b\\u5f55", "请重新登录"};
constexpr Text kCreated{"\\u89d2\\u8272\\u521b\\u5efa\\u6210\\u529f", "角色创建成功"};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Parseable(Kind kind) {
  return kind != Kind::TruncatedJson && kind != Kind::RandomBytes && kind != Kind::DeepNesting &&
         kind != Kind::Closed && kind != Kind::CutHttp && kind != Kind::Silence;
}

}  // namespace

Action ActionOf(const std::string& body) {
  struct Prefix {
    const char* text;
    Action action;
  } prefixes[] = {{"m=login&a=login&", Action::Login}, {"m=user&a=login&", Action::Enter},
                  {"m=user&a=reg&", Action::Create},   {"m=user&a=xin&", Action::Info},
                  {"m=user&a=phb&", Action::Ranking},  {"m=user&a=lvup&", Action::LevelUp}};
  for (const Prefix& p : prefixes)
    if (body.rfind(p.text, 0) == 0) return p.action;
  return Action::Other;
}

const char* ActionName(Action action) {
  static const char* const kNamesOf[] = {"login", "enter", "create", "info", "ranking", "level-up", "other"};
  return kNamesOf[int(action)];
}

const char* KindName(AnswerKind kind) {
  static const char* const kNamesOf[] = {
      "user-info", "partial-info", "huge-amounts", "huge-leaderboard", "deep-valid", "failure-t", "failure-with-data",
      "no-result", "no-character(-1)", "signed-out(-2)", "truncated-json", "random-bytes", "deep-nesting",
      "closed", "cut-http", "slow", "time-out"};
  return kNamesOf[int(kind)];
}

AnswerPlanner::AnswerPlanner(uint64_t seed, PlannerOptions options) : random_(seed), options_(options) {}

AnswerKind AnswerPlanner::DrawKind(Action action) {
  // Weights in the order of AnswerKind; well-formed success dominates so the player keeps playing.
  std::vector<double> weights = {34, 5, 5, 3, 2, 6, 3, 3, 2, 3, 5, 5, 4, 4, 3, 6, options_.timeouts ? 1.0 : 0.0};
  if (action == Action::Ranking) weights[int(Kind::HugeLeaderboard)] = 8;
  std::discrete_distribution<int> pick(weights.begin(), weights.end());
  return AnswerKind(pick(random_));
}

std::string AnswerPlanner::Amount(bool huge) {
  if (!huge) return std::to_string(std::uniform_int_distribution<int>(0, 20000)(random_));
  std::string digits(kHugeDigits, '0');
  digits[0] = char('1' + random_() % 9);
  for (size_t i = 1; i < digits.size(); ++i) digits[i] = char('0' + random_() % 10);
  return digits;
}

std::string AnswerPlanner::Field(const std::string& text) {
  bool digits = !text.empty() && text.size() < 16 && std::all_of(text.begin(), text.end(), ::isdigit);
  return digits && random_() % 3 == 0 ? text : Quoted(text);
}

std::string AnswerPlanner::UserInfoMembers(UserInfo& info, bool huge, bool partial) {
  std::string json;
  auto member = [&](const char* key, const std::string& value) { json += std::string(",\"") + key + "\":" + value; };
  auto wanted = [&] { return !partial || random_() % 2 == 0; };
  member("id", Field("7"));
  if (wanted()) {
    const Text& name = kNames[random_() % std::size(kNames)];
    member("name", Quoted(name.json));
    info.name = name.shown;
  }
  if (wanted()) member("gg", Quoted("\\u516c\\u544a"));
  if (wanted()) {
    info.rate = Amount(huge);
    member("money", Field(*info.rate));
  }
  if (wanted()) member("now", Quoted("2024-01-01 08:00:00"));
  if (wanted()) member("regdate", Quoted("2023-12-31 06:58:55"));
  // Rows are refreshed with the total, so skills never come without "allmoney".
  bool withSkills = wanted();
  if (withSkills) {
    std::vector<SkillItem> items;
    std::string array;
    int count = int(random_() % 10);
    for (int id = 1; id <= count; ++id) {
      if (random_() % 8 == 0) continue;  // a gap: the row between stays hidden
      SkillItem item;
      item.id = id;
      const Text& name = kNames[random_() % std::size(kNames)];
      item.name = name.shown;
      item.money = Amount(huge && random_() % 2 == 0);
      item.level = std::to_string(random_() % 300);
      item.price = Amount(huge && random_() % 2 == 0);
      array += std::string(array.empty() ? "" : ",") + "{\"id\":" + Field(std::to_string(id)) + ",\"name\":" +
               Quoted(name.json) + ",\"money\":" + Field(item.money) + ",\"lvl\":" + Field(item.level) +
               ",\"buy\":" + Field(item.price) + "}";
      items.push_back(item);
    }
    if (random_() % 6 == 0) array += std::string(array.empty() ? "" : ",") + "{\"id\":\"0\",\"name\":\"x\"}";
    // An id far past any row the client builds: ignored like one below 1.
    if (huge) array += std::string(array.empty() ? "" : ",") + "{\"id\":" + Field(Amount(true)) + ",\"name\":\"x\"}";
    member("skills", "[" + array + "]");
    info.skills = std::move(items);
  }
  if (withSkills || wanted()) {
    info.total = Amount(huge);
    member("allmoney", Field(*info.total));
  }
  return json;
}

void AnswerPlanner::SuccessBody(PlannedAnswer& answer, bool huge, size_t rankingSize) {
  std::string code = random_() % 5 == 0 ? "1" : "\"1\"";  // a number reads as the same text
  std::string json = "{\"b\":" + code;
  answer.code = "1";
  switch (answer.action) {
    case Action::Login:
      json += ",\"t\":\"\\u767b\\u5f55\\u6210\\u529f\",\"md5\":\"" + std::string(kToken) + "\"";
      answer.message = "登录成功";
      break;
    case Action::Create:
      json += std::string(",\"t\":\"") + kCreated.json + "\"";
      answer.message = kCreated.shown;
      break;
    case Action::Ranking: {
      std::string array;
      for (size_t rank = 1; rank <= rankingSize; ++rank) {
        const Text& name = kNames[random_() % std::size(kNames)];
        std::string money = Amount(huge && rank == 1);
        array += std::string(rank == 1 ? "" : ",") + "{\"name\":" + Quoted(name.json) + ",\"money\":" + Field(money) +
                 "}";
        answer.ranking.push_back({std::to_string(rank), name.shown, money});
      }
      json += ",\"t\":\"\",\"phb\":[" + array + "]";
      break;
    }
    default: {
      UserInfo info;
      json += ",\"t\":\"\"" + UserInfoMembers(info, huge, answer.kind == Kind::PartialInfo);
      answer.info = std::move(info);
    }
  }
  if (answer.kind == Kind::DeepValid) {
    int depth = kNestingLimit - 2;
    json += ",\"deep\":" + std::string(size_t(depth), '[') + std::string(size_t(depth), ']');
  }
  answer.wire.body = json + "}";
}

PlannedAnswer AnswerPlanner::Plan(const std::string& requestBody) {
  Action action = ActionOf(requestBody);
  return Plan(requestBody, DrawKind(action));
}

PlannedAnswer AnswerPlanner::Plan(const std::string& requestBody, AnswerKind kind) {
  PlannedAnswer answer;
  answer.action = ActionOf(requestBody);
  answer.kind = kind;
  answer.parses = Parseable(kind);
  std::string& body = answer.wire.body;
  switch (kind) {
    case Kind::UserInfo:
    case Kind::PartialInfo:
    case Kind::DeepValid:
    case Kind::Slow:
      SuccessBody(answer, false, random_() % 21);
      if (kind == Kind::Slow)
        answer.wire.delayMs = 50 + int(random_() % uint64_t(options_.slowestMs));
      break;
    case Kind::HugeAmounts:
      SuccessBody(answer, true, random_() % 21);
      break;
    case Kind::HugeLeaderboard:
      SuccessBody(answer, false, kHugeRanking);
      break;
    case Kind::FailureText:
    case Kind::FailureWithData: {
      static const char* const kCodes[] = {"0", "-3", "7", ""};
      const Text& text = kFailures[random_() % std::size(kFailures)];
      answer.code = kCodes[random_() % std::size(kCodes)];
      body = "{\"b\":\"" + *answer.code + "\",\"t\":\"" + text.json + "\"";
      answer.message = text.shown;
      if (kind == Kind::FailureWithData) {
        UserInfo info;
        body += UserInfoMembers(info, false, false);
        answer.info = std::move(info);
      }
      body += "}";
      break;
    }
    case Kind::NoResult:
      body = "{\"t\":\"x\",\"allmoney\":\"5\"}";
      break;
    case Kind::NoCharacter:
      answer.code = "-1";
      body = "{\"b\":\"-1\",\"t\":\"\"}";
      break;
    case Kind::SignedOut:
      answer.code = "-2";
      answer.message = kSignedOut.shown;
      body = std::string("{\"b\":\"-2\",\"t\":\"") + kSignedOut.json + "\"}";
      break;
    case Kind::TruncatedJson: {
      SuccessBody(answer, false, random_() % 21);
      body = body.substr(0, 1 + random_() % (body.size() - 1));
      answer.shown = body;
      break;
    }
    case Kind::RandomBytes: {
      // Never a byte that could begin a JSON document, so no prefix of it parses.
      body.assign(1 + random_() % 2000, '\0');
      body[0] = random_() % 2 ? '<' : char(0x80 + random_() % 0x7F);
      for (size_t i = 1; i < body.size(); ++i) body[i] = char(random_() % 256);
      answer.shown = body.substr(0, body.find('\0'));
      break;
    }
    case Kind::DeepNesting: {
      static const int kDepths[] = {kNestingLimit + 1, 600, 5000, 100000};
      int depth = kDepths[random_() % std::size(kDepths)];
      body = "{\"b\":" + std::string(size_t(depth), '[') + std::string(size_t(depth), ']') + "}";
      answer.shown = body;
      break;
    }
    case Kind::Closed:
      answer.wire.kind = WireReply::Kind::Close;
      break;
    case Kind::CutHttp:
      SuccessBody(answer, false, 20);
      answer.wire.kind = WireReply::Kind::CutAnswer;
      answer.shown = body.substr(0, body.size() / 2);
      answer.shownIsPrefix = true;
      break;
    case Kind::Silence:
      answer.wire.kind = WireReply::Kind::Silence;
      answer.wire.delayMs = 95 * 1000;
      break;
    case Kind::Count:
      break;
  }
  if (!answer.parses) {
    answer.code.reset();
    answer.message.clear();
    answer.info.reset();
    answer.ranking.clear();
  }
  return answer;
}

}  // namespace vorenn::testing
