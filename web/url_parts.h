// The parts of a request address that the worker connects with. Addresses are GBK texts; only the
// lower-case prefixes "http://" and "https://" are recognised (the one found first counts), and an
// address without either starts with its host and is plain HTTP.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorenn {

enum class KeepPort { No, Yes };

// The host part in lower case (ASCII letters only; double-byte characters untouched): from after
// "http://" or "https://" (or the start) up to the first "/", without ":port" unless keepPort.
// Empty when the address has none.
std::string UrlHost(std::string_view url, KeepPort keepPort);

// The path and query from the first "/" after the host to the end; "/" when there is none.
std::string UrlPath(std::string_view url);

// The number after ":" in the host part, converted as a decimal number and truncated; when there is
// no ":", 443 for an https address and 80 otherwise. The caller decides what to do with a number
// that is no port.
int32_t UrlPort(std::string_view url);

// True when the address begins its host after "https://": the exchange then goes over TLS.
bool UrlIsSecure(std::string_view url);

// "https://" for a secure address, else "http://": the scheme of the cookie URL.
std::string_view UrlSchemePrefix(std::string_view url);

}  // namespace vorenn
