// One request round trip over loopback: the internet stand-in on its own, and WebRequest with its
// worker thread, record stream and message-aware wait on the headless backend.
#include <benchmark/benchmark.h>

#include <array>

#include "commands/command_values.h"
#include "engine/core/memory.h"
#include "platform/headless/headless_backend.h"
#include "tests/web/internet_functions.h"
#include "tests/web/loopback_server.h"
#include "web/web_dll_rows.h"
#include "web/web_request.h"

namespace {

using vorenn::testing::LoopbackServer;
using vorenn::testing::OkReply;

void SetUpWeb() {
  static bool done = [] {
    vorenn::platform::InstallHeadlessBackend();
    static std::array<vorenn::DllFunctionRow, vorenn::kWebDllRowCount> rows = vorenn::MakeWebDllRows();
    vorenn::SetDllFunctionTable(rows.data(), vorenn::kWebDllRowCount);
    return true;
  }();
  (void)done;
}

void BM_StandInGet(benchmark::State& state) {
  std::string body(size_t(state.range(0)), 'b');
  LoopbackServer server([&](const std::string&) { return OkReply(body); });
  const auto& f = vorenn::testing::Internet();
  for (auto _ : state) {
    vorenn::testing::OpenedRequest r;
    r.session = f.open("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    r.connection = f.connect(r.session, "127.0.0.1", server.Port(), nullptr, nullptr, 3, 0, 0);
    r.request = f.openRequest(r.connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
    vorenn::testing::Exchange e = vorenn::testing::RunExchange(r.request, "");
    if (e.body.size() != body.size()) state.SkipWithError("short answer");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_StandInGet)->Arg(64)->Arg(1 << 20)->UseRealTime();

void BM_WebRequestPost(benchmark::State& state) {
  SetUpWeb();
  std::string answer(size_t(state.range(0)), 'a');
  LoopbackServer server([&](const std::string&) { return OkReply(answer); });
  std::string url = server.Url("/game/do.php");
  std::string text = "m=user&a=info&md5=0123456789abcdef";
  void* body = vorenn::MakeByteArrayBlock(
      vorenn::ByteSpan(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  for (auto _ : state) {
    vorenn::WebRequestArgs args;
    args.method = "POST";
    args.body = body;
    void* result = vorenn::WebRequest(url.c_str(), args);
    if (vorenn::BytesOfByteArrayBlock(result).size() != answer.size()) state.SkipWithError("short answer");
    vorenn::FreeBlock(result);
  }
  vorenn::FreeBlock(body);
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_WebRequestPost)->Arg(64)->Arg(1 << 20)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
