// Remembers the last conversions of large amounts between decimal text and GMP. A player's total
// runs to thousands of digits and each request converts it once or twice (read from the database,
// written back, put in the answer), mostly to and from a value converted a moment earlier: a total
// the writer just stored is the one the answer shows, and the text a read finds is the one last
// written. Keyed by the value and by the text themselves, so an entry is never out of date.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "server/game_rules.h"

namespace vorenn::server::amount_memo {

// Amounts shorter than this are converted directly: remembering them costs more than it saves.
inline constexpr size_t kMinimumDigits = 200;

// The text of `value` if it was converted lately.
std::optional<std::string> TextOf(const Amount& value);
// The value of `text` (as ParseAmount reads it) if it was converted lately.
std::optional<Amount> ValueOf(std::string_view text);
// Remembers one conversion; `text` must be FormatAmount(value).
void Remember(const Amount& value, std::string_view text);

}  // namespace vorenn::server::amount_memo
