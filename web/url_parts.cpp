#include "web/url_parts.h"

#include <cmath>

#include "commands/conversion_commands.h"
#include "commands/text_commands.h"

namespace vorenn {
namespace {

constexpr std::string_view kHttpPrefix = "http://";
constexpr std::string_view kHttpsPrefix = "https://";

struct Scheme {
  size_t hostStart;  // 0-based offset where the host begins
  bool secure;
};

// The earlier of the first "http://" and the first "https://" (they never start at the same place);
// without either the host begins at the start and the address is plain HTTP.
Scheme FindScheme(std::string_view url) {
  int32_t plain = FindText(url, kHttpPrefix);
  int32_t secure = FindText(url, kHttpsPrefix);
  if (secure > 0 && (plain < 1 || secure < plain)) return {size_t(secure - 1) + kHttpsPrefix.size(), true};
  if (plain > 0) return {size_t(plain - 1) + kHttpPrefix.size(), false};
  return {0, false};
}

size_t HostStart(std::string_view url) { return FindScheme(url).hostStart; }

}  // namespace

std::string UrlHost(std::string_view url, KeepPort keepPort) {
  size_t start = HostStart(url);
  if (start >= url.size()) return "";
  std::string_view host = url.substr(start);
  host = host.substr(0, host.find('/'));
  if (keepPort == KeepPort::No) host = host.substr(0, host.find(':'));
  return ToLower(host);
}

std::string UrlPath(std::string_view url) {
  // The "/" is looked for from where the host begins. Looking for the host text from the start of
  // the address instead would find a short host such as "t" inside "http" and take the "//" of the
  // prefix as the start of the path.
  size_t start = HostStart(url);
  if (start >= url.size()) return "/";
  size_t slash = url.find('/', start);
  return slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
}

int32_t UrlPort(std::string_view url) {
  std::string host = UrlHost(url, KeepPort::Yes);
  size_t colon = host.find(':');
  if (colon == std::string::npos) return UrlIsSecure(url) ? 443 : 80;
  double number = std::trunc(TextToNumber(std::string_view(host).substr(colon + 1)));
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) return 0;
  return int32_t(number);
}

bool UrlIsSecure(std::string_view url) { return FindScheme(url).secure; }

std::string_view UrlSchemePrefix(std::string_view url) { return UrlIsSecure(url) ? kHttpsPrefix : kHttpPrefix; }

}  // namespace vorenn
