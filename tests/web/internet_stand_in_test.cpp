// The internet stand-in against a recording loopback server: what goes on the wire, what comes back
// from bad servers, cookies, and cancellation by closing a handle from another thread.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/web/internet_functions.h"
#include "tests/web/loopback_server.h"

namespace vorenn::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kAgent[] = "Test Agent/1.0";

OpenedRequest Open(uint16_t port, const char* verb, const char* path, const char* proxy = nullptr,
                   const char* host = "127.0.0.1") {
  const InternetFunctions& f = Internet();
  OpenedRequest r;
  r.session = f.open(kAgent, proxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT, proxy,
                     nullptr, 0);
  r.connection = f.connect(r.session, host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  r.request = f.openRequest(r.connection, verb, path, "HTTP/1.1", nullptr, nullptr,
                            INTERNET_FLAG_RELOAD, 0);
  return r;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(InternetStandIn, SendsExactlyTheCallersHeadersPlusHostAndAgent) {
  LoopbackServer server([](const std::string&) { return OkReply("done"); });
  std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port());
  struct Case {
    const char* verb;
    std::string headers;
    std::string body;
    std::vector<std::string> expectedLines;  // besides Host and User-Agent
  } cases[] = {
      // The method goes out as written; two Content-Length lines stay two, libcurl adds none.
      {"post", "Accept: */*\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n", "hello",
       {"Accept: */*", "Content-Type: text/plain", "Content-Length: 5"}},
      {"POST", "X-A: 1\r\nContent-Length: 3\r\nContent-Length: 5\r\n", "hello",
       {"X-A: 1", "Content-Length: 3", "Content-Length: 5"}},
      // No Accept, no Content-Type and no Expect of libcurl's own; the body's length is framed.
      {"POST", "X-B: 2\r\n", std::string(300000, 'x'), {"X-B: 2", "Content-Length: 300000"}},
      {"GET", "", "", {}},
      {nullptr, "Referer: http://a/\r\nX-Empty:\r\n", "", {"Referer: http://a/", "X-Empty:"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    size_t before = server.Requests().size();
    OpenedRequest r = Open(server.Port(), c.verb, "/game/do.php?m=login&a=login");
    Exchange e = RunExchange(r.request, c.headers, c.body);
    EXPECT_TRUE(e.sent);
    EXPECT_EQ(e.body, "done");
    ASSERT_EQ(server.Requests().size(), before + 1);
    const std::string raw = server.Requests().back();
    std::string verb = c.verb ? c.verb : "GET";
    EXPECT_EQ(raw.substr(0, raw.find("\r\n")), verb + " /game/do.php?m=login&a=login HTTP/1.1");
    std::vector<std::string> expected = c.expectedLines;
    expected.push_back(host);
    expected.push_back(std::string("User-Agent: ") + kAgent);
    EXPECT_EQ(Sorted(HeaderLines(raw)), Sorted(expected));
    EXPECT_EQ(BodyOf(raw), c.body);
  }
}

TEST(InternetStandIn, AProxyReceivesTheAbsoluteAddress) {
  LoopbackServer proxy([](const std::string&) { return OkReply("via proxy"); });
  std::string list = "ftp=127.0.0.1:1 http=127.0.0.1:" + std::to_string(proxy.Port());
  // The target host is never contacted: only the proxy is.
  OpenedRequest r = Open(8080, "GET", "/game/do.php?m=1", list.c_str(), "vorenn.invalid");
  Exchange e = RunExchange(r.request, "X-P: 1\r\n");
  EXPECT_EQ(e.body, "via proxy");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  const std::string raw = proxy.Requests()[0];
  EXPECT_EQ(raw.substr(0, raw.find("\r\n")), "GET http://vorenn.invalid:8080/game/do.php?m=1 HTTP/1.1");
  EXPECT_EQ(Sorted(HeaderLines(raw)),
            Sorted({"Host: vorenn.invalid:8080", std::string("User-Agent: ") + kAgent, "X-P: 1"}));
}

TEST(InternetStandIn, HeaderBlockComesBackWithCrlfAndNeedsTheRightBufferSize) {
  LoopbackServer server([](const std::string&) {
    Reply r;
    r.bytes = "HTTP/1.1 200 OK\nX-Long: " + std::string(3000, 'h') + "\nContent-Length: 2\n\nok";
    return r;
  });
  OpenedRequest r = Open(server.Port(), "GET", "/");
  Exchange e = RunExchange(r.request, "");
  std::string expected =
      "HTTP/1.1 200 OK\r\nX-Long: " + std::string(3000, 'h') + "\r\nContent-Length: 2\r\n\r\n";
  EXPECT_EQ(e.headers, expected);
  EXPECT_EQ(e.body, "ok");

  const InternetFunctions& f = Internet();
  std::string small(1024, ' ');
  DWORD length = 1024;
  EXPECT_FALSE(f.query(r.request, HTTP_QUERY_RAW_HEADERS_CRLF, small.data(), &length, nullptr));
  EXPECT_EQ(f.lastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, expected.size() + 1);
  EXPECT_EQ(small, std::string(1024, ' '));  // untouched when it does not fit
  DWORD status = 0, statusLength = sizeof status;
  EXPECT_TRUE(f.query(r.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &statusLength, nullptr));
  EXPECT_EQ(status, 200u);
}

TEST(InternetStandIn, BadServersEndInFailureNotInAHang) {
  struct Case {
    const char* name;
    Reply reply;
    bool sent;
    std::string body;
    bool readFailed;
  } cases[] = {
      {"garbage", {"\x01\x02 not http at all\r\n\r\n", Reply::Mode::Close, 0ms}, false, "", true},
      {"closes at once", {"", Reply::Mode::Close, 0ms}, false, "", true},
      {"closes mid-body", {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial", Reply::Mode::Close, 0ms},
       true, "partial", true},
      {"closes mid-chunk",
       {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7\r\npartial\r\n5\r\nab", Reply::Mode::Close, 0ms},
       true, "partialab", true},
      {"closes before the last chunk",
       {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7\r\npartial\r\n", Reply::Mode::Close, 0ms},
       true, "partial", true},
      {"huge header block",
       {"HTTP/1.1 200 OK\r\n" + std::string(20, 'x') + ": " + std::string(90000, 'v') + "\r\n" +
            [] {
              std::string many;
              for (int i = 0; i < 30; ++i) many += "X-" + std::to_string(i) + ": " + std::string(60000, 'v') + "\r\n";
              return many;
            }() + "Content-Length: 1\r\n\r\nz",
        Reply::Mode::Send, 0ms},
       false, "", true},
      {"byte by byte", {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nslow!", Reply::Mode::Slow, 3ms},
       true, "slow!", false},
      {"no length, ends by closing", {"HTTP/1.0 200 OK\r\n\r\nuntil close", Reply::Mode::Close, 0ms},
       true, "until close", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server([&](const std::string&) { return c.reply; });
    OpenedRequest r = Open(server.Port(), "GET", "/");
    auto start = std::chrono::steady_clock::now();
    Exchange e = RunExchange(r.request, "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(e.sent, c.sent);
    EXPECT_EQ(e.body, c.body);
    EXPECT_EQ(e.readFailed, c.readFailed);
  }
}

TEST(InternetStandIn, NothingListeningFailsTheSend) {
  uint16_t freePort;
  { LoopbackServer probe([](const std::string&) { return OkReply(""); }); freePort = probe.Port(); }
  OpenedRequest r = Open(freePort, "GET", "/");
  Exchange e = RunExchange(r.request, "");
  EXPECT_FALSE(e.sent);
  EXPECT_TRUE(e.readFailed);
  EXPECT_TRUE(e.headers.empty());
}

TEST(InternetStandIn, ClosingTheSessionCancelsATransferOnAnotherThread) {
  LoopbackServer server([](const std::string&) { return Reply{"", Reply::Mode::Hold, 0ms}; });
  const InternetFunctions& f = Internet();
  OpenedRequest r = Open(server.Port(), "GET", "/");
  BOOL sent = 1;
  DWORD error = 0;
  std::thread worker([&] {
    sent = f.send(r.request, "", 0, nullptr, 0);
    error = f.lastError();
  });
  ASSERT_TRUE(server.WaitForRequests(1, 5s));
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(f.close(r.session));
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_FALSE(sent);
  EXPECT_EQ(error, ERROR_INTERNET_OPERATION_CANCELLED);
  // The handles under the session died with it; closing them again is refused, not a crash.
  EXPECT_FALSE(f.close(r.request));
  EXPECT_FALSE(f.close(r.connection));
  EXPECT_FALSE(f.close(r.session));
  r = {};
}

TEST(InternetStandIn, RefusesUnsafeOrUnknownInput) {
  const InternetFunctions& f = Internet();
  HINTERNET session = f.open(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(f.connect(session, "evil.test/x@127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0), nullptr);
  EXPECT_EQ(f.connect(session, "", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0), nullptr);
  EXPECT_EQ(f.connect(session, "127.0.0.1", 80, nullptr, nullptr, /*ftp*/ 1, 0, 0), nullptr);
  HINTERNET conn = f.connect(session, "127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(conn, nullptr);
  EXPECT_EQ(f.openRequest(conn, "GET", "/a\r\nX-Injected: 1", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(f.openRequest(conn, "G ET", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
  // A handle of the wrong kind, or none at all.
  EXPECT_EQ(f.openRequest(session, "GET", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(f.connect(reinterpret_cast<HINTERNET>(0x12345), "h", 80, nullptr, nullptr, 3, 0, 0), nullptr);
  DWORD got = 7;
  char buffer[8];
  EXPECT_FALSE(f.read(conn, buffer, sizeof buffer, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(f.close(session));
  EXPECT_FALSE(f.close(conn));  // closed with its session
  EXPECT_EQ(f.open(kAgent, INTERNET_OPEN_TYPE_PROXY, "", nullptr, 0), nullptr);
}

TEST(InternetStandIn, ASecureRequestSpeaksTlsOrNothing) {
  // A plain-HTTP server answers the handshake with an HTTP answer: the request fails instead of
  // falling back to clear text, and what reached the server was no HTTP request.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  std::string received;
  std::thread plainServer([&] {
    int peer = accept(listener, nullptr, nullptr);
    if (peer < 0) return;
    char buffer[4096];
    ssize_t n = recv(peer, buffer, sizeof buffer, 0);
    if (n > 0) received.assign(buffer, size_t(n));
    const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nclear text";
    send(peer, answer, sizeof answer - 1, MSG_NOSIGNAL);
    close(peer);
  });

  const InternetFunctions& f = Internet();
  OpenedRequest r;
  r.session = f.open(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  r.connection = f.connect(r.session, "127.0.0.1", ntohs(address.sin_port), nullptr, nullptr,
                           INTERNET_SERVICE_HTTP, 0, 0);
  r.request = f.openRequest(r.connection, "POST", "/game/do.php", "HTTP/1.1", nullptr, nullptr,
                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE, 0);
  Exchange e = RunExchange(r.request, "", "m=login&a=login&password=secret");
  plainServer.join();
  close(listener);
  EXPECT_FALSE(e.sent);
  EXPECT_EQ(e.body, "");
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received[0], '\x16');  // a TLS handshake record
  EXPECT_EQ(received.find("secret"), std::string::npos);
  EXPECT_EQ(received.find("POST"), std::string::npos);
}

TEST(InternetStandIn, CookieStoreDecidesWhatLaterRequestsSend) {
  LoopbackServer server([](const std::string&) { return OkReply(""); });
  const InternetFunctions& f = Internet();
  auto cookieSentTo = [&](const std::string& path) {
    OpenedRequest r = Open(server.Port(), "GET", path.c_str());
    RunExchange(r.request, "");
    for (const std::string& line : HeaderLines(server.Requests().back())) {
      if (line.rfind("Cookie: ", 0) == 0) return line.substr(8);
    }
    return std::string("(none)");
  };
  struct Case {
    const char* url;
    const char* name;
    const char* data;
    bool stored;
    const char* path;
    const char* sent;
  } cases[] = {
      {"http://127.0.0.1", "sid", "abc; path=/ck1", true, "/ck1/x", "sid=abc"},
      {"http://127.0.0.1", "sid", "abc; path=/ck1", true, "/ck10", "(none)"},
      {"http://127.0.0.1", "sid", "new; path=/ck1", true, "/ck1", "sid=new"},  // replaces
      {"http://127.0.0.1", "sid", "x; path=/ck1; expires=Thu, 01 Jan 1970 00:00:00 GMT", true, "/ck1",
       "(none)"},  // a past expiry deletes
      {"http://127.0.0.1", nullptr, "a=1; Path=/ck2", true, "/ck2?q=1", "a=1"},
      {"http://127.0.0.1", "b", "2; path=/ck2; max-age=0", true, "/ck2", "a=1"},
      {"http://127.0.0.1:999/ck3/page", "c", "3", true, "/ck3/other", "c=3"},  // default path
      {"http://127.0.0.1", "d", "4; domain=other.test; path=/ck4", false, "/ck4", "(none)"},
      {"http://127.0.0.1", "e", "5\r\nX-Injected: 1; path=/ck5", false, "/ck5", "(none)"},
      {"no scheme", "f", "6", false, "/", "(none)"},
      {"http://other.test", "g", "7; path=/ck6", true, "/ck6", "(none)"},  // another host's cookie
      // A secure cookie comes only over TLS and goes only over TLS; plain HTTP can neither plant
      // one nor receive it. A cookie set over TLS without the attribute goes everywhere.
      {"http://127.0.0.1", "s", "8; secure; path=/ck7", false, "/ck7", "(none)"},
      {"https://127.0.0.1", "s", "9; Secure; path=/ck8", true, "/ck8", "(none)"},
      {"https://127.0.0.1:8443", "t", "10; path=/ck9", true, "/ck9", "t=10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.url) + " " + c.data);
    EXPECT_EQ(f.setCookie(c.url, c.name, c.data) != 0, c.stored);
    if (std::string(c.path) != "/") {
      EXPECT_EQ(cookieSentTo(c.path), c.sent);
    }
  }
}

}  // namespace
}  // namespace vorenn::testing
