// Request bodies as the server reads them: form decoding, the GBK field rules and the JSON text
// written back. Checks that accepted fields convert, and that every answer text is pure ASCII JSON.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "server/form.h"
#include "server/json_writer.h"
#include "server/text_rules.h"

namespace {

using namespace vorenn::server;

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireAsciiString(const std::string& json) {
  Require(json.size() >= 2 && json.front() == '"' && json.back() == '"');
  for (unsigned char c : json) Require(c >= 0x20 && c < 0x7f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view body(reinterpret_cast<const char*>(data), size);
  FormFields fields;
  if (!ParseFormInto(body, fields)) return 0;
  for (const auto& [key, value] : fields) {
    Require(key.find('\0') == std::string::npos && value.find('\0') == std::string::npos);
    auto utf8 = GbkToUtf8(value);
    // A field that passes any rule is well-formed GBK, so it can be stored.
    if (!CheckAccountName(value) || !CheckPassword(value) || !CheckCharacterName(value) ||
        (!value.empty() && !CheckEmail(value))) {
      Require(utf8.has_value());
    }
    if (utf8) RequireAsciiString(JsonString(*utf8));
    RequireAsciiString(JsonString(value));
    RequireAsciiString(JsonString(key));
  }
  return 0;
}
