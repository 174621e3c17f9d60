#include "json/json_parser.h"

#include "commands/conversion_commands.h"
#include "commands/file_table.h"
#include "commands/text_commands.h"
#include "json/json_number.h"

namespace vorenn {

using namespace json_tag;

const char kJsonErrorEmpty[] = "要解析的JSON内容为空";
const char kJsonErrorFormat[] = "JSON文本格式不正确";
const char kJsonErrorUnquotedName[] = "解析出错，对象名称必须带引号";
const char kJsonErrorNoColon[] = "解析出错，未找到分割符 \":\"";
const char kJsonErrorStructure[] = "解析出错，JSON格式不正确";

std::string JsonErrorUnknownSymbol(std::string_view token) {
  return "未知的符号“" + std::string(token) + "”";
}

// Byte-at-a-time access to an open in-memory file, or to a text held in memory. The file is looked
// up once per public call rather than once per byte; a number that is not open reads as an empty
// stream. Parse reads its text directly: it is the same bytes a file of its own would hold.
class JsonParser::Reader {
 public:
  explicit Reader(FileNumber stream) : file_(FindFile(stream)) {}
  explicit Reader(std::string_view text) : text_(text) {}
  bool Next(char& c) {
    if (file_ != nullptr) return file_->Read(&c, 1) == 1;
    if (at_ == text_.size()) return false;
    c = text_[at_++];
    return true;
  }
  // In-memory text only: the bytes not read yet, and moving past some of them.
  bool HoldsText() const { return file_ == nullptr; }
  std::string_view Rest() const { return text_.substr(at_); }
  void Skip(size_t n) { at_ += n; }
  // Steps back over the byte just read (a seek of -1 from the current position).
  void Back() {
    if (file_ != nullptr) {
      file_->SetPosition(file_->Position() - 1);
    } else if (at_ > 0) {
      --at_;
    }
  }

 private:
  std::shared_ptr<FileObject> file_;
  std::string_view text_;
  size_t at_ = 0;
};

namespace {

// True when the text is nothing but ASCII spaces and full-width spaces (A1 A1): what trimming
// would leave empty, found without copying a document.
bool OnlySpaces(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
    } else if (text[i] == '\xA1' && i + 1 < text.size() && text[i + 1] == '\xA1') {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

// Where a string token ends, fed one byte at a time after its opening quote. A quote preceded by
// an odd number of backslashes is escaped; an even number are escaped backslashes, and the quote
// closes the string. A double-byte character is taken whole, so a trail byte 0x5C (the second half
// of 誠, 謀 and a hundred more) is not a backslash. A lead byte pairs only with a byte of the trail
// range: a quote or line break after it is still one.
class StringEnd {
 public:
  enum Outcome { kMore, kClosed, kLineBreak };
  Outcome Feed(char c) {
    auto b = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') return kLineBreak;
    const bool trail = afterLead_ && b >= 0x40;
    afterLead_ = false;
    if (trail) return kMore;
    if (c == '"' && backslashes_ % 2 == 0) return kClosed;
    afterLead_ = IsLeadByte(b);
    backslashes_ = c == '\\' ? backslashes_ + 1 : 0;
    return kMore;
  }

 private:
  size_t backslashes_ = 0;
  bool afterLead_ = false;
};

JsonParseResult Failure(std::string error) {
  JsonParseResult r;
  r.ok = 0;
  r.error = std::move(error);
  r.value = std::make_unique<JsonValue>();
  return r;
}

}  // namespace

JsonParser::JsonParser()
    : symbols_("{[]},:"),
      numberChars_("e-+0123456789."),
      whitespace_("\x08\x09\x0A\x0C\x0D\x20"),
      indentText_("    ") {
  BuildClasses();
}

void JsonParser::BuildClasses() {
  classes_.fill(0);
  for (char c : symbols_) classes_[uint8_t(c)] |= kSymbol;
  for (char c : numberChars_) classes_[uint8_t(c)] |= kNumberChar;
  for (char c : whitespace_) classes_[uint8_t(c)] |= kBlank;
}

JsonParser::~JsonParser() = default;

std::unique_ptr<JsonParser> JsonParser::Copy() const {
  auto copy = std::make_unique<JsonParser>();
  copy->symbols_ = symbols_;
  copy->numberChars_ = numberChars_;
  copy->whitespace_ = whitespace_;
  copy->indentText_ = indentText_;
  copy->BuildClasses();
  return copy;
}

void JsonParser::SetIndent(std::string_view text) { indentText_ = std::string(text); }

std::unique_ptr<JsonValue> JsonParser::MakeLong(int64_t value) const {
  auto v = std::make_unique<JsonValue>();
  v->SetLong(value);
  return v;
}

std::unique_ptr<JsonValue> JsonParser::MakeFloat(double value) const {
  auto v = std::make_unique<JsonValue>();
  v->SetFloat(value);
  return v;
}

std::unique_ptr<JsonValue> JsonParser::MakeText(std::string_view text) const {
  auto v = std::make_unique<JsonValue>();
  v->SetText(text);
  return v;
}

std::unique_ptr<JsonValue> JsonParser::MakeBoolean(bool value) const {
  auto v = std::make_unique<JsonValue>();
  v->SetBoolean(value);
  return v;
}

std::unique_ptr<JsonValue> JsonParser::MakeNull() const { return std::make_unique<JsonValue>(); }

bool JsonParser::IsNumberText(std::string_view text) const {
  if (text.empty()) return false;
  for (char c : text) {
    if (!InSet(c, kNumberChar)) return false;
  }
  return true;
}

std::string JsonParser::ReadSignificantChar(FileNumber stream) const {
  Reader in(stream);
  return ReadSignificantCharFrom(in);
}

std::string JsonParser::ReadSignificantCharFrom(Reader& in) const {
  char c;
  while (in.Next(c)) {
    if (!InSet(c, kBlank)) return std::string(1, c);
  }
  return std::string();
}

std::string JsonParser::ReadToken(FileNumber stream) const {
  Reader in(stream);
  return ReadTokenFrom(in);
}

std::string JsonParser::ReadTokenFrom(Reader& in) const {
  std::string token = ReadSignificantCharFrom(in);
  if (token.empty() || InSet(token[0], kSymbol)) return token;
  if (in.HoldsText()) return ReadTokenRest(in, std::move(token));
  char c;
  if (token[0] == '"') {
    StringEnd end;
    while (in.Next(c)) {
      StringEnd::Outcome o = end.Feed(c);
      if (o == StringEnd::kLineBreak) return std::string();
      token += c;
      if (o == StringEnd::kClosed) return token;
    }
    return std::string();
  }
  const bool number = InSet(token[0], kNumberChar);
  while (in.Next(c)) {
    if (number ? !InSet(c, kNumberChar) : InSet(c, kSymbol)) {
      in.Back();
      break;
    }
    token += c;
  }
  return token;
}

// The same rules over text in memory: the token's end is found first and its bytes appended at
// once, and the reader stops where the byte-at-a-time reading would.
std::string JsonParser::ReadTokenRest(Reader& in, std::string token) const {
  std::string_view rest = in.Rest();
  size_t end = 0;
  if (token[0] == '"') {
    StringEnd scan;
    for (; end < rest.size(); ++end) {
      StringEnd::Outcome o = scan.Feed(rest[end]);
      if (o == StringEnd::kLineBreak) break;
      if (o == StringEnd::kClosed) {
        in.Skip(end + 1);
        return token.append(rest.data(), end + 1);
      }
    }
    in.Skip(end < rest.size() ? end + 1 : end);  // past the line break, as a read of it would
    return std::string();
  }
  const bool number = InSet(token[0], kNumberChar);
  while (end < rest.size() && (number ? InSet(rest[end], kNumberChar) : !InSet(rest[end], kSymbol))) ++end;
  in.Skip(end);
  return token.append(rest.data(), end);
}

std::string JsonParser::UnescapeText(std::string_view text) const {
  if (text.find('\\') == std::string_view::npos) return std::string(text);  // nothing to undo
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      out += c;
      out += text[++i];  // a trail byte is never the start of an escape
      continue;
    }
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    char e = text[i + 1];
    switch (e) {
      case '"': out += '"'; break;
      case '/': out += '/'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'b': out += '\x08'; break;
      case 'f': out += '\x0C'; break;
      case '\\': out += '\\'; break;
      default:
        out += c;  // "\u" and unknown escapes stay; the next character is read on its own
        continue;
    }
    ++i;
  }
  return out;
}

std::unique_ptr<JsonValue> JsonParser::Parse(std::string_view text, int32_t* ok, std::string* error) const {
  auto fail = [&](const char* message) {
    if (ok) *ok = 0;
    if (error) *error = message;
    return std::make_unique<JsonValue>();
  };
  if (OnlySpaces(text)) return fail(kJsonErrorEmpty);

  Reader start(text);
  std::string first = ReadSignificantCharFrom(start);
  if (first != "{" && first != "[") return fail(kJsonErrorFormat);
  Reader in(text);
  JsonParseResult result = ParseValueAt(in, 0);
  if (ok) *ok = result.ok;
  if (error) *error = result.ok ? std::string() : result.error;
  if (!result.ok) result.value->Clear();
  return std::move(result.value);
}

JsonParseResult JsonParser::ParseValue(FileNumber stream) const {
  Reader in(stream);
  return ParseValueAt(in, 0);
}

JsonParseResult JsonParser::ParseValueAt(Reader& in, int depth) const {
  std::string tok = ReadTokenFrom(in);
  if (tok.empty()) return Failure(kJsonErrorFormat);
  if ((tok == "{" || tok == "[") && depth >= kMaxJsonDepth) return Failure(kJsonErrorStructure);

  JsonParseResult result;
  result.ok = 1;
  if (tok != "{" && tok != "[") {
    result.value = ParseScalar(tok);
    return result;
  }
  result.value = std::make_unique<JsonValue>();
  JsonValue& value = *result.value;
  if (tok == "{") {
    value.TypeName(kObject, /*set=*/true);
    tok = ReadTokenFrom(in);
    while (tok != "}" && !tok.empty()) {
      if (tok[0] != '"') return Failure(kJsonErrorUnquotedName);
      std::string name = UnescapeText(std::string_view(tok).substr(1, tok.size() - 2));
      if (ReadTokenFrom(in) != ":") return Failure(kJsonErrorNoColon);
      JsonParseResult child = ParseValueAt(in, depth + 1);
      if (!child.ok) return child;
      value.SetMember(name, *child.value);
      tok = ReadTokenFrom(in);
      if (tok != ",") break;
      tok = ReadTokenFrom(in);
    }
    if (tok != "}") return Failure(kJsonErrorStructure);
    return result;
  }
  if (tok == "[") {
    value.TypeName(kArray, /*set=*/true);
    for (;;) {
      JsonParseResult child = ParseValueAt(in, depth + 1);
      if (!child.ok) return child;
      if (child.value->TypeName() == kUnknown) {
        // An unknown token here is what closes or breaks the array: "]" (also after a trailing
        // comma) or a stray symbol or word.
        std::string content = child.value->AsText();
        if (content == "]") return result;
        return Failure(JsonErrorUnknownSymbol(content));
      }
      value.Append(*child.value);
      tok = ReadTokenFrom(in);
      if (tok == "]") return result;
      if (tok.empty()) return Failure(kJsonErrorStructure);
      if (tok != ",") return Failure(JsonErrorUnknownSymbol(tok));
    }
  }
  return result;
}

std::unique_ptr<JsonValue> JsonParser::ParseScalar(const std::string& token) const {
  auto value = std::make_unique<JsonValue>();
  if (token == "null") return value;
  if (token == "true" || token == "false") {
    value->SetBoolean(token == "true");
  } else if (IsNumberText(token)) {
    const bool exponent = token.find('e') != std::string::npos;
    if (token.size() >= 10 || exponent) {
      value->SetBigNumber(exponent ? ExpandExponent(token) : token);
    } else if (token.find('.') == std::string::npos) {
      value->SetLong(int64_t(TextToNumber(token)));
    } else {
      value->SetFloat(TextToNumber(token));
    }
  } else if (token[0] == '"') {
    // A string token always ends in its closing quote.
    value->SetText(UnescapeText(std::string_view(token).substr(1, token.size() - 2)));
  } else {
    value->SetText(token);
    value->TypeName(kUnknown, /*set=*/true);
  }
  return value;
}

}  // namespace vorenn
