// Parse over arbitrary bytes, then everything the game and the writer do with what it returns:
// walking members and elements, the scalar getters, "\u" decoding, both layouts of the writer and
// the blob round trip. Parse must always answer with ok 0 or 1 and an error text exactly when it
// failed; a failed parse gives a null value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_parser.h"

namespace {

using namespace vorenn;

void Check(bool ok) {
  if (!ok) std::abort();
}

void Walk(const JsonValue& value, int& budget) {
  if (--budget < 0) return;
  std::string blob = value.ToBlob();
  Check(JsonValue::FromBlob(blob)->ToBlob() == blob);
  (void)value.AsLong();
  (void)value.AsFloat();
  (void)value.AsBoolean();
  (void)DecodeUnicodeEscapes(value.AsText());
  for (int32_t i = 0; i <= value.ArraySize() + 1; ++i) {
    auto element = value.GetElement(i);
    if (i < 1 || i > value.ArraySize()) Check(element->IsNull());
    Walk(*element, budget);
  }
  std::vector<std::string> names;
  value.MemberNames(names);
  for (const auto& name : names) {
    Check(value.HasMember(name));
    (void)DecodeUnicodeEscapes(name);
    Walk(*value.GetMember(name), budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  JsonParser parser;
  int32_t ok = -1;
  std::string error = "unset";
  auto value = parser.Parse(std::string_view(reinterpret_cast<const char*>(data), size), &ok, &error);
  Check(ok == 0 || ok == 1);
  Check(ok == 1 ? error.empty() : !error.empty() && value->IsNull());
  int budget = 300;  // walking rebuilds every subtree once per level: keep each input cheap
  Walk(*value, budget);
  (void)parser.ToJsonText(*value);
  (void)parser.ToJsonText(*value, /*pretty=*/false, /*sortKeys=*/false);
  (void)DecodeUnicodeEscapes(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
