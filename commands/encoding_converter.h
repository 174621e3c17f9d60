// The stepwise converters behind ConvertEncoding: iconv itself, and the "JAVA" escape codec
// layered over it through UTF-32.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace vorenn::encoding {

enum class Step {
  Done,        // all input consumed and written
  OutputFull,  // stopped for room; call again with more output space
  Invalid,     // an invalid input sequence or a character the target cannot represent
  Incomplete,  // the input ends inside a sequence
};

class Converter {
 public:
  virtual ~Converter() = default;
  // Converts from *in (inLeft bytes) into *out (outLeft bytes), advancing both.
  virtual Step Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) = 0;
  // Writes whatever the converter still holds (shift sequences, pending escapes).
  virtual Step Finish(char*& out, size_t& outLeft) = 0;
};

// A converter between two encodings, or null when the pair is not supported.
std::unique_ptr<Converter> OpenConverter(std::string_view from, std::string_view to);

}  // namespace vorenn::encoding
