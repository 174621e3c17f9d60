// One character at a time between code page 936 (the program's GBK), UTF-8, UTF-32LE and Unicode
// code points, for the text edge and the encoding conversion on Windows, which has no iconv.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorenn::platform::win32 {

enum class Decoded { Ok, Invalid, Incomplete };

// The character at p (left bytes): its code point and its length in bytes.
Decoded DecodeGbk(const char* p, size_t left, uint32_t* codePoint, size_t* length);
Decoded DecodeUtf8(const char* p, size_t left, uint32_t* codePoint, size_t* length);

// Writes the code point into out (room for 4 bytes); its length, or 0 when code page 936 has no
// such character (no near match is taken in its place).
size_t EncodeGbk(uint32_t codePoint, char* out);
size_t EncodeUtf8(uint32_t codePoint, char* out);

}  // namespace vorenn::platform::win32
