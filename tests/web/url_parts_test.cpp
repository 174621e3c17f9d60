#include "web/url_parts.h"

#include <gtest/gtest.h>

namespace vorenn {
namespace {

TEST(UrlParts, HostPathAndPortOfAddresses) {
  struct Row {
    const char* url;
    const char* host;
    const char* hostWithPort;
    const char* path;
    int32_t port;
  } rows[] = {
      {"http://127.0.0.1:8573/game/do.php", "127.0.0.1", "127.0.0.1:8573", "/game/do.php", 8573},
      {"http://Game.Example.COM/game/do.php?m=user&a=login", "game.example.com", "game.example.com",
       "/game/do.php?m=user&a=login", 80},
      {"game.example:8080/game/do.php", "game.example", "game.example:8080", "/game/do.php", 8080},
      {"http://host", "host", "host", "/", 80},
      {"http://host:81", "host", "host:81", "/", 81},
      {"host/", "host", "host", "/", 80},
      {"", "", "", "/", 80},
      // Only the lower-case prefix is recognised; the upper-case one is taken as the host.
      {"HTTP://h/x", "http", "http:", "//h/x", 0},
      // A host that also occurs inside the prefix: the path is looked for after the host.
      {"http://t/x?y", "t", "t", "/x?y", 80},
      {"http://p", "p", "p", "/", 80},
      // Port texts are numbers read as far as they go.
      {"http://h:8080abc/", "h", "h:8080abc", "/", 8080},
      {"http://h:/", "h", "h:", "/", 0},
      {"http://h:99999/", "h", "h:99999", "/", 99999},
      // Double-byte characters (GBK) are left alone, even with a trail byte in the letter range.
      {"http://\xB0\x41Z/", "\xB0\x41z", "\xB0\x41z", "/", 80},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.url);
    EXPECT_EQ(UrlHost(r.url, KeepPort::No), r.host);
    EXPECT_EQ(UrlHost(r.url, KeepPort::Yes), r.hostWithPort);
    EXPECT_EQ(UrlPath(r.url), r.path);
    EXPECT_EQ(UrlPort(r.url), r.port);
  }
}

}  // namespace
}  // namespace vorenn
