// WebRequest end to end: the late-bound stand-ins, a recording loopback server, and the headless
// backend dispatching window events while the request waits.
#include "web/web_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "commands/command_values.h"
#include "engine/core/memory.h"
#include "platform/headless/headless_backend.h"
#include "tests/web/loopback_server.h"
#include "web/web_dll_rows.h"

namespace vorenn {
namespace {

using namespace std::chrono_literals;
using testing::BodyOf;
using testing::HeaderLines;
using testing::LoopbackServer;
using testing::OkReply;
using testing::Reply;

const std::string kAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
const std::string kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
const std::string kFormLine = "Content-Type: application/x-www-form-urlencoded";

struct Call {
  std::string url = {};
  std::string method = {};
  std::string proxy = {};
  std::string userName = {};
  std::string password = {};
  std::string extraHeaders = {};
  std::optional<std::string> body = {};
  std::optional<int32_t> timeoutSeconds = {};
};

struct Answer {
  bool empty = true;
  std::string body;
  std::string responseHeaders;
  std::string lastHeaders;
};

Answer Send(const Call& c) {
  void* body = c.body ? MakeByteArrayBlock(ByteSpan(reinterpret_cast<const uint8_t*>(c.body->data()),
                                                    c.body->size()))
                      : nullptr;
  char* responseHeaders = nullptr;
  char* lastHeaders = nullptr;
  WebRequestArgs args;
  args.method = c.method.c_str();
  args.proxy = c.proxy.c_str();
  args.userName = c.userName.c_str();
  args.password = c.password.c_str();
  args.extraHeaders = c.extraHeaders.c_str();
  args.body = body;
  args.timeoutSeconds = c.timeoutSeconds;
  args.responseHeaders = &responseHeaders;
  args.lastHeaders = &lastHeaders;
  void* result = WebRequest(c.url.c_str(), args);
  FreeBlock(body);
  Answer a;
  a.empty = result == nullptr;
  ByteSpan bytes = BytesOfByteArrayBlock(result);
  a.body.assign(bytes.begin(), bytes.end());
  a.responseHeaders = TextOfTextBlock(responseHeaders);
  a.lastHeaders = TextOfTextBlock(lastHeaders);
  FreeBlock(result);
  FreeBlock(responseHeaders);
  FreeBlock(lastHeaders);
  return a;
}

class WebRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::InstallHeadlessBackend();
    static std::array<DllFunctionRow, kWebDllRowCount> rows = MakeWebDllRows();
    SetDllFunctionTable(rows.data(), kWebDllRowCount);
  }
};

// A window on the headless backend that counts the timer ticks it is handed, and a thread that
// posts it one every 20 ms, as the game's animation clock does.
class TickingWindow {
 public:
  TickingWindow() {
    platform::WindowSpec params;
    window_ = platform::Native().CreateNativeWindow(params);
    platform::Native().SetEventSink(window_, [this](const platform::WindowEvent& e) {
      if (e.kind == platform::EventKind::Timer) ++ticks_;
      if (e.kind == platform::EventKind::Posted && onPosted_) onPosted_();
      return platform::EventAnswer{};
    });
  }
  ~TickingWindow() {
    StopTicking();
    platform::Native().DestroyNativeWindow(window_);
  }
  // Ticks for at most five seconds, so a wait that input keeps restarting still ends.
  void StartTicking() {
    ticker_ = std::thread([this] {
      auto end = std::chrono::steady_clock::now() + 5s;
      while (!stop_ && std::chrono::steady_clock::now() < end) {
        platform::WindowEvent e;
        e.kind = platform::EventKind::Timer;
        e.window = window_;
        e.timerId = 2;
        platform::Native().PostEvent(e);
        std::this_thread::sleep_for(20ms);
      }
    });
  }
  void StopTicking() {
    stop_ = true;
    if (ticker_.joinable()) ticker_.join();
  }
  void PostOnce(std::function<void()> handler) {
    onPosted_ = std::move(handler);
    platform::Native().Post(window_, 0x8001, 0, 0);
  }
  int Ticks() const { return ticks_; }

 private:
  platform::WindowHandle window_;
  std::atomic<int> ticks_{0};
  std::atomic<bool> stop_{false};
  std::function<void()> onPosted_;
  std::thread ticker_;
};

TEST_F(WebRequestTest, PostOfTheLoginTextGoesOutByteForByte) {
  LoopbackServer server([](const std::string&) { return OkReply("{\"b\":\"1\"}", "X-Srv: 1\r\n"); });
  std::string url = server.Url("/game/do.php");
  std::string text = "m=login&a=login&username=tester&password=secret&lv=1.0";
  Answer a = Send({.url = url, .method = "POST", .body = text});
  EXPECT_EQ(a.body, "{\"b\":\"1\"}");
  ASSERT_EQ(server.Requests().size(), 1u);
  std::string expected = "POST /game/do.php HTTP/1.1\r\n"
                         "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" +
                         kAgentLine + "\r\n" + kAcceptLine + "\r\n" +
                         "Referer: " + url + "\r\n" +
                         "Accept-Language: zh-cn\r\n" + kFormLine + "\r\n" +
                         "Content-Length: " + std::to_string(text.size()) + "\r\n\r\n" + text;
  EXPECT_EQ(server.Requests()[0], expected);
  EXPECT_EQ(a.responseHeaders, "HTTP/1.1 200 OK\r\nX-Srv: 1\r\nContent-Length: 9\r\n\r\n");
  EXPECT_EQ(a.lastHeaders, a.responseHeaders);
  EXPECT_EQ(LastResponseHeaders(), a.responseHeaders);
}

TEST_F(WebRequestTest, RequestsOfEveryShape) {
  LoopbackServer server([](const std::string&) { return OkReply("fine"); });
  std::string port = std::to_string(server.Port());
  struct Case {
    const char* name;
    Call call;
    bool answered;
    std::string requestLine;
    std::vector<std::string> mustHave;
    std::vector<std::string> mustLack;
  } cases[] = {
      {"get", {.url = server.Url("/game/do.php?m=rank&a=list")}, true,
       "GET /game/do.php?m=rank&a=list HTTP/1.1", {kAcceptLine, "Accept-Language: zh-cn"},
       {kFormLine}},
      {"lower-case post", {.url = server.Url("/p"), .method = "post", .body = "x=1"}, true,
       "post /p HTTP/1.1", {kFormLine, "Content-Length: 3"}, {}},
      {"caller's accept and length",
       {.url = server.Url("/p"), .method = "POST", .extraHeaders = "aCCept: text/plain\r\nContent-Length: 2\r\n",
        .body = "abcd"},
       true, "POST /p HTTP/1.1", {"aCCept: text/plain", "Content-Length: 2", "Content-Length: 4"},
       {kAcceptLine}},
      {"no http prefix", {.url = "127.0.0.1:" + port + "/game/do.php?x=1"}, true,
       "GET /game/do.php?x=1 HTTP/1.1", {"Referer: 127.0.0.1:" + port + "/game/do.php?x=1"}, {}},
      {"blank proxy is none", {.url = server.Url("/b"), .proxy = " \xA1\xA1 "}, true, "GET /b HTTP/1.1",
       {}, {}},
      {"unsupported method", {.url = server.Url("/put"), .method = "PUT", .body = "x"}, false, "", {}, {}},
      // Cut to 16 bits this port would be the server's own: it must not reach it.
      {"port beyond 65535", {.url = "http://127.0.0.1:" + std::to_string(server.Port() + 65536) + "/p"},
       false, "", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t before = server.Requests().size();
    Answer a = Send(c.call);
    EXPECT_EQ(!a.empty, c.answered);
    if (!c.answered) {
      EXPECT_EQ(server.Requests().size(), before);
      continue;
    }
    EXPECT_EQ(a.body, "fine");
    ASSERT_EQ(server.Requests().size(), before + 1);
    std::string raw = server.Requests().back();
    EXPECT_EQ(raw.substr(0, raw.find("\r\n")), c.requestLine);
    std::vector<std::string> lines = HeaderLines(raw);
    auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    for (const std::string& l : c.mustHave) EXPECT_TRUE(has(l)) << l;
    for (const std::string& l : c.mustLack) EXPECT_FALSE(has(l)) << l;
  }
}

TEST_F(WebRequestTest, ACookieSetByOneAnswerIsSentWithTheNext) {
  LoopbackServer server([](const std::string& request) {
    if (request.find("/first") != std::string::npos)
      return OkReply("1", "X-Ctl: a\x1a" "b\r\nSet-Cookie: vsid=t0k3n; path=/cookie\r\n"
                          "X-Note: Set-Cookie: bogus=1\r\n");
    return OkReply("2");
  });
  // The host is written in capitals: it is sent and stored in lower case. A Ctrl-Z in an earlier
  // header line neither stops nor stalls the reading of the lines.
  std::string base = "http://LOCALHOST:" + std::to_string(server.Port());
  Send({.url = base + "/cookie/first"});
  Send({.url = base + "/cookie/second"});
  ASSERT_EQ(server.Requests().size(), 2u);
  std::vector<std::string> second = HeaderLines(server.Requests()[1]);
  EXPECT_NE(std::find(second.begin(), second.end(), "Cookie: vsid=t0k3n"), second.end());
  for (const std::string& line : second) EXPECT_EQ(line.find("bogus"), std::string::npos) << line;
  EXPECT_NE(std::find(second.begin(), second.end(), "Host: localhost:" + std::to_string(server.Port())),
            second.end());
}

TEST_F(WebRequestTest, AProxyGetsTheAbsoluteAddress) {
  LoopbackServer proxy([](const std::string&) { return OkReply("proxied"); });
  std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.Port());
  Answer a = Send({.url = "http://vorenn.invalid:8080/game/do.php", .method = "POST",
                   .proxy = proxyAddress, .body = "m=1"});
  EXPECT_EQ(a.body, "proxied");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  std::string raw = proxy.Requests()[0];
  EXPECT_EQ(raw.substr(0, raw.find("\r\n")), "POST http://vorenn.invalid:8080/game/do.php HTTP/1.1");
  EXPECT_EQ(BodyOf(raw), "m=1");
}

TEST_F(WebRequestTest, CredentialsAnswerAChallengeAndBlankOnesCountAsNone) {
  LoopbackServer server([](const std::string& request) {
    if (request.find("\r\nAuthorization: Basic dXNlcjpwYXNz\r\n") != std::string::npos) return OkReply("welcome");
    Reply r;
    r.bytes = "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"v\"\r\nContent-Length: 6\r\n\r\ndenied";
    return r;
  });
  EXPECT_EQ(Send({.url = server.Url("/a"), .userName = " \xA1\xA1", .password = "pass"}).body, "denied");
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(Send({.url = server.Url("/a"), .userName = "user", .password = "pass"}).body, "welcome");
  ASSERT_EQ(server.Requests().size(), 3u);
  // Credentials go out only when the server asks for them.
  EXPECT_EQ(server.Requests()[1].find("Authorization"), std::string::npos);
}

TEST_F(WebRequestTest, BadOrCutShortAnswersGiveEmptyBytes) {
  struct Case {
    const char* name;
    Reply reply;
    bool empty;
    std::string body;
  } cases[] = {
      {"garbage", {"\x7f\x45LF garbage\r\n\r\n", Reply::Mode::Close, 0ms}, true, ""},
      {"closes at once", {"", Reply::Mode::Close, 0ms}, true, ""},
      // A body cut short is no answer, however much of it came: the length it declared, or the
      // chunk that ends it, never arrived.
      {"closes mid-body", {"HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\nhalf", Reply::Mode::Close, 0ms},
       true, ""},
      {"closes inside a chunk",
       {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nhalf\r\n9\r\nof a", Reply::Mode::Close, 0ms},
       true, ""},
      {"closes before the last chunk",
       {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nhalf\r\n", Reply::Mode::Close, 0ms},
       true, ""},
      {"whole chunked body", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nwhol\r\n1\r\ne\r\n0\r\n\r\n",
                              Reply::Mode::Close, 0ms},
       false, "whole"},
      {"no length, ends by closing", {"HTTP/1.0 200 OK\r\n\r\nuntil close", Reply::Mode::Close, 0ms},
       false, "until close"},
      {"byte by byte", {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nslow", Reply::Mode::Slow, 2ms},
       false, "slow"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server([&](const std::string&) { return c.reply; });
    Answer a = Send({.url = server.Url("/"), .timeoutSeconds = 10});
    EXPECT_EQ(a.empty, c.empty);
    EXPECT_EQ(a.body, c.body);
  }
}

TEST_F(WebRequestTest, ALongHeaderBlockIsFetchedWholeAndItsCookiesKept) {
  std::string filler = "X-Filler: " + std::string(3000, 'f') + "\r\n";
  LoopbackServer server([&](const std::string& request) {
    if (request.find("/long/a") != std::string::npos) return OkReply("a", filler + "Set-Cookie: late=yes\r\n");
    return OkReply("b");
  });
  Answer a = Send({.url = server.Url("/long/a")});
  EXPECT_EQ(a.body, "a");
  EXPECT_EQ(a.responseHeaders,
            "HTTP/1.1 200 OK\r\n" + filler + "Set-Cookie: late=yes\r\nContent-Length: 1\r\n\r\n");
  Send({.url = server.Url("/long/b")});
  std::vector<std::string> lines = HeaderLines(server.Requests().back());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Cookie: late=yes"), lines.end());
}

TEST_F(WebRequestTest, AnAnswerBodyAbove64MiBIsAFailure) {
  for (size_t size : {kMaxAnswerBody, kMaxAnswerBody + 1}) {
    std::string body(size, 'z');
    LoopbackServer server([&](const std::string&) { return OkReply(body); });
    Answer a = Send({.url = server.Url("/big"), .timeoutSeconds = 120});
    EXPECT_EQ(a.body.size(), size <= kMaxAnswerBody ? size : 0u);
  }
}

TEST_F(WebRequestTest, ASilentServerEndsAtTheTimeOutWhileTicksKeepComing) {
  LoopbackServer earlier([](const std::string&) { return OkReply("ok", "X-Earlier: 1\r\n"); });
  Answer first = Send({.url = earlier.Url("/")});
  LoopbackServer silent([](const std::string&) { return Reply{"", Reply::Mode::Hold, 0ms}; });
  TickingWindow window;
  window.StartTicking();
  auto start = std::chrono::steady_clock::now();
  Answer a = Send({.url = silent.Url("/"), .timeoutSeconds = 1});
  auto elapsed = std::chrono::steady_clock::now() - start;
  window.StopTicking();
  EXPECT_TRUE(a.empty);
  EXPECT_GE(elapsed, 1s);
  EXPECT_LT(elapsed, 3s);
  EXPECT_GT(window.Ticks(), 10);  // the window kept being served while the request waited
  // The abandoned worker's transfer is cancelled (the server sees the connection go) and it
  // leaves no header text of its own behind.
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(LastResponseHeaders(), first.responseHeaders);
  EXPECT_EQ(a.lastHeaders, first.responseHeaders);
}

TEST_F(WebRequestTest, AHandlerMayStartAnotherRequestDuringTheWait) {
  LoopbackServer slow([](const std::string&) {
    Reply r = OkReply("outer");
    r.mode = Reply::Mode::Slow;
    r.perByte = 8ms;
    return r;
  });
  LoopbackServer fast([](const std::string&) { return OkReply("inner"); });
  TickingWindow window;
  std::string inner;
  window.PostOnce([&] { inner = Send({.url = fast.Url("/inner")}).body; });
  Answer outer = Send({.url = slow.Url("/outer")});
  EXPECT_EQ(outer.body, "outer");
  EXPECT_EQ(inner, "inner");
}

TEST_F(WebRequestTest, AQuitDuringTheWaitEndsTheRequestAtOnceAndNothingIsSentAfterIt) {
  LoopbackServer held([](const std::string&) { return Reply{"", Reply::Mode::Hold, 0ms}; });
  // The program's last window closes while the request waits: its quit message is posted.
  std::thread user([&] {
    if (held.WaitForRequests(1, 10s)) platform::Native().PostQuit(0);
  });
  auto start = std::chrono::steady_clock::now();
  Answer a = Send({.url = held.Url("/"), .timeoutSeconds = 60});
  user.join();
  EXPECT_TRUE(a.empty);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  ASSERT_EQ(held.Requests().size(), 1u);
  // Still ending: a further request does not go out.
  LoopbackServer fresh([](const std::string&) { return OkReply("late"); });
  EXPECT_TRUE(Send({.url = fresh.Url("/")}).empty);
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(fresh.Requests().empty());
  // The loop takes the quit message; requests work again.
  int code = -1;
  EXPECT_FALSE(platform::Native().DispatchMessages(/*block=*/false, &code, nullptr));
  EXPECT_EQ(Send({.url = fresh.Url("/")}).body, "late");
}

}  // namespace
}  // namespace vorenn
