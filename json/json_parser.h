// JsonParser: reads JSON text into JsonValues and writes them back as text.
//
// The parser reads its document byte by byte from an in-memory file (commands/memory_file.h), so a
// double-byte GBK character is seen as two bytes. Its dialect:
// - a document must start with "{" or "["; anything after the first complete value is ignored;
// - a comma directly before "]" or "}" is accepted;
// - null, true and false are literals only in lower case; any other word, and a word followed by
//   blanks before the next symbol, is an unknown token (tag "未知"): stored as such in an object,
//   rejected in an array;
// - a number token is any run of the bytes "e-+0123456789."; fewer than 10 of them without "e"
//   make a "长" (no ".") or a "浮点"; 10 or more, or an "e", make a "大数" holding plain digits
//   (exponents expanded);
// - strings may not hold a raw line break; a quote closes a string unless an odd number of
//   backslashes stands right before it; "\u" escapes stay in the text (DecodeUnicodeEscapes);
// - containers nest at most kMaxJsonDepth deep.
// Errors are reported as texts (below), never thrown; a failed parse gives a null value.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/memory_file.h"
#include "json/json_value.h"

namespace vorenn {

constexpr int kMaxJsonDepth = 512;

// Error texts (GBK).
extern const char kJsonErrorEmpty[];         // "要解析的JSON内容为空"
extern const char kJsonErrorFormat[];        // "JSON文本格式不正确"
extern const char kJsonErrorUnquotedName[];  // "解析出错，对象名称必须带引号"
extern const char kJsonErrorNoColon[];       // "解析出错，未找到分割符 ":""
extern const char kJsonErrorStructure[];     // "解析出错，JSON格式不正确"
// "未知的符号“" + token + "”"
std::string JsonErrorUnknownSymbol(std::string_view token);

struct JsonParseResult {
  int32_t ok = 0;
  std::string error;
  std::unique_ptr<JsonValue> value;
};

class JsonParser {
 public:
  JsonParser();
  JsonParser(const JsonParser&) = delete;
  JsonParser& operator=(const JsonParser&) = delete;

  // The operations, in the order of the class's table of virtual operations.
  virtual ~JsonParser();
  virtual std::unique_ptr<JsonParser> Copy() const;  // a parser with the same four fields
  virtual void SetIndent(std::string_view text);
  virtual std::unique_ptr<JsonValue> MakeLong(int64_t value) const;
  virtual std::unique_ptr<JsonValue> MakeFloat(double value) const;
  virtual std::unique_ptr<JsonValue> MakeText(std::string_view text) const;
  virtual std::unique_ptr<JsonValue> MakeBoolean(bool value) const;
  virtual std::unique_ptr<JsonValue> MakeNull() const;
  // Parses a whole document. *ok becomes 1 or 0, *error the error text (empty on success); the
  // result is the value, or a null value on failure. Either out-pointer may be null.
  virtual std::unique_ptr<JsonValue> Parse(std::string_view text, int32_t* ok, std::string* error) const;
  // Parses one value from the position of an in-memory file.
  virtual JsonParseResult ParseValue(FileNumber stream) const;
  // Every byte is one of "e-+0123456789."; false for the empty text.
  virtual bool IsNumberText(std::string_view text) const;
  // The next token at the stream's position: a symbol of "{[]},:", a string with its quotes, a
  // number token, or a word with whatever follows it up to the next symbol. Empty at the end of the
  // stream and for a string that is not closed before a line break or the end. A number or word
  // token leaves the stream on the byte that ended it.
  virtual std::string ReadToken(FileNumber stream) const;
  // The next byte that is not one of 08 09 0A 0C 0D 20, as a one-byte text; empty at the end.
  virtual std::string ReadSignificantChar(FileNumber stream) const;
  // The JSON text of a value (WriteValue into a stream of its own).
  virtual std::string ToJsonText(const JsonValue& value, bool pretty = true, bool sortKeys = true,
                                 int32_t depth = 0) const;
  // Writes the value into `stream`, or, without one, into a stream of its own, starting with the
  // indentation for `depth`, and returns the text written (empty when writing into `stream`).
  // Pretty output puts "\r\n" after opening brackets and between items, indents every item by
  // indentText per level and separates a name from its value by " : ". Tags other than the nine
  // kinds ("未知" too) write nothing.
  virtual std::string WriteValue(const JsonValue& value, bool pretty, bool sortKeys, int32_t depth,
                                 std::optional<FileNumber> stream = std::nullopt) const;
  // The text with \ " / CR LF TAB 08 0C escaped, in double quotes. Non-ASCII bytes stay as they are.
  virtual std::string EscapeText(std::string_view text) const;
  // Undoes the escapes \" \/ \r \n \t \b \f \\ in one left-to-right pass; "\u" escapes and a
  // backslash before any other character stay as they are.
  virtual std::string UnescapeText(std::string_view text) const;
  // Empty when not pretty; otherwise indentText repeated `depth` times.
  virtual std::string Indent(bool pretty, int32_t depth) const;
  // "\r\n" when pretty; otherwise empty.
  virtual std::string NewLine(bool pretty) const;

 private:
  class Reader;
  struct Scratch;
  // The top-level value, built as a JsonValue. Everything inside it is written straight into its
  // members' and elements' blobs, as storing built values would have written them.
  JsonParseResult ParseValueAt(Reader& in, int depth, Scratch& scratch) const;
  // The blob of the value at the reader (ParseBlobAt) or of the one that `token`, just read, starts
  // (ParseBlobFrom), appended to `out`. False with scratch.error set when the text is not valid.
  bool ParseBlobAt(Reader& in, int depth, Scratch& scratch, std::string& out) const;
  bool ParseBlobFrom(std::string_view token, Reader& in, int depth, Scratch& scratch, std::string& out) const;
  void FinishObject(std::string& out, size_t countAt, size_t firstMember, Scratch& scratch) const;
  void AppendScalarBlob(std::string_view token, std::string& out) const;
  // The tokens that ParseScalar gives the tag "未知" (a non-empty token that opens no container).
  bool IsUnknownToken(std::string_view token) const;
  // The next token as ReadToken reads it, without copying one out of text in memory: the result
  // points into the text, or, for a file, into `held`.
  std::string_view NextToken(Reader& in, std::string& held) const;
  std::string_view TextToken(Reader& in) const;
  std::string ReadTokenFrom(Reader& in) const;
  std::string ReadSignificantCharFrom(Reader& in) const;
  std::unique_ptr<JsonValue> ParseScalar(const std::string& token) const;
  void WriteInto(const JsonValue& value, bool pretty, bool sortKeys, int32_t depth, FileNumber stream) const;
  // Which of the three byte sets below each byte belongs to, so that a byte is classed in one step.
  enum CharClass : uint8_t { kSymbol = 1, kNumberChar = 2, kBlank = 4 };
  void BuildClasses();
  bool InSet(char c, CharClass set) const { return (classes_[uint8_t(c)] & set) != 0; }

  std::string symbols_;
  std::string numberChars_;
  std::string whitespace_;
  std::string indentText_;
  std::array<uint8_t, 256> classes_{};
};

// Sorts texts by the case-sensitive text comparison (a double-byte character compares as one
// unit), ascending unless `descending`; equal texts keep their order.
void SortNames(std::vector<std::string>& names, bool descending = false);

// Every "\u" followed by four hexadecimal digits becomes the GBK encoding of that character,
// converted from "JAVA" to "GBK" one escape at a time. An escape that does not convert (a half of a
// surrogate pair, a character GBK lacks, fewer than four characters at the end) is dropped; one
// whose digits are not hexadecimal stays and the search moves on past it.
std::string DecodeUnicodeEscapes(std::string_view text);
// The same into `out`, whose buffer is reused; `text` must not lie in `out`.
void DecodeUnicodeEscapesInto(std::string_view text, std::string& out);

}  // namespace vorenn
