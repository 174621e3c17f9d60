// Texts that come from players: GBK bytes as received, checked against the field rules and turned
// into UTF-8 for storage. Every check returns the message the player sees, or nothing when the
// text is acceptable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorenn::server {

// UTF-8 for well-formed GBK, nullopt otherwise (a stray lead byte, a bad trail byte, a code that
// GBK does not assign).
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// Each returns nullopt when the text obeys the rule, else the explanation for the player.
std::optional<std::string> CheckAccountName(std::string_view gbk);    // 3..20 bytes: letters, digits, GBK characters
std::optional<std::string> CheckPassword(std::string_view gbk);       // 6..64 bytes, no control characters
std::optional<std::string> CheckCharacterName(std::string_view gbk);  // 1..16 bytes, no control characters
std::optional<std::string> CheckEmail(std::string_view gbk);          // empty, or up to 64 bytes with one '@'

// The form of a UTF-8 name under which two names count as the same: blanks trimmed at both ends,
// full-width ASCII forms and the ideographic space made half-width, ASCII letters in lower case, and
// Cyrillic and Greek letters that look like Latin ones replaced by those. "Alice", "alice ",
// "Ａｌｉｃｅ" and "Аlice" (Cyrillic А) share one key. Exact bytes still identify an account when it
// signs in; the key only decides whether a new name is free.
std::string NameKey(std::string_view utf8);

}  // namespace vorenn::server
