#include "tests/reliability/injected_flows.h"

#include <cstdio>
#include <new>
#include <utility>

#include "engine/core/memory.h"
#include "json/json_parser.h"
#include "json/json_value.h"
#include "tests/game/game_flow_fixture.h"
#include "tests/reliability/heap_injection.h"
#include "tests/reliability/injection_sweep.h"

namespace vorenn::testing {
namespace {

std::string TheProgramFolder() { return ProgramFolder(); }

std::string BlocksLeft(int64_t before) {
  int64_t left = LiveBlockCount() - before;
  return left == 0 ? "" : std::to_string(left) + " engine blocks left allocated\n";
}

// Ten players with escaped names and amounts past 64 bits, as the server sends them.
std::string RankingJson() {
  std::string json = R"({"b":"1","t":"","phb":[)";
  for (int i = 0; i < 10; ++i) {
    if (i > 0) json += ",";
    json += R"({"name":"\u5c0f\u660e)" + std::to_string(i) + R"(","money":"123456789012345678901234)" +
            std::to_string(9 - i) + "\"}";
  }
  return json + "]}";
}

// Reads an answer the way the game does: every member as text, names decoded, the array walked.
// Returns a fingerprint of what it read, so that a read that went wrong shows.
std::string ReadAnswer(const JsonValue& answer, const char* arrayName) {
  std::string seen;
  for (const char* name : {"b", "t", "id", "name", "gg", "money", "now", "regdate", "allmoney"}) {
    std::unique_ptr<JsonValue> member = answer.GetMember(name);
    if (!member->IsNull()) seen += DecodeUnicodeEscapes(member->AsText()) + "|";
  }
  std::unique_ptr<JsonValue> items = answer.GetMember(arrayName);
  for (int32_t i = 1; i <= items->ArraySize(); ++i) {
    std::unique_ptr<JsonValue> item = items->GetElement(i);
    for (const char* name : {"id", "name", "money", "lvl", "buy"})
      seen += DecodeUnicodeEscapes(item->GetMember(name)->AsText()) + ",";
  }
  return seen;
}

}  // namespace

std::string StartUpFlow(InjectionPoint& injection) {
  RemoveAfterRun(&TheProgramFolder);
  injection.Arm();
  PrepareProgram();
  int64_t before = LiveBlockCount();
  std::string faults;
  {
    GameDriver game;
    game.Start(UnreachableUrl());
    if (!game.Visible(game::units::kSignInGroup)) faults += "the login form does not show\n";
  }
  return faults + BlocksLeft(before);
}

std::string LoginFlow(InjectionPoint& injection) {
  RemoveAfterRun(&TheProgramFolder);
  PrepareProgram();
  FakeServer server;
  server.Answer("m=login&a=login",
                std::string(R"({"b":"1","t":"\u767b\u5f55\u6210\u529f","md5":")") + kToken + "\"}");
  server.Answer("m=user&a=login", UserInfoJson());
  server.Answer("m=user&a=xin", UserInfoJson("500"));
  int64_t before = LiveBlockCount();
  std::string faults;
  {
    GameDriver game;
    game.Start(server.Url());
    injection.Arm();
    game.Type(game::units::kAccountBox, "alice");
    game.Type(game::units::kPassword1Box, "secret1");
    game.Click(game::units::kLoginButton);
    if (!game.Visible(game::units::kGameGroup)) faults += "the game screen does not show after login\n";
    game.Advance(30000);
  }
  for (const char* action : {"m=login&a=login", "m=user&a=login", "m=user&a=xin"})
    if (server.BodiesOf(action).empty()) faults += std::string("no request ") + action + "\n";
  return faults + BlocksLeft(before);
}

std::string JsonAnswersFlow(InjectionPoint& injection) {
  const std::pair<std::string, const char*> answers[] = {{UserInfoJson(), "skills"}, {RankingJson(), "phb"}};
  JsonParser parser;
  auto readAll = [&](std::string* faults) {
    for (const auto& [text, array] : answers) {
      int32_t ok = 0;
      std::string error;
      std::unique_ptr<JsonValue> answer = parser.Parse(text, &ok, &error);
      std::string seen = ReadAnswer(*answer, array);
      if (ok != 1) *faults += "parse failed: " + error + "\n";
      if (seen.find("小明") == std::string::npos) *faults += "a name did not decode: " + seen + "\n";
    }
  };
  // Once without injection: the escape decoder keeps converters per thread, which is not a leak.
  std::string faults, ignored;
  faults.reserve(4096);
  readAll(&ignored);
  int64_t blocks = LiveBlockCount(), heap = LiveHeapAllocations();
  injection.Arm();
  try {
    readAll(&faults);
  } catch (const std::bad_alloc&) {
  }
  injection.Disarm();
  if (LiveHeapAllocations() != heap) faults += std::to_string(LiveHeapAllocations() - heap) + " heap allocations left\n";
  return faults + BlocksLeft(blocks);
}

}  // namespace vorenn::testing
