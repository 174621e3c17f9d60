// GBK <-> UTF-8 at the platform edge (Qt strings, diagnostics). Inside the program texts are GBK.
#pragma once

#include <string>
#include <string_view>

namespace vorenn::platform {

// Bytes that do not convert come out as '?', so the result is always usable.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace vorenn::platform
