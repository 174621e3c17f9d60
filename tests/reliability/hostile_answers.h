// What the hostile server answers: for each request, a kind of answer drawn from a seeded generator,
// the bytes that go on the wire, and what the client can read from them, so the test can tell what
// the window must show afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/reliability/hostile_server.h"

namespace vorenn::testing {

enum class Action { Login, Enter, Create, Info, Ranking, LevelUp, Other };
Action ActionOf(const std::string& requestBody);
const char* ActionName(Action action);

enum class AnswerKind {
  UserInfo,         // the answer the action expects, well formed ("b" now and then a JSON number)
  PartialInfo,      // success with only some members
  HugeAmounts,      // success with 5,000-digit amounts
  HugeLeaderboard,  // success; a leaderboard answer carries 10,000 entries
  DeepValid,        // success with one member nested just inside the parser's limit
  FailureText,      // a failure code with a "t" message
  FailureWithData,  // a failure code that also carries user information
  NoResult,         // an object without "b"
  NoCharacter,      // "-1"
  SignedOut,        // "-2"
  TruncatedJson,    // a well-formed answer cut short
  RandomBytes,      // bytes that are not JSON, zero bytes included
  DeepNesting,      // arrays nested beyond the parser's limit
  Closed,           // the connection closed without an answer
  CutHttp,          // the HTTP body cut off half-way
  Slow,             // a well-formed answer after a real delay
  Silence,          // no answer before the client's time-out
  Count
};
const char* KindName(AnswerKind kind);

struct SkillItem {
  int id = 0;
  std::string name;  // decoded, GBK
  std::string money, level, price;
};

// The members ApplyUserInfo would use; absent ones are nullopt.
struct UserInfo {
  std::optional<std::string> name;  // decoded, GBK
  std::optional<std::string> rate, total;
  std::optional<std::vector<SkillItem>> skills;
};

using RankingRow = std::array<std::string, 3>;

struct PlannedAnswer {
  Action action = Action::Other;
  AnswerKind kind = AnswerKind::UserInfo;
  WireReply wire;
  // The client parses the text it receives; otherwise it shows the parse-error box.
  bool parses = true;
  std::optional<std::string> code;  // "b" as text; nullopt when absent
  std::string message;              // "t", decoded
  std::optional<UserInfo> info;
  // The rows a leaderboard fill makes from this answer (empty when "phb" is not an array).
  std::vector<RankingRow> ranking;
  // Parse errors: what follows "错误内容：\r\n" in the box; when `shownIsPrefix`, any prefix of it.
  std::string shown;
  bool shownIsPrefix = false;
};

struct PlannerOptions {
  bool timeouts = false;  // Silence answers, each costing the client's full real time-out
  int slowestMs = 600;
};

class AnswerPlanner {
 public:
  AnswerPlanner(uint64_t seed, PlannerOptions options);
  PlannedAnswer Plan(const std::string& requestBody);
  // The same, for a kind chosen by the caller.
  PlannedAnswer Plan(const std::string& requestBody, AnswerKind kind);

 private:
  AnswerKind DrawKind(Action action);
  std::string Amount(bool huge);
  std::string Field(const std::string& text);  // as a JSON string or, for digits, now and then a number
  void SuccessBody(PlannedAnswer& answer, bool huge, size_t rankingSize);
  std::string UserInfoMembers(UserInfo& info, bool huge, bool partial);

  std::mt19937_64 random_;
  PlannerOptions options_;
};

}  // namespace vorenn::testing
