// DecodeUnicodeEscapes: the server writes every non-ASCII character as a "\u" escape.
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "commands/encoding.h"
#include "commands/text_commands.h"
#include "json/json_parser.h"

namespace vorenn {

namespace {

constexpr std::string_view kEscapeStart = "\\u";
constexpr size_t kEscapeLength = 6;  // "\u" and four hexadecimal digits

// One escape (or what is left of one at the end of the text) from "JAVA" to "GBK", read as a text:
// empty when the conversion fails, and cut at a zero byte.
std::string ConvertEscapeOnce(std::string_view escape) {
  auto bytes = ConvertEncoding(escape, "JAVA", "GBK");
  if (!bytes) return std::string();
  return bytes->substr(0, bytes->find('\0'));
}

// The same, remembered per whole escape: the conversion depends on the six bytes alone, and a
// leaderboard repeats the same few hundred characters thousands of times. Bounded, so a text of
// many different characters cannot make it grow without end. The result stays valid until the
// next call; `held` keeps the conversion of a shorter escape.
const std::string& ConvertEscape(std::string_view escape, std::string& held) {
  if (escape.size() != kEscapeLength) return held = ConvertEscapeOnce(escape);
  constexpr size_t kMaxRemembered = 8192;
  thread_local std::unordered_map<uint64_t, std::string> remembered;
  uint64_t key = 0;
  std::memcpy(&key, escape.data(), kEscapeLength);
  auto it = remembered.find(key);
  if (it != remembered.end()) return it->second;
  if (remembered.size() >= kMaxRemembered) remembered.clear();
  return remembered.emplace(key, ConvertEscapeOnce(escape)).first->second;
}

// Where the next "\u" begins at or after `from`, reading whole characters from `from` on (a
// trail byte 0x5C is not a backslash); npos when there is none. What FindText finds in the text
// from `from`.
size_t FindEscapeStart(std::string_view text, size_t from) {
  size_t i = from;
  while (i + 1 < text.size()) {
    const char c = text[i];
    if (c == '\\') {
      if (text[i + 1] == 'u') return i;
      ++i;
    } else {
      i += IsLeadByte(static_cast<unsigned char>(c)) ? 2 : 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string DecodeUnicodeEscapes(std::string_view text) {
  std::string out;
  DecodeUnicodeEscapesInto(text, out);
  return out;
}

void DecodeUnicodeEscapesInto(std::string_view text, std::string& out) {
  // The text is rewritten in place: a converted escape is never longer than the escape, so it is
  // copied over the escape's last bytes and the search starts again where it begins. That is
  // where the search would resume in the rewritten text, so a converted backslash followed by
  // "u" and digits is decoded again, as before, but rewriting costs nothing per escape.
  thread_local std::string work;
  thread_local std::string held;
  work.assign(text);
  out.clear();
  out.reserve(work.size());
  size_t at = 0;  // out + work[at..] is the text so far
  for (;;) {
    size_t p = FindEscapeStart(work, at);
    if (p == std::string_view::npos) break;
    out.append(work, at, p - at);
    size_t length = std::min(kEscapeLength, work.size() - p);
    const std::string& converted = ConvertEscape(std::string_view(work).substr(p, length), held);
    if (converted.compare(0, kEscapeStart.size(), kEscapeStart) == 0) {
      // The escape came back as it was (its digits are not hexadecimal): keep the backslash and
      // search on from the next character, or the same escape would be found forever.
      out += '\\';
      at = p + 1;
      continue;
    }
    if (converted.size() > length) {  // not expected of "GBK"; keep the text whole all the same
      out += converted;
      at = p + length;
      continue;
    }
    at = p + length - converted.size();
    work.replace(at, converted.size(), converted);
  }
  out.append(work, at, std::string::npos);
}

}  // namespace vorenn
