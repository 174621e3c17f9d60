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

TEST(UrlParts, HttpsAddressesAreSecureWithPort443ByDefault) {
  struct Row {
    const char* url;
    const char* host;
    const char* path;
    int32_t port;
    bool secure;
  } rows[] = {
      {"https://Game.Example.org/game/do.php", "game.example.org", "/game/do.php", 443, true},
      {"https://127.0.0.1:8443/game/do.php", "127.0.0.1", "/game/do.php", 8443, true},
      {"https://t/x", "t", "/x", 443, true},
      {"https://h", "h", "/", 443, true},
      // The prefix found first decides, wherever the other one stands later.
      {"http://h/?next=https://x/", "h", "/?next=https://x/", 80, false},
      {"https://h/?next=http://x/", "h", "/?next=http://x/", 443, true},
      // Only the lower-case prefix counts, as for http.
      {"HTTPS://h/x", "https", "//h/x", 0, false},
      {"h:443/x", "h", "/x", 443, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.url);
    EXPECT_EQ(UrlHost(r.url, KeepPort::No), r.host);
    EXPECT_EQ(UrlPath(r.url), r.path);
    EXPECT_EQ(UrlPort(r.url), r.port);
    EXPECT_EQ(UrlIsSecure(r.url), r.secure);
    EXPECT_EQ(UrlSchemePrefix(r.url), r.secure ? "https://" : "http://");
  }
}

}  // namespace
}  // namespace vorenn
