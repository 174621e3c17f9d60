// The stepwise converters behind ConvertEncoding: the system's character-set conversion
// (platform/charset_converter.h), and the "JAVA" escape codec layered over it through UTF-32.
#pragma once

#include <memory>
#include <string_view>

#include "platform/charset_converter.h"

namespace vorenn::encoding {

using Step = platform::CharsetStep;
using Converter = platform::CharsetConverter;

// A converter between two encodings, or null when the pair is not supported.
std::unique_ptr<Converter> OpenConverter(std::string_view from, std::string_view to);

}  // namespace vorenn::encoding
