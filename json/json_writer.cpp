// The writer half of JsonParser: JSON text from values, escaping, indentation; and SortNames.
#include <algorithm>

#include "commands/conversion_commands.h"
#include "commands/text_commands.h"
#include "json/json_parser.h"

namespace vorenn {

using namespace json_tag;

namespace {

void Write(FileNumber stream, std::string_view text) { WriteText(stream, text); }

bool Is(const std::string& tag, const char* kind) { return CompareText(tag, kind, CaseMode::kIgnoreAscii) == 0; }

}  // namespace

void SortNames(std::vector<std::string>& names, bool descending) {
  // A stable sort orders exactly as a bubble sort would (equal names keep their order), in
  // n log n comparisons instead of n squared.
  std::stable_sort(names.begin(), names.end(), [descending](const std::string& a, const std::string& b) {
    int c = CompareText(a, b, CaseMode::kExact);
    return descending ? c > 0 : c < 0;
  });
}

std::string JsonParser::ToJsonText(const JsonValue& value, bool pretty, bool sortKeys, int32_t depth) const {
  return WriteValue(value, pretty, sortKeys, depth);
}

std::string JsonParser::WriteValue(const JsonValue& value, bool pretty, bool sortKeys, int32_t depth,
                                   std::optional<FileNumber> stream) const {
  if (stream) {
    WriteInto(value, pretty, sortKeys, depth, *stream);
    return std::string();
  }
  FileNumber own = OpenMemoryFile();
  Write(own, Indent(pretty, depth));
  WriteInto(value, pretty, sortKeys, depth, own);
  SeekToFileStart(own);
  std::vector<uint8_t> bytes = ReadBytes(own, GetFileLength(own));
  CloseFile(own);
  return std::string(bytes.begin(), bytes.end());
}

void JsonParser::WriteInto(const JsonValue& value, bool pretty, bool sortKeys, int32_t depth,
                           FileNumber stream) const {
  const std::string& tag = value.Tag();
  if (Is(tag, kBig)) {
    Write(stream, value.AsText());
  } else if (Is(tag, kLong)) {
    Write(stream, std::to_string(value.AsLong()));
  } else if (Is(tag, kFloat)) {
    Write(stream, DoubleToText(value.AsFloat()));
  } else if (Is(tag, kText)) {
    Write(stream, EscapeText(value.AsText()));
  } else if (Is(tag, kArray)) {
    Write(stream, "[" + NewLine(pretty));
    for (int32_t i = 1; i <= value.ArraySize(); ++i) {
      if (i > 1) Write(stream, "," + NewLine(pretty));
      Write(stream, Indent(pretty, depth + 1));
      WriteInto(*value.GetElement(i), pretty, sortKeys, depth + 1, stream);
    }
    Write(stream, NewLine(pretty) + Indent(pretty, depth) + "]");
  } else if (Is(tag, kObject)) {
    Write(stream, "{" + NewLine(pretty));
    std::vector<std::string> names;
    value.MemberNames(names);
    if (sortKeys) SortNames(names);
    for (size_t i = 0; i < names.size(); ++i) {
      if (i > 0) Write(stream, "," + NewLine(pretty));
      Write(stream, Indent(pretty, depth + 1) + EscapeText(names[i]) + (pretty ? " : " : ":"));
      WriteInto(*value.GetMember(names[i]), pretty, sortKeys, depth + 1, stream);
    }
    Write(stream, NewLine(pretty) + Indent(pretty, depth) + "}");
  } else if (Is(tag, kBoolean)) {
    Write(stream, value.AsBoolean() ? "true" : "false");
  } else if (Is(tag, kNull)) {
    Write(stream, "null");
  }
}

std::string JsonParser::EscapeText(std::string_view text) const {
  // Backslashes first, so that the backslashes the later steps add are not doubled again.
  static const std::pair<std::string_view, std::string_view> kSteps[] = {
      {"\\", "\\\\"}, {"\"", "\\\""}, {"/", "\\/"},   {"\r", "\\r"},
      {"\n", "\\n"},  {"\t", "\\t"},  {"\x08", "\\b"}, {"\x0C", "\\f"},
  };
  std::string out(text);
  for (const auto& [from, to] : kSteps) out = ReplaceSubText(out, from, to);
  return "\"" + out + "\"";
}

std::string JsonParser::Indent(bool pretty, int32_t depth) const {
  return pretty ? RepeatText(depth, indentText_) : std::string();
}

std::string JsonParser::NewLine(bool pretty) const { return pretty ? "\r\n" : std::string(); }

}  // namespace vorenn
