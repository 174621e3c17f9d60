// The encoding-conversion library (library 2): ConvertEncoding over the system's character-set conversion, with the
// "JAVA" encoding added on top of it.
//
// "JAVA" is ASCII text in which a backslash, "u" and four hexadecimal digits stand for one UTF-16
// code unit; a high and a low surrogate written as two such escapes make one character.
// - As a source: bytes 0x00-0x7F pass through; a backslash not followed by "u" and four hexadecimal
//   digits is itself. Invalid input: any byte 0x80 or above, a lone surrogate half. Incomplete
//   input: the text ends inside an escape ("\u" and fewer than four digits, or a high surrogate
//   without its low half).
// - As a target: ASCII characters are written as they are, every other character as "\u" and four
//   lower-case hexadecimal digits (two escapes beyond U+FFFF).
// Encoding names are matched without regard to case.
#pragma once

#include <cstddef>  // engine/core/runtime_value.h uses offsetof
#include <optional>
#include <string>
#include <string_view>

#include "engine/core/library.h"

namespace vorenn {

// The input converted from `from` to `to`. nullopt when the pair is not supported, when the input is
// invalid or incomplete in `from`, when a character cannot be represented in `to`, or when the
// output outgrows what 12 conversion steps can make room for. An empty input converts to "".
std::optional<std::string> ConvertEncoding(std::string_view input, std::string_view from, std::string_view to);

// Command 0 of library 2: (bytes; source name text; target name text; [bool variable]) -> bytes.
// The optional variable argument (type word of bool) carries the address of an int32 variable; it
// is set to 0 first and to 1 on success. Every failure gives the empty byte array.
void CmdConvertEncoding(RuntimeValue* result, int argc, RuntimeValue* args);

constexpr int kEncodingCommandCount = 1;
extern const CommandFn kEncodingCommands[kEncodingCommandCount];
const LibraryDescriptor& EncodingLibrary();

}  // namespace vorenn
