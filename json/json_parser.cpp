#include "json/json_parser.h"

#include <algorithm>
#include <cstring>

#include "commands/conversion_commands.h"
#include "commands/file_table.h"
#include "commands/map.h"
#include "commands/text_commands.h"
#include "json/internal/blob_fields.h"
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

// Appends the text with the escapes \" \/ \r \n \t \b \f \\ undone (UnescapeText).
void AppendUnescaped(std::string_view text, std::string& out) {
  if (text.find('\\') == std::string_view::npos) {  // nothing to undo
    out.append(text);
    return;
  }
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
}

// The bytes between a string token's quotes; a string token always ends in its closing quote.
std::string_view StringContent(std::string_view token) { return token.substr(1, token.size() - 2); }

// Where each member of an object being written lies in the output, as offsets of its name's and
// its blob's bytes.
struct MemberAt {
  size_t name, nameSize, blob, blobSize;
};

JsonParseResult Failure(std::string error) {
  JsonParseResult r;
  r.ok = 0;
  r.error = std::move(error);
  r.value = std::make_unique<JsonValue>();
  return r;
}

}  // namespace

// Buffers of one parse, reused from value to value.
struct JsonParser::Scratch {
  std::string held;              // the last token read from a file
  std::string error;             // why ParseBlobAt failed
  std::vector<MemberAt> members;  // the members of the objects being written, innermost last
  std::string reordered;         // an object's members put into key order
};

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

// Byte at a time, from a file: the stream stops on the byte after the token, or on the one that
// ended a number or word token.
std::string JsonParser::ReadTokenFrom(Reader& in) const {
  if (in.HoldsText()) return std::string(TextToken(in));
  std::string token = ReadSignificantCharFrom(in);
  if (token.empty() || InSet(token[0], kSymbol)) return token;
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

// The same rules over text in memory: the token's end is found first, and the reader stops where
// the byte-at-a-time reading would.
std::string_view JsonParser::TextToken(Reader& in) const {
  std::string_view rest = in.Rest();
  size_t at = 0;
  while (at < rest.size() && InSet(rest[at], kBlank)) ++at;
  if (at == rest.size()) {
    in.Skip(at);
    return {};
  }
  const size_t start = at++;
  const char first = rest[start];
  if (InSet(first, kSymbol)) {
    in.Skip(at);
    return rest.substr(start, 1);
  }
  if (first == '"') {
    StringEnd scan;
    for (; at < rest.size(); ++at) {
      StringEnd::Outcome o = scan.Feed(rest[at]);
      if (o == StringEnd::kLineBreak) break;
      if (o == StringEnd::kClosed) {
        in.Skip(at + 1);
        return rest.substr(start, at + 1 - start);
      }
    }
    in.Skip(at < rest.size() ? at + 1 : at);  // past the line break, as a read of it would
    return {};
  }
  const bool number = InSet(first, kNumberChar);
  while (at < rest.size() && (number ? InSet(rest[at], kNumberChar) : !InSet(rest[at], kSymbol))) ++at;
  in.Skip(at);
  return rest.substr(start, at - start);
}

std::string_view JsonParser::NextToken(Reader& in, std::string& held) const {
  if (in.HoldsText()) return TextToken(in);
  held = ReadTokenFrom(in);
  return held;
}

std::string JsonParser::UnescapeText(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  AppendUnescaped(text, out);
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
  Scratch scratch;
  JsonParseResult result = ParseValueAt(in, 0, scratch);
  if (ok) *ok = result.ok;
  if (error) *error = result.ok ? std::string() : result.error;
  if (!result.ok) result.value->Clear();
  return std::move(result.value);
}

JsonParseResult JsonParser::ParseValue(FileNumber stream) const {
  Reader in(stream);
  Scratch scratch;
  return ParseValueAt(in, 0, scratch);
}

JsonParseResult JsonParser::ParseValueAt(Reader& in, int depth, Scratch& scratch) const {
  std::string_view tok = NextToken(in, scratch.held);
  if (tok.empty()) return Failure(kJsonErrorFormat);
  const bool open = tok == "{" || tok == "[";
  if (open && depth >= kMaxJsonDepth) return Failure(kJsonErrorStructure);

  JsonParseResult result;
  result.ok = 1;
  if (!open) {
    result.value = ParseScalar(std::string(tok));
    return result;
  }
  result.value = std::make_unique<JsonValue>();
  JsonValue& value = *result.value;
  if (tok == "{") {
    value.TypeName(kObject, /*set=*/true);
    tok = NextToken(in, scratch.held);
    while (tok != "}" && !tok.empty()) {
      if (tok[0] != '"') return Failure(kJsonErrorUnquotedName);
      std::string name = UnescapeText(StringContent(tok));
      if (NextToken(in, scratch.held) != ":") return Failure(kJsonErrorNoColon);
      std::string blob;
      if (!ParseBlobAt(in, depth + 1, scratch, blob)) return Failure(std::move(scratch.error));
      value.TakeMemberBlob(name, std::move(blob));  // a member without a name is not stored
      tok = NextToken(in, scratch.held);
      if (tok != ",") break;
      tok = NextToken(in, scratch.held);
    }
    if (tok != "}") return Failure(kJsonErrorStructure);
    return result;
  }
  value.TypeName(kArray, /*set=*/true);
  for (;;) {
    tok = NextToken(in, scratch.held);
    if (tok.empty()) return Failure(kJsonErrorFormat);
    if (IsUnknownToken(tok)) {
      // An unknown token here is what closes or breaks the array: "]" (also after a trailing
      // comma) or a stray symbol or word.
      if (tok == "]") return result;
      return Failure(JsonErrorUnknownSymbol(tok));
    }
    std::string blob;
    if (!ParseBlobFrom(tok, in, depth + 1, scratch, blob)) return Failure(std::move(scratch.error));
    value.TakeElementBlob(std::move(blob));
    tok = NextToken(in, scratch.held);
    if (tok == "]") return result;
    if (tok.empty()) return Failure(kJsonErrorStructure);
    if (tok != ",") return Failure(JsonErrorUnknownSymbol(tok));
  }
}

bool JsonParser::ParseBlobAt(Reader& in, int depth, Scratch& scratch, std::string& out) const {
  std::string_view tok = NextToken(in, scratch.held);
  if (tok.empty()) {
    scratch.error = kJsonErrorFormat;
    return false;
  }
  return ParseBlobFrom(tok, in, depth, scratch, out);
}

// Writes what ParseValueAt would build and storing it would write: the same tokens in the same
// order give the same blob and the same error.
bool JsonParser::ParseBlobFrom(std::string_view tok, Reader& in, int depth, Scratch& scratch, std::string& out) const {
  using json_blob::AppendField;
  using json_blob::CloseField;
  using json_blob::OpenField;
  auto fail = [&](std::string error) {
    scratch.error = std::move(error);
    return false;
  };
  const bool open = tok == "{" || tok == "[";
  if (open && depth >= kMaxJsonDepth) return fail(kJsonErrorStructure);
  if (!open) {
    AppendScalarBlob(tok, out);
    return true;
  }
  if (tok == "{") {
    AppendField(out, kObject);
    const size_t countAt = out.size();
    json_blob::AppendFixed(out, int32_t(0));
    const size_t first = scratch.members.size();
    tok = NextToken(in, scratch.held);
    while (tok != "}" && !tok.empty()) {
      if (tok[0] != '"') return fail(kJsonErrorUnquotedName);
      const size_t nameAt = OpenField(out);
      AppendUnescaped(StringContent(tok), out);
      CloseField(out, nameAt);
      const size_t nameSize = out.size() - nameAt - sizeof(int32_t);
      if (NextToken(in, scratch.held) != ":") return fail(kJsonErrorNoColon);
      const size_t blobAt = OpenField(out);
      if (!ParseBlobAt(in, depth + 1, scratch, out)) return false;
      CloseField(out, blobAt);
      if (nameSize == 0) {
        out.resize(nameAt);  // a member without a name is not stored
      } else {
        scratch.members.push_back({nameAt + sizeof(int32_t), nameSize, blobAt + sizeof(int32_t),
                                   out.size() - blobAt - sizeof(int32_t)});
      }
      tok = NextToken(in, scratch.held);
      if (tok != ",") break;
      tok = NextToken(in, scratch.held);
    }
    if (tok != "}") return fail(kJsonErrorStructure);
    FinishObject(out, countAt, first, scratch);
    return true;
  }
  AppendField(out, kArray);
  const size_t countAt = out.size();
  json_blob::AppendFixed(out, int32_t(0));
  int32_t count = 0;
  for (;;) {
    tok = NextToken(in, scratch.held);
    if (tok.empty()) return fail(kJsonErrorFormat);
    if (IsUnknownToken(tok)) {
      if (tok != "]") return fail(JsonErrorUnknownSymbol(tok));
      break;
    }
    const size_t at = OpenField(out);
    if (!ParseBlobFrom(tok, in, depth + 1, scratch, out)) return false;
    CloseField(out, at);
    ++count;
    tok = NextToken(in, scratch.held);
    if (tok == "]") break;
    if (tok.empty()) return fail(kJsonErrorStructure);
    if (tok != ",") return fail(JsonErrorUnknownSymbol(tok));
  }
  std::memcpy(out.data() + countAt, &count, sizeof count);
  return true;
}

// An object's members were written in the order read. A value keeps its members in a map, in key
// order, where a later member replaces an earlier one of the same name; when the names were not
// read in strictly rising key order, the members are written again in that order.
void JsonParser::FinishObject(std::string& out, size_t countAt, size_t first, Scratch& scratch) const {
  auto name = [&](const MemberAt& m) { return std::string_view(out).substr(m.name, m.nameSize); };
  auto begin = scratch.members.begin() + std::ptrdiff_t(first);
  auto end = scratch.members.end();
  const MapKeyOrder less;
  const bool ordered = std::adjacent_find(begin, end, [&](const MemberAt& a, const MemberAt& b) {
                         return !less(name(a), name(b));
                       }) == end;
  if (!ordered) {
    std::stable_sort(begin, end, [&](const MemberAt& a, const MemberAt& b) { return less(name(a), name(b)); });
    // Of equal names, the last one read is kept.
    std::vector<MemberAt> kept;
    for (auto it = begin; it != end; ++it) {
      if (!kept.empty() && !less(name(kept.back()), name(*it))) kept.pop_back();
      kept.push_back(*it);
    }
    std::string& members = scratch.reordered;
    members.clear();
    for (const MemberAt& m : kept) {
      json_blob::AppendField(members, name(m));
      json_blob::AppendField(members, std::string_view(out).substr(m.blob, m.blobSize));
    }
    out.resize(countAt + sizeof(int32_t));
    out += members;
    scratch.members.erase(begin, end);
    scratch.members.insert(scratch.members.end(), kept.begin(), kept.end());
  }
  auto count = int32_t(scratch.members.size() - first);
  std::memcpy(out.data() + countAt, &count, sizeof count);
  scratch.members.resize(first);
}

bool JsonParser::IsUnknownToken(std::string_view token) const {
  return !(token == "{" || token == "[" || token == "null" || token == "true" || token == "false" ||
           IsNumberText(token) || token[0] == '"');
}

// The blob of the value ParseScalar makes of the token.
void JsonParser::AppendScalarBlob(std::string_view token, std::string& out) const {
  using json_blob::AppendField;
  using json_blob::AppendFixed;
  if (token == "null") {
    AppendField(out, kNull);
  } else if (token == "true" || token == "false") {
    AppendField(out, kBoolean);
    AppendField(out, token);
  } else if (IsNumberText(token)) {
    const bool exponent = token.find('e') != std::string_view::npos;
    if (token.size() >= 10 || exponent) {
      AppendField(out, kBig);
      if (exponent) {
        AppendField(out, ExpandExponent(token));
      } else {
        AppendField(out, token);
      }
    } else if (token.find('.') == std::string_view::npos) {
      // A "长" keeps the integer as text and its blob holds that text read back, the same value.
      AppendField(out, kLong);
      AppendFixed(out, int64_t(TextToNumber(token)));
    } else {
      // A "浮点" keeps its double as "%.13g" text, and its blob holds that text read back.
      AppendField(out, kFloat);
      AppendFixed(out, TextToNumber(DoubleToText(TextToNumber(token))));
    }
  } else if (token[0] == '"') {
    AppendField(out, kText);
    const size_t at = json_blob::OpenField(out);
    AppendUnescaped(StringContent(token), out);
    json_blob::CloseField(out, at);
  } else {
    AppendField(out, kUnknown);
  }
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
