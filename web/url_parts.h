// The parts of a request address that the worker connects with. Addresses are GBK texts; only the
// lower-case prefix "http://" is recognised, and an address without it starts with its host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorenn {

enum class KeepPort { No, Yes };

// The host part in lower case (ASCII letters only; double-byte characters untouched): from after
// "http://" (or the start) up to the first "/", without ":port" unless keepPort. Empty when the
// address has none.
std::string UrlHost(std::string_view url, KeepPort keepPort);

// The path and query from the first "/" after the host to the end; "/" when there is none.
std::string UrlPath(std::string_view url);

// The number after ":" in the host part, converted as a decimal number and truncated; 80 when there
// is no ":". The caller decides what to do with a number that is no port.
int32_t UrlPort(std::string_view url);

}  // namespace vorenn
