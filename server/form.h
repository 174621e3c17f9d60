// The request's form fields. The game client joins "key=value" pairs with '&' and sends values as
// raw GBK bytes without escaping them; other clients percent-encode. Both are read the same way:
// "%XX" is decoded, everything else (including '+') is taken literally, because the game client
// sends a typed '+' as it is.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vorenn::server {

using FormFields = std::map<std::string, std::string, std::less<>>;

// Adds the pairs of `text` to `fields`; a key seen again keeps its first value. A pair without '='
// is a key with an empty value; empty pairs are skipped. Returns false for a malformed escape
// ('%' not followed by two hexadecimal digits) or a decoded key or value holding a zero byte, and
// then leaves `fields` as it was.
[[nodiscard]] bool ParseFormInto(std::string_view text, FormFields& fields);

// Decodes "%XX" escapes; nullopt for a malformed escape.
std::optional<std::string> PercentDecode(std::string_view text);

}  // namespace vorenn::server
