// The process-wide cookie store of the internet stand-in: what InternetSetCookieA stores, later
// requests to a matching host and path send.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <deque>

#include "platform/stand_ins/internet_internal.h"

namespace vorenn::internet {
namespace {

struct Cookie {
  std::string name;
  std::string value;
  std::string domain;  // lower case, without a leading dot
  bool hostOnly = true;
  std::string path;
  std::optional<time_t> expires;
  bool secureOnly = false;
};

// A server may set any number of cookies; these bounds keep the store from growing without end.
constexpr size_t kMaxCookieBytes = 4096;
constexpr size_t kMaxCookiesPerDomain = 50;
constexpr size_t kMaxCookies = 1000;

// Never destroyed, like the handle registry: workers may still use it while the process exits.
struct Store {
  std::mutex lock;
  std::deque<Cookie> cookies;
};
Store& S() {
  static Store* store = new Store;
  return *store;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// "http://Host:80/a/b?q" gives host "host" and path "/a/b?q".
bool SplitUrl(std::string_view url, std::string& host, std::string& path) {
  size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return false;
  std::string_view rest = url.substr(scheme + 3);
  size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  authority = authority.substr(0, authority.find(':'));
  host = Lower(authority);
  return !host.empty();
}

bool DomainMatches(std::string_view host, const Cookie& c) {
  if (host == c.domain) return true;
  if (c.hostOnly || host.size() <= c.domain.size()) return false;
  return host.ends_with(c.domain) && host[host.size() - c.domain.size() - 1] == '.';
}

bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
  requestPath = requestPath.substr(0, requestPath.find('?'));
  if (!requestPath.starts_with(cookiePath)) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') ||
         requestPath[cookiePath.size()] == '/';
}

std::string DefaultPath(std::string_view urlPath) {
  urlPath = urlPath.substr(0, urlPath.find('?'));
  size_t last = urlPath.rfind('/');
  if (last == std::string_view::npos || last == 0) return "/";
  return std::string(urlPath.substr(0, last));
}

bool Expired(const Cookie& c, time_t now) { return c.expires && *c.expires <= now; }

// Applies "name=value; attr; attr=x" to c. False when an attribute makes the cookie unacceptable.
bool ParseCookie(std::string_view data, const char* name, std::string_view host,
                 std::string_view urlPath, Cookie& c) {
  size_t semi = data.find(';');
  std::string_view pair = Trim(data.substr(0, semi));
  if (name != nullptr && *name != '\0') {
    c.name = std::string(Trim(name));
    c.value = std::string(pair);
  } else {
    size_t eq = pair.find('=');
    if (eq != std::string_view::npos) c.name = std::string(Trim(pair.substr(0, eq)));
    c.value = std::string(Trim(eq == std::string_view::npos ? pair : pair.substr(eq + 1)));
  }
  c.domain = std::string(host);
  c.path = DefaultPath(urlPath);
  time_t now = std::time(nullptr);
  while (semi != std::string_view::npos) {
    data.remove_prefix(semi + 1);
    semi = data.find(';');
    std::string_view attr = Trim(data.substr(0, semi));
    size_t eq = attr.find('=');
    std::string key = Lower(Trim(attr.substr(0, eq)));
    std::string_view val = eq == std::string_view::npos ? "" : Trim(attr.substr(eq + 1));
    if (key == "path" && val.starts_with('/')) {
      c.path = std::string(val);
    } else if (key == "domain" && !val.empty()) {
      if (val.front() == '.') val.remove_prefix(1);
      std::string domain = Lower(val);
      Cookie probe;
      probe.domain = domain;
      probe.hostOnly = false;
      if (!DomainMatches(host, probe)) return false;
      c.domain = domain;
      c.hostOnly = false;
    } else if (key == "max-age") {
      char* end = nullptr;
      std::string digits(val);
      long long seconds = std::strtoll(digits.c_str(), &end, 10);
      if (!digits.empty() && *end == '\0') c.expires = seconds <= 0 ? 0 : now + time_t(seconds);
    } else if (key == "secure") {
      c.secureOnly = true;
    } else if (key == "expires" && !c.expires) {
      time_t when = curl_getdate(std::string(val).c_str(), nullptr);
      if (when != -1) c.expires = when;
    }
  }
  return true;
}

}  // namespace

bool SetCookie(std::string_view url, const char* name, std::string_view data) {
  std::string host, urlPath;
  if (!SplitUrl(url, host, urlPath)) return false;
  std::string_view nameView = name ? std::string_view(name) : std::string_view();
  if (data.size() + nameView.size() > kMaxCookieBytes) return false;
  // A line break would let a cookie smuggle header lines into later requests.
  if (data.find_first_of("\r\n") != std::string_view::npos ||
      nameView.find_first_of("\r\n") != std::string_view::npos)
    return false;
  Cookie c;
  if (!ParseCookie(data, name, host, urlPath, c)) return false;
  // Plain HTTP could otherwise plant or overwrite a cookie that only TLS may carry.
  if (c.secureOnly && !Lower(url.substr(0, 8)).starts_with("https://")) return false;

  Store& store = S();
  std::lock_guard lock(store.lock);
  std::erase_if(store.cookies, [&](const Cookie& old) {
    return old.name == c.name && old.domain == c.domain && old.path == c.path;
  });
  if (Expired(c, std::time(nullptr))) return true;  // a past expiry is how a server deletes one
  size_t sameDomain = size_t(std::count_if(store.cookies.begin(), store.cookies.end(),
                                           [&](const Cookie& o) { return o.domain == c.domain; }));
  if (sameDomain >= kMaxCookiesPerDomain) {
    auto oldest = std::find_if(store.cookies.begin(), store.cookies.end(),
                               [&](const Cookie& o) { return o.domain == c.domain; });
    store.cookies.erase(oldest);
  }
  if (store.cookies.size() >= kMaxCookies) store.cookies.pop_front();
  store.cookies.push_back(std::move(c));
  return true;
}

std::string CookieHeaderFor(std::string_view host, std::string_view path, bool secure) {
  std::string lowerHost = Lower(host);
  time_t now = std::time(nullptr);
  std::string header;
  Store& store = S();
  std::lock_guard lock(store.lock);
  std::erase_if(store.cookies, [&](const Cookie& c) { return Expired(c, now); });
  for (const Cookie& c : store.cookies) {
    if (!DomainMatches(lowerHost, c) || !PathMatches(path, c.path)) continue;
    if (c.secureOnly && !secure) continue;
    if (!header.empty()) header += "; ";
    header += c.name.empty() ? c.value : c.name + "=" + c.value;
  }
  return header;
}

}  // namespace vorenn::internet
