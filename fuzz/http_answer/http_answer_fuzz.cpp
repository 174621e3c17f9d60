// The answer side of the internet stand-in: each input is served as the raw bytes of an answer
// from a loopback socket (then the connection closes), and one GET is run through the stand-in.
// Whatever the bytes, the exchange ends, a header block that comes back is a CRLF block starting
// with a status line, and the body is never longer than what was sent.
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>

#include "tests/web/internet_functions.h"
#include "tests/web/loopback_server.h"

namespace {

std::mutex g_lock;
std::string g_answer;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorenn::testing;
  static LoopbackServer* server = new LoopbackServer([](const std::string&) {
    std::lock_guard lock(g_lock);
    return Reply{g_answer, Reply::Mode::Close, {}};
  });
  {
    std::lock_guard lock(g_lock);
    g_answer.assign(reinterpret_cast<const char*>(data), size);
  }
  const InternetFunctions& f = Internet();
  OpenedRequest r;
  r.session = f.open("fuzz", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  r.connection = f.connect(r.session, "127.0.0.1", server->Port(), nullptr, nullptr,
                           INTERNET_SERVICE_HTTP, 0, 0);
  r.request = f.openRequest(r.connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
  Exchange e = RunExchange(r.request, "");
  Check(e.body.size() <= size);
  if (!e.headers.empty()) {
    Check(e.headers.rfind("HTTP/", 0) == 0);
    Check(e.headers.size() >= 4 && e.headers.compare(e.headers.size() - 2, 2, "\r\n") == 0);
    for (size_t i = 0; i < e.headers.size(); ++i) {
      if (e.headers[i] == '\n') Check(i > 0 && e.headers[i - 1] == '\r');
    }
  }
  return 0;
}
