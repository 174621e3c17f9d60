// The client plays against a server that answers every request at random: good user information,
// failures, "-1" and "-2", cut or random bytes, giant leaderboards and amounts, nesting past the
// parser's limit, closed connections, slow answers and (on demand) real time-outs. After every step
// the boxes shown must be those the answers call for, the window must be in one consistent state,
// the skill rows and the leaderboard must hold what the last applied answers gave, and the heap must
// not grow.
//
//   VORENN_HOSTILE_SEED=N         replays a run (printed at the start; "random" draws a fresh one)
//   VORENN_HOSTILE_SECONDS=N      virtual seconds to play (default: the full hour, 3600; 900 under
//                                 the address sanitizer)
//   VORENN_HOSTILE_TIMEOUTS=1     adds answers that never come: each costs the client's real 90 s
//   VORENN_HOSTILE_SLOW_MS=N      the longest real delay of a slow answer (default 600)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>

#include "game/globals.h"
#include "game/window_units.h"
#include "tests/game/game_driver.h"
#include "tests/reliability/hostile_answers.h"
#include "tests/reliability/hostile_server.h"
#include "tests/reliability/process_memory.h"
#include "tests/reliability/window_model.h"

namespace vorenn::testing {
namespace {

namespace units = game::units;

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

uint64_t ChosenSeed() {
  const char* value = std::getenv("VORENN_HOSTILE_SEED");
  if (value != nullptr && std::string(value) == "random") return std::random_device{}() * 65537ull + std::random_device{}();
  return EnvNumber("VORENN_HOSTILE_SEED", 20261207);
}

class HostilePlay {
 public:
  HostilePlay(uint64_t seed, PlannerOptions options)
      : planner_(seed, options), player_(seed ^ 0x9E3779B97F4A7C15ull),
        server_([this](const std::string& body) { return Answer(body); }) {}

  void Run(uint64_t virtualSeconds);
  // Signs in with well-formed answers, passes half a minute and signs out, `times` times over.
  MemorySample SignInAndOut(int times);
  void Start() { game_.Start(server_.Url()); }
  void Stop() { game_.Stop(); }

 private:
  WireReply Answer(const std::string& body) {
    std::lock_guard lock(logLock_);
    PlannedAnswer answer = forced_.empty() ? planner_.Plan(body) : planner_.Plan(body, forced_.front());
    if (!forced_.empty()) forced_.erase(forced_.begin());
    WireReply wire = answer.wire;
    log_.push_back(std::move(answer));
    return wire;
  }
  // Answers of these kinds go first, in order, whatever the request.
  void Force(std::vector<AnswerKind> kinds) {
    std::lock_guard lock(logLock_);
    forced_ = std::move(kinds);
  }
  std::vector<PlannedAnswer> TakeLog() {
    std::lock_guard lock(logLock_);
    return std::exchange(log_, {});
  }

  bool Chance(int percent) { return int(player_() % 100) < percent; }
  // One player's move and the checks after it.
  void Move();
  void PassTime(int seconds);
  void SignIn();
  void SignOut();
  void Check(const char* what, std::vector<std::string> ownBoxes = {});
  // Every kind of answer once (the large ones a few times), so that whatever the client keeps at
  // the size of the largest answer seen has reached that size.
  void Showcase();
  // Signed out with a short leaderboard: the state in which memory is compared.
  MemorySample Settle();

  AnswerPlanner planner_;
  std::mt19937_64 player_;
  std::mutex logLock_;
  std::vector<PlannedAnswer> log_;
  std::vector<AnswerKind> forced_;
  HostileServer server_;
  GameDriver game_;
  WindowModel model_;
  uint64_t elapsed_ = 0;
  int steps_ = 0;
  std::map<std::string, int> requests_;
  std::map<std::string, int> boxes_;
};

void HostilePlay::PassTime(int seconds) {
  for (int i = 0; i < seconds; ++i) {
    game_.Advance(1000);
    ++elapsed_;
    Check("a second passes");
  }
}

void HostilePlay::SignIn() {
  game_.Type(units::kAccountBox, "alice");
  game_.Type(units::kPassword1Box, "secret1");
  game_.Click(units::kLoginButton);
  Check("login");
}

void HostilePlay::SignOut() {
  game_.AnswerNextBox(platform::kAnswerYes);
  game_.Click(units::kSignOutButton);
  model_.SignedOut();
  Check("sign-out", {"确认要退出登录？"});
}

void HostilePlay::Move() {
  WindowModel::State state = model_.Expected();
  if (state == WindowModel::State::SignIn) {
    PassTime(1 + int(player_() % 5));
    SignIn();
    return;
  }
  if (state == WindowModel::State::Creation) {
    PassTime(1 + int(player_() % 10));
    if (model_.Expected() != WindowModel::State::Creation) return;
    if (Chance(15)) return SignOut();
    game_.Type(units::kCharacterNameBox, "小明");
    game_.Click(units::kCreateButton);
    Check("character creation");
    return;
  }
  int roll = int(player_() % 100);
  auto& rows = game::Globals().skillRows;
  if (roll < 45) {
    PassTime(1 + int(player_() % 20));
  } else if (roll < 70 && !rows.empty()) {
    // Mostly a row the window marks affordable: only those send a request.
    std::vector<size_t> affordable;
    for (size_t i = 0; i < rows.size(); ++i)
      if (game_.Text(rows[i]->Button(), game::prop::kButtonCaption).ends_with("√")) affordable.push_back(i);
    size_t row = !affordable.empty() && Chance(80) ? affordable[player_() % affordable.size()] : player_() % rows.size();
    game_.Click(rows[row]->Button());
    Check("level-up click");
  } else if (roll < 88) {
    game_.Click(units::kRankingButton);
    Check("leaderboard");
    if (Chance(70) && game_.Visible(units::kGameGroup)) game_.Click(units::kCharacterButton);
  } else if (roll < 95) {
    game_.Minimise();
    game_.UseTrayIcon(0);
    EXPECT_TRUE(game_.Visible(units::kWindow)) << "the tray icon brings the window back";
    Check("minimise and restore");
  } else {
    SignOut();
  }
}

void HostilePlay::Check(const char* what, std::vector<std::string> ownBoxes) {
  ++steps_;
  std::vector<PlannedAnswer> served = TakeLog();
  std::vector<ExpectedBox> expected;
  for (std::string& text : ownBoxes) expected.push_back({std::move(text), false, false, "sign-out question"});
  for (const PlannedAnswer& answer : served) {
    ++requests_[std::string(ActionName(answer.action)) + " / " + KindName(answer.kind)];
    model_.Apply(answer, &expected);
  }
  std::vector<std::string> shown = game_.BoxTexts();
  game_.ClearBoxes();
  for (const ExpectedBox& box : expected) ++boxes_[box.kind];
  std::string context = std::string(what) + " at step " + std::to_string(steps_) + ", second " +
                        std::to_string(elapsed_) + "; answers:" + Summary(served);
  CheckBoxes(expected, shown, context);
  model_.CheckWindow(game_, context);
}

void HostilePlay::Showcase() {
  if (model_.Expected() == WindowModel::State::SignIn) {
    Force({AnswerKind::UserInfo, AnswerKind::UserInfo});
    SignIn();
  }
  std::vector<AnswerKind> kinds;
  for (int k = 0; k < int(AnswerKind::Count); ++k)
    if (AnswerKind(k) != AnswerKind::Silence && AnswerKind(k) != AnswerKind::NoCharacter &&
        AnswerKind(k) != AnswerKind::SignedOut)
      kinds.push_back(AnswerKind(k));
  for (int repeat = 0; repeat < 6; ++repeat) {
    kinds.push_back(AnswerKind::DeepNesting);
    kinds.push_back(AnswerKind::HugeAmounts);
  }
  for (AnswerKind kind : kinds) {
    if (model_.Expected() != WindowModel::State::Game) break;
    Force({kind});
    game_.Click(units::kRankingButton);
    Check("leaderboard showcase");
  }
}

MemorySample HostilePlay::Settle() {
  if (model_.Expected() == WindowModel::State::SignIn) {
    Force({AnswerKind::UserInfo, AnswerKind::UserInfo});
    SignIn();
  }
  if (model_.Expected() == WindowModel::State::Game) {
    Force({AnswerKind::UserInfo});
    game_.Click(units::kRankingButton);
    Check("leaderboard before measuring");
  }
  if (model_.Expected() != WindowModel::State::SignIn) SignOut();
  return SampleMemory();
}

MemorySample HostilePlay::SignInAndOut(int times) {
  for (int i = 0; i < times && !::testing::Test::HasFailure(); ++i) {
    Force({AnswerKind::UserInfo, AnswerKind::UserInfo, AnswerKind::UserInfo});
    SignIn();
    game_.Advance(30000);  // one refresh
    elapsed_ += 30;
    Check("half a minute passes");
    SignOut();
  }
  return SampleMemory();
}

void HostilePlay::Run(uint64_t virtualSeconds) {
  double started = RealSeconds();
  game_.Start(server_.Url());
  MemorySample atStart = SampleMemory();
  // Warm-up: every kind of answer has usually come by then, so the heap has its working size.
  while (elapsed_ < virtualSeconds / 4 && !::testing::Test::HasFailure()) Move();
  Showcase();
  MemorySample warm = Settle();
  while (elapsed_ < virtualSeconds * 3 / 5 && !::testing::Test::HasFailure()) Move();
  MemorySample middle = Settle();
  while (elapsed_ < virtualSeconds && !::testing::Test::HasFailure()) Move();
  MemorySample end = Settle();
  game_.Stop();
  double seconds = RealSeconds() - started;

  std::printf("hostile: %llu virtual s in %.1f real s, %d steps\n", (unsigned long long)elapsed_, seconds, steps_);
  std::printf("memory at start:  %s\nafter warm-up:    %s\nmiddle:           %s\nend:              %s\n",
              Describe(atStart).c_str(), Describe(warm).c_str(), Describe(middle).c_str(), Describe(end).c_str());
  int total = 0;
  for (const auto& [name, count] : requests_) total += count;
  std::printf("requests: %d\n", total);
  for (const auto& [name, count] : requests_) std::printf("  %-36s %d\n", name.c_str(), count);
  for (const auto& [name, count] : boxes_) std::printf("boxes, %-32s %d\n", name.c_str(), count);
  EXPECT_EQ(end.engineBlocks, warm.engineBlocks) << "engine blocks left behind";
  if (warm.heapInUseBytes >= 0) {
    // A leak of even a few hundred bytes a request would pass this over a run of hundreds.
    EXPECT_LE(end.heapInUseBytes - warm.heapInUseBytes, 512 * 1024)
        << "the heap grew from " << warm.heapInUseBytes << " to " << end.heapInUseBytes << " bytes";
  }
}

TEST(HostileServer, TheClientShowsWhatEachAnswerCallsForAndStaysConsistent) {
  PrepareProgram();
  uint64_t seed = ChosenSeed();
  PlannerOptions options;
  options.timeouts = EnvNumber("VORENN_HOSTILE_TIMEOUTS", 0) != 0;
  options.slowestMs = int(std::max<uint64_t>(1, EnvNumber("VORENN_HOSTILE_SLOW_MS", 600)));
  // The sanitizer build is five times slower: a quarter of the hour keeps it within the CI budget.
  uint64_t seconds = EnvNumber("VORENN_HOSTILE_SECONDS", HeapCountIsReliable() ? 3600 : 900);
  std::printf("hostile: seed %llu (VORENN_HOSTILE_SEED=%llu replays), %llu virtual s, time-outs %s\n",
              (unsigned long long)seed, (unsigned long long)seed, (unsigned long long)seconds,
              options.timeouts ? "on" : "off");
  std::fflush(stdout);  // the long form runs for many minutes: the seed shows at once
  HostilePlay play(seed, options);
  play.Run(seconds);
}

}  // namespace
}  // namespace vorenn::testing

namespace vorenn::testing {
namespace {

TEST(HostileServer, SigningInAndOutAgainAndAgainLeavesNothingBehind) {
  // Each cycle makes and destroys up to ten skill rows of four units. The heap settles over a few
  // hundred cycles (thread arenas, caches: +38 KiB over cycles 20-70, +23 KiB over 420-2020),
  // where a cycle's lost rows would cost kilobytes each time.
  PrepareProgram();
  bool heapCounted = HeapCountIsReliable();
  HostilePlay play(EnvNumber("VORENN_HOSTILE_SEED", 20261207), PlannerOptions{});
  play.Start();
  MemorySample warm = play.SignInAndOut(heapCounted ? 100 : 5);
  int cycles = heapCounted ? 150 : 20;
  MemorySample end = play.SignInAndOut(cycles);
  play.Stop();
  std::printf("sign-in cycles, warm: %s\nafter %d more:      %s\n", Describe(warm).c_str(), cycles,
              Describe(end).c_str());
  EXPECT_EQ(end.engineBlocks, warm.engineBlocks) << "engine blocks left behind by sign-in and sign-out";
  if (heapCounted) {
    EXPECT_LE(end.heapInUseBytes - warm.heapInUseBytes, 128 * 1024) << "the heap grew with every sign-in";
  }
}

}  // namespace
}  // namespace vorenn::testing
namespace vorenn::testing {
namespace {

TEST(HostileServer, SkillIdsPastAThousandAreIgnoredInsteadOfFreezingTheClient) {
  // Rows are built up to the highest id; before the bound an id of ten thousand took minutes and a
  // huge one never finished.
  PrepareProgram();
  struct Case {
    std::string id;
    size_t rows;  // with the row of id 2 that every answer also carries
  } cases[] = {{"1000", 1001}, {"1001", 3}, {"1000000000", 3}, {"1e400", 3}, {std::string(5000, '9'), 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id.substr(0, 20));
    std::string skills = "[{\"id\":\"" + c.id + "\",\"name\":\"x\",\"money\":\"1\",\"lvl\":\"1\",\"buy\":\"3\"}," +
                         "{\"id\":\"2\",\"name\":\"y\",\"money\":\"1\",\"lvl\":\"4\",\"buy\":\"9\"}]";
    HostileServer server([&](const std::string& body) {
      WireReply reply;
      reply.body = ActionOf(body) == Action::Login ? R"({"b":"1","md5":"abc"})"
                                                   : R"({"b":"1","allmoney":"5","money":"1","skills":)" + skills + "}";
      return reply;
    });
    GameDriver game;
    game.Start(server.Url());
    game.Click(units::kLoginButton);
    EXPECT_TRUE(game.BoxTexts().empty());
    ASSERT_EQ(game::Globals().skillRows.size(), c.rows);
    EXPECT_EQ(game.Text(game::Globals().skillRows[1]->Button(), game::prop::kButtonCaption), "y(4)×");
    game.Stop();
  }
}

}  // namespace
}  // namespace vorenn::testing
