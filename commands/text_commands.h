// Text commands. Texts are GBK bytes: a byte of 0x80 or more is a lead byte and the byte after it
// belongs to the same character. Lengths and positions count bytes; positions start at 1. Results
// are new strings; the command table turns them into engine blocks (empty -> null).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorenn {

enum class CaseMode { kExact, kIgnoreAscii };

constexpr bool IsLeadByte(unsigned char c) { return c >= 0x80; }

int32_t TextLength(std::string_view text);
// n <= 0 gives the empty text; otherwise the first (last) min(n, length) bytes.
std::string TextLeft(std::string_view text, int32_t n);
std::string TextRight(std::string_view text, int32_t n);
// n bytes from the 1-based start; empty when start is outside the text or n <= 0. These three may
// cut a double-byte character.
std::string TextMiddle(std::string_view text, int32_t start, int32_t n);
// A text of the one byte `code`; code 0 gives the empty text.
std::string CharFromCode(uint8_t code);
// n ASCII spaces; empty for n < 1.
std::string SpaceText(int32_t n);
// The text `count` times (count < 0 counts as 0).
std::string RepeatText(int32_t count, std::string_view text);

// ASCII letters changed, everything else (double-byte characters whole) copied unchanged.
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// Negative, 0 or positive by the first differing character; a double-byte character compares as
// one 16-bit unit (lead byte high), and a text that is a prefix of the other is smaller.
int CompareText(std::string_view a, std::string_view b, CaseMode mode);

// The 1-based position of the first occurrence of `sought` at or after `start` (counted from the
// start of the text), or -1. A match never begins on the trail byte of a double-byte character. An
// empty `sought` gives 1 when any text remains to be searched, else -1.
int32_t FindText(std::string_view text, std::string_view sought, std::optional<int32_t> start = {},
                 CaseMode mode = CaseMode::kExact);

// Removes `length` bytes at the 1-based `start` (all the rest when fewer remain; nothing for a
// negative length) and inserts `replacement` there.
std::string ReplaceText(std::string_view text, int32_t start, int32_t length, std::string_view replacement);

// Replaces occurrences of `sought` from the 1-based `start` on (default 1), at most `count` of them
// (default or negative: all; 0: none). Scanning steps over double-byte characters whole.
std::string ReplaceSubText(std::string_view text, std::string_view sought, std::string_view replacement,
                           std::optional<int32_t> start = {}, std::optional<int32_t> count = {},
                           CaseMode mode = CaseMode::kExact);

// Leading and trailing ASCII spaces and full-width spaces (0xA1 0xA1) removed; other white space
// stays.
std::string TrimText(std::string_view text);
// Every ASCII and full-width space removed.
std::string RemoveAllSpaces(std::string_view text);

}  // namespace vorenn
