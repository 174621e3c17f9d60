// The request's form fields. The game client joins "key=value" pairs with '&' and sends values as
// raw GBK bytes without escaping them; other clients percent-encode. Both are read the same way:
// "%XX" is decoded, everything else is taken literally: '+' (the game client sends a typed '+' as
// it is) and a '%' that does not start an escape (a typed "50%" must not make the request fail).
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace vorenn::server {

using FormFields = std::map<std::string, std::string, std::less<>>;

// Adds the pairs of `text` to `fields`; a key seen again keeps its first value. A pair without '='
// is a key with an empty value; empty pairs are skipped. Returns false when a decoded key or value
// holds a zero byte (no player types one; it would cut the text short further on), and then leaves
// `fields` as it was.
[[nodiscard]] bool ParseFormInto(std::string_view text, FormFields& fields);

// Decodes "%XX" escapes; a '%' without two hexadecimal digits after it stays as it is.
std::string PercentDecode(std::string_view text);

}  // namespace vorenn::server
