// The request's form fields: "key=value" pairs joined by '&'. Values arrive percent-encoded (the
// game client writes every byte but letters, digits and "-._~" as "%XX") or, from clients that do
// not encode, as raw GBK bytes. Both read the same way: "%XX" is decoded and everything else is
// taken literally, including '+' (no client here writes a space as '+'; one that sends raw bytes
// means a typed '+') and a '%' that starts no escape (a typed "50%" must not fail the request).
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
