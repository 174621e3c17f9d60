// The leaderboard as the player gets it: the server's answer bytes handed to the game where the web
// exchange would hand them (HandleAnswer: the parse and the "b" handling, as CallServer does), then
// the list filled by the game's own loop (FillRanking: the list commands of the ListView unit),
// with the game's window loaded on the headless backend or on the Qt backend (offscreen where
// there is no display). nlohmann/json parsing and reading the same bytes runs beside it.
//
//   leaderboard_bench                  headless, then the same program again with --backend=qt
//   leaderboard_bench --backend=qt     Qt only
//   leaderboard_bench --once WHAT N [--backend=qt]   one run of WHAT (endtoend, parse, fill,
//                                      nlohmann) for N players, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='*Measured*' bin/leaderboard_bench --once endtoend 10000
//
// 1,000, 10,000 and 20,000 players show whether the cost per player stays flat.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "engine/runtime/exit_routine.h"
#include "engine/runtime/init_runtime.h"
#include "engine/templates/window_template.h"
#include "engine/templates/window_template_units.h"
#include "game/engine_calls.h"
#include "game/game_entry.h"
#include "game/program_image.h"
#include "game/ranking_panel.h"
#include "game/server_call.h"
#include "game/window_units.h"
#include "json/json_value.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/qt/qt_backend.h"

namespace {

using vorenn::bench::TableFigure;

using vorenn::JsonValue;
namespace game = vorenn::game;

const int kSizes[] = {1000, 10000, 20000};

// The server's answer: names as "\u" escapes, amounts as texts.
std::string RankingAnswer(int players) {
  std::string text = "{\"b\":\"1\",\"t\":\"\",\"phb\":[";
  for (int i = 0; i < players; ++i) {
    if (i > 0) text += ',';
    char entry[160];
    std::snprintf(entry, sizeof entry, "{\"name\":\"\\u73a9\\u5bb6%d\\u53f7\",\"money\":\"%d%023d.5\"}", i,
                  players - i, i);
    text += entry;
  }
  return text + "]}";
}

const std::string& Answer(int players) {
  static std::map<int, std::string> answers;
  auto [it, fresh] = answers.try_emplace(players);
  if (fresh) it->second = RankingAnswer(players);
  return it->second;
}

vorenn::UnitWindow* RankingList() {
  vorenn::UnitRef ref = game::RefOf(game::units::kRankingList);
  vorenn::WindowInstance* window = vorenn::FindLoadedWindow(ref.windowId);
  vorenn::UnitRecord* record = window != nullptr ? vorenn::FindRecord(*window, ref.unitId) : nullptr;
  return record != nullptr ? vorenn::LiveWindowOf(*record) : nullptr;
}

int ListRows() {
  vorenn::UnitWindow* live = RankingList();
  return live != nullptr ? vorenn::platform::Native().ListItemCount(live->Handle()) : -1;
}

// Rows left in the list after a benchmark would stay on the heap while the next one runs: on Qt,
// 10,000 rows of item objects made nlohmann's parse beside them 26% slower, with the same
// instruction count. Every benchmark starts with an empty list.
void EmptyList() {
  if (vorenn::UnitWindow* live = RankingList()) vorenn::platform::Native().DeleteListItems(live->Handle());
}

[[gnu::noinline]] bool MeasuredEndToEnd(const std::string& text, int players) {
  std::unique_ptr<JsonValue> answer = game::HandleAnswer(text);
  if (!game::HasResult(*answer)) return false;
  game::FillRanking(*answer);
  return ListRows() == players;
}

[[gnu::noinline]] bool MeasuredParse(const std::string& text) {
  return game::HasResult(*game::HandleAnswer(text));
}

[[gnu::noinline]] bool MeasuredFill(const JsonValue& answer, int players) {
  game::FillRanking(answer);
  return ListRows() == players;
}

[[gnu::noinline]] bool MeasuredNlohmann(const std::string& text, int players) {
  auto doc = nlohmann::json::parse(text);
  size_t bytes = 0;
  for (const auto& entry : doc["phb"]) {
    bytes += entry["name"].get<std::string>().size();
    bytes += entry["money"].get<std::string>().size();
  }
  benchmark::DoNotOptimize(bytes);
  return doc["phb"].size() == size_t(players);
}

void EndToEnd(benchmark::State& state, int players) {
  for (auto _ : state)
    if (!MeasuredEndToEnd(Answer(players), players)) state.SkipWithError("the list is not filled");
  EmptyList();
}

void Parse(benchmark::State& state, int players) {
  for (auto _ : state)
    if (!MeasuredParse(Answer(players))) state.SkipWithError("no answer");
}

void Fill(benchmark::State& state, int players) {
  std::unique_ptr<JsonValue> answer = game::HandleAnswer(Answer(players));
  for (auto _ : state)
    if (!MeasuredFill(*answer, players)) state.SkipWithError("the list is not filled");
  EmptyList();
}

void Nlohmann(benchmark::State& state, int players) {
  for (auto _ : state)
    if (!MeasuredNlohmann(Answer(players), players)) state.SkipWithError("parse failed");
}

// Keeps each run's CPU time in milliseconds (the machine is shared, so wall time says little).
class RowReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) ms_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  double Ms(const std::string& name) const {
    auto it = ms_.find(name);
    return it == ms_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> ms_;
};

void WriteRows(const RowReporter& r, const std::string& backend) {
  const std::string how = "bench/leaderboard_bench.cpp, Google Benchmark, CPU time per iteration";
  double ours = r.Ms(backend + "/EndToEnd/10000");
  double peer = r.Ms("Nlohmann/10000");
  std::printf("\n%s, per player (microseconds):\n%-10s %10s %10s %10s\n", backend.c_str(), "", "1000", "10000", "20000");
  for (const char* part : {"EndToEnd", "Parse", "Fill"}) {
    std::printf("%-10s", part);
    for (int players : kSizes)
      std::printf(" %10.3f", 1000 * r.Ms(backend + "/" + part + "/" + std::to_string(players)) / players);
    std::printf("\n");
  }
  if (ours > 0) {
    vorenn::bench::AddTableRow({"Leaderboard, 10,000 entries: answer parsed by the game and list filled (" + backend + ") [goal: <= 2.00]",
                                TableFigure(ours, 2, "ms"), peer > 0 ? "nlohmann/json parse and read" : "",
                                peer > 0 ? TableFigure(peer, 2, "ms") : "", peer > 0 ? ours / peer : 0, how});
  }
  double small = r.Ms(backend + "/EndToEnd/1000") / 1000;
  double large = r.Ms(backend + "/EndToEnd/20000") / 20000;
  if (small > 0 && large > 0) {
    vorenn::bench::AddTableRow({"Leaderboard per entry at 20,000 entries vs at 1,000 (" + backend + "; 1.00 = linear)",
                                TableFigure(1000 * large, 2, "us"), "same at 1,000 entries",
                                TableFigure(1000 * small, 2, "us"),
                                large / small, how});
  }
}

void Register(const std::string& backend) {
  for (int players : kSizes) {
    std::string n = std::to_string(players);
    benchmark::RegisterBenchmark((backend + "/EndToEnd/" + n).c_str(), EndToEnd, players)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((backend + "/Parse/" + n).c_str(), Parse, players)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((backend + "/Fill/" + n).c_str(), Fill, players)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Nlohmann/" + n).c_str(), Nlohmann, players)->Unit(benchmark::kMillisecond);
  }
}

// The program's tables, the engine and the game's window, as the program's start-up makes them.
bool StartGame(bool qt, int& argc, char** argv) {
  if (qt) {
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    vorenn::platform::InstallQtBackend(argc, argv);
  } else {
    vorenn::platform::InstallHeadlessBackend().EchoMessageBoxes(false);
  }
  game::InstallProgramImage();
  vorenn::InstallRuntimeErrorPorts();
  vorenn::InitRuntime();
  return game::StartGame();
}

int RunOnce(const std::string& what, int players) {
  const std::string& text = Answer(players);
  bool ok = false;
  if (what == "endtoend") ok = MeasuredEndToEnd(text, players);
  if (what == "parse") ok = MeasuredParse(text);
  if (what == "nlohmann") ok = MeasuredNlohmann(text, players);
  if (what == "fill") ok = MeasuredFill(*game::HandleAnswer(text), players);
  std::printf("%s, %d players: %s\n", what.c_str(), players, ok ? "done" : "FAILED");
  return ok ? 0 : 1;
}

// The same program with --backend=qt and the benchmark flags it was given. The game's start-up moves
// the working folder, so the program is found through /proc rather than by argv[0].
int RunQtChild(int argc, char** argv) {
  std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' --backend=qt";
  for (int i = 1; i < argc; ++i) command += std::string(" '") + argv[i] + "'";
  return std::system(command.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  bool qt = false;
  bool qtOnly = false;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--backend=qt") == 0) {
      qt = qtOnly = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = int(args.size());
  args.push_back(nullptr);
  if (!StartGame(qt, count, args.data())) {
    std::fprintf(stderr, "the game's window did not load\n");
    return 1;
  }
  if (count == 4 && std::strcmp(args[1], "--once") == 0) return RunOnce(args[2], std::atoi(args[3]));

  const std::string backend = qt ? "qt" : "headless";
  std::vector<char*> given(args.begin(), args.end());  // Initialize takes its flags out of args
  benchmark::Initialize(&count, args.data());
  Register(backend);
  RowReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  WriteRows(reporter, backend);
  benchmark::Shutdown();
  std::fflush(stdout);
  if (!qtOnly) return RunQtChild(int(given.size()) - 1, given.data());
  return 0;
}
