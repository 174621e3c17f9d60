// The request's header text and method rules, as the worker applies them before sending.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorenn {

// The header text H: the caller's extra lines (each already ending in "\r\n"), then, when a
// case-insensitive probe does not find them anywhere in H, the default accept line, "Referer: " +
// url and "Accept-Language: zh-cn", in that order.
std::string CompleteHeaders(std::string_view extraHeaders, std::string_view url);

// POST additions to H: the default content type unless "Content-Type: " is present, then always
// "Content-Length: " + bodyLength.
void AddPostHeaders(std::string& headers, size_t bodyLength);

enum class RequestMethod { Get, Post, Unsupported };
// Empty or "GET" in any letter case is a GET, "POST" in any letter case a POST; the method text
// itself is sent as written.
RequestMethod ClassifyMethod(std::string_view method);

// A proxy, user name or password counts as supplied when something remains after removing every
// half-width and full-width blank; the text itself is used unstripped.
bool IsSupplied(std::string_view text);

}  // namespace vorenn
