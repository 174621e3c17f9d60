// Stepwise conversion between two character sets named as iconv names them ("GBK", "UTF-8",
// "UTF-32LE"): the system's iconv on Linux, code page 936 and our own UTF codecs on Windows.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace vorenn::platform {

enum class CharsetStep {
  Done,        // all input consumed and written
  OutputFull,  // stopped for room; call again with more output space
  Invalid,     // an invalid input sequence or a character the target cannot represent
  Incomplete,  // the input ends inside a sequence
};

class CharsetConverter {
 public:
  virtual ~CharsetConverter() = default;
  // Converts from *in (inLeft bytes) into *out (outLeft bytes), advancing both.
  virtual CharsetStep Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) = 0;
  // Writes whatever the converter still holds (shift sequences).
  virtual CharsetStep Finish(char*& out, size_t& outLeft) = 0;
};

// A converter between two character sets, or null when the pair is not supported.
std::unique_ptr<CharsetConverter> OpenCharsetConverter(std::string_view from, std::string_view to);

}  // namespace vorenn::platform
